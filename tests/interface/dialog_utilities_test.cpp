// The small routines the pages and dialogs share: help by page, the list and
// combo operations, disabling what a restricted user may not touch, the
// printer-access probe, the font-list refresh escape and the maker's web site.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "common/driver_escapes.h"
#include "interface/app/library_state.h"
#include "interface/util/context_help.h"
#include "interface/util/control_access.h"
#include "interface/util/font_list_refresh.h"
#include "interface/util/list_combo.h"
#include "interface/util/maker_web_site.h"
#include "platform/base/debug.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/processes.h"
#include "platform/base/value_types.h"
#include "platform/registry/registry.h"
#include "platform/shell/shell_execute.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/help.h"
#include "platform/ui/user.h"
#include "tests/interface/ui_test_support.h"
#include "tools/machinesetup/printer_install.h"

namespace {

namespace fs = std::filesystem;

class DialogUtilitiesTest : public uitest::UiCoreTest {
 protected:
  void SetUp() override {
    UiCoreTest::SetUp();
    platform::SetHelpHandler([this](const platform::HelpRequest& request) { help_.push_back(request); });
  }
  void TearDown() override {
    platform::SetHelpHandler(nullptr);
    platform::SetShellHandler(nullptr);
    platform::SetDebugOutputSink(nullptr);
    for (HWND window : windows_) DestroyWindow(window);
    if (copy_) {
      SetLibraryInstance(library_);
      FreeLibrary(copy_);
    }
    UiCoreTest::TearDown();
  }

