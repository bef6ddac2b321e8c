// What the menu's commands start, and the help texts the shell shows for them.
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "tests/shellext/shellext_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace shellexttest {
namespace {

class Commands : public ShellExtTest {
 protected:
  void SetUp() override {
    ShellExtTest::SetUp();
    Install("Menu");
    OfferEveryEntry("Menu");
    handler = MenuHandlerFor("Menu");
    ASSERT_NE(handler, nullptr);
    menu = CreatePopupMenu();
    ASSERT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL)), 3);
  }
  void TearDown() override {
    if (menu) DestroyMenu(menu);
    if (handler) handler->Release();
    ShellExtTest::TearDown();
  }

  IContextMenu* handler = nullptr;
  HMENU menu = 0;
};

constexpr UINT_PTR kReadme = 0;
constexpr UINT_PTR kQuickTabs = 1;
constexpr UINT_PTR kMonitor = 2;

TEST_F(Commands, TheMonitorStartsForTheQueueWithItsCommandLine) {
  ASSERT_EQ(Invoke(handler, kMonitor), S_OK);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].verb, "open");
  EXPECT_EQ(requests[0].file, machinesetup::BuiltDriverFolder() + "\\vigilod5.exe");
  EXPECT_EQ(requests[0].parameters, "_{Menu}_ NORMAL");
  EXPECT_EQ(requests[0].directory, DataFolder("Menu"));
  EXPECT_EQ(requests[0].show, SW_SHOWNORMAL);
}

TEST_F(Commands, TheReadmeOpensFromTheDriverFolder) {
  ASSERT_EQ(Invoke(handler, kReadme), S_OK);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].verb, "open");
  EXPECT_EQ(requests[0].file, "readme.txt");
  EXPECT_EQ(requests[0].parameters, "");
  EXPECT_EQ(requests[0].directory, DataFolder("Menu"));
}

TEST_F(Commands, VerbsAsTextAndOffsetsOutsideTheMenuAreRefused) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = "open";
  EXPECT_EQ(handler->InvokeCommand(&info), E_INVALIDARG);
  EXPECT_EQ(Invoke(handler, 3), E_INVALIDARG);
  EXPECT_EQ(Invoke(handler, 9), E_INVALIDARG);
  EXPECT_EQ(Invoke(handler, 0xFFFF), E_INVALIDARG);
  EXPECT_EQ(handler->InvokeCommand(nullptr), E_INVALIDARG);
  EXPECT_TRUE(requests.empty());
}

