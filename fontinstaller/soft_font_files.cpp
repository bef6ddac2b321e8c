#include "fontinstaller/soft_font_files.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <stdexcept>

#include "fontinstaller/installer_module.h"
#include "fontinstaller/installer_strings.h"
#include "fontinstaller/pcl_commands.h"
#include "fontinstaller/tfm_metrics.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/ui/message_box.h"

namespace fontinstaller {

namespace {

constexpr size_t kDescriptorBytesRead = 68;
constexpr size_t kCharacterDescriptorSize = 16;

int BigU16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
int BigI16(const uint8_t* p) { return static_cast<int16_t>(BigU16(p)); }

bool StartsWithDescriptor(const std::vector<uint8_t>& font) {
  // ESC ")s" <digits> "W"
  if (font.size() < 4 || font[0] != 0x1B || font[1] != ')' || font[2] != 's') return false;
  size_t at = 3;
  const size_t digits = at;
  while (at < font.size() && font[at] >= '0' && font[at] <= '9') ++at;
  return at > digits && at < font.size() && font[at] == 'W';
}

// The first descriptor of the font, or nothing when it does not begin with one.
std::optional<SoftFontDescriptor> LeadingDescriptor(const std::vector<uint8_t>& font) {
  if (!StartsWithDescriptor(font)) return std::nullopt;
  std::optional<SoftFontDescriptor> found;
  WalkPclCommands(font.data(), font.size(), [&](const PclCommand& command) {
    if (command.parameterized == ')' && command.group == 's' && command.terminator == 'W') {
      found = ParseSoftFontDescriptor(command.data, command.dataSize);
    }
    return false;  // only the leading command counts
  });
  return found;
}

int Scale(long value, int resolution) { return static_cast<int>(value * 300 / resolution); }

}  // namespace

std::optional<SoftFontDescriptor> ParseSoftFontDescriptor(const uint8_t* d, size_t size) {
  if (!d || size < 64) return std::nullopt;
  SoftFontDescriptor out;
  out.descriptorSize = BigU16(d);
  out.headerFormat = d[2];
  if (out.headerFormat != 0 && out.headerFormat != 20) return std::nullopt;
  if (out.descriptorSize != 64 && out.descriptorSize != 68) return std::nullopt;
  if (static_cast<size_t>(out.descriptorSize) > size) return std::nullopt;
  out.baseline = BigU16(d + 6);
  out.cellWidth = BigU16(d + 8);
  out.cellHeight = BigU16(d + 10);
  out.orientation = d[12];
  out.spacing = d[13];
  out.symbolSet = BigU16(d + 14);
  out.pitch = BigU16(d + 16);
  out.height = BigU16(d + 18);
  out.style = d[23];
  out.strokeWeight = static_cast<int8_t>(d[24]);
  out.typeface = d[25] | (d[26] << 8);
  out.serifStyle = d[27];
  out.underlinePosition = static_cast<int8_t>(d[30]);
  out.underlineThickness = d[31];
  out.textHeight = BigU16(d + 32);
  out.textWidth = BigU16(d + 34);
  out.firstCode = BigU16(d + 36);
  out.lastCode = BigU16(d + 38);
  out.capHeight = BigU16(d + 42);
  std::string name(reinterpret_cast<const char*>(d + 48), 16);
  name = name.substr(0, name.find('\0'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  out.name = name;
  if (out.descriptorSize == 68 && out.headerFormat == 20) {
    out.xResolution = BigU16(d + 64);
    out.yResolution = BigU16(d + 66);
  }
  return out;
}

int WeightClassOfStrokeWeight(int w) {
  switch (w) {
    // clang-format off
    case -7: case -6: return 100;
    case -5: case -4: return 200;
    case -3: case -2: return 300;
    case -1: case 0: return 400;
    // clang-format on
    case 1: return 500;
    case 2: return 600;
    case 3:
    case 4: return 700;
    case 5:
    case 6: return 800;
    case 7: return 900;
    default: return 0;
  }
}

int FamilyOfTypeface(int typefaceLowByte, std::string* typefaceName) {
  const std::string text = LoadText(kStringTypefaceTable + static_cast<UINT>(typefaceLowByte & 0xFF));
  const size_t comma = text.find(',');
  if (typefaceName) *typefaceName = comma == std::string::npos ? std::string() : text.substr(comma + 1);
  if (text.empty()) return 0;
  switch (text[0]) {
    case 'R':
    case 'r': return 16;
    case 'W': return 32;
    case 'M': return 48;
    case 'S': return 64;
    case 'D': return 80;
    default: return 0;
  }
}

int SymbolSetClassOf(int symbolSet) {
  if (symbolSet == 277) return 4;  // Roman-8
  if (symbolSet == 621) return 2;  // 19M
  return 1;
}

const char* SymbolSetNameOfClass(int symbolSetClass) {
  if (symbolSetClass == 2) return "SYMBOL";
  if (symbolSetClass == 4) return "ROMAN8";
  return "ROMAN";
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const char* path) {
  if (!path || !*path) return std::nullopt;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  uint8_t piece[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, piece, sizeof piece, &got, nullptr)) {
      CloseHandle(file);
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), piece, piece + got);
  }
  CloseHandle(file);
  return bytes;
}

