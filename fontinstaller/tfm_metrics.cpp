#include "fontinstaller/tfm_metrics.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "platform/ui/message_box.h"

namespace fontinstaller {

namespace {

namespace off = fontrecord::offset;

// Directories beyond this many are taken for a broken file.
constexpr int kMostDirectories = 64;
constexpr int kBulletIndexNumber = 331;
constexpr int kBulletUnicode = 8226;

struct Tag {
  int type = 0;
  uint32_t count = 0;
  std::vector<uint8_t> bytes;  // count values of the type's size, in the file's order
};

class TfmReader {
 public:
  explicit TfmReader(const std::vector<uint8_t>& bytes) : b_(bytes) {}
  bool littleEndian = true;

  bool Has(size_t at, size_t size) const { return at <= b_.size() && size <= b_.size() - at; }
  uint32_t U16(size_t at) const {
    if (!Has(at, 2)) return 0;
    return littleEndian ? (b_[at] | (b_[at + 1] << 8)) : ((b_[at] << 8) | b_[at + 1]);
  }
  uint32_t U32(size_t at) const {
    if (!Has(at, 4)) return 0;
    return littleEndian ? (U16(at) | (U16(at + 2) << 16)) : ((U16(at) << 16) | U16(at + 2));
  }
  const std::vector<uint8_t>& bytes() const { return b_; }

 private:
  const std::vector<uint8_t>& b_;
};

size_t TypeSize(int type) {
  switch (type) {
    case 1:
    case 2: return 1;
    case 3: return 2;
    case 4: return 4;
    case 5: return 8;
    default: return 1;
  }
}

std::optional<std::map<int, Tag>> ReadTags(TfmReader& r) {
  std::map<int, Tag> tags;
  std::set<uint32_t> seen;
  uint32_t directory = r.U32(4);
  for (int n = 0; directory != 0; ++n) {
    // A chain that comes back on itself would never end.
    if (n >= kMostDirectories || !seen.insert(directory).second || !r.Has(directory, 2)) return std::nullopt;
    const uint32_t count = r.U16(directory);
    const size_t entries = directory + 2;
    if (!r.Has(entries, static_cast<size_t>(count) * 12 + 4)) return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
      const size_t at = entries + i * 12;
      Tag tag;
      const int number = static_cast<int>(r.U16(at));
      tag.type = static_cast<int>(r.U16(at + 2));
      tag.count = r.U32(at + 4);
      const size_t size = TypeSize(tag.type);
      if (tag.count > r.bytes().size() / size + 1) continue;  // more values than the file has bytes
      const size_t total = size * tag.count;
      const size_t valueAt = total <= 4 ? at + 8 : r.U32(at + 8);
      if (!r.Has(valueAt, total)) continue;
      tag.bytes.assign(r.bytes().begin() + static_cast<long>(valueAt),
                       r.bytes().begin() + static_cast<long>(valueAt + total));
      tags[number] = std::move(tag);
    }
    directory = r.U32(entries + static_cast<size_t>(count) * 12);
  }
  return tags;
}

class Tags {
 public:
  Tags(const std::map<int, Tag>& tags, const TfmReader& r) : tags_(tags), r_(r) {}
  const Tag* Find(int number) const {
    auto it = tags_.find(number);
    return it == tags_.end() ? nullptr : &it->second;
  }
  // The n-th value of a tag as a number (bytes, words, double words, ratios).
  double Number(int number, size_t n = 0, double fallback = 0) const {
    const Tag* tag = Find(number);
    if (!tag) return fallback;
    const size_t size = TypeSize(tag->type);
    if ((n + 1) * size > tag->bytes.size()) return fallback;
    const uint8_t* p = tag->bytes.data() + n * size;
    auto word = [&](const uint8_t* q) {
      return r_.littleEndian ? static_cast<uint32_t>(q[0] | (q[1] << 8)) : static_cast<uint32_t>((q[0] << 8) | q[1]);
    };
    auto dword = [&](const uint8_t* q) {
      return r_.littleEndian ? static_cast<uint32_t>(word(q) | (word(q + 2) << 16))
                             : static_cast<uint32_t>((word(q) << 16) | word(q + 2));
    };
    switch (size) {
      case 1: return p[0];
      case 2: return word(p);
      case 4: return dword(p);
      case 8: {
        const uint32_t denominator = dword(p + 4);
        return denominator == 0 ? 0 : static_cast<double>(dword(p)) / denominator;
      }
      default: return fallback;
    }
  }
  // The same as an int, held to the int range: a double words' value or ratio
  // beyond it would not convert.
  int Int(int number, size_t n = 0, double fallback = 0) const {
    const double value = Number(number, n, fallback);
    if (!(value >= static_cast<double>(INT_MIN))) return INT_MIN;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
  }
  size_t Count(int number) const {
    const Tag* tag = Find(number);
    return tag ? tag->bytes.size() / TypeSize(tag->type) : 0;
  }
  std::string Text(int number) const {
    const Tag* tag = Find(number);
    if (!tag || tag->bytes.empty()) return {};
    const char* text = reinterpret_cast<const char*>(tag->bytes.data());
    return std::string(text, strnlen(text, tag->bytes.size()));
  }
  // A NUL-terminated string at a file offset, at most limit characters.
  std::string TextAt(uint32_t at, size_t limit) const {
    if (!r_.Has(at, 1)) return {};
    const char* text = reinterpret_cast<const char*>(r_.bytes().data() + at);
    size_t available = r_.bytes().size() - at;
    return std::string(text, strnlen(text, std::min(available, limit)));
  }

