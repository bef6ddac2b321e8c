// The installer as an application starts it: kovpcl32d5.dll loaded by file
// name, EnterInstaller bound by name and run with a scripted user, for the
// macros the driver's job options page asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "common/settings_store.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/macro_names.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/processes.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/help.h"
#include "platform/ui/ui_script.h"
#include "tests/fontinstaller/installer_test_support.h"
#include "tests/support/pcl_reader.h"

namespace installertest {
namespace {

namespace fs = std::filesystem;
constexpr char kPrinter[] = "Nardo M";
constexpr char kPort[] = "C:\\Ports\\out.prn";
constexpr char kInfoFile[] = "C:\\Work\\shared.pri";
constexpr DWORD kDriverFlags = 0x5E;  // may change, may choose the file, shared file
using EnterInstallerFn = int (*)(HWND, LPCSTR, void*, int, DWORD);

class InstallerSessionTest : public InstallerTest {
 protected:
  void SetUp() override {
    InstallerTest::SetUp();
    InstallPrinter(kPrinter, kPort);
    const std::string path =
        platform::AnsiFromUtf8(platform::WindowsPathFromHost(fs::path(ZEL_DRIVER_DIR) / "kovpcl32d5.dll"));
    module_ = LoadLibraryA(path.c_str());
    ASSERT_NE(module_, 0u);
    enter_ = reinterpret_cast<EnterInstallerFn>(GetProcAddress(module_, "EnterInstaller"));
    ASSERT_NE(enter_, nullptr);
    macro_ = Payload();
    WriteFile("C:\\Work\\macros\\logo.mac", macro_);
    WriteFile("C:\\Work\\macros\\form.mac", Text("\x1B&a0R form"));
    WriteFile(kInfoFile, Text("[Fonts]\r\nChangeCounter=0\r\n[Macros]\r\nChangeCounter=0\r\n"));
    ASSERT_EQ(Store().SetString(0, kStoreUser, "FolderPath", "PCLMacro", "C:\\Work\\macros"), 0u);
    ASSERT_EQ(Store().SetString(0, kStoreUserMacros, kHostSection, "Global", kInfoFile), 0u);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    InstallerTest::TearDown();
  }
  static Bytes Payload() {
    Bytes bytes(1500);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>('A' + i % 26);
    return bytes;
  }
  // One run of the macros dialog with the scripted user; the boxes it saw.
  std::vector<std::string> Run(const std::string& text, DWORD flags = kDriverFlags) {
    platform::ui::UiScript script;
    EXPECT_TRUE(script.Load("session.txt", text)) << script.error();
    script.Install();
    EXPECT_EQ(enter_(0, kPrinter, nullptr, 32, flags), 0);
    script.Finish();
    script.Uninstall();
    EXPECT_FALSE(script.failed()) << script.error();
    return script.boxes();
  }
  std::string UserMacro(const std::string& key) {
    char value[1024] = {};
    DWORD size = sizeof value;
    if (Store().GetString(0, kStoreUserMacros, kHostSection, key.c_str(), value, &size) != 0) return "<none>";
    return value;
  }
  std::string Pri(const char* section, const char* key) {
    char value[512] = {};
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, kInfoFile);
    return value;
  }
  std::string PortText() {
    const Bytes bytes = ReadFile(kPort);
    return std::string(bytes.begin(), bytes.end());
  }
  std::string MacrosFolder() { return Folder(kFolderUserPclMacros); }
  std::string Picture(const std::string& name) { return (fs::path(ZEL_BINARY_DIR) / "pictures" / name).string(); }

  HMODULE module_ = 0;
  EnterInstallerFn enter_ = nullptr;
  Bytes macro_;
};

const char kInstallToPc[] = R"(dialog "PCLマクロ"
expect 1022 disabled
click 1024
  dialog "マクロの登録"
  expect 1026 disabled
  pick 1039 #1
  expect 1019 text "logo.mac [C:\\Work\\macros\\logo.mac]"
  answer ok
  click 1026
    dialog "マクロ情報"
    type 173 "LOGO" replace
    ok
  expect 1019 text "LOGO installed."
  click 3
)";

