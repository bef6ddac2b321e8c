#include "platform/spooler/printer_handle.h"

#include <utility>

#include "platform/spooler/spooler.h"

namespace platform::spooler {

std::shared_ptr<PrinterHandle> LookupPrinterHandle(HANDLE handle) { return LookupHandle<PrinterHandle>(handle); }

PrinterView MakeView(std::shared_ptr<const PrinterRecord> printer, const std::u16string& server) {
  PrinterView view;
  view.server = server;
  if (server.empty()) {
    view.name = printer->name;
    view.attributes = printer->attributes;
  } else {
    view.name = server + u"\\" + printer->name;
    view.attributes = (printer->attributes & ~DWORD(PRINTER_ATTRIBUTE_LOCAL)) | PRINTER_ATTRIBUTE_NETWORK;
  }
  view.printer = std::move(printer);
  return view;
}

}  // namespace platform::spooler
