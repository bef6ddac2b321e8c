// The installer's font files: which soft fonts it accepts and what it reads of
// them, the metrics block it writes (read back with the driver's reader), the
// cartridge header, the font directory file and the printer-disk copy.
#include <gtest/gtest.h>

#include <cstring>

#include "common/installed_font_record.h"
#include "fontinstaller/pcl_commands.h"
#include "fontinstaller/soft_font_files.h"
#include "tests/fontinstaller/installer_test_support.h"

namespace installertest {
namespace {

using fontinstaller::InstalledFontEntry;
namespace off = fontrecord::offset;

class SoftFontFilesTest : public InstallerTest {};

std::vector<GlyphSpec> ThreeLetters() {
  GlyphSpec a;  // 'A', 12 dots wide at 300 dpi
  GlyphSpec x;
  x.code = 'x';
  x.top = 20;
  GlyphSpec d;
  d.code = 'd';
  d.top = 33;
  GlyphSpec p;
  p.code = 'p';
  p.top = 15;
  p.height = 25;
  return {a, x, d, p};
}

TEST_F(SoftFontFilesTest, MetricsBlockOfA300DotFontReadsBackThroughTheDriversReader) {
  DescriptorSpec spec;
  WriteFile("C:\\Work\\font.sfp", SoftFont(spec, ThreeLetters()));
  InstalledFontEntry entry{};
  std::strcpy(entry.fontFilePath, "C:\\Work\\font.sfp");
  ASSERT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\font.pfm", 0), 1);
  const Bytes file = ReadFile("C:\\Work\\font.pfm");
  ASSERT_EQ(file.size(), 689u);
  std::optional<fontrecord::MetricsBlock> block = fontrecord::MetricsBlock::FromBytes(file.data(), file.size());
  ASSERT_TRUE(block && block->IsValid());
  EXPECT_EQ(std::memcmp(file.data(), "CalyxPFM", 8), 0);
  EXPECT_EQ(block->FaceName(), "TestFont");
  EXPECT_EQ(block->U8(off::kFlags), '@');
  EXPECT_EQ(block->U16(off::kPointSize), 12);
  EXPECT_EQ(block->U16(off::kHeight), 50);
  EXPECT_EQ(block->U16(off::kAscent), 40);
  EXPECT_EQ(block->U16(off::kDescent), 10);
  EXPECT_EQ(block->U16(off::kLineGap), 10);
  EXPECT_EQ(block->U16(off::kCapHeight), 35);
  EXPECT_EQ(block->U16(off::kXHeight), 20);
  EXPECT_EQ(block->U16(off::kAscender), 33);
  EXPECT_EQ(block->U16(off::kDescender), 10);
  EXPECT_EQ(block->U16(off::kWeight), 400);
  EXPECT_EQ(block->I16(off::kUnderlinePosition), -3);
  EXPECT_EQ(block->U16(off::kUnderlineThickness), 2);
  EXPECT_EQ(block->U8(off::kPitchAndFamily), 48);  // typeface 3: "M,Courier"
  EXPECT_EQ(block->U16(off::kAverageWidth), 6);
  EXPECT_EQ(block->U16(off::kMaximumWidth), 30);
  EXPECT_EQ(block->U8(off::kFirstChar), 32);
  EXPECT_EQ(block->U8(off::kLastChar), 126);
  EXPECT_EQ(block->U8(off::kDefaultChar), ' ');
  EXPECT_EQ(block->U8(off::kBreakChar), ' ');
  EXPECT_EQ(block->Width('A'), 12);
  EXPECT_EQ(block->Width('B'), 25) << "a code without a character takes the pitch";
  EXPECT_EQ(block->U8(off::kCharSetClass), 4);  // Roman-8
  EXPECT_EQ(block->Text(off::kSelectionName, 64), "TestFont");
  for (size_t at = 642; at < 689; ++at) EXPECT_EQ(file[at], 0) << at;
}

TEST_F(SoftFontFilesTest, A600DotFormat20FontHalvesEveryDotValue) {
  DescriptorSpec spec;
  spec.size = 68;
  spec.format = 20;
  spec.xResolution = 600;
  spec.yResolution = 600;
  spec.height = 400;
  spec.baseline = 80;
  spec.cellHeight = 100;
  spec.cellWidth = 60;
  spec.pitch = 200;
  GlyphSpec a;
  a.deltaX = 96;
  GlyphSpec x;
  x.code = 'x';
  x.top = 40;
  std::optional<fontrecord::MetricsBlock> block = fontinstaller::BuildSoftFontMetrics(SoftFont(spec, {a, x}), "");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->U16(off::kPointSize), 12);
  EXPECT_EQ(block->U16(off::kHeight), 50);
  EXPECT_EQ(block->U16(off::kAscent), 40);
  EXPECT_EQ(block->U16(off::kDescent), 10);
  EXPECT_EQ(block->U16(off::kMaximumWidth), 30);
  EXPECT_EQ(block->U16(off::kXHeight), 20);
  EXPECT_EQ(block->Width('A'), 12);
  EXPECT_EQ(block->Width('B'), 25);
}

TEST_F(SoftFontFilesTest, ResolutionsBelow300AndMissingLettersStaySound) {
  DescriptorSpec spec;
  spec.size = 68;
  spec.format = 20;
  spec.xResolution = 150;  // the height would divide by zero if scaled by res/300
  std::optional<fontrecord::MetricsBlock> block =
      fontinstaller::BuildSoftFontMetrics(SoftFont(spec, {GlyphSpec{}}), "");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->U16(off::kHeight), 100);
  EXPECT_EQ(block->U16(off::kXHeight), 0) << "no character x";
}