TEST_F(Commands, AMissingQuickTabsProgramIsReported) {
  platform::SetShellHandler(nullptr);
  EXPECT_EQ(Invoke(handler, kQuickTabs), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
}

TEST_F(Commands, QuickTabsStartAgainOnlyOnceTheLastRunEnded) {
  platform::SetShellHandler(nullptr);
  // A quick-tabs program in the driver folder that notes its argument and runs
  // until the test lets it end.
  const std::filesystem::path folder = Host(DataFolder("Menu"));
  const std::filesystem::path log = folder / "vorbs.log";
  const std::filesystem::path release = folder / "vorbs.release";
  {
    std::ofstream script(folder / "vorbs.exe");
    script << "#!/bin/sh\necho \"$1\" >> '" << log.string() << "'\n"
           << "while [ ! -e '" << release.string() << "' ]; do sleep 0.02; done\n";
  }
  std::filesystem::permissions(folder / "vorbs.exe", std::filesystem::perms::owner_all);

  ASSERT_EQ(Invoke(handler, kQuickTabs), S_OK);
  EXPECT_EQ(Invoke(handler, kQuickTabs), S_FALSE);
  std::ofstream(release).put('\n');
  HRESULT again = S_FALSE;
  for (int tries = 0; tries < 500 && again == S_FALSE; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    again = Invoke(handler, kQuickTabs);
  }
  EXPECT_EQ(again, S_OK);
  // Both starts ran (the second one ends at once: the release is there).
  std::string lines;
  for (int tries = 0; tries < 500; ++tries) {
    std::ifstream in(log);
    lines.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (lines == "Menu\nMenu\n") break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(lines, "Menu\nMenu\n");
}

TEST_F(Commands, HelpTextsFitTheCallersBufferInItsWidth) {
  struct Case {
    UINT_PTR offset;
    UINT type;
    UINT size;
    const char* expected;  // UTF-8
  };
  const Case cases[] = {
      {kMonitor, GCS_HELPTEXTA, 64, "Starts the print monitor."},
      {kMonitor, GCS_HELPTEXTW, 64, "Starts the print monitor."},
      {kReadme, GCS_HELPTEXTW, 64, "Opens the readme file."},
      {kQuickTabs, GCS_HELPTEXTA, 64, "Starts the quick tabs."},
      {kMonitor, GCS_HELPTEXTA, 7, "Starts"},
      {kMonitor, GCS_HELPTEXTW, 7, "Starts"},
      {kReadme, GCS_HELPTEXTA, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.expected) + " size " + std::to_string(c.size) + " type " + std::to_string(c.type));
    // Twice the room, marked, so that anything written past `size` characters shows.
    std::vector<char16_t> room(c.size * 2 + 8, 0xCCCC);
    auto* bytes = reinterpret_cast<char*>(room.data());
    ASSERT_EQ(handler->GetCommandString(c.offset, c.type, nullptr, bytes, c.size), S_OK);
    if (c.type == GCS_HELPTEXTW) {
      EXPECT_EQ(platform::Utf8FromUtf16(room.data()), c.expected);
      for (size_t i = c.size; i < room.size(); ++i) ASSERT_EQ(room[i], 0xCCCC) << i;
    } else {
      EXPECT_EQ(platform::Utf8FromAnsi(bytes), c.expected);
      for (size_t i = c.size; i < room.size() * 2; ++i) ASSERT_EQ(static_cast<unsigned char>(bytes[i]), 0xCC) << i;
    }
  }
}

TEST_F(Commands, JapaneseHelpTextIsNeverCutInsideACharacter) {
  platform::SetUiLanguage(platform::UiLanguage::Japanese);
  char text[8];
  std::memset(text, 0xCC, sizeof text);
  ASSERT_EQ(handler->GetCommandString(kMonitor, GCS_HELPTEXTA, nullptr, text, 6), S_OK);
  // Three bytes of room would halve the third double-byte character.
  EXPECT_EQ(platform::Utf8FromAnsi(text), "プリ");
  EXPECT_EQ(static_cast<unsigned char>(text[6]), 0xCC);
  char16_t wide[64] = {};
  ASSERT_EQ(handler->GetCommandString(kMonitor, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 64), S_OK);
  EXPECT_EQ(platform::Utf8FromUtf16(wide), "プリントモニタを起動します。");
}

TEST_F(Commands, VerbRequestsAreRefusedAndValidationTellsTheRange) {
  char buffer[64] = {};
  EXPECT_EQ(handler->GetCommandString(kMonitor, GCS_VERBA, nullptr, buffer, sizeof buffer), E_NOTIMPL);
  EXPECT_EQ(handler->GetCommandString(kMonitor, GCS_VERBW, nullptr, buffer, sizeof buffer / 2), E_NOTIMPL);
  EXPECT_EQ(handler->GetCommandString(kMonitor, GCS_VALIDATEA, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(handler->GetCommandString(3, GCS_VALIDATEW, nullptr, nullptr, 0), S_FALSE);
  EXPECT_EQ(handler->GetCommandString(3, GCS_HELPTEXTA, nullptr, buffer, sizeof buffer), E_INVALIDARG);
  EXPECT_EQ(handler->GetCommandString(kMonitor, GCS_HELPTEXTA, nullptr, buffer, 0), E_INVALIDARG);
}

}  // namespace
}  // namespace shellexttest
