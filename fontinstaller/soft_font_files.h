// The files the installer reads and writes for fonts: PCL bitmap soft fonts (a
// font descriptor and character definitions, big-endian), cartridge files, the
// font directory file of a font package ("glue.txt"), the metrics file of every
// installed font (the 689-byte block of common/installed_font_record.h) and the
// converted copy of a bitmap font for the printer's disk. Macro files are taken
// as they are.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "fontinstaller/installer_records.h"

namespace fontinstaller {

// The descriptor fields the installer uses.
struct SoftFontDescriptor {
  int descriptorSize = 0;  // 64 or 68
  int headerFormat = 0;    // 0 or 20
  int baseline = 0;
  int cellWidth = 0;
  int cellHeight = 0;
  int orientation = 0;
  int spacing = 0;
  int symbolSet = 0;
  int pitch = 0;   // quarter dots
  int height = 0;  // quarter dots
  int style = 0;
  int strokeWeight = 0;  // signed
  int typeface = 0;      // low byte in bits 0-7, high byte in 8-15
  int serifStyle = 0;
  int underlinePosition = 0;  // signed
  int underlineThickness = 0;
  int textHeight = 0;
  int textWidth = 0;
  int firstCode = 0;
  int lastCode = 0;
  int capHeight = 0;
  std::string name;  // trailing blanks removed
  int xResolution = 0;
  int yResolution = 0;
  // The resolution lengths are scaled from: 300 for a 64-byte descriptor or no X resolution.
  int Resolution() const { return descriptorSize == 64 || xResolution == 0 ? 300 : xResolution; }
};

// Parses a descriptor (the bytes after ESC ")s<n>W", at most 68 used): nothing
// unless its format is 0 or 20, its size 64 or 68 and that many bytes are there.
std::optional<SoftFontDescriptor> ParseSoftFontDescriptor(const uint8_t* bytes, size_t size);

// The weight class of a stroke weight (-7 to 7), 0 for any other value.
int WeightClassOfStrokeWeight(int strokeWeight);
// The family (16 roman ... 80 decorative, 0 unknown) and typeface name of a
// typeface's low byte, from the typeface table of the module's strings.
int FamilyOfTypeface(int typefaceLowByte, std::string* typefaceName = nullptr);
// "ROMAN", "SYMBOL" or "ROMAN8" of a symbol set class.
const char* SymbolSetNameOfClass(int symbolSetClass);
int SymbolSetClassOf(int symbolSet);

// Fills the entry's font name, point size, orientation, bold, italic, symbol set
// name, typeface name and family from the soft font at path; 1 when the file is a
// bitmap soft font the installer accepts (it begins with its descriptor), else 0.
int ReadFontHeader(InstalledFontEntry* entry, const char* path);

// The metrics block of a soft font's bytes: nothing when they hold no acceptable
// descriptor. fallbackName names a font whose descriptor name is blank.
std::optional<fontrecord::MetricsBlock> BuildSoftFontMetrics(const std::vector<uint8_t>& font,
                                                             const std::string& fallbackName);

// Writes the metrics file of the entry's soft font (its font file path) to
// outputPath; 1 when written. Mode 0 builds it from the soft font; mode 1
// converts the metric file named by the entry's row of the directory, found in
// folder (the font package's folder). A file only partly written is removed.
struct FontDirectory;
int WriteMetricsFile(const InstalledFontEntry* entry, const char* outputPath, int mode,
                     const FontDirectory* directory = nullptr, const char* folder = nullptr);

// Reads a cartridge file's header: 1 with the cartridge's name and path (and
// location 2048) in the entry. A NULL path reads the entry's font file path.
int ReadCartridgeHeader(const char* path, InstalledFontEntry* entry);

// The directory table of a font package's "glue.txt".
struct FontDirectory {
  std::vector<FontDirectoryRow> rows;  // cartridges first, then fonts
  int cartridges = 0;
  int fonts = 0;
};
// Nothing when the text lists neither a cartridge nor a font.
std::optional<FontDirectory> ReadFontDirectory(const std::string& text);
// The weight suffix of a "/weight" value.
const char* WeightSuffix(int weight);

// Writes the copy of a bitmap soft font (the entry's font file path) that goes to
// the printer's disk; 1 when written. A file only partly written is removed.
int ConvertForPrinterDisk(const char* outputPath, const InstalledFontEntry* entry);
// The converted copy of a soft font's bytes; nothing when they hold no acceptable descriptor.
std::optional<std::vector<uint8_t>> BuildPrinterDiskCopy(const std::vector<uint8_t>& font);

// A file's length, -1 when it cannot be opened.
long FileSizeOf(const char* path);
// Writes a whole new file; a file that could not be written whole is removed, so
// no half metrics file or half copy is ever taken for a good one.
bool WriteNewFile(const char* path, const void* data, size_t size);
// A whole file, nothing when it cannot be read.
std::optional<std::vector<uint8_t>> ReadWholeFile(const char* path);

}  // namespace fontinstaller
