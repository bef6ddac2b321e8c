// The popup the extension adds to a printer's context menu, over the settings
// that allow each entry, the shell's flags and the queues of one device.
#include <optional>

#include "platform/base/os_version.h"
#include "platform/spooler/spooler.h"
#include "tests/shellext/shellext_fixture.h"

namespace shellexttest {
namespace {

using Lines = std::vector<std::string>;

constexpr UINT kFirstId = 100;

// The menu the shell holds before the handler adds to it.
HMENU ShellMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "Open");
  AppendMenuA(menu, MF_STRING, 2, "Properties");
  return menu;
}

struct MenuCase {
  const char* name;
  const char* readme;  // nullptr: no "Readme" key in the model description
  const char* quickTabs;
  bool network;
  DWORD monitor;
  int shellext;  // -1: value absent
  Lines popup;   // the popup's lines; empty: no menu at all
};

class MenuTable : public ShellExtTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(MenuTable, EntriesFollowTheSettings) {
  const MenuCase& c = GetParam();
  Install("Menu");
  if (c.readme) SetModelValue("Menu", "General", "Readme", c.readme);
  SetModelValue("Menu", "Features", "QuickTabs", c.quickTabs);
  SetPrinterDword("Menu", "Printer_Monitor", c.monitor);
  if (c.shellext < 0) {
    DeletePrinterValue("Menu", "Shellext3D5");
  } else {
    SetPrinterDword("Menu", "Shellext3D5", static_cast<DWORD>(c.shellext));
  }
  const std::string shown = c.network ? platform::spooler::ServerName() + "\\Menu" : "Menu";
  if (c.network) {
    std::string connection = shown;
    ASSERT_TRUE(AddPrinterConnectionA(connection.data()));
  }

  IContextMenu* handler = MenuHandlerFor(shown);
  ASSERT_NE(handler, nullptr);
  HMENU menu = ShellMenu();
  const HRESULT result = handler->QueryContextMenu(menu, 1, kFirstId, kFirstId + 50, CMF_NORMAL);
  ASSERT_TRUE(SUCCEEDED(result));
  if (c.popup.empty()) {
    EXPECT_EQ(HRESULT_CODE(result), 0);
    EXPECT_EQ(Describe(menu), (Lines{"Open [1]", "Properties [2]"}));
  } else {
    Lines expected{"Open [1]", "----", "Printer driver extensions"};
    for (const std::string& line : c.popup) expected.push_back("  " + line);
    expected.insert(expected.end(), {"----", "Properties [2]"});
    EXPECT_EQ(Describe(menu), expected);
    EXPECT_EQ(HRESULT_CODE(result), static_cast<int>(c.popup.size()));
  }
  DestroyMenu(menu);
  handler->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MenuTable,
    ::testing::Values(
        MenuCase{"Everything", "readme.txt", "1", false, 1, 1,
                 {"Readme [100]", "Quick tabs [101]", "Print monitor [102]"}},
        MenuCase{"ReadmeUnset", "???", "1", false, 1, 1, {"Quick tabs [100]", "Print monitor [101]"}},
        MenuCase{"NoReadmeKey", nullptr, "0", false, 1, 1, {"Print monitor [100]"}},
        MenuCase{"QuickTabsOff", "readme.txt", "0", false, 0, 1, {"Readme [100]"}},
        MenuCase{"NetworkQueueHasNoQuickTabs", "readme.txt", "1", true, 1, 1,
                 {"Readme [100]", "Print monitor [101]"}},
        MenuCase{"NothingToOffer", "???", "0", false, 0, 1, {}},
        MenuCase{"NotRegistered", "readme.txt", "1", false, 1, -1, {}},
        MenuCase{"RegistrationCleared", "readme.txt", "1", false, 1, 0, {}}),
    [](const ::testing::TestParamInfo<MenuCase>& param) { return std::string(param.param.name); });

TEST_F(ShellExtTest, TheShellsFlagsDecideWhetherAMenuIsWanted) {
  Install("Menu");
  SetPrinterDword("Menu", "Printer_Monitor", 1);
  IContextMenu* handler = MenuHandlerFor("Menu");
  ASSERT_NE(handler, nullptr);
  const struct {
    UINT flags;
    int commands;
  } cases[] = {{CMF_NORMAL, 1},       {CMF_EXPLORE, 1},     {CMF_VERBSONLY, 1}, {CMF_DEFAULTONLY, 0},
               {CMF_NOVERBS, 0},      {CMF_CANRENAME, 1},   {0x10000, 0},       {CMF_EXPLORE | 0x10000, 0},
               {CMF_DEFAULTONLY | CMF_EXPLORE, 1}};
  for (const auto& c : cases) {
    HMENU menu = CreatePopupMenu();
    const HRESULT result = handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, c.flags);
    EXPECT_EQ(HRESULT_CODE(result), c.commands) << "flags 0x" << std::hex << c.flags;
    EXPECT_EQ(GetMenuItemCount(menu), c.commands ? 3 : 0) << "flags 0x" << std::hex << c.flags;
    DestroyMenu(menu);
  }
  handler->Release();
}

