#include "interface/setup/printer_handle.h"

#include <vector>

#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

bool ScopedPrinter::Open(const std::u16string& name, DWORD access) {
  Close();
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return false;
  }
  std::u16string text = name;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  HANDLE handle = 0;
  if (!OpenPrinterW(text.data(), &handle, access ? &defaults : nullptr)) return false;
  handle_ = handle;
  return true;
}

bool ScopedPrinter::ReadName(std::u16string& name) const {
  std::vector<BYTE> buffer;
  DWORD needed = 0;
  // A few tries: the record may grow between two calls.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (GetPrinterW(handle_, 4, buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed) &&
        buffer.size() >= sizeof(PRINTER_INFO_4W)) {
      const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
      if (!info->pPrinterName || !info->pPrinterName[0]) return false;
      name = info->pPrinterName;
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
    buffer.assign(needed, 0);
  }
  return false;
}

void ScopedPrinter::Close() {
  if (!handle_) return;
  // Closing on the way out of a failed step must not hide that step's error.
  const DWORD error = GetLastError();
  ClosePrinter(handle_);
  handle_ = 0;
  SetLastError(error);
}
