#include "tools/modelres/font_metrics.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

namespace modelres {
namespace {

using fontrecord::MetricsBlock;
namespace field = fontrecord::offset;

constexpr int kEm = 1000;

// Latin-1 names of 0xA0-0xFF, in code order.
constexpr const char* kLatin1Upper[] = {
    "space",       "exclamdown",  "cent",           "sterling",     "currency",      "yen",           "brokenbar",
    "section",     "dieresis",    "copyright",      "ordfeminine",  "guillemotleft", "logicalnot",    "hyphen",
    "registered",  "macron",      "degree",         "plusminus",    "twosuperior",   "threesuperior", "acute",
    "mu",          "paragraph",   "periodcentered", "cedilla",      "onesuperior",   "ordmasculine",  "guillemotright",
    "onequarter",  "onehalf",     "threequarters",  "questiondown", "Agrave",        "Aacute",        "Acircumflex",
    "Atilde",      "Adieresis",   "Aring",          "AE",           "Ccedilla",      "Egrave",        "Eacute",
    "Ecircumflex", "Edieresis",   "Igrave",         "Iacute",       "Icircumflex",   "Idieresis",     "Eth",
    "Ntilde",      "Ograve",      "Oacute",         "Ocircumflex",  "Otilde",        "Odieresis",     "multiply",
    "Oslash",      "Ugrave",      "Uacute",         "Ucircumflex",  "Udieresis",     "Yacute",        "Thorn",
    "germandbls",  "agrave",      "aacute",         "acircumflex",  "atilde",        "adieresis",     "aring",
    "ae",          "ccedilla",    "egrave",         "eacute",       "ecircumflex",   "edieresis",     "igrave",
    "iacute",      "icircumflex", "idieresis",      "eth",          "ntilde",        "ograve",        "oacute",
    "ocircumflex", "otilde",      "odieresis",      "divide",       "oslash",        "ugrave",        "uacute",
    "ucircumflex", "udieresis",   "yacute",         "thorn",        "ydieresis"};
static_assert(std::size(kLatin1Upper) == 96);

// The Windows additions at 0x80-0x9F (the codes without one print a space).
constexpr const char* kWindowsMiddle[] = {
    "Euro",      "space",      "quotesinglbase", "florin",    "quotedblbase",  "ellipsis",     "dagger",
    "daggerdbl", "circumflex", "perthousand",    "Scaron",    "guilsinglleft", "OE",           "space",
    "Zcaron",    "space",      "space",          "quoteleft", "quoteright",    "quotedblleft", "quotedblright",
    "bullet",    "endash",     "emdash",         "tilde",     "trademark",     "scaron",       "guilsinglright",
    "oe",        "space",      "zcaron",         "Ydieresis"};
static_assert(std::size(kWindowsMiddle) == 32);

// clang-format off
constexpr const char* kAsciiNames[] = {
    "space",     "exclam",    "quotedbl",    "numbersign", "dollar",     "percent",     "ampersand", "quotesingle",
    "parenleft", "parenright", "asterisk",   "plus",       "comma",      "hyphen",      "period",    "slash",
    "zero",      "one",       "two",         "three",      "four",       "five",        "six",       "seven",
    "eight",     "nine",      "colon",       "semicolon",  "less",       "equal",       "greater",   "question",
    "at",        "A",         "B",           "C",          "D",          "E",           "F",         "G",
    "H",         "I",         "J",           "K",          "L",          "M",           "N",         "O",
    "P",         "Q",         "R",           "S",          "T",          "U",           "V",         "W",
    "X",         "Y",         "Z",           "bracketleft", "backslash", "bracketright", "asciicircum", "underscore",
    "grave",     "a",         "b",           "c",          "d",          "e",           "f",         "g",
    "h",         "i",         "j",           "k",          "l",          "m",           "n",         "o",
    "p",         "q",         "r",           "s",          "t",          "u",           "v",         "w",
    "x",         "y",         "z",           "braceleft",  "bar",        "braceright",  "asciitilde"};
// clang-format on
static_assert(std::size(kAsciiNames) == 95);

uint8_t FamilyByte(const std::string& family) {
  if (family == "roman") return 0x10;
  if (family == "swiss") return 0x20;
  if (family == "modern") return 0x30;
  return 0;
}

uint16_t Clamp16(long value) { return static_cast<uint16_t>(std::clamp<long>(value, 0, 0xFFFF)); }

// The fields every resident font shares.
void SetCommon(MetricsBlock& block, const FontSpec& spec, const std::string& face, bool fixed, long ascent,
               long descent, long capHeight, long xHeight, long underlinePosition, long underlineThickness, int weight,
               int italic) {
  block.SetFaceName(face);
  block.SetSelectionName(spec.selection);
  block.SetU8(field::kFlags,
              static_cast<uint8_t>(fontrecord::kFlagScalable | (fixed ? fontrecord::kFlagFixedPitch : 0)));
  block.SetU16(field::kPointSize, 12);
  block.SetU16(field::kHeight, kEm);
  block.SetI16(field::kAscent, static_cast<int16_t>(ascent));
  block.SetU16(field::kDescent, Clamp16(descent));
  // Line spacing: ascent and descent with a fifth of the em between lines.
  block.SetU16(field::kLineGap, Clamp16(kEm / 5 + descent - kEm + ascent));
  block.SetU16(field::kCapHeight, Clamp16(capHeight));
  block.SetU16(field::kXHeight, Clamp16(xHeight));
  block.SetU16(field::kAscender, Clamp16(kEm / 3));
  block.SetU16(field::kDescender, Clamp16(kEm / 10));
  block.SetI16(field::kItalic, static_cast<int16_t>(italic));
  block.SetU16(field::kWeight, static_cast<uint16_t>(weight));
  block.SetU16(field::kUnderlinePosition, Clamp16(underlinePosition));
  block.SetU16(field::kUnderlineThickness, Clamp16(underlineThickness));
  block.SetU8(field::kPitchAndFamily, FamilyByte(spec.family));
  block.SetU8(field::kFirstChar, 0x20);
  block.SetU8(field::kLastChar, 0xFF);
  block.SetU8(field::kDefaultChar, '?');
  block.SetU8(field::kBreakChar, ' ');
  block.SetU8(field::kCharSetClass, spec.shiftJis ? fontrecord::kCharSetShiftJisFirst : fontrecord::kCharSetRoman);
}

void SetMaximumWidth(MetricsBlock& block) {
  uint16_t widest = 0;
  for (int c = 0; c < 256; ++c) widest = std::max(widest, block.Width(static_cast<uint8_t>(c)));
  block.SetU16(field::kMaximumWidth, widest);
}

}  // namespace

std::string AnsiGlyphName(int code) {
  if (code >= 0x20 && code <= 0x7E) return kAsciiNames[code - 0x20];
  if (code >= 0x80 && code <= 0x9F) return kWindowsMiddle[code - 0x80];
  if (code >= 0xA0 && code <= 0xFF) return kLatin1Upper[code - 0xA0];
  return {};
}

MetricsBlock AfmMetrics(const std::filesystem::path& afm, const FontSpec& spec, const std::string& face) {
  std::ifstream in(afm);
  if (!in) throw MetricsError("cannot read " + afm.string());
  std::map<std::string, std::string> header;
  std::map<std::string, long> widths;
  std::string line;
  bool inMetrics = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("StartCharMetrics", 0) == 0) {
      inMetrics = true;
      continue;
    }
    if (line.rfind("EndCharMetrics", 0) == 0) {
      inMetrics = false;
      continue;
    }
    if (inMetrics) {
      // "C 65 ; WX 600 ; N A ; B ..."
      long width = -1;
      std::string name;
      std::istringstream parts(line);
      std::string item;
      while (std::getline(parts, item, ';')) {
        std::istringstream words(item);
        std::string key;
        words >> key;
        if (key == "WX") words >> width;
        if (key == "N") words >> name;
      }
      if (width >= 0 && !name.empty()) widths[name] = width;
      continue;
    }
    const size_t blank = line.find(' ');
    if (blank != std::string::npos) header[line.substr(0, blank)] = line.substr(blank + 1);
  }
  if (widths.empty()) throw MetricsError(afm.string() + " has no character metrics");
  auto number = [&](const char* key, long fallback) {
    auto it = header.find(key);
    return it == header.end() ? fallback : std::lround(std::stod(it->second));
  };
  const bool fixed = header["IsFixedPitch"] == "true" || spec.pitch != 0;
  const std::string weightName = header["Weight"];
  const int weight = weightName == "Bold" ? 700 : weightName == "Light" ? 300 : 400;
  // Some AFM files give no ascender or descender (zero): the bounding box
  // stands in, so a line still has room above and below its baseline.
  long boxBottom = -250, boxTop = 750;
  if (auto it = header.find("FontBBox"); it != header.end()) {
    std::istringstream box(it->second);
    long left = 0, right = 0;
    box >> left >> boxBottom >> right >> boxTop;
  }
  long ascent = number("Ascender", 0), descent = -number("Descender", 0);
  if (ascent <= 0) ascent = boxTop;
  if (descent <= 0) descent = -boxBottom;
  MetricsBlock block = MetricsBlock::Blank();
  SetCommon(block, spec, face, fixed, ascent, descent, number("CapHeight", 700), number("XHeight", 500),
            -number("UnderlinePosition", -100), number("UnderlineThickness", 50), weight,
            static_cast<int>(number("ItalicAngle", 0)));
  const long space = widths.count("space") ? widths["space"] : 250;
  for (int code = 0x20; code <= 0xFF; ++code) {
    if (code == 0x7F) continue;
    long width = space;
    if (auto it = widths.find(AnsiGlyphName(code)); it != widths.end()) width = it->second;
    if (spec.pitch != 0) width = spec.pitch;
    block.SetWidth(static_cast<uint8_t>(code), Clamp16(width));
  }
  SetMaximumWidth(block);
  return block;
}