TEST_F(InstallerSessionTest, MacrosGoToThePcAndThePrinterDiskAndComeBackOut) {
  fs::create_directories(Picture(""));
  // To this PC's disk: the file is copied into the macros folder and recorded.
  std::vector<std::string> seen =
      Run(std::string(kInstallToPc) + "png \"" + Picture("macros_dialog.png") + "\"\ncancel\n");
  const std::string copy = MacrosFolder() + "\\logo.mac";
  // clang-format off
  EXPECT_EQ(UserMacro("Macro_1000"), "0," "LOGO," + copy);
  // clang-format on
  EXPECT_EQ(UserMacro("Macro_List"), "1000;");
  EXPECT_EQ(ReadFile(copy), macro_);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "PCLマクロインストーラ: 登録終了");

  // To the printer's disk: a raw job stores the file under the macro's name and
  // the shared file lists it.
  Run(R"(dialog "PCLマクロ"
click 1024
  dialog "マクロの登録"
  check 1010 on
  pick 1039 #1
  png ")" +
      Picture("macro_install_dialog.png") + R"("
  answer ok
  click 1026
    dialog "マクロ情報"
    type 173 "LOGODISK" replace
    png ")" +
      Picture("macro_information.png") + R"("
    ok
  click 3
cancel
)");
  EXPECT_EQ(PortText(),
            "\x1B%-12345X@PJL FSMKDIR NAME =\"0:/pcl\"\n@PJL FSMKDIR NAME =\"0:/pcl/macros\"\n"
            "@PJL FSDOWNLOAD FORMAT:BINARY NAME =\"0:/pcl/macros/LOGODISK\" SIZE=1500\n" +
                std::string(macro_.begin(), macro_.end()) + "\x1B%-12345X");
  EXPECT_EQ(Pri("Macros", "3000"), "0,LOGODISK,C:\\Work\\macros\\logo.mac");
  EXPECT_EQ(Pri("Macros", "ChangeCounter"), "1");

  // Into the printer's memory: the PC macro is defined and made permanent.
  Run(R"(dialog "PCLマクロ"
pick 1039 #0
expect 1009 enabled
answer ok
click 1009
expect 1019 text "LOGO downloaded."
cancel
)");
  EXPECT_EQ(PortText(),
            "\x1B%-12345X@PJL ENTER LANGUAGE = PCL\n\x1B"
            "E\x1B&f1000Y\x1B&f0X" +
                std::string(macro_.begin(), macro_.end()) + "\x1B&f1X\x1B&f10X\x1B%-12345X");
  EXPECT_NE(UserMacro("MacroMem_1000"), "<none>");

  // A new name is stored under the same id; the macro stays marked as loaded.
  Run(R"(dialog "PCLマクロ"
pick 1039 #0
click 1022
  dialog "マクロ属性の編集"
  expect 1038 checked
  type 173 "LOGO2" replace
  png ")" +
      Picture("macro_attributes.png") + R"("
  ok
cancel
)");
  EXPECT_EQ(UserMacro("Macro_1000"), "4,LOGO2," + copy);
  EXPECT_NE(UserMacro("MacroMem_1000"), "<none>");

  // Deleting the printer-disk macro with its file sends the delete job.
  Run(R"(dialog "PCLマクロ"
pick 1039 #1
answer yes
click 1041
cancel
)");
  EXPECT_EQ(PortText(), "\x1B%-12345X@PJL FSDELETE NAME =\"0:/pcl/macros/LOGODISK\"\n\x1B%-12345X");
  EXPECT_EQ(Pri("Macros", "3000"), "<none>");
  EXPECT_EQ(Pri("Macros", "ChangeCounter"), "2");

  // Deleting the PC macro but keeping its file.
  Run(R"(dialog "PCLマクロ"
pick 1039 #0
answer no
click 1041
expect 1041 disabled
cancel
)");
  EXPECT_EQ(UserMacro("Macro_1000"), "<none>");
  EXPECT_EQ(UserMacro("Macro_List"), "");
  EXPECT_EQ(ReadFile(copy), macro_);
}

