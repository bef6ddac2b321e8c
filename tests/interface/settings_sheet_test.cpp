// The driver's settings dialog as a user drives it: the pages of each mode in
// order, the title, OK and Cancel, profiles saved, applied and deleted through
// the profiles dialog, and the information page. The dialog handler plays the
// user: clicks, selections with their notifications, typed text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/validate_merge.h"
#include "interface/pages/format_notice.h"
#include "interface/pages/general_page.h"
#include "interface/pages/settings_sheet.h"
#include "interface/profiles/profile_store.h"
#include "interface/records/hex_names.h"
#include "interface/records/model_identity.h"
#include "interface/records/printer_info.h"
#include "interface/util/resource_text.h"
#include "model/model_cache.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/modules.h"
#include "platform/ui/afx.h"
#include "platform/ui/dialog.h"
#include "platform/ui/help.h"
#include "platform/ui/message_box.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

constexpr UINT kDocumentPages[] = {121, 124, 138, 126, 123, 125, 144};

struct ShippedModel {
  const char* file;
  const char* printer;
  WORD pdl;
  DWORD variant;
};
const ShippedModel kShipped[] = {{"nardo-c5545.ini", "Nardo C", kPdlPs3, 1}, {"nardo-m3020.ini", "Nardo M", 0x8, 0}};

std::string TextOf(HWND window) {
  char text[1024] = {};
  ::GetWindowTextA(window, text, sizeof text);
  return text;
}
std::string ItemText(HWND dialog, int id) { return TextOf(::GetDlgItem(dialog, id)); }
void Click(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Picks a list or combo entry by its text and tells the dialog, as a click would.
void Pick(HWND dialog, int id, const std::string& text, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  const LRESULT index = ::SendMessageA(control, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT,
                                       static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
  ASSERT_GE(index, 0) << text;
  ::SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                 static_cast<LPARAM>(control));
}
void Type(HWND dialog, int id, const std::string& text) {
  HWND edit = ::GetDlgItem(dialog, id);
  ::SetFocus(edit);
  for (char c : text) ::SendMessageA(edit, WM_CHAR, static_cast<BYTE>(c), 0);
}
std::vector<std::string> Entries(HWND dialog, int id, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  std::vector<std::string> texts;
  const int count = static_cast<int>(::SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    ::SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    texts.push_back(text);
  }
  return texts;
}
std::string Selected(HWND dialog, int id, bool combo) {
  HWND control = ::GetDlgItem(dialog, id);
  const LRESULT index = ::SendMessageA(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  if (index < 0) return "(none)";
  return Entries(dialog, id, combo)[static_cast<size_t>(index)];
}
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)); }
bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)); }

