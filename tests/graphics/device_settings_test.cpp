// The device settings of a job and of its pages as the printer gets them, on
// printers of both shipped models in both printer languages: the PJL SET
// lines and PCL commands of a PCL job, the setpagedevice dictionary of a
// PostScript job, byte for byte, read back from the printer's port. PCL jobs
// are also read by the structural PJL/PCL reader.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_request.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

using Change = std::function<void(XDEVMODE&)>;

// The PJL block of a PCL job that continues the job line of the header: the
// SET lines given, then the lines every block ends with at 600 dpi.
std::string PclBlock(const std::string& lines, int dpi = 600) {
  return lines + "@PJL SET NUP = 1\n@PJL SET FIXEDORIENTATION = PORTRAIT\n@PJL ENTER LANGUAGE = PCL\n" +
         Esc("ESCEESC*r0FESC&u") + std::to_string(dpi) + "D";
}

// The setpagedevice text around dictionary entries.
std::string PsDict(int count, const std::string& entries) {
  return "\n" + std::to_string(count) + " dict" + entries + "\nsetpagedevice\n";
}

constexpr char kEdgeToEdgeOn[] =
    " dup\ncurrentpagedevice /PostRenderingEnhance known\n {/PostRenderingEnhance true put dup "
    "/PostRenderingEnhanceDetails <</EdgeToEdge true>> put}\n {/EdgeToEdge true put}ifelse";
constexpr char kEdgeToEdgeOff[] =
    " dup\ncurrentpagedevice /PostRenderingEnhance known\n {/PostRenderingEnhance true put dup "
    "/PostRenderingEnhanceDetails <</EdgeToEdge false>> put}\n {/EdgeToEdge false put}ifelse";

std::string MediaWeightOfSlot(int slot) {
  const std::string n = std::to_string(slot);
  return " dup\n/MediaWeight        \n  currentpagedevice /InputAttributes get dup " + n + " known {" + n +
         " get /MediaWeight get}{pop null}ifelse put";
}

class DeviceSettingsOutputTest : public DeviceSettingsTest {
 protected:
  void SetUp() override {
    DeviceSettingsTest::SetUp();
    colourPcl_ = InstallOnFile(kColourModel, kPdlPcl5e, "C5545 PCL");
    colourPcl5si_ = InstallOnFile(kColourModel, kPdlPcl5si, "C5545 PCL5SI");
    colourPs_ = InstallOnFile(kColourModel, kPdlPs3, "C5545 PS");
    monoPcl_ = InstallOnFile(kMonoModel, kPdlPcl5e, "M3020 PCL");
    ASSERT_TRUE(colourPcl_ && colourPcl5si_ && colourPs_ && monoPcl_);
  }

  // What the job-level (or page-level) settings of a device mode write.
  std::string Settings(HANDLE printer, const Change& change, BOOL jobLevel) {
    PdevPtr pdev = Pdev(printer, change);
    if (!pdev) return "<no PDEV>";
    return Print(pdev.get(), [&] { EXPECT_EQ(EmitJobSettings(pdev.get(), jobLevel), 1); });
  }

  // Checks a PCL job's structure and answers its report.
  static testsupport::PclReport ReadFramed(const std::string& settings) {
    testsupport::PclReport report = testsupport::ReadPclJob(FramedPclJob(settings));
    EXPECT_TRUE(report.ok()) << report.Summary();
    return report;
  }

  HANDLE colourPcl_ = 0;
  HANDLE colourPcl5si_ = 0;
  HANDLE colourPs_ = 0;
  HANDLE monoPcl_ = 0;
};

// ---- The job's settings ---------------------------------------------------------

