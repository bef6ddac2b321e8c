// The description of a model resource module (data/modules/*.txt): the resident
// fonts with the free fonts their metrics come from, the glyph sets and the
// pictures. The format is described at the top of data/modules/nardoc55.txt.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace modelres {

struct DescriptionError : std::runtime_error {
  DescriptionError(int lineNumber, const std::string& message) : std::runtime_error(message), line(lineNumber) {}
  int line;
};

enum class MetricsSource { kAfm, kCjk };

struct FontSpec {
  int id = 0;
  MetricsSource source = MetricsSource::kAfm;
  std::string file;       // a file name, looked up in the font folders
  std::string face;       // UTF-8
  std::string selection;  // PostScript name, or PCL "typeface,symbol set"
  std::string family;     // roman, swiss, modern or empty
  bool shiftJis = false;
  int pitch = 0;  // a fixed advance per 1000 units of em, 0: the source's
  int line = 0;
};

struct GlyphSetSpec {
  int name = 0;
  std::string codePage;  // an iconv name
};

enum class Picture { kPrinter, kFinisher, kLogo };

struct PictureSpec {
  std::string name;
  Picture picture = Picture::kPrinter;
};

struct Description {
  std::vector<FontSpec> fonts;
  std::vector<GlyphSetSpec> glyphSets;
  std::vector<PictureSpec> pictures;
};

// Throws DescriptionError with the line of the fault.
Description ParseDescription(const std::string& text);

}  // namespace modelres