// The shipped monochrome model's description (UTF-8) under a model name of its
// own, for a variant of it to be installed beside the shipped one.
std::string M1000Description() {
  std::ifstream file(std::filesystem::path(ZEL_SOURCE_DIR) / "data/models/nardo-m3020.ini", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  std::string description = U(text.str());
  const size_t name = description.find("ModelName=Nardo Page M3020");
  if (name != std::string::npos) description.replace(name, 26, "ModelName=Nardo Page M1000");
  return description;
}

OrbaMainDlg* SheetOf(HWND dialog) { return dynamic_cast<OrbaMainDlg*>(CWnd::FromHandlePermanent(dialog)); }

class SettingsSheetTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    platform::SetDialogHandler([this](const platform::DialogRequest& request) {
      auto found = user_.find(request.templateName);
      if (found != user_.end()) found->second(request.dialog);
    });
    platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& box) {
      boxes_.push_back(box.text);
      return IDYES;
    });
  }
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    platform::SetMessageBoxHandler(nullptr);
    RecordsTest::TearDown();
  }

  HANDLE InstallModel(const ShippedModel& model) {
    HANDLE printer = Install(model.file, model.printer);
    SetDword(printer, kStorePrinterData, "Printer", "TRQ50Compatible", model.variant);
    FreeModelRecords(model.printer);
    return printer;
  }
  XDEVMODE Default(HANDLE printer, const ShippedModel& model) {
    XDEVMODE settings{};
    const ModelRecord* record = GetModelRecord(printer, model.printer, kModelReloadWhenMissing);
    EXPECT_NE(record, nullptr);
    EXPECT_EQ(BuildDefaultDevmode(&settings, printer, record, model.printer, model.pdl), 1);
    // As the document properties hand it over: merged once, with the caller named.
    const XDEVMODE incoming = settings;
    ValidateMergeDevmode(printer, &settings, &incoming.dmPublic, record);
    return settings;
  }
  std::string Port(HANDLE printer) {
    BYTE* info = GetPrinterInfo(printer, 2);
    std::string port = info ? reinterpret_cast<PRINTER_INFO_2A*>(info)->pPortName : "";
    FreePrinterInfo(info);
    return port;
  }
  // Leaves no profile for these settings (the printer's set-up wrote the built-in one).
  void ClearProfiles(HANDLE printer, const char* printerName, const XDEVMODE& settings) {
    std::vector<ProfileName> names;
    LoadProfileNames(printer, printerName, &settings, names);
    char section[300] = {};
    ASSERT_TRUE(ProfileSection(printer, &settings, section, sizeof section));
    for (const ProfileName& entry : names)
      Store().DeleteData(printer, kStoreUser, section, records::HexName(entry.text).c_str());
  }
  // A profile added through the profiles dialog of an open sheet.
  void AddProfile(HWND sheet, const std::string& name) {
    user_["#8913"] = [&](HWND dialog) {
      ::SetDlgItemTextA(dialog, 1442, name.c_str());
      Click(dialog, 1643);
      Click(dialog, 1450);
    };
    Click(sheet, 4);
  }

  std::map<std::string, std::function<void(HWND)>> user_;
  std::vector<std::string> boxes_;
};

TEST_F(SettingsSheetTest, EachShippedModelOpensWithItsPagesInOrderAndItsTitle) {
  for (const ShippedModel& model : kShipped) {
    SCOPED_TRACE(model.file);
    HANDLE printer = InstallModel(model);
    XDEVMODE settings = Default(printer, model);
    for (BOOL documentMode : {TRUE, FALSE}) {
      std::vector<UINT> pages;
      std::string title;
      bool comboShown = false, profilesShown = false;
      std::string profilesText;
      user_["#129"] = [&](HWND dialog) {
        OrbaMainDlg* sheet = SheetOf(dialog);
        ASSERT_NE(sheet, nullptr);
        for (int i = 0; i < sheet->m_pageList.GetCount(); ++i)
          pages.push_back(static_cast<controls::DP_ListBoxTabDialogItem*>(sheet->m_pageList.GetItem(i)->m_userPointer)
                              ->GetTemplateId());
        title = TextOf(dialog);
        comboShown = Visible(dialog, 1490);
        profilesShown = Visible(dialog, 4);
        profilesText = ItemText(dialog, 4);
        Click(dialog, IDOK);
      };
      XDEVMODE out{};
      EXPECT_EQ(RunPropertiesSheet(printer, 0, &settings, &out, FALSE, documentMode), 1);
      if (documentMode)
        EXPECT_EQ(pages, std::vector<UINT>(std::begin(kDocumentPages), std::end(kDocumentPages)));
      else
        EXPECT_EQ(pages, std::vector<UINT>{144});
      EXPECT_EQ(title, std::string(model.printer) + " on " + Port(printer));
      EXPECT_EQ(comboShown, documentMode == TRUE);
      EXPECT_EQ(profilesShown, documentMode == TRUE);
      // The template's Japanese texts reach the window in the ANSI code page.
      EXPECT_EQ(profilesText, platform::AnsiFromUtf8("プロファイル..."));
    }
  }
}

