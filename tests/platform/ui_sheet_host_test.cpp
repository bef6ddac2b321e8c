// The common property-sheet host: the reasons a driver's sheet function hears and
// in which order, what the host's service function answers, the page it makes of
// a set of option items with its push button, and DocumentProperties and
// PrinterProperties through a printer whose driver has sheets.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"
#include "platform/ui/sheet_host.h"
#include "platform/ui/tab_control.h"
#include "tests/platform/module_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

constexpr int kPushButton = 200;  // the host's button of the first item
constexpr int kAboutButton = 300;
constexpr int kDialogTemplate = 700;

// What the fake driver is told and what it does.
struct FakeDriver {
  std::vector<std::string> reasons;
  bool refuseInit = false;
  bool plainPage = false;  // a PROPSHEETPAGEA instead of option items
  LONG applyAction = CPSUICB_ACTION_ITEMS_APPLIED;
  LONG_PTR insertAnswer = 0;
  HANDLE setResultHandle = 0;
  LRESULT setResult = -5;
  ULONG_PTR userDataSeen = 0;
  std::vector<WORD> callbackReasons;
  ULONG_PTR callbackUserData = 0;
  HANDLE hostHandle = 0;
  // The option items, kept until DESTROY as a driver keeps them.
  COMPROPSHEETUIA items{};
  OPTITEMA item{};
  OPTTYPEA type{};
  OPTPARAMA param{};
  char name[16] = "Driver";
};
FakeDriver* g_driver = nullptr;

// What the push button's dialog procedure was given.
ULONG_PTR g_dialogUserData = 0;
const OPTITEMA* g_dialogItem = nullptr;

INT_PTR CALLBACK PushButtonDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* callback = reinterpret_cast<const CPSUICBPARAMA*>(lParam);
    g_dialogUserData = callback->UserData;
    g_dialogItem = callback->pCurItem;
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

LONG CALLBACK ItemsCallback(PCPSUICBPARAMA param) {
  g_driver->callbackReasons.push_back(param->Reason);
  g_driver->callbackUserData = param->UserData;
  if (param->Reason == CPSUICB_REASON_APPLYNOW && g_driver->applyAction == CPSUICB_ACTION_ITEMS_APPLIED) {
    param->Result = CPSUI_OK;
  }
  return param->Reason == CPSUICB_REASON_APPLYNOW ? g_driver->applyAction : CPSUICB_ACTION_NONE;
}

const char kPlainPage[] = "DIALOG 0 0 200 100\nSTYLE WS_CHILD\nCONTROL \"x\" 10 STATIC SS_LEFT 10 10 100 20\n";

LONG WINAPI FakeEntry(PPROPSHEETUI_INFO info, LPARAM lParam) {
  FakeDriver& d = *g_driver;
  static const char* const names[] = {"init", "header", "destroy", "result"};
  d.reasons.push_back(info->Reason < 4 ? names[info->Reason] : "other");
  d.hostHandle = info->hComPropSheet;
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      if (d.refuseInit) return -1;
      info->UserData = 77;
      if (d.plainPage) {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DLGINDIRECT;
        page.pResource = kPlainPage;
        page.pfnDlgProc = [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; };
        d.insertAnswer =
            info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEA, reinterpret_cast<LPARAM>(&page), 0);
        return d.insertAnswer ? 1 : -1;
      }
      d.param.cbSize = sizeof d.param;
      d.param.Style = PUSHBUTTON_TYPE_DLGPROC;
      d.param.pData = reinterpret_cast<LPSTR>(reinterpret_cast<void (*)()>(&PushButtonDialog));
      d.param.lParam = kDialogTemplate;
      d.type.cbSize = sizeof d.type;
      d.type.Type = TVOT_PUSHBUTTON;
      d.type.Count = 1;
      d.type.pOptParam = &d.param;
      d.item.cbSize = sizeof d.item;
      d.item.Flags = OPTIF_CALLBACK;
      d.item.pName = d.name;
      d.item.pOptType = &d.type;
      d.items.cbSize = sizeof d.items;
      d.items.Flags = CPSUIF_UPDATE_PERMISSION | CPSUIF_ABOUT_CALLBACK;
      d.items.hInstCaller = GetModuleHandleA(nullptr);
      d.items.pCallerName = d.name;
      d.items.UserData = 4242;
      d.items.pfnCallBack = ItemsCallback;
      d.items.pOptItem = &d.item;
      d.items.cOptItem = 1;
      d.items.pDlgPage = CPSUI_PDLGPAGE_TREEVIEWONLY;
      d.items.pOptItemName = d.name;
      PSUIPAGEINSERT insert{};
      insert.cbSize = sizeof insert;
      insert.Type = PSUIPAGEINSERT_PCOMPROPSHEETUI;
      insert.Mode = INSPSUIPAGE_MODE_FIRST_CHILD;
      insert.dwData1 = reinterpret_cast<ULONG_PTR>(&d.items);
      d.insertAnswer =
          info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_INSERT_PSUIPAGEA, 0, reinterpret_cast<LPARAM>(&insert));
      return d.insertAnswer ? 1 : -1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* header = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
      static char16_t title[] = u"Office";
      header->pTitle = title;
      header->Flags = PSUIHDRF_PROPTITLE | PSUIHDRF_NOAPPLYNOW;
      return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT: {
      const auto* result = reinterpret_cast<const SETRESULT_INFO*>(lParam);
      d.setResultHandle = result->hSetResult;
      d.setResult = result->Result;
      d.userDataSeen = info->UserData;
      info->Result = static_cast<ULONG_PTR>(result->Result) + 100;
      return 1;
    }
    case PROPSHEETUI_REASON_DESTROY: return 1;
    default: return -1;
  }
}

