#include "graphics/util/raw_output.h"

#include "graphics/stream/output.h"

int WriteRawBytes(PDEV* pdev, DWORD length, const void* data) {
  if (pdev == nullptr || data == nullptr || length == 0) return 0;
  // WriteOut counts in int: a longer block goes in int-sized parts.
  const BYTE* bytes = static_cast<const BYTE*>(data);
  bool anyWritten = false;
  while (length > 0) {
    const int part = length > 0x40000000u ? 0x40000000 : static_cast<int>(length);
    const int written = WriteOut(pdev, kWriteBytes, part, bytes);
    if (written > 0) anyWritten = true;
    if (written != part) break;
    bytes += part;
    length -= static_cast<DWORD>(part);
  }
  return anyWritten ? 1 : 0;
}

int ResetChannelFiles(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  return InitChannelFiles(pdev) ? 1 : 0;
}