TEST_F(DeviceSettingsOutputTest, JobSettingsOfTheDefaultDeviceModeAndOfAFinishedJob) {
  const Change finished = [](XDEVMODE& dm) {
    dm.dmPublic.dmCopies = 3;
    dm.dmPublic.dmCollate = 1;
    dm.dmPrivate._bCollate = 1;
    dm.dmPrivate._nOutputTray = 258;
    dm.dmPrivate.faceUpOff = 1;
    dm.dmPrivate._wStaple = 3;
    dm.dmPrivate.punchId = 2;
    dm.dmPrivate.foldId = 1;
    dm.dmPrivate.trimChoice = 1;
    dm.dmPrivate._bJog = 1;
    dm.dmPrivate._nMarginType = 0;
    dm.dmPublic.dmPrintQuality = 1200;
    dm.dmPublic.dmYResolution = 1200;
  };
  struct Case {
    const char* what;
    HANDLE* printer;
    Change change;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"colour model, PCL, defaults", &colourPcl_, nullptr,
       PclBlock("@PJL SET COPIES = 1\n@PJL SET QTY = 1\n@PJL SET CLIP = OFF\n@PJL SET OUTBIN = LOWERFACEUP\n"
                "@PJL SET FINISH = NONE\n@PJL SET FOLD = NONE\n@PJL SET PUNCH = NONE\n@PJL SET TRIM = OFF\n"
                "@PJL SET JOBOFFSET = OFF\n@PJL SET RESOLUTION = 600\n")},
      {"colour model, PCL, finished", &colourPcl_, finished,
       PclBlock("@PJL SET COPIES = 1\n@PJL SET QTY = 3\n@PJL SET CLIP = ON\n@PJL SET OUTBIN = OPTIONALOUTPUTBIN1\n"
                "@PJL SET FINISH = STAPLE3\n@PJL SET FOLD = HALF\n@PJL SET PUNCH = 3HOLE\n@PJL SET TRIM = ON\n"
                "@PJL SET JOBOFFSET = ON\n@PJL SET RESOLUTION = 1200\n",
                1200)},
      {"mono model, PCL, defaults", &monoPcl_, nullptr,
       PclBlock("@PJL SET COPIES = 1\n@PJL SET QTY = 1\n@PJL SET OUTBIN = LOWERFACEUP\n"
                "@PJL SET RESOLUTION = 600\n")},
      {"colour model, PostScript, defaults", &colourPs_, nullptr,
       PsDict(11, std::string(" dup\n/HWResolution       [600 600] put dup\n/OutputFaceUp       true put"
                              " dup\n/Staple             0 put dup\n/Jog                0 put") +
                      kEdgeToEdgeOn +
                      " dup\n/NumCopies          1 put dup\n/Collate            true put"
                      " dup\n/Trim               0 put dup\n/Fold               0 put dup\n/Punch              0 put")},
      {"colour model, PostScript, finished", &colourPs_, finished,
       PsDict(14, std::string(" dup\n/HWResolution       [1200 1200] put dup\n/OutputType         (Stacker 2) put"
                              " dup\n/OutputFaceUp       false put dup\n/Staple             1 put"
                              " dup\n/StapleDetails      <</StapleLocation 5>> put dup\n/Jog                1 put") +
                      kEdgeToEdgeOff +
                      " dup\n/NumCopies          3 put dup\n/Collate            true put"
                      " dup\n/Trim               1 put dup\n/Fold               1 put"
                      " dup\n/FoldDetails        <</FoldType 1>> put dup\n/Punch              2 put")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = Settings(*c.printer, c.change, TRUE);
    EXPECT_EQ(out, c.expected);
    if (*c.printer != colourPs_) ReadFramed(out);
  }
}