TEST_F(SettingsSheetTest, TitleNamesMacroOutputOfPclPrintersOnly) {
  struct Case {
    WORD pdl;
    WORD output;
    bool macroSuffix;
  };
  const Case cases[] = {{0x8, 5, true}, {0x8, 1, false}, {kPdlPs3, 5, false}, {0x2, 5, false}};
  HANDLE printer = InstallModel(kShipped[1]);
  for (const Case& c : cases) {
    XDEVMODE settings = Default(printer, kShipped[1]);
    settings.dmPrivate._nPDL = c.pdl;
    settings.dmPrivate._nOutputDest = c.output;
    std::string title;
    user_["#129"] = [&](HWND dialog) { title = TextOf(dialog); };
    RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, TRUE);
    const std::string plain = "Nardo M on " + Port(printer);
    EXPECT_EQ(title, c.macroSuffix ? plain + " (" + A("PCL マクロ") + ")" : plain) << c.pdl << " " << c.output;
  }
}

TEST_F(SettingsSheetTest, OkReturnsTheEditedSettingsAndCancelTheInput) {
  HANDLE printer = InstallModel(kShipped[0]);
  const XDEVMODE original = Default(printer, kShipped[0]);
  for (int button : {IDOK, IDCANCEL}) {
    XDEVMODE buffer = original;  // input and output are one buffer
    user_["#129"] = [&](HWND dialog) {
      SheetOf(dialog)->m_workingSettings.dmPublic.dmCopies = 7;  // as a page records an edit
      Click(dialog, button);
    };
    const int result = RunPropertiesSheet(printer, 0, &buffer, &buffer, FALSE, TRUE);
    if (button == IDOK) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(buffer.dmPublic.dmCopies, 7);
      EXPECT_STREQ(buffer.dmPrivate._sInsertSheets, "InsertSheets");
      EXPECT_EQ(std::string(buffer.dmPrivate._sPortName), Port(printer));
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(std::memcmp(&buffer, &original, sizeof buffer), 0);
    }
  }
}

TEST_F(SettingsSheetTest, CancelRestoresTheCustomPaperAndWritesNoPrinterData) {
  HANDLE printer = InstallModel(kShipped[0]);
  XDEVMODE settings = Default(printer, kShipped[0]);
  ModelRecord* record = GetModelRecord(printer, "Nardo C", kModelReloadWhenMissing);
  int row = -1;
  for (int i = 0; i < kModelMaxPapers && record->papers[i].id; ++i)
    if (record->papers[i].id == kCustomPaperId) row = i;
  ASSERT_GE(row, 0);
  const PaperEntry before = record->papers[row];
  DWORD cfgBefore = 0;
  ASSERT_EQ(Store().GetDword(printer, kStorePrinterData, "Printer", "Cfg", &cfgBefore), ERROR_SUCCESS);

  user_["#129"] = [&](HWND dialog) {
    OrbaMainDlg* sheet = SheetOf(dialog);
    sheet->m_workingSettings.dmPrivate._nCustomPaperIndex = row;
    ModelRecord* live = GetModelRecord(printer, "Nardo C", kModelReloadWhenMissing);
    live->papers[row].geometry[0].width += 1000;  // the paper page edits the cached row
    Click(dialog, IDCANCEL);
  };
  EXPECT_EQ(RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, TRUE), 0);
  const ModelRecord* after = GetModelRecord(printer, "Nardo C", kModelReloadWhenMissing);
  EXPECT_EQ(std::memcmp(&after->papers[row], &before, sizeof before), 0);
  // Nothing on the sheet changed the installed options: no device-wide write.
  DWORD cfgAfter = 0;
  ASSERT_EQ(Store().GetDword(printer, kStorePrinterData, "Printer", "Cfg", &cfgAfter), ERROR_SUCCESS);
  EXPECT_EQ(cfgAfter, cfgBefore);
}

TEST_F(SettingsSheetTest, NoModelRecordRefusesTheSheet) {
  HANDLE printer = InstallModel(kShipped[0]);
  const XDEVMODE original = Default(printer, kShipped[0]);
  XDEVMODE out{};
  bool opened = false;
  user_["#129"] = [&](HWND) { opened = true; };
  EXPECT_EQ(RunPropertiesSheet(printer, 0, &original, nullptr, FALSE, TRUE), 0);
  ModelCacheStop();  // no record can be had
  EXPECT_EQ(RunPropertiesSheet(printer, 0, &original, &out, FALSE, TRUE), 0);
  ModelCacheStart(&LibrarySettings());
  EXPECT_FALSE(opened);
  EXPECT_EQ(std::memcmp(&out, &original, sizeof out), 0);
}