long FileSizeOf(const char* path) {
  if (!path || !*path) return -1;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return -1;
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  CloseHandle(file);
  if (low == INVALID_FILE_SIZE && high == 0) return -1;
  return static_cast<long>((static_cast<uint64_t>(high) << 32) | low);
}

bool WriteNewFile(const char* path, const void* data, size_t size) {
  if (!path || !*path) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
  CloseHandle(file);
  if (!ok) DeleteFileA(path);
  return ok;
}

namespace {

void ShowReadError() {
  const std::string text = LoadText(kStringFontReadError);
  const std::string caption = LoadText(kStringFontInstallerCaption);
  MessageBoxA(0, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace

int ReadFontHeader(InstalledFontEntry* entry, const char* path) {
  if (!entry) return 0;
  std::optional<std::vector<uint8_t>> font = ReadWholeFile(path);
  if (!font || font->empty()) {
    ShowReadError();
    return 0;
  }
  std::optional<SoftFontDescriptor> d = LeadingDescriptor(*font);
  if (!d) return 0;
  const int res = d->Resolution();
  CopyField(entry->fontName, d->name.c_str());
  entry->pointSize = static_cast<int32_t>((static_cast<long>(d->height) * 72 + 2L * res) / (4L * res));
  entry->orientation = d->orientation;
  entry->bold = d->strokeWeight != 0 ? 1 : 0;
  entry->italic = d->style != 0 ? 1 : 0;
  CopyField(entry->symbolSetName, SymbolSetNameOfClass(SymbolSetClassOf(d->symbolSet)));
  std::string typefaceName;
  entry->family = FamilyOfTypeface(d->typeface & 0xFF, &typefaceName);
  CopyField(entry->typefaceName, typefaceName.c_str());
  return 1;
}

std::optional<fontrecord::MetricsBlock> BuildSoftFontMetrics(const std::vector<uint8_t>& font,
                                                             const std::string& fallbackName) {
  namespace off = fontrecord::offset;
  std::optional<SoftFontDescriptor> d = LeadingDescriptor(font);
  if (!d) return std::nullopt;
  const int res = d->Resolution();
  fontrecord::MetricsBlock block = fontrecord::MetricsBlock::Blank();
  const std::string name = d->name.empty() ? fallbackName.substr(0, 16) : d->name;
  block.SetText(off::kFaceName, fontrecord::kFaceNameSize, name);
  block.SetU8(off::kFlags, '@');
  block.SetU16(off::kPointSize, static_cast<uint16_t>((static_cast<long>(d->height) * 72 + 2L * res) / (4L * res)));
  // Scaled in one step: a resolution below 300 must not divide by zero.
  block.SetU16(off::kHeight, static_cast<uint16_t>(static_cast<long>(d->height) * 300 / (4L * res)));
  block.SetU16(off::kAscent, static_cast<uint16_t>(Scale(d->baseline, res)));
  block.SetU16(off::kDescent, static_cast<uint16_t>(Scale(d->cellHeight - d->baseline, res)));
  block.SetU16(off::kLineGap,
               static_cast<uint16_t>(static_cast<long>(d->height) * 300 / (4L * res) - Scale(d->baseline, res)));
  block.SetU16(off::kCapHeight, static_cast<uint16_t>(d->capHeight));
  block.SetU8(off::kSpareByte, 0);
  block.SetU16(off::kItalic, static_cast<uint16_t>(d->style));
  block.SetU16(off::kWeight, static_cast<uint16_t>(WeightClassOfStrokeWeight(d->strokeWeight)));
  block.SetI16(off::kUnderlinePosition, static_cast<int16_t>(d->underlinePosition));
  block.SetU16(off::kUnderlineThickness, static_cast<uint16_t>(d->underlineThickness));
  block.SetU8(off::kPitchAndFamily, static_cast<uint8_t>(FamilyOfTypeface(d->typeface & 0xFF)));
  block.SetU16(off::kAverageWidth, static_cast<uint16_t>(static_cast<long>(d->textWidth) * 72 / (4L * res)));
  block.SetU16(off::kMaximumWidth, static_cast<uint16_t>(Scale(d->cellWidth, res)));
  block.SetU8(off::kFirstChar, static_cast<uint8_t>(d->firstCode & 0xFF));
  block.SetU8(off::kLastChar, static_cast<uint8_t>(d->lastCode & 0xFF));
  block.SetU8(off::kDefaultChar, ' ');
  block.SetU8(off::kBreakChar, ' ');
  block.SetU8(off::kCharSetClass, static_cast<uint8_t>(SymbolSetClassOf(d->symbolSet)));
  block.SetU8(off::kStyleVariant, 0);
  block.SetText(off::kSelectionName, 17, name);

  int code = 0;
  WalkPclCommands(font.data(), font.size(), [&](const PclCommand& command) {
    if (command.parameterized == '*' && command.group == 'c' && command.terminator == 'E') {
      code = command.value >= 0 && command.value < 256 ? static_cast<int>(command.value) : 0;
    } else if (command.parameterized == '(' && command.group == 's' && command.terminator == 'W') {
      // A continuation block carries raster only.
      if (command.dataSize < kCharacterDescriptorSize || command.data[1] != 0) return true;
      const uint8_t* c = command.data;
      const int top = BigI16(c + 8);
      const int height = BigU16(c + 12);
      const int deltaX = BigI16(c + 14);
      block.SetWidth(static_cast<uint8_t>(code), static_cast<uint16_t>(static_cast<long>(deltaX) * 300 / (4L * res)));
      if (code == 'x') block.SetU16(off::kXHeight, static_cast<uint16_t>(Scale(top, res)));
      if (code == 'd') block.SetU16(off::kAscender, static_cast<uint16_t>(Scale(top, res)));
      if (code == 'p') block.SetU16(off::kDescender, static_cast<uint16_t>(Scale(height - top, res)));
    }
    return true;
  });
  const uint16_t pitchWidth = static_cast<uint16_t>(static_cast<long>(d->pitch) * 300 / (4L * res));
  for (int c = 0; c < 256; ++c) {
    if (block.Width(static_cast<uint8_t>(c)) == 0) block.SetWidth(static_cast<uint8_t>(c), pitchWidth);
  }
  return block;
}

namespace {

int WriteMetricsFileOf(const InstalledFontEntry* entry, const char* outputPath, int mode,
                       const FontDirectory* directory, const char* folder) {
  if (mode == 1) {
    if (!directory || !folder || entry->directoryIndex < 0 ||
        static_cast<size_t>(entry->directoryIndex) >= directory->rows.size()) {
      return 0;
    }
    const FontDirectoryRow& row = directory->rows[static_cast<size_t>(entry->directoryIndex)];
    const std::string tfmName(row.tfmFile, strnlen(row.tfmFile, sizeof row.tfmFile));
    if (tfmName.empty()) return 0;
    std::optional<std::vector<uint8_t>> tfm = ReadWholeFile((std::string(folder) + "\\" + tfmName).c_str());
    if (!tfm) return 0;
    std::optional<fontrecord::MetricsBlock> block = ConvertTfmMetrics(*tfm);
    if (!block) return 0;
    MessageBoxA(0, "\nConverting TFM file to PFM file...\n\n", "Font Installer", MB_OK);
    if (WriteNewFile(outputPath, block->data(), block->size())) return 1;
    const std::string text = "Can't create: " + std::string(outputPath) + " " + std::to_string(GetLastError()) + "\n";
    MessageBoxA(0, text.c_str(), "Font Installer", MB_OK);
    return 0;
  }
  if (mode != 0) return 0;
  std::optional<std::vector<uint8_t>> font = ReadWholeFile(entry->fontFilePath);
  if (!font) return 0;
  std::string fallback(entry->fontName, strnlen(entry->fontName, sizeof entry->fontName));
  std::optional<fontrecord::MetricsBlock> block = BuildSoftFontMetrics(*font, fallback);
  if (!block) return 0;
  return WriteNewFile(outputPath, block->data(), block->size()) ? 1 : 0;
}

}  // namespace

int WriteMetricsFile(const InstalledFontEntry* entry, const char* outputPath, int mode, const FontDirectory* directory,
                     const char* folder) {
  if (!entry || !outputPath) return 0;
  // Called from dialogs inside the caller's process: no exception may leave here.
  try {
    return WriteMetricsFileOf(entry, outputPath, mode, directory, folder);
  } catch (const std::exception&) {
    return 0;
  }
}

int ReadCartridgeHeader(const char* path, InstalledFontEntry* entry) {
  if (!entry) return 0;
  std::string file = path ? std::string(path)
                          : std::string(entry->fontFilePath, strnlen(entry->fontFilePath, sizeof entry->fontFilePath));
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(file.c_str());
  if (!bytes || bytes->size() < 16) return 0;
  const uint8_t* b = bytes->data();
  if ((b[0] | (b[1] << 8)) != 0x0CAC || (b[6] | (b[7] << 8)) != 0x0310) return 0;
  const uint32_t nameAt =
      static_cast<uint32_t>(b[12] | (b[13] << 8) | (b[14] << 16)) | (static_cast<uint32_t>(b[15]) << 24);
  // The name offset comes from the file: it must point inside it.
  if (nameAt >= bytes->size()) return 0;
  const size_t available = std::min<size_t>(17, bytes->size() - nameAt);
  char name[17] = {};
  std::memcpy(name, b + nameAt, available);
  name[16] = '\0';
  if (name[0] == '\0') return 0;
  CopyField(entry->fontName, name);
  CopyField(entry->fontFilePath, file.c_str());
  entry->location = kLocationCartridge;
  return 1;
}

const char* WeightSuffix(int weight) {
  static const char* const kBands[] = {" Utn", " Xtn", " Tn",  " Xl", " Lt",  " Dl",  " Sl", "",
                                       " Sb",  " Db",  "Bold", " Xb", " Blk", " Xbl", " UBl"};
  if (weight < 0) return kBands[0];
  if (weight > 255) return "";
  // Bands of 17: up to 17, 18-34, ... 239-255.
  const int band = weight <= 17 ? 0 : (weight - 1) / 17;
  return kBands[std::min(band, 14)];
}

namespace {

std::string Trimmed(std::string line) {
  while (!line.empty() && (static_cast<unsigned char>(line.back()) <= ' ')) line.pop_back();
  size_t start = 0;
  while (start < line.size() && line[start] == ' ') ++start;
  return line.substr(start);
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

// The value after a line's key: blanks, an optional "=" and blanks are read over.
std::string ValueAfter(const std::string& line, size_t keyLength) {
  size_t at = keyLength;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at < line.size() && line[at] == '=') ++at;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return line.substr(at);
}

long NumberOf(const std::string& text, long fallback) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return fallback;
  long value = 0;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
    if (value < 100000000) value = value * 10 + (text[at] - '0');
    ++at;
  }
  return negative ? -value : value;
}

struct PendingFont {
  std::string name, file, tfm, symset;
  long weight = 130;
  long slant = 0;
  long resource = 0;
};

FontDirectoryRow FontRow(const PendingFont& font) {
  FontDirectoryRow row{};
  row.kind = font.name.empty() ? 0 : kDirectoryFont;
  row.resource = static_cast<int32_t>(font.resource);
  CopyField(row.name, font.name.c_str());
  CopyField(row.symbolSet, font.symset.c_str());
  CopyField(row.weightSuffix, WeightSuffix(static_cast<int>(std::clamp<long>(font.weight, -1, 256))));
  CopyField(row.slant, font.slant != 0 ? "Italic" : "");
  CopyField(row.file, font.file.c_str());
  CopyField(row.tfmFile, font.tfm.c_str());
  return row;
}

}  // namespace

std::optional<FontDirectory> ReadFontDirectory(const std::string& text) {
  enum class Section { kNone, kCartridge, kFonts } section = Section::kNone;
  std::vector<FontDirectoryRow> cartridges;
  std::vector<FontDirectoryRow> fonts;
  bool fontEntriesStarted = false;
  std::optional<PendingFont> pending;
  auto closeFont = [&] {
    if (pending) fonts.push_back(FontRow(*pending));
    pending.reset();
  };

  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trimmed(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      closeFont();
      if (StartsWithNoCase(line, "[Cartridge]")) {
        section = Section::kCartridge;
      } else if (StartsWithNoCase(line, "[PCL fonts]")) {
        section = Section::kFonts;
        fontEntriesStarted = false;
      } else {
        section = Section::kNone;
      }
      continue;
    }
    if (section == Section::kCartridge) {
      if (line[0] != '{') continue;
      std::string body = line.substr(1);
      const size_t stop = body.find_first_of("};");
      if (stop != std::string::npos) body = body.substr(0, stop);
      std::vector<std::string> fields;
      size_t at = 0;
      while (at < body.size()) {
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) ++at;
        const size_t fieldStart = at;
        while (at < body.size() && body[at] != ' ' && body[at] != '\t') ++at;
        if (at > fieldStart) fields.push_back(body.substr(fieldStart, at - fieldStart));
      }
      FontDirectoryRow row{};
      row.kind = kDirectoryCartridge;
      if (!fields.empty()) CopyField(row.file, fields[0].c_str());
      if (fields.size() > 1) CopyField(row.name, fields[1].c_str());
      for (size_t i = 0; i < fields.size(); ++i) {
        if (!StartsWithNoCase(fields[i], "/class")) continue;
        std::string value = fields[i].substr(6);
        if (!value.empty() && (value[0] == '=' || value[0] == ':')) value = value.substr(1);
        if (value.empty() && i + 1 < fields.size()) value = fields[i + 1];
        if (!value.empty() && (value[0] == 'O' || value[0] == 'o')) row.kind = kDirectoryOtherCartridge;
      }
      cartridges.push_back(row);
    } else if (section == Section::kFonts) {
      if (!fontEntriesStarted) {
        if (StartsWithNoCase(line, "{O}")) fontEntriesStarted = true;
        continue;
      }
      if (line[0] == '{') {
        closeFont();
        continue;
      }
      if (StartsWithNoCase(line, "FONT")) {
        closeFont();
        pending = PendingFont{};
        pending->name = ValueAfter(line, 4);
        continue;
      }
      if (!pending) continue;
      if (StartsWithNoCase(line, "/font file")) {
        pending->file = ValueAfter(line, 10);
      } else if (StartsWithNoCase(line, "/tfm")) {
        pending->tfm = ValueAfter(line, 4);
      } else if (StartsWithNoCase(line, "/symset")) {
        pending->symset = ValueAfter(line, 7);
      } else if (StartsWithNoCase(line, "/weight")) {
        pending->weight = NumberOf(ValueAfter(line, 7), 130);
      } else if (StartsWithNoCase(line, "/slant")) {
        pending->slant = NumberOf(ValueAfter(line, 6), 0);
      } else if (StartsWithNoCase(line, "/resource")) {
        pending->resource = NumberOf(ValueAfter(line, 9), 0);
      }
    }
  }
  closeFont();
  if (cartridges.empty() && fonts.empty()) return std::nullopt;
  FontDirectory directory;
  directory.cartridges = static_cast<int>(cartridges.size());
  directory.fonts = static_cast<int>(fonts.size());
  directory.rows = std::move(cartridges);
  directory.rows.insert(directory.rows.end(), fonts.begin(), fonts.end());
  return directory;
}