// One setting at a time, in both printer languages of the colour model (and
// the mono model's own bins): the line that carries it.
TEST_F(DeviceSettingsOutputTest, EachJobSettingInBothLanguages) {
  struct Case {
    const char* what;
    Change change;
    std::vector<std::string> pcl;     // lines of the PCL block ("" none expected)
    std::vector<std::string> absent;  // PJL text the block must not hold
    std::string ps;                   // entries of the dictionary
  };
  const auto set = [](auto apply) { return Change(apply); };
  std::vector<Case> cases = {
      {"three collated copies",
       set([](XDEVMODE& dm) { dm.dmPublic.dmCopies = 3, dm.dmPrivate._bCollate = 1; }),
       {"@PJL SET COPIES = 1\n@PJL SET QTY = 3\n"},
       {},
       " dup\n/NumCopies          3 put dup\n/Collate            true put"},
      {"three uncollated copies",
       set([](XDEVMODE& dm) { dm.dmPublic.dmCopies = 3, dm.dmPublic.dmCollate = 0, dm.dmPrivate._bCollate = 0; }),
       {"@PJL SET COPIES = 3\n@PJL SET QTY = 1\n"},
       {},
       " dup\n/NumCopies          3 put dup\n/Collate            false put"},
      {"face-up delivery into the proof tray",
       set([](XDEVMODE& dm) { dm.dmPrivate._nOutputTray = 259, dm.dmPrivate.faceUpOff = 0; }),
       {"@PJL SET OUTBIN = OPTIONALOUTPUTBIN2FACEUP\n"},
       {},
       " dup\n/OutputType         (Stacker 3) put dup\n/OutputFaceUp       true put"},
      // clang-format off
      {"no face-up delivery, no bin", set([](XDEVMODE& dm) { dm.dmPrivate.faceUpOff = 1; }), {}, {"OUTBIN"},
       " dup\n/OutputFaceUp       false put"},
      {"trim off", set([](XDEVMODE& dm) { dm.dmPrivate.trimChoice = 0; }), {"@PJL SET TRIM = OFF\n"}, {},
       " dup\n/Trim               0 put"},
      {"trim on", set([](XDEVMODE& dm) { dm.dmPrivate.trimChoice = 1; }), {"@PJL SET TRIM = ON\n"}, {},
       " dup\n/Trim               1 put"},
      {"job offset", set([](XDEVMODE& dm) { dm.dmPrivate._bJog = 1; }), {"@PJL SET JOBOFFSET = ON\n"}, {},
       // clang-format on
       " dup\n/Jog                1 put"},
      {"job offset with a banner page (the banner is offset instead)",
       // clang-format off
       set([](XDEVMODE& dm) { dm.dmPrivate._bJog = 1, dm.dmPrivate._epBanner.on = 1; }), {}, {"JOBOFFSET"}, ""},
      {"edge to edge", set([](XDEVMODE& dm) { dm.dmPrivate._nMarginType = 2; }), {"@PJL SET CLIP = OFF\n"}, {},
       kEdgeToEdgeOn},
      {"with margins", set([](XDEVMODE& dm) { dm.dmPrivate._nMarginType = 0; }), {"@PJL SET CLIP = ON\n"}, {},
       // clang-format on
       kEdgeToEdgeOff},
      {"1200 dpi",
       set([](XDEVMODE& dm) { dm.dmPublic.dmPrintQuality = 1200, dm.dmPublic.dmYResolution = 1200; }),
       {"@PJL SET RESOLUTION = 1200\n", Esc("ESCEESC*r0FESC&u1200D")},
       {},
       " dup\n/HWResolution       [1200 1200] put"},
  };
  const char* bins[] = {"UPPER", "OPTIONALOUTPUTBIN1", "OPTIONALOUTPUTBIN2", "OPTIONALOUTPUTBIN3",
                        "OPTIONALOUTPUTBIN4"};
  for (int n = 1; n <= 5; ++n) {
    cases.push_back({"bin",
                     set([n](XDEVMODE& dm) { dm.dmPrivate._nOutputTray = WORD(256 + n), dm.dmPrivate.faceUpOff = 1; }),
                     {std::string("@PJL SET OUTBIN = ") + bins[n - 1] + "\n"},
                     {},
                     " dup\n/OutputType         (Stacker " + std::to_string(n) + ") put"});
  }
  const int stapleLocations[] = {1, 2, 5, 6};
  for (int n = 1; n <= 4; ++n) {
    cases.push_back({"staple position",
                     set([n](XDEVMODE& dm) { dm.dmPrivate._wStaple = WORD(n); }),
                     {"@PJL SET FINISH = STAPLE" + std::to_string(n) + "\n"},
                     {},
                     " dup\n/Staple             1 put dup\n/StapleDetails      <</StapleLocation " +
                         std::to_string(stapleLocations[n - 1]) + ">> put"});
  }
  // clang-format off
  cases.push_back({"no staple", set([](XDEVMODE& dm) { dm.dmPrivate._wStaple = 0; }), {"@PJL SET FINISH = NONE\n"}, {},
                   // clang-format on
                   " dup\n/Staple             0 put"});
  const char* punches[] = {"2HOLE", "3HOLE", "4HOLE"};
  for (int n = 1; n <= 3; ++n) {
    cases.push_back({"punch",
                     set([n](XDEVMODE& dm) { dm.dmPrivate.punchId = SHORT(n); }),
                     {std::string("@PJL SET PUNCH = ") + punches[n - 1] + "\n"},
                     {},
                     " dup\n/Punch              " + std::to_string(n) + " put"});
  }
  const char* folds[] = {"HALF", "TRIFOLD"};
  for (int n = 1; n <= 2; ++n) {
    cases.push_back(
        {"fold",
         set([n](XDEVMODE& dm) { dm.dmPrivate.foldId = WORD(n); }),
         {std::string("@PJL SET FOLD = ") + folds[n - 1] + "\n"},
         {},
         " dup\n/Fold               1 put dup\n/FoldDetails        <</FoldType " + std::to_string(n) + ">> put"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string pcl = Settings(colourPcl_, c.change, TRUE);
    for (const std::string& line : c.pcl) {
      EXPECT_NE(pcl.find(line), std::string::npos) << "missing " << line << "in\n" << pcl;
    }
    for (const std::string& text : c.absent) {
      EXPECT_EQ(pcl.find(text), std::string::npos) << text << " in\n" << pcl;
    }
    const testsupport::PclReport report = ReadFramed(pcl);
    EXPECT_EQ(report.sections.size(), 1u);
    const std::string ps = Settings(colourPs_, c.change, TRUE);
    if (!c.ps.empty()) {
      EXPECT_NE(ps.find(c.ps), std::string::npos) << "missing " << c.ps << " in\n" << ps;
    }
  }

  // The mono model's two bins, and its face-up delivery into the lower bin.
  struct MonoCase {
    WORD bin;
    DWORD faceUpOff;
    const char* line;
  };
  for (const MonoCase& c :
       {MonoCase{257, 1, "@PJL SET OUTBIN = UPPER\n"}, MonoCase{258, 1, "@PJL SET OUTBIN = LOWER\n"},
        MonoCase{258, 0, "@PJL SET OUTBIN = LOWERFACEUP\n"}}) {
    const std::string pcl = Settings(
        monoPcl_, [&](XDEVMODE& dm) { dm.dmPrivate._nOutputTray = c.bin, dm.dmPrivate.faceUpOff = c.faceUpOff; }, TRUE);
    EXPECT_NE(pcl.find(c.line), std::string::npos) << pcl;
    // A model without finisher sends no finishing at all.
    for (const char* absent : {"FINISH", "FOLD", "PUNCH", "TRIM", "JOBOFFSET", "CLIP"}) {
      EXPECT_EQ(pcl.find(absent), std::string::npos) << absent;
    }
  }
}

// The job header asks the finisher tray (output tray 268) to staple with
// "@PJL SET FINISH = STAPLE4"; the job's own staple setting of "none" must not
// undo it, while a staple position of its own still counts.
TEST_F(DeviceSettingsOutputTest, FinisherTrayStaplingOfTheHeaderIsNotUndone) {
  struct Case {
    WORD staple;
    DWORD finishStaple;
    const char* pcl;  // nullptr: no FINISH line
    const char* ps;   // nullptr: no Staple key
  };
  for (const Case& c :
       {Case{0, 1, nullptr, nullptr}, Case{0, 0, "@PJL SET FINISH = NONE\n", " dup\n/Staple             0 put"},
        Case{2, 1, "@PJL SET FINISH = STAPLE2\n", "/StapleDetails      <</StapleLocation 2>> put"}}) {
    SCOPED_TRACE(c.staple * 10 + c.finishStaple);
    for (HANDLE printer : {colourPcl_, colourPs_}) {
      PdevPtr pdev = Pdev(printer);
      // The colour model takes the PJL page order and rotation, and with them
      // the finisher tray's line; the tray is set as the header reads it.
      ASSERT_NE(pdev->model->optionWord & kFeatureReverseOrder, 0u);
      pdev->devmode.dmPrivate._nOutputTray = 268;
      pdev->devmode.dmPrivate.FinishStaple = c.finishStaple;
      pdev->devmode.dmPrivate._wStaple = c.staple;
      const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), TRUE); });
      const char* expected = printer == colourPs_ ? c.ps : c.pcl;
      const char* key = printer == colourPs_ ? "/Staple" : "FINISH";
      if (expected == nullptr) {
        EXPECT_EQ(out.find(key), std::string::npos) << out;
      } else {
        EXPECT_NE(out.find(expected), std::string::npos) << out;
      }
    }
  }
}

