// The 689-byte metrics block of a resident font, built from the free font whose
// widths match the printer's face.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "tools/modelres/description.h"

namespace modelres {

struct MetricsError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// From an AFM file: the widths by the code of the driver's ANSI encoding
// (Latin-1 with the Windows additions), heights from the header.
fontrecord::MetricsBlock AfmMetrics(const std::filesystem::path& afm, const FontSpec& spec,
                                    const std::string& faceInCodePage);

// From a Japanese outline font: single bytes half-width, lead bytes full-width,
// heights from the font's own tables.
fontrecord::MetricsBlock CjkMetrics(const std::filesystem::path& font, const FontSpec& spec,
                                    const std::string& faceInCodePage);

// The glyph name the driver's ANSI encoding gives a code (empty for none).
std::string AnsiGlyphName(int code);

}  // namespace modelres
