// The glyph set of a device font. Fonts of the Far East character sets map
// their codes through a glyph set of the model module; every other device font
// uses the library's glyph set of the ANSI code page. The cached sets go when
// the library is disabled.
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/device_font_lookup.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr size_t kStoredHeaderBytes = 16;
constexpr size_t kStoredRunBytes = 8;

uint32_t U32(const BYTE* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}
uint16_t U16(const BYTE* at) {
  uint16_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

FD_GLYPHSET* g_glyphSets[2] = {};

}  // namespace

FD_GLYPHSET** CachedGlyphSetSlot(int name) {
  if (name == kShiftJisGlyphSetName) return &g_glyphSets[0];
  if (name == kGb2312GlyphSetName) return &g_glyphSets[1];
  return nullptr;
}

FD_GLYPHSET* LoadGlyphSetResource(const void* resource, size_t size) {
  if (!resource || size < kStoredHeaderBytes) return nullptr;
  const BYTE* bytes = static_cast<const BYTE*>(resource);
  const uint32_t runs = U32(bytes + 12);
  // The runs and every handle they count must lie inside the resource.
  if (runs == 0 || runs > (size - kStoredHeaderBytes) / kStoredRunBytes) return nullptr;
  const BYTE* storedRuns = bytes + kStoredHeaderBytes;
  size_t handles = 0;
  for (uint32_t i = 0; i < runs; ++i) handles += U16(storedRuns + i * kStoredRunBytes + 2);
  const size_t handlesAt = kStoredHeaderBytes + runs * kStoredRunBytes;
  if (handles > (size - handlesAt) / sizeof(uint32_t)) return nullptr;

  const size_t header = offsetof(FD_GLYPHSET, awcrun);
  const size_t blockBytes = header + runs * sizeof(WCRUN) + handles * sizeof(HGLYPH);
  auto* set = static_cast<FD_GLYPHSET*>(std::calloc(1, blockBytes));
  if (!set) return nullptr;
  set->cjThis = static_cast<ULONG>(blockBytes);
  set->flAccel = U32(bytes + 4);
  set->cGlyphsSupported = U32(bytes + 8);
  set->cRuns = runs;
  auto* handleArea = reinterpret_cast<HGLYPH*>(reinterpret_cast<BYTE*>(set) + header + runs * sizeof(WCRUN));
  size_t before = 0;
  for (uint32_t i = 0; i < runs; ++i) {
    const BYTE* run = storedRuns + i * kStoredRunBytes;
    set->awcrun[i].wcLow = U16(run);
    set->awcrun[i].cGlyphs = U16(run + 2);
    set->awcrun[i].phg = handleArea + before;
    for (size_t g = 0; g < set->awcrun[i].cGlyphs; ++g)
      handleArea[before + g] = U32(bytes + handlesAt + 4 * (before + g));
    before += set->awcrun[i].cGlyphs;
  }
  return set;
}

FD_GLYPHSET* GetDeviceGlyphSet(PDEV* pdev, ULONG iFace) {
  const DeviceFontEntry* font = FindDeviceFont(pdev, iFace);
  if (!font) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const BYTE charset = font->metrics->jWinCharSet;
  const int name = charset == SHIFTJIS_CHARSET ? kShiftJisGlyphSetName
                   : charset == GB2312_CHARSET ? kGb2312GlyphSetName
                                               : 0;
  if (name == 0) return DefaultGlyphSet();
  FD_GLYPHSET** slot = CachedGlyphSetSlot(name);
  if (*slot) return *slot;
  const HMODULE module = LoadModelModule(pdev->printer);
  if (!module) return nullptr;
  ULONG size = 0;
  const void* resource = EngFindResource(module, name, kGlyphSetResourceType, &size);
  *slot = LoadGlyphSetResource(resource, size);
  FreeLibrary(module);
  return *slot;
}

void FreeDeviceGlyphSet() {
  for (int name : {kShiftJisGlyphSetName, kGb2312GlyphSetName}) {
    FD_GLYPHSET** slot = CachedGlyphSetSlot(name);
    std::free(*slot);
    *slot = nullptr;
  }
}
