// Text drawn through the library's DrvTextOut on an enabled device context,
// from the start of the document to its end: the printer-font text reaches the
// PCL job as the font selection, the position and the text bytes.
#include <gtest/gtest.h>

#include <string>

#include "graphics/ddi/ddi_functions.h"
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
  EXPECT_TRUE(DrvTextOut(&surface, run.get(), univers.get(), &trivial, nullptr, nullptr, &fore, &back, &origin, 0x0D0D));
  // A second run in the same font selects nothing again.
  auto next = MakeRun(u"Bar", 300, 500, 25);
  EXPECT_TRUE(DrvTextOut(&surface, next.get(), univers.get(), &trivial, nullptr, nullptr, &fore, &back, &origin, 0x0D0D));

  // A clipped run goes as HP-GL/2 labels inside an input window.
  auto clippedRun = MakeRun(u"Clip", 300, 600, 25);
  CLIPOBJ window{};
  window.iDComplexity = DC_RECT;
  window.rclBounds = RECTL{300, 560, 340, 620};
  EXPECT_TRUE(DrvTextOut(&surface, clippedRun.get(), univers.get(), &window, nullptr, nullptr, &fore, &back, &origin,
                         0x0D0D));

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

}  // namespace
}  // namespace graphicstest
