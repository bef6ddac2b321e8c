// Text drawn through the library's DrvTextOut on an enabled device context,
// from the start of the document to its end: the printer-font text reaches the
// PCL job as the font selection, the position and the text bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/ddi/ddi_functions.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "tests/graphics/ddi_fixture.h"
#include "tests/graphics_text/fake_text_services.h"
#include "tests/graphics_text/text_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\job.prn";

class TextDdiTest : public DdiPrinterTest {};

TEST_F(TextDdiTest, PrinterFontTextReachesThePclJob) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EnabledPdev pdev = Enable(printer, &dm);
  ASSERT_NE(pdev, nullptr);
  ResetServices(pdev.get());
  PrinterFonts fonts(pdev.get(), {PrinterFontRecord("Univers", "4148,8U")});
  auto univers = fonts.Font(1, 50);
  StartSpoolerJob(printer, kJobFile);
  SURFOBJ surface = SurfaceOf(pdev.get());
  std::u16string name = u"text";
  ASSERT_TRUE(DrvStartDoc(&surface, name.data(), 5));
  ASSERT_TRUE(DrvStartPage(&surface));

  auto run = MakeRun(u"Caf\u00e9", 300, 400, 25);
  CLIPOBJ trivial{};
  trivial.iDComplexity = DC_TRIVIAL;
  BRUSHOBJ fore{}, back{};
  back.iSolidColor = 0x00FFFFFF;
  POINTL origin{300, 400};
  EXPECT_TRUE(
      DrvTextOut(&surface, run.get(), univers.get(), &trivial, nullptr, nullptr, &fore, &back, &origin, 0x0D0D));
  // A second run in the same font selects nothing again.
  auto next = MakeRun(u"Bar", 300, 500, 25);
  EXPECT_TRUE(
      DrvTextOut(&surface, next.get(), univers.get(), &trivial, nullptr, nullptr, &fore, &back, &origin, 0x0D0D));

  // A clipped run goes as HP-GL/2 labels inside an input window.
  auto clippedRun = MakeRun(u"Clip", 300, 600, 25);
  CLIPOBJ window{};
  window.iDComplexity = DC_RECT;
  window.rclBounds = RECTL{300, 560, 340, 620};
  EXPECT_TRUE(
      DrvTextOut(&surface, clippedRun.get(), univers.get(), &window, nullptr, nullptr, &fore, &back, &origin, 0x0D0D));

  ASSERT_TRUE(DrvSendPage(&surface));
  ASSERT_TRUE(DrvEndDoc(&surface, 0));
  EndSpoolerJob(printer);
  ResetServices(pdev.get());
  const std::string job = ReadMachineFile(kJobFile);
  const std::string selection = "\x1b&t1P\x1b&c0T\x1b(8U\x1b(s1p6v0s0b4148T";
  const size_t at = job.find(selection);
  ASSERT_NE(at, std::string::npos) << job;
  EXPECT_EQ(job.find(selection, at + 1), std::string::npos) << "selected once";
  EXPECT_NE(job.find("\x1b*p300x400YCaf\xe9", at), std::string::npos);
  EXPECT_NE(job.find("\x1b&t1P\x1b*p300x500YBar", at), std::string::npos);
  EXPECT_NE(job.find("IW300,620,340,560"), std::string::npos);
  EXPECT_NE(job.find("PAPU300,600;DI;LBClip\x03IW;"), std::string::npos);
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
}

// A document for the font-management calls: the PCL model with a resident
// Courier, TrueType text printed by the substitution table.
class FontManagementTest : public DdiPrinterTest {
 protected:
  void SetUp() override {
    DdiPrinterTest::SetUp();
    printer_ = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    dm.dmPublic.dmTTOption = 3;
    dm.dmPrivate._nTrueTypeMode = 3;
    pdev_ = Enable(printer_, &dm);
    ASSERT_NE(pdev_, nullptr);
    ResetServices(pdev_.get());
    StartSpoolerJob(printer_, kJobFile);
    surface_ = SurfaceOf(pdev_.get());
    std::u16string name = u"faces";
    ASSERT_TRUE(DrvStartDoc(&surface_, name.data(), 5));
    ASSERT_TRUE(DrvStartPage(&surface_));
    // The substitute is the test's choice (Services().substitute), so the
    // fonts come after the document built its substitution table.
    fonts_ = std::make_unique<PrinterFonts>(
        pdev_.get(), std::vector<fontrecord::MetricsBlock>{PrinterFontRecord("Courier", "4099,19U", true)});
  }
  void TearDown() override {
    pdev_.reset();
    fonts_.reset();
    DdiPrinterTest::TearDown();
  }
  std::string EndJob() {
    EXPECT_TRUE(DrvSendPage(&surface_));
    EXPECT_TRUE(DrvEndDoc(&surface_, 0));
    EndSpoolerJob(printer_);
    ResetServices(pdev_.get());
    return ReadMachineFile(kJobFile);
  }
  std::string FaceName(FONTOBJ* font) {
    char name[256] = {};
    EXPECT_EQ(DrvFontManagement(&surface_, font, GETFACENAME, 0, nullptr, sizeof name, name), 1u);
    return name;
  }

