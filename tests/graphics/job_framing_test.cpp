// The first and last bytes of a job: the PJL envelope and its gates over the
// system's code page, the model's features, the status monitor, macro output
// and every advanced setting, the envelope always closed; Ctrl-D, setuserparams and the
// input-tray mask; the DSC structure with injected text; the prolog variants;
// the job name in the PJL and DSC lines; and whole jobs read back from a file
// port, the PostScript one run in Ghostscript and the PCL one read by the
// structural reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/job/job_font_state.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/job/job_gates.h"
#include "graphics/output/job/job_name_text.h"
#include "graphics/output/job/job_prolog.h"
#include "graphics/output/job/job_tray_mask.h"
#include "graphics/output/job/ps_procset.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/base/value_types.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/printer_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"
#include "tools/machinesetup/printer_install.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr char kUel[] = "\x1b%-12345X";
constexpr DWORD kBit28 = 0x10000000;       // the model takes PJL page order (and finishing)
constexpr DWORD kBit29 = 0x20000000;       // the model takes PJL rotation (and finishing)
constexpr char kVersion[] = "6.310.23.0";  // ProductVersion of the sample module

constexpr char kTrayMaskProcedure[] =
    "\n{currentpagedevice /InputAttributes get\n"
    "1 index known {exch 1 add} {pop} ifelse} forall\n"
    "dup 0 eq {pop} {array astore statusdict /inputTrayMask get exec} ifelse\n";

