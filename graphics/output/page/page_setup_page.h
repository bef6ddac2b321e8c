// The set-up of each document page once its start and settings are written:
// the replay of a captured watermark, the page matrix or HP-GL/2 scaling, and
// the PCL overlay macro of each page.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// The page set-up of a document page, written once its start and settings are
// out (the page store calls it): the captured watermark when one is to be laid
// under the page, the page matrix (PostScript) or HP-GL/2 scaling (PCL), and
// the overlay macro (PCL). The first page of a document starts from a clean
// placement state. 1; 0 without a model record or when the stream refused the
// set-up.
int EmitPageSetup(PDEV* pdev);

// The watermark laid under the page: replays the captured watermark ("wtm"
// channel) when one is selected, laid behind the page ("WMBackground"), and
// this page should carry it; then writes the page set-up proper (page matrix
// or HP-GL/2 scaling). With initMatrix the PostScript watermark block ends
// with "initmatrix". 1, or 0 without a model record.
int EmitWatermark(PDEV* pdev, BOOL initMatrix);

// PCL overlay: on the page that first needs it the macro is set up (defined
// or selected, see overlay_macro.h), on later pages called ("ESC&f3X",
// "MacroBackground") or enabled as overlay ("ESC&f4X"); after a printer reset
// since the set-up the macro is set up again. The current font becomes none.
// 1; 0 when nothing was asked or the macro is unusable.
int EnableOverlayMacro(PDEV* pdev);
