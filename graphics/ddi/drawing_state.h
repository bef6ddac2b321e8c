// What the drawing entries keep between calls: the hand-over of a blit to the
// engine's halftoning and back.
#pragma once

#include "platform/base/types.h"

// Who renders the blit in progress.
constexpr WORD kBltNone = 0;
constexpr WORD kBltColorAdjusted = 1;   // a colour-adjusted DrvStretchBlt is with the engine
constexpr WORD kBltHalftoned = 2;       // a halftoned blit is with the engine; it returns through DrvCopyBits
constexpr WORD kBltHalftonedAgain = 3;  // the engine came back with colour and was sent round once more

struct DrawingState {
  WORD bltState = kBltNone;
  // The ROP3 code of the DrvBitBlt that handed its source to the engine, for
  // the DrvCopyBits the engine makes of it; 0 when none.
  DWORD pendingRop = 0;
};