 private:
  const std::map<int, Tag>& tags_;
  const TfmReader& r_;
};

int WeightClassOfTfm(int weight) {
  if (weight <= 51) return 100;
  if (weight <= 68) return 200;
  if (weight <= 102) return 300;
  if (weight <= 136) return 400;
  if (weight <= 153) return 500;
  if (weight <= 170) return 600;
  if (weight <= 187) return 700;
  if (weight <= 204) return 800;
  if (weight <= 255) return 900;
  return 0;
}

// Words of a typeface name that name its style rather than its family.
bool IsStyleWord(const std::string& word) {
  static const char* const kStyleWords[] = {"Bd",     "It",   "BdIt",   "Md",    "MdIt",  "Lt",      "LtIt",   "Bk",
                                            "BkIt",   "Blk",  "BlkIt",  "Cmpct", "Obl",   "Oblique", "Book",   "Bold",
                                            "Italic", "Demi", "DemiIt", "Rmn",   "Roman", "Light",   "Medium", "Black",
                                            "Heavy",  "XBd",  "XBdIt",  "Ult",   "UltIt", "Regular", "BdObl"};
  for (const char* style : kStyleWords) {
    if (word == style) return true;
  }
  return false;
}

bool IsCondensedWord(const std::string& word) { return word == "Cd" || word == "Cond" || word == "Condensed"; }

void SplitFace(const std::string& face, std::string& family, std::string& style) {
  size_t at = 0;
  bool condensed = false;
  while (at < face.size()) {
    while (at < face.size() && face[at] == ' ') ++at;
    const size_t start = at;
    while (at < face.size() && face[at] != ' ') ++at;
    if (at == start) break;
    const std::string word = face.substr(start, at - start);
    if (IsCondensedWord(word)) {
      condensed = true;
    } else if (IsStyleWord(word)) {
      style += (style.empty() ? "" : " ") + word;
    } else {
      family += (family.empty() ? "" : " ") + word;
    }
  }
  if (condensed) family += " Cd";
}

}  // namespace

int AnsiCodeOfUnicode(int u) {
  if ((u >= 0x20 && u <= 0x7E) || (u >= 0xA0 && u <= 0xFF)) return u;
  static const std::map<int, int> kSpecials = {
      {8364, 128}, {8218, 130}, {402, 131},  {8222, 132}, {8230, 133}, {8224, 134}, {8225, 135},
      {710, 136},  {8240, 137}, {352, 138},  {8249, 139}, {338, 140},  {381, 142},  {8216, 145},
      {8217, 146}, {8220, 147}, {8221, 148}, {8226, 149}, {8211, 150}, {8212, 151}, {732, 152},
      {8482, 153}, {353, 154},  {8250, 155}, {339, 156},  {382, 158},  {376, 159}};
  auto it = kSpecials.find(u);
  return it == kSpecials.end() ? -1 : it->second;
}