TEST_F(SettingsSheetTest, AProfileSavedInOneSheetGivesTheSameSettingsInTheNext) {
  for (const ShippedModel& model : kShipped) {
    SCOPED_TRACE(model.file);
    HANDLE printer = InstallModel(model);
    const XDEVMODE original = Default(printer, model);
    XDEVMODE first = original;
    user_["#129"] = [&](HWND dialog) {
      XDEVMODE& working = SheetOf(dialog)->m_workingSettings;
      working.dmPublic.dmCopies = 3;
      working.dmPublic.dmOrientation = 2;
      working.dmPrivate._nDuplex = 1;
      working.dmPublic.dmDuplex = 2;
      AddProfile(dialog, "Booklet");
      Click(dialog, IDOK);
    };
    ASSERT_EQ(RunPropertiesSheet(printer, 0, &first, &first, FALSE, TRUE), 1);

    XDEVMODE second = original;
    user_["#129"] = [&](HWND dialog) {
      EXPECT_EQ(Selected(dialog, 1490, true), "(none)");
      Pick(dialog, 1490, "Booklet", true);
      EXPECT_EQ(Selected(dialog, 1490, true), "Booklet");
      // A change clears the selection; undoing it selects the profile again.
      OrbaMainDlg* sheet = SheetOf(dialog);
      sheet->m_workingSettings.dmPublic.dmCopies = 9;
      sheet->UpdateProfileSelection();
      EXPECT_EQ(Selected(dialog, 1490, true), "(none)");
      Pick(dialog, 1490, "Booklet", true);
      Click(dialog, IDOK);
    };
    ASSERT_EQ(RunPropertiesSheet(printer, 0, &second, &second, FALSE, TRUE), 1);
    EXPECT_EQ(sizeof second, 2716u);
    EXPECT_EQ(std::memcmp(&first, &second, sizeof second), 0);
  }
}

// Profiles A, B, C; B applied in the sheet; one deleted in the profiles dialog.
TEST_F(SettingsSheetTest, DeletingAProfileKeepsASelectionAndTheAppliedOne) {
  struct Case {
    const char* deleted;
    std::vector<std::string> left;
    const char* selectedAfter;  // in the profiles dialog
    const char* comboAfter;     // in the sheet, after the dialog closes
  };
  const Case cases[] = {
      {"A", {"B", "C"}, "B", "B"},
      {"B", {"A", "C"}, "C", "(none)"},
      {"C", {"A", "B"}, "B", "B"},  // the last: the new last takes the selection
  };
  HANDLE printer = InstallModel(kShipped[0]);
  const XDEVMODE settings = Default(printer, kShipped[0]);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deleted);
    ClearProfiles(printer, "Nardo C", settings);
    for (const char* name : {"A", "B", "C"}) {
      SaveProfile(printer, name, &settings, kProfileOverwrite);
      SaveProfile(printer, name, &settings, kProfileAdd);
    }
    XDEVMODE buffer = settings;
    user_["#8913"] = [&](HWND dialog) {
      Pick(dialog, 1440, c.deleted, false);
      Click(dialog, 1644);
      EXPECT_EQ(Entries(dialog, 1440, false), c.left);
      EXPECT_EQ(Selected(dialog, 1440, false), c.selectedAfter);
      EXPECT_TRUE(Enabled(dialog, 1644));
      EXPECT_TRUE(Enabled(dialog, 1449));
      Click(dialog, 1450);
    };
    user_["#129"] = [&](HWND dialog) {
      Pick(dialog, 1490, "B", true);
      Click(dialog, 4);
      EXPECT_EQ(Selected(dialog, 1490, true), c.comboAfter);
      Click(dialog, IDCANCEL);
    };
    RunPropertiesSheet(printer, 0, &buffer, &buffer, FALSE, TRUE);
    std::vector<std::string> stored;
    for (const ProfileName& entry : [&] {
           std::vector<ProfileName> names;
           LoadProfileNames(printer, "Nardo C", &settings, names);
           return names;
         }())
      stored.push_back(entry.text);
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, c.left);
  }
  EXPECT_EQ(boxes_.size(), std::size(cases));
}

