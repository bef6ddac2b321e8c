// The glyph sets of the Far East device fonts go when the library is disabled.
#include <cstdlib>
#include <initializer_list>

#include "graphics/output/fonts/device_glyph_set.h"

void FreeDeviceGlyphSet() {
  for (int name : {kShiftJisGlyphSetName, kGb2312GlyphSetName}) {
    FD_GLYPHSET** slot = CachedGlyphSetSlot(name);
    std::free(*slot);
    *slot = nullptr;
  }
}
