#include "interface/util/font_list_refresh.h"

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "common/driver_escapes.h"
#include "common/xdevmode.h"
#include "interface/util/text_conversion.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr LONG kAnswerOk = 1;  // IDOK

struct PrinterCloser {
  HANDLE printer;
  ~PrinterCloser() {
    if (printer) ClosePrinter(printer);
  }
};

}  // namespace

void SendFontListRefresh(DWORD action, const char* printerName, WORD pdl) {
  if (!printerName) return;
  FontListRefreshBlock block{};
  // The block carries at most 259 bytes of the name: a longer one names another printer.
  if (std::strlen(printerName) >= sizeof block.printerName) return;
  std::string name = printerName;
  HANDLE printer = 0;
  if (!OpenPrinterA(name.data(), &printer, nullptr)) return;
  PrinterCloser closer{printer};

  WCHAR wideName[sizeof block.printerName] = {};
  AnsiToWide(wideName, printerName, static_cast<int>(std::size(wideName)));
  const LONG size = DocumentPropertiesW(0, printer, wideName, nullptr, nullptr, 0);
  if (size < static_cast<LONG>(sizeof(XDEVMODE))) return;
  std::vector<BYTE> buffer(static_cast<size_t>(size));
  auto* settings = reinterpret_cast<XDEVMODE*>(buffer.data());
  if (DocumentPropertiesW(0, printer, wideName, &settings->dmPublic, nullptr, DM_OUT_BUFFER) != kAnswerOk) return;
  if (settings->dmPublic.dmSize != sizeof settings->dmPublic) return;
  settings->dmPrivate._nPDL = pdl;

  HDC dc = CreateDCW(u"WINSPOOL", wideName, nullptr, &settings->dmPublic);
  if (!dc) return;
  block.action = action;
  std::memcpy(block.printerName, printerName, std::strlen(printerName));
  block.pdl = pdl;
  ExtEscape(dc, static_cast<int>(kEscFontListRefresh), sizeof block, reinterpret_cast<const char*>(&block), 0, nullptr);
  DeleteDC(dc);
}
