// The PCL overlay macro: selected or defined on the first page, called or laid
// under every later page, defined again after every printer reset so that page
// 5 still finds the macro of page 1, and left out (reported, the job printing
// on) when its host file cannot be used. Whole jobs are read back with the
// structural PCL reader, which deletes temporary macros at a reset as a
// printer does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_begin.h"
#include "graphics/output/page/page_setup_page.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/stream/output.h"
#include "graphics/util/diagnostic.h"
#include "platform/base/codepage.h"
#include "tests/graphics/page_setup_fixture.h"
#include "tests/support/pcl_reader.h"

namespace graphicstest {
namespace {

std::vector<std::string> g_diagnostics;
void RecordDiagnostic(const char* tag) { g_diagnostics.push_back(tag); }

class OverlayMacroTest : public PageSetupTest {
 protected:
  void SetUp() override {
    PageSetupTest::SetUp();
    g_diagnostics.clear();
    previous_ = SetDiagnosticObserver(RecordDiagnostic);
  }
  void TearDown() override {
    SetDiagnosticObserver(previous_);
    PageSetupTest::TearDown();
  }
  // An installed-macro record of the mono model for macro id `id`.
  void InstallMacro(DWORD id, const std::string& windowsPath, const std::string* contents) {
    if (contents != nullptr) {
      std::filesystem::path host = Host(platform::Utf8FromAnsi(windowsPath));
      std::filesystem::create_directories(host.parent_path());
      std::ofstream(host, std::ios::binary) << *contents;
    }
    const std::string record = std::to_string(id) + ",Form," + windowsPath + ";";
    ASSERT_EQ(db.SetString(0, kStoreUserMacros, "HostInfo\\Nardo Page M3020", ("Macro_" + std::to_string(id)).c_str(),
                           record.c_str()),
              0u);
  }
  PdevPtr MacroPdev(DWORD location, DWORD id, const char* name, DWORD background) {
    return PclPdev([&](XDEVMODE& dm) {
      dm.dmPrivate._nMacroLocation = location;
      dm.dmPrivate._lMacroId = id;
      std::snprintf(dm.dmPrivate._sMacroName, sizeof dm.dmPrivate._sMacroName, "%s", name);
      dm.dmPrivate._bMacroBackground = background;
    });
  }
  // The set-up of page `page` (the page store counts it before).
  std::string PageSetUp(PDEV* pdev, DWORD page) {
    return Bytes(pdev, [&] {
      pdev->pages.pagesStarted = page;
      EnableOverlayMacro(pdev);
    });
  }
  DiagnosticObserver previous_ = nullptr;
};

TEST_F(OverlayMacroTest, FirstPageSetsUpTheMacroLaterPagesCallIt) {
  const std::string form = Esc("ESC*p100x100YFORM TEXT");
  InstallMacro(7, "C:\\Forms\\form.mac", &form);
  struct Case {
    const char* what;
    DWORD location;
    DWORD background;
    std::string first;
    std::string later;
  } cases[] = {
      {"in the printer by number", kMacroPrinterById, 0, Esc("ESC&f7YESC&f4X"), Esc("ESC&f4X")},
      {"in the printer by number, called", kMacroPrinterById, 1, Esc("ESC&f7YESC&f3X"), Esc("ESC&f3X")},
      {"in the printer by name", kMacroPrinterByName, 0,
       Esc("ESC&n6W") + "\x04" + "FORM1" + Esc("ESC&n6W") + "\x05" + "FORM1" + Esc("ESC&f4X"), Esc("ESC&f4X")},
      {"a host file, defined by the job", kMacroHostFile, 0, Esc("ESC&f7YESC&f0X") + form + Esc("ESC&f1XESC&f4X"),
       Esc("ESC&f4X")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = MacroPdev(c.location, 7, "FORM1", c.background);
    ASSERT_TRUE(pdev);
    pdev->currentFont = 3;
    EXPECT_EQ(PageSetUp(pdev.get(), 1), c.first);
    EXPECT_EQ(pdev->currentFont, kNoCurrentFont);
    EXPECT_EQ(PageSetUp(pdev.get(), 2), c.later);
    EXPECT_EQ(PageSetUp(pdev.get(), 5), c.later);
  }
  EXPECT_TRUE(g_diagnostics.empty());
}

TEST_F(OverlayMacroTest, UnusableMacroIsReportedAndLeftOut) {
  const std::string empty;
  InstallMacro(1, "C:\\Forms\\empty.mac", &empty);
  InstallMacro(2, "C:\\Forms\\missing.mac", nullptr);
  std::filesystem::create_directories(Host("C:\\Forms\\folder.mac"));
  InstallMacro(3, "C:\\Forms\\folder.mac", nullptr);
  struct Case {
    const char* what;
    DWORD location;
    DWORD id;
    const char* name;
    const char* tag;
  } cases[] = {
      {"empty host file", kMacroHostFile, 1, "", "MACROFILE"},
      {"missing host file", kMacroHostFile, 2, "", "MACROFILE"},
      {"a folder, not a file", kMacroHostFile, 3, "", "MACROFILE"},
      {"no installed-macro record", kMacroHostFile, 9, "", "MACROFILE"},
      {"no name", kMacroPrinterByName, 0, "", "MACRONAME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_diagnostics.clear();
    PdevPtr pdev = MacroPdev(c.location, c.id, c.name, 0);
    ASSERT_TRUE(pdev);
    EXPECT_EQ(PageSetUp(pdev.get(), 1), "");
    EXPECT_EQ(PageSetUp(pdev.get(), 2), "") << "no call of a macro that is not there";
    EXPECT_EQ(g_diagnostics, std::vector<std::string>{c.tag});
  }
  EXPECT_FALSE(std::filesystem::exists(Host("C:\\Forms\\missing.mac")));
}

// A job of five pages with printer resets after page 1 (its job settings),
// before page 3 (a banner sheet with its own settings) and before page 5 (a
// change of copies): every page calls a macro that the printer holds.
TEST_F(OverlayMacroTest, MacroOfPageOneIsStillCalledOnPageFiveAfterResets) {
  const std::string form = Esc("ESC*p0x0YFORM");
  InstallMacro(4, "C:\\Forms\\form.mac", &form);
  for (DWORD location : {kMacroHostFile, kMacroPrinterById, kMacroPrinterByName}) {
    for (DWORD background : {0u, 1u}) {
      SCOPED_TRACE("location " + std::to_string(location) + ", background " + std::to_string(background));
      PdevPtr pdev = MacroPdev(location, 4, "FORM1", background);
      ASSERT_TRUE(pdev);
      PDEV* p = pdev.get();
      p->job.jobLineWritten = 0;
      const std::string job = Bytes(p, [&] {
        WriteJobHeader(p);
        for (DWORD page = 1; page <= 5; ++page) {
          p->pages.pagesStarted = page;
          p->pages.sheetPageIndex = 1;
          if (page == 1) EmitJobSettings(p, TRUE);
          if (page == 3) {
            EmitPageBegin(p, kSheetBanner, 1);
            WriteOut(p, kWriteText, 0, "BANNER");
            EmitShowPage(p, kSheetBanner, 1);
          }
          if (page == 5) {
            DeviceSettings copies = CurrentDeviceSettings(p);
            copies.mask = kSettingsCopies;
            copies.copies = 2;
            WritePjlJobSettings(p, &copies, FALSE);
          }
          EmitJobSettings(p, FALSE);
          EmitPageSetup(p);
          WriteOut(p, kWriteText, 0, "PAGE");
          EmitPageTrailer(p, TRUE, FALSE);
        }
        DisableOverlayMacro(p);
        WriteJobTrailer(p);
      });
      const testsupport::PclReport report = testsupport::ReadPclJob(job);
      EXPECT_TRUE(report.ok()) << report.Summary();
      EXPECT_GE(report.resets, 4) << "the job resets the printer where the test expects it";
      EXPECT_EQ(report.formFeeds, 6) << "five pages and the banner";
      std::vector<const testsupport::MacroCall*> pageCalls;
      for (const testsupport::MacroCall& call : report.macroCalls) {
        if (call.control == 3 || call.control == 4) pageCalls.push_back(&call);
      }
      ASSERT_EQ(pageCalls.size(), 5u) << "one call or enable per page, none on the banner";
      if (location == kMacroHostFile) {
        for (const testsupport::MacroCall* call : pageCalls) {
          EXPECT_TRUE(call->defined) << "a call at offset " << call->offset << " of a deleted macro";
          EXPECT_EQ(call->id, 4);
        }
      } else {
        for (const testsupport::MacroCall* call : pageCalls) EXPECT_EQ(call->id, location == kMacroPrinterById ? 4 : 0);
      }
      // The printer's macro is selected again after every reset, before the
      // page that calls it.
      const std::string select = location == kMacroPrinterByName ? Esc("ESC&n6W") + "\x04" + "FORM1" : Esc("ESC&f4Y");
      size_t selections = 0;
      for (size_t at = job.find(select); at != std::string::npos; at = job.find(select, at + 1)) ++selections;
      EXPECT_GE(selections, 3u);
      EXPECT_EQ(job.find(Esc("ESC&f5X")) < job.rfind(Esc("ESCE")), true) << "the overlay ends before the job";
    }
  }
}

TEST_F(OverlayMacroTest, DisablingIsForPclJobsOnly) {
  PdevPtr pcl = PclPdev();
  ASSERT_TRUE(pcl);
  EXPECT_EQ(Bytes(pcl.get(), [&] { EXPECT_EQ(DisableOverlayMacro(pcl.get()), 1); }), Esc("ESC&f5X"));
  PdevPtr ps = PostScriptPdev([](XDEVMODE& dm) { dm.dmPrivate._nMacroLocation = kMacroPrinterById; });
  ASSERT_TRUE(ps);
  EXPECT_EQ(Bytes(ps.get(),
                  [&] {
                    EXPECT_EQ(DisableOverlayMacro(ps.get()), 1);
                    EXPECT_EQ(EnableOverlayMacro(ps.get()), 0);
                  }),
            "");
}

TEST(PclEscapeFormat, NumberAndDataForms) {
  char buffer[64];
  EXPECT_EQ(FormatPclEscape(buffer, sizeof buffer, '&', 'f', 'X', 3), 5);
  EXPECT_EQ(std::string(buffer), "\x1b&f3X");
  EXPECT_EQ(FormatPclEscape(buffer, sizeof buffer, '&', 'f', 'Y', 4294967295u), 14);
  EXPECT_EQ(std::string(buffer), "\x1b&f4294967295Y");
  EXPECT_EQ(FormatPclEscapeData(buffer, sizeof buffer, '&', 'n', 'W', 4, "FORM1", 5), 11);
  EXPECT_EQ(std::string(buffer, 11),
            "\x1b&n6W\x04"
            "FORM1");
  EXPECT_EQ(FormatPclEscapeData(buffer, 8, '&', 'n', 'W', 4, "FORM1", 5), -1) << "does not fit";
  EXPECT_EQ(FormatPclEscape(buffer, 3, '&', 'f', 'X', 3), -1);
}

}  // namespace
}  // namespace graphicstest