TEST_F(DeviceSettingsOutputTest, NupAndFixedOrientationLinesOfThePclBlock) {
  struct Case {
    WORD nupPcl;
    WORD fixed;
    std::string lines;
  };
  for (const Case& c :
       {Case{2, 1, "@PJL SET NUP = 2\n@PJL SET FIXEDORIENTATION = PORTRAIT\n"},
        Case{1, 2, "@PJL SET NUP = 1\n@PJL SET FIXEDORIENTATION = LANDSCAPE\n"},
        Case{1, 0, "@PJL SET NUP = 1\n@PJL SET FIXEDORIENTATION = NONE\n"}, Case{1, 3, "@PJL SET NUP = 1\n"}}) {
    const std::string pcl = Settings(
        monoPcl_, [&](XDEVMODE& dm) { dm.dmPrivate._nUpPCL = c.nupPcl, dm.dmPrivate._nFixedOrientation = c.fixed; },
        TRUE);
    EXPECT_NE(pcl.find("@PJL SET RESOLUTION = 600\n" + c.lines + "@PJL ENTER LANGUAGE = PCL\n"), std::string::npos)
        << pcl;
  }
}

// A mid-job block (no job line just written) opens with the Universal Exit
// Language; the block after the job line does not.
TEST_F(DeviceSettingsOutputTest, PjlBlockOpensWithTheExitLanguageUnlessTheJobLineWasJustWritten) {
  for (WORD jobLine : {WORD{1}, WORD{0}}) {
    PdevPtr pdev = Pdev(monoPcl_);
    pdev->job.jobLineWritten = jobLine;
    const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), TRUE); });
    EXPECT_EQ(out.rfind(Esc("ESC%-12345X"), 0) == 0, jobLine == 0) << out;
    EXPECT_EQ(pdev->job.jobLineWritten, 0) << "the block ends what the job line began";
    ReadFramed(out);
  }
}

