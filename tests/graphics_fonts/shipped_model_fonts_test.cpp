// The model modules built for the shipped models: every resident font of a
// model's [Fonts] rows is offered for its language with usable metrics, the Far
// East glyph sets map Unicode to the printer's codes, the pictures the pages
// show load, and refreshing the font list (escape 56) gives the fonts back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/escapes/escapes.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/gdi/eng_services.h"
#include "platform/gdi/screen.h"
#include "tests/graphics/printer_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace graphicstest {
namespace {

struct ExpectedFont {
  const char* faceUtf8;
  const char* selection;
  bool fixedPitch;
  BYTE winCharSet;
};

struct ModelCase {
  const char* model;
  WORD pdl;
  std::vector<ExpectedFont> fonts;
};

std::vector<ModelCase> Cases() {
  return {
      {"nardo-c5545.ini",
       kPdlPs3,
       {{"Courier", "Courier", true, ANSI_CHARSET},
        {"Helvetica", "Helvetica", false, ANSI_CHARSET},
        {"Helvetica-Narrow", "Helvetica-Narrow", false, ANSI_CHARSET},
        {"Times", "Times-Roman", false, ANSI_CHARSET},
        {"リュウミンL-KL", "Ryumin-Light-83pv-RKSJ-H", true, SHIFTJIS_CHARSET},
        {"中ゴシックBBB", "GothicBBB-Medium-83pv-RKSJ-H", true, SHIFTJIS_CHARSET},
        {"@リュウミンL-KL", "Ryumin-Light-83pv-RKSJ-H", true, SHIFTJIS_CHARSET},
        {"@中ゴシックBBB", "GothicBBB-Medium-83pv-RKSJ-H", true, SHIFTJIS_CHARSET}}},
      {"nardo-c5545.ini",
       kPdlPcl5e,
       {{"CG Times", "4101,19U", false, ANSI_CHARSET},
        {"Courier", "4099,19U", true, ANSI_CHARSET},
        {"Letter Gothic", "4102,19U", true, ANSI_CHARSET},
        {"Univers", "4148,19U", false, ANSI_CHARSET},
        {"明朝", "28752,19K", true, SHIFTJIS_CHARSET},
        {"@明朝", "28752,19K", true, SHIFTJIS_CHARSET}}},
      {"nardo-m3020.ini",
       kPdlPcl5e,
       {{"CG Times", "4101,19U", false, ANSI_CHARSET},
        {"Courier", "4099,19U", true, ANSI_CHARSET},
        {"Letter Gothic", "4102,19U", true, ANSI_CHARSET},
        {"Univers", "4148,19U", false, ANSI_CHARSET},
        {"ゴシック", "28825,19K", true, SHIFTJIS_CHARSET},
        {"明朝", "28752,19K", true, SHIFTJIS_CHARSET},
        {"@ゴシック", "28825,19K", true, SHIFTJIS_CHARSET},
        {"@明朝", "28752,19K", true, SHIFTJIS_CHARSET}}},
  };
}

class ShippedModelFontsTest : public GraphicsPrinterTest {
 protected:
  void TearDown() override {
    FreeAllFontLists();
    FreeDeviceGlyphSet();
    GraphicsPrinterTest::TearDown();
  }
  DeviceFontList* Load(PDEV* pdev, WORD pdl) {
    pdev->devmode.dmPrivate._nPDL = pdl;
    pdev->devmode.dmPublic.dmPrintQuality = 600;
    return LoadInstalledFonts(pdev->printer, pdev->carried.printerName, pdev->model, &pdev->devmode);
  }
};

std::string Face(const IFIMETRICS* metrics) {
  char face[33];
  return DeviceFontFaceName(metrics, face);
}
std::string Selection(const IFIMETRICS* metrics) {
  char name[65];
  return DeviceFontSelectionName(metrics, name);
}

// The width of a character of the font's ANSI codes, in em units of 1000.
int WidthPerMille(const IFIMETRICS* metrics, BYTE code) {
  WORD width = 0;
  std::memcpy(&width, reinterpret_cast<const BYTE*>(metrics) + kDeviceFontWidthsOffset + 2 * code, sizeof width);
  return width * 1000 / DeviceFontWidthPerEm(metrics);
}

TEST_F(ShippedModelFontsTest, EveryResidentFontOfTheLanguageIsOfferedWithItsMetrics) {
  int printerNumber = 0;
  for (const ModelCase& c : Cases()) {
    SCOPED_TRACE(testing::Message() << c.model << " language 0x" << std::hex << c.pdl);
    const std::string name = "Shipped " + std::to_string(++printerNumber);
    PdevPtr pdev = NewPdev(Install(c.model, name, c.pdl, 0), name);
    ASSERT_TRUE(pdev);
    const DeviceFontList* list = Load(pdev.get(), c.pdl);
    ASSERT_NE(list, nullptr) << "the model module loads";
    ASSERT_EQ(list->count, c.fonts.size());
    for (const ExpectedFont& want : c.fonts) {
      SCOPED_TRACE(want.faceUtf8);
      // A vertical face ("@") shares its level twin's selection: both name it.
      const DeviceFontEntry* entry = nullptr;
      for (DWORD i = 0; i < list->count; ++i)
        if (Selection(list->entries[i].metrics) == want.selection &&
            Face(list->entries[i].metrics) == platform::AnsiFromUtf8(want.faceUtf8))
          entry = &list->entries[i];
      ASSERT_NE(entry, nullptr);
      const IFIMETRICS* m = entry->metrics;
      EXPECT_EQ(entry->kind, kDeviceFontResident);
      EXPECT_EQ(Face(m), platform::AnsiFromUtf8(want.faceUtf8));
      EXPECT_EQ(Selection(m), want.selection);
      EXPECT_EQ((DeviceFontFlags(m) & kDeviceFontFlagFixedPitch) != 0, want.fixedPitch);
      EXPECT_TRUE(DeviceFontFlags(m) & kDeviceFontFlagScalable);
      EXPECT_EQ(m->jWinCharSet, want.winCharSet);
      // Heights that lay out a line: an ascent above the baseline, a descent below.
      EXPECT_GT(m->fwdWinAscender, 0);
      EXPECT_GT(m->fwdWinDescender, 0);
      EXPECT_LT(m->fwdWinAscender + m->fwdWinDescender, 2 * m->fwdUnitsPerEm);
    }
  }
}

// The widths are those of the faces the printer has: Courier's 600 per mille
// for every character, Helvetica's and Times's own narrow and wide letters,
// Letter Gothic at 12 pitch, half-width single bytes in the Japanese fonts.
TEST_F(ShippedModelFontsTest, WidthsMatchThePrinterFaces) {
  PdevPtr ps = NewPdev(Install("nardo-c5545.ini", "Widths PS", kPdlPs3, 0), "Widths PS");
  PdevPtr pcl = NewPdev(Install("nardo-m3020.ini", "Widths PCL", kPdlPcl5e, 0), "Widths PCL");
  ASSERT_TRUE(ps && pcl);
  const DeviceFontList* psFonts = Load(ps.get(), kPdlPs3);
  const DeviceFontList* pclFonts = Load(pcl.get(), kPdlPcl5e);
  ASSERT_NE(psFonts, nullptr);
  ASSERT_NE(pclFonts, nullptr);
  auto font = [](const DeviceFontList* list, const char* selection) -> const IFIMETRICS* {
    for (DWORD i = 0; i < list->count; ++i)
      if (Selection(list->entries[i].metrics) == selection) return list->entries[i].metrics;
    return nullptr;
  };
  struct Case {
    const DeviceFontList* list;
    const char* selection;
    BYTE code;
    int width;
  } cases[] = {
      {psFonts, "Courier", 'i', 600},      {psFonts, "Courier", 'W', 600},    {psFonts, "Courier", 0xE9, 600},
      {psFonts, "Helvetica", 'i', 222},    {psFonts, "Helvetica", 'W', 944},  {psFonts, "Helvetica", ' ', 278},
      {psFonts, "Times-Roman", 'm', 778},  {psFonts, "Helvetica", 0x80, 556},  // the euro sign
      {pclFonts, "4099,19U", 'i', 600},    {pclFonts, "4102,19U", 'W', 500},  {pclFonts, "28752,19K", 'A', 500},
      {pclFonts, "28825,19K", 0x82, 1000},  // a lead byte
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.selection << " code 0x" << std::hex << int{c.code});
    const IFIMETRICS* m = font(c.list, c.selection);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WidthPerMille(m, c.code), c.width);
  }
}

