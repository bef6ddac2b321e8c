#include "graphics/core/spooler_info.h"

#include <new>

#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr int kAttempts = 3;

template <class Query>
std::unique_ptr<BYTE[]> Ask(HANDLE printer, Query query) {
  if (!printer) return nullptr;
  DWORD needed = 0;
  if (query(nullptr, 0, &needed) || needed == 0) return nullptr;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[needed]);
    if (!block) return nullptr;
    DWORD size = needed;
    if (query(block.get(), size, &needed)) return block;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return nullptr;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<BYTE[]> QueryPrinterDriverInfoW(HANDLE printer, DWORD level) {
  return Ask(printer, [&](BYTE* block, DWORD size, DWORD* needed) {
    return GetPrinterDriverW(printer, nullptr, level, block, size, needed) != FALSE;
  });
}

std::unique_ptr<BYTE[]> QueryPrinterInfoW(HANDLE printer, DWORD level) {
  return Ask(printer, [&](BYTE* block, DWORD size, DWORD* needed) {
    return GetPrinterW(printer, level, block, size, needed) != FALSE;
  });
}