std::string JobLine(const std::string& name) { return std::string(kUel) + "@PJL JOB NAME = \"" + name + "\"\r\n"; }
std::string EojLines(const std::string& name) {
  return std::string(kUel) + "@PJL EOJ NAME = \"" + name + "\"\r\n" + kUel;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Printable form of job bytes for failure messages.
std::string Show(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == 27) {
      out += "<ESC>";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n\n";
    } else if (c < 32 || c >= 127) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

class JobFramingTest : public GraphicsPrinterTest {
 protected:
  void SetUp() override {
    GraphicsPrinterTest::SetUp();
    std::filesystem::create_directories(Host("C:\\Ports"));
    module_ = LoadLibraryA(TestModulePath("sample_module.dll").c_str());
    ASSERT_NE(module_, 0u);
  }
  void TearDown() override {
    pdevs_.clear();
    for (HANDLE printer : printers_) ClosePrinter(printer);
    printers_.clear();
    if (module_) FreeLibrary(module_);
    GraphicsPrinterTest::TearDown();
  }

  // A printer of a shipped model whose port is a file, in the given language.
  HANDLE FilePrinter(const char* model, WORD pdl) {
    const std::string name = std::string("Framing ") + model + " " + std::to_string(pdl);
    machinesetup::PrinterSpec spec;
    spec.printerName = name;
    spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data" / "models" / model;
    spec.driverFolder = machinesetup::BuiltDriverFolder();
    spec.port = "C:\\Ports\\" + std::to_string(printers_.size()) + ".prn";
    std::string error;
    if (!machinesetup::InstallPrinter(spec, error)) {
      ADD_FAILURE() << error;
      return 0;
    }
    HANDLE printer = 0;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::string copy = name;
    EXPECT_TRUE(OpenPrinterA(copy.data(), &printer, &defaults));
    if (!printer) return 0;
    printers_.push_back(printer);
    ports_.push_back(spec.port);
    names_.push_back(name);
    SetPrinterDword(printer, "Printer", "PDL", pdl);
    SetPrinterDword(printer, "Printer", "TRQ50Compatible", std::string(model) == kColourModel ? 1 : 0);
    SetPrinterDword(printer, "Printer", "Cfg", 6);
    return printer;
  }

  // A filled PDEV of the printer in its language, with the sample module's
  // version, the document name given and the model's PJL features as asked.
  PDEV* NewJobPdev(HANDLE printer, WORD pdl, const std::string& documentName = "Report", DWORD pjlFeatures = 0) {
    size_t index = 0;
    while (index < printers_.size() && printers_[index] != printer) ++index;
    PdevPtr pdev = NewPdev(printer, names_.at(index));
    if (!pdev) return nullptr;
    const XDEVMODE dm = DriverLayout(pdl);
    EXPECT_EQ(InitPdev(pdev.get(), &dm), 1);
    pdev->module = module_;
    std::memset(pdev->carried.documentName, 0, sizeof pdev->carried.documentName);
    std::memcpy(pdev->carried.documentName, documentName.data(),
                std::min(documentName.size(), sizeof pdev->carried.documentName));
    pdev->model->optionWord = (pdev->model->optionWord & ~(kBit28 | kBit29)) | pjlFeatures;
    pdevs_.push_back(std::move(pdev));
    return pdevs_.back().get();
  }

  // Runs a spooler job on the PDEV's printer: the header, the body's writes,
  // the trailer; answers what reached the port file.
  std::string Job(PDEV* pdev, bool header = true, bool trailer = true,
                  const std::function<void(PDEV*)>& body = nullptr) {
    char document[] = "framing";
    DOC_INFO_1A info{document, nullptr, nullptr};
    EXPECT_NE(StartDocPrinterA(pdev->printer, 1, reinterpret_cast<LPBYTE>(&info)), 0u) << GetLastError();
    if (header) {
      EXPECT_EQ(WriteJobHeader(pdev), 1);
    }
    if (body) body(pdev);
    if (trailer) {
      EXPECT_EQ(WriteJobTrailer(pdev), 1);
    }
    EXPECT_EQ(FlushOutputBuffer(pdev), 1);
    EXPECT_TRUE(EndDocPrinter(pdev->printer)) << GetLastError();
    size_t index = 0;
    while (index < printers_.size() && printers_[index] != pdev->printer) ++index;
    return ReadPort(ports_.at(index));
  }

  std::string ReadPort(const std::string& port) {
    std::ifstream in(Host(port), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // What the PDEV's buffer holds now, taken out of it (no spooler involved).
  static std::string Buffered(PDEV* pdev) {
    std::string bytes(reinterpret_cast<const char*>(pdev->output.buffer), pdev->output.fill);
    pdev->output.fill = 0;
    return bytes;
  }

  void SetCompatibility(HANDLE printer, DWORD type, const std::string& bytes) {
    char16_t name[] = u"Compatibility";
    std::string copy = bytes;
    ASSERT_EQ(SetPrinterDataW(printer, name, type, reinterpret_cast<LPBYTE>(copy.data()), DWORD(copy.size())), 0u);
  }
  void DeleteCompatibility(HANDLE printer) {
    char16_t name[] = u"Compatibility";
    DeletePrinterDataW(printer, name);
  }

  HMODULE module_ = 0;
  std::vector<HANDLE> printers_;
  std::vector<std::string> ports_;
  std::vector<std::string> names_;
  std::vector<PdevPtr> pdevs_;
};

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

// --- Gates ----------------------------------------------------------------------

TEST_F(JobFramingTest, PjlGateOverCodePageModelFeaturesMonitorAndMacroOutput) {
  HANDLE ps = FilePrinter(kColourModel, kPdlPs3);
  HANDLE pcl = FilePrinter(kMonoModel, kPdlPcl5e);
  struct Case {
    const char* what;
    UINT codePage;
    bool postScript;
    DWORD features;
    DWORD snmp;
    WORD outputType;
    bool pjl;
  } cases[] = {
      {"PostScript, 932, plain model", 932, true, 0, 0, 1, false},
      {"PostScript, 932, monitor not per job", 932, true, 0, 1, 1, false},
      {"PostScript, 1252, plain model", 1252, true, 0, 0, 1, true},
      {"PostScript, UTF-8, plain model", CP_UTF8, true, 0, 0, 1, true},
      {"PostScript, 932, page order feature", 932, true, kBit28, 0, 1, true},
      {"PostScript, 932, rotation feature", 932, true, kBit29, 0, 1, true},
      {"PostScript, 932, monitor per job", 932, true, 0, 2, 1, true},
      {"PostScript, 932, both features and monitor", 932, true, kBit28 | kBit29, 2, 1, true},
      {"PostScript, 1252, macro output", 1252, true, kBit28, 2, 5, false},
      {"PCL, 932, plain model", 932, false, 0, 0, 1, true},
      {"PCL, 1252, plain model", 1252, false, 0, 0, 1, true},
      {"PCL, 1252, macro output", 1252, false, kBit28 | kBit29, 2, 5, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(platform::SetAnsiCodePage(c.codePage));
    PDEV* pdev = NewJobPdev(c.postScript ? ps : pcl, c.postScript ? kPdlPs3 : kPdlPcl5e, "Gate", c.features);
    pdev->devmode.dmPrivate._iSNMP = c.snmp;
    pdev->devmode.dmPrivate._nOutputDest = c.outputType;
    EXPECT_EQ(JobUsesPjl(pdev) != FALSE, c.pjl);
    const std::string job = Job(pdev);
    EXPECT_EQ(pdev->job.jobLineWritten, c.pjl ? 1 : 0);
    if (c.pjl) {
      EXPECT_TRUE(StartsWith(job, JobLine("Gate"))) << Show(job);
      EXPECT_TRUE(EndsWith(job, EojLines("Gate"))) << Show(job);
    } else {
      EXPECT_EQ(job.find("@PJL"), std::string::npos) << Show(job);
      EXPECT_EQ(job.find(kUel), std::string::npos) << Show(job);
      if (c.postScript) {
        EXPECT_TRUE(StartsWith(job, "%!\n%Start of document: Gate\n")) << Show(job);
        EXPECT_TRUE(EndsWith(job, "SS\n\nend\n")) << Show(job);
      } else {
        // A macro file: raster on the logical page, units in dots; no trailer.
        EXPECT_EQ(job, "\x1b*r0F\x1b&u600D");
      }
    }
  }
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++count;
  return count;
}

// A job that opens a PJL job closes it, whatever the advanced settings say and
// whatever the printer's "Compatibility" value holds: bit 0x1 is the binary
// data switch, and a binary job once opened "@PJL JOB" and never closed it.
TEST_F(JobFramingTest, EveryOpenedPjlJobIsClosedForEveryAdvancedSetting) {
  HANDLE ps = FilePrinter(kColourModel, kPdlPs3);
  HANDLE pcl = FilePrinter(kMonoModel, kPdlPcl5e);
  struct Printer {
    const char* what;
    bool postScript;
    bool compatibilityValue;
    DWORD compatibility;
  } printers[] = {
      {"PostScript, no Compatibility value", true, false, 0},
      {"PostScript, Compatibility bit 0 clear", true, true, 2},
      {"PostScript, Compatibility bit 0 set", true, true, 1},
      {"PCL", false, false, 0},
  };
  for (const Printer& p : printers) {
    HANDLE printer = p.postScript ? ps : pcl;
    DeleteCompatibility(printer);
    if (p.compatibilityValue) SetCompatibility(printer, REG_DWORD, Dword(p.compatibility));
    for (UINT codePage : {1252u, 932u}) {
      ASSERT_TRUE(platform::SetAnsiCodePage(codePage));
      for (DWORD advanced = 0; advanced < 0x20; ++advanced) {
        SCOPED_TRACE(std::string(p.what) + ", code page " + std::to_string(codePage) + ", advanced " +
                     std::to_string(advanced));
        PDEV* pdev = NewJobPdev(printer, p.postScript ? kPdlPs3 : kPdlPcl5e, "Balanced");
        pdev->devmode.dmPrivate._dwAdvSettings = advanced;
        const std::string job = Job(pdev);
        const size_t opened = Count(job, "@PJL JOB NAME");
        EXPECT_EQ(opened, Count(job, "@PJL EOJ NAME")) << Show(job);
        EXPECT_LE(opened, 1u);
        if (opened == 1) {
          EXPECT_TRUE(StartsWith(job, JobLine("Balanced"))) << Show(job);
          EXPECT_TRUE(EndsWith(job, EojLines("Balanced"))) << Show(job);
        } else {
          EXPECT_EQ(job.find(kUel), std::string::npos) << Show(job);
        }
        // Only the bare PostScript job of a code-page-932 system goes without.
        EXPECT_EQ(opened == 0, p.postScript && codePage == 932);
      }
    }
  }
}

TEST_F(JobFramingTest, CtrlDBytesAndUserParameters) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Case {
    DWORD advanced;
    WORD jobTimeout, waitTimeout;
    bool before, after;
    const char* userParams;  // null: none
  } cases[] = {
      {0x00, 0, 40, false, false, nullptr},
      {0x02, 0, 40, true, false, nullptr},
      {0x04, 0, 40, false, true, nullptr},
      {0x06, 0, 40, true, true, nullptr},
      {0x10, 0, 40, false, false, "<</JobTimeout 0 /WaitTimeout 40>> setuserparams\n"},
      {0x16, 300, 65535, true, true, "<</JobTimeout 300 /WaitTimeout 65535>> setuserparams\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "advanced settings " << c.advanced);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Ctrl");
    pdev->devmode.dmPrivate._dwAdvSettings = c.advanced;
    pdev->devmode.dmPrivate._nJobTimeout = c.jobTimeout;
    pdev->devmode.dmPrivate._nWaitTimeout = c.waitTimeout;
    const std::string job = Job(pdev);
    const std::string enter = "@PJL ENTER LANGUAGE=POSTSCRIPT\n";
    const std::string start = "%!\n%Start of document: Ctrl\n";
    EXPECT_NE(job.find(enter + (c.before ? "\x04" : "") + start), std::string::npos) << Show(job);
    EXPECT_TRUE(EndsWith(job, std::string("SS\n\nend\n") + (c.after ? "\x04" : "") + EojLines("Ctrl"))) << Show(job);
    EXPECT_EQ(std::count(job.begin(), job.end(), '\x04'), (c.before ? 1 : 0) + (c.after ? 1 : 0));
    const std::string version = std::string("\n%DrvVer: ") + kVersion + "\n%OS: WinNT UM\n";
    if (c.userParams) {
      EXPECT_NE(job.find(version + c.userParams + "\n/CalyxonDict 80 dict def"), std::string::npos) << Show(job);
    } else {
      EXPECT_EQ(job.find("setuserparams"), std::string::npos);
      EXPECT_NE(job.find(version + "\n/CalyxonDict 80 dict def"), std::string::npos);
    }
  }
}

TEST_F(JobFramingTest, PjlSetLinesFollowTheModelFeatures) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Case {
    DWORD features;
    WORD outputTray;
    WORD finishStaple;
    DWORD pageOrder;
    DWORD rotate;
    const char* lines;  // between the job line and ENTER LANGUAGE
  } cases[] = {
      {0, 268, 1, 3, 1, ""},
      {kBit28, 0, 0, 0, 0, "@PJL SET PAGEORDER = NORMAL\n"},
      {kBit28, 0, 0, 3, 1, "@PJL SET PAGEORDER = REVERSE\n"},
      {kBit29, 0, 0, 3, 1, "@PJL SET ROTATION = 180\n"},
      {kBit29, 0, 0, 0, 7, "@PJL SET ROTATION = 180\n"},
      {kBit29, 0, 0, 0, 0, "@PJL SET ROTATION = 0\n"},
      {kBit28, 268, 1, 2, 0, "@PJL SET FINISH = STAPLE4\n@PJL SET PAGEORDER = NORMAL\n"},
      {kBit29, 268, 2, 0, 0, "@PJL SET FINISH = NONE\n@PJL SET ROTATION = 0\n"},
      {kBit28 | kBit29, 267, 1, 3, 1, "@PJL SET PAGEORDER = REVERSE\n@PJL SET ROTATION = 180\n"},
      {kBit28 | kBit29, 268, 1, 3, 1,
       "@PJL SET FINISH = STAPLE4\n@PJL SET PAGEORDER = REVERSE\n@PJL SET ROTATION = 180\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Set", c.features);
    XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
    settings._nOutputTray = c.outputTray;
    settings.FinishStaple = c.finishStaple;
    settings.PageOrder = c.pageOrder;
    settings._bRotatePage = c.rotate;
    const std::string job = Job(pdev, true, false);
    EXPECT_TRUE(StartsWith(job, JobLine("Set") + c.lines + "@PJL ENTER LANGUAGE=POSTSCRIPT\n")) << Show(job);
  }
}

TEST_F(JobFramingTest, MonitoredJobsCarryTheJobAttributesAfterTheJobLine) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Monitored");
  pdev->devmode.dmPrivate._iSNMP = 2;
  pdev->carried.addressValue = 0x0A00A8C0;  // 192.168.0.10
  pdev->carried.spoolerJobId = 7;
  const std::string job = Job(pdev);
  const std::string attributes = "@PJL SET JOBATTR=\"192.168.0.10=00Monitored=00192.168.0.10=00Job#7=00\"\n";
  EXPECT_TRUE(StartsWith(job, JobLine("Monitored") + attributes + "@PJL ENTER LANGUAGE=POSTSCRIPT\n")) << Show(job);
  EXPECT_TRUE(EndsWith(job, EojLines("Monitored")));
}

// --- The input-tray mask ------------------------------------------------------

TEST_F(JobFramingTest, InputTrayMaskListsTheSourcesOutsideAutomaticSelection) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Source {
    const char* name;
    int16_t slot;
    int32_t automatic;
  };
  struct Case {
    const char* what;
    std::vector<Source> sources;
    const char* list;  // null: no mask written
  } cases[] = {
      {"slots 1 2 4 outside", {{"A", 1, 0}, {"B", 2, 0}, {"C", 3, 1}, {"D", 4, 0}}, "0 [ 1 2 4]"},
      {"one source outside", {{"Bypass", 3, 0}, {"Tray", 0, 1}}, "0 [ 3]"},
      {"all automatic", {{"A", 1, 1}, {"B", 2, 1}, {"C", 3, 5}}, nullptr},
      {"no sources", {}, nullptr},
      {"a nameless source ends the list", {{"A", 1, 0}, {"", 2, 0}, {"C", 3, 0}}, "0 [ 1]"},
      {"slot numbers are signed", {{"A", -1, 0}, {"B", 0, 0}}, "0 [ -1 0]"},
      {"eight sources of the widest numbers",
       // clang-format off
       {{"A", -32768, 0}, {"B", -32768, 0}, {"C", -32768, 0}, {"D", -32768, 0},
        {"E", -32768, 0}, {"F", -32768, 0}, {"G", -32768, 0}, {"H", -32768, 0}},
       "0 [ -32768 -32768 -32768 -32768 -32768 -32768 -32768 -32768]"},
      {"eight sources", {{"A", 11, 0}, {"B", 12, 0}, {"C", 13, 0}, {"D", 14, 0},
                         {"E", 15, 0}, {"F", 16, 0}, {"G", 1000, 0}, {"H", 30000, 0}},
       // clang-format on
       "0 [ 11 12 13 14 15 16 1000 30000]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3);
    for (PaperSourceEntry& entry : pdev->model->paperSources) entry = PaperSourceEntry{};
    for (size_t i = 0; i < c.sources.size(); ++i) {
      PaperSourceEntry& entry = pdev->model->paperSources[i];
      entry.id = static_cast<WORD>(i + 1);
      std::strncpy(entry.name, c.sources[i].name, sizeof entry.name - 1);
      entry.s1 = static_cast<WORD>(c.sources[i].slot);
      entry.s5 = c.sources[i].automatic;
    }
    Buffered(pdev);
    EXPECT_EQ(WriteInputTrayMask(pdev), 1);
    EXPECT_EQ(Buffered(pdev), c.list ? std::string(c.list) + kTrayMaskProcedure : "");

    // The header writes the same text right after the prolog.
    const std::string job = Job(pdev, true, false);
    const std::string afterProlog = std::string(PsProcSetText(kPsProcSetNormal)) + "\n";
    EXPECT_TRUE(EndsWith(job, afterProlog + (c.list ? std::string(c.list) + kTrayMaskProcedure : "") + "SS\n"))
        << Show(job.substr(job.size() - 400));
  }
}

// --- Byte-exact frames ----------------------------------------------------------

TEST_F(JobFramingTest, PostScriptHeaderAndTrailerByteExact) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Quarterly report", kBit28 | kBit29);
  XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  settings._nOutputTray = 268;
  settings.FinishStaple = 1;
  settings.PageOrder = 3;
  settings._bRotatePage = 1;
  settings._dwAdvSettings = 0;
  const DWORD memoryBefore = pdev->carried.vmEstimate;

  const std::string job = Job(pdev);
  const std::string expected = JobLine("Quarterly report") +
                               "@PJL SET FINISH = STAPLE4\n"
                               "@PJL SET PAGEORDER = REVERSE\n"
                               "@PJL SET ROTATION = 180\n"
                               "@PJL ENTER LANGUAGE=POSTSCRIPT\n"
                               "%!\n%Start of document: Quarterly report\n"
                               "\n%DrvVer: 6.310.23.0\n%OS: WinNT UM\n" +
                               PsProcSetText(kPsProcSetNormal) + "\n" +
                               // The shipped model's bypass tray (slot 3) stays out of automatic selection.
                               "0 [ 3]" + kTrayMaskProcedure +
                               "SS\n"
                               "\nend\n" +
                               EojLines("Quarterly report");
  EXPECT_EQ(job, expected) << Show(job.substr(0, 300));
  EXPECT_EQ(pdev->carried.vmEstimate, memoryBefore + 80000);
  EXPECT_TRUE(pdev->job.prologOpen);
}

