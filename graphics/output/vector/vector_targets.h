// The targets of the vector writer's colour and brush selections: PostScript,
// the HP-GL/2 fill or pen, or plain PCL.
#pragma once

#include "common/pdl_kind.h"
#include "platform/base/types.h"

// Any PdlKind bit of the PostScript mask selects PostScript, kTargetHpgl the
// HP-GL/2 fill or pen, any other value plain PCL (the drawing entries pass the
// job's PdlKind or 8).
constexpr DWORD kTargetPostScript = kPdlPs3;  // 259
constexpr DWORD kTargetHpgl = 64;
constexpr DWORD kTargetPcl = 140;  // 0x8C, a PCL PdlKind
// hpglIndex of the selections: what an HP-GL/2 selection sets.
constexpr int kHpglFill = 0;  // "FT", pattern index 1
constexpr int kHpglPen = 1;   // "SV" (screened vectors), pattern index 2