TEST_F(ShellExtTest, AskingAgainGivesTheSameMenuEveryTime) {
  Install("Menu");
  OfferEveryEntry("Menu");
  IContextMenu* handler = MenuHandlerFor("Menu");
  ASSERT_NE(handler, nullptr);
  std::optional<Lines> first;
  // Far more calls than the entries an object can record.
  for (int round = 0; round < 25; ++round) {
    HMENU menu = CreatePopupMenu();
    EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, CMF_NORMAL)), 3);
    if (!first) first = Describe(menu);
    EXPECT_EQ(Describe(menu), *first) << "round " << round;
    DestroyMenu(menu);
  }
  // The commands still map as the last menu shows them.
  EXPECT_EQ(Invoke(handler, 2), S_OK);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].parameters, "_{Menu}_ NORMAL");
  EXPECT_EQ(Invoke(handler, 3), E_INVALIDARG);
  handler->Release();
}

TEST_F(ShellExtTest, ACommandRangeTooSmallKeepsTheIdsInside) {
  Install("Menu");
  OfferEveryEntry("Menu");
  IContextMenu* handler = MenuHandlerFor("Menu");
  ASSERT_NE(handler, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 1, CMF_NORMAL)), 2);
  EXPECT_EQ(Describe(menu), (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs [101]", "----"}));
  DestroyMenu(menu);
  handler->Release();
}

// Three queues on one port with one driver: the queue item shows a popup per
// queue; monitoring is on for two of them.
class DeviceQueues : public ShellExtTest {
 protected:
  void SetUp() override {
    ShellExtTest::SetUp();
    for (const char* name : {"Alpha", "Beta", "Gamma"}) Install(name, "IP_192.0.2.7");
    SetModelValue("Alpha", "General", "Readme", "readme.txt");
    SetModelValue("Alpha", "Features", "QuickTabs", "1");
    SetPrinterDword("Alpha", "Printer_Monitor", 1);
    SetPrinterDword("Beta", "Printer_Monitor", 0);
    SetPrinterDword("Gamma", "Printer_Monitor", 1);
  }
};

TEST_F(DeviceQueues, AQueueItemOffersEachQueueOfItsDevice) {
  IContextMenu* handler = MenuHandlerFor("Beta");
  ASSERT_NE(handler, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, CMF_NORMAL)), 6);
  EXPECT_EQ(Describe(menu), (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs",
                                   "    Gamma [101]", "    Beta [102]", "    Alpha [103]", "  Print monitor",
                                   "    Gamma [104]", "    Alpha [105]", "----"}));
  // The second monitor command is the second queue that is monitored.
  EXPECT_EQ(Invoke(handler, 5), S_OK);
  EXPECT_EQ(Invoke(handler, 4), S_OK);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].parameters, "_{Alpha}_ NORMAL");
  EXPECT_EQ(requests[1].parameters, "_{Gamma}_ NORMAL");
  EXPECT_EQ(Invoke(handler, 6), E_INVALIDARG);
  DestroyMenu(menu);
  handler->Release();
}

TEST_F(DeviceQueues, ADeviceObjectIsOneMenuForItsFirstQueue) {
  IContextMenu* handler = MenuHandler({platform::PrinterDeviceItem({"Gamma", "Beta", "Alpha"}, "Nardo Page M3020")});
  ASSERT_NE(handler, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, CMF_NORMAL)), 3);
  EXPECT_EQ(Describe(menu), (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs [101]",
                                   "  Print monitor [102]", "----"}));
  // The menu was built in single mode, and its commands map the same way.
  EXPECT_EQ(Invoke(handler, 2), S_OK);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].parameters, "_{Gamma}_ NORMAL");
  DestroyMenu(menu);
  handler->Release();
}

TEST_F(DeviceQueues, OnlyTheFirstMultiQueueSystemListsTheQueuesItself) {
  platform::SetReportedWindowsVersion(6, 1);
  IContextMenu* handler = MenuHandler({platform::PrinterDeviceItem({"Beta", "Alpha"}, "Nardo Page M3020")});
  ASSERT_NE(handler, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, kFirstId, kFirstId + 50, CMF_NORMAL)), 2);
  // Beta, the first listed queue, has no monitoring.
  EXPECT_EQ(Describe(menu), (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs [101]", "----"}));
  DestroyMenu(menu);
  handler->Release();
}

TEST_F(ShellExtTest, ADeviceObjectWithoutQueuesIsRefused) {
  HRESULT result = S_OK;
  EXPECT_EQ(MenuHandler({platform::PrinterDeviceItem({}, "Nardo Page M3020")}, &result), nullptr);
  EXPECT_EQ(result, E_INVALIDARG);
}

}  // namespace
}  // namespace shellexttest
