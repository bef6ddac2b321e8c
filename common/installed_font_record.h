// An installed PCL soft font as the fonts-and-macros installer records it and the
// driver libraries read it back: a text part "<flags>,<metrics file name>,<font
// file path>;" followed at once by the font's 689-byte metrics block (the content
// of its ".pfm" file). The per-model resource module's font metrics use the same
// block. Writer and readers live in different deliverables, so the format is kept
// here once, header-only, with no dependency beyond the standard library.
//
// The metrics block is read and written by byte offset, never by overlaying a
// structure: its size is odd and its words are unaligned. All numbers are
// little-endian on every host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fontrecord {

// ---- The metrics block ---------------------------------------------------------

constexpr size_t kMetricsBlockSize = 689;
// The tag fills the first 8 bytes exactly; there is no terminator after it.
constexpr char kMetricsTag[8] = {'C', 'a', 'l', 'y', 'x', 'P', 'F', 'M'};
constexpr uint16_t kMetricsVersion = 1;

// Byte offsets of the fields.
namespace offset {
constexpr size_t kTag = 0;                   // char[8], "CalyxPFM"
constexpr size_t kVersion = 8;               // u16, kMetricsVersion
constexpr size_t kFaceName = 10;             // char[64], NUL-terminated
constexpr size_t kFlags = 74;                // u8, kFlag* bits
constexpr size_t kPointSize = 75;            // u16
constexpr size_t kHeight = 77;               // u16, the em height
constexpr size_t kAscent = 79;               // i16
constexpr size_t kDescent = 81;              // u16
constexpr size_t kLineGap = 83;              // u16, internal leading / line spacing
constexpr size_t kCapHeight = 85;            // u16
constexpr size_t kXHeight = 87;              // u16
constexpr size_t kAscender = 89;             // u16, superscript offset
constexpr size_t kDescender = 91;            // u16, subscript offset
constexpr size_t kSpareByte = 93;            // u8, kept with the metrics
constexpr size_t kItalic = 94;               // i16, 0 upright
constexpr size_t kWeight = 96;               // u16, 100..900 (1..1000)
constexpr size_t kUnderlinePosition = 98;    // u16
constexpr size_t kUnderlineThickness = 100;  // u16
constexpr size_t kPitchAndFamily = 102;      // u8, the family in the high nibble (16 roman ... 80 decorative)
constexpr size_t kAverageWidth = 103;        // u16, 0 = compute from the widths
constexpr size_t kMaximumWidth = 105;        // u16
constexpr size_t kFirstChar = 107;           // u8
constexpr size_t kLastChar = 108;            // u8
constexpr size_t kDefaultChar = 109;         // u8
constexpr size_t kBreakChar = 110;           // u8
constexpr size_t kWidths = 111;              // u16 x 256, indexed by character code
constexpr size_t kCharSetClass = 623;        // u8, kCharSet* values
constexpr size_t kStyleVariant = 624;        // u8
constexpr size_t kSelectionName = 625;       // char[64], NUL-terminated; empty: use the face name
}  // namespace offset

constexpr size_t kFaceNameSize = 64;
constexpr size_t kSelectionNameSize = 64;
constexpr size_t kWidthCount = 256;

static_assert(offset::kWidths + 2 * kWidthCount == offset::kCharSetClass);
static_assert(offset::kSelectionName + kSelectionNameSize == kMetricsBlockSize);
static_assert(offset::kFaceName + kFaceNameSize == offset::kFlags);

// Flag bits (offset::kFlags).
constexpr uint8_t kFlagScalable = 0x01;  // an outline font; clear for a bitmap font
constexpr uint8_t kFlagFixedPitch = 0x02;
constexpr uint8_t kFlagSoftFont = 0x40;  // built from a PCL bitmap soft font

// Character-set classes (offset::kCharSetClass). Other values read as ANSI.
constexpr uint8_t kCharSetRoman = 1;
constexpr uint8_t kCharSetSymbol = 2;
constexpr uint8_t kCharSetOther = 3;
constexpr uint8_t kCharSetRoman8 = 4;
constexpr uint8_t kCharSetShiftJisFirst = 5;  // 5, 6 and 7: Shift-JIS
constexpr uint8_t kCharSetShiftJisLast = 7;
constexpr uint8_t kCharSetGb2312 = 8;

// One block, with accessors by offset. Out-of-range offsets are refused at
// compile time where the offset is a constant and never touch memory otherwise.
class MetricsBlock {
 public:
  MetricsBlock() { bytes_.fill(0); }