TEST_F(DeviceSettingsOutputTest, MacroOutputGetsNoSettings) {
  PdevPtr pdev = Pdev(colourPcl_, [](XDEVMODE& dm) { dm.dmPrivate._nOutputDest = 5; });
  const std::string out = Print(pdev.get(), [&] {
    EXPECT_EQ(EmitJobSettings(pdev.get(), TRUE), 1);
    EXPECT_EQ(EmitJobSettings(pdev.get(), FALSE), 1);
  });
  EXPECT_EQ(out, "");
}

// ---- The page's settings --------------------------------------------------------

TEST_F(DeviceSettingsOutputTest, PageSettingsWholeInBothLanguages) {
  const Change tray1 = [](XDEVMODE& dm) { dm.dmPublic.dmDefaultSource = 258; };
  const Change duplexShort = [](XDEVMODE& dm) { dm.dmPublic.dmDuplex = DMDUP_HORIZONTAL; };
  struct Case {
    const char* what;
    HANDLE* printer;
    Change change;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // PCL 5e has no command for the automatic tray and none for media.
      {"PCL 5e, automatic tray", &colourPcl_, nullptr, Esc("ESC&l26AESC&l0S")},
      {"PCL 5e, tray 1", &colourPcl_, tray1, Esc("ESC&l26AESC&l1HESC&l0S")},
      {"PCL 5SI, automatic tray", &colourPcl5si_, nullptr, Esc("ESC&l26AESC&l0HESC&n6WdPlainESC&l0S")},
      {"PCL 5SI, tray 1, short edge", &colourPcl5si_,
       [](XDEVMODE& dm) {
         dm.dmPublic.dmDefaultSource = 258;
         dm.dmPublic.dmDuplex = DMDUP_HORIZONTAL;
       },
       Esc("ESC&l26AESC&l1HESC&n6WdPlainESC&l2S")},
      {"PostScript, automatic tray", &colourPs_, nullptr,
       PsDict(8,
              " dup\n/InputAttributes    1 dict dup /Priority [0 1 2] put put dup\n/TraySwitch         true put"
              " dup\n/LeadingEdge        3 put dup\n/PageSize           [595 842] put"
              " dup\n/MediaType          (Plain) put dup\n/MediaWeight        null put"
              " dup\n/Duplex             false put dup\n/Tumble             false put")},
      {"PostScript, tray 1", &colourPs_, tray1,
       PsDict(8,
              " dup\n/InputAttributes    <</Priority [0]>> put dup\n/TraySwitch         false put"
              " dup\n/LeadingEdge        3 put dup\n/PageSize           [595 842] put"
              " dup\n/MediaType          (Plain) put" +
                  MediaWeightOfSlot(0) + " dup\n/Duplex             false put dup\n/Tumble             false put")},
      {"PostScript, short edge", &colourPs_, duplexShort,
       PsDict(8,
              " dup\n/InputAttributes    1 dict dup /Priority [0 1 2] put put dup\n/TraySwitch         true put"
              " dup\n/LeadingEdge        3 put dup\n/PageSize           [595 842] put"
              " dup\n/MediaType          (Plain) put dup\n/MediaWeight        null put"
              " dup\n/Duplex             true put dup\n/Tumble             true put")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string out = Settings(*c.printer, c.change, FALSE);
    EXPECT_EQ(out, c.expected);
    if (*c.printer != colourPs_) ReadFramed(PclBlock("") + out);
  }
}

TEST_F(DeviceSettingsOutputTest, TraysPapersMediaAndDuplexOfBothModels) {
  struct Case {
    const char* what;
    HANDLE* printer;
    Change change;
    std::string pcl;  // expected in the PCL output ("" none)
    std::string ps;   // expected in the PostScript output (colour model; "" none)
  };
  std::vector<Case> cases;
  // Trays: the colour model's (the large-capacity tray is not installed), the
  // mono model's (the lower tray is not installed): PCL number, PostScript slot.
  struct Tray {
    HANDLE* printer;
    SHORT source;
    int pcl;
    int slot;
  };
  for (const Tray& t : {Tray{&colourPcl_, 257, 2, 3}, Tray{&colourPcl_, 258, 1, 0}, Tray{&colourPcl_, 259, 4, 1},
                        Tray{&colourPcl_, 260, 5, 2}, Tray{&monoPcl_, 257, 2, 3}, Tray{&monoPcl_, 258, 1, 0}}) {
    cases.push_back({"tray", t.printer, [t](XDEVMODE& dm) { dm.dmPublic.dmDefaultSource = t.source; },
                     Esc("ESC&l") + std::to_string(t.pcl) + "H",
                     t.printer == &colourPcl_ ? " dup\n/InputAttributes    <</Priority [" + std::to_string(t.slot) +
                                                    "]>> put dup\n/TraySwitch         false put"
                                              : ""});
  }
  // Papers: PCL page-size code, PostScript size in points (the mono model has
  // no A3).
  struct Paper {
    SHORT id;
    int code;
    const char* points;
  };
  for (const Paper& p :
       {Paper{DMPAPER_LETTER, 2, "[612 792]"}, Paper{DMPAPER_LEGAL, 3, "[612 1008]"},
        Paper{DMPAPER_A3, 27, "[842 1191]"}, Paper{DMPAPER_A4, 26, "[595 842]"}, Paper{DMPAPER_A5, 25, "[420 595]"},
        Paper{DMPAPER_B5, 45, "[516 728]"}, Paper{20, 81, "[297 684]"}}) {
    for (HANDLE* printer : {&colourPcl_, &monoPcl_}) {
      if (printer == &monoPcl_ && p.id == DMPAPER_A3) continue;
      cases.push_back({"paper", printer, [p](XDEVMODE& dm) { dm.dmPublic.dmPaperSize = p.id; },
                       Esc("ESC&l") + std::to_string(p.code) + "A",
                       printer == &colourPcl_ ? std::string(" dup\n/PageSize           ") + p.points + " put" : ""});
    }
  }
  // Media (PCL only where the language takes it).
  struct Media {
    DWORD id;
    const char* name;
  };
  for (const Media& m : {Media{500, "Plain"}, Media{502, "Thick1"}, Media{504, "Transparency"}, Media{507, "Cover"}}) {
    const std::string length = std::to_string(std::string(m.name).size() + 1);
    cases.push_back({"media", &colourPcl5si_,
                     [m](XDEVMODE& dm) {
                       dm.dmPublic.dmMediaType = m.id;
                       dm.dmPrivate._nMediaType = WORD(m.id);
                     },
                     Esc("ESC&n") + length + "Wd" + m.name,
                     std::string(" dup\n/MediaType          (") + m.name + ") put"});
  }
  // Duplex.
  cases.push_back({"long edge", &colourPcl_, [](XDEVMODE& dm) { dm.dmPublic.dmDuplex = DMDUP_VERTICAL; },
                   Esc("ESC&l1S"), " dup\n/Duplex             true put dup\n/Tumble             false put"});
  cases.push_back(
      {"short edge", &monoPcl_, [](XDEVMODE& dm) { dm.dmPublic.dmDuplex = DMDUP_HORIZONTAL; }, Esc("ESC&l2S"), ""});
  cases.push_back(
      {"simplex", &monoPcl_, [](XDEVMODE& dm) { dm.dmPublic.dmDuplex = DMDUP_SIMPLEX; }, Esc("ESC&l0S"), ""});

  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " " + c.pcl);
    const std::string pcl = Settings(*c.printer, c.change, FALSE);
    EXPECT_NE(pcl.find(c.pcl), std::string::npos) << pcl;
    ReadFramed(PclBlock("") + pcl);
    if (!c.ps.empty()) {
      const std::string ps = Settings(colourPs_, c.change, FALSE);
      EXPECT_NE(ps.find(c.ps), std::string::npos) << ps;
    }
  }
}

