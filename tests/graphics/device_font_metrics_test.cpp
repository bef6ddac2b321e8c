// The metrics blocks of the printer's own fonts, built from font metrics
// records: what GDI reads of them (IFIMETRICS, the family names, the
// simulations) and the fields the text writer reads after them; the glyph sets
// of the Far East fonts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "graphics/ddi/driver_library.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "platform/base/codepage.h"
#include "tests/graphics/ddi_fixture.h"

namespace graphicstest {
namespace {

using fontrecord::MetricsBlock;
namespace field = fontrecord::offset;

struct FreeBlock {
  void operator()(void* p) const { std::free(p); }
};
using Block = std::unique_ptr<IFIMETRICS, FreeBlock>;

// A record of a scalable upright regular Latin font: an em of 1000, ascender
// 900, descender 300, line spacing 1200; every width 500.
MetricsBlock Record(const char* face = "Optima") {
  MetricsBlock record = MetricsBlock::Blank();
  record.SetFaceName(face);
  record.SetU8(field::kFlags, fontrecord::kFlagScalable);
  record.SetU16(field::kPointSize, 12);
  record.SetU16(field::kHeight, 1000);
  record.SetI16(field::kAscent, 900);
  record.SetU16(field::kDescent, 300);
  record.SetU16(field::kLineGap, 1200);
  record.SetU16(field::kCapHeight, 700);
  record.SetU16(field::kXHeight, 501);
  record.SetU16(field::kAscender, 350);
  record.SetU16(field::kDescender, 140);
  record.SetU8(field::kSpareByte, 0x5A);
  record.SetU16(field::kWeight, 400);
  record.SetU16(field::kUnderlinePosition, 100);
  record.SetU16(field::kUnderlineThickness, 50);
  record.SetU8(field::kPitchAndFamily, FF_SWISS);
  record.SetU16(field::kAverageWidth, 480);
  record.SetU16(field::kMaximumWidth, 900);
  record.SetU8(field::kFirstChar, 32);
  record.SetU8(field::kLastChar, 255);
  record.SetU8(field::kDefaultChar, '?');
  record.SetU8(field::kBreakChar, ' ');
  for (int c = 0; c < 256; ++c) record.SetWidth(static_cast<uint8_t>(c), 500);
  return record;
}

Block Build(const MetricsBlock& record, int resolution = 600) {
  return Block(BuildModelFontMetrics(record.data(), record.size(), resolution));
}

std::vector<std::string> FamilyNames(const IFIMETRICS* block) {
  std::vector<std::string> names;
  const BYTE* at = reinterpret_cast<const BYTE*>(block) + block->dpwszFamilyName;
  while (true) {
    std::u16string name;
    char16_t c;
    while (std::memcpy(&c, at, 2), at += 2, c != 0) name += c;
    if (name.empty()) break;
    names.push_back(platform::Utf8FromUtf16(name));
    if (!(block->flInfo & FM_INFO_FAMILY_EQUIV)) break;
  }
  return names;
}

WORD WidthOf(const IFIMETRICS* block, int code) {
  WORD width;
  std::memcpy(&width, reinterpret_cast<const BYTE*>(block) + kDeviceFontWidthsOffset + 2 * code, 2);
  return width;
}

TEST(DeviceFontMetricsTest, ScalableRecordsKeepTheirSizesAndBitmapRecordsDoubleThem) {
  struct Case {
    bool scalable;
    FWORD em, ascender, descender, lineGap, average, maxInc, capHeight, superscriptOffset;
    FWORD underlineSize, underlinePosition, strikeoutSize, strikeoutPosition;
    WORD widthOfA, widthPerEm, sizeWord;
    FLONG info;
  } cases[] = {
      {true, 1000, 900, 300, 1000, 480, 900, 700, 350, 50, 100, 50, -250, 500, 1000, 12, 0x82038},
      {false, 2000, 1800, 600, 2000, 960, 1800, 1400, 700, 50, 10, 100, -501, 1000, 2000, 24, 0x80022},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scalable ? "scalable" : "bitmap");
    MetricsBlock record = Record();
    record.SetU8(field::kFlags, c.scalable ? fontrecord::kFlagScalable : 0);
    Block block = Build(record);
    ASSERT_TRUE(block);
    const IFIMETRICS& ifi = *block;
    EXPECT_EQ(ifi.fwdUnitsPerEm, c.em);
    EXPECT_EQ(ifi.fwdWinAscender, c.ascender);
    EXPECT_EQ(ifi.fwdMacAscender, c.ascender);
    EXPECT_EQ(ifi.fwdTypoAscender, c.ascender);
    EXPECT_EQ(ifi.fwdWinDescender, c.descender);
    EXPECT_EQ(ifi.fwdMacDescender, -c.descender);
    EXPECT_EQ(ifi.fwdTypoDescender, -c.descender);
    EXPECT_EQ(ifi.fwdMacLineGap, c.lineGap);
    EXPECT_EQ(ifi.fwdTypoLineGap, c.lineGap);
    EXPECT_EQ(ifi.fwdAveCharWidth, c.average);
    EXPECT_EQ(ifi.fwdMaxCharInc, c.maxInc);
    EXPECT_EQ(ifi.fwdCapHeight, c.capHeight);
    EXPECT_EQ(ifi.fwdSuperscriptYOffset, c.superscriptOffset);
    EXPECT_EQ(ifi.fwdSubscriptYSize, c.em / 2);
    EXPECT_EQ(ifi.fwdUnderscoreSize, c.underlineSize);
    EXPECT_EQ(ifi.fwdUnderscorePosition, c.underlinePosition);
    EXPECT_EQ(ifi.fwdStrikeoutSize, c.strikeoutSize);
    EXPECT_EQ(ifi.fwdStrikeoutPosition, c.strikeoutPosition);
    EXPECT_EQ(ifi.flInfo, c.info);
    EXPECT_EQ(WidthOf(block.get(), 'A'), c.widthOfA);
    EXPECT_EQ(DeviceFontWidthPerEm(block.get()), c.widthPerEm);
    WORD sizeWord;
    std::memcpy(&sizeWord, reinterpret_cast<BYTE*>(block.get()) + kDeviceFontSizeWordOffset, 2);
    EXPECT_EQ(sizeWord, c.sizeWord);
    EXPECT_EQ(DeviceFontFlags(block.get()), c.scalable ? 1 : 0);
    EXPECT_EQ(ifi.rclFontBox.top, c.ascender);
    EXPECT_EQ(ifi.rclFontBox.bottom, -c.descender);
    EXPECT_EQ(ifi.rclFontBox.right, c.maxInc);
    // What does not depend on the kind of record.
    EXPECT_EQ(ifi.fwdLowestPPEm, 8);
    EXPECT_EQ(ifi.ptlAspect.x, 600);
    EXPECT_EQ(ifi.ptlAspect.y, 600);
    EXPECT_EQ(ifi.ptlBaseline.x, 1);
    EXPECT_EQ(ifi.fsType, 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ifi.achVendId)), "Ymo");
    EXPECT_EQ(ifi.jWinPitchAndFamily, FF_SWISS | VARIABLE_PITCH);
    EXPECT_EQ(ifi.panose.bSerifStyle, 11);
    EXPECT_EQ(ifi.panose.bWeight, 5);
    EXPECT_EQ(ifi.chDefaultChar, '?');
    EXPECT_EQ(ifi.wcDefaultChar, u'?');
    EXPECT_EQ(ifi.wcBreakChar, u' ');
    EXPECT_EQ(reinterpret_cast<BYTE*>(block.get())[kDeviceFontKeptByteOffset], 0x5A);
  }
}

