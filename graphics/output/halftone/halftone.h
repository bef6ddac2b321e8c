// Grey conversion and halftoning shared by the raster writer, the brush
// realisation and the fill writers: the printers are monochrome, so every
// colour becomes a grey level and every grey level a pattern of dots.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

// Grey 0 (black) to 255 (white) of a colour: (30 red + 59 green + 11 blue) / 100.
// A non-zero applyCurve lifts it through the transfer curve floor(sqrt(255 g)),
// which the PCL family uses to make up for its dot gain.
BYTE GrayFromRgb(float applyCurve, BYTE red, BYTE green, BYTE blue);
// The same of a 0x00BBGGRR colour.
BYTE GrayFromColor(float applyCurve, DWORD rgb);

// Rows of grey bytes to be dithered in place into rows of bits (most
// significant first; 1 = white, where the grey is above the threshold).
struct GrayRowBlock {
  DWORD width = 0;  // pixels of a row
  DWORD rows = 0;
  LONG stride = 0;  // bytes from one row to the next
  BYTE* data = nullptr;
  DWORD bitsPerPixel = 8;  // set to 1 by the dither
};

// Dithers the block with the 16 x 16 threshold matrix, continuing the row phase
// the PDEV keeps from the previous block (a block of 16 rows or more starts it
// again at 0). 1, or 0 without a block or PDEV.
int DitherGrayRowsToMono(PDEV* pdev, GrayRowBlock* block);

// An 8 x 8 dot pattern of a colour (one byte a cell, row by row, 1 = ink) from
// the ordered brush matrix. *size (optional) gets 8 x 8. With no pattern or *capacity below 64, *capacity becomes 64
// and the result is 0; else 1.
int MakeHalftoneBrush8x8(DWORD rgb, SIZEL* size, BYTE* pattern, DWORD* capacity);