// The structural reader sees each PCL command with its value.
TEST_F(DeviceSettingsOutputTest, PclPageCommandsReadBack) {
  PdevPtr pdev = Pdev(colourPcl5si_, [](XDEVMODE& dm) {
    dm.dmPublic.dmDefaultSource = 259;
    dm.dmPublic.dmPaperSize = DMPAPER_A3;
    dm.dmPublic.dmDuplex = DMDUP_VERTICAL;
    dm.dmPublic.dmMediaType = 502;
    dm.dmPrivate._nMediaType = 502;
  });
  const std::string out = Print(pdev.get(), [&] {
    EmitJobSettings(pdev.get(), TRUE);
    EmitJobSettings(pdev.get(), FALSE);
  });
  const testsupport::PclReport report = ReadFramed(out);
  ASSERT_EQ(report.Count("&l", 'A'), 1u);
  EXPECT_EQ(report.Find("&l", 'A')[0]->IntValue(), 27);
  ASSERT_EQ(report.Count("&l", 'H'), 1u);
  EXPECT_EQ(report.Find("&l", 'H')[0]->IntValue(), 4);
  ASSERT_EQ(report.Count("&l", 'S'), 1u);
  EXPECT_EQ(report.Find("&l", 'S')[0]->IntValue(), 1);
  ASSERT_EQ(report.Count("&n", 'W'), 1u);
  EXPECT_EQ(report.Find("&n", 'W')[0]->data, "dThick1");
  EXPECT_EQ(report.resets, 2) << "the block's reset and the frame's";
  const testsupport::PjlLine* enter = nullptr;
  for (const testsupport::PjlLine& line : report.pjl) {
    if (line.command == "ENTER") enter = &line;
    if (line.command == "SET") {
      EXPECT_EQ(line.ending, testsupport::PjlLineEnding::Lf) << line.text;
    }
  }
  ASSERT_NE(enter, nullptr);
  EXPECT_EQ(enter->text, "@PJL ENTER LANGUAGE = PCL");
}

