#include "graphics/ddi/raster_ops.h"

namespace {

// ROP3 code byte of each R2 code (index = R2 code & 15).
constexpr BYTE kMixRop[16] = {0xFF, 0x00, 0x05, 0x0A, 0x0F, 0x50, 0x55, 0x5A,
                              0x5F, 0xA0, 0xA5, 0xAA, 0xAF, 0xF0, 0xF5, 0xFA};

struct RopRow {
  ROP4 rop4;
  DWORD rop3;
};

constexpr RopRow kKnownRops[] = {
    {0x0000, BLACKNESS},  {0x00AA, BLACKNESS}, {0x3333, NOTSRCCOPY}, {0x33AA, NOTSRCCOPY},
    {0x5A5A, PATINVERT},  {0x5AAA, PATINVERT}, {0x8888, SRCAND},     {0x88AA, SRCAND},
    {0xAAAA, 0x00AA0029}, {0xAAF0, PATCOPY},   {0xF0AA, PATCOPY},    {0xF0F0, PATCOPY},
    {0xCCAA, SRCCOPY},    {0xCCCC, SRCCOPY},   {0xFFAA, WHITENESS},  {0xFFFF, WHITENESS},
};

}  // namespace

ROP4 MixToRop4(MIX mix) { return static_cast<ROP4>(kMixRop[(mix >> 8) & 15] << 8 | kMixRop[mix & 15]); }

DWORD Rop4ToRop3(ROP4 rop4, bool postScript, DWORD fallback) {
  rop4 &= 0xFFFF;
  for (const RopRow& row : kKnownRops)
    if (row.rop4 == rop4) return row.rop3;
  if (postScript) {
    // PostScript paints opaquely and has no raster operations: a brush ANDed
    // onto the page (R2_MASKPEN) is painted as the brush, which is what it
    // gives on blank paper. It is not called an inversion, which would make
    // the path dispatch move the edges of an XOR rectangle.
    return rop4 == kRop4MaskPen ? kRop3PatternCopy : fallback;
  }
  if ((rop4 >> 8) == 0xAA) return fallback;
  return (static_cast<DWORD>(rop4) << 8) & 0xFFFF00;
}
