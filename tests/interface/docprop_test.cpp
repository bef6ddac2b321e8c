// A document's settings as an application asks for them: DocumentProperties of
// the stand-in spooler, which loads the printer's configuration module (the built
// zeluid5.dll) and calls its DrvDocumentPropertySheets without a property sheet.
// The size query, the copy of the current settings, the merge of the caller's
// device mode, and the probe of a network printer's server.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/driver_ui.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/prsht.h"
#include "tests/interface/ui_test_support.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"
#include "tools/machinesetup/printer_install.h"

namespace {

constexpr LONG kIdOk = 1;
constexpr LONG kDevmodeSize = 2716;
constexpr LONG kAnsiDevmodeSize = 2716 - (220 - 156);

std::string UniqueName(const std::string& base) {
  static int counter = 0;
  return base + " " + std::to_string(++counter);
}

struct Model {
  const char* file;
  WORD pdl;
  DWORD variant;
};
const Model kModels[] = {{"nardo-c5545.ini", kPdlPs3, 1}, {"nardo-m3020.ini", kPdlPcl5si, 0}};

class DocumentPropertiesTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    ASSERT_TRUE(db_.Load(machinesetup::BuiltDriverFolder()));
  }
  void TearDown() override {
    for (HANDLE printer : printers_) ClosePrinter(printer);
    db_.Unload();
    FreshMachine::TearDown();
  }

  // A shipped model with its language and variant in the printer's data.
  HANDLE Install(const Model& model, const std::string& name) {
    HANDLE printer = uitest::InstallPrinter(model.file, name);
    if (!printer) return 0;
    printers_.push_back(printer);
    SetPrinterDword(printer, "PDL", model.pdl);
    SetPrinterDword(printer, "TRQ50Compatible", model.variant);
    return printer;
  }
  void SetPrinterDword(HANDLE printer, const char* key, DWORD value) {
    ASSERT_EQ(db_.SetDword(printer, kStorePrinterData, "Printer", key, value), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(db_.SetDword(printer, kStorePrinterData, "Printer", "Cfg", ++counter_),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  bool UserDword(const std::string& section, const char* key, DWORD& value) {
    return db_.GetDword(0, kStoreUser, section.c_str(), key, &value) == ERROR_SUCCESS;
  }

  // DocumentPropertiesW into a fresh 2716-byte block.
  LONG Properties(HANDLE printer, const std::string& name, XDEVMODE* out, const XDEVMODE* in, DWORD mode) {
    std::u16string wide = platform::ToUtf16(name);
    return DocumentPropertiesW(0, printer, wide.data(), out ? &out->dmPublic : nullptr,
                               in ? const_cast<DEVMODEW*>(&in->dmPublic) : nullptr, mode);
  }

  testsupport::SettingsLibrary db_;
  std::vector<HANDLE> printers_;
  DWORD counter_ = 200;
};

TEST_F(DocumentPropertiesTest, TheSizeQueryAnswersTheDriversDeviceModeSize) {
  for (const Model& model : kModels) {
    SCOPED_TRACE(model.file);
    const std::string name = UniqueName("Office");
    HANDLE printer = Install(model, name);
    ASSERT_NE(printer, 0u);
    EXPECT_EQ(Properties(printer, name, nullptr, nullptr, 0), kDevmodeSize);
    // An output buffer with mode 0 is still only a question.
    XDEVMODE untouched;
    std::memset(&untouched, 0x3C, sizeof untouched);
    const XDEVMODE before = untouched;
    EXPECT_EQ(Properties(printer, name, &untouched, nullptr, 0), kDevmodeSize);
    EXPECT_EQ(std::memcmp(&untouched, &before, sizeof untouched), 0);
    // Named only: the spooler opens the printer itself.
    EXPECT_EQ(Properties(0, name, nullptr, nullptr, 0), kDevmodeSize);
    // The ANSI form answers the ANSI size.
    std::string ansiName = name;
    EXPECT_EQ(DocumentPropertiesA(0, printer, ansiName.data(), nullptr, nullptr, 0), kAnsiDevmodeSize);
  }
}

TEST_F(DocumentPropertiesTest, ACopyIsThePrintersCurrentDeviceModeWithItsAttributes) {
  const std::string name = UniqueName("Office");
  HANDLE printer = Install(kModels[1], name);
  ASSERT_NE(printer, 0u);
  // The printer's own settings, as its set-up or an administrator stored them.
  XDEVMODE stored{};
  ASSERT_EQ(Properties(printer, name, &stored, nullptr, DM_OUT_BUFFER), kIdOk);
  stored.dmPublic.dmScale = 77;
  PRINTER_INFO_8W level8{&stored.dmPublic};
  ASSERT_TRUE(SetPrinterW(printer, 8, reinterpret_cast<BYTE*>(&level8), 0));

  XDEVMODE out{};
  EXPECT_EQ(Properties(printer, name, &out, nullptr, DM_OUT_BUFFER), kIdOk);
  EXPECT_EQ(out.dmPublic.dmSize, 220);
  EXPECT_EQ(out.dmPublic.dmDriverExtra, 2496);
  EXPECT_EQ(out.dmPublic.dmScale, 77);
  EXPECT_EQ(out.dmPrivate._nPDL, kPdlPcl5si);
  EXPECT_EQ(out.dmPrivate._dwPrinterAttributes, static_cast<DWORD>(PRINTER_ATTRIBUTE_LOCAL));
  EXPECT_STREQ(out.dmPrivate._sPortName, "FILE:");
  char program[MAX_PATH] = {};
  GetModuleFileNameA(0, program, MAX_PATH);
  EXPECT_STREQ(out.dmPrivate.applicationPath, program);
  EXPECT_EQ(std::u16string(out.dmPrivate._wsPrinterName), platform::ToUtf16(name));

  // The user's first use of the printer was noted on the way.
  DWORD used = 0;
  EXPECT_TRUE(UserDword(name, "AlreadyUsed", used));
  EXPECT_EQ(used, 1u);

  // DM_OUT_DEFAULT (DM_UPDATE) fills the output the same way.
  XDEVMODE updated{};
  EXPECT_EQ(Properties(printer, name, &updated, nullptr, DM_OUT_DEFAULT), kIdOk);
  EXPECT_EQ(std::memcmp(&updated, &out, sizeof out), 0);
}

TEST_F(DocumentPropertiesTest, TheCallersDeviceModeIsMergedFieldByField) {
  for (const Model& model : kModels) {
    SCOPED_TRACE(model.file);
    const std::string name = UniqueName("Office");
    HANDLE printer = Install(model, name);
    ASSERT_NE(printer, 0u);
    XDEVMODE mine{};
    ASSERT_EQ(Properties(printer, name, &mine, nullptr, DM_OUT_BUFFER), kIdOk);
    mine.dmPublic.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_TTOPTION;
    mine.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
    mine.dmPublic.dmPaperSize = DMPAPER_A5;
    mine.dmPublic.dmScale = 5;
    mine.dmPublic.dmCopies = 0;
    mine.dmPublic.dmTTOption = 1;
    std::strcpy(mine.dmPrivate._sAccount, "mine");
    mine.dmPrivate._nUp = 4;

    XDEVMODE out{};
    EXPECT_EQ(Properties(printer, name, &out, &mine, DM_IN_BUFFER | DM_OUT_BUFFER), kIdOk);
    EXPECT_EQ(out.dmPublic.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(out.dmPublic.dmPaperSize, DMPAPER_A5);
    EXPECT_EQ(out.dmPublic.dmScale, 100);
    EXPECT_EQ(out.dmPublic.dmCopies, 1);
    EXPECT_EQ(out.dmPublic.dmTTOption, DMTT_SUBDEV);
    EXPECT_STREQ(out.dmPrivate._sAccount, "mine");
    // Four-up is PostScript's: the PCL printer prints one page per sheet.
    EXPECT_EQ(out.dmPrivate._nUp, model.pdl == kPdlPs3 ? 4 : 1);

    // Without DM_IN_BUFFER the caller's device mode is not read.
    XDEVMODE ignored{};
    EXPECT_EQ(Properties(printer, name, &ignored, &mine, DM_OUT_BUFFER), kIdOk);
    EXPECT_EQ(ignored.dmPublic.dmPaperSize, model.variant ? 290 : DMPAPER_A4);
    EXPECT_STREQ(ignored.dmPrivate._sAccount, "");
  }
}

TEST_F(DocumentPropertiesTest, ADeviceModeOfAnotherDriverLeavesTheCurrentOne) {
  const std::string name = UniqueName("Office");
  HANDLE printer = Install(kModels[0], name);
  ASSERT_NE(printer, 0u);
  XDEVMODE current{};
  ASSERT_EQ(Properties(printer, name, &current, nullptr, DM_OUT_BUFFER), kIdOk);
  XDEVMODE other{};
  other.dmPublic.dmSize = 220;
  other.dmPublic.dmDriverExtra = 0;
  other.dmPublic.dmFields = DM_COPIES;
  other.dmPublic.dmCopies = 5;
  XDEVMODE out{};
  EXPECT_EQ(Properties(printer, name, &out, &other, DM_IN_BUFFER | DM_OUT_BUFFER), kIdOk);
  EXPECT_EQ(std::memcmp(&out, &current, sizeof out), 0);
}

TEST_F(DocumentPropertiesTest, TheAnsiCallConvertsBothDeviceModes) {
  const std::string name = UniqueName("Office");
  HANDLE printer = Install(kModels[0], name);
  ASSERT_NE(printer, 0u);
  std::string ansiName = name;
  std::vector<BYTE> out(kAnsiDevmodeSize, 0);
  auto* outA = reinterpret_cast<DEVMODEA*>(out.data());
  ASSERT_EQ(DocumentPropertiesA(0, printer, ansiName.data(), outA, nullptr, DM_OUT_BUFFER), kIdOk);
  EXPECT_EQ(outA->dmSize, 156);
  EXPECT_EQ(outA->dmDriverExtra, 2496);
  EXPECT_EQ(outA->dmPaperSize, 290);

  // The caller's ANSI device mode, merged.
  std::vector<BYTE> in = out;
  auto* inA = reinterpret_cast<DEVMODEA*>(in.data());
  inA->dmFields = DM_COPIES;
  inA->dmCopies = 6;
  std::strcpy(reinterpret_cast<char*>(in.data()) + 156 + offsetof(XDEVMODE_PRIVATE, _sNote), "note");
  std::vector<BYTE> merged(kAnsiDevmodeSize, 0);
  ASSERT_EQ(DocumentPropertiesA(0, printer, ansiName.data(), reinterpret_cast<DEVMODEA*>(merged.data()), inA,
                                DM_IN_BUFFER | DM_OUT_BUFFER),
            kIdOk);
  const auto* mergedA = reinterpret_cast<const DEVMODEA*>(merged.data());
  EXPECT_EQ(mergedA->dmCopies, 6);
  EXPECT_STREQ(reinterpret_cast<const char*>(merged.data()) + 156 + offsetof(XDEVMODE_PRIVATE, _sNote), "note");
}

TEST_F(DocumentPropertiesTest, ModesWithoutAnAnswerFail) {
  const std::string name = UniqueName("Office");
  HANDLE printer = Install(kModels[1], name);
  ASSERT_NE(printer, 0u);
  XDEVMODE out{};
  const XDEVMODE before = out;
  // Only an input: nothing to answer into.
  EXPECT_EQ(Properties(printer, name, &out, &out, DM_IN_BUFFER), -1);
  EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
  // An unknown printer.
  EXPECT_EQ(Properties(0, "Nobody", &out, nullptr, DM_OUT_BUFFER), -1);
}

// A printer reached through a connection to its server ("\\server\printer").
class NetworkPrinterTest : public DocumentPropertiesTest {
 protected:
  void SetUp() override {
    DocumentPropertiesTest::SetUp();
    name_ = UniqueName("Shared");
    local_ = Install(kModels[1], name_);
    ASSERT_NE(local_, 0u);
    connection_ = "\\\\localhost\\" + name_;
    std::string connection = connection_;
    ASSERT_TRUE(AddPrinterConnectionA(connection.data())) << GetLastError();
    ASSERT_TRUE(OpenPrinterA(connection.data(), &remote_, nullptr));
    printers_.push_back(remote_);
  }

  void Share(bool shared) {
    DWORD needed = 0;
    GetPrinterA(local_, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterA(local_, 2, buffer.data(), needed, &needed));
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
    std::string share = "Share" + std::to_string(counter_);
    info->pShareName = share.data();
    info->Attributes =
        shared ? (info->Attributes | PRINTER_ATTRIBUTE_SHARED) : (info->Attributes & ~DWORD(PRINTER_ATTRIBUTE_SHARED));
    info->pDevMode = nullptr;
    ASSERT_TRUE(SetPrinterA(local_, 2, buffer.data(), 0)) << GetLastError();
  }

  std::string name_;
  std::string connection_;
  HANDLE local_ = 0;
  HANDLE remote_ = 0;
};

TEST_F(NetworkPrinterTest, AServerThatDoesNotListThePrinterIsMarkedDown) {
  // Not shared: the server's list of shared printers leaves it out.
  XDEVMODE out{};
  EXPECT_EQ(Properties(remote_, connection_, &out, nullptr, DM_OUT_BUFFER), kIdOk);
  DWORD down = 7;
  ASSERT_TRUE(UserDword(connection_, "bServerDown", down));
  EXPECT_EQ(down, 1u);
  EXPECT_EQ(out.dmPrivate._dwPrinterAttributes & PRINTER_ATTRIBUTE_NETWORK,
            static_cast<DWORD>(PRINTER_ATTRIBUTE_NETWORK));
  EXPECT_EQ(out.dmPublic.dmSize, 220) << "the settings are still served";

  // Shared: the server answers with it, and the mark is cleared.
  Share(true);
  EXPECT_EQ(Properties(remote_, connection_, nullptr, nullptr, 0), kDevmodeSize);
  ASSERT_TRUE(UserDword(connection_, "bServerDown", down));
  EXPECT_EQ(down, 0u);
}

TEST_F(NetworkPrinterTest, ALocalPrinterIsNeverProbed) {
  EXPECT_EQ(Properties(local_, name_, nullptr, nullptr, 0), kDevmodeSize);
  DWORD down = 0;
  EXPECT_FALSE(UserDword(name_, "bServerDown", down));
}

// The entry point called directly, as the spooler and the property-sheet host do.
class DocumentSheetsEntryTest : public DocumentPropertiesTest {
 protected:
  void SetUp() override {
    DocumentPropertiesTest::SetUp();
    name_ = UniqueName("Office");
    printer_ = Install(kModels[1], name_);
    ASSERT_NE(printer_, 0u);
    module_ = LoadLibraryA(uitest::AnsiWindowsPath(uitest::BuiltModule("zeluid5.dll")).c_str());
    ASSERT_NE(module_, 0u);
    entry_ = reinterpret_cast<PFN_DrvDocumentPropertySheets>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "DrvDocumentPropertySheets")));
    ASSERT_NE(entry_, nullptr);
    wideName_ = platform::ToUtf16(name_);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    DocumentPropertiesTest::TearDown();
  }

  DOCUMENTPROPERTYHEADER Header(XDEVMODE* out, DWORD cbOut, DWORD mode) {
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer_;
    header.pszPrinterName = wideName_.data();
    header.pdmOut = out ? &out->dmPublic : nullptr;
    header.cbOut = cbOut;
    header.fMode = mode;
    return header;
  }

  std::string name_;
  std::u16string wideName_;
  HANDLE printer_ = 0;
  HMODULE module_ = 0;
  PFN_DrvDocumentPropertySheets entry_ = nullptr;
};