TEST(MacroNameRule, NamesThePrintersDiskCanTake) {
  using fontinstaller::CheckMacroName;
  using fontinstaller::MacroNameCheck;
  const struct {
    std::string name;
    MacroNameCheck check;
  } cases[] = {
      {"A", MacroNameCheck::kValid},
      {"ABCDEFGHIJKLMNOP", MacroNameCheck::kValid},
      {"ABCDEFGHIJKLMNOPQ", MacroNameCheck::kTooLong},
      {"", MacroNameCheck::kEmpty},
      {"LOGO.MAC", MacroNameCheck::kValid},
      {"\xB1\xB2", MacroNameCheck::kValid},          // half-width katakana are single bytes
      {"\x93\xFA", MacroNameCheck::kNotSingleByte},  // a double-byte character
      {"A\x7F", MacroNameCheck::kForbidden},
      {"A\x1B", MacroNameCheck::kForbidden},
      {"A\n", MacroNameCheck::kForbidden},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckMacroName(c.name), c.check) << c.name;
  for (char refused : std::string(" \\/:*?\"<>|")) {
    EXPECT_EQ(CheckMacroName(std::string("A") + refused + "B"), MacroNameCheck::kForbidden) << refused;
  }
}

TEST_F(InstallerSessionTest, TheNameDialogSaysWhyANameIsRefused) {
  const std::vector<std::string> seen = Run(R"(dialog "PCLマクロ"
click 1024
  dialog "マクロの登録"
  pick 1039 #1
  click 1022
    dialog "マクロ情報"
    type 173 "MY LOGO" replace
    answer ok
    ok
    type 173 "日本" replace
    answer ok
    ok
    clear 173
    ok
    expect 173 text "logo.mac"
    cancel
  click 3
cancel
)");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0],
            "PCLマクロインストーラ: マクロ名にはスペースまたは以下の文字を使用できません。\n\t \\ / : * ? < > | \"");
  EXPECT_EQ(seen[1], "PCLマクロインストーラ: マクロ名には半角英数字を指定して下さい。\n");
  EXPECT_EQ(UserMacro("Macro_List"), "<none>");
}

TEST_F(InstallerSessionTest, ASecondRunWhileOneIsOpenIsRefused) {
  int inner = -1;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    inner = enter_(request.dialog, kPrinter, nullptr, 32, kDriverFlags);
    EndDialog(request.dialog, IDCANCEL);
  });
  EXPECT_EQ(enter_(0, kPrinter, nullptr, 32, kDriverFlags), 0);
  platform::SetDialogHandler(nullptr);
  EXPECT_EQ(inner, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "プログラムはすでに実行されています。");
  EXPECT_EQ(boxes[0].caption, "PCLインストーラ");
  // Once the first run ended, the next one opens.
  bool opened = false;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    opened = true;
    EndDialog(request.dialog, IDCANCEL);
  });
  enter_(0, kPrinter, nullptr, 32, kDriverFlags);
  platform::SetDialogHandler(nullptr);
  EXPECT_TRUE(opened);
  // Kinds other than fonts and macros open nothing.
  opened = false;
  platform::SetDialogHandler([&](const platform::DialogRequest&) { opened = true; });
  EXPECT_EQ(enter_(0, kPrinter, nullptr, 48, kDriverFlags), 0);
  platform::SetDialogHandler(nullptr);
  EXPECT_FALSE(opened);
}