// Booklet printing: a PCL job switches the printer's clipping to the edges
// off (the sheet carries two pages to its edges); a PostScript booklet under
// page-ticket paper prints both sides whatever the range says.
TEST_F(DeviceSettingsOutputTest, BookletPrinting) {
  const std::string pcl = Settings(
      colourPcl_, [](XDEVMODE& dm) { dm.dmPrivate._nBooklet = 1, dm.dmPrivate._nMarginType = 0; }, TRUE);
  EXPECT_NE(pcl.find("@PJL SET CLIP = OFF\n"), std::string::npos) << pcl;

  struct Case {
    WORD booklet;
    LONG rangeDuplex;
    const char* duplex;
  };
  for (const Case& c : {Case{1, 0, "true"}, Case{0, 0, "false"}, Case{0, 1, "true"}}) {
    PdevPtr pdev = Pdev(colourPs_, [&](XDEVMODE& dm) {
      dm.dmPublic.dmDuplex = DMDUP_VERTICAL;
      dm.dmPrivate._nBooklet = c.booklet;
    });
    ASSERT_TRUE(pdev);
    pdev->devmode.dmPublic.dmDefaultSource = kSourceByPageTicket;
    for (PageTicketSourceRange& range : pdev->devmode.dmPrivate.pageTicketRanges) {
      range = {1, 99, 259, 256 + 502, c.rangeDuplex};
    }
    const std::string ps = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
    SCOPED_TRACE(ps);
    EXPECT_NE(ps.find(std::string(" dup\n/Duplex             ") + c.duplex + " put"), std::string::npos);
    // The range's tray, with the device mode's media (the range's media counts
    // only with the automatic tray).
    EXPECT_NE(ps.find("/Priority [1]"), std::string::npos);
    EXPECT_NE(ps.find("(Plain)"), std::string::npos);
  }
}

