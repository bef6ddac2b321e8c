// The printer as the installer's store operations reach it: opened by name for one
// operation, its model name (the key of the per-user sections), and values read
// whole whatever their size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace fontinstaller {

class OpenedPrinter {
 public:
  OpenedPrinter(const char* printerName, DWORD access);
  ~OpenedPrinter();
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  explicit operator bool() const { return handle_ != 0; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

// The driver data file's "General"/"ModelName"; nothing when unreadable or empty.
std::optional<std::string> ReadModelName(HANDLE printer);
// "HostInfo\<model>".
std::string HostSection(const std::string& model);

// A value's presence as the add operations see it: a value too long for a buffer
// is there all the same.
enum class ValueState { kAbsent, kPresent, kError };

// Settings-store values read whole (the buffer grows while the store answers
// ERROR_MORE_DATA). The error code goes to *error when given.
std::optional<std::string> ReadStoreString(HANDLE printer, int kind, const std::string& section, const std::string& key,
                                           DWORD* error = nullptr);
std::optional<std::vector<BYTE>> ReadStoreData(HANDLE printer, int kind, const std::string& section,
                                               const std::string& key, DWORD* error = nullptr);
// Printer data read whole; ERROR_... in *error.
std::optional<std::vector<BYTE>> ReadPrinterValue(HANDLE printer, const std::string& name, DWORD* type = nullptr,
                                                  DWORD* error = nullptr);
std::optional<std::string> ReadPrinterString(HANDLE printer, const std::string& name);
std::optional<DWORD> ReadPrinterDword(HANDLE printer, const std::string& name);
DWORD WritePrinterString(HANDLE printer, const std::string& name, const std::string& text);
DWORD WritePrinterDword(HANDLE printer, const std::string& name, DWORD value);
DWORD WritePrinterBinary(HANDLE printer, const std::string& name, const std::vector<BYTE>& data);

bool IsAbsentError(DWORD error);

}  // namespace fontinstaller
