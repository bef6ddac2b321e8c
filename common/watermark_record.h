// One watermark as the watermark page lists it, the per-user "Watermarks" section
// stores it and the device mode carries it (whole, 156 bytes). The device mode is
// exchanged between processes and libraries, so the record keeps its byte layout.
#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/base/types.h"

// Style bits of a watermark's font.
constexpr DWORD kWatermarkStyleBold = 0x1;
constexpr DWORD kWatermarkStyleItalic = 0x2;

struct WatermarkRecord {
  char text[64];       // what is printed; also the watermark's name in the list
  char faceName[32];   // font face
  char styleName[32];  // the text of the style list entry
  WORD size;           // points
  WORD weight;         // font weight (400 regular, 700 bold)
  DWORD styleBits;     // kWatermarkStyleBold / kWatermarkStyleItalic
  WORD angle;          // degrees, counter-clockwise
  WORD reserved138;    // alignment of the colour; always zero
  DWORD colour;        // 0x00BBGGRR
  // Offsets from the sheet's centre in tenths of a millimetre, upwards positive.
  // They go negative (down to -25400), so they are signed.
  LONG xOffset;
  LONG yOffset;
  DWORD outline;  // draw the text as an outline (PostScript device fonts only)
};

static_assert(sizeof(WatermarkRecord) == 156);
static_assert(offsetof(WatermarkRecord, text) == 0);
static_assert(offsetof(WatermarkRecord, faceName) == 64);
static_assert(offsetof(WatermarkRecord, styleName) == 96);
static_assert(offsetof(WatermarkRecord, size) == 128);
static_assert(offsetof(WatermarkRecord, weight) == 130);
static_assert(offsetof(WatermarkRecord, styleBits) == 132);
static_assert(offsetof(WatermarkRecord, angle) == 136);
static_assert(offsetof(WatermarkRecord, reserved138) == 138);
static_assert(offsetof(WatermarkRecord, colour) == 140);
static_assert(offsetof(WatermarkRecord, xOffset) == 144);
static_assert(offsetof(WatermarkRecord, yOffset) == 148);
static_assert(offsetof(WatermarkRecord, outline) == 152);
// Every byte belongs to a member: copies and compares of whole records see no
// indeterminate padding.
static_assert(std::has_unique_object_representations_v<WatermarkRecord>);