TEST_F(InstallerSessionTest, HelpOpensTheTopicWithThePathAsOneArgument) {
  // The driver's data file names a compiled help file.
  HANDLE printer = OpenPrinterForTest(kPrinter);
  BYTE buffer[4096];
  DWORD needed = 0;
  ASSERT_TRUE(GetPrinterDriverA(printer, nullptr, 2, buffer, sizeof buffer, &needed));
  const std::string dataFile = reinterpret_cast<DRIVER_INFO_2A*>(buffer)->pDataFile;
  ASSERT_TRUE(WritePrivateProfileStringA("General", "PCLFontInstallerHelp", "pcl help.chm", dataFile.c_str()));
  std::vector<platform::HelpRequest> help;
  platform::SetHelpHandler([&](const platform::HelpRequest& request) { help.push_back(request); });
  Run(R"(dialog "PCLマクロ"
click 1012
click 1047
  dialog "マクロ構成ファイルの指定"
  click 1012
  click 1013
    dialog "バージョン情報"
    expect 27 text "Version 6.310.23.0"
    ok
  cancel
cancel
)");
  platform::SetHelpHandler(nullptr);
  ASSERT_EQ(help.size(), 2u);
  const std::string folder = platform::AnsiFromUtf8(platform::WindowsPathFromHost(fs::path(ZEL_DRIVER_DIR))) + "\\";
  EXPECT_EQ(help[0].commandLine, "hh.exe \"" + folder + "pcl help.chm::/dir/idh_pcl_macros.htm\"");
  EXPECT_EQ(platform::SplitCommandLine(help[1].commandLine).size(), 2u);
  EXPECT_NE(help[1].commandLine.find("idh_configure.htm"), std::string::npos);

  // An old-style help file opens its topic and is closed with the dialog; a
  // name too short to be a help file opens nothing.
  const struct {
    const char* file;
    size_t records;
  } files[] = {{"pcl.hlp", 2}, {"a.hl", 0}};
  for (const auto& f : files) {
    ASSERT_TRUE(WritePrivateProfileStringA("General", "PCLFontInstallerHelp", f.file, dataFile.c_str()));
    help.clear();
    platform::SetHelpHandler([&](const platform::HelpRequest& request) { help.push_back(request); });
    Run("dialog \"PCLマクロ\"\nclick 1012\ncancel\n");
    platform::SetHelpHandler(nullptr);
    ASSERT_EQ(help.size(), f.records) << f.file;
    if (f.records == 0) continue;
    EXPECT_EQ(help[0].viewer, "WinHelp");
    EXPECT_EQ(help[0].file, folder + f.file);
    EXPECT_EQ(help[0].command, static_cast<UINT>(HELP_CONTEXT));
    EXPECT_EQ(help[0].data, 3u);
    EXPECT_EQ(help[1].command, static_cast<UINT>(HELP_QUIT));
  }
}

TEST_F(InstallerSessionTest, AStaleListIsSyncedInsteadOfOverwritingAnotherPcsChange) {
  // Two PCs' queues of one printer share the information file.
  const char kOther[] = "Nardo M other PC";
  InstallPrinter(kOther, "C:\\Ports\\other.prn");
  fontinstaller::InstalledMacroEntry logo{};
  logo.id = 3000;
  logo.location = fontinstaller::kLocationPrinterDisk;
  std::strcpy(logo.name, "LOGODISK");
  std::strcpy(logo.filePath, "C:\\Work\\macros\\logo.mac");
  std::string first = kPrinter;
  ASSERT_EQ(UpdateInfoMacro(0, first.data(), &logo, nullptr, fontinstaller::kUpdateAdd, kDriverFlags), 1);

  size_t listedAtStart = 0;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    const HWND dialog = request.dialog;
    listedAtStart = static_cast<size_t>(SendDlgItemMessageA(dialog, 1039, LB_GETCOUNT, 0, 0));
    // While the other PC's dialog is open, the first renames the macro.
    fontinstaller::InstalledMacroEntry renamed = logo;
    std::strcpy(renamed.name, "NEWNAME");
    EXPECT_EQ(UpdateInfoMacro(0, first.data(), &logo, &renamed, fontinstaller::kUpdateChange, kDriverFlags), 1);
    // The other PC deletes what it still lists under the old name.
    SendDlgItemMessageA(dialog, 1039, LB_SETCURSEL, 0, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1039, LBN_SELCHANGE), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1041, BN_CLICKED), 0);
    EndDialog(dialog, IDCANCEL);
  });
  EXPECT_EQ(enter_(0, kOther, nullptr, 32, kDriverFlags), 0);
  platform::SetDialogHandler(nullptr);

  EXPECT_EQ(listedAtStart, 1u) << "the dialog's first update lists the first PC's macro";
  ASSERT_EQ(boxes.size(), 1u) << "no delete question: the stale list stopped the delete";
  EXPECT_EQ(boxes[0].text.substr(0, 30), std::string("環境が古いため削除できませんでした。").substr(0, 30));
  EXPECT_FALSE(FileExists("C:\\Ports\\other.prn")) << "no delete job";
  EXPECT_EQ(Pri("Macros", "3000"), "0,NEWNAME,C:\\Work\\macros\\logo.mac");
  const std::vector<fontinstaller::InstalledMacroEntry> other = fontinstaller::ReadMacroList(kOther);
  ASSERT_EQ(other.size(), 1u);
  EXPECT_STREQ(other[0].name, "NEWNAME") << "the sync took the first PC's change";
  EXPECT_EQ(fontinstaller::ReadChangeCounter(kOther, fontinstaller::kKindMacros),
            fontinstaller::ReadChangeCounter(kPrinter, fontinstaller::kKindMacros));
}