// The printer code a glyph set gives a character; 0 when it has none.
HGLYPH CodeOf(const FD_GLYPHSET* set, WCHAR ch) {
  for (ULONG i = 0; i < set->cRuns; ++i) {
    const WCRUN& run = set->awcrun[i];
    if (ch >= run.wcLow && ch < run.wcLow + run.cGlyphs) return run.phg[ch - run.wcLow];
  }
  return 0;
}

TEST_F(ShippedModelFontsTest, FarEastGlyphSetsMapUnicodeToThePrinterCodes) {
  for (const char* module : {"nardoc55.dll", "nardom30.dll"}) {
    SCOPED_TRACE(module);
    const std::string path = machinesetup::BuiltDriverFolder() + "\\" + module;
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, 0u);
    struct Case {
      int set;
      WCHAR ch;
      HGLYPH code;
    } cases[] = {
        {kShiftJisGlyphSetName, u'A', 0x41},    {kShiftJisGlyphSetName, u'あ', 0x82A0},
        {kShiftJisGlyphSetName, u'ｱ', 0xB1},    {kShiftJisGlyphSetName, u'漢', 0x8ABF},
        {kShiftJisGlyphSetName, u'　', 0x8140}, {kShiftJisGlyphSetName, u'丂', 0},  // not in JIS
        {kGb2312GlyphSetName, u'　', 0xA1A1},   {kGb2312GlyphSetName, u'一', 0xD2BB},
        {kGb2312GlyphSetName, u'A', 0x41},      {kGb2312GlyphSetName, u'ｱ', 0},
    };
    FD_GLYPHSET* sets[3] = {};
    for (int name : {kShiftJisGlyphSetName, kGb2312GlyphSetName}) {
      ULONG size = 0;
      const void* resource = EngFindResource(library, name, kGlyphSetResourceType, &size);
      sets[name] = LoadGlyphSetResource(resource, size);
      ASSERT_NE(sets[name], nullptr) << "glyph set " << name;
      EXPECT_GT(sets[name]->cGlyphsSupported, 6000u);
    }
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "U+" << std::hex << int{c.ch});
      EXPECT_EQ(CodeOf(sets[c.set], c.ch), c.code);
    }
    std::free(sets[1]);
    std::free(sets[2]);
    FreeLibrary(library);
  }
}