  HANDLE printer_ = 0;
  EnabledPdev pdev_;
  std::unique_ptr<PrinterFonts> fonts_;
  SURFOBJ surface_{};
};

// The index of the resident font with the selection name, -1 for none.
int ResidentIndex(const PDEV* pdev, const char* selection) {
  if (!pdev->carried.deviceFonts) return -1;
  for (DWORD i = 0; i < pdev->carried.deviceFonts->count; ++i) {
    char name[65];
    if (std::string(DeviceFontSelectionName(pdev->carried.deviceFonts->entries[i].metrics, name)) == selection)
      return static_cast<int>(i);
  }
  return -1;
}

// A TrueType face that a printer font prints is named by that font; one without
// is named by the soft font DOWNLOADFACE defines for it, so the application can
// select what it downloaded.
TEST_F(FontManagementTest, FaceNameOfATrueTypeFontIsItsPrinterFontOrItsDownloadName) {
  auto courierNew = TrueTypeFont(u"Courier New", 50);
  auto dejaVu = TrueTypeFont(u"DejaVu Serif", 50);
  ASSERT_TRUE(courierNew && dejaVu);
  const int courier = ResidentIndex(pdev_.get(), "4099,19U");
  ASSERT_GE(courier, 0);
  Services().substitute = courier;
  EXPECT_EQ(FaceName(courierNew.get()), "Courier");
  char tooSmall[2] = {};
  EXPECT_EQ(DrvFontManagement(&surface_, courierNew.get(), GETFACENAME, 0, nullptr, sizeof tooSmall, tooSmall), 0u);

  Services().substitute = -1;
  const std::string downloaded = FaceName(dejaVu.get());
  EXPECT_FALSE(downloaded.empty());
  std::vector<DWORD> table(257, kEmptyGlyphSlot);
  ASSERT_EQ(DrvFontManagement(&surface_, dejaVu.get(), DOWNLOADFACE, static_cast<ULONG>(table.size() * 4), table.data(),
                              0, nullptr),
            1u);
  ASSERT_EQ(Services().headers.size(), 1u);
  EXPECT_EQ(Services().headers[0], downloaded);
  EndJob();
}

// DOWNLOADFACE defines the face and sends the glyphs the caller's table names
// with their codes (the codes left at the empty slot are skipped, a table cut
// short gives only the codes it holds); a face a printer font prints is not
// downloaded.
TEST_F(FontManagementTest, DownloadFaceSendsTheFontAndTheGlyphsOfTheTable) {
  auto dejaVu = TrueTypeFont(u"DejaVu Serif", 50);
  auto courierNew = TrueTypeFont(u"Courier New", 50);
  ASSERT_TRUE(dejaVu && courierNew);
  std::vector<DWORD> table(257, kEmptyGlyphSlot);
  table[0] = 0;
  for (char16_t c : std::u16string(u"ABC")) table[1 + c] = dejaVu->GlyphForChar(c);
  struct Case {
    FONTOBJ* font;
    int substitute;
    ULONG cjIn;
    std::vector<DWORD> codes;  // empty: nothing downloaded
  } cases[] = {
      {dejaVu.get(), -1, static_cast<ULONG>(table.size() * 4), {'A', 'B', 'C'}},
      {dejaVu.get(), -1, 4 + 4 * 'B', {'A'}},
      {courierNew.get(), ResidentIndex(pdev_.get(), "4099,19U"), static_cast<ULONG>(table.size() * 4), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cjIn " << c.cjIn);
    Services().headers.clear();
    Services().batches.clear();
    Services().substitute = c.substitute;
    EXPECT_EQ(DrvFontManagement(&surface_, c.font, DOWNLOADFACE, c.cjIn, table.data(), 0, nullptr), 1u);
    if (c.codes.empty()) {
      EXPECT_TRUE(Services().headers.empty());
      EXPECT_TRUE(Services().batches.empty());
      continue;
    }
    ASSERT_EQ(Services().headers.size(), 1u);
    ASSERT_EQ(Services().batches.size(), 1u);
    EXPECT_EQ(Services().batches[0].codes, c.codes);
    std::vector<HGLYPH> glyphs;
    for (DWORD code : c.codes) glyphs.push_back(table[1 + code]);
    EXPECT_EQ(Services().batches[0].glyphs, glyphs);
  }
  EndJob();
}

}  // namespace
}  // namespace graphicstest