TEST_F(InstallerSessionTest, TheFlagsDecideWhatTheUserMayDo) {
  // Shared file but no right to change: everything is shown, nothing enabled.
  Run(R"(dialog "PCLマクロ"
expect 1024 disabled
expect 1037 visible
expect 1037 disabled
expect 1047 disabled
cancel
)",
      0x40);
  // No shared file: its controls are not there at all.
  Run(R"(dialog "PCLマクロ"
expect 1024 enabled
expect 1037 hidden
expect 1047 hidden
click 1024
  dialog "マクロの登録"
  expect 1010 enabled
  click 3
cancel
)",
      0x0E);
  // The printer's disk is offered under a shared file only with the right to choose it.
  Run(R"(dialog "PCLマクロ"
click 1024
  dialog "マクロの登録"
  expect 1010 disabled
  expect 1027 checked
  click 3
cancel
)",
      0x4E);
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class FontInstallerSessionTest : public InstallerSessionTest {
 protected:
  void SetUp() override {
    InstallerSessionTest::SetUp();
    DescriptorSpec spec;
    spec.name = "Gothic Test";
    GlyphSpec a;
    GlyphSpec b;
    b.code = 'B';
    font_ = SoftFont(spec, {a, b});
    WriteFile("C:\\Work\\fonts\\gothic.sfp", font_);
    ASSERT_EQ(Store().SetString(0, kStoreUser, "FolderPath", "PCLFont", "C:\\Work\\fonts"), 0u);
  }
  std::vector<std::string> RunFonts(const std::string& text) {
    platform::ui::UiScript script;
    EXPECT_TRUE(script.Load("fonts.txt", text)) << script.error();
    script.Install();
    EXPECT_EQ(enter_(0, kPrinter, nullptr, 16, kDriverFlags), 0);
    script.Finish();
    script.Uninstall();
    EXPECT_FALSE(script.failed()) << script.error();
    return script.boxes();
  }
  Bytes font_;
};

TEST_F(FontInstallerSessionTest, ASoftFontGoesToThePcAndThePrinterDiskAndComesBackOut) {
  fs::create_directories(Picture(""));
  RunFonts(R"(dialog "PCLフォント"
click 1024
  dialog "フォントの登録"
  pick 1029 #0
  expect 1019 text "Gothic Test 12pt  [portrait,landscape, C:\\Work\\fonts\\gothic.sfp]"
  png ")" + Picture("font_install_dialog.png") +
           R"("
  answer ok
  click 1026
  expect 1019 text "Gothic Test 12pt  installed."
  check 1010 on
  answer ok
  click 1026
  click 3
pick 1029 #0
png ")" + Picture("fonts_dialog.png") +
           R"("
cancel
)");
  const std::string pcCopy = Folder(kFolderUserPclFonts) + "\\gothic.sfp";
  EXPECT_EQ(ReadFile(pcCopy), font_);
  EXPECT_EQ(ReadFile(Folder(kFolderUserPclFonts) + "\\gothic.pfm").size(), 689u);
  EXPECT_EQ(Pri("Fonts", "3000"), "0,gothic.pfm,C:\\Work\\fonts\\gothic.sfp");
  EXPECT_TRUE(FileExists("C:\\Work\\gothic.pfm")) << "the metrics travel with the shared file";
  const std::string diskJob = PortText();
  // clang-format off
  EXPECT_EQ(diskJob.rfind("\x1B%-12345X@PJL FSMKDIR NAME =\"0:/fonts\"\n@PJL FSDOWNLOAD FORMAT:BINARY NAME =\"0:/fonts/3000\" SIZE=", 0), 0u);
  // clang-format on
  EXPECT_FALSE(FileExists(Folder(kFolderPclDiskFonts) + "\\temp"));

  // The PC font into memory, then both deleted.
  RunFonts(R"(dialog "PCLフォント"
pick 1029 #0
answer ok
click 1009
expect 1019 text "Gothic Test 12pt  downloaded."
cancel
)");
  EXPECT_EQ(PortText(),
            "\x1B%-12345X@PJL ENTER LANGUAGE = PCL\n\x1B"
            "E\x1B*c1000D" +
                std::string(font_.begin(), font_.end()) + "\x1B*c5F\x1B%-12345X");
  RunFonts(R"(dialog "PCLフォント"
pick 1029 #1
answer yes
click 1041
pick 1029 #0
answer yes
click 1041
cancel
)");
  EXPECT_EQ(PortText(), "\x1B%-12345X@PJL FSDELETE NAME =\"0:/fonts/3000\"\n\x1B%-12345X");
  EXPECT_EQ(Pri("Fonts", "3000"), "<none>");
  EXPECT_FALSE(FileExists(pcCopy));
  EXPECT_FALSE(FileExists(Folder(kFolderUserPclFonts) + "\\gothic.pfm"));
}