HWND CurrentPage(HWND sheet) { return static_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

class SheetHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_driver = &driver;
    g_dialogUserData = 0;
    g_dialogItem = nullptr;
  }
  void TearDown() override {
    platform::SetDialogHandler(nullptr);
    g_driver = nullptr;
  }
  platform::ui::SheetHostResult Run(std::function<void(HWND)> user) {
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName == "PropertySheet") {
        GetWindowTextA(request.dialog, title, sizeof title);
        user(request.dialog);
      } else {
        dialogs.push_back(request.templateName);
        Click(request.dialog, IDOK);
      }
    });
    return platform::ui::RunSheetHost(0, FakeEntry, 1234);
  }
  FakeDriver driver;
  std::vector<std::string> dialogs;
  char title[64] = {};
};

TEST_F(SheetHostTest, OkRunsThePushButtonAndAppliesTheItems) {
  std::string listed;
  const auto outcome = Run([&](HWND sheet) {
    HWND page = CurrentPage(sheet);
    char text[64] = {};
    SendDlgItemMessageA(page, 100, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    listed = text;
    Click(page, kPushButton);
    Click(sheet, IDOK);
  });
  EXPECT_EQ(driver.reasons, (std::vector<std::string>{"init", "header", "result", "destroy"}));
  EXPECT_NE(driver.insertAnswer, 0);
  EXPECT_STREQ(title, "Office Properties");
  EXPECT_EQ(listed, "Driver");
  // The push button ran the caller's dialog procedure on its template with its data.
  EXPECT_EQ(dialogs, (std::vector<std::string>{"#700"}));
  EXPECT_EQ(g_dialogUserData, 4242u);
  EXPECT_EQ(g_dialogItem, &driver.item);
  // OK asked the items' callback to apply them; the result went to the inserted page.
  EXPECT_EQ(driver.callbackReasons, (std::vector<WORD>{CPSUICB_REASON_APPLYNOW}));
  EXPECT_EQ(driver.callbackUserData, 4242u);
  EXPECT_EQ(driver.setResultHandle, static_cast<HANDLE>(driver.insertAnswer));
  EXPECT_EQ(driver.setResult, CPSUI_OK);
  // UserData and Result round-trip through the reasons.
  EXPECT_EQ(driver.userDataSeen, 77u);
  EXPECT_EQ(outcome.sheet, CPSUI_OK);
  EXPECT_EQ(outcome.result, 101u);
  EXPECT_EQ(outcome.userData, 77u);
}

TEST_F(SheetHostTest, CancelTellsCancelAndAboutCallsBack) {
  const auto outcome = Run([&](HWND sheet) {
    Click(CurrentPage(sheet), kAboutButton);
    Click(sheet, IDCANCEL);
  });
  EXPECT_EQ(driver.callbackReasons, (std::vector<WORD>{CPSUICB_REASON_ABOUT}));
  EXPECT_EQ(driver.setResult, CPSUI_CANCEL);
  EXPECT_EQ(outcome.sheet, CPSUI_CANCEL);
  EXPECT_EQ(driver.reasons, (std::vector<std::string>{"init", "header", "result", "destroy"}));
}

TEST_F(SheetHostTest, ACallbackThatRefusesToApplyKeepsTheSheetOpen) {
  driver.applyAction = CPSUICB_ACTION_NO_APPLY_EXIT;
  bool openAfterOk = false;
  const auto outcome = Run([&](HWND sheet) {
    Click(sheet, IDOK);
    openAfterOk = IsWindowVisible(sheet) != 0;
  });
  EXPECT_TRUE(openAfterOk);
  EXPECT_EQ(outcome.sheet, CPSUI_CANCEL);
}

TEST_F(SheetHostTest, PlainPagesAndPagesApplied) {
  driver.plainPage = true;
  // A page's PSM_APPLY takes effect: Cancel afterwards cannot take it back.
  const auto outcome = Run([&](HWND sheet) {
    SendMessageA(sheet, PSM_APPLY, 0, 0);
    Click(sheet, IDCANCEL);
  });
  EXPECT_NE(driver.insertAnswer, 0);
  EXPECT_EQ(driver.setResultHandle, driver.hostHandle);
  EXPECT_EQ(driver.setResult, CPSUI_OK);
  EXPECT_EQ(outcome.sheet, CPSUI_OK);
  // SET_RESULT came once, after the sheet closed.
  EXPECT_EQ(driver.reasons, (std::vector<std::string>{"init", "header", "result", "destroy"}));
}

TEST_F(SheetHostTest, ARefusedInitShowsNothingAndStillDestroys) {
  driver.refuseInit = true;
  bool shown = false;
  const auto outcome = Run([&](HWND) { shown = true; });
  EXPECT_FALSE(shown);
  EXPECT_EQ(outcome.sheet, -1);
  EXPECT_EQ(driver.reasons, (std::vector<std::string>{"init", "destroy"}));
}

// A driver that asks for what the host does not serve, then refuses the sheet.
std::vector<LONG_PTR> g_probeAnswers;
PFNCOMPROPSHEET g_probeService = nullptr;
HANDLE g_probeHandle = 0;

LONG WINAPI ProbeEntry(PPROPSHEETUI_INFO info, LPARAM) {
  if (info->Reason != PROPSHEETUI_REASON_INIT) return 1;
  PSUIPAGEINSERT unknown{};
  unknown.cbSize = sizeof unknown;
  unknown.Type = PSUIPAGEINSERT_DLL;
  COMPROPSHEETUIA ownPages{};
  ownPages.cbSize = sizeof ownPages;
  DLGPAGEA drawnByCaller{};
  ownPages.pDlgPage = &drawnByCaller;
  PSUIPAGEINSERT own{};
  own.cbSize = sizeof own;
  own.Type = PSUIPAGEINSERT_PCOMPROPSHEETUI;
  own.dwData1 = reinterpret_cast<ULONG_PTR>(&ownPages);
  const HANDLE h = info->hComPropSheet;
  g_probeAnswers = {info->pfnComPropSheet(h, CPSFUNC_INSERT_PSUIPAGEA, 0, reinterpret_cast<LPARAM>(&unknown)),
                    info->pfnComPropSheet(h, CPSFUNC_INSERT_PSUIPAGEA, 0, reinterpret_cast<LPARAM>(&own)),
                    info->pfnComPropSheet(h, CPSFUNC_INSERT_PSUIPAGEA, 0, 0),
                    info->pfnComPropSheet(h, CPSFUNC_ADD_PROPSHEETPAGEA, 0, 0),
                    info->pfnComPropSheet(h + 1000, CPSFUNC_GET_PAGECOUNT, 0, 0),
                    info->pfnComPropSheet(h, CPSFUNC_GET_PAGECOUNT, 0, 0)};
  g_probeService = info->pfnComPropSheet;
  g_probeHandle = h;
  return -1;
}

TEST_F(SheetHostTest, TheServiceFunctionRefusesWhatItCannotServe) {
  EXPECT_EQ(platform::ui::RunSheetHost(0, ProbeEntry, 0).sheet, -1);
  EXPECT_EQ(g_probeAnswers, (std::vector<LONG_PTR>{0, 0, 0, 0, 0, 0}));
  // The host of a finished sheet is gone.
  ASSERT_NE(g_probeService, nullptr);
  SetLastError(0);
  EXPECT_EQ(g_probeService(g_probeHandle, CPSFUNC_GET_PAGECOUNT, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// A driver that adds a page, then inserts others first, after and at an index.
LONG WINAPI OrderingEntry(PPROPSHEETUI_INFO info, LPARAM) {
  if (info->Reason != PROPSHEETUI_REASON_INIT) return 1;
  auto page = [](const char* title) {
    PROPSHEETPAGEA p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    p.pResource = kPlainPage;
    p.pszTitle = title;
    p.pfnDlgProc = [](HWND, UINT m, WPARAM, LPARAM) -> INT_PTR { return m == WM_INITDIALOG; };
    return p;
  };
  auto insert = [&](PROPSHEETPAGEA p, BYTE mode, LPARAM relative) {
    PSUIPAGEINSERT i{};
    i.cbSize = sizeof i;
    i.Type = PSUIPAGEINSERT_PROPSHEETPAGE;
    i.Mode = mode;
    i.dwData1 = reinterpret_cast<ULONG_PTR>(&p);
    return info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_INSERT_PSUIPAGEA, relative, reinterpret_cast<LPARAM>(&i));
  };
  PROPSHEETPAGEA b = page("B");
  const LONG_PTR pageB =
      info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEA, reinterpret_cast<LPARAM>(&b), 0);
  insert(page("A"), INSPSUIPAGE_MODE_FIRST_CHILD, 0);
  insert(page("D"), INSPSUIPAGE_MODE_LAST_CHILD, 0);
  insert(page("C"), INSPSUIPAGE_MODE_AFTER, pageB);
  insert(page("0"), INSPSUIPAGE_MODE_INDEX, 0);
  return info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_GET_PAGECOUNT, 0, 0) == 5 ? 1 : -1;
}

TEST_F(SheetHostTest, InsertedPagesTakeThePlaceTheirModeSays) {
  std::string order;
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    HWND tabs = GetDlgItem(request.dialog, IDC_SHEET_TABS);
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[16] = {};
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      order += text;
    }
  });
  EXPECT_EQ(platform::ui::RunSheetHost(0, OrderingEntry, 0).sheet, CPSUI_CANCEL);
  EXPECT_EQ(order, "0ABCD");
}