TEST_F(SettingsSheetTest, DeletingTheOnlyProfileLeavesNothingToActOn) {
  HANDLE printer = InstallModel(kShipped[0]);
  XDEVMODE settings = Default(printer, kShipped[0]);
  ClearProfiles(printer, "Nardo C", settings);
  SaveProfile(printer, "Only", &settings, kProfileAdd);
  user_["#8913"] = [&](HWND dialog) {
    Pick(dialog, 1440, "Only", false);
    Click(dialog, 1644);
    EXPECT_EQ(Selected(dialog, 1440, false), "(none)");
    for (int id : {1644, 1096, 1449}) EXPECT_FALSE(Enabled(dialog, id)) << id;
    Click(dialog, 1449);  // a disabled button that is pressed anyway does nothing
    Click(dialog, 1450);
  };
  user_["#129"] = [&](HWND dialog) {
    Click(dialog, 4);
    Click(dialog, IDOK);
  };
  EXPECT_EQ(RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, TRUE), 1);
}

TEST_F(SettingsSheetTest, ProfileNamesKeepTheirTerminator) {
  struct Case {
    std::string typed;
    std::string stored;
  };
  const std::string b63(63, 'b');
  const Case cases[] = {
      {"a", "a"},
      {b63, b63},
      {std::string(64, 'c'), std::string(63, 'c')},  // typing stops at 63 bytes
      {"  ", ""},                                    // blanks only: nothing added
  };
  HANDLE printer = InstallModel(kShipped[0]);
  XDEVMODE settings = Default(printer, kShipped[0]);
  for (const Case& c : cases) {
    std::vector<std::string> listed;
    user_["#8913"] = [&](HWND dialog) {
      Type(dialog, 1442, c.typed);
      Click(dialog, 1643);
      listed = Entries(dialog, 1440, false);
      Click(dialog, 1450);
    };
    user_["#129"] = [&](HWND dialog) {
      Click(dialog, 4);
      Click(dialog, IDCANCEL);
    };
    RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, TRUE);
    std::vector<ProfileName> names;
    LoadProfileNames(printer, "Nardo C", &settings, names);
    bool found = c.stored.empty();
    for (const ProfileName& entry : names) found = found || c.stored == entry.text;
    EXPECT_TRUE(found) << c.typed.size();
    EXPECT_EQ(std::count(listed.begin(), listed.end(), c.stored), c.stored.empty() ? 0 : 1);
  }
  // The same name again: one message, no second entry.
  std::vector<std::string> listed;
  user_["#8913"] = [&](HWND dialog) {
    ::SetDlgItemTextA(dialog, 1442, " a ");
    Click(dialog, 1643);
    listed = Entries(dialog, 1440, false);
    Click(dialog, 1450);
  };
  user_["#129"] = [&](HWND dialog) {
    Click(dialog, 4);
    Click(dialog, IDCANCEL);
  };
  RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, TRUE);
  EXPECT_EQ(std::count(listed.begin(), listed.end(), "a"), 1);
  EXPECT_EQ(boxes_, std::vector<std::string>{U(A("プロファイル 'a' は既に存在します。"))});
}