TEST(DeviceFontMetricsTest, WeightItalicAndPitchSetTheSelectionAndTheCaret) {
  struct Case {
    WORD weight;
    int16_t italic;
    BYTE flags;
    USHORT winWeight, selection;
    LONG caretX;
    BYTE pitch, proportion;
  } cases[] = {
      {0, 0, 1, 400, 0, 0, VARIABLE_PITCH, 0},
      {1200, 0, 1, 400, 0, 0, VARIABLE_PITCH, 0},  // out of range
      {700, 0, 1, 700, FM_SEL_BOLD, 0, VARIABLE_PITCH, 0},
      {400, -12, 3, 400, FM_SEL_ITALIC, 1, FIXED_PITCH, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.weight);
    MetricsBlock record = Record();
    record.SetU16(field::kWeight, c.weight);
    record.SetI16(field::kItalic, c.italic);
    record.SetU8(field::kFlags, c.flags);
    EXPECT_EQ(GetFontSelection(record), c.selection);
    Block block = Build(record);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->usWinWeight, c.winWeight);
    EXPECT_EQ(block->fsSelection, c.selection);
    EXPECT_EQ(block->lItalicAngle, c.italic);
    EXPECT_EQ(block->ptlCaret.x, c.caretX);
    EXPECT_EQ(block->jWinPitchAndFamily & 0x0F, c.pitch);
    EXPECT_EQ(block->panose.bProportion, c.proportion);
    const FLONG fixedBits = FM_INFO_CONSTANT_WIDTH | FM_INFO_OPTICALLY_FIXED_PITCH;
    EXPECT_EQ(block->flInfo & fixedBits, c.pitch == FIXED_PITCH ? fixedBits : 0u);
  }
}

