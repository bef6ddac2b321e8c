#include "fontinstaller/printer_access.h"

#include <cstring>

#include "common/settings_store.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/errors.h"
#include "platform/base/value_types.h"
#include "platform/spooler/spooler.h"

namespace fontinstaller {

namespace {
// No value the installer keeps comes near this; a store answering more is broken.
constexpr DWORD kLargestValue = 16u * 1024u * 1024u;
constexpr DWORD kModelNameBuffer = 261;
}  // namespace

OpenedPrinter::OpenedPrinter(const char* printerName, DWORD access) {
  if (!printerName || !*printerName) return;
  std::string name = printerName;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
  HANDLE handle = 0;
  if (OpenPrinterA(name.data(), &handle, &defaults)) handle_ = handle;
}

OpenedPrinter::~OpenedPrinter() {
  if (handle_) ClosePrinter(handle_);
}

std::optional<std::string> ReadModelName(HANDLE printer) {
  char model[kModelNameBuffer] = {};
  DWORD size = sizeof model;
  if (InstallerSettings().GetString(printer, kStoreModelDescription, "General", "ModelName", model, &size) !=
          ERROR_SUCCESS ||
      model[0] == '\0') {
    return std::nullopt;
  }
  return std::string(model, strnlen(model, sizeof model));
}

std::string HostSection(const std::string& model) { return "HostInfo\\" + model; }

bool IsAbsentError(DWORD error) {
  return error != ERROR_SUCCESS && error != ERROR_MORE_DATA && error != ERROR_INSUFFICIENT_BUFFER;
}

std::optional<std::string> ReadStoreString(HANDLE printer, int kind, const std::string& section, const std::string& key,
                                           DWORD* error) {
  DWORD capacity = 1024;
  for (;;) {
    std::vector<char> buffer(capacity, 0);
    DWORD size = capacity;
    const DWORD rc = InstallerSettings().GetString(printer, kind, section.c_str(), key.c_str(), buffer.data(), &size);
    if (error) *error = rc;
    if (rc == ERROR_SUCCESS) return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    if ((rc != ERROR_MORE_DATA && rc != ERROR_INSUFFICIENT_BUFFER) || capacity >= kLargestValue) return std::nullopt;
    capacity *= 4;
  }
}

std::optional<std::vector<BYTE>> ReadStoreData(HANDLE printer, int kind, const std::string& section,
                                               const std::string& key, DWORD* error) {
  DWORD capacity = 2048;
  for (;;) {
    std::vector<BYTE> buffer(capacity, 0);
    DWORD size = capacity;
    const DWORD rc = InstallerSettings().GetData(printer, kind, section.c_str(), key.c_str(), buffer.data(), &size);
    if (error) *error = rc;
    if (rc == ERROR_SUCCESS) {
      buffer.resize(size < capacity ? size : capacity);
      return buffer;
    }
    if ((rc != ERROR_MORE_DATA && rc != ERROR_INSUFFICIENT_BUFFER) || capacity >= kLargestValue) return std::nullopt;
    capacity = size > capacity && size <= kLargestValue ? size : capacity * 4;
  }
}

std::optional<std::vector<BYTE>> ReadPrinterValue(HANDLE printer, const std::string& name, DWORD* type, DWORD* error) {
  std::string valueName = name;
  DWORD capacity = 2048;
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<BYTE> buffer(capacity, 0);
    DWORD needed = 0;
    DWORD valueType = 0;
    const DWORD rc = GetPrinterDataA(printer, valueName.data(), &valueType, buffer.data(), capacity, &needed);
    if (error) *error = rc;
    if (rc == ERROR_SUCCESS) {
      if (type) *type = valueType;
      buffer.resize(needed < capacity ? needed : capacity);
      return buffer;
    }
    if (rc != ERROR_MORE_DATA || needed == 0 || needed > kLargestValue) return std::nullopt;
    capacity = needed;
  }
  return std::nullopt;
}

std::optional<std::string> ReadPrinterString(HANDLE printer, const std::string& name) {
  std::optional<std::vector<BYTE>> bytes = ReadPrinterValue(printer, name);
  if (!bytes) return std::nullopt;
  const char* text = reinterpret_cast<const char*>(bytes->data());
  return std::string(text, strnlen(text, bytes->size()));
}

std::optional<DWORD> ReadPrinterDword(HANDLE printer, const std::string& name) {
  DWORD type = 0;
  std::optional<std::vector<BYTE>> bytes = ReadPrinterValue(printer, name, &type);
  if (!bytes || type != REG_DWORD || bytes->size() != sizeof(DWORD)) return std::nullopt;
  DWORD value = 0;
  std::memcpy(&value, bytes->data(), sizeof value);
  return value;
}

DWORD WritePrinterString(HANDLE printer, const std::string& name, const std::string& text) {
  std::string valueName = name;
  std::string data = text;
  return SetPrinterDataA(printer, valueName.data(), REG_SZ, reinterpret_cast<LPBYTE>(data.data()),
                         static_cast<DWORD>(data.size() + 1));
}

DWORD WritePrinterDword(HANDLE printer, const std::string& name, DWORD value) {
  std::string valueName = name;
  return SetPrinterDataA(printer, valueName.data(), REG_DWORD, reinterpret_cast<LPBYTE>(&value), sizeof value);
}

DWORD WritePrinterBinary(HANDLE printer, const std::string& name, const std::vector<BYTE>& data) {
  std::string valueName = name;
  std::vector<BYTE> copy = data;
  return SetPrinterDataA(printer, valueName.data(), REG_BINARY, copy.data(), static_cast<DWORD>(copy.size()));
}

}  // namespace fontinstaller
