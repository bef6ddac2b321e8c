#include "interface/pages/watermark_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"

namespace {

constexpr double kPi = 3.1415926535;

void CopyField(char* field, size_t fieldSize, const std::string& text) {
  std::memset(field, 0, fieldSize);
  std::memcpy(field, text.data(), platform::CutPoint(text, fieldSize - 1));
}

}  // namespace

WatermarkRecord NewWatermarkRecord(const std::string& text, const std::string& style) {
  WatermarkRecord record{};
  CopyField(record.text, sizeof record.text, text);
  CopyField(record.faceName, sizeof record.faceName, platform::AnsiFromUtf8("ＭＳ ゴシック"));
  CopyField(record.styleName, sizeof record.styleName, style);
  record.size = 72;
  record.weight = 400;
  record.angle = 45;
  record.colour = 0x7F7F7F;
  return record;
}

DWORD ColourOfShade(int shade) {
  shade = std::clamp(shade, 0, kWatermarkShadeMax);
  const DWORD level = static_cast<DWORD>(255 - MulDiv(255, shade, 100)) & 0xFF;
  return level | (level << 8) | (level << 16);
}

int ShadeOfColour(DWORD colour) {
  const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
  const int luminance = (30 * r + 59 * g + 11 * b) / 100;
  return MulDiv(255 - luminance, 100, 255);
}

bool ParseOffsetText(const char* text, LONG* tenths) {
  if (!text || !tenths || !*text) return false;
  int points = 0, digits = 0;
  for (const char* c = text; *c; ++c) {
    if (*c == '-') {
      if (c != text) return false;
    } else if (*c == '.') {
      if (++points > 1) return false;
    } else if (*c >= '0' && *c <= '9') {
      ++digits;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  const double value = std::atof(text);
  if (value < -kWatermarkOffsetMaxMm || value > kWatermarkOffsetMaxMm) return false;
  *tenths = static_cast<LONG>(value * 10);
  return true;
}

std::string OffsetText(LONG tenths) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%2.1f", tenths / 10.0);
  return text;
}

WORD SizeFromText(const char* text, WORD current) {
  int size = current;
  if (text && *text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text) size = static_cast<int>(std::clamp<long>(value, -100000, 100000));
  }
  return static_cast<WORD>(std::clamp(size, kWatermarkSizeMin, kWatermarkSizeMax));
}

WatermarkSheet WatermarkSheetOf(int width, int length, bool portrait, int feedByte, bool bias) {
  int across = 0;
  bool tall = false;
  if (bias) {
    tall = portrait;
    across = (portrait && feedByte == 1) || (!portrait && feedByte != 1) ? width : length;
  } else if (portrait) {
    across = width;
    tall = feedByte == 1;
  } else {
    across = length;
    tall = feedByte != 1;
  }
  const int down = across == width ? length : width;
  // The square is as wide as the across side when the sheet lies wide: a sheet
  // whose down side is the longer one must stand tall, or it would not fit the
  // square and the preview would show a white square and cut text.
  if (down > across) tall = true;
  if (down < across) tall = false;
  const int a = across / 10, d = down / 10, m = (a + d) / 2;
  WatermarkSheet result;
  if (tall) {
    result.side = d;
    result.sheet = RECT{(d - a) / 2, 0, m, d};
  } else {
    result.side = a;
    result.sheet = RECT{0, (a - d) / 2, a, m};
  }
  return result;
}

POINT WatermarkTextOrigin(int side, int width, int height, int angle, LONG xOffset, LONG yOffset) {
  const double theta = angle * kPi / 180;
  const double c = side / 2;
  const double x = c - (width / 2.0 * std::cos(theta) + height / 2.0 * std::sin(theta)) +
                   MulDiv(static_cast<int>(xOffset), 100, 254);
  const double y =
      c + width / 2.0 * std::sin(theta) - height / 2.0 * std::cos(theta) - MulDiv(static_cast<int>(yOffset), 100, 254);
  return POINT{static_cast<LONG>(x), static_cast<LONG>(y)};
}
