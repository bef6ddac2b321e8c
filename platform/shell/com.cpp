#include "platform/shell/com.h"

#include <cstdio>
#include <cstring>

extern "C" const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
extern "C" const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

std::string platform::GuidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
}

bool platform::GuidFromText(const std::string& text, GUID& guid) {
  if (text.size() != 38) return false;
  unsigned int parts[11] = {};
  char close = 0;
  int end = 0;
  if (std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c%n", &parts[0], &parts[1], &parts[2],
                  &parts[3], &parts[4], &parts[5], &parts[6], &parts[7], &parts[8], &parts[9], &parts[10], &close,
                  &end) != 12 ||
      close != '}' || end != 38) {
    return false;
  }
  guid.Data1 = parts[0];
  guid.Data2 = static_cast<WORD>(parts[1]);
  guid.Data3 = static_cast<WORD>(parts[2]);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<BYTE>(parts[3 + i]);
  return true;
}

ZEL_EXTERN_C int StringFromGUID2(REFGUID guid, LPWSTR text, int size) {
  const std::string narrow = platform::GuidText(guid);
  if (!text || size < static_cast<int>(narrow.size()) + 1) return 0;
  for (size_t i = 0; i < narrow.size(); ++i) text[i] = static_cast<WCHAR>(narrow[i]);
  text[narrow.size()] = 0;
  return static_cast<int>(narrow.size()) + 1;
}
