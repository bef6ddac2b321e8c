// A recording stand-in for the raster writer: every ClipImageToBand call is kept
// with what it was handed (the source's rows inside the source rectangle are
// read and copied, so a source pointing outside its bitmap shows up under the
// address sanitizer), and answers the result the test chose.
#pragma once

#include <optional>
#include <vector>

#include "graphics/output/raster/clip_image_to_band.h"

namespace graphicstest {

struct ImageCall {
  PDEV* pdev;
  SURFOBJ source;  // as handed in (first scan line and stride included)
  std::optional<RECTL> sourceRect;
  RECTL dest;
  std::optional<RECTL> clip;
  DWORD rop3;
  std::vector<ULONG> colors;  // the translation's table, when it has one
  int placement;
  WORD bltState;     // the PDEV's blt state during the call
  DWORD pendingRop;  // and its pending ROP
  DWORD streamFill;  // bytes in the PDEV's output buffer when it was called
  // The source rows of sourceRect, top to bottom, each the bytes of the whole
  // scan line (empty when the rectangle lies outside the bitmap).
  std::vector<std::vector<BYTE>> rows;
};

struct RasterWriterLog {
  std::vector<ImageCall> images;
  BOOL result = TRUE;

  void Reset() { *this = RasterWriterLog{}; }
};

RasterWriterLog& FakeRasterWriter();

}  // namespace graphicstest
