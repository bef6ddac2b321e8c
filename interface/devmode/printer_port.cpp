#include "interface/devmode/printer_port.h"

#include <cstring>
#include <string_view>

#include "interface/records/printer_info.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

int GetPrinterPortName(HANDLE printer, XDEVMODE* devmode) {
  if (!devmode) return 0;
  BYTE* info = GetPrinterInfo(printer, 2);
  if (!info) return 0;
  const char* port = reinterpret_cast<const PRINTER_INFO_2A*>(info)->pPortName;
  if (!port) port = "";
  char(&field)[sizeof devmode->dmPrivate._sPortName] = devmode->dmPrivate._sPortName;
  const size_t kept = platform::CutPoint(std::string_view(port), sizeof field - 1);
  std::memset(field, 0, sizeof field);
  std::memcpy(field, port, kept);
  FreePrinterInfo(info);
  return 0;
}
