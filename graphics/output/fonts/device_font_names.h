// Family names of device fonts as the font choice compares them.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct DeviceFontList;

// The index of the list entry whose family name, in the ANSI code page, equals
// the name ignoring case; -1 for none.
int FindDeviceFontByName(const char* name, const DeviceFontList* fonts);
// The family name of a metrics block, wide and in the ANSI code page.
std::u16string FontFamilyWide(const IFIMETRICS* metrics);
std::string FontFamilyAnsi(const IFIMETRICS* metrics);
