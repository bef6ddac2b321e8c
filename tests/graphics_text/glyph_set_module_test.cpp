// The glyph sets of the Far East printer fonts, read from the model module the
// printer's description names: one per charset, loaded once, and none from a
// resource that is not a glyph set.
#include <gtest/gtest.h>

#include <string>

#include "common/pdl_kind.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/graphics_text/text_fixture.h"

namespace graphicstest {
namespace {

class GlyphSetModuleTest : public GraphicsPrinterTest {
 protected:
  void TearDown() override {
    FreeDeviceGlyphSet();
    GraphicsPrinterTest::TearDown();
  }
  // A printer whose description names `module` as its model module.
  HANDLE PrinterWith(const std::string& module) {
    const std::string text = "[General]\nFormatVersion=2.0\nModelName=Glyph Model " + module + "\nModelDLL=" + module +
                             "\n[PDL]\n1=PCL5E\nDefault=1\n";
    return InstallText(text, "Glyphs " + module, kPdlPcl5e, 0, TestModulePath("recording_driver.dll"));
  }
};

TEST_F(GlyphSetModuleTest, EachFarEastCharsetGetsItsOwnSetLoadedOnce) {
  PdevPtr pdev = NewPdev(PrinterWith("glyphset_module.dll"), "Glyphs glyphset_module.dll");
  ASSERT_TRUE(pdev);
  PrinterFonts fonts(pdev.get(), {PrinterFontRecord("Mincho", "", true, 5), PrinterFontRecord("Song", "", true, 8)});
  FD_GLYPHSET* shiftJis = GetDeviceGlyphSet(pdev.get(), 1);
  ASSERT_NE(shiftJis, nullptr);
  ASSERT_EQ(shiftJis->cRuns, 2u);
  EXPECT_EQ(shiftJis->cGlyphsSupported, 5u);
  EXPECT_EQ(shiftJis->awcrun[1].wcLow, 0x3000);
  EXPECT_EQ(shiftJis->awcrun[1].phg[1], 0x8141u);
  EXPECT_EQ(GetDeviceGlyphSet(pdev.get(), 1), shiftJis) << "loaded once";
  FD_GLYPHSET* gb2312 = GetDeviceGlyphSet(pdev.get(), 2);
  ASSERT_NE(gb2312, nullptr);
  EXPECT_NE(gb2312, shiftJis);
  EXPECT_EQ(gb2312->awcrun[1].phg[0], 0xA1A1u);
}

TEST_F(GlyphSetModuleTest, AResourceThatIsNoGlyphSetGivesNoneAndIsNotKept) {
  PdevPtr pdev = NewPdev(PrinterWith("sample_module.dll"), "Glyphs sample_module.dll");
  ASSERT_TRUE(pdev);
  PrinterFonts fonts(pdev.get(), {PrinterFontRecord("Mincho", "", true, 5)});
  EXPECT_EQ(GetDeviceGlyphSet(pdev.get(), 1), nullptr);
  EXPECT_EQ(*CachedGlyphSetSlot(kShiftJisGlyphSetName), nullptr);
}

}  // namespace
}  // namespace graphicstest
