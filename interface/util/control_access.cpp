#include "interface/util/control_access.h"

#include <algorithm>
#include <string>

#include "platform/spooler/spooler.h"
#include "platform/ui/user.h"

namespace {

void DisableBelow(HWND parent, const int* keep, int count) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const int id = GetDlgCtrlID(child);
    if (!keep || std::find(keep, keep + std::max(count, 0), id) == keep + std::max(count, 0))
      EnableWindow(child, FALSE);
    DisableBelow(child, keep, count);
  }
}

}  // namespace

void DisableControlsExcept(HWND parent, const int* keep, int count) {
  if (parent) DisableBelow(parent, keep, count);
}

int HasFullPrinterAccess(const char* printerName) {
  if (!printerName || !printerName[0]) return 0;
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = 0;
  if (!OpenPrinterA(name.data(), &printer, &defaults)) return 0;
  ClosePrinter(printer);
  return 1;
}
