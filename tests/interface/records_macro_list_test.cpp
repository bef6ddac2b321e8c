// The macro list of the job-options page: which installed macros a job may use,
// how each reads in the list, and what becomes of a device mode whose macro is gone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "interface/records/macro_list.h"
#include "platform/base/machine.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

// The list control as the tests see it: the texts in order and the selection.
class RecordingList : public MacroListView {
 public:
  void Clear() override {
    texts.clear();
    choices.clear();
    ++clears;
  }
  void Add(const std::string& text, const MacroChoice& choice) override {
    texts.push_back(text);
    choices.push_back(choice);
  }
  void Select(const std::string& text) override { selected = text; }

  std::vector<std::string> texts;
  std::vector<MacroChoice> choices;
  std::string selected;
  int clears = 0;
};

std::string Line(const std::string& name, const std::string& utf8Label, int id) {
  return name + "   <" + A(utf8Label) + ">" + std::string(68, ' ') + std::to_string(id);
}

class RecordsMacroListTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    printer_ = Install("nardo-c5545.ini", "Nardo C");
    const std::string host = "HostInfo\\Nardo Page C5545";
    // Ids: 3, 0, a non-number, +7 (a "+" is read over), and 12 without its ";".
    SetString(printer_, kStoreUserMacros, host, "Macro_List", "3;0;abc;+7;-4;12");
    SetString(printer_, kStoreUserMacros, host, "Macro_3", "1,Logo,C:\\macros\\logo.mac");
    SetString(printer_, kStoreUserMacros, host, "Macro_0", "1,Form,C:\\macros\\form.mac");
    // Only the mark's presence counts, however long its text.
    SetString(printer_, kStoreUserMacros, host, "MacroMem_0", "4,Form,C:\\" + std::string(600, 'p'));
    SetString(printer_, kStoreUserMacros, host, "Macro_+7", "1,Plus,C:\\macros\\plus.mac");
    SetString(printer_, kStoreUserMacros, host, "Macro_-4", "1,Minus,C:\\m");
    SetString(printer_, kStoreUserMacros, host, "Macro_12", "1,Twelve,C:\\m");
    SetString(printer_, kStoreUserMacros, host, "Macro_abc", "1,Letters,C:\\m");
    SetString(printer_, kStorePrinterMacros, "MacroDisk", "List", "5;9;");
    SetString(printer_, kStorePrinterMacros, "MacroDisk", "5", "2,Disk,0:\\macros\\5");
    SetString(printer_, kStorePrinterMacros, "MacroDisk", "9", "2,Broken");  // no path: no record
    devmode_.dmPrivate._dwPrinterAttributes = 0x40;                          // a local printer
  }
  void Choose(int32_t id, int32_t location, const std::string& name) {
    devmode_.dmPrivate._lMacroId = static_cast<DWORD>(id);
    devmode_.dmPrivate._nMacroLocation = static_cast<DWORD>(location);
    std::memset(devmode_.dmPrivate._sMacroName, 0, sizeof devmode_.dmPrivate._sMacroName);
    std::strncpy(devmode_.dmPrivate._sMacroName, name.c_str(), sizeof devmode_.dmPrivate._sMacroName - 1);
  }
  HANDLE printer_ = 0;
  XDEVMODE devmode_{};
};

TEST_F(RecordsMacroListTest, HostMacrosThenPrinterDiskMacrosThenNone) {
  Choose(0, kMacroPcDiskMemory, "Form");
  RecordingList list;
  EXPECT_EQ(LoadMacroList(printer_, list, &devmode_), 4);
  const std::vector<std::string> expected = {
      Line("Logo", "PC上のディスク", 3),
      Line("Form", "PC上のディスク／メモリ", 0),
      Line("Plus", "PC上のディスク", 7),
      Line("Disk", "プリンタディスク", 5),
      A("[なし]"),
  };
  EXPECT_EQ(list.texts, expected);
  EXPECT_EQ(list.clears, 1);
  EXPECT_EQ(list.selected, expected[1]);
  EXPECT_EQ(list.choices[3].location, kMacroPrinterDisk);
  EXPECT_EQ(list.choices[4].id, -1);
  EXPECT_EQ(devmode_.dmPrivate._lMacroId, 0u) << "a listed choice stays";

  // In English the labels are the English strings.
  platform::SetUiLanguage(platform::UiLanguage::English);
  EXPECT_EQ(MacroChoiceText(list.choices[3]), Line("Disk", "Printer disk", 5));
  EXPECT_EQ(MacroChoiceText(list.choices[4]), "[None]");
}

TEST_F(RecordsMacroListTest, AChoiceThatIsNoLongerInstalledBecomesNone) {
  Choose(44, kMacroPcDisk, "Gone");
  RecordingList list;
  LoadMacroList(printer_, list, &devmode_);
  EXPECT_EQ(devmode_.dmPrivate._lMacroId, 0xFFFFFFFFu);
  EXPECT_EQ(devmode_.dmPrivate._nMacroLocation, 0u);
  EXPECT_EQ(U(devmode_.dmPrivate._sMacroName), "[なし]");
  EXPECT_EQ(list.selected, A("[なし]"));

  // The same macro at another location is another choice.
  Choose(3, kMacroPcDiskMemory, "Logo");
  LoadMacroList(printer_, list, &devmode_);
  EXPECT_EQ(devmode_.dmPrivate._nMacroLocation, 0u);

  // A name field without its NUL is read within the field.
  Choose(5, kMacroPrinterDisk, "Disk");
  std::memset(devmode_.dmPrivate._sMacroName, 'D', sizeof devmode_.dmPrivate._sMacroName);
  LoadMacroList(printer_, list, &devmode_);
  EXPECT_EQ(devmode_.dmPrivate._lMacroId, 0xFFFFFFFFu);
  EXPECT_EQ(LoadMacroList(printer_, list, nullptr), 0);
}

TEST_F(RecordsMacroListTest, HostMacroFilesOutOfReachOfTheRendererAreLeftOut) {
  // A printer shared from another machine that renders EMF jobs there: only the
  // macros kept in printer memory can be used.
  devmode_.dmPrivate._dwPrinterAttributes = 0x10;
  devmode_.dmPrivate._dwAdvSettings = kAdvEmfSpooling;
  Choose(-1, kMacroNone, "");
  std::vector<MacroChoice> choices = ReadMacroChoices(printer_, devmode_);
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_STREQ(choices[0].name, "Form");
  EXPECT_STREQ(choices[1].name, "Disk");
  // Either condition alone keeps them all.
  devmode_.dmPrivate._dwAdvSettings = 0;
  EXPECT_EQ(ReadMacroChoices(printer_, devmode_).size(), 4u);
  devmode_.dmPrivate._dwPrinterAttributes = 0x40;
  devmode_.dmPrivate._dwAdvSettings = kAdvEmfSpooling;
  EXPECT_EQ(ReadMacroChoices(printer_, devmode_).size(), 4u);
}

}  // namespace
}  // namespace recordstest
