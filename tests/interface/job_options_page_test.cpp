// The job options page as a user drives it: the banner page with its texts, the
// output destination and the macro of PCL 5 jobs, and the installer button
// while the installer library cannot be had.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "interface/app/library_state.h"
#include "interface/records/printer_info.h"
#include "platform/base/modules.h"
#include "tests/interface/page_test_support.h"

namespace pagetest {
namespace {

using JobOptionsPageTest = PageTest;

constexpr const char* kPage = "pick 1028 #1\n";  // the second page of the list

TEST_F(JobOptionsPageTest, BannerTextsAreKeptWhereTheModelOffersThem) {
  HANDLE colour = Printer(kColour), mono = Printer(kMono);
  // The colour model offers a user name and a note, the mono one only the user name.
  SheetRun run = Run(colour, Settings(colour, kColour, kPostScript),
                     std::string(kPage) +
                         "expect 1112 disabled\ncheck 1461 on\ntype 1112 \"Sales-42\"\n"
                         "type 1452 \"Room 3\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._epBanner.on, 1u);
  EXPECT_STREQ(run.out.dmPrivate._sAccount, "Sales-42");
  EXPECT_STREQ(run.out.dmPrivate._sNote, "Room 3");

  run = Run(mono, Settings(mono, kMono, kPcl5),
            std::string(kPage) + "expect 1452 hidden\ncheck 1461 on\ntype 1112 \"" + std::string(40, 'x') + "\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(std::string(run.out.dmPrivate._sAccount), std::string(31, 'x'));
  EXPECT_EQ(run.out.dmPrivate._sAccount[31], 0);
}

TEST_F(JobOptionsPageTest, TheBannerIsClosedWhileSpoolingAsMetafile) {
  HANDLE printer = Printer(kMono);
  XDEVMODE in = Settings(printer, kMono, kPcl5);
  in.dmPrivate._dwAdvSettings |= kAdvEmfSpooling;
  const SheetRun run = Run(printer, in, std::string(kPage) + "expect 1461 disabled\nok\n");
  EXPECT_EQ(run.error, "");
}

TEST_F(JobOptionsPageTest, OnlyPcl5JobsChooseAnOutputAndAMacro) {
  HANDLE colour = Printer(kColour), mono = Printer(kMono);
  const struct {
    HANDLE printer;
    Model model;
    WORD pdl;
    bool shown;
  } cases[] = {{colour, kColour, kPostScript, false},
               {colour, kColour, kPcl5, true},
               {mono, kMono, kPcl5, true},
               {mono, kMono, kPclXl, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.model.file) + " pdl " + std::to_string(c.pdl));
    const char* state = c.shown ? "visible" : "hidden";
    const SheetRun run = Run(
        c.printer, Settings(c.printer, c.model, c.pdl),
        std::string(kPage) + "expect 1081 " + state + "\nexpect 1178 " + state + "\nexpect 1157 " + state + "\nok\n");
    EXPECT_EQ(run.error, "");
  }
}

TEST_F(JobOptionsPageTest, AMacroOutputAndAMacroAreStored) {
  HANDLE printer = Printer(kMono);
  SetString(printer, kStorePrinterMacros, "MacroDisk", "List", "5;");
  SetString(printer, kStorePrinterMacros, "MacroDisk", "5", "2,Letterhead,0:\\macros\\5");
  XDEVMODE in = Settings(printer, kMono, kPcl5);
  SheetRun run = Run(printer, in, std::string(kPage) + "pick 1081 \"PCL マクロ\"\npick 1178 #0\ncheck 1716 on\nok\n");
  ASSERT_EQ(run.error, "");
  const XDEVMODE_PRIVATE& p = run.out.dmPrivate;
  EXPECT_EQ(p._nOutputDest, 5);
  EXPECT_EQ(p._nTrueTypeMode, 2);
  EXPECT_EQ(run.out.dmPublic.dmTTOption, 2);
  EXPECT_STREQ(p._sMacroName, "Letterhead");
  EXPECT_EQ(p._lMacroId, 5u);
  EXPECT_EQ(p._nMacroLocation, 3u);
  EXPECT_EQ(p._bMacroBackground, 1u);

  in = run.out;
  run = Run(printer, in, std::string(kPage) + "pick 1178 \"[なし]\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(static_cast<int32_t>(run.out.dmPrivate._lMacroId), -1);
  EXPECT_EQ(run.out.dmPrivate._nMacroLocation, 0u);
}

// The library's folder without an installer, and with a library of that name
// that has no entry: the user is told the system's reason, the library is not
// kept, and the page goes on.
TEST_F(JobOptionsPageTest, AnInstallerThatCannotBeHadIsReportedWithTheSystemError) {
  HANDLE printer = Printer(kMono);
  const XDEVMODE in = Settings(printer, kMono, kPcl5);
  const std::filesystem::path folder = root() / "library folder";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(uitest::BuiltModule("zeluid5.dll"), folder / "zeluid5.dll");
  const std::string copy = uitest::AnsiWindowsPath(folder / "zeluid5.dll");
  HMODULE resources = LoadLibraryExA(copy.c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(resources, 0u);
  SetLibraryInstance(resources);

  const struct {
    bool libraryThere;
    const char* code;
  } cases[] = {{false, "エラーコード 126"}, {true, "エラーコード 127"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    // A library without the entry: the settings library under the installer's name.
    if (c.libraryThere) std::filesystem::copy_file(uitest::BuiltModule("zeldb5.dll"), folder / "kovpcl32d5.dll");
    const SheetRun run = Run(printer, in, std::string(kPage) + "click 1157\ncheck 1461 on\nok\n");
    ASSERT_EQ(run.error, "");
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_NE(run.boxes[0].find("フォントとフォームインストーラをロードできません。 " + std::string(c.code)),
              std::string::npos)
        << run.boxes[0];
    EXPECT_NE(run.boxes[0].find("エラー"), std::string::npos);
    EXPECT_EQ(GetModuleHandleA("kovpcl32d5.dll"), 0u);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.out.dmPrivate._epBanner.on, 1u);
  }
  SetLibraryInstance(library_);
  FreeLibrary(resources);
}

// With an installer beside the library: it runs on the printer's macros with
// the page as owner, and the macro list is read again afterwards.
TEST_F(JobOptionsPageTest, TheInstallerRunsOnThePrintersMacros) {
  HANDLE printer = Printer(kMono);
  XDEVMODE in = Settings(printer, kMono, kPcl5);
  const std::filesystem::path folder = root() / "library folder";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(uitest::BuiltModule("zeluid5.dll"), folder / "zeluid5.dll");
  std::filesystem::copy_file(std::filesystem::path(ZEL_TEST_MODULE_DIR) / "installer_stand_in.dll",
                             folder / "kovpcl32d5.dll");
  const std::filesystem::path log = root() / "installer-calls.txt";
  setenv("ZEL_TEST_INSTALLER_LOG", log.c_str(), 1);
  HMODULE resources =
      LoadLibraryExA(uitest::AnsiWindowsPath(folder / "zeluid5.dll").c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(resources, 0u);
  SetLibraryInstance(resources);

  // The installer adds a macro on the printer's disk while it runs.
  SheetRun run = Run(printer, in, std::string(kPage) + "click 1157\nok\n");
  in.dmPrivate._dwPrinterAttributes |= 0x40;  // shared
  SetString(printer, kStorePrinterMacros, "MacroDisk", "List", "8;");
  SetString(printer, kStorePrinterMacros, "MacroDisk", "8", "2,Form,0:\\macros\\8");
  run = Run(printer, in, std::string(kPage) + "click 1157\npick 1178 #0\nok\n");
  SetLibraryInstance(library_);
  FreeLibrary(resources);
  unsetenv("ZEL_TEST_INSTALLER_LOG");

  ASSERT_EQ(run.error, "");
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_STREQ(run.out.dmPrivate._sMacroName, "Form");
  std::ifstream calls(log);
  std::string first, second;
  std::getline(calls, first);
  std::getline(calls, second);
  // Full access (14), started from the driver (0x40), and shared (0x10) the second time.
  // The reserved pointer is the settings' port name, which the sheet fills from the printer.
  BYTE* info = GetPrinterInfo(printer, 2);
  ASSERT_NE(info, nullptr);
  const std::string port = reinterpret_cast<PRINTER_INFO_2A*>(info)->pPortName;
  FreePrinterInfo(info);
  const std::string expected = std::string("owner|") + kMono.printer + "|" + port + "|";
  EXPECT_EQ(first.substr(0, expected.size()), expected) << first;
  EXPECT_NE(first.find("|32|0x4E"), std::string::npos) << first;
  EXPECT_NE(second.find("|32|0x5E"), std::string::npos) << second;
  EXPECT_EQ(GetModuleHandleA("kovpcl32d5.dll"), 0u);
}

}  // namespace
}  // namespace pagetest