TEST_F(JobFramingTest, PclHeaderAndTrailerByteExact) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  HANDLE printer = FilePrinter(kMonoModel, kPdlPcl5e);
  PDEV* pdev = NewJobPdev(printer, kPdlPcl5e, "Invoice", kBit28);
  pdev->devmode.dmPrivate.PageOrder = 3;
  const DWORD memoryBefore = pdev->carried.vmEstimate;
  const std::string job = Job(pdev);
  const std::string expected = JobLine("Invoice") +
                               "@PJL SET PAGEORDER = REVERSE\n"
                               "@PJL COMMENT DrvVer: 6.310.23.0\r\n"
                               "@PJL COMMENT OS: WinNT UM\r\n"
                               "\x1b"
                               "E" +
                               EojLines("Invoice");
  EXPECT_EQ(job, expected) << Show(job);
  EXPECT_EQ(pdev->carried.vmEstimate, memoryBefore + 80000);
  EXPECT_FALSE(pdev->job.prologOpen);

  // The structural reader takes it as a balanced PJL job around a PCL reset.
  const testsupport::PclReport report = testsupport::ReadPclJob(job);
  EXPECT_TRUE(report.ok()) << report.Summary();
  EXPECT_FALSE(report.HasWarning(testsupport::PclProblem::JobNameMismatch));
  EXPECT_EQ(report.resets, 1);
  EXPECT_EQ(report.uels.size(), 3u);
  ASSERT_GE(report.pjl.size(), 2u);
  EXPECT_EQ(report.pjl.front().command, "JOB");
  EXPECT_EQ(report.pjl.front().ending, testsupport::PjlLineEnding::CrLf);
  EXPECT_EQ(report.pjl.back().command, "EOJ");
}