  // A block from stored bytes: nothing unless exactly kMetricsBlockSize bytes.
  static std::optional<MetricsBlock> FromBytes(const void* data, size_t size) {
    if (!data || size != kMetricsBlockSize) return std::nullopt;
    MetricsBlock block;
    std::memcpy(block.bytes_.data(), data, kMetricsBlockSize);
    return block;
  }

  // A new block with the tag and version set, everything else zero.
  static MetricsBlock Blank() {
    MetricsBlock block;
    std::memcpy(block.bytes_.data() + offset::kTag, kMetricsTag, sizeof kMetricsTag);
    block.SetU16(offset::kVersion, kMetricsVersion);
    return block;
  }

  // Usable by a reader: the tag and the version are right.
  bool IsValid() const {
    return std::memcmp(bytes_.data() + offset::kTag, kMetricsTag, sizeof kMetricsTag) == 0 &&
           U16(offset::kVersion) == kMetricsVersion;
  }

  uint8_t U8(size_t at) const { return at < kMetricsBlockSize ? bytes_[at] : 0; }
  uint16_t U16(size_t at) const {
    if (at + 2 > kMetricsBlockSize) return 0;
    return static_cast<uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
  }
  int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }

  void SetU8(size_t at, uint8_t value) {
    if (at < kMetricsBlockSize) bytes_[at] = value;
  }
  void SetU16(size_t at, uint16_t value) {
    if (at + 2 > kMetricsBlockSize) return;
    bytes_[at] = static_cast<uint8_t>(value & 0xFF);
    bytes_[at + 1] = static_cast<uint8_t>(value >> 8);
  }
  void SetI16(size_t at, int16_t value) { SetU16(at, static_cast<uint16_t>(value)); }

  // A text field, read up to its NUL or the end of the field (a field without its
  // NUL never reads past itself).
  std::string Text(size_t at, size_t fieldSize) const {
    if (at >= kMetricsBlockSize) return {};
    if (fieldSize > kMetricsBlockSize - at) fieldSize = kMetricsBlockSize - at;
    const char* start = reinterpret_cast<const char*>(bytes_.data() + at);
    size_t length = 0;
    while (length < fieldSize && start[length] != '\0') ++length;
    return std::string(start, length);
  }
  // Writes at most fieldSize - 1 bytes and zero-fills the rest of the field. The
  // caller cuts multi-byte text at a character boundary beforehand.
  void SetText(size_t at, size_t fieldSize, std::string_view text) {
    if (at >= kMetricsBlockSize || fieldSize == 0) return;
    if (fieldSize > kMetricsBlockSize - at) fieldSize = kMetricsBlockSize - at;
    std::memset(bytes_.data() + at, 0, fieldSize);
    const size_t length = text.size() < fieldSize - 1 ? text.size() : fieldSize - 1;
    std::memcpy(bytes_.data() + at, text.data(), length);
  }

  std::string FaceName() const { return Text(offset::kFaceName, kFaceNameSize); }
  void SetFaceName(std::string_view name) { SetText(offset::kFaceName, kFaceNameSize, name); }
  std::string SelectionName() const { return Text(offset::kSelectionName, kSelectionNameSize); }
  void SetSelectionName(std::string_view name) { SetText(offset::kSelectionName, kSelectionNameSize, name); }

  uint16_t Width(uint8_t code) const { return U16(offset::kWidths + 2 * static_cast<size_t>(code)); }
  void SetWidth(uint8_t code, uint16_t width) { SetU16(offset::kWidths + 2 * static_cast<size_t>(code), width); }

  const uint8_t* data() const { return bytes_.data(); }
  static constexpr size_t size() { return kMetricsBlockSize; }

 private:
  std::array<uint8_t, kMetricsBlockSize> bytes_;
};

static_assert(sizeof(MetricsBlock) == kMetricsBlockSize);

// ---- The record text -----------------------------------------------------------

// The three fields of a record's text part.
struct RecordText {
  long flags = 0;
  std::string metricsFileName;  // the ".pfm" file (the macro name in a macro record)
  std::string fontFilePath;     // the font (or macro) file on the host
};

// The ids of a list value ("12;7;"): each ended by ";", blanks around them
// ignored, empty ones skipped.
inline std::vector<std::string> SplitIdList(std::string_view list) {
  std::vector<std::string> ids;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    std::string_view id = list.substr(start, end - start);
    const size_t first = id.find_first_not_of(" \t");
    if (first != std::string_view::npos) {
      id = id.substr(first, id.find_last_not_of(" \t") - first + 1);
      ids.emplace_back(id);
    }
    start = end + 1;
  }
  return ids;
}

