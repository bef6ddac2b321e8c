// The device-font queries the engine makes while it realises a printer font:
// the glyph set and kerning pairs (DrvQueryFontTree) and the metrics of the
// font and its glyphs in device space (DrvQueryFontData), for an engine font
// object with its transform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/ddi/driver_library.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "platform/gdi/engine.h"
#include "tests/graphics/ddi_fixture.h"

namespace graphicstest {
namespace {

using platform::gdi::Font;

constexpr FWORD kEm = 1000;
constexpr WORD kWidthOfA = 550;

// A device font's metrics block: IFIMETRICS (an em of 1000 units, the box
// 800 above and 200 below the baseline), the 256 widths, the face name.
std::vector<BYTE> MetricsBlock(FLONG info, BYTE family, BYTE charset = ANSI_CHARSET, LONG boxTop = 800) {
  std::vector<BYTE> block(808, 0);
  auto* ifi = reinterpret_cast<IFIMETRICS*>(block.data());
  ifi->cjThis = static_cast<ULONG>(block.size());
  ifi->fwdUnitsPerEm = kEm;
  ifi->flInfo = info;
  ifi->jWinPitchAndFamily = family;
  ifi->jWinCharSet = charset;
  ifi->rclFontBox = RECTL{0, boxTop, 600, -200};
  ifi->fwdMaxCharInc = 600;
  ifi->fwdAveCharWidth = 500;
  ifi->fwdUnderscorePosition = -100;
  ifi->fwdUnderscoreSize = 50;
  ifi->fwdStrikeoutPosition = 300;
  std::memcpy(block.data() + kDeviceFontWidthsOffset + 2 * 'A', &kWidthOfA, sizeof kWidthOfA);
  std::strncpy(reinterpret_cast<char*>(block.data()) + kDeviceFontFaceNameOffset, "Printer Sans",
               kDeviceFontFaceNameBytes);
  return block;
}

class FontQueryTest : public DdiPrinterTest {
 protected:
  void SetUp() override {
    DdiPrinterTest::SetUp();
    HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    pdev_ = Enable(printer, &dm);
    ASSERT_NE(pdev_, nullptr);
    ASSERT_EQ(pdev_->resolution, 600);
    blocks_[0] = MetricsBlock(0, FF_SWISS);
    blocks_[1] = MetricsBlock(FM_INFO_CONSTANT_WIDTH, FF_MODERN, ANSI_CHARSET, 900);
    blocks_[2] = MetricsBlock(FM_INFO_DBCS_FIXED_PITCH, FF_MODERN, SHIFTJIS_CHARSET);
    for (int i = 0; i < 3; ++i) {
      entries_[i].kind = kDeviceFontResident;
      entries_[i].metrics = reinterpret_cast<IFIMETRICS*>(blocks_[i].data());
    }
    fonts_.count = 3;
    fonts_.entries = entries_;
    pdev_->carried.deviceFonts = &fonts_;
  }
  void TearDown() override {
    FreeDeviceGlyphSet();  // the model's sets are kept for the library's life
    if (pdev_) pdev_->carried.deviceFonts = nullptr;
    pdev_.reset();
    DdiPrinterTest::TearDown();
  }

  DHPDEV Dh() const { return reinterpret_cast<DHPDEV>(pdev_.get()); }

  // Device font iFace at `scale` device pixels per font unit (y pointing down).
  std::unique_ptr<Font> DeviceFont(ULONG iFace, float scale) {
    const XFORML toDevice{scale, 0, 0, scale, 0, 0};
    return Font::Device(iFace, entries_[iFace - 1].metrics, toDevice);
  }

