// Conversions between the wide text that crosses the spooler and the ANSI text
// the driver works in, and a padded copy for fixed text fields. Every result is
// terminated, whatever the input.
#include <cstring>
#include <string_view>

#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"
#include "platform/gdi/eng_services.h"

int UnicodeToAnsi(char* destination, int size, const WCHAR* text, int count) {
  if (destination == nullptr || size < 1) return 0;
  if (text == nullptr) {
    destination[0] = '\0';
    return 0;
  }
  const ULONG chars = count < 1 ? static_cast<ULONG>(lstrlenW(text)) + 1 : static_cast<ULONG>(count);
  ULONG bytes = 0;
  EngUnicodeToMultiByteN(destination, static_cast<ULONG>(size), &bytes, const_cast<WCHAR*>(text),
                         chars * static_cast<ULONG>(sizeof(WCHAR)));
  destination[bytes < static_cast<ULONG>(size) ? bytes : static_cast<ULONG>(size) - 1] = '\0';
  return static_cast<int>(std::strlen(destination));
}

int MultiByteToUnicode(WCHAR* destination, const char* text, int count) {
  if (destination == nullptr || text == nullptr || count < 0) return 0;
  if (count == 0) count = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (count < 1) return 0;
  ULONG bytes = 0;
  EngMultiByteToUnicodeN(destination, static_cast<ULONG>(count) * sizeof(WCHAR), &bytes, const_cast<char*>(text),
                         static_cast<ULONG>(std::strlen(text)) + 1);
  destination[count - 1] = 0;
  int length = 0;
  while (length < count && destination[length] != 0) ++length;
  return length;
}

int UnicodeToMultiByte(UINT codePage, const WCHAR* text, int count, char* destination, int size) {
  if (destination == nullptr || size < 1) return 0;
  std::memset(destination, 0, static_cast<size_t>(size));
  if (text == nullptr) return 0;
  if (count < 0) count = lstrlenW(text);
  const int result = EngWideCharToMultiByte(codePage != 0 ? codePage : GetACP(), const_cast<WCHAR*>(text),
                                            count * static_cast<int>(sizeof(WCHAR)), destination, size);
  destination[size - 1] = '\0';
  return result;
}

void CopyStringPadded(char* destination, const char* text, size_t size) {
  if (destination == nullptr || size == 0) return;
  size_t keep = 0;
  if (text != nullptr) {
    // Never half a double-byte character: the cut falls before it.
    keep = platform::CutPoint(std::string_view(text, strnlen(text, size)), size - 1);
    std::memcpy(destination, text, keep);
  }
  std::memset(destination + keep, 0, size - keep);
}