// Splits a record text (without its ";"): the first two fields end at a comma or a
// blank, separators (commas and blanks) between fields are skipped, and the path
// ends at a comma or the end of the text, so a path may hold blanks. Nothing when a
// field is missing or the first is not a decimal number.
inline std::optional<RecordText> ParseRecordText(std::string_view text) {
  size_t at = 0;
  auto skipSeparators = [&] {
    while (at < text.size() && (text[at] == ',' || text[at] == ' ' || text[at] == '\t')) ++at;
  };
  auto shortField = [&] {
    const size_t start = at;
    while (at < text.size() && text[at] != ',' && text[at] != ' ' && text[at] != '\t') ++at;
    return text.substr(start, at - start);
  };
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  std::string_view number = shortField();
  skipSeparators();
  std::string_view second = shortField();
  skipSeparators();
  const size_t pathStart = at;
  while (at < text.size() && text[at] != ',') ++at;
  std::string_view path = text.substr(pathStart, at - pathStart);
  if (number.empty() || second.empty() || path.empty()) return std::nullopt;

  size_t digit = 0;
  bool negative = false;
  if (number[0] == '+' || number[0] == '-') {
    negative = number[0] == '-';
    digit = 1;
  }
  if (digit >= number.size()) return std::nullopt;
  long long value = 0;
  for (; digit < number.size(); ++digit) {
    const char c = number[digit];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > 0x7FFFFFFFLL) return std::nullopt;
  }
  RecordText record;
  record.flags = static_cast<long>(negative ? -value : value);
  record.metricsFileName.assign(second);
  record.fontFilePath.assign(path);
  return record;
}

inline std::string FormatRecordText(long flags, std::string_view metricsFileName, std::string_view fontFilePath) {
  std::string text = std::to_string(flags);
  text += ',';
  text.append(metricsFileName);
  text += ',';
  text.append(fontFilePath);
  return text;
}

// ---- The whole record ------------------------------------------------------------

// A stored record split at its first ";": the text before it and the bytes after.
// A record without ";" (a macro record) is all text, with no data.
struct RecordParts {
  std::string_view text;
  const uint8_t* data = nullptr;
  size_t dataSize = 0;
};

// The stored bytes may end in the store's NUL; the text never runs past one.
inline RecordParts SplitRecord(const void* stored, size_t size) {
  RecordParts parts;
  if (!stored) return parts;
  const char* bytes = static_cast<const char*>(stored);
  size_t end = 0;
  while (end < size && bytes[end] != ';' && bytes[end] != '\0') ++end;
  parts.text = std::string_view(bytes, end);
  if (end < size && bytes[end] == ';') {
    parts.data = reinterpret_cast<const uint8_t*>(bytes + end + 1);
    parts.dataSize = size - end - 1;
  }
  return parts;
}

// An installed font record: the three text fields and a usable metrics block.
struct InstalledFontRecord {
  RecordText text;
  MetricsBlock metrics;
};

// Reads a stored font record; nothing when its text lacks a field or its data is
// not one valid metrics block.
inline std::optional<InstalledFontRecord> ReadInstalledFontRecord(const void* stored, size_t size) {
  const RecordParts parts = SplitRecord(stored, size);
  if (!parts.data) return std::nullopt;
  std::optional<RecordText> text = ParseRecordText(parts.text);
  if (!text) return std::nullopt;
  std::optional<MetricsBlock> metrics = MetricsBlock::FromBytes(parts.data, parts.dataSize);
  if (!metrics || !metrics->IsValid()) return std::nullopt;
  return InstalledFontRecord{std::move(*text), *metrics};
}

// The bytes to store for a font: the text, ";" (added when the text lacks it) and
// the block.
inline std::vector<uint8_t> WriteInstalledFontRecord(std::string_view text, const MetricsBlock& metrics) {
  std::vector<uint8_t> out(text.begin(), text.end());
  if (out.empty() || out.back() != ';') out.push_back(';');
  out.insert(out.end(), metrics.data(), metrics.data() + kMetricsBlockSize);
  return out;
}

inline std::vector<uint8_t> WriteInstalledFontRecord(long flags, std::string_view metricsFileName,
                                                     std::string_view fontFilePath, const MetricsBlock& metrics) {
  return WriteInstalledFontRecord(FormatRecordText(flags, metricsFileName, fontFilePath), metrics);
}

}  // namespace fontrecord