namespace {

void PutBig16(std::vector<uint8_t>& out, size_t at, int value) {
  out[at] = static_cast<uint8_t>((value >> 8) & 0xFF);
  out[at + 1] = static_cast<uint8_t>(value & 0xFF);
}
void PutBig32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

struct Glyph {
  int code = 0;
  std::vector<uint8_t> descriptor;  // 16 bytes
  std::vector<uint8_t> raster;
};

// The glyph's rows as the printer's disk copy holds them: rows padded to 16 bits,
// run-length rows expanded. Runs and repeats never reach past the glyph's box.
std::vector<uint8_t> ExpandedRows(const Glyph& glyph) {
  const uint8_t* c = glyph.descriptor.data();
  const int width = BigU16(c + 10);
  const int height = BigU16(c + 12);
  const size_t rowBytes = static_cast<size_t>((width + 7) / 8);
  const size_t paddedRow = (rowBytes + 1) & ~size_t{1};
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0) return out;
  out.reserve(paddedRow * static_cast<size_t>(height));
  const std::vector<uint8_t>& r = glyph.raster;
  if (c[3] != 2) {
    for (int row = 0; row < height; ++row) {
      std::vector<uint8_t> line(paddedRow, 0);
      const size_t from = static_cast<size_t>(row) * rowBytes;
      if (from < r.size()) std::memcpy(line.data(), r.data() + from, std::min(rowBytes, r.size() - from));
      out.insert(out.end(), line.begin(), line.end());
    }
    return out;
  }
  size_t at = 0;
  int rows = 0;
  while (rows < height && at < r.size()) {
    const int repeat = r[at++];
    std::vector<uint8_t> line(paddedRow, 0);
    int x = 0;
    bool black = false;
    while (x < width && at < r.size()) {
      const int run = std::min<int>(r[at++], width - x);
      if (black) {
        for (int i = x; i < x + run; ++i) line[static_cast<size_t>(i / 8)] |= static_cast<uint8_t>(0x80 >> (i % 8));
      }
      x += run;
      black = !black;
    }
    for (int i = 0; i <= repeat && rows < height; ++i, ++rows) out.insert(out.end(), line.begin(), line.end());
  }
  // Rows the data did not give stay white.
  for (; rows < height; ++rows) out.insert(out.end(), paddedRow, 0);
  return out;
}