TEST(DeviceFontMetricsTest, CharsetCodesGiveTheWindowsCharsetAndFarEastFontsAreDoubleByteFixed) {
  struct Case {
    BYTE code;
    BYTE charset;
  } cases[] = {{0, ANSI_CHARSET},     {1, ANSI_CHARSET},     {2, SYMBOL_CHARSET}, {5, SHIFTJIS_CHARSET},
               {6, SHIFTJIS_CHARSET}, {7, SHIFTJIS_CHARSET}, {8, GB2312_CHARSET}, {9, ANSI_CHARSET}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.code));
    MetricsBlock record = Record();
    record.SetU8(field::kCharSetClass, c.code);
    record.SetU8(field::kFlags, fontrecord::kFlagScalable | fontrecord::kFlagFixedPitch);
    Block block = Build(record);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->jWinCharSet, c.charset);
    EXPECT_EQ(DeviceFontCharsetCode(block.get()), c.code);
    const bool farEast = c.charset == SHIFTJIS_CHARSET || c.charset == GB2312_CHARSET;
    EXPECT_EQ((block->flInfo & FM_INFO_CONSTANT_WIDTH) != 0, !farEast);
    EXPECT_EQ((block->flInfo & FM_INFO_DBCS_FIXED_PITCH) != 0, farEast);
    EXPECT_TRUE(block->flInfo & FM_INFO_OPTICALLY_FIXED_PITCH);
  }
}

TEST(DeviceFontMetricsTest, AverageWidthComesFromTheWidthsWhenTheRecordGivesNone) {
  MetricsBlock record = Record();
  record.SetU16(field::kAverageWidth, 0);
  record.SetU16(field::kMaximumWidth, 100);
  record.SetU8(field::kFirstChar, 65);
  record.SetU8(field::kLastChar, 66);
  record.SetWidth(65, 300);
  record.SetWidth(66, 401);
  Block block = Build(record);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->fwdAveCharWidth, 351);  // (701 + 1) / 2
  EXPECT_EQ(block->fwdMaxCharInc, 351) << "raised to the average";
  record.SetU8(field::kFlags, 0);
  block = Build(record);
  EXPECT_EQ(block->fwdAveCharWidth, 702);
  // No character range at all: an average of 0, not a division by zero.
  record.SetU8(field::kFirstChar, 66);
  record.SetU8(field::kLastChar, 65);
  block = Build(record);
  ASSERT_TRUE(block);
  EXPECT_EQ(block->fwdAveCharWidth, 0);
}

TEST(DeviceFontMetricsTest, ResidentPostScriptFamiliesCarryTheirEquivalentNames) {
  struct Case {
    const char* face;
    std::vector<std::string> names;
  } cases[] = {
      {"Helvetica", {"Helvetica", "Helv", "Arial", "Swiss"}},
      {"Bookman", {"ITC Bookman", "Bookman Old Style", "Bookman"}},
      {"Courier", {"Courier", "Courier New"}},
      {"Optima", {"Optima"}},
      {"helvetica", {"helvetica"}},  // compared with case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    Block block = Build(Record(c.face));
    ASSERT_TRUE(block);
    EXPECT_EQ(block->dpwszFamilyName, 808);
    EXPECT_EQ(block->dpwszFaceName, 808);
    EXPECT_EQ((block->flInfo & FM_INFO_FAMILY_EQUIV) != 0, c.names.size() > 1);
    EXPECT_EQ(FamilyNames(block.get()), c.names);
    // The style and unique names are the empty string at the end of the names.
    char16_t style = 1;
    std::memcpy(&style, reinterpret_cast<BYTE*>(block.get()) + block->dpwszStyleName, 2);
    EXPECT_EQ(style, 0);
    EXPECT_EQ(block->dpwszUniqueName, block->dpwszStyleName);
    EXPECT_LT(static_cast<ULONG>(block->dpwszStyleName), block->cjThis);
    char face[33];
    EXPECT_STREQ(DeviceFontFaceName(block.get(), face), c.face);
  }
}