TEST_F(DocumentSheetsEntryTest, TheSizeQueryWritesTheSizeIntoTheHeader) {
  DOCUMENTPROPERTYHEADER header = Header(nullptr, 0, DM_COPY);
  EXPECT_EQ(entry_(nullptr, reinterpret_cast<LPARAM>(&header)), kDevmodeSize);
  EXPECT_EQ(header.cbOut, static_cast<DWORD>(kDevmodeSize));
}

TEST_F(DocumentSheetsEntryTest, AnOutputTooSmallForTheDeviceModeIsRefusedUntouched) {
  std::vector<BYTE> small(100, 0x11);
  const std::vector<BYTE> before = small;
  DOCUMENTPROPERTYHEADER header = Header(nullptr, static_cast<DWORD>(small.size()), DM_COPY);
  header.pdmOut = reinterpret_cast<DEVMODEW*>(small.data());
  SetLastError(0);
  EXPECT_EQ(entry_(nullptr, reinterpret_cast<LPARAM>(&header)), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(small, before);
}

TEST_F(DocumentSheetsEntryTest, WithoutAHeaderOrAReadablePrinterThereIsNoAnswer) {
  EXPECT_EQ(entry_(nullptr, 0), -1);
  XDEVMODE out{};
  DOCUMENTPROPERTYHEADER header = Header(&out, sizeof out, DM_COPY);
  header.hPrinter = 0x7FFF;
  EXPECT_EQ(entry_(nullptr, reinterpret_cast<LPARAM>(&header)), -1);
}

// The document sheet through the common property-sheet host, as an application's
// Print dialog opens it: the driver's push button opens the settings dialog,
// where the user picks a profile; OK on the sheet hands the settings back.
TEST_F(DocumentSheetsEntryTest, TheSheetsPushButtonEditsTheDocumentsSettings) {
  // A profile of this printer's language and model that sets three copies.
  const std::string list = "Profiles\\PCL\\1";
  ASSERT_EQ(db_.SetString(0, kStoreUser, list.c_str(), "5468726565", "5468726565"), ERROR_SUCCESS);
  ASSERT_EQ(db_.SetDword(0, kStoreUser, (list + "\\5468726565").c_str(), "Copies", 3), ERROR_SUCCESS);
  struct Case {
    bool okOnSheet;
    LONG answer;
    SHORT copies;
  };
  for (const Case& c : {Case{true, IDOK, 3}, Case{false, IDCANCEL, 0}}) {
    SCOPED_TRACE(c.okOnSheet ? "OK" : "Cancel");
    std::vector<std::string> seen;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      seen.push_back(request.templateName);
      HWND dialog = request.dialog;
      if (request.templateName == "PropertySheet") {
        HWND page = static_cast<HWND>(SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
        SendMessageA(GetDlgItem(page, 200), BM_CLICK, 0, 0);
        if (c.okOnSheet) SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      } else if (request.templateName == "#129") {
        HWND combo = GetDlgItem(dialog, 1490);
        const LRESULT index =
            SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Three"));
        ASSERT_GE(index, 0);
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1490, CBN_SELCHANGE), static_cast<LPARAM>(combo));
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      }
    });
    XDEVMODE out{};
    EXPECT_EQ(Properties(printer_, name_, &out, nullptr, DM_IN_PROMPT | DM_OUT_BUFFER), c.answer);
    platform::SetDialogHandler(nullptr);
    // The push button's own dialog ends as soon as the settings dialog closed.
    EXPECT_EQ(seen, (std::vector<std::string>{"PropertySheet", "#129"}));
    EXPECT_EQ(out.dmPublic.dmCopies, c.copies);
    if (c.okOnSheet) {
      EXPECT_EQ(out.dmPublic.dmSize + out.dmPublic.dmDriverExtra, kDevmodeSize);
    }
  }
}