  // The library as installed in a folder whose name has blanks.
  std::string InstallLibraryUnderBlanks() {
    const fs::path folder = root() / "drive_c" / "Program Files" / "Nardo Driver";
    fs::create_directories(folder);
    fs::copy_file(uitest::BuiltModule("zeluid5.dll"), folder / "zeluid5.dll");
    copy_ = LoadLibraryExA(uitest::AnsiWindowsPath(folder / "zeluid5.dll").c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(copy_, 0u);
    SetLibraryInstance(copy_);
    return "C:\\Program Files\\Nardo Driver\\";
  }

  HWND Create(const char* className, DWORD style, HWND parent = 0, int id = 0) {
    HWND window = CreateWindowExA(0, className, "", (parent ? WS_CHILD : WS_POPUP) | style, 0, 0, 100, 100, parent,
                                  static_cast<HMENU>(id), 0, nullptr);
    EXPECT_NE(window, 0u) << className;
    if (!parent) windows_.push_back(window);
    return window;
  }

  std::vector<platform::HelpRequest> help_;
  std::vector<HWND> windows_;
  HMODULE copy_ = 0;
};

// Help opens the page's topic in the file beside the library: WinHelp at the
// context id, or the compiled help page with the folder quoted as one argument
// (the driver's folder here has blanks).
TEST_F(DialogUtilitiesTest, HelpOpensThePagesTopicBesideTheLibrary) {
  const std::string folder = InstallLibraryUnderBlanks();
  struct Case {
    const char* file;
    UINT topic;
    const char* viewer;  // nullptr: nothing opens
    ULONG_PTR context;
    const char* page;
  };
  const Case cases[] = {
      {"mTRQ50.hlp", 144, "WinHelp", 8, nullptr},
      {"mTRQ50.HLP", 8913, "WinHelp", 156, nullptr},
      {"a.hlp", 432, "WinHelp", 162, nullptr},
      {"a.hlp", 9999, "WinHelp", 0, nullptr},
      {"nardo5.chm", 129, "hh.exe", 0, "nardo5.chm::/dir/idh_printer_driver.htm"},
      {"NARDO5.CHM", 121, "hh.exe", 0, "NARDO5.CHM::/dir/idh_document.htm"},
      {"nardo5.chm", 8911, "hh.exe", 0, "nardo5.chm::/dir/idh_custom_paper_size.htm"},
      {"a.hl", 144, nullptr, 0, nullptr},
      {"", 144, nullptr, 0, nullptr},
      {"x\" & calc.chm", 144, nullptr, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.topic));
    help_.clear();
    ShowContextHelp(c.file, c.topic);
    if (!c.viewer) {
      EXPECT_TRUE(help_.empty());
      continue;
    }
    ASSERT_EQ(help_.size(), 1u);
    EXPECT_EQ(help_[0].viewer, c.viewer);
    if (std::string(c.viewer) == "WinHelp") {
      EXPECT_EQ(help_[0].file, folder + c.file);
      EXPECT_EQ(help_[0].command, static_cast<UINT>(HELP_CONTEXT));
      EXPECT_EQ(help_[0].data, c.context);
    } else {
      EXPECT_EQ(help_[0].commandLine, "hh.exe \"" + folder + c.page + "\"");
      // The viewer gets the folder and page as one argument.
      EXPECT_EQ(platform::SplitCommandLine(help_[0].commandLine),
                (std::vector<std::string>{"hh.exe", folder + c.page}));
    }
  }
  ShowContextHelp(nullptr, 144);
  EXPECT_TRUE(help_.empty());
}

std::vector<std::string> Texts(HWND window, bool combo) {
  std::vector<std::string> texts;
  const int count = static_cast<int>(SendMessageA(window, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[64] = {};
    SendMessageA(window, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    texts.push_back(text);
  }
  return texts;
}

// Every operation on both kinds of control, sorted and unsorted, with the item
// data following a replaced text.
TEST_F(DialogUtilitiesTest, ListAndComboOperationsActOnEitherControl) {
  struct Kind {
    const char* className;
    DWORD sortStyle;
    bool combo;
  };
  for (const Kind& kind : {Kind{"LISTBOX", 0, false}, Kind{"ComboBox", 0, true}, Kind{"listbox", LBS_SORT, false},
                           Kind{"COMBOBOX", CBS_SORT, true}}) {
    SCOPED_TRACE(std::string(kind.className) + (kind.sortStyle ? " sorted" : ""));
    const bool sorted = kind.sortStyle != 0;
    HWND list = Create(kind.className, kind.sortStyle | (kind.combo ? CBS_DROPDOWNLIST : 0));
    const UINT setData = kind.combo ? CB_SETITEMDATA : LB_SETITEMDATA;
    const UINT getData = kind.combo ? CB_GETITEMDATA : LB_GETITEMDATA;
    const UINT getSel = kind.combo ? CB_GETCURSEL : LB_GETCURSEL;
    auto data = [&](LRESULT index) { return SendMessageA(list, getData, static_cast<WPARAM>(index), 0); };

    for (const char* text : {"Cherry", "Apple", "Banana"}) {
      const LRESULT index = ListOrComboOp(list, 0, reinterpret_cast<LPARAM>(text), kListAdd);
      ASSERT_GE(index, 0);
      SendMessageA(list, setData, static_cast<WPARAM>(index), static_cast<LPARAM>(text[0]));
    }
    EXPECT_EQ(Texts(list, kind.combo), sorted ? (std::vector<std::string>{"Apple", "Banana", "Cherry"})
                                              : (std::vector<std::string>{"Cherry", "Apple", "Banana"}));
    EXPECT_EQ(ListOrComboOp(list, 0, reinterpret_cast<LPARAM>("banana"), kListFindText), sorted ? 1 : 2);
    EXPECT_EQ(ListOrComboOp(list, 0, reinterpret_cast<LPARAM>("Bana"), kListFindText), -1);

    char text[16] = "unchanged";
    EXPECT_EQ(ListOrComboOp(list, reinterpret_cast<WPARAM>(text), sizeof text, kListGetSelectedText), -1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(ListOrComboOp(list, reinterpret_cast<WPARAM>("Cherry"), 0, kListSelectText), sorted ? 2 : 0);
    EXPECT_EQ(ListOrComboOp(list, reinterpret_cast<WPARAM>(text), sizeof text, kListGetSelectedText), sorted ? 2 : 0);
    EXPECT_STREQ(text, "Cherry");
    // Renaming the selection keeps its data and selects it where it now stands.
    const LRESULT renamed = ListOrComboOp(list, 0, reinterpret_cast<LPARAM>("Avocado"), kListRenameSelected);
    EXPECT_EQ(Texts(list, kind.combo), sorted ? (std::vector<std::string>{"Apple", "Avocado", "Banana"})
                                              : (std::vector<std::string>{"Apple", "Banana", "Avocado"}));
    EXPECT_EQ(renamed, sorted ? 1 : 2);
    EXPECT_EQ(data(renamed), 'C');
    EXPECT_EQ(SendMessageA(list, getSel, 0, 0), renamed);
    // Replacing an item by index does the same for any item.
    const LRESULT replaced = ListOrComboOp(list, 0, reinterpret_cast<LPARAM>("Zucchini"), kListReplace);
    EXPECT_EQ(replaced, 2);
    EXPECT_EQ(data(replaced), 'A');
    EXPECT_EQ(ListOrComboOp(list, 7, reinterpret_cast<LPARAM>("Nothing"), kListReplace), -1);
    EXPECT_EQ(Texts(list, kind.combo).size(), 3u);

    EXPECT_EQ(ListOrComboOp(list, reinterpret_cast<WPARAM>("No such"), 0, kListSelectText), -1);
    EXPECT_EQ(SendMessageA(list, getSel, 0, 0), -1);
    EXPECT_EQ(ListOrComboOp(list, 1, reinterpret_cast<LPARAM>("Date"), kListInsert), 1);
    EXPECT_EQ(Texts(list, kind.combo)[1], "Date");
    EXPECT_EQ(ListOrComboOp(list, 0, 0, kListDelete), 3);
    EXPECT_EQ(ListOrComboOp(list, 9, 0, kListDelete), -1);
    EXPECT_EQ(ListOrComboOp(list, 0, 0, 0), -1);
    EXPECT_EQ(ListOrComboOp(list, 0, 0, 10), -1);
    EXPECT_EQ(Texts(list, kind.combo).size(), 3u);
    EXPECT_EQ(ListOrComboOp(list, 0, 0, kListReset), 0);
    EXPECT_TRUE(Texts(list, kind.combo).empty());
  }
  HWND edit = Create("EDIT", 0);
  EXPECT_EQ(ListOrComboOp(edit, 0, reinterpret_cast<LPARAM>("text"), kListAdd), -1);
}

// The selection's text never runs past its buffer: a long one is cut to whole
// characters, and a buffer of no size receives nothing.
TEST_F(DialogUtilitiesTest, TheSelectedTextIsCutToItsBuffer) {
  HWND list = Create("LISTBOX", 0);
  const std::string name = uitest::A("プロファイル名の長い名前");  // two bytes a character
  ListOrComboOp(list, 0, reinterpret_cast<LPARAM>(name.c_str()), kListAdd);
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  struct Case {
    size_t size;
    size_t kept;
  };
  for (const Case& c :
       {Case{8, 6}, Case{7, 6}, Case{name.size(), name.size() - 2}, Case{name.size() + 1, name.size()}, Case{1, 0}}) {
    SCOPED_TRACE(c.size);
    std::vector<char> buffer(c.size + 4, 'x');
    EXPECT_EQ(
        ListOrComboOp(list, reinterpret_cast<WPARAM>(buffer.data()), static_cast<LPARAM>(c.size), kListGetSelectedText),
        0);
    EXPECT_EQ(std::string(buffer.data()), name.substr(0, c.kept));
    EXPECT_EQ(std::string(buffer.data() + c.size, 4), "xxxx");
  }
  char untouched = 'x';
  EXPECT_EQ(ListOrComboOp(list, reinterpret_cast<WPARAM>(&untouched), 0, kListGetSelectedText), 0);
  EXPECT_EQ(untouched, 'x');
}

// Everything inside the window but the kept ids is disabled, controls inside a
// group window too; kept controls keep their state.
TEST_F(DialogUtilitiesTest, DisablingSparesOnlyTheKeptControls) {
  HWND dialog = Create("#32770", 0);
  HWND kept = Create("BUTTON", 0, dialog, 9);
  HWND other = Create("BUTTON", 0, dialog, 10);
  HWND group = Create("STATIC", 0, dialog, 11);
  HWND inner = Create("EDIT", 0, group, 12);
  HWND innerKept = Create("EDIT", 0, group, 13);
  EnableWindow(innerKept, FALSE);
  const int keep[] = {9, 11, 13};
  DisableControlsExcept(dialog, keep, 3);
  EXPECT_TRUE(IsWindowEnabled(kept));
  EXPECT_FALSE(IsWindowEnabled(other));
  EXPECT_TRUE(IsWindowEnabled(group));
  EXPECT_FALSE(IsWindowEnabled(inner));
  EXPECT_FALSE(IsWindowEnabled(innerKept));
  EXPECT_TRUE(IsWindowEnabled(dialog));
  DisableControlsExcept(dialog, nullptr, 0);
  EXPECT_FALSE(IsWindowEnabled(kept));
  EXPECT_FALSE(IsWindowEnabled(group));
}

TEST_F(DialogUtilitiesTest, FullAccessIsTheUsersRightToChangeThePrinter) {
  HANDLE printer = uitest::InstallPrinter("nardo-m3020.ini", "Office A");
  ASSERT_NE(printer, 0u);
  ClosePrinter(printer);
  ASSERT_TRUE(platform::spooler::SetPrinterAccess("Office A", "Guest", false));
  EXPECT_EQ(HasFullPrinterAccess("Office A"), 1);
  EXPECT_EQ(HasFullPrinterAccess("No Such Printer"), 0);
  EXPECT_EQ(HasFullPrinterAccess(nullptr), 0);
  platform::SetCurrentUser("Guest");
  EXPECT_EQ(HasFullPrinterAccess("Office A"), 0);
  platform::SetCurrentUser("User");
}

// The escape reaches the printer's graphics library on a device context made
// with the asked language, carrying the action, the name and the language.
TEST_F(DialogUtilitiesTest, FontListRefreshSendsItsBlockToTheGraphicsLibrary) {
  machinesetup::PrinterSpec spec;
  spec.printerName = "Office A";
  spec.modelDescription = fs::path(ZEL_SOURCE_DIR) / "data/models/nardo-m3020.ini";
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.graphicsLibrary = uitest::AnsiWindowsPath(fs::path(ZEL_TEST_MODULE_DIR) / "recording_driver.dll");
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  std::mutex lock;
  std::vector<std::string> traces;
  platform::SetDebugOutputSink([&](std::string_view text) {
    std::lock_guard guard(lock);
    traces.emplace_back(text);
  });

  SendFontListRefresh(0x41424344, "Office A", 0x4000);
  SendFontListRefresh(1, "No Such Printer", 0x4000);
  SendFontListRefresh(1, std::string(300, 'A').c_str(), 0x4000);
  platform::SetDebugOutputSink(nullptr);

  FontListRefreshBlock block{};
  block.action = 0x41424344;
  std::memcpy(block.printerName, "Office A", 8);
  block.pdl = 0x4000;
  std::string hex;
  for (size_t i = 0; i < sizeof block; ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02X", reinterpret_cast<const BYTE*>(&block)[i]);
    hex += digits;
  }
  std::vector<std::string> escapes;
  for (const std::string& line : traces)
    if (line.rfind("rec: DrvEscape", 0) == 0) escapes.push_back(line.substr(line.find(' ', 15) + 1));
  EXPECT_EQ(escapes, (std::vector<std::string>{"56 in=hex:" + hex + " out=0"}));
}

// The browser the machine registers for http links gets the maker's address in
// place of its "%1" (or as one more argument) through the shell, never as a
// line run as it stands.
TEST_F(DialogUtilitiesTest, TheMakersWebSiteOpensInTheRegisteredBrowser) {
  std::vector<platform::ShellRequest> started;
  platform::SetShellHandler([&](const platform::ShellRequest& request) {
    started.push_back(request);
    return static_cast<HINSTANCE>(42);
  });
  std::vector<std::string> lines;
  platform::SetProcessLaunchHandler([&](const platform::ProcessLaunch& launch) {
    lines.push_back(launch.commandLine);
    return 33u;
  });
  OpenMakerWebSite();
  EXPECT_TRUE(started.empty());

  struct Case {
    const char* command;
    const char* program;
    std::string parameters;
  };
  const std::string site = kMakerWebSite;
  const Case cases[] = {
      {"\"C:\\Program Files\\Browser\\browser.exe\" -osint -url \"%1\"", "C:\\Program Files\\Browser\\browser.exe",
       "-osint -url \"" + site + "\""},
      {"C:\\Tools\\view.exe %1 --new %1", "C:\\Tools\\view.exe", site + " --new " + site},
      {"C:\\Tools\\view.exe", "C:\\Tools\\view.exe", site},
      {"  \"C:\\Tools\\view.exe\"   --window", "C:\\Tools\\view.exe", "--window " + site},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    HKEY key = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\http\\shell\\open\\command", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.command),
                             static_cast<DWORD>(std::strlen(c.command) + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
    started.clear();
    OpenMakerWebSite();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].verb, "open");
    EXPECT_EQ(started[0].file, c.program);
    EXPECT_EQ(started[0].parameters, c.parameters);
    EXPECT_EQ(started[0].show, SW_SHOWNORMAL);
  }
  EXPECT_TRUE(lines.empty());
  platform::SetProcessLaunchHandler(nullptr);
}

}  // namespace
