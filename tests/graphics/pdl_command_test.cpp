// A tray whose PCL number is -10 takes the command the model description gives
// for it ("PDLCommands/<language>", "PaperSource/<n>"): read whole, by the
// printer language, and sent unchanged; a missing or oversized command sends
// nothing rather than a cut escape sequence.
#include <gtest/gtest.h>

#include <string>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/pdl_command.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

// Tray 2 takes the description's command; tray 3 has none in the description.
const std::string kModel =
    "[General]\nModelName=Command Model\nFormatVersion=2.0\n"
    "[PDL]\n1=PCL5E\n2=PS3\n3=PCLXL\nDefault=1\n"
    "[Paper]\n1=A4;8267,11692;167,167,167,167;250,167,250,167;;;26;;;;;9;0;A4\n"
    "[PaperSource]\n1=Tray;0,1,1;-1;TRAY1;1\n2=Inserter;5,-10,0;-1;INSERTER;0\n3=Other;6,-10,0;-1;OTHER;0\n"
    "[PDLCommands/PCL5]\nPaperSource/2=\x1b&l21H\x1b&l0O\n"
    "[PDLCommands/PS]\nPaperSource/2=<</ManualFeed false>> setpagedevice\n"
    "[PDLCommands/PCLXL]\nPaperSource/2=XLTRAY\n";

class PdlCommandTest : public DeviceSettingsTest {
 protected:
  void SetUp() override {
    DeviceSettingsTest::SetUp();
    printer_ = InstallTextOnFile(kModel, kPdlPcl5e, "Commands");
    ASSERT_NE(printer_, 0u);
  }
  HANDLE printer_ = 0;
};

TEST_F(PdlCommandTest, CommandByLanguageReadWhole) {
  struct Case {
    const char* what;
    DWORD request;
    int source;
    WORD pdl;
    DWORD size;
    int result;
    std::string text;
  };
  const Case cases[] = {
      {"PCL 5e", kPdlCommandPaperSource, 2, kPdlPcl5e, 64, 1, "\x1b&l21H\x1b&l0O"},
      {"PCL 5SI", kPdlCommandPaperSource, 2, kPdlPcl5si, 64, 1, "\x1b&l21H\x1b&l0O"},
      {"PostScript", kPdlCommandPaperSource, 2, kPdlPs3, 64, 1, "<</ManualFeed false>> setpagedevice"},
      {"PCL XL", kPdlCommandPaperSource, 2, kPdlPclXl, 64, 1, "XLTRAY"},
      {"longer than four bytes, exactly fitting", kPdlCommandPaperSource, 2, kPdlPcl5e, 12, 1, "\x1b&l21H\x1b&l0O"},
      {"one byte too small: nothing rather than a cut command", kPdlCommandPaperSource, 2, kPdlPcl5e, 11, 0, ""},
      {"no command for the source", kPdlCommandPaperSource, 3, kPdlPcl5e, 64, 0, ""},
      {"another request", 0x5000, 2, kPdlPcl5e, 64, 0, ""},
      {"no language", kPdlCommandPaperSource, 2, 0, 64, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(GetPdlCommand(printer_, c.request, c.source, c.pdl, buffer, c.size), c.result);
    EXPECT_EQ(std::string(buffer), c.text);
  }
  EXPECT_EQ(GetPdlCommand(printer_, kPdlCommandPaperSource, 2, kPdlPcl5e, nullptr, 64), 0);
}

TEST_F(PdlCommandTest, TrayOfItsOwnCommandInThePageSettings) {
  for (SHORT source : {SHORT{258}, SHORT{259}}) {
    PdevPtr pdev = Pdev(printer_, [source](XDEVMODE& dm) { dm.dmPublic.dmDefaultSource = source; });
    ASSERT_TRUE(pdev);
    const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
    const std::string command = source == 258 ? std::string("\x1b&l21H\x1b&l0O") : std::string();
    EXPECT_EQ(out, Esc("ESC&l26A") + command) << "source " << source;
    EXPECT_EQ(out.find(Esc("ESC&l-10H")), std::string::npos);
    const testsupport::PclReport report =
        testsupport::ReadPclJob(FramedPclJob(Esc("@PJL ENTER LANGUAGE = PCL\n") + out));
    EXPECT_TRUE(report.ok()) << report.Summary();
  }
}

}  // namespace
}  // namespace graphicstest