// The attribute editor renames an installed font and moves it to a free id;
// an id another font of the PC has is refused and nothing changes.
TEST_F(FontInstallerSessionTest, TheAttributeEditorRenamesAndRenumbersAFont) {
  DescriptorSpec second;
  second.name = "Second Test";
  WriteFile("C:\\Work\\fonts\\second.sfp", SoftFont(second, {GlyphSpec{}}));
  const std::vector<std::string> shown = RunFonts(R"(dialog "PCLフォント"
click 1024
  dialog "フォントの登録"
  pick 1029 #0
  answer ok
  click 1026
  pick 1029 #1
  answer ok
  click 1026
  click 3
pick 1029 #0
click 1022
  dialog "フォント属性の編集"
  type 174 "1001" replace
  answer ok
  ok
  type 174 "1500" replace
  type 173 "Gothic Edit" replace
  png ")" + Picture("font_attributes.png") + R"("
  ok
cancel
)");
  const std::vector<fontinstaller::InstalledFontEntry> fonts = fontinstaller::ReadFontList(kPrinter);
  std::vector<std::pair<int32_t, std::string>> seen;
  for (const auto& font : fonts) seen.emplace_back(font.id, font.fontName);
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (std::vector<std::pair<int32_t, std::string>>{{1001, "Second Test"}, {1500, "Gothic Edit"}}));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_NE(shown[2].find("このIDは使用中です。"), std::string::npos) << shown[2];
}

