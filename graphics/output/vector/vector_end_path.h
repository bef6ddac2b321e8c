// The end of a path the application built through the path escapes.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// Flags of EndFillClip.
constexpr DWORD kEndPathAlternate = 0x01;  // alternate (even-odd) fill
constexpr DWORD kEndPathClose = 0x02;
constexpr DWORD kEndPathClip = 0x04;
constexpr DWORD kEndPathEoClip = 0x08;
constexpr DWORD kEndPathNewPath = 0x10;  // start a new path afterwards

// Ends an application path (PostScript only): close, clip, stroke with line
// and/or fill with brush. FALSE on the PCL family or without a PDEV.
BOOL EndFillClip(PDEV* pdev, LINEATTRS* line, BRUSHOBJ* brush, DWORD flags);
