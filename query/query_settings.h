// The settings functions the query library calls (bound from zeldb5.dll by the
// deliverable that carries the library) and the printer handles it opens to
// read and write a printer's settings.
#pragma once

#include <string>

#include "common/settings_binding.h"

// The bound functions; calls through an unbound one answer an error.
const SettingsFunctions& QuerySettings();
void SetQuerySettings(const SettingsFunctions& functions);

// A printer opened by name for one read or write of its settings, closed again.
class OpenedPrinter {
 public:
  OpenedPrinter(const char* printerName, bool fullAccess);
  ~OpenedPrinter();
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  bool ok() const { return handle_ != 0; }
  HANDLE handle() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

// "Printer"/key of the printer data as text of at most size-1 bytes; nothing when
// the read fails.
bool ReadPrinterSetting(HANDLE printer, const char* key, DWORD size, std::string* out);