TEST_F(JobFramingTest, PclMacroOutputIsTheSetUpAlone) {
  HANDLE printer = FilePrinter(kMonoModel, kPdlPcl5e);
  for (SHORT dpi : {300, 600, 1200}) {
    PDEV* pdev = NewJobPdev(printer, kPdlPcl5e, "Macro", kBit28 | kBit29);
    pdev->devmode.dmPrivate._nOutputDest = 5;
    pdev->devmode.dmPublic.dmPrintQuality = dpi;
    const DWORD memoryBefore = pdev->carried.vmEstimate;
    const std::string job = Job(pdev);
    EXPECT_EQ(job, "\x1b*r0F\x1b&u" + std::to_string(dpi) + "D");
    EXPECT_EQ(pdev->carried.vmEstimate, memoryBefore) << "a macro file is no job in printer memory";
    EXPECT_EQ(pdev->job.jobLineWritten, 0);
  }
}

TEST_F(JobFramingTest, HeaderWithoutModelRecordWritesNothing) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3);
  ModelRecord* model = pdev->model;
  pdev->model = nullptr;
  Buffered(pdev);
  EXPECT_EQ(WriteJobHeader(pdev), 0);
  EXPECT_EQ(Buffered(pdev), "");
  pdev->model = model;
  EXPECT_EQ(WriteJobHeader(nullptr), 0);
  EXPECT_EQ(WriteJobTrailer(nullptr), 0);
  EXPECT_EQ(WritePsProlog(nullptr, TRUE), 0);
  EXPECT_EQ(WritePsPrologPart(nullptr, TRUE), 0);
  ResetFontState(nullptr);
}