// PCL bitmap characters are at most 16384 dots wide and high.
constexpr int kLargestGlyphSide = 16384;
// No font the printer's disk takes comes near this; a damaged one may ask for more.
constexpr size_t kLargestDiskCopy = size_t{64} << 20;

// The rows a glyph's own data can give: class 1 holds each row whole; a class 2
// row group is a repeat count and runs of at most 255 dots, and gives at most 256 rows.
bool GlyphFitsItsData(const Glyph& glyph) {
  const uint8_t* c = glyph.descriptor.data();
  const int width = BigU16(c + 10);
  const int height = BigU16(c + 12);
  if (width > kLargestGlyphSide || height > kLargestGlyphSide) return false;
  if (width <= 0 || height <= 0) return true;
  const size_t rowBytes = static_cast<size_t>((width + 7) / 8);
  if (c[3] != 2) return rowBytes * static_cast<size_t>(height) <= glyph.raster.size();
  const size_t groupBytes = 1 + static_cast<size_t>((width + 254) / 255);
  return static_cast<size_t>(height) <= 256 * (glyph.raster.size() / groupBytes);
}

size_t ExpandedSize(const Glyph& glyph) {
  const uint8_t* c = glyph.descriptor.data();
  const size_t rowBytes = static_cast<size_t>((BigU16(c + 10) + 7) / 8);
  return ((rowBytes + 1) & ~size_t{1}) * BigU16(c + 12);
}

}  // namespace