TEST(DeviceFontMetricsTest, SelectionNameIsTheRecordsOrElseTheFaceName) {
  MetricsBlock record = Record("Univers");
  Block block = Build(record);
  char name[65];
  EXPECT_STREQ(DeviceFontSelectionName(block.get(), name), "Univers");
  record.SetSelectionName("52,8U");
  block = Build(record);
  EXPECT_STREQ(DeviceFontSelectionName(block.get(), name), "52,8U");
  EXPECT_EQ(DeviceFontNoReencoding(block.get()), 0u);
}

TEST(DeviceFontMetricsTest, SimulationsAreOfferedForWhatTheFontIsNot) {
  struct Case {
    const char* what;
    WORD weight;
    int16_t italic;
    BYTE code;
    bool bold, italicSim;
  } cases[] = {
      {"regular", 400, 0, 0, true, true},
      {"bold", 700, 0, 0, false, true},
      {"italic", 400, 10, 0, true, false},
      {"bold italic", 700, 10, 0, false, false},
      {"bold italic Shift-JIS", 700, 10, 5, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MetricsBlock record = Record();
    record.SetU16(field::kWeight, c.weight);
    record.SetI16(field::kItalic, c.italic);
    record.SetU8(field::kCharSetClass, c.code);
    const size_t room = BuildDeviceFontMetrics(nullptr, record, 600);
    Block block = Build(record);
    ASSERT_TRUE(block);
    EXPECT_LE(block->cjThis, room);
    if (!c.bold && !c.italicSim) {
      EXPECT_EQ(block->dpFontSim, 0);
      continue;
    }
    ASSERT_NE(block->dpFontSim, 0);
    EXPECT_EQ(block->dpFontSim % 4, 0);
    const BYTE* base = reinterpret_cast<BYTE*>(block.get());
    FONTSIM sim;
    std::memcpy(&sim, base + block->dpFontSim, sizeof sim);
    EXPECT_EQ(sim.dpBold != 0, c.bold);
    EXPECT_EQ(sim.dpItalic != 0, c.italicSim);
    EXPECT_EQ(sim.dpBoldItalic != 0, c.bold && c.italicSim);
    const size_t diffs = (c.bold ? 1 : 0) + (c.italicSim ? 1 : 0) + (c.bold && c.italicSim ? 1 : 0);
    EXPECT_EQ(block->cjThis, block->dpFontSim + 12 + 20 * diffs);
    auto diffAt = [&](PTRDIFF offset) {
      FONTDIFF diff;
      std::memcpy(&diff, base + block->dpFontSim + offset, sizeof diff);
      return diff;
    };
    if (c.bold) {
      const FONTDIFF bold = diffAt(sim.dpBold);
      EXPECT_EQ(bold.bWeight, 8);
      EXPECT_EQ(bold.usWinWeight, 700);
      EXPECT_TRUE(bold.fsSelection & FM_SEL_BOLD);
      EXPECT_EQ(bold.fwdAveCharWidth, block->fwdAveCharWidth + 1);
      EXPECT_EQ(bold.fwdMaxCharInc, block->fwdMaxCharInc + 1);
      EXPECT_EQ(bold.ptlCaret.y, block->ptlCaret.y);
    }
    if (c.italicSim) {
      const FONTDIFF italic = diffAt(sim.dpItalic);
      EXPECT_TRUE(italic.fsSelection & FM_SEL_ITALIC);
      EXPECT_EQ(italic.usWinWeight, block->usWinWeight);
      EXPECT_EQ(italic.ptlCaret.x, 1);
      EXPECT_EQ(italic.ptlCaret.y, 3);
    }
    if (c.bold && c.italicSim) {
      const FONTDIFF both = diffAt(sim.dpBoldItalic);
      EXPECT_EQ(both.fsSelection & (FM_SEL_BOLD | FM_SEL_ITALIC), FM_SEL_BOLD | FM_SEL_ITALIC);
      EXPECT_EQ(both.usWinWeight, 700);
      EXPECT_EQ(both.ptlCaret.y, 3);
    }
  }
}

TEST(DeviceFontMetricsTest, InstalledRecordsMustBeWholeTaggedAndOfVersionOne) {
  const MetricsBlock good = Record();
  std::vector<uint8_t> bytes(good.data(), good.data() + good.size());
  Block block(BuildInstalledFontMetrics(bytes.data(), bytes.size(), 300));
  ASSERT_TRUE(block);
  EXPECT_EQ(block->ptlAspect.x, 300);
  EXPECT_EQ(block->fwdLowestPPEm, 4);
  EXPECT_EQ(BuildInstalledFontMetrics(bytes.data(), 688, 300), nullptr);
  EXPECT_EQ(BuildInstalledFontMetrics(nullptr, 689, 300), nullptr);
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_EQ(BuildInstalledFontMetrics(longer.data(), longer.size(), 300), nullptr);
  std::vector<uint8_t> version2 = bytes;
  version2[field::kVersion] = 2;
  EXPECT_EQ(BuildInstalledFontMetrics(version2.data(), version2.size(), 300), nullptr);
  std::vector<uint8_t> badTag = bytes;
  badTag[0] = 'X';
  EXPECT_EQ(BuildInstalledFontMetrics(badTag.data(), badTag.size(), 300), nullptr);
  // A model resource is not checked for its tag, but it must hold a whole record.
  Block fromModule(BuildModelFontMetrics(badTag.data(), badTag.size(), 600));
  EXPECT_TRUE(fromModule);
  EXPECT_EQ(BuildModelFontMetrics(bytes.data(), 688, 600), nullptr);
}

TEST(DeviceFontMetricsTest, UnicodeRangeFollowsTheAnsiCodePage) {
  const UINT saved = platform::AnsiCodePage();
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  Block block = Build(Record());
  ASSERT_TRUE(block);
  EXPECT_EQ(block->wcFirstChar, 0);
  EXPECT_EQ(block->wcLastChar, 0x2122);  // the trade mark sign, 0x99
  platform::SetAnsiCodePage(saved);
}

// ---- Glyph sets -------------------------------------------------------------------

// A glyph set as the model module stores it: header, runs, handles.
std::vector<BYTE> StoredGlyphSet(const std::vector<std::pair<WORD, std::vector<DWORD>>>& runs) {
  std::vector<BYTE> out;
  auto u32 = [&](DWORD v) { out.insert(out.end(), reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 4); };
  auto u16 = [&](WORD v) { out.insert(out.end(), reinterpret_cast<BYTE*>(&v), reinterpret_cast<BYTE*>(&v) + 2); };
  DWORD glyphs = 0;
  for (const auto& run : runs) glyphs += static_cast<DWORD>(run.second.size());
  u32(0);
  u32(GS_16BIT_HANDLES);
  u32(glyphs);
  u32(static_cast<DWORD>(runs.size()));
  for (const auto& run : runs) {
    u16(run.first);
    u16(static_cast<WORD>(run.second.size()));
    u32(0);
  }
  for (const auto& run : runs)
    for (DWORD h : run.second) u32(h);
  return out;
}

TEST(DeviceGlyphSetTest, StoredRunsAreRebuiltWithPointersToTheirHandles) {
  const std::vector<BYTE> stored = StoredGlyphSet({{0x20, {0x20, 0x21, 0x22}}, {0x3000, {0x8140, 0x8141}}});
  FD_GLYPHSET* set = LoadGlyphSetResource(stored.data(), stored.size());
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->cRuns, 2u);
  EXPECT_EQ(set->cGlyphsSupported, 5u);
  EXPECT_EQ(set->flAccel, static_cast<FLONG>(GS_16BIT_HANDLES));
  EXPECT_EQ(set->awcrun[0].wcLow, 0x20);
  EXPECT_EQ(set->awcrun[0].cGlyphs, 3);
  EXPECT_EQ(set->awcrun[0].phg[2], 0x22u);
  EXPECT_EQ(set->awcrun[1].wcLow, 0x3000);
  EXPECT_EQ(set->awcrun[1].phg, set->awcrun[0].phg + 3);
  EXPECT_EQ(set->awcrun[1].phg[1], 0x8141u);
  EXPECT_LE(reinterpret_cast<BYTE*>(set->awcrun[1].phg + 2), reinterpret_cast<BYTE*>(set) + set->cjThis);
  std::free(set);
}