// --- PostScript-centric jobs ------------------------------------------------------

TEST_F(JobFramingTest, PostScriptCentricJobsGetTheDscStructureWithTheInjectedText) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Centric");
  for (auto& entry : pdev->model->paperSources) entry.s5 = 1;  // no tray mask here
  pdev->injectionMode = 2;
  ASSERT_EQ(CreateInjectData(pdev), 1);
  for (DWORD id = 1; id <= 21; ++id) {
    const std::string text = "[" + std::to_string(id) + "]\n";
    ASSERT_EQ(AppendInjectionData(pdev, id, text.data(), DWORD(text.size())), 1);
  }
  const std::string job = Job(pdev);
  const std::string expected = "[1]\n" + JobLine("Centric") + "@PJL ENTER LANGUAGE=POSTSCRIPT\n" +
                               "[2]\n"
                               "%!\n%Start of document: Centric\n"
                               "\n%DrvVer: 6.310.23.0\n%OS: WinNT UM\n"
                               "[3]\n[8]\n[7]\n[21]\n[11]\n"
                               "%%EndComments\n\n"
                               "%%BeginDefaults\n[12]\n[13]\n%%EndDefaults\n\n"
                               "%%BeginProlog\n[14]\n" +
                               PsProcSetText(kPsProcSetNormal) + "\nSS\n[15]\n%%EndProlog\n\n" +
                               "\n%%Trailer\n[18]\n[10]\n[9]\n"
                               "%%DocumentNeededResources\n[5]\n"
                               "%%DocumentSuppliedResources\n[6]\n[4]\n"
                               "%%EOF\n[19]\n"
                               "\nend\n" +
                               EojLines("Centric") + "[20]\n";
  EXPECT_EQ(job, expected) << Show(job.substr(0, 400));
  DestroyInjectData(pdev);
}

TEST_F(JobFramingTest, GdiCentricAndUnidentifiedJobsHaveNoDscStructure) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  for (WORD mode : {0, 1}) {
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Plain");
    pdev->injectionMode = mode;
    const std::string job = Job(pdev);
    EXPECT_EQ(job.find("%%"), std::string::npos) << Show(job.substr(0, 300));
  }
}

// --- The prolog -------------------------------------------------------------------

