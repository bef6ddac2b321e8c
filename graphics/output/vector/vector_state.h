// What the vector writer remembers per device context (PDEV::writers.vector)
// so that runs of drawing calls with the same colour, pattern, pen and HP-GL/2
// mode write nothing extra, and the life of those caches.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Bits of the graphics-state validity word: a set bit means the cached state is
// no longer in force in the printer and must be written again.
constexpr WORD kStaleColor = 0x0020;       // PostScript / PCL colour or pattern
constexpr WORD kStaleHpglFill = 0x0100;    // HP-GL/2 fill ("FT")
constexpr WORD kStaleHpglPen = 0x0200;     // HP-GL/2 pen ("SV")
constexpr WORD kStaleEverything = 0xFFFF;  // after a grestore, a page-state reset, a printer reset

// Patterns carry 0xFF in the top byte of their colours so that a remembered
// pattern never matches a solid colour of the same value.
constexpr DWORD kPatternColorTag = 0xFF000000u;

// One remembered selection: the colour (solid 0x00BBGGRR, or a pattern's
// foreground with kPatternColorTag), the pattern's background, and a heap copy
// of the pattern's bytes (GraphicsHeapAlloc; length 0 when none). Each target
// keeps its own bytes: the PostScript/PCL colour, the HP-GL/2 fill and the pen
// are three different selections in the printer.
struct RememberedFill {
  DWORD color = 0;
  DWORD background = 0;
  BYTE* pattern = nullptr;  // owned
  DWORD patternLength = 0;
};

struct VectorWriterState {
  RememberedFill color;  // PostScript / PCL
  RememberedFill fill;   // HP-GL/2 fill, pattern index 1
  RememberedFill pen;    // HP-GL/2 pen (screened vectors), pattern index 2
  // Nothing is in force before the first selection.
  WORD stale = kStaleEverything;
  // The PCL pattern transparency ("ESC*v1O"/"ESC*v1o") was sent on this sheet.
  DWORD patternSelectionSent = 0;
  // "PP1" (HP-GL/2 pixel placement) is in force.
  DWORD pixelPlacement = 0;
  // 1 between BeginClipRect and EndClipRect.
  DWORD clipRectOpen = 0;
  // The printer-reset count of the device settings when the caches were last
  // filled: a reset ("ESC E") since then dropped the patterns and selections.
  DWORD printerResetsSeen = 0;
};

// Marks cached graphics state stale (kStale* bits); the drawing entries, the
// page set-up and every PostScript grestore use it.
void InvalidateVectorState(PDEV* pdev, WORD bits);
// The page state was reset or a sheet ended: the PCL pattern transparency
// must be sent again and nothing cached is in force.
void ResetVectorPageState(PDEV* pdev);
// Frees the remembered pattern copies (FreePdev).
void FreeVectorState(PDEV* pdev);
// After CopyJobState copied the writers' state to the new PDEV of a reset, the
// remembered pattern copies belong to the new one: the old one lets go of them.
void DetachVectorState(PDEV* pdev);
