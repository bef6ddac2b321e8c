// Solid colours of the vector writer, reduced to grey for monochrome printers.
#pragma once

#include "graphics/output/vector/vector_targets.h"
#include "platform/base/types.h"

struct PDEV;

// Selects the solid colour rgb (0x00BBGGRR) for target (vector_targets.h).
// Nothing is written when the remembered colour of that target is still in
// force. With remember the colour becomes the remembered one. FALSE only
// without a PDEV.
BOOL SelectFillHpglPs(PDEV* pdev, DWORD rgb, BOOL remember, DWORD target, int hpglIndex);