// What the user installed prints: text in the installed face, printed by the
// print host through the driver, downloads the PC font and selects it by its
// id; the font on the printer's disk is bound to its id and selected, never sent.
TEST_F(FontInstallerSessionTest, AnInstalledSoftFontPrintsInTheFaceTheTextSelects) {
  DescriptorSpec disk;
  disk.name = "Mincho Test";
  GlyphSpec a;
  const Bytes diskFont = SoftFont(disk, {a});
  WriteFile("C:\\Work\\fonts\\mincho.sfp", diskFont);
  RunFonts(R"(dialog "PCLフォント"
click 1024
  dialog "フォントの登録"
  pick 1029 #0
  expect 1019 text "Gothic Test 12pt  [portrait,landscape, C:\\Work\\fonts\\gothic.sfp]"
  answer ok
  click 1026
  pick 1029 #1
  expect 1019 text "Mincho Test 12pt  [portrait,landscape, C:\\Work\\fonts\\mincho.sfp]"
  check 1010 on
  answer ok
  click 1026
  click 3
cancel
)");
  WriteFile("C:\\Work\\text.txt", Text("ABA\n"));
  const std::string fontBytes(font_.begin(), font_.end());
  const std::string diskBytes(diskFont.begin(), diskFont.end());
  const struct {
    const char* face;
    long id;
    bool sent;
  } cases[] = {{"Gothic Test", 1000, true}, {"Mincho Test", 3000, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.face);
    const fs::path job = Host("C:\\Work\\job.prn");
    fs::remove(job);
    const std::string command = "'" ZEL_PRINTHOST "' --root '" + root().string() + "' --printer '" + kPrinter +
                                "' --model '" ZEL_SOURCE_DIR "/data/models/" + kModelFile +
                                "' --language pcl --text '" + Host("C:\\Work\\text.txt").string() + "' --face '" +
                                c.face + "' --output '" + job.string() + "' > '" + Host("C:\\Work\\host.log").string() +
                                "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadText(Host("C:\\Work\\host.log"));
    const std::string bytes = ReadText(job);
    const testsupport::PclReport report = testsupport::ReadPclJob(bytes);
    ASSERT_TRUE(report.ok()) << report.Summary();
    EXPECT_EQ(bytes.find("\x1B*c" + std::to_string(c.id) + "D" + fontBytes) != std::string::npos, c.sent);
    EXPECT_EQ(bytes.find(diskBytes), std::string::npos) << "the disk font is on the printer already";
    if (!c.sent) {
      // Bound to the disk file of its id before it is selected.
      const auto names = report.Find("&n", 'W');
      EXPECT_TRUE(
          std::any_of(names.begin(), names.end(),
                      [&](const testsupport::PclCommand* name) { return name->data == "\x01" + std::to_string(c.id); }))
          << "no disk font bound to id " << c.id;
    }
    // The text is printed in the installed font: the last font selected
    // before it is the font's id.
    const auto run = std::find_if(report.text.begin(), report.text.end(),
                                  [](const testsupport::TextRun& r) { return r.text.find('A') != std::string::npos; });
    ASSERT_NE(run, report.text.end()) << report.Text();
    const testsupport::PclCommand* selected = nullptr;
    for (const testsupport::PclCommand& pcl : report.commands) {
      if (pcl.offset < run->offset && pcl.Is("(", 'X')) selected = &pcl;
    }
    ASSERT_NE(selected, nullptr) << "no font selected by id before the text";
    EXPECT_EQ(selected->IntValue(), c.id);
  }
}

TEST_F(FontInstallerSessionTest, DamagedFontsAndUnusableNamesAreRefusedLeavingNothing) {
  GlyphSpec huge;
  huge.width = 65535;
  huge.height = 65535;
  huge.raster = Bytes(100, 0xFF);
  const Bytes damaged = SoftFont(DescriptorSpec{}, {GlyphSpec{}, huge});
  fs::remove(Host("C:\\Work\\fonts\\gothic.sfp"));
  for (const char* name : {"damaged.sfp", "with blank.sfp", "with,comma.sfp", "semi;colon.sfp"}) {
    WriteFile(std::string("C:\\Work\\fonts\\") + name, std::string(name) == "damaged.sfp" ? damaged : font_);
  }
  std::string script = "dialog \"PCLフォント\"\nclick 1024\n  dialog \"フォントの登録\"\n";
  for (int i = 0; i < 4; ++i) {
    script += "  pick 1029 #" + std::to_string(i) + "\n  answer ok\n  click 1026\n";
    script += i % 2 ? "  check 1010 on\n" : "  check 1027 on\n";
  }
  script += "  click 3\ncancel\n";
  const std::vector<std::string> seen = RunFonts(script);
  ASSERT_EQ(seen.size(), 4u);
  for (const std::string& box : seen) EXPECT_NE(box.find("このフォントは登録できません。"), std::string::npos) << box;
  EXPECT_TRUE(fontinstaller::ReadFontList(kPrinter).empty());
  EXPECT_FALSE(FileExists(kPort));
  const std::string pcFolder = Folder(kFolderUserPclFonts);
  for (const std::string& folder : {pcFolder, Folder(kFolderPclDiskFonts)}) {
    if (fs::exists(Host(folder))) {
      EXPECT_TRUE(fs::is_empty(Host(folder))) << folder;
    }
  }
}

}  // namespace
}  // namespace installertest
