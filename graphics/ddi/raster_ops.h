// GDI's mixes and ROP4 codes turned into the ROP3 codes the writers send (the
// code byte goes into PCL "ESC*l%dO" and HP-GL/2 "MC1,%d;").
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// ROP4 values the drawing entries test.
constexpr ROP4 kRop4Nop = 0xAAAA;      // destination unchanged
constexpr ROP4 kRop4MaskPen = 0xA0A0;  // pattern AND destination

// The defaults of Rop4ToRop3: blits default to a source copy, paths and text
// to a pattern (brush) copy.
constexpr DWORD kRop3SourceCopy = SRCCOPY;   // 0x00CC0020
constexpr DWORD kRop3PatternCopy = PATCOPY;  // 0x00F00021

// ROP4 of a mix (foreground R2 code in the low byte, background in the next):
// each R2 code (taken & 15, so R2_WHITE 16 is 0) becomes its ROP3 code byte.
ROP4 MixToRop4(MIX mix);

// The published 32-bit ROP3 code of a ROP4 for the writers. Codes with no
// table entry give `fallback` on PostScript (which cannot combine with the
// page); on the PCL family they are sent as their own code byte, except that a
// background of "destination unchanged" gives `fallback`.
DWORD Rop4ToRop3(ROP4 rop4, bool postScript, DWORD fallback);