TEST_F(SoftFontFilesTest, RasterBytesThatLookLikeCommandsAreNotTakenForCommands) {
  GlyphSpec a;
  // Inside A's raster: what a byte-by-byte scan would read as a character
  // descriptor with delta X 400 (100 dots).
  Bytes fake = Text("\x1B(s16W");
  Bytes descriptor(16, 0);
  descriptor[0] = 4;
  descriptor[2] = 14;
  descriptor[3] = 1;
  descriptor[14] = 0x01;
  descriptor[15] = 0x90;
  a.raster = Concat({fake, descriptor});
  a.height = static_cast<int>(a.raster.size() / 2);
  std::optional<fontrecord::MetricsBlock> block =
      fontinstaller::BuildSoftFontMetrics(SoftFont(DescriptorSpec{}, {a}), "");
  ASSERT_TRUE(block);
  EXPECT_EQ(block->Width('A'), 12);
}

TEST_F(SoftFontFilesTest, BlankDescriptorNameTakesTheEntrysName) {
  DescriptorSpec spec;
  spec.name = std::string(16, ' ');
  WriteFile("C:\\Work\\blank.sfp", SoftFont(spec, {GlyphSpec{}}));
  InstalledFontEntry entry{};
  std::strcpy(entry.fontFilePath, "C:\\Work\\blank.sfp");
  std::strcpy(entry.fontName, "Chosen Name");
  ASSERT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\blank.pfm", 0), 1);
  const Bytes file = ReadFile("C:\\Work\\blank.pfm");
  EXPECT_EQ(fontrecord::MetricsBlock::FromBytes(file.data(), file.size())->FaceName(), "Chosen Name");
}

