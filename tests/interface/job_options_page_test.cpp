// The job options page as a user drives it: the banner page with its texts, the
// output destination and the macro of PCL 5 jobs, and the installer button
// while the installer library cannot be had.
#include <filesystem>
#include <string>

#include "interface/app/library_state.h"
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
                     std::string(kPage) + "expect 1112 disabled\ncheck 1461 on\ntype 1112 \"Sales-42\"\n"
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
  } cases[] = {{colour, kColour, kPostScript, false}, {colour, kColour, kPcl5, true},
               {mono, kMono, kPcl5, true},            {mono, kMono, kPclXl, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.model.file) + " pdl " + std::to_string(c.pdl));
    const char* state = c.shown ? "visible" : "hidden";
    const SheetRun run = Run(c.printer, Settings(c.printer, c.model, c.pdl),
                             std::string(kPage) + "expect 1081 " + state + "\nexpect 1178 " + state +
                                 "\nexpect 1157 " + state + "\nok\n");
    EXPECT_EQ(run.error, "");
  }
}

TEST_F(JobOptionsPageTest, AMacroOutputAndAMacroAreStored) {
  HANDLE printer = Printer(kMono);
  SetString(printer, kStorePrinterMacros, "MacroDisk", "List", "5;");
  SetString(printer, kStorePrinterMacros, "MacroDisk", "5", "2,Letterhead,0:\\macros\\5");
  XDEVMODE in = Settings(printer, kMono, kPcl5);
  SheetRun run = Run(printer, in,
                     std::string(kPage) + "pick 1081 \"PCL マクロ\"\npick 1178 #0\ncheck 1716 on\nok\n");
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

}  // namespace
}  // namespace pagetest
