// The popup the extension adds to a printer's context menu, over the settings
// that allow each entry, the shell's flags and the queues of one device.
#include <cstring>
#include <optional>

#include "platform/base/global_memory.h"
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

// Named in test listings by its case name.
void PrintTo(const MenuCase& c, std::ostream* out) { *out << c.name; }

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
        MenuCase{
            "Everything", "readme.txt", "1", false, 1, 1, {"Readme [100]", "Quick tabs [101]", "Print monitor [102]"}},
        MenuCase{"ReadmeUnset", "???", "1", false, 1, 1, {"Quick tabs [100]", "Print monitor [101]"}},
        MenuCase{"NoReadmeKey", nullptr, "0", false, 1, 1, {"Print monitor [100]"}},
        MenuCase{"QuickTabsOff", "readme.txt", "0", false, 0, 1, {"Readme [100]"}},
        MenuCase{"NetworkQueueHasNoQuickTabs", "readme.txt", "1", true, 1, 1, {"Readme [100]", "Print monitor [101]"}},
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
  } cases[] = {{CMF_NORMAL, 1},      {CMF_EXPLORE, 1},           {CMF_VERBSONLY, 1},
               {CMF_DEFAULTONLY, 0}, {CMF_NOVERBS, 0},           {CMF_CANRENAME, 1},
               {0x10000, 0},         {CMF_EXPLORE | 0x10000, 0}, {CMF_DEFAULTONLY | CMF_EXPLORE, 1}};
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
  EXPECT_EQ(Describe(menu),
            (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs [101]", "----"}));
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
  EXPECT_EQ(Describe(menu),
            (Lines{"----", "Printer driver extensions", "  Readme [100]", "  Quick tabs [101]", "----"}));
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

namespace shellexttest {
namespace {

// A data object whose names block the test writes byte by byte, as a faulty or
// hostile source could hand it over.
class RawNames final : public IDataObject {
 public:
  explicit RawNames(std::vector<BYTE> block) : block_(std::move(block)) {}
  HRESULT QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override { return --references_; }
  HRESULT GetData(FORMATETC*, STGMEDIUM* medium) override {
    HGLOBAL global = GlobalAlloc(GHND, block_.size());
    std::memcpy(GlobalLock(global), block_.data(), block_.size());
    GlobalUnlock(global);
    *medium = STGMEDIUM{TYMED_HGLOBAL, global, nullptr};
    return S_OK;
  }
  HRESULT QueryGetData(FORMATETC*) override { return S_OK; }
  HRESULT EnumFormatEtc(DWORD, IEnumFORMATETC** formats) override {
    *formats = nullptr;
    return E_NOTIMPL;
  }
  ULONG references() const { return references_; }

 private:
  std::vector<BYTE> block_;
  ULONG references_ = 1;
};

std::vector<BYTE> NamesBlock(BYTE offset, const std::u16string& units) {
  std::vector<BYTE> block(offset, 0);
  block[0] = offset;
  for (char16_t unit : units) {
    block.push_back(static_cast<BYTE>(unit & 0xFF));
    block.push_back(static_cast<BYTE>(unit >> 8));
  }
  return block;
}

class BeforeVersion61 : public ShellExtTest {
 protected:
  void SetUp() override {
    ShellExtTest::SetUp();
    platform::SetReportedWindowsVersion(6, 0);
    Install("Menu");
    SetPrinterDword("Menu", "Printer_Monitor", 1);
  }
  // The commands of the menu for the data object, -1 when Initialize refused it.
  int CommandsFor(IDataObject* data) {
    IClassFactory* factory = nullptr;
    GUID clsid{};
    platform::GuidFromText("{5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}", clsid);
    EXPECT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IShellExtInit* init = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
    factory->Release();
    int commands = -1;
    if (SUCCEEDED(init->Initialize(nullptr, data, 0))) {
      IContextMenu* menu = nullptr;
      init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
      HMENU popup = CreatePopupMenu();
      commands = HRESULT_CODE(menu->QueryContextMenu(popup, 0, 1, 100, CMF_NORMAL));
      DestroyMenu(popup);
      menu->Release();
    }
    init->Release();
    return commands;
  }
};

TEST_F(BeforeVersion61, TheShellHandsOverTheChosenPrintersByName) {
  IDataObject* one = platform::CreateShellItemsDataObject({platform::PrinterQueueItem("Menu")});
  EXPECT_EQ(CommandsFor(one), 1);
  one->Release();
  // Several printers chosen at once get no menu.
  IDataObject* two =
      platform::CreateShellItemsDataObject({platform::PrinterQueueItem("Menu"), platform::PrinterQueueItem("Menu")});
  EXPECT_EQ(CommandsFor(two), 0);
  two->Release();
}

TEST_F(BeforeVersion61, ANamesBlockIsReadOnlyWithinItsBounds) {
  const struct {
    const char* name;
    std::vector<BYTE> block;
    int commands;
  } cases[] = {
      {"well formed", NamesBlock(4, std::u16string(u"Menu") + u'\0' + u'\0'), 1},
      {"ends right after the name", NamesBlock(4, std::u16string(u"Menu") + u'\0'), 1},
      {"no terminator", NamesBlock(4, u"Menu"), -1},
      {"offset beyond the block",
       [] {
         std::vector<BYTE> block = NamesBlock(4, std::u16string(u"Menu") + u'\0');
         block[0] = 200;
         return block;
       }(),
       -1},
      {"odd offset",
       [] {
         std::vector<BYTE> block = NamesBlock(4, std::u16string(u"Menu") + u'\0');
         block[0] = 3;
         return block;
       }(),
       -1},
      {"empty name", NamesBlock(4, std::u16string(1, u'\0')), -1},
  };
  for (const auto& c : cases) {
    RawNames data(c.block);
    EXPECT_EQ(CommandsFor(&data), c.commands) << c.name;
    // The object let go of the data object it held.
    EXPECT_EQ(data.references(), 1u) << c.name;
  }
}

}  // namespace
}  // namespace shellexttest