// A landscape EPS page gets a landscape sheet; a user-defined size is sent as
// the device mode gives it.
TEST_F(DeviceSettingsOutputTest, PostScriptPageSizeOfEpsLandscapeAndCustomPaper) {
  {
    PdevPtr pdev = Pdev(colourPs_, [](XDEVMODE& dm) { dm.dmPublic.dmOrientation = DMORIENT_LANDSCAPE; });
    pdev->job.epsMode = 1;
    const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
    EXPECT_NE(out.find(" dup\n/PageSize           [842 595] put"), std::string::npos) << out;
  }
  {
    // Not turned when the application's own showpage is kept out, nor for a
    // portrait page.
    PdevPtr pdev = Pdev(colourPs_, [](XDEVMODE& dm) { dm.dmPublic.dmOrientation = DMORIENT_LANDSCAPE; });
    pdev->job.epsMode = 1;
    pdev->job.showpageOverride = 1;
    const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
    EXPECT_NE(out.find(" dup\n/PageSize           [595 842] put"), std::string::npos) << out;
  }
  {
    PdevPtr pdev = Pdev(colourPs_, [](XDEVMODE& dm) {
      dm.dmPublic.dmPaperSize = kCustomPaperId;
      dm.dmPrivate._lCustomWidth = 5000;
      dm.dmPrivate._lCustomLength = 7000;
    });
    const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
    EXPECT_NE(out.find(" dup\n/PageSize           [360 504] put"), std::string::npos) << out;
  }
}

// The feed edge of the page's paper: A4 fed long edge first is its own row.
TEST_F(DeviceSettingsOutputTest, LeadingEdgeFollowsThePagesFeedDirection) {
  PdevPtr pdev = Pdev(colourPs_);
  pdev->pages.currentPaper = DMPAPER_A4;
  for (DWORD feed : {DWORD{1}, DWORD{0}}) {
    pdev->pages.currentFeed = feed;
    EXPECT_EQ(LookupPaperAttribute(pdev.get(), DMPAPER_A4), feed);
  }
  // A feed the paper has no row for takes the last row of the paper; a paper
  // the model lacks, 0.
  pdev->pages.currentFeed = 7;
  EXPECT_EQ(LookupPaperAttribute(pdev.get(), DMPAPER_A4), 1u);
  EXPECT_EQ(LookupPaperAttribute(pdev.get(), DMPAPER_LETTER), 1u);
  EXPECT_EQ(LookupPaperAttribute(pdev.get(), DMPAPER_LEGAL), 0u);
  EXPECT_EQ(LookupPaperAttribute(pdev.get(), 999), 0u);

  pdev->pages.currentFeed = 1;
  const std::string out = Print(pdev.get(), [&] { EmitJobSettings(pdev.get(), FALSE); });
  EXPECT_NE(out.find(" dup\n/LeadingEdge        2 put dup\n/PageSize           [842 595] put"), std::string::npos)
      << out;
}

}  // namespace
}  // namespace graphicstest