MetricsBlock CjkMetrics(const std::filesystem::path& font, const FontSpec& spec, const std::string& face) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) throw MetricsError("FreeType does not start");
  FT_Face ftFace = nullptr;
  if (FT_New_Face(library, font.c_str(), 0, &ftFace) != 0) {
    FT_Done_FreeType(library);
    throw MetricsError("cannot read " + font.string());
  }
  const long unitsPerEm = ftFace->units_per_EM > 0 ? ftFace->units_per_EM : kEm;
  auto scaled = [&](long value) { return value * kEm / unitsPerEm; };
  long capHeight = scaled(ftFace->ascender) * 7 / 10, xHeight = scaled(ftFace->ascender) / 2;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2)); os2 && os2->version >= 2) {
    capHeight = scaled(os2->sCapHeight);
    xHeight = scaled(os2->sxHeight);
  }
  // The advance of a half-width letter; the full width is the em.
  long half = kEm / 2;
  if (FT_Load_Char(ftFace, 'A', FT_LOAD_NO_SCALE) == 0) half = scaled(ftFace->glyph->advance.x);
  MetricsBlock block = MetricsBlock::Blank();
  SetCommon(block, spec, face, true, scaled(ftFace->ascender), -scaled(ftFace->descender), capHeight, xHeight,
            -scaled(ftFace->underline_position), scaled(ftFace->underline_thickness), 400, 0);
  FT_Done_Face(ftFace);
  FT_Done_FreeType(library);
  for (int code = 0x20; code <= 0xFF; ++code) {
    const bool leadByte = (code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC);
    block.SetWidth(static_cast<uint8_t>(code), Clamp16(leadByte ? kEm : half));
  }
  block.SetU16(field::kAverageWidth, Clamp16(half));
  SetMaximumWidth(block);
  return block;
}

}  // namespace modelres