// ---- Through the spooler -----------------------------------------------------------

class PrinterSheetTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    if (!std::filesystem::exists(moduletest::ModuleFile("sheet_interface.dll"))) GTEST_SKIP() << "not built";
    platform::SetDebugOutputSink([this](std::string_view text) {
      std::lock_guard guard(lock);
      if (text.substr(0, 7) == "sheet: ") traces.emplace_back(text.substr(7));
    });
    std::string driverName = "Sheets Driver", environment = "Windows x64", dataFile = "C:\\Drivers\\model.ini";
    std::string graphics = "C:\\Drivers\\missing_graphics.dll";
    std::string config = moduletest::ZPath(moduletest::ModuleFile("sheet_interface.dll"));
    DRIVER_INFO_2A driver{2, driverName.data(), environment.data(), graphics.data(), dataFile.data(), config.data()};
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
    std::string port = "LPT1:";
    PRINTER_INFO_2A info{};
    info.pPrinterName = printerName.data();
    info.pPortName = port.data();
    info.pDriverName = driverName.data();
    info.Priority = 1;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(handle, 0u) << GetLastError();
    ClosePrinter(handle);
    ASSERT_TRUE(OpenPrinterA(printerName.data(), &printer, nullptr));
  }
  void TearDown() override {
    if (printer) ClosePrinter(printer);
    platform::SetDialogHandler(nullptr);
    platform::SetDebugOutputSink(nullptr);
    platform::SetCurrentUser("User");
    FreshMachine::TearDown();
  }
  std::vector<std::string> Traces() {
    std::lock_guard guard(lock);
    return traces;
  }

  std::string printerName = "Office";
  HANDLE printer = 0;
  std::mutex lock;
  std::vector<std::string> traces;
};

