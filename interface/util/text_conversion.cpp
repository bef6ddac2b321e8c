#include "interface/util/text_conversion.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"

WCHAR* AnsiToWide(WCHAR* wide, const char* ansi, int size) {
  if (!wide || size <= 0) return wide;
  wide[0] = u'\0';
  if (!ansi) return wide;
  // Converted whole first: MultiByteToWideChar leaves a text that does not fit
  // without its NUL.
  const std::u16string text = platform::ToUtf16(ansi, CP_ACP);
  const size_t kept = platform::CutPoint(std::u16string_view(text), static_cast<size_t>(size) - 1);
  std::copy_n(text.begin(), kept, wide);
  wide[kept] = u'\0';
  return wide;
}

char* WideToAnsi(char* ansi, const WCHAR* wide, int size) {
  if (!ansi || size <= 0) return ansi;
  ansi[0] = '\0';
  if (!wide) return ansi;
  const std::string text = platform::FromUtf16(platform::Utf16FromZ(wide), GetACP());
  const size_t kept = platform::CutPoint(std::string_view(text), static_cast<size_t>(size) - 1);
  std::memcpy(ansi, text.data(), kept);
  ansi[kept] = '\0';
  return ansi;
}
