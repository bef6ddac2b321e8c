// The family names of the resident PostScript fonts: each family with the face
// names applications ask for when they mean it, so that GDI maps those names to
// the printer's font.
#include <cstring>
#include <string>
#include <string_view>

#include "graphics/output/fonts/device_family_names.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/codepage.h"

namespace {

struct FamilyList {
  const char* face;
  const char* const* names;  // ended by nullptr
};

constexpr const char* kTimes[] = {"Times",     "Tms Rmn", "Times Roman",     "TimesRoman",      "TmsRmn",
                                  "Varitimes", "Dutch",   "Times New Roman", "TimesNewRomanPS", nullptr};
constexpr const char* kHelvetica[] = {"Helvetica", "Helv", "Arial", "Swiss", nullptr};
constexpr const char* kCourier[] = {"Courier", "Courier New", nullptr};
constexpr const char* kHelveticaNarrow[] = {"Helvetica-Narrow", "Helvetica Narrow", "Arial-Narrow", "Arial Narrow",
                                            nullptr};
constexpr const char* kPalatino[] = {"Palatino",     "Zapf Calligraphic", "Bookman Antiqua",
                                     "Book Antiqua", "ZapfCalligraphic",  nullptr};
// Its first name is not the face name.
constexpr const char* kBookman[] = {"ITC Bookman", "Bookman Old Style", "Bookman", nullptr};
// clang-format off
constexpr const char* kNewCentury[] = {"NewCenturySchlbk",       "New Century Schoolbook", "Century Schoolbook",
                                       "NewCenturySchoolBook",   "New Century SchoolBook", "CenturySchoolBook",
                                       // clang-format on
                                       nullptr};
constexpr const char* kAvantGarde[] = {"AvantGarde", "ITC Avant Garde Gothic", "Century Gothic", "ITC Avant Garde",
                                       nullptr};
constexpr const char* kZapfChancery[] = {"ZapfChancery", "ITC Zapf Chancery", "Monotype Corsiva", nullptr};
constexpr const char* kZapfDingbats[] = {"ZapfDingbats", "ITC Zapf Dingbats", "Monotype Sorts", "Zapf Dingbats",
                                         nullptr};

constexpr FamilyList kFamilies[] = {
    {"Times", kTimes},
    {"Helvetica", kHelvetica},
    {"Courier", kCourier},
    {"Helvetica-Narrow", kHelveticaNarrow},
    {"Palatino", kPalatino},
    {"Bookman", kBookman},
    {"NewCenturySchlbk", kNewCentury},
    {"AvantGarde", kAvantGarde},
    {"ZapfChancery", kZapfChancery},
    {"ZapfDingbats", kZapfDingbats},
};

const FamilyList* FindFamily(const char* face) {
  if (!face) return nullptr;
  for (const FamilyList& family : kFamilies) {
    if (std::strcmp(family.face, face) == 0) return &family;
  }
  return nullptr;
}

// Writes one name (ANSI) as UTF-16 with its zero; answers its bytes.
size_t PutName(BYTE* at, std::string_view name) {
  const std::u16string wide = platform::ToUtf16(name, CP_ACP);
  if (at) {
    std::memcpy(at, wide.data(), 2 * wide.size());
    std::memset(at + 2 * wide.size(), 0, 2);
  }
  return 2 * (wide.size() + 1);
}

}  // namespace

bool HasFamilyList(const char* faceName) { return FindFamily(faceName) != nullptr; }

size_t WriteFamilyNames(IFIMETRICS* block, const char* faceName) {
  BYTE* at = block ? reinterpret_cast<BYTE*>(block) + kDeviceFontNamesOffset : nullptr;
  const FamilyList* family = FindFamily(faceName);
  if (!family) return PutName(at, faceName ? faceName : "");
  size_t bytes = 0;
  for (const char* const* name = family->names; *name; ++name) bytes += PutName(at ? at + bytes : nullptr, *name);
  return bytes + PutName(at ? at + bytes : nullptr, "");
}
