// Font sizes from the engine's font objects: the em height in device pixels and
// in points, and the scale of the font's transform.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

struct PDEV;

// The length in device pixels of the em vector (0, fwdUnitsPerEm) through the
// font's notional-to-device transform, rounded up (IntHypot); -1 when the font,
// its transform or its metrics are missing or the transform fails.
int GetFontHeight(FONTOBJ* pfo);
// The same vector's length in 28.4 device units as float pixels; -1.0 in the
// same cases.
float GetFontScale(FONTOBJ* pfo);
// The em height in points at the device mode's print quality (dots per inch),
// rounded to nearest as MulDiv does; -1 without a PDEV, without a font height or
// with a print quality that is not positive.
int GetFontPointSize(const PDEV* pdev, FONTOBJ* pfo);
