// The glyph set of the Far East device fonts is read with the device fonts,
// which come with the text output; until then none is ever cached, so there is
// nothing to free.
#include "graphics/output/device_glyph_set.h"

void FreeDeviceGlyphSet() {}