TEST_F(SoftFontFilesTest, StrokeWeightsGiveTheirWeightClasses) {
  const struct {
    int strokeWeight;
    int weightClass;
  } cases[] = {{-7, 100}, {-6, 100}, {-5, 200}, {-4, 200}, {-3, 300}, {-2, 300}, {-1, 400}, {0, 400}, {1, 500},
               {2, 600},  {3, 700},  {4, 700},  {5, 800},  {6, 800},  {7, 900},  {8, 0},    {-8, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(fontinstaller::WeightClassOfStrokeWeight(c.strokeWeight), c.weightClass) << c.strokeWeight;
  }
  DescriptorSpec spec;
  spec.strokeWeight = -3;
  EXPECT_EQ(fontinstaller::BuildSoftFontMetrics(SoftFont(spec, {}), "")->U16(off::kWeight), 300);
}

TEST_F(SoftFontFilesTest, FontHeaderFillsTheEntryOnlyForAcceptedFiles) {
  DescriptorSpec bold;
  bold.strokeWeight = 3;
  bold.style = 1;
  bold.orientation = 1;
  bold.symbolSet = 621;
  bold.typeface = 4;
  bold.name = "Bold Helv  ";
  WriteFile("C:\\Work\\good.sfp", SoftFont(bold, {GlyphSpec{}}));
  InstalledFontEntry entry{};
  ASSERT_EQ(fontinstaller::ReadFontHeader(&entry, "C:\\Work\\good.sfp"), 1);
  EXPECT_STREQ(entry.fontName, "Bold Helv");
  EXPECT_EQ(entry.pointSize, 12);
  EXPECT_EQ(entry.bold, 1);
  EXPECT_EQ(entry.italic, 1);
  EXPECT_EQ(entry.orientation, 1);
  EXPECT_STREQ(entry.symbolSetName, "SYMBOL");
  EXPECT_STREQ(entry.typefaceName, "Helv");
  EXPECT_EQ(entry.family, 32);

  DescriptorSpec badFormat;
  badFormat.format = 10;
  DescriptorSpec badSize;
  badSize.size = 66;
  const Bytes whole = SoftFont(DescriptorSpec{}, {});
  const struct {
    const char* what;
    Bytes bytes;
  } refused[] = {
      {"format 10", SoftFont(badFormat, {})},
      {"size 66", SoftFont(badSize, {})},
      {"font ID first", Concat({Text("\x1B*c5D"), SoftFont(DescriptorSpec{}, {})})},
      {"descriptor cut short", Bytes(whole.begin(), whole.begin() + 40)},
      {"no digits", Text("\x1B)sW")},
  };
  for (const auto& c : refused) {
    WriteFile("C:\\Work\\bad.sfp", c.bytes);
    InstalledFontEntry untouched{};
    EXPECT_EQ(fontinstaller::ReadFontHeader(&untouched, "C:\\Work\\bad.sfp"), 0) << c.what;
  }
  EXPECT_TRUE(boxes.empty());
  InstalledFontEntry missing{};
  EXPECT_EQ(fontinstaller::ReadFontHeader(&missing, "C:\\Work\\none.sfp"), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "フォントファイル読み込みエラー。");
  EXPECT_EQ(boxes[0].caption, "PCLフォントインストーラ");
}

TEST_F(SoftFontFilesTest, MetricsFileThatCannotBeWrittenLeavesNothingBehind) {
  InstalledFontEntry entry{};
  std::strcpy(entry.fontFilePath, "C:\\Work\\absent.sfp");
  EXPECT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\absent.pfm", 0), 0);
  EXPECT_FALSE(FileExists("C:\\Work\\absent.pfm"));
  EXPECT_EQ(fontinstaller::FileSizeOf("C:\\Work\\absent.sfp"), -1);
  WriteFile("C:\\Work\\three.bin", Bytes(3, 1));
  EXPECT_EQ(fontinstaller::FileSizeOf("C:\\Work\\three.bin"), 3);
}

Bytes Cartridge(uint32_t nameAt, const std::string& name, uint16_t magic = 0x0CAC) {
  Bytes b(16, 0);
  b[0] = static_cast<uint8_t>(magic & 0xFF);
  b[1] = static_cast<uint8_t>(magic >> 8);
  b[6] = 0x10;
  b[7] = 0x03;
  for (int i = 0; i < 4; ++i) b[12 + i] = static_cast<uint8_t>(nameAt >> (8 * i));
  b.resize(std::max<size_t>(b.size(), nameAt), 0);
  Bytes text = Text(name);
  text.push_back(0);
  return Concat({b, text});
}

TEST_F(SoftFontFilesTest, CartridgeHeadersAreCheckedAndTheirNameOffsetBounded) {
  WriteFile("C:\\Work\\cart.bin", Cartridge(20, "Forms Cartridge"));
  InstalledFontEntry entry{};
  ASSERT_EQ(fontinstaller::ReadCartridgeHeader("C:\\Work\\cart.bin", &entry), 1);
  EXPECT_STREQ(entry.fontName, "Forms Cartridge");
  EXPECT_STREQ(entry.fontFilePath, "C:\\Work\\cart.bin");
  EXPECT_EQ(entry.location, fontinstaller::kLocationCartridge);

  Bytes farOffset = Cartridge(16, "X");
  farOffset[15] = 0x7F;  // far past the end of the file
  const struct {
    const char* what;
    Bytes bytes;
  } refused[] = {{"wrong magic", Cartridge(16, "Name", 0x1234)},
                 {"empty name", Cartridge(16, "")},
                 {"offset outside the file", farOffset},
                 {"too short", Bytes(10, 0)}};
  for (const auto& c : refused) {
    WriteFile("C:\\Work\\bad.bin", c.bytes);
    InstalledFontEntry other{};
    EXPECT_EQ(fontinstaller::ReadCartridgeHeader("C:\\Work\\bad.bin", &other), 0) << c.what;
  }
}

TEST_F(SoftFontFilesTest, FontDirectoryListsCartridgesThenFontsInFileOrder) {
  const std::string glue =
      "; font package\r\n"
      "[Cartridge]\r\n"
      "  {cart1.crt Forms /class Other}   \r\n"
      "{cart2.crt Barcode ; comment}\r\n"
      "not a cartridge line\r\n"
      "[PCL fonts]\r\n"
      "FONT Ignored before the marker\r\n"
      "{O}\r\n"
      "FONT Dutch Roman\r\n"
      "/font file dutch.sfp\r\n"
      "/tfm dutch.tfm\r\n"
      "/symset 8U\r\n"
      "/weight 180\r\n"
      "/slant 1\r\n"
      "/resource 7\r\n"
      "FONT " +
      std::string(80, 'L') +
      "\r\n"
      "/font file long.sfp\r\n"
      "/weight 130\r\n"
      "{\r\n"
      "/font file orphan.sfp\r\n"
      "[Other]\r\n"
      "FONT After the section\r\n";
  std::optional<fontinstaller::FontDirectory> directory = fontinstaller::ReadFontDirectory(glue);
  ASSERT_TRUE(directory);
  EXPECT_EQ(directory->cartridges, 2);
  EXPECT_EQ(directory->fonts, 2);
  ASSERT_EQ(directory->rows.size(), 4u);
  const auto& rows = directory->rows;
  EXPECT_EQ(rows[0].kind, fontinstaller::kDirectoryOtherCartridge);
  EXPECT_STREQ(rows[0].file, "cart1.crt");
  EXPECT_STREQ(rows[0].name, "Forms");
  EXPECT_EQ(rows[1].kind, fontinstaller::kDirectoryCartridge);
  EXPECT_STREQ(rows[1].name, "Barcode");
  EXPECT_EQ(rows[2].kind, fontinstaller::kDirectoryFont);
  EXPECT_STREQ(rows[2].name, "Dutch Roman");
  EXPECT_STREQ(rows[2].file, "dutch.sfp");
  EXPECT_STREQ(rows[2].tfmFile, "dutch.tfm");
  EXPECT_STREQ(rows[2].symbolSet, "8U");
  EXPECT_STREQ(rows[2].weightSuffix, "Bold");
  EXPECT_STREQ(rows[2].slant, "Italic");
  EXPECT_EQ(rows[2].resource, 7);
  EXPECT_EQ(std::strlen(rows[3].name), 49u) << "a long value is cut to its field";
  EXPECT_STREQ(rows[3].weightSuffix, "");
  EXPECT_STREQ(rows[3].slant, "");

  EXPECT_FALSE(fontinstaller::ReadFontDirectory("[PCL fonts]\nFONT Before marker\n"));
}

TEST_F(SoftFontFilesTest, WeightSuffixesFollowTheirBands) {
  const struct {
    int weight;
    const char* suffix;
  } cases[] = {{0, " Utn"},  {17, " Utn"},  {18, " Xtn"},  {34, " Xtn"}, {35, " Tn"},   {119, " Sl"},
               {120, ""},    {130, ""},     {136, ""},     {137, " Sb"}, {171, "Bold"}, {187, "Bold"},
               {188, " Xb"}, {239, " UBl"}, {255, " UBl"}, {256, ""}};
  for (const auto& c : cases) EXPECT_STREQ(fontinstaller::WeightSuffix(c.weight), c.suffix) << c.weight;
}

uint32_t Big32(const Bytes& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3];
}
int Big16(const Bytes& b, size_t at) { return (b[at] << 8) | b[at + 1]; }