TEST(DeviceGlyphSetTest, ResourcesShorterThanTheirRunsAndHandlesAreRefused) {
  std::vector<BYTE> stored = StoredGlyphSet({{0x20, {1, 2, 3}}});
  EXPECT_EQ(LoadGlyphSetResource(stored.data(), stored.size() - 1), nullptr);  // a handle cut short
  EXPECT_EQ(LoadGlyphSetResource(stored.data(), 20), nullptr);                 // the run cut short
  EXPECT_EQ(LoadGlyphSetResource(stored.data(), 8), nullptr);
  EXPECT_EQ(LoadGlyphSetResource(nullptr, 100), nullptr);
  std::vector<BYTE> noRuns = StoredGlyphSet({});
  EXPECT_EQ(LoadGlyphSetResource(noRuns.data(), noRuns.size()), nullptr);
  // A run count far beyond the data.
  stored[12] = 0xFF;
  stored[13] = 0xFF;
  EXPECT_EQ(LoadGlyphSetResource(stored.data(), stored.size()), nullptr);
}

class DeviceGlyphSetCacheTest : public DdiPrinterTest {
 protected:
  void SetUp() override {
    DdiPrinterTest::SetUp();
    HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    pdev_ = Enable(printer, &dm);
    ASSERT_NE(pdev_, nullptr);
    const BYTE codes[] = {0, 5, 8};
    for (int i = 0; i < 3; ++i) {
      MetricsBlock record = Record();
      record.SetU8(field::kCharSetClass, codes[i]);
      blocks_[i] = Build(record);
      entries_[i].kind = kDeviceFontResident;
      entries_[i].metrics = blocks_[i].get();
    }
    fonts_.count = 3;
    fonts_.entries = entries_;
    pdev_->carried.deviceFonts = &fonts_;
  }
  void TearDown() override {
    FreeDeviceGlyphSet();
    if (pdev_) pdev_->carried.deviceFonts = nullptr;
    pdev_.reset();
    DdiPrinterTest::TearDown();
  }

