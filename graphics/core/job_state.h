// The job's state that several pieces of the graphics library read and write:
// the escapes set it, the drawing entries, the page store and the writers read
// it. Fields are added by the pieces that need them; each says who sets it.
#pragma once

#include "graphics/passthrough/passthrough_state.h"
#include "platform/base/types.h"

struct JobState {
  WORD epsMode = 0;                    // 1 after EPSPRINTING announced EPS printing (escapes)
  DWORD showpageOverride = 0;          // "/showpage {} def" wanted (escapes; job framing re-evaluates)
  DWORD applicationPageControl = 0;    // the application ends its own pages (EPSPRINTING)
  DWORD pageEndSuppressed = 0;         // a page end was skipped for an EPS page (DrvSendPage)
  DWORD forceShowpage = 0;             // the page trailer must show the page (page store)
  DWORD applicationIgnore = 0;         // POSTSCRIPT_IGNORE in force: drawing writes nothing
  WORD jobLineWritten = 0;             // the "@PJL JOB" line has been written (job framing)
  BOOL prologOpen = FALSE;             // the prolog's dictionary was left open by the header
  WORD appPostScriptState = 0;         // 1 or more while the application sends its own PostScript (escapes)
  WORD inHpgl = 0;                     // 1 after "ESC%0B" (HP-GL/2 entered), 0 after "ESC%0A" (PCL writers)
  WORD savedInHpgl = 0;                // the page's HP-GL/2 mode while a watermark is captured (escapes)
  SHORT pathEscapeDepth = 0;           // above 0 while an application path is open (escapes 4096/4098)
  WORD pathKind = 0;                   // 1 the path batch has lines only, 2 Beziers (drawing entries; WritePath reads)
  WORD applicationIgnoreUsed = 0;      // POSTSCRIPT_IGNORE was used in this job (escapes; the rectangle writer reads)
  PassthroughFilterState passthrough;  // the application PostScript filter's state (passthrough escapes)
};