  EnabledPdev pdev_;
  std::vector<BYTE> blocks_[3];
  DeviceFontEntry entries_[3] = {};
  DeviceFontList fonts_{};
};

TEST_F(FontQueryTest, TheGlyphSetIsAskedForAnExistingDeviceFontOnly) {
  enum class Answer { kNone, kAnsi, kModelSet };
  struct Case {
    ULONG iFace;
    ULONG mode;
    Answer answer;
    DWORD error;  // checked when nothing is answered
  } cases[] = {
      {1, QFT_GLYPHSET, Answer::kAnsi, 0},
      {1, QFT_KERNPAIRS, Answer::kNone, 0},  // no kerning pairs
      {1, QFT_LIGATURES, Answer::kNone, ERROR_INVALID_PARAMETER},
      {0, QFT_GLYPHSET, Answer::kNone, ERROR_INVALID_PARAMETER},  // no entry "0" in front of the list
      {4, QFT_GLYPHSET, Answer::kNone, ERROR_INVALID_PARAMETER},
      {3, QFT_GLYPHSET, Answer::kModelSet, 0},  // a Far East set of the model module
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.iFace << " mode " << c.mode);
    ULONG_PTR id = 7;
    SetLastError(0);
    PVOID answer = DrvQueryFontTree(Dh(), 0, c.iFace, c.mode, &id);
    switch (c.answer) {
      case Answer::kNone:
        EXPECT_EQ(answer, nullptr);
        EXPECT_EQ(GetLastError(), c.error);
        break;
      case Answer::kAnsi: EXPECT_EQ(answer, DefaultGlyphSet()) << "a Latin font maps the ANSI code page"; break;
      case Answer::kModelSet:
        ASSERT_NE(answer, nullptr);
        EXPECT_NE(answer, DefaultGlyphSet());
        EXPECT_EQ(answer, *CachedGlyphSetSlot(kShiftJisGlyphSetName));
        break;
    }
    if (c.error != ERROR_INVALID_PARAMETER) {
      EXPECT_EQ(id, 0u);
    }
  }
}

TEST_F(FontQueryTest, MaxExtentsAreSizedFirstAndFilledOnlyWhereTheyFit) {
  auto font = DeviceFont(1, 0.1f);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(DrvQueryFontData(Dh(), font.get(), QFD_MAXEXTENTS, 0, nullptr, nullptr, 0), 124);
  // A block too small is left as it is.
  std::vector<BYTE> small(100, 0xAB);
  SetLastError(0);
  EXPECT_EQ(static_cast<ULONG>(DrvQueryFontData(Dh(), font.get(), QFD_MAXEXTENTS, 0, nullptr, small.data(),
                                                static_cast<ULONG>(small.size()))),
            FD_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::count(small.begin(), small.end(), 0xAB), 100);
  // An unknown mode.
  FD_DEVICEMETRICS metrics{};
  EXPECT_EQ(static_cast<ULONG>(DrvQueryFontData(Dh(), font.get(), 7, 0, nullptr, &metrics, sizeof metrics)), FD_ERROR);
}

TEST_F(FontQueryTest, MaxExtentsOfAProportionalFontInDeviceSpace) {
  // 0.1 pixel per unit: an em of 100 pixels, a 12-point font at 600 dpi.
  auto font = DeviceFont(1, 0.1f);
  FD_DEVICEMETRICS m{};
  ASSERT_EQ(DrvQueryFontData(Dh(), font.get(), QFD_MAXEXTENTS, 0, nullptr, &m, sizeof m), 124);
  EXPECT_FLOAT_EQ(m.pteBase.x, 1.0f);
  EXPECT_FLOAT_EQ(m.pteBase.y, 0.0f);
  EXPECT_FLOAT_EQ(m.pteSide.x, 0.0f);
  EXPECT_FLOAT_EQ(m.pteSide.y, -1.0f);
  EXPECT_EQ(m.fxMaxAscender, 80 * 16);
  EXPECT_EQ(m.fxMaxDescender, 20 * 16);
  EXPECT_EQ(m.cxMax, 60u);
  EXPECT_EQ(m.lD, 0);
  EXPECT_EQ(m.ptlUnderline1.y, -10);
  EXPECT_EQ(m.ptlULThickness.y, 5);
  EXPECT_EQ(m.ptlSOThickness.y, 5);
  EXPECT_EQ(m.ptlStrikeOut.y, 30);
  // No internal leading (the box is the em); a sans-serif face below 13
  // points gets 2 points between lines: 17 pixels at 600 dpi.
  EXPECT_EQ(m.lNonLinearIntLeading, 0);
  EXPECT_EQ(m.lNonLinearExtLeading, 17 * 16);
}

TEST_F(FontQueryTest, AFixedPitchFontGivesItsLeadingBackFromTheDescent) {
  // The box is 100 units taller than the em: that internal leading comes off
  // the descent, and fixed pitch fonts get no external leading.
  auto font = DeviceFont(2, 0.1f);
  FD_DEVICEMETRICS m{};
  ASSERT_EQ(DrvQueryFontData(Dh(), font.get(), QFD_MAXEXTENTS, 0, nullptr, &m, sizeof m), 124);
  EXPECT_EQ(m.fxMaxAscender, 90 * 16);
  EXPECT_EQ(m.fxMaxDescender, 10 * 16);
  EXPECT_EQ(m.lD, 60);
  EXPECT_EQ(m.lNonLinearIntLeading, 0);
  EXPECT_EQ(m.lNonLinearExtLeading, 0);
}

TEST_F(FontQueryTest, AFontOfNoSizeHasNoExtents) {
  // A transform that collapses the em: no direction to divide by.
  auto font = DeviceFont(1, 0.0f);
  FD_DEVICEMETRICS m{};
  SetLastError(0);
  EXPECT_EQ(static_cast<ULONG>(DrvQueryFontData(Dh(), font.get(), QFD_MAXEXTENTS, 0, nullptr, &m, sizeof m)), FD_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(std::isfinite(m.pteBase.x) && std::isfinite(m.pteSide.y));
}

TEST_F(FontQueryTest, GlyphMetricsComeFromTheWidthTableInDeviceSpace) {
  auto font = DeviceFont(1, 0.1f);
  struct Case {
    HGLYPH glyph;
    FIX advance;
  } cases[] = {{'A', 55 * 16}, {300, 50 * 16}};  // a table width; beyond the table the average
  for (const Case& c : cases) {
    SCOPED_TRACE(c.glyph);
    GLYPHDATA data{};
    EXPECT_EQ(DrvQueryFontData(Dh(), font.get(), QFD_GLYPHANDBITMAP, c.glyph, &data, nullptr, 0), 0)
        << "no bits for a printer's glyph";
    EXPECT_EQ(data.hg, c.glyph);
    EXPECT_EQ(data.fxD, c.advance);
    EXPECT_EQ(data.fxA, 0);
    EXPECT_EQ(data.fxAB, c.advance);
    EXPECT_EQ(data.fxInkTop, 80 * 16);
    EXPECT_EQ(data.fxInkBottom, -20 * 16);
    EXPECT_EQ(data.ptqD.x, static_cast<int64_t>(c.advance) << 32);
    EXPECT_EQ(data.ptqD.y, 0);
  }
  // The double-byte cell of a DBCS fixed-pitch font is its widest advance.
  auto japanese = DeviceFont(3, 0.1f);
  GLYPHDATA data{};
  EXPECT_EQ(DrvQueryFontData(Dh(), japanese.get(), QFD_GLYPHANDBITMAP, 0x8140, &data, nullptr, 0), 0);
  EXPECT_EQ(data.fxD, 60 * 16);
  // A font that is none of the PDEV's.
  FONTOBJ stranger{};
  stranger.iFace = 9;
  stranger.flFontType = DEVICE_FONTTYPE;
  SetLastError(0);
  EXPECT_EQ(static_cast<ULONG>(DrvQueryFontData(Dh(), &stranger, QFD_GLYPHANDBITMAP, 'A', &data, nullptr, 0)),
            FD_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace graphicstest
