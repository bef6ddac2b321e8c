#include "interface/records/printer_info.h"

#include <cstdlib>
#include <cstring>

#include "interface/records/record_fields.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr int kAttempts = 3;

// Asks for the size with an empty buffer, then fills a buffer of that size; a
// call that fails again with a larger size gets another try with that size.
template <class Query>
BYTE* QueryBuffered(Query query) {
  DWORD needed = 0;
  query(nullptr, 0, &needed);
  for (int attempt = 0; attempt < kAttempts && needed > 0; ++attempt) {
    BYTE* buffer = static_cast<BYTE*>(std::calloc(needed, 1));
    if (!buffer) return nullptr;
    DWORD nextNeeded = 0;
    if (query(buffer, needed, &nextNeeded)) return buffer;
    std::free(buffer);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || nextNeeded <= needed) return nullptr;
    needed = nextNeeded;
  }
  return nullptr;
}

}  // namespace

BYTE* GetPrinterInfo(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  return QueryBuffered([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return GetPrinterA(printer, level, buffer, size, needed) != FALSE;
  });
}

BYTE* GetPrinterInfoW(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  return QueryBuffered([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return GetPrinterW(printer, level, buffer, size, needed) != FALSE;
  });
}

BYTE* GetPrinterDriverInfo(HANDLE printer, DWORD level) {
  if (!printer) return nullptr;
  return QueryBuffered([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return GetPrinterDriverA(printer, nullptr, level, buffer, size, needed) != FALSE;
  });
}

void FreePrinterInfo(BYTE* info) { std::free(info); }
void FreePrinterInfoW(BYTE* info) { std::free(info); }
void FreePrinterDriverInfo(BYTE* info) { std::free(info); }

char* GetPrinterNameCopy(HANDLE printer, char* buffer, size_t size) {
  if (!buffer || size == 0) return nullptr;
  buffer[0] = '\0';
  BYTE* info = GetPrinterInfo(printer, 4);
  if (!info) return buffer;
  const auto* level4 = reinterpret_cast<const PRINTER_INFO_4A*>(info);
  // A name cut short could name another printer: one that does not fit is not copied.
  if (level4->pPrinterName && std::strlen(level4->pPrinterName) < size)
    records::CopyText(buffer, size, level4->pPrinterName);
  FreePrinterInfo(info);
  return buffer;
}
