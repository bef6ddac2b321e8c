#include "interface/util/base9_text.h"

#include <cstring>
#include <string>

namespace {

template <class Convert>
int ConvertText(char* out, size_t outSize, const char* text, Convert convert) {
  if (!out || !text) return 0;
  const size_t length = std::strlen(text);
  if (length + 1 > outSize) {
    if (outSize > 0) out[0] = '\0';
    return 0;
  }
  std::string result(length, '\0');
  for (size_t i = 0; i < length; ++i) {
    int value = convert(static_cast<unsigned char>(text[i]));
    if (value < 0) {
      out[0] = '\0';
      return 0;
    }
    result[i] = static_cast<char>(value);
  }
  std::memcpy(out, result.c_str(), length + 1);
  return 1;
}

}  // namespace

int EncodeBase9Text(char* out, size_t outSize, const char* text) {
  return ConvertText(out, outSize, text,
                     [](unsigned byte) { return byte >= 144 ? -1 : int((byte / 9) << 4 | (byte % 9)); });
}

int DecodeBase9Text(char* out, size_t outSize, const char* text) {
  return ConvertText(out, outSize, text,
                     [](unsigned byte) { return (byte & 0x0F) > 8 ? -1 : int((byte >> 4) * 9 + (byte & 0x0F)); });
}