TEST_F(JobFramingTest, PrologVariantErrorHandlerAndClosing) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Case {
    WORD epsMode;
    DWORD advanced;
    BOOL leaveOpen;
    int variant;
  } cases[] = {
      {0, 0, TRUE, 80},     {1, 0, TRUE, 70},    {2, 0, TRUE, 80},
      {1, 0x08, FALSE, 70}, {0, 0x08, TRUE, 80}, {0, 0, FALSE, 80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "eps " << c.epsMode << " advanced " << c.advanced << " open " << c.leaveOpen);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3);
    pdev->job.epsMode = c.epsMode;
    pdev->devmode.dmPrivate._dwAdvSettings = c.advanced;
    Buffered(pdev);
    EXPECT_EQ(WritePsProlog(pdev, c.leaveOpen), 1);
    std::string expected = PsProcSetText(c.variant);
    if (c.advanced & 0x08) expected += PsErrorHandlerText();
    expected += c.leaveOpen ? "\n" : " end\n";
    const std::string prolog = Buffered(pdev);
    EXPECT_EQ(prolog, expected);
    EXPECT_TRUE(StartsWith(prolog, "\n/CalyxonDict " + std::to_string(c.variant) + " dict def CalyxonDict begin\n"));
    EXPECT_EQ(pdev->job.prologOpen != FALSE, c.leaveOpen != FALSE);
  }

  // Not a PostScript job: nothing.
  HANDLE pcl = FilePrinter(kMonoModel, kPdlPcl5e);
  PDEV* pdev = NewJobPdev(pcl, kPdlPcl5e);
  Buffered(pdev);
  EXPECT_EQ(WritePsProlog(pdev, TRUE), 0);
  EXPECT_EQ(WritePsPrologPart(pdev, TRUE), 1);
  EXPECT_EQ(WritePsPrologPart(pdev, FALSE), 1);
  EXPECT_EQ(Buffered(pdev), "");
  EXPECT_FALSE(pdev->job.prologOpen);
}

TEST_F(JobFramingTest, PrologPartOpensAndClosesTheDictionary) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3);
  Buffered(pdev);
  EXPECT_EQ(WritePsPrologPart(pdev, TRUE), 1);
  EXPECT_EQ(Buffered(pdev), "\nCalyxonDict begin\n");
  EXPECT_EQ(WritePsPrologPart(pdev, FALSE), 1);
  EXPECT_EQ(Buffered(pdev), "\nend\n");
}

TEST_F(JobFramingTest, ShowpageOverrideStaysOnlyWhileTheDriverEndsTheSheets) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Case {
    const char* what;
    DWORD override;
    std::function<void(PDEV*)> set;
    bool kept;
  } cases[] = {
      {"nothing asks for it", 1, [](PDEV*) {}, false},
      {"two pages per sheet", 1, [](PDEV* p) { p->devmode.dmPrivate._nUp = 2; }, true},
      {"one page per sheet", 1, [](PDEV* p) { p->devmode.dmPrivate._nUp = 1; }, false},
      {"booklet", 1, [](PDEV* p) { p->devmode.dmPrivate._nBooklet = 1; }, true},
      {"page border", 1, [](PDEV* p) { p->devmode.dmPrivate._bNupBorder = 1; }, true},
      {"staple", 1, [](PDEV* p) { p->devmode.dmPrivate._wStaple = 2; }, true},
      {"interleaf sheets", 1, [](PDEV* p) { p->devmode.dmPrivate.epInterleaf.on = 1; }, true},
      {"paper by page ticket", 1, [](PDEV* p) { p->devmode.dmPublic.dmDefaultSource = 500; }, true},
      {"watermark", 1, [](PDEV* p) { std::strcpy(p->devmode.dmPrivate._wmCurrent.text, "DRAFT"); }, true},
      {"printed front cover", 1,
       // clang-format off
       [](PDEV* p) { p->devmode.dmPrivate._epFrontCover = InsertedSheetSetting{1, 0, 1}; }, true},
      // clang-format on
      {"not asked, two pages per sheet", 0, [](PDEV* p) { p->devmode.dmPrivate._nUp = 2; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3);
    pdev->job.showpageOverride = c.override;
    c.set(pdev);
    Buffered(pdev);
    EXPECT_EQ(WritePsProlog(pdev, TRUE), 1);
    const std::string prolog = Buffered(pdev);
    EXPECT_EQ(StartsWith(prolog, "\n/showpage {} def\n\n/CalyxonDict 80 dict def"), c.kept);
    EXPECT_EQ(pdev->job.showpageOverride, c.kept ? 1u : 0u);
  }
}

TEST_F(JobFramingTest, AcrobatMakesTheFirstPageSaveInsideTheDictionary) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  for (WORD version : {0, 5, 0xFFFF}) {
    PDEV* pdev = NewJobPdev(printer, kPdlPs3);
    pdev->carried.acrobatVersion = version;
    const std::string job = Job(pdev, true, false);
    const bool acrobat = static_cast<int16_t>(version) >= 1;
    EXPECT_TRUE(EndsWith(job, acrobat ? "\nCalyxonDict begin SS end\n" : "\nSS\n")) << version;
  }
}

// --- The job name ---------------------------------------------------------------