TEST_F(PrinterSheetTest, DocumentPropertiesPromptsThroughTheDriversSheet) {
  struct Case {
    bool pressButtonAndOk;
    LONG answer;
    SHORT orientation;  // of the output
  };
  for (const Case& c : {Case{true, IDOK, DMORIENT_LANDSCAPE}, Case{false, IDCANCEL, 0}}) {
    SCOPED_TRACE(c.pressButtonAndOk ? "OK" : "Cancel");
    std::string shownTitle;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      if (request.templateName != "PropertySheet") {
        Click(request.dialog, IDOK);
        return;
      }
      char text[64] = {};
      GetWindowTextA(request.dialog, text, sizeof text);
      shownTitle = text;
      if (!c.pressButtonAndOk) return;  // nobody answers: cancelled
      Click(CurrentPage(request.dialog), kPushButton);
      Click(request.dialog, IDOK);
    });
    DEVMODEW out{};
    EXPECT_EQ(DocumentPropertiesW(0, printer, nullptr, &out, nullptr, DM_IN_PROMPT | DM_OUT_BUFFER), c.answer);
    EXPECT_EQ(out.dmOrientation, c.orientation);
    EXPECT_EQ(shownTitle, "Office Properties");
  }
  const std::vector<std::string> expected = {"document init mode 6", "document result 1", "document destroy",
                                             "document init mode 6", "document result 0", "document destroy"};
  EXPECT_EQ(Traces(), expected);
}