  EnabledPdev pdev_;
  Block blocks_[3];
  DeviceFontEntry entries_[3] = {};
  DeviceFontList fonts_{};
};

TEST_F(DeviceGlyphSetCacheTest, EachFarEastCharsetKeepsItsOwnSet) {
  EXPECT_EQ(GetDeviceGlyphSet(pdev_.get(), 1), DefaultGlyphSet());
  // The model module's Shift-JIS set is loaded once and kept.
  FD_GLYPHSET* fromModule = GetDeviceGlyphSet(pdev_.get(), 2);
  ASSERT_NE(fromModule, nullptr);
  EXPECT_EQ(*CachedGlyphSetSlot(kShiftJisGlyphSetName), fromModule);
  EXPECT_EQ(GetDeviceGlyphSet(pdev_.get(), 2), fromModule);
  FreeDeviceGlyphSet();
  // A Shift-JIS set in the cache answers Shift-JIS fonts only; a GB2312 font
  // asked afterwards does not get it.
  const std::vector<BYTE> stored = StoredGlyphSet({{0x20, {1}}});
  FD_GLYPHSET* shiftJis = LoadGlyphSetResource(stored.data(), stored.size());
  *CachedGlyphSetSlot(kShiftJisGlyphSetName) = shiftJis;
  EXPECT_EQ(GetDeviceGlyphSet(pdev_.get(), 2), shiftJis);
  FD_GLYPHSET* gb2312 = GetDeviceGlyphSet(pdev_.get(), 3);
  EXPECT_NE(gb2312, nullptr);
  EXPECT_NE(gb2312, shiftJis);
  EXPECT_EQ(GetDeviceGlyphSet(pdev_.get(), 4), nullptr);
  FreeDeviceGlyphSet();
  EXPECT_EQ(*CachedGlyphSetSlot(kShiftJisGlyphSetName), nullptr);
}

TEST_F(DeviceGlyphSetCacheTest, BuiltBlocksAreWhatGdiIsGiven) {
  for (ULONG iFace = 1; iFace <= 3; ++iFace) {
    ULONG_PTR id = 9;
    EXPECT_EQ(DrvQueryFont(reinterpret_cast<DHPDEV>(pdev_.get()), 0, iFace, &id), blocks_[iFace - 1].get());
  }
  // The face-name escape reads the block's face name.
  SURFOBJ surface = SurfaceOf(pdev_.get());
  FONTOBJ font{};
  font.iFace = 1;
  font.flFontType = DEVICE_FONTTYPE;
  char name[64] = {};
  EXPECT_EQ(DrvFontManagement(&surface, &font, GETFACENAME, 0, nullptr, sizeof name, name), 1u);
  EXPECT_STREQ(name, "Optima");
}

}  // namespace
}  // namespace graphicstest