TEST_F(SettingsSheetTest, ARestrictedUserCannotLoadProfiles) {
  HANDLE printer = InstallModel(kShipped[0]);
  XDEVMODE settings = Default(printer, kShipped[0]);
  SaveProfile(printer, "Mine", &settings, kProfileAdd);
  for (BOOL restricted : {FALSE, TRUE}) {
    user_["#8913"] = [&](HWND dialog) {
      Pick(dialog, 1440, "Mine", false);
      EXPECT_EQ(Enabled(dialog, 1449), !restricted);
      for (int id : {1442, 1643, 1644, 1096, 9, 1450}) EXPECT_TRUE(Enabled(dialog, id)) << id;
      Click(dialog, 1450);
    };
    user_["#129"] = [&](HWND dialog) {
      Click(dialog, 4);
      Click(dialog, IDCANCEL);
    };
    RunPropertiesSheet(printer, 0, &settings, &settings, restricted, TRUE);
  }
}

TEST_F(SettingsSheetTest, TheInformationPageShowsTheModelIdentity) {
  for (const ShippedModel& model : kShipped) {
    SCOPED_TRACE(model.file);
    HANDLE printer = InstallModel(model);
    XDEVMODE settings = Default(printer, model);
    ModelIdentity identity{};
    ASSERT_EQ(LoadModelIdentity(printer, &identity), 1);
    ASSERT_STRNE(identity.modelName, "");
    for (DWORD monitor : {0u, 1u}) {
      SetDword(printer, kStorePrinterData, "Printer", "Monitor", monitor);
      SetString(printer, kStorePrinterData, "Printer", "IP", "192.0.2.7");
      user_["#129"] = [&](HWND dialog) {
        auto* page = SheetOf(dialog)->GetCurrentPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->GetTemplateId(), 144u);
        HWND p = page->m_hWnd;
        EXPECT_EQ(ItemText(p, 1102), std::string("Printer Driver for ") + identity.modelName);
        EXPECT_EQ(ItemText(p, 1061), "Ver.3.10");
        EXPECT_EQ(ItemText(p, 1443), identity.copyright);
        EXPECT_EQ(ItemText(p, 8914), identity.oemCopyright);
        EXPECT_EQ(ItemText(p, 1448), identity.webSite);
        EXPECT_EQ(ItemText(p, 1073), monitor ? "http://192.0.2.7/" : "");
        // Both shipped models name a logo in their resource module: the logo
        // button takes item 1110 over.
        EXPECT_NE(CWnd::FromHandlePermanent(::GetDlgItem(p, 1110)), nullptr);
        Click(dialog, IDOK);
      };
      EXPECT_EQ(RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, FALSE), 1);
    }
  }
}

// A description of another format: the model loader, which also runs on the
// spooler's side, never shows a box; the sheets warn once per printer.
TEST_F(SettingsSheetTest, AnOtherFormatIsShownOnlyWhereADialogCanBe) {
  std::string description = M1000Description();
  const size_t at = description.find("FormatVersion=2.0");
  ASSERT_NE(at, std::string::npos);
  description.replace(at, 17, "FormatVersion=1.3");
  HANDLE current = InstallModel(kShipped[1]);
  HANDLE older = InstallText(description, "Older");
  FreeModelRecords("Older");
  ASSERT_NE(GetModelRecord(older, "Older", kModelReloadWhenMissing), nullptr);
  EXPECT_TRUE(boxes_.empty());

  EXPECT_FALSE(WarnOfModelFormatOnce(current, "Nardo M", 0));
  EXPECT_TRUE(WarnOfModelFormatOnce(older, "Older", 0));
  EXPECT_FALSE(WarnOfModelFormatOnce(older, "Older", 0));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_NE(boxes_[0].find("Older"), std::string::npos);
  EXPECT_NE(boxes_[0].find("1.3"), std::string::npos);
  // The English text exists as well.
  platform::SetUiLanguage(platform::UiLanguage::English);
  char english[512] = {};
  LoadResString(8940, english, sizeof english);
  EXPECT_EQ(std::string(english).rfind("The model description of printer %s", 0), 0u) << english;
}

