#include "tools/modelres/description.h"

#include <cctype>
#include <set>
#include <sstream>

namespace modelres {
namespace {

// The words of a line; a "quoted" word may hold blanks.
std::vector<std::string> Words(const std::string& line, int number) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && std::isspace(static_cast<unsigned char>(line[at]))) ++at;
    if (at >= line.size() || line[at] == '#') break;
    if (line[at] == '"') {
      const size_t end = line.find('"', at + 1);
      if (end == std::string::npos) throw DescriptionError(number, "a quoted word has no closing quote");
      words.push_back(line.substr(at + 1, end - at - 1));
      at = end + 1;
    } else {
      const size_t start = at;
      while (at < line.size() && !std::isspace(static_cast<unsigned char>(line[at]))) ++at;
      words.push_back(line.substr(start, at - start));
    }
  }
  return words;
}

int Number(const std::string& word, int line) {
  size_t used = 0;
  int value = 0;
  try {
    value = std::stoi(word, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != word.size() || value <= 0) throw DescriptionError(line, "'" + word + "' is not a positive number");
  return value;
}

FontSpec ParseFont(const std::vector<std::string>& w, int line) {
  if (w.size() < 8) throw DescriptionError(line, "font <id> afm|cjk <file> face \"..\" select \"..\" [options]");
  FontSpec font;
  font.line = line;
  font.id = Number(w[1], line);
  if (w[2] == "afm") {
    font.source = MetricsSource::kAfm;
  } else if (w[2] == "cjk") {
    font.source = MetricsSource::kCjk;
  } else {
    throw DescriptionError(line, "the metrics source is afm or cjk, not '" + w[2] + "'");
  }
  font.file = w[3];
  for (size_t i = 4; i < w.size(); i += 2) {
    const std::string& key = w[i];
    if (key == "charset") {
      if (i + 1 >= w.size() || w[i + 1] != "sjis") throw DescriptionError(line, "charset takes sjis");
      font.shiftJis = true;
      continue;
    }
    if (i + 1 >= w.size()) throw DescriptionError(line, "'" + key + "' needs a value");
    const std::string& value = w[i + 1];
    if (key == "face") {
      font.face = value;
    } else if (key == "select") {
      font.selection = value;
    } else if (key == "family") {
      if (value != "roman" && value != "swiss" && value != "modern")
        throw DescriptionError(line, "family is roman, swiss or modern");
      font.family = value;
    } else if (key == "pitch") {
      font.pitch = Number(value, line);
    } else {
      throw DescriptionError(line, "unknown font option '" + key + "'");
    }
  }
  if (font.face.empty() || font.selection.empty()) throw DescriptionError(line, "a font needs a face and a selection");
  return font;
}

}  // namespace

Description ParseDescription(const std::string& text) {
  Description description;
  std::set<int> fontIds;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const std::vector<std::string> w = Words(line, number);
    if (w.empty()) continue;
    if (w[0] == "font") {
      FontSpec font = ParseFont(w, number);
      if (!fontIds.insert(font.id).second) throw DescriptionError(number, "font " + w[1] + " is described twice");
      description.fonts.push_back(font);
    } else if (w[0] == "glyphset") {
      if (w.size() != 3) throw DescriptionError(number, "glyphset <name> <code page>");
      description.glyphSets.push_back({Number(w[1], number), w[2]});
    } else if (w[0] == "bitmap") {
      if (w.size() != 3) throw DescriptionError(number, "bitmap \"<name>\" printer|finisher|logo");
      const Picture picture = w[2] == "printer"    ? Picture::kPrinter
                              : w[2] == "finisher" ? Picture::kFinisher
                              : w[2] == "logo"     ? Picture::kLogo
                                                   : throw DescriptionError(number, "unknown picture '" + w[2] + "'");
      description.pictures.push_back({w[1], picture});
    } else {
      throw DescriptionError(number, "unknown entry '" + w[0] + "'");
    }
  }
  return description;
}

}  // namespace modelres