// The printer's properties as a printers folder opens them: the driver's page
// with its identity, its settings button opening the information page alone;
// a user without administrator rights finds both buttons disabled.
TEST_F(DocumentSheetsEntryTest, ThePrinterPageShowsTheDriverAndOpensItsSettings) {
  struct Case {
    const char* user;
    bool buttonsEnabled;
  };
  ASSERT_TRUE(platform::spooler::SetPrinterAccess(name_, "Guest", false));
  for (const Case& c : {Case{nullptr, true}, Case{"Guest", false}}) {
    SCOPED_TRACE(c.user ? c.user : "administrator");
    HANDLE printer = printer_;
    if (c.user) {
      platform::SetCurrentUser(c.user);
      std::string name = name_;
      ASSERT_TRUE(OpenPrinterA(name.data(), &printer, nullptr));
    }
    std::string identity;
    bool settingsEnabled = false, setupEnabled = false;
    int pagesInSettings = -1;
    bool comboShown = true;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      HWND dialog = request.dialog;
      if (request.templateName == "PropertySheet") {
        HWND page = static_cast<HWND>(SendMessageA(dialog, PSM_GETCURRENTPAGEHWND, 0, 0));
        char text[256] = {};
        GetDlgItemTextA(page, 1102, text, sizeof text);
        identity = text;
        settingsEnabled = IsWindowEnabled(GetDlgItem(page, 1439));
        setupEnabled = IsWindowEnabled(GetDlgItem(page, 1719));
        SendMessageA(GetDlgItem(page, 1439), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      } else if (request.templateName == "#129") {
        pagesInSettings = static_cast<int>(SendMessageA(GetDlgItem(dialog, 1028), LB_GETCOUNT, 0, 0));
        comboShown = IsWindowVisible(GetDlgItem(dialog, 1490));
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
      }
    });
    EXPECT_TRUE(PrinterPropertiesA(0, printer));
    platform::SetDialogHandler(nullptr);
    EXPECT_EQ(identity, "Printer Driver for Nardo Page M3020");
    EXPECT_EQ(settingsEnabled, c.buttonsEnabled);
    EXPECT_EQ(setupEnabled, c.buttonsEnabled);
    EXPECT_EQ(pagesInSettings, c.buttonsEnabled ? 1 : -1);
    if (c.buttonsEnabled) {
      EXPECT_FALSE(comboShown);
    }
    if (c.user) {
      // A printer write of the restricted user is refused.
      PRINTER_INFO_7A info{nullptr, DSPRINT_UPDATE};
      SetLastError(0);
      EXPECT_FALSE(SetPrinterA(printer, 7, reinterpret_cast<LPBYTE>(&info), 0));
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
      ClosePrinter(printer);
    }
  }
}

}  // namespace
