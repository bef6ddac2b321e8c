// Text in the ANSI code pages the driver meets (Japanese, Simplified Chinese,
// Western): conversion both ways with every buffer size answer, and walking
// double-byte text forwards and backwards, which must stay inside the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/codepage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const UINT kCodePages[] = {932, 936, 1252, CP_UTF8};
  const UINT codePage = kCodePages[data[0] % 4];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  const int bytes = static_cast<int>(text.size());

  const int needed = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
  if (needed > 0) {
    std::vector<WCHAR> wide(static_cast<size_t>(needed));
    const int got = MultiByteToWideChar(codePage, 0, text.data(), bytes, wide.data(), needed);
    // A buffer one short must be refused, not overrun.
    if (needed > 1) {
      std::vector<WCHAR> shortBuffer(static_cast<size_t>(needed - 1));
      MultiByteToWideChar(codePage, 0, text.data(), bytes, shortBuffer.data(), needed - 1);
    }
    const int back = WideCharToMultiByte(codePage, 0, wide.data(), got, nullptr, 0, nullptr, nullptr);
    if (back > 0) {
      std::vector<char> narrow(static_cast<size_t>(back));
      WideCharToMultiByte(codePage, 0, wide.data(), got, narrow.data(), back, nullptr, nullptr);
    }
  }
  // Wide text from raw bytes as well (unpaired surrogates and all).
  std::vector<WCHAR> raw((size - 1) / 2);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<WCHAR>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
  if (!raw.empty()) {
    char out[64];
    WideCharToMultiByte(codePage, 0, raw.data(), static_cast<int>(raw.size()), out, sizeof out, nullptr, nullptr);
  }

  if (codePage == 932 || codePage == 936) {
    platform::SetAnsiCodePage(codePage);
    const std::string terminated = text.c_str();
    const char* end = terminated.c_str() + terminated.size();
    for (const char* p = terminated.c_str(); *p; p = CharNextA(p)) {
      if (p > end) __builtin_trap();
    }
    for (const char* p = end; p > terminated.c_str();) {
      const char* previous = CharPrevA(terminated.c_str(), p);
      if (previous >= p) __builtin_trap();
      p = previous;
    }
    char copy[16];
    lstrcpynA(copy, terminated.c_str(), sizeof copy);
    std::string upper = terminated;
    CharUpperA(upper.data());
    platform::ToUtf16(text, codePage);
  }
  return 0;
}
