// The numbers of the watermark page apart from its window: shade and colour,
// the offset texts, the size, and where the preview puts the sheet and the text.
#pragma once

#include <string>

#include "common/watermark_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// Limits of the page's values.
constexpr int kWatermarkSizeMin = 7;
constexpr int kWatermarkSizeMax = 300;
constexpr int kWatermarkAngleMax = 360;
constexpr int kWatermarkShadeMax = 100;
constexpr double kWatermarkOffsetMaxMm = 2540.0;

// A new record: the given text, "ＭＳ ゴシック" (ANSI) 72 points regular at 45
// degrees in mid grey, centred, no outline; style is the regular style's name.
WatermarkRecord NewWatermarkRecord(const std::string& text, const std::string& style);

// The grey of a shade from 0 (white) to 100 (black); shades beyond are taken as
// the nearest end, so 150 prints black and not a grey that wrapped round.
DWORD ColourOfShade(int shade);
// The shade a colour shows as, by its luminance.
int ShadeOfColour(DWORD colour);

// An offset typed in millimetres: tenths of a millimetre in *tenths, or false for
// a text with a "-" anywhere but first, a second ".", a character that is not
// part of a number, nothing to read, or a value outside -2540..2540.
bool ParseOffsetText(const char* text, LONG* tenths);
// An offset as the page shows it: millimetres with one decimal ("%2.1f").
std::string OffsetText(LONG tenths);

// A size typed: the number, the current size when the text is no number; within
// 7..300.
WORD SizeFromText(const char* text, WORD current);

// The preview's square and the sheet inside it, in hundredths of an inch.
struct WatermarkSheet {
  int side = 0;
  RECT sheet{};
};
// width and length of the paper in thousandths of an inch; portrait is
// dmOrientation 1; feedByte is the paper's feed-direction byte; bias is the
// model's custom-width bias flag.
WatermarkSheet WatermarkSheetOf(int width, int length, bool portrait, int feedByte, bool bias);

// Where the text of extent (w, h) starts so that it turns about the square's
// centre at the angle (degrees, counter-clockwise), moved by the offsets (tenths
// of a millimetre, up positive).
POINT WatermarkTextOrigin(int side, int width, int height, int angle, LONG xOffset, LONG yOffset);