TEST_F(JobFramingTest, JobNameCannotBreakThePjlOrDscLines) {
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  const std::string eighty(80, 'n');
  const std::string kJapanese = "\x93\xfa\x96\x7b\x8c\xea \x83\x5c\x83\x74\x83\x67";
  struct Case {
    const char* what;
    UINT codePage;
    std::string name;  // what the document start left in the PDEV (81 bytes at most)
    std::string shown;
  } cases[] = {
      {"a plain name", 932, "Quarterly report.pdf", "Quarterly report.pdf"},
      {"a double quote", 932, "He said \"print\"", "He said 'print'"},
      {"CR LF and a PJL line", 932, "a\r\n@PJL SET COPIES=99\r\n", "a  @PJL SET COPIES=99  "},
      {"ESC and a UEL", 1252, "x\x1b%-12345X@PJL", "x %-12345X@PJL"},
      // clang-format off
      {"tab, form feed, delete", 1252, "a\tb\fc\x7f" "d", "a b c d"},
      // clang-format on
      {"81 bytes without terminator", 1252, eighty + "z", eighty},
      {"code page 932 text kept (0x5C and 0x7B trail bytes)", 932, kJapanese, kJapanese},
      {"a double-byte character across byte 80", 932, std::string(79, 'a') + "\x82\xa0", std::string(79, 'a')},
      {"a double-byte character ending at byte 80", 932, std::string(78, 'a') + "\x82\xa0",
       std::string(78, 'a') + "\x82\xa0"},
      {"a lead byte left alone at the end", 932, "abc\x82", "abc"},
      {"a lead byte before a quote", 932, "ab\x82\"cd", "ab'cd"},
      {"code page 1252 bytes kept", 1252, "Caf\xe9 \x82\xa0 \x93quote\x94", "Caf\xe9 \x82\xa0 \x93quote\x94"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(platform::SetAnsiCodePage(c.codePage));
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, c.name, kBit28);
    const std::string job = Job(pdev);
    const std::string start = JobLine(c.shown) + "@PJL SET PAGEORDER = NORMAL\n@PJL ENTER LANGUAGE=POSTSCRIPT\n" +
                              "%!\n%Start of document: " + c.shown + "\n\n%DrvVer: ";
    EXPECT_TRUE(StartsWith(job, start)) << Show(job.substr(0, 300));
    EXPECT_TRUE(EndsWith(job, "\nend\n" + EojLines(c.shown))) << Show(job.substr(job.size() - 200));

    // A printer's reading of the envelope: exactly the lines written, the
    // name whole in both lines.
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    ASSERT_EQ(report.pjl.size(), 4u) << report.Summary();
    EXPECT_EQ(report.pjl[0].command, "JOB");
    ASSERT_NE(report.pjl[0].Option("NAME"), nullptr);
    EXPECT_EQ(report.pjl[0].Option("NAME")->value, c.shown);
    EXPECT_EQ(report.pjl[3].command, "EOJ");
    EXPECT_FALSE(report.HasWarning(testsupport::PclProblem::JobNameMismatch));
    EXPECT_EQ(report.uels.size(), 3u);
  }
}