TEST_F(SoftFontFilesTest, PrinterDiskCopyHasItsHeaderTableNameAndExpandedRows) {
  DescriptorSpec spec;
  spec.firstCode = 65;
  spec.lastCode = 67;
  GlyphSpec a;  // 10 x 3 uncompressed: rows of 2 bytes, already even
  a.raster = {0xFF, 0xC0, 0x80, 0x40, 0x3C, 0x00};
  GlyphSpec c;
  c.code = 'C';
  c.width = 10;
  c.height = 4;
  c.glyphClass = 2;
  // Row repeated once more: 2 white, 4 black, 4 white; then a run far too long.
  c.raster = {1, 2, 4, 4, 0, 0, 250};
  const Bytes font = SoftFont(spec, {a, c});
  std::optional<Bytes> copy = fontinstaller::BuildPrinterDiskCopy(font);
  ASSERT_TRUE(copy);
  const Bytes& out = *copy;
  EXPECT_EQ(Big32(out, 0), 20u);
  EXPECT_EQ(Big32(out, 4), out.size());
  EXPECT_EQ(Big16(out, 8), 74);
  EXPECT_EQ(Big32(out, 10), 256u);
  EXPECT_EQ(Big16(out, 14), 65);
  EXPECT_EQ(Big16(out, 16), 67);
  EXPECT_EQ(Big16(out, 22), spec.baseline);
  EXPECT_EQ(Big32(out, 24), 0x0009FFF9u);
  EXPECT_EQ(Big32(out, 56), 0x000003CAu);
  EXPECT_EQ(Big16(out, 70), 300);
  EXPECT_EQ(Big16(out, 72), 300);
  // Offset table of three codes, then the name block.
  const size_t table = 74;
  const size_t nameAt = table + 12;
  EXPECT_EQ(Big16(out, nameAt), 16);
  EXPECT_EQ(std::string(out.begin() + nameAt + 2, out.begin() + nameAt + 18), "TestFont        ");
  EXPECT_EQ(Big32(out, table + 4), 0u) << "no B";
  const size_t aAt = Big32(out, table);
  EXPECT_EQ(aAt, nameAt + 18);
  EXPECT_EQ(Bytes(out.begin() + aAt, out.begin() + aAt + 12), (Bytes{0, 1, 0, 30, 0x0C, 0x01, 0, 3, 0, 10, 0, 48}));
  EXPECT_EQ(Bytes(out.begin() + aAt + 12, out.begin() + aAt + 18), a.raster);
  const size_t cAt = Big32(out, table + 8);
  EXPECT_EQ(cAt, aAt + 18);
  EXPECT_EQ(Bytes(out.begin() + cAt + 12, out.end()), (Bytes{0x3C, 0x00, 0x3C, 0x00, 0xFF, 0xC0, 0x00, 0x00}));
}