std::optional<std::vector<uint8_t>> BuildPrinterDiskCopy(const std::vector<uint8_t>& font) {
  std::optional<SoftFontDescriptor> d = LeadingDescriptor(font);
  if (!d) return std::nullopt;
  std::vector<Glyph> glyphs;
  int code = 0;
  int firstSeen = -1;
  int lastSeen = -1;
  WalkPclCommands(font.data(), font.size(), [&](const PclCommand& command) {
    if (command.parameterized == '*' && command.group == 'c' && command.terminator == 'E') {
      code = command.value >= 0 && command.value < 256 ? static_cast<int>(command.value) : 0;
      if (firstSeen < 0) firstSeen = code;
      lastSeen = code;
    } else if (command.parameterized == '(' && command.group == 's' && command.terminator == 'W') {
      if (command.dataSize >= 2 && command.data[1] != 0) {
        // A continuation: more raster of the glyph before it.
        if (!glyphs.empty())
          glyphs.back().raster.insert(glyphs.back().raster.end(), command.data + 2, command.data + command.dataSize);
        return true;
      }
      if (command.dataSize < kCharacterDescriptorSize) return true;
      Glyph glyph;
      glyph.code = code;
      glyph.descriptor.assign(command.data, command.data + kCharacterDescriptorSize);
      const size_t rasterAt = std::max<size_t>(kCharacterDescriptorSize, 2 + static_cast<size_t>(command.data[2]));
      if (rasterAt < command.dataSize) glyph.raster.assign(command.data + rasterAt, command.data + command.dataSize);
      glyphs.push_back(std::move(glyph));
    }
    return true;
  });

  // A glyph larger than PCL allows or than its data can fill marks a damaged font:
  // its sizes would make the copy as large as the sizes say, not as the file is.
  size_t expected = 0;
  for (const Glyph& glyph : glyphs) {
    if (!GlyphFitsItsData(glyph)) return std::nullopt;
    expected += 12 + ExpandedSize(glyph);
    if (expected > kLargestDiskCopy) return std::nullopt;
  }

  int first = d->firstCode;
  int last = d->lastCode;
  if (last <= first) {
    first = std::max(0, std::min(firstSeen, lastSeen));
    last = std::max(0, std::max(firstSeen, lastSeen));
  }
  // The table never reaches beyond the 256 codes a glyph can have.
  first = std::clamp(first, 0, 255);
  last = std::clamp(last, first, 255);

  std::vector<uint8_t> out(74, 0);
  PutBig32(out, 0, 20);
  PutBig16(out, 8, 74);
  PutBig32(out, 10, 256);
  PutBig16(out, 14, first);
  PutBig16(out, 16, last);
  PutBig16(out, 18, d->cellWidth);
  PutBig16(out, 20, d->cellHeight);
  PutBig16(out, 22, d->baseline);
  // clang-format off
  out[24] = 0x00; out[25] = 0x09; out[26] = 0xFF; out[27] = 0xF9;
  // clang-format on
  PutBig16(out, 28, d->cellWidth);
  PutBig16(out, 30, d->cellHeight);
  out[32] = static_cast<uint8_t>(d->orientation);
  out[33] = static_cast<uint8_t>(d->spacing);
  PutBig16(out, 34, d->symbolSet);
  PutBig16(out, 36, d->pitch);
  PutBig16(out, 40, d->height);
  out[48] = static_cast<uint8_t>(static_cast<int8_t>(d->strokeWeight));
  PutBig16(out, 49, d->typeface);
  out[51] = static_cast<uint8_t>(d->serifStyle);
  PutBig16(out, 52, d->textWidth);
  PutBig16(out, 54, d->textHeight);
  // clang-format off
  out[56] = 0x00; out[57] = 0x00; out[58] = 0x03; out[59] = 0xCA;
  // clang-format on
  const int xRes = d->descriptorSize == 64 || d->xResolution == 0 ? 300 : d->xResolution;
  const int yRes = d->descriptorSize == 64 || d->yResolution == 0 ? 300 : d->yResolution;
  PutBig16(out, 70, xRes);
  PutBig16(out, 72, yRes);

  const size_t tableAt = out.size();
  out.resize(out.size() + 4 * static_cast<size_t>(last - first + 1), 0);
  const size_t nameAt = out.size();
  out.resize(out.size() + 18, 0);
  PutBig16(out, nameAt, 16);
  std::string name = d->name;
  name.resize(16, ' ');
  std::memcpy(out.data() + nameAt + 2, name.data(), 16);

  for (const Glyph& glyph : glyphs) {
    const size_t recordAt = out.size();
    const uint8_t* c = glyph.descriptor.data();
    out.insert(out.end(), c + 6, c + 10);  // left offset, top offset
    out.push_back(0x0C);
    out.push_back(0x01);
    out.insert(out.end(), c + 12, c + 14);  // character height
    out.insert(out.end(), c + 10, c + 12);  // character width
    out.insert(out.end(), c + 14, c + 16);  // delta X
    const std::vector<uint8_t> rows = ExpandedRows(glyph);
    out.insert(out.end(), rows.begin(), rows.end());
    if (glyph.code >= first && glyph.code <= last) {
      PutBig32(out, tableAt + 4 * static_cast<size_t>(glyph.code - first), static_cast<uint32_t>(recordAt));
    }
  }
  PutBig32(out, 4, static_cast<uint32_t>(out.size()));
  return out;
}

int ConvertForPrinterDisk(const char* outputPath, const InstalledFontEntry* entry) {
  if (!entry || !outputPath) return 0;
  // Called from dialogs inside the caller's process: no exception may leave here.
  try {
    std::optional<std::vector<uint8_t>> font = ReadWholeFile(entry->fontFilePath);
    if (!font) return 0;
    std::optional<std::vector<uint8_t>> copy = BuildPrinterDiskCopy(*font);
    if (!copy) return 0;
    return WriteNewFile(outputPath, copy->data(), copy->size()) ? 1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace fontinstaller