TEST(JobNameTextTest, CutsWholeCharactersToTheLimitAndTheBuffer) {
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  const std::string hundred(100, 'x');
  std::string kanji;  // 50 double-byte characters, 100 bytes
  for (int i = 0; i < 50; ++i) kanji += "\x8a\xbf";
  struct Case {
    const char* what;
    std::string name;
    size_t maxBytes;
    size_t capacity;
    std::string expected;
  } cases[] = {
      {"100 bytes to 80", hundred, 80, 128, std::string(80, 'x')},
      {"100 bytes into a 33-byte buffer", hundred, 80, 33, std::string(32, 'x')},
      {"kanji to 80", kanji, 80, 128, kanji.substr(0, 80)},
      {"kanji to 79", kanji, 79, 128, kanji.substr(0, 78)},
      {"kanji into a 10-byte buffer", kanji, 80, 10, kanji.substr(0, 8)},
      {"a one-byte buffer", "abc", 80, 1, ""},
      {"stops at a terminator", std::string("ab\0cd", 5), 80, 16, "ab"},
      {"half-width katakana are single bytes", "\xb1\xb2\xb3", 2, 16, "\xb1\xb2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string out(c.capacity + 8, '#');
    const size_t length = MakeJobNameText(out.data(), c.capacity, c.name, c.maxBytes);
    EXPECT_EQ(length, c.expected.size());
    EXPECT_EQ(std::string(out.data()), c.expected);
    for (size_t i = c.capacity; i < out.size(); ++i) ASSERT_EQ(out[i], '#') << "written past the buffer";
  }
  char none[4] = "abc";
  EXPECT_EQ(MakeJobNameText(none, 0, "xyz"), 0u);
  EXPECT_STREQ(none, "abc");
  EXPECT_EQ(MakeJobNameText(nullptr, 10, "xyz"), 0u);
}

TEST_F(JobFramingTest, SlipSheetTextFollowsTheJobNameOnItsLine) {
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  const std::string longText(260, 'L');
  struct Case {
    const char* what;
    DWORD suffixOn;
    bool block;
    std::string text;  // at offset 732 (250 bytes at most)
    std::string appended;
  } cases[] = {
      {"suffix on", 1, true, " DISPLAY = \"Slip\"", " DISPLAY = \"Slip\""},
      {"appended without a blank", 1, true, "X", "X"},
      {"suffix off", 0, true, " DISPLAY = \"Slip\"", ""},
      {"no slip-sheet block", 1, false, "", ""},
      {"empty text", 1, true, "", ""},
      {"line breaks cannot end the line", 1, true, "\r\n@PJL SET COPIES=9", "  @PJL SET COPIES=9"},
      {"the whole field without terminator", 1, true, longText.substr(0, 250), longText.substr(0, 249)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Slip");
    pdev->devmode.dmPrivate.JobNameSuffixOn = c.suffixOn;
    std::vector<BYTE> block(kSlipSheetBlockBytes, 0);
    std::memcpy(block.data() + 732, c.text.data(), std::min<size_t>(c.text.size(), 250));
    pdev->slipSheetBlock = c.block ? block.data() : nullptr;
    const std::string job = Job(pdev);
    pdev->slipSheetBlock = nullptr;
    EXPECT_TRUE(StartsWith(
        job, std::string(kUel) + "@PJL JOB NAME = \"Slip\"" + c.appended + "\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\n"))
        << Show(job.substr(0, 300));
    EXPECT_TRUE(EndsWith(job, EojLines("Slip")));
  }
}

// --- The font state --------------------------------------------------------------

TEST_F(JobFramingTest, ResetFontStateForgetsFontsTextModesAndSettings) {
  HANDLE printer = FilePrinter(kMonoModel, kPdlPcl5e);
  PDEV* pdev = NewJobPdev(printer, kPdlPcl5e);
  pdev->currentFont = 12;
  for (auto& state : pdev->carried.savedTextStates)
    for (DWORD& value : state) value = 9;
  for (WORD& word : pdev->carried.pclModeWords) word = 77;
  DeviceSettings sent;
  sent.mask = kSettingsCopies;
  sent.copies = 3;
  std::memcpy(pdev->carried.jobSettings, &sent, sizeof sent);
  pdev->carried.softFontCounter = 40;
  pdev->carried.vmEstimate = 1234;

  ResetFontState(pdev);
  EXPECT_EQ(pdev->currentFont, kNoCurrentFont);
  for (const auto& state : pdev->carried.savedTextStates)
    for (DWORD value : state) EXPECT_EQ(value, 0u);
  const WORD modes[kPclModeWordCount] = {0, 1, 0, 0, 0, 0, 255};
  for (int i = 0; i < kPclModeWordCount; ++i) EXPECT_EQ(pdev->carried.pclModeWords[i], modes[i]) << i;
  EXPECT_EQ(CurrentDeviceSettings(pdev).mask, 0u);
  EXPECT_EQ(CurrentDeviceSettings(pdev).copies, 0u);
  // What the document's fonts own is released with them, not here.
  EXPECT_EQ(pdev->carried.softFontCounter, 40);
  EXPECT_EQ(pdev->carried.vmEstimate, 1234u);
}

// --- Whole jobs in real interpreters -------------------------------------------

TEST_F(JobFramingTest, WholePostScriptJobRunsInGhostscript) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "gs is not installed";
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  struct Case {
    const char* what;
    WORD epsMode;
    DWORD advanced;
    WORD acrobat;
    bool centric;
  } cases[] = {
      {"normal variant", 0, 0, 0, false},
      {"EPS variant", 1, 0, 0, false},
      {"error handler and user parameters", 0, 0x18, 0, false},
      {"EPS variant with error handler, Acrobat", 1, 0x18, 6, false},
      {"PostScript-centric with DSC", 0, 0x10, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = NewJobPdev(printer, kPdlPs3, "Whole \"job\"", kBit28 | kBit29);
    pdev->job.epsMode = c.epsMode;
    pdev->devmode.dmPrivate._dwAdvSettings = c.advanced;
    pdev->carried.acrobatVersion = c.acrobat;
    if (c.centric) {
      pdev->injectionMode = 2;
      ASSERT_EQ(CreateInjectData(pdev), 1);
      const std::string comment = "%%Title: injected\n";
      AppendInjectionData(pdev, PSINJECT_COMMENTS, comment.data(), DWORD(comment.size()));
    }
    // One page between the frame, drawn as the page writers draw: a filled
    // rectangle from the dictionary's procedures, the page restore, showpage.
    const std::string job =
        Job(pdev, true, true, [](PDEV* p) { WriteOut(p, kWriteText, 0, "0 g 100 100 200 150 rf\nRS\nshowpage\n"); });
    if (c.centric) DestroyInjectData(pdev);
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    ASSERT_TRUE(report.ok()) << report.Summary();
    const std::vector<std::string> postScript = report.PostScript();
    ASSERT_EQ(postScript.size(), 1u);
    EXPECT_TRUE(StartsWith(postScript[0], "%!\n")) << Show(postScript[0].substr(0, 80));

    const GhostscriptRun run = RunPostScriptJob(postScript[0]);
    EXPECT_TRUE(run.Clean()) << run.output;
    ASSERT_EQ(run.pages.size(), 1u) << run.output;
    const RenderedPage& page = run.pages[0];
    // The rectangle (100,100)-(300,250) in default user space, rows from the top.
    const int top = page.height - 250;
    EXPECT_GT(page.DarkCount(102, top + 2, 196, 146), 196 * 146 * 9 / 10);
    EXPECT_EQ(page.DarkCount(0, 0, page.width, top - 1), 0);
    EXPECT_EQ(page.DarkCount(0, page.height - 99, page.width, 99), 0);
  }
}

TEST_F(JobFramingTest, BarePostScriptJobOfA932SystemRunsInGhostscript) {
  if (!GhostscriptAvailable()) GTEST_SKIP() << "gs is not installed";
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  HANDLE printer = FilePrinter(kColourModel, kPdlPs3);
  PDEV* pdev = NewJobPdev(printer, kPdlPs3, "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\x91");
  const std::string job = Job(pdev);
  ASSERT_TRUE(StartsWith(job, "%!\n")) << Show(job.substr(0, 80));
  const GhostscriptRun run = RunPostScriptJob(job);
  EXPECT_TRUE(run.Clean()) << run.output;
  EXPECT_EQ(run.pages.size(), 0u) << "an empty document prints nothing";
}

}  // namespace
}  // namespace graphicstest