TEST_F(ShippedModelFontsTest, ThePicturesAndTheLogoTheDescriptionNamesLoad) {
  struct Case {
    const char* module;
    const char* bitmaps[3];
  } cases[] = {{"nardoc55.dll", {"5545_DEF_1", "5545_DEF_2", "NARDO_LOGO_C5545"}},
               {"nardom30.dll", {"3020_DEF_1", "3020_DEF_2", "NARDO_LOGO_M3020"}}};
  for (const Case& c : cases) {
    const std::string path = machinesetup::BuiltDriverFolder() + "\\" + c.module;
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE(library, 0u) << c.module;
    for (const char* name : c.bitmaps) {
      HBITMAP bitmap = LoadBitmapA(library, name);
      EXPECT_NE(bitmap, 0u) << c.module << " " << name;
      if (bitmap) DeleteObject(bitmap);
    }
    FreeLibrary(library);
  }
}

// The pages send escape 56 with action 1 after the installer changed the fonts:
// the shipped printer's list comes back whole.
TEST_F(ShippedModelFontsTest, FontListRefreshGivesTheResidentFontsBack) {
  HANDLE printer = Install("nardo-m3020.ini", "Refresh Shipped", kPdlPcl5e, 0);
  PdevPtr pdev = NewPdev(printer, "Refresh Shipped");
  ASSERT_TRUE(pdev);
  pdev->devmode.dmPrivate._nPDL = kPdlPcl5e;
  pdev->devmode.dmPublic.dmPrintQuality = 600;
  std::vector<BYTE> block(kFontListRefreshBlockBytes, 0);
  const DWORD action = 1;
  const WORD pdl = kPdlPcl5e;
  std::memcpy(block.data(), &action, sizeof action);
  std::strcpy(reinterpret_cast<char*>(block.data() + 4), "Refresh Shipped");
  std::memcpy(block.data() + 264, &pdl, sizeof pdl);
  EXPECT_EQ(ServeConfigEscape(pdev.get(), kEscFontListRefresh, static_cast<ULONG>(block.size()), block.data()), 0u);
  ASSERT_NE(pdev->carried.deviceFonts, nullptr);
  EXPECT_EQ(pdev->carried.deviceFonts->count, 8u);
}

}  // namespace
}  // namespace graphicstest
