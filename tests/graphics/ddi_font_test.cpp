// The font entries of the library against a PDEV's device-font list: which
// device font an iFace names, the face-name escape, the escape query, and the
// gates of the advance widths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/output/fonts/device_fonts.h"
#include "tests/graphics/ddi_fixture.h"

namespace graphicstest {
namespace {

// A device font's metrics block as the library lays it out: IFIMETRICS, the
// 256 widths, the face name at byte 768.
std::vector<BYTE> MetricsBlock(const char* face, WORD widthOfA) {
  std::vector<BYTE> block(808, 0);
  auto* ifi = reinterpret_cast<IFIMETRICS*>(block.data());
  ifi->cjThis = static_cast<ULONG>(block.size());
  std::memcpy(block.data() + kDeviceFontWidthsOffset + 2 * 'A', &widthOfA, sizeof widthOfA);
  std::strncpy(reinterpret_cast<char*>(block.data()) + kDeviceFontFaceNameOffset, face, kDeviceFontFaceNameBytes);
  return block;
}

class DdiFontTest : public DdiPrinterTest {
 protected:
  void SetUp() override {
    DdiPrinterTest::SetUp();
    HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    pdev_ = Enable(printer, &dm);
    ASSERT_NE(pdev_, nullptr);
    courier_ = MetricsBlock("Courier", 600);
    // A face name that fills its 32 bytes has no terminator in the block.
    longName_ = MetricsBlock("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 500);
    entries_[0].kind = kDeviceFontResident;
    entries_[0].metrics = reinterpret_cast<IFIMETRICS*>(courier_.data());
    entries_[1].kind = kDeviceFontResident;
    entries_[1].metrics = reinterpret_cast<IFIMETRICS*>(longName_.data());
    fonts_.count = 2;
    fonts_.entries = entries_;
    pdev_->carried.deviceFonts = &fonts_;
    surface_ = SurfaceOf(pdev_.get());
  }
  void TearDown() override {
    if (pdev_) pdev_->carried.deviceFonts = nullptr;
    pdev_.reset();
    DdiPrinterTest::TearDown();
  }

  DHPDEV Dh() const { return reinterpret_cast<DHPDEV>(pdev_.get()); }

  EnabledPdev pdev_;
  std::vector<BYTE> courier_;
  std::vector<BYTE> longName_;
  DeviceFontEntry entries_[2] = {};
  DeviceFontList fonts_{};
  SURFOBJ surface_{};
};

TEST_F(DdiFontTest, DeviceFontsAreNumberedFromOneToTheirCount) {
  struct Case {
    ULONG iFace;
    const void* metrics;
  } cases[] = {{0, nullptr}, {1, courier_.data()}, {2, longName_.data()}, {3, nullptr}, {0xFFFFFFFF, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.iFace);
    ULONG_PTR id = 5;
    SetLastError(0);
    IFIMETRICS* metrics = DrvQueryFont(Dh(), 0, c.iFace, &id);
    EXPECT_EQ(metrics, c.metrics);
    if (c.metrics) {
      EXPECT_EQ(id, 0u);
    } else {
      EXPECT_EQ(id, 5u);
      EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    // The kerning pairs of a font that exists: none.
    EXPECT_EQ(DrvQueryFontTree(Dh(), 0, c.iFace, QFT_KERNPAIRS, &id), nullptr);
  }
  pdev_->carried.deviceFonts = nullptr;
  EXPECT_EQ(DrvQueryFont(Dh(), 0, 1, nullptr), nullptr) << "no device fonts";
}

// The escape query names the font escapes served: itself, the face names and
// the download of a face. The extended metrics, which the escape itself answers
// with 0, are not reported; a short or missing input asks nothing.
TEST_F(DdiFontTest, EscapeQueryAnswersForTheEscapesServed) {
  struct Case {
    DWORD asked;
    ULONG cjIn;
    bool withInput;
    ULONG answer;
  } cases[] = {
      {QUERYESCSUPPORT, 4, true, 1}, {GETFACENAME, 4, true, 1}, {GETEXTENDEDTEXTMETRICS, 4, true, 0},
      {DOWNLOADFACE, 4, true, 1},    {0x3FE, 4, true, 0},       {GETFACENAME, 3, true, 0},
      {GETFACENAME, 4, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.asked << " in " << c.cjIn);
    DWORD asked = c.asked;
    EXPECT_EQ(
        DrvFontManagement(&surface_, nullptr, QUERYESCSUPPORT, c.cjIn, c.withInput ? &asked : nullptr, 0, nullptr),
        c.answer);
  }
  FONTOBJ font{};
  font.iFace = 1;
  font.flFontType = DEVICE_FONTTYPE;
  for (ULONG mode : {ULONG(GETEXTENDEDTEXTMETRICS), 0x200u}) {
    BYTE out[64] = {};
    DWORD in[2] = {0, 0};
    EXPECT_EQ(DrvFontManagement(&surface_, &font, mode, sizeof in, in, sizeof out, out), 0u) << mode;
  }
}

TEST_F(DdiFontTest, FaceNameOfADeviceFontFitsTheCallersBuffer) {
  struct Case {
    ULONG iFace;
    FLONG type;
    ULONG cjOut;
    ULONG answer;
    const char* name;
  } cases[] = {
      {1, DEVICE_FONTTYPE, 32, 1, "Courier"},
      {1, DEVICE_FONTTYPE, 8, 1, "Courier"},
      {1, DEVICE_FONTTYPE, 7, 0, ""},  // no room for the terminator
      {2, DEVICE_FONTTYPE, 64, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"},
      {2, DEVICE_FONTTYPE, 32, 0, ""},
      {3, DEVICE_FONTTYPE, 64, 0, ""},
      {0, DEVICE_FONTTYPE, 64, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "face " << c.iFace << " out " << c.cjOut);
    FONTOBJ font{};
    font.iFace = c.iFace;
    font.flFontType = c.type;
    std::vector<char> out(c.cjOut + 4, '#');
    EXPECT_EQ(DrvFontManagement(&surface_, &font, GETFACENAME, 0, nullptr, c.cjOut, out.data()), c.answer);
    if (c.answer) {
      EXPECT_STREQ(out.data(), c.name);
    }
    EXPECT_EQ(out[c.cjOut], '#') << "written past the caller's buffer";
  }
}

TEST_F(DdiFontTest, AdvanceWidthsNeedAModeADeviceFontAndItsTransform) {
  HGLYPH glyphs[2] = {'A', 0x8140};
  USHORT widths[2] = {0xEEEE, 0xEEEE};
  struct Case {
    const char* what;
    ULONG mode;
    ULONG iFace;
    FLONG type;
    ULONG count;
    BOOL result;
    DWORD error;
  } cases[] = {
      {"unknown mode", 2, 1, DEVICE_FONTTYPE, 2, FALSE, ERROR_INVALID_PARAMETER},
      {"no glyphs", QAW_GETWIDTHS, 1, DEVICE_FONTTYPE, 0, TRUE, 0},
      {"face 0", QAW_GETWIDTHS, 0, DEVICE_FONTTYPE, 2, FALSE, ERROR_INVALID_PARAMETER},
      {"face beyond the list", QAW_GETEASYWIDTHS, 3, DEVICE_FONTTYPE, 2, FALSE, ERROR_INVALID_PARAMETER},
      {"not a device font", QAW_GETWIDTHS, 1, TRUETYPE_FONTTYPE, 2, FALSE, ERROR_INVALID_PARAMETER},
      // A font object the engine does not know has no transform to measure with.
      {"no transform", QAW_GETWIDTHS, 1, DEVICE_FONTTYPE, 2, FALSE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FONTOBJ font{};
    font.iFace = c.iFace;
    font.flFontType = c.type;
    SetLastError(0);
    EXPECT_EQ(DrvQueryAdvanceWidths(Dh(), &font, c.mode, glyphs, widths, c.count), c.result);
    if (c.error) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(widths[0], 0xEEEE);
  }
}

}  // namespace
}  // namespace graphicstest