std::optional<fontrecord::MetricsBlock> ConvertTfmMetrics(const std::vector<uint8_t>& tfm) {
  if (tfm.size() < 8 || !((tfm[0] == 'I' && tfm[1] == 'I') || (tfm[0] == 'M' && tfm[1] == 'M'))) {
    MessageBoxA(0, "\n Invalid TFM Header --  Unknown Byte Order \n", "Font Installer", MB_OK);
    return std::nullopt;
  }
  TfmReader reader(tfm);
  reader.littleEndian = tfm[0] == 'I';
  std::optional<std::map<int, Tag>> read = ReadTags(reader);
  if (!read) return std::nullopt;
  const Tags tags(*read, reader);

  // The symbol sets the font serves, by their selection strings.
  std::vector<std::string> selections;
  if (const Tag* directory = tags.Find(404)) {
    TfmReader entries(directory->bytes);
    entries.littleEndian = reader.littleEndian;
    for (size_t at = 0; at + 14 <= directory->bytes.size(); at += 14) {
      selections.push_back(tags.TextAt(entries.U32(at + 4), 10));
    }
  }
  auto serves = [&](const char* selection) {
    for (const std::string& s : selections) {
      if (s == selection) return true;
    }
    return false;
  };
  int symbolClass = 2;
  const char* classSuffix = nullptr;
  if (serves("19U")) {
    symbolClass = 1;
    classSuffix = ",19U";
  } else if (serves("0N")) {
    symbolClass = 3;
    classSuffix = ",0N";
  } else if (serves("8U")) {
    symbolClass = 4;
    classSuffix = ",8U";
  }

  std::string face = tags.Text(417);
  if (face.empty()) face = tags.Text(402);
  if (face.empty()) face = tags.Text(401);
  if (face.rfind("M ", 0) == 0) face = face.substr(2);
  std::string family;
  std::string style;
  SplitFace(face, family, style);
  const std::string typeface = family.empty() ? face : family;

  fontrecord::MetricsBlock block = fontrecord::MetricsBlock::Blank();
  block.SetText(off::kFaceName, 32, typeface);
  block.SetText(off::kFaceName + 32, 32, style);
  const bool fixedPitch = tags.Number(412) != 0;
  block.SetU8(off::kFlags,
              static_cast<uint8_t>(fontrecord::kFlagScalable | (fixedPitch ? fontrecord::kFlagFixedPitch : 0)));
  block.SetU16(off::kPointSize, static_cast<uint16_t>(std::lround(tags.Number(407))));
  block.SetU16(off::kHeight, static_cast<uint16_t>(std::lround(tags.Number(408))));
  const int ascent = tags.Int(425);
  const int descent = tags.Int(426);
  block.SetU16(off::kAscent, static_cast<uint16_t>(ascent));
  block.SetU16(off::kDescent, static_cast<uint16_t>(descent));
  block.SetU16(off::kLineGap, static_cast<uint16_t>(int64_t{tags.Int(422)} - ascent - descent));
  block.SetU16(off::kCapHeight, static_cast<uint16_t>(tags.Int(423)));
  block.SetU16(off::kXHeight, static_cast<uint16_t>(tags.Int(424)));
  block.SetU16(off::kAscender, static_cast<uint16_t>(tags.Int(427)));
  block.SetU16(off::kDescender, static_cast<uint16_t>(tags.Int(428)));
  block.SetU8(off::kSpareByte, tags.Number(414, 0, 255) < 129 ? 1 : 0);
  block.SetU16(off::kItalic, static_cast<uint16_t>(tags.Int(413) / 10));
  block.SetU16(off::kWeight, static_cast<uint16_t>(WeightClassOfTfm(tags.Int(411))));
  block.SetU16(off::kUnderlinePosition, static_cast<uint16_t>(tags.Int(429)));
  block.SetU16(off::kUnderlineThickness, static_cast<uint16_t>(tags.Int(430)));
  uint8_t family102 = 32;
  const int serif = tags.Int(415, 0, -1);
  if (fixedPitch) {
    family102 = 48;
  } else if (typeface.rfind("Symbol", 0) == 0 || typeface.find("Zapf") != std::string::npos || symbolClass == 2) {
    family102 = 80;
  } else if (serif >= 37 && serif <= 131) {
    family102 = 16;
  } else if (serif >= 132 && serif <= 169) {
    family102 = 0;
  } else if (serif >= 170 && serif <= 255) {
    family102 = 64;
  }
  block.SetU8(off::kPitchAndFamily, family102);
  block.SetU16(off::kAverageWidth, static_cast<uint16_t>(std::lround(tags.Number(419))));
  block.SetU16(off::kMaximumWidth, static_cast<uint16_t>(tags.Int(420)));
  block.SetU8(off::kFirstChar, 32);
  block.SetU8(off::kLastChar, 255);
  block.SetU8(off::kDefaultChar, 149);
  block.SetU8(off::kBreakChar, 32);

  // Widths: the bullet's for every code first, then each character its own. The
  // advance widths come one per character, or first of six per character.
  const bool unicode = tags.Number(400) == 2;
  const size_t characters = tags.Count(403);
  const size_t widthStride = tags.Count(433) >= characters * 6 && characters > 0 ? 6 : 1;
  auto widthOf = [&](size_t index) { return static_cast<uint16_t>(tags.Int(433, index * widthStride)); };
  const int bullet = unicode ? kBulletUnicode : kBulletIndexNumber;
  for (size_t i = 0; i < characters; ++i) {
    if (tags.Int(403, i) != bullet) continue;
    for (int code = 0; code < 256; ++code) block.SetWidth(static_cast<uint8_t>(code), widthOf(i));
    break;
  }
  for (size_t i = 0; i < characters; ++i) {
    // The font's own index numbers have no table here: only Unicode numbering maps.
    const int code = unicode ? AnsiCodeOfUnicode(tags.Int(403, i)) : -1;
    if (code >= 0) block.SetWidth(static_cast<uint8_t>(code), widthOf(i));
  }
  block.SetU8(off::kCharSetClass, static_cast<uint8_t>(symbolClass));
  block.SetU8(off::kStyleVariant, 0);
  std::string selection = typeface;
  if (classSuffix) {
    selection += classSuffix;
  } else {
    selection += "," + (selections.empty() ? std::string() : selections.front());
  }
  block.SetText(off::kSelectionName, fontrecord::kSelectionNameSize, selection);
  return block;
}

}  // namespace fontinstaller