// A model that names no help file gets the driver's own WinHelp file, opened at
// the context of the page in front. The class library's help request traces
// the control that has the focus.
TEST_F(SettingsSheetTest, HelpWithoutAModelHelpFileUsesTheDriversOwn) {
  std::string description = M1000Description();
  const size_t helpFile = description.find("HelpFile=nardo5.chm");
  ASSERT_NE(helpFile, std::string::npos);
  description.erase(helpFile, 19);
  HANDLE printer = InstallText(description, "Plain");
  const ShippedModel plain{"", "Plain", 0x8, 0};
  XDEVMODE settings = Default(printer, plain);

  std::vector<platform::HelpRequest> help;
  platform::SetHelpHandler([&](const platform::HelpRequest& request) { help.push_back(request); });
  std::vector<std::string> traces;
  platform::SetDebugOutputSink([&](std::string_view trace) { traces.emplace_back(trace); });
  LRESULT commandHelp = 0;
  user_["#129"] = [&](HWND dialog) {
    Click(dialog, 9);
    ::SetFocus(::GetDlgItem(dialog, IDCANCEL));
    commandHelp = ::SendMessageA(dialog, WM_COMMANDHELP, 0, 0);
    Click(dialog, IDCANCEL);
  };
  EXPECT_EQ(RunPropertiesSheet(printer, 0, &settings, &settings, FALSE, FALSE), 0);
  platform::SetHelpHandler(nullptr);
  platform::SetDebugOutputSink(nullptr);

  char module[MAX_PATH] = {};
  ::GetModuleFileNameA(library_, module, sizeof module);
  std::string folder = module;
  folder.erase(folder.rfind('\\') + 1);
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].viewer, "WinHelp");
  EXPECT_EQ(help[0].file, folder + "mTRQ50.hlp");
  EXPECT_EQ(help[0].command, static_cast<UINT>(HELP_CONTEXT));
  EXPECT_EQ(help[0].data, 8u);
  EXPECT_EQ(commandHelp, 1);
  EXPECT_NE(std::find(traces.begin(), traces.end(), "  2  "), traces.end());
}

// The access-code dialog: each field shown only while its code is on and
// available; OK reads back only the fields it showed.
TEST_F(SettingsSheetTest, AccessCodesChangeOnlyWhereTheirFieldWasShown) {
  struct Case {
    DWORD enabled, available;
    const char* typed;  // into the field when it is shown
    bool fieldEnabled;
    DWORD enabledAfter;
    const char* codeAfter;
  };
  const Case cases[] = {
      {1, 1, "4711", true, 1, "4711"},
      {1, 1, "", true, 0, ""},           // emptied: the code is switched off
      {1, 0, nullptr, false, 1, "old"},  // not available: left as it was
      {0, 1, nullptr, false, 0, "old"},
  };
  AfxSetResourceHandle(0);  // the test program's own template
  for (const Case& c : cases) {
    AccessCodes codes{};
    codes.firstEnabled = c.enabled;
    codes.firstAvailable = c.available;
    std::strcpy(codes.first, "old");
    codes.secondEnabled = 1;
    codes.secondAvailable = 1;
    std::strcpy(codes.second, "second");
    bool fieldEnabled = false;
    std::string shown;
    user_["#218"] = [&](HWND dialog) {
      fieldEnabled = Enabled(dialog, 1314);
      shown = ItemText(dialog, 1314);
      EXPECT_EQ(Enabled(dialog, 1313), fieldEnabled);
      if (c.typed) {
        ::SetDlgItemTextA(dialog, 1314, "");
        Type(dialog, 1314, c.typed);
      }
      Click(dialog, IDOK);
    };
    AccessContrl dialog(nullptr);
    ASSERT_TRUE(dialog.SetSettings(&codes));
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(fieldEnabled, c.fieldEnabled);
    if (c.fieldEnabled) {
      EXPECT_EQ(shown, "old");
    }
    EXPECT_EQ(codes.firstEnabled, c.enabledAfter);
    EXPECT_STREQ(codes.first, c.codeAfter);
    EXPECT_EQ(codes.secondEnabled, 1u);
    EXPECT_STREQ(codes.second, "second");
  }
  AccessContrl without(nullptr);
  EXPECT_FALSE(without.SetSettings(nullptr));
}

}  // namespace
}  // namespace recordstest
