// Choosing the printer font that prints a TrueType font, in a file of its own
// so that a test of the text writer can put a recording choice in its place.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"
#include "platform/gdi/engine_objects.h"

struct DeviceFontList;
struct PDEV;
struct TextRunContext;

// The index in the PDEV's device-font list of the printer font that prints the
// TrueType font, or -1 for none (the run then goes through a downloaded font).
int FindSubstituteDeviceFont(PDEV* pdev, FONTOBJ* font, TextRunContext* run);

// The best printer font for a TrueType font drawn through the transform: the
// entry with the lowest penalty (the later one on equal penalties), -1 when
// none is acceptable. With tableFlag a family name that differs rules the entry
// out. *score receives the winning penalty.
int ScoreDeviceFontMatch(const IFIMETRICS* trueType, XFORMOBJ* xform, const DeviceFontList* fonts, int* score,
                         int tableFlag);
// How a printer family stands to a TrueType family: 1 the same name, 0 an
// equivalent one, -1 none or unrelated.
int FontFamilyEquivalence(const char* printerFamily, const char* trueTypeFamily);