TEST_F(SoftFontFilesTest, PrinterDiskCopyTakesItsRangeFromTheFileWhenTheDescriptorHasNone) {
  DescriptorSpec spec;
  spec.firstCode = 0;
  spec.lastCode = 0;
  GlyphSpec b;
  b.code = 'B';
  GlyphSpec d;
  d.code = 'D';
  std::optional<Bytes> copy = fontinstaller::BuildPrinterDiskCopy(SoftFont(spec, {b, d}));
  ASSERT_TRUE(copy);
  EXPECT_EQ(Big16(*copy, 14), 'B');
  EXPECT_EQ(Big16(*copy, 16), 'D');

  WriteFile("C:\\Work\\copy.sfp", SoftFont(spec, {b, d}));
  InstalledFontEntry entry{};
  std::strcpy(entry.fontFilePath, "C:\\Work\\copy.sfp");
  ASSERT_EQ(fontinstaller::ConvertForPrinterDisk("C:\\Work\\temp", &entry), 1);
  EXPECT_EQ(ReadFile("C:\\Work\\temp"), *copy);
}

TEST_F(SoftFontFilesTest, EveryCutOfAFontIsReadWithinItsBytes) {
  GlyphSpec packed;
  packed.code = 'C';
  packed.glyphClass = 2;
  packed.raster = {1, 2, 4, 4, 0, 0, 250};
  const Bytes whole = SoftFont(DescriptorSpec{}, {GlyphSpec{}, packed});
  for (size_t size = 0; size <= whole.size(); ++size) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(size));
    const bool accepted = fontinstaller::BuildSoftFontMetrics(cut, "").has_value();
    // A copy needs every glyph whole; a cut glyph refuses it.
    if (fontinstaller::BuildPrinterDiskCopy(cut)) {
      EXPECT_TRUE(accepted) << size;
    }
    EXPECT_EQ(accepted, size >= 6 + 64u) << size;  // ESC ")s64W" and the descriptor
  }
  EXPECT_TRUE(fontinstaller::BuildPrinterDiskCopy(whole));
}

TEST(PclCommandWalk, CombinedSequencesAndDataAreWalkedWhole) {
  const Bytes stream = Concat({Text("\x1B*c7d65E"), Text("\x1B(s3W"), Text("\x1B*c"),
                               Text("\x1B"
                                    "E")});
  std::vector<std::string> seen;
  fontinstaller::WalkPclCommands(stream.data(), stream.size(), [&](const fontinstaller::PclCommand& c) {
    seen.push_back(std::string{c.parameterized, c.group, c.terminator} + std::to_string(c.value) + "/" +
                   std::to_string(c.dataSize));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"*cD7/0", "*cE65/0", "(sW3/3"}));
}

}  // namespace
}  // namespace installertest