TEST_F(PrinterSheetTest, TheAnsiCallConvertsOnlyWhatTheSheetWrote) {
  platform::SetDialogHandler([&](const platform::DialogRequest& request) {
    if (request.templateName != "PropertySheet") {
      Click(request.dialog, IDOK);
      return;
    }
    Click(CurrentPage(request.dialog), kPushButton);
    Click(request.dialog, IDOK);
  });
  char name[] = "Office";
  const LONG size = DocumentPropertiesA(0, printer, name, nullptr, nullptr, 0);
  ASSERT_GT(size, 0);
  std::vector<BYTE> out(static_cast<size_t>(size), 0xAB);
  EXPECT_EQ(DocumentPropertiesA(0, printer, name, reinterpret_cast<PDEVMODEA>(out.data()), nullptr,
                                DM_IN_PROMPT | DM_OUT_BUFFER),
            IDOK);
  EXPECT_EQ(reinterpret_cast<const DEVMODEA*>(out.data())->dmOrientation, DMORIENT_LANDSCAPE);
  // Cancelled: the caller's buffer is left as it was.
  platform::SetDialogHandler(nullptr);
  std::vector<BYTE> untouched(static_cast<size_t>(size), 0xAB);
  EXPECT_EQ(DocumentPropertiesA(0, printer, name, reinterpret_cast<PDEVMODEA>(untouched.data()), nullptr,
                                DM_IN_PROMPT | DM_OUT_BUFFER),
            IDCANCEL);
  EXPECT_EQ(untouched, std::vector<BYTE>(static_cast<size_t>(size), 0xAB));
}

TEST_F(PrinterSheetTest, PrinterPropertiesTellsARestrictedUserHeMayNotChange) {
  ASSERT_TRUE(platform::spooler::SetPrinterAccess(printerName, "Guest", false));
  bool shown = false;
  platform::SetDialogHandler(
      [&](const platform::DialogRequest& request) { shown = request.templateName == "PropertySheet"; });
  EXPECT_TRUE(PrinterPropertiesA(0, printer));
  EXPECT_TRUE(shown);
  platform::SetCurrentUser("Guest");
  HANDLE guestPrinter = 0;
  ASSERT_TRUE(OpenPrinterA(printerName.data(), &guestPrinter, nullptr));
  EXPECT_TRUE(PrinterPropertiesA(0, guestPrinter));
  ClosePrinter(guestPrinter);
  EXPECT_EQ(Traces(), (std::vector<std::string>{"device init flags 0", "device result 0", "device destroy",
                                                "device init flags 1", "device result 0", "device destroy"}));
  SetLastError(0);
  EXPECT_FALSE(PrinterPropertiesA(0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
