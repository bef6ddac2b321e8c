// The common property-sheet host: a driver's sheet function called through its
// reasons, the service function it reaches the host with, and the page the host
// makes of a set of option items.
#include "platform/ui/sheet_host.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/resources.h"
#include "platform/spooler/sheet_runner.h"
#include "platform/ui/dlg_internal.h"
#include "platform/ui/message_box.h"

namespace platform::ui {
namespace {

// Control ids of the host's option-item page.
constexpr int kItemList = 100;
constexpr int kFirstPushButton = 200;
constexpr int kAboutButton = 300;

// The page the host makes of one COMPROPSHEETUI.
struct OptionPage {
  PCOMPROPSHEETUIA items = nullptr;
  HPROPSHEETPAGE handle = 0;
  std::string title;
  ULONG_PTR result = CPSUI_CANCEL;
  bool resultSet = false;  // the page's callback or CPSFUNC_SET_RESULT gave one
};

struct HostState {
  HANDLE handle = 0;
  std::vector<HPROPSHEETPAGE> pages;  // in the sheet's order
  std::vector<std::unique_ptr<OptionPage>> optionPages;
  std::map<HPROPSHEETPAGE, ULONG_PTR> results;  // CPSFUNC_SET_RESULT
  HPROPSHEETPAGE startPage = 0;
};

std::mutex g_hostsLock;
std::map<HANDLE, HostState*> g_hosts;
HANDLE g_nextHost = 0x00C80001u;

HostState* FindHost(HANDLE handle) {
  std::lock_guard guard(g_hostsLock);
  const auto found = g_hosts.find(handle);
  return found == g_hosts.end() ? nullptr : found->second;
}

std::string ItemName(const OPTITEMA& item) { return item.pName && !IS_INTRESOURCE(item.pName) ? item.pName : ""; }

bool IsPushButton(const OPTITEMA& item) {
  return item.pOptType && item.pOptType->Type == TVOT_PUSHBUTTON && item.pOptType->pOptParam &&
         item.pOptType->Count > 0;
}

CPSUICBPARAMA CallbackParam(const OptionPage& page, HWND window, WORD reason, POPTITEMA current) {
  CPSUICBPARAMA param{};
  param.cbSize = sizeof param;
  param.Reason = reason;
  param.hDlg = window;
  param.pOptItem = page.items->pOptItem;
  param.cOptItem = page.items->cOptItem;
  param.pCurItem = current;
  if (current) param.OldSel = current->Sel;
  param.UserData = page.items->UserData;
  param.Result = page.result;
  return param;
}

// A push button of PUSHBUTTON_TYPE_DLGPROC opens the caller's dialog; one of
// PUSHBUTTON_TYPE_CALLBACK calls the callback.
void PressItem(OptionPage& page, HWND window, OPTITEMA& item) {
  const OPTPARAMA& param = item.pOptType->pOptParam[0];
  if (param.Style == PUSHBUTTON_TYPE_DLGPROC) {
    if (!param.pData) return;
    CPSUICBPARAMA callback = CallbackParam(page, window, CPSUICB_REASON_DLGPROC, &item);
    // Through void(*)(): the procedure travels in a text pointer field.
    auto procedure = reinterpret_cast<DLGPROC>(reinterpret_cast<void (*)()>(param.pData));
    const INT_PTR answer = DialogBoxParamA(page.items->hInstCaller, MAKEINTRESOURCEA(param.lParam), window, procedure,
                                           reinterpret_cast<LPARAM>(&callback));
    if (answer > 0 && (page.items->Flags & CPSUIF_UPDATE_PERMISSION)) {
      SendMessageA(GetParent(window), PSM_CHANGED, static_cast<WPARAM>(window), 0);
    }
  } else if (param.Style == PUSHBUTTON_TYPE_CALLBACK && page.items->pfnCallBack) {
    CPSUICBPARAMA callback = CallbackParam(page, window, CPSUICB_REASON_PUSHBUTTON, &item);
    page.items->pfnCallBack(&callback);
  }
}

// OK or Apply: the callback hears CPSUICB_REASON_APPLYNOW; its answer decides
// whether the sheet may close and what the page's result is.
LRESULT ApplyItems(OptionPage& page, HWND window) {
  if (!page.items->pfnCallBack) {
    page.result = CPSUI_OK;
    page.resultSet = true;
    return PSNRET_NOERROR;
  }
  CPSUICBPARAMA callback = CallbackParam(page, window, CPSUICB_REASON_APPLYNOW, page.items->pOptItem);
  const LONG action = page.items->pfnCallBack(&callback);
  if (action == CPSUICB_ACTION_NO_APPLY_EXIT) return PSNRET_INVALID_NOCHANGEPAGE;
  // Applied: what the callback set; nothing to apply: the page agreed all the same.
  page.result = action == CPSUICB_ACTION_ITEMS_APPLIED ? callback.Result : CPSUI_OK;
  page.resultSet = true;
  return PSNRET_NOERROR;
}

void FillOptionPage(OptionPage& page, HWND window) {
  HWND list = GetDlgItem(window, kItemList);
  const COMPROPSHEETUIA& items = *page.items;
  for (WORD i = 0; i < items.cOptItem; ++i) {
    OPTITEMA& item = items.pOptItem[i];
    if (item.Flags & OPTIF_HIDE) continue;
    const std::string name = std::string(static_cast<size_t>(item.Level) * 2, ' ') + ItemName(item);
    const LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(at), i);
    if (IsPushButton(item)) SetDlgItemTextA(window, kFirstPushButton + i, ItemName(item).c_str());
    const bool enabled = !(item.Flags & OPTIF_DISABLED);
    if (HWND button = GetDlgItem(window, kFirstPushButton + i)) EnableWindow(button, enabled ? TRUE : FALSE);
  }
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SetDlgItemTextA(window, kAboutButton, "About...");
}

INT_PTR CALLBACK OptionPageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<OptionPage*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  switch (message) {
    case WM_INITDIALOG: {
      page = reinterpret_cast<OptionPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
      FillOptionPage(*page, window);
      return TRUE;
    }
    case WM_COMMAND: {
      if (!page || HIWORD(wParam) != BN_CLICKED) return FALSE;
      const int id = LOWORD(wParam);
      if (id == kAboutButton && page->items->pfnCallBack) {
        CPSUICBPARAMA callback = CallbackParam(*page, window, CPSUICB_REASON_ABOUT, page->items->pOptItem);
        page->items->pfnCallBack(&callback);
        return TRUE;
      }
      const int index = id - kFirstPushButton;
      if (index >= 0 && index < page->items->cOptItem && IsPushButton(page->items->pOptItem[index])) {
        PressItem(*page, window, page->items->pOptItem[index]);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!page || !header) return FALSE;
      if (header->code == PSN_APPLY) {
        SetWindowLongPtrA(window, DWLP_MSGRESULT, ApplyItems(*page, window));
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

// The page's template: the list of item names, a push button under it for each
// push-button item, and About when the caller asked for it. The texts are set at
// WM_INITDIALOG, so no caller's text is ever parsed as template text.
std::string OptionPageTemplate(const COMPROPSHEETUIA& items) {
  constexpr int kWidth = 320;
  int buttons = 0;
  for (WORD i = 0; i < items.cOptItem; ++i) {
    if (IsPushButton(items.pOptItem[i]) && !(items.pOptItem[i].Flags & OPTIF_HIDE)) ++buttons;
  }
  const int listHeight = 160;
  const int height = 7 + listHeight + 7 + buttons * 30 + 30 + 7;
  std::string text = "DIALOG 0 0 " + std::to_string(kWidth) + " " + std::to_string(height) + "\n";
  text += "STYLE WS_CHILD|DS_CONTROL\nFONT 9 \"MS UI Gothic\"\n";
  text += "CONTROL \"\" " + std::to_string(kItemList) + " LISTBOX LBS_NOTIFY|WS_VSCROLL|WS_TABSTOP|WS_BORDER 7 7 " +
          std::to_string(kWidth - 14) + " " + std::to_string(listHeight) + "\n";
  int y = 7 + listHeight + 7;
  for (WORD i = 0; i < items.cOptItem; ++i) {
    if (!IsPushButton(items.pOptItem[i]) || (items.pOptItem[i].Flags & OPTIF_HIDE)) continue;
    text += "CONTROL \"\" " + std::to_string(kFirstPushButton + i) + " BUTTON BS_PUSHBUTTON|WS_TABSTOP 7 " +
            std::to_string(y) + " 200 24\n";
    y += 30;
  }
  if (items.Flags & CPSUIF_ABOUT_CALLBACK) {
    text += "CONTROL \"\" " + std::to_string(kAboutButton) + " BUTTON BS_PUSHBUTTON|WS_TABSTOP " +
            std::to_string(kWidth - 7 - 90) + " " + std::to_string(y) + " 90 24\n";
  }
  return text;
}

HPROPSHEETPAGE MakeOptionPage(HostState& host, PCOMPROPSHEETUIA items) {
  if (!items || items->cbSize < offsetof(COMPROPSHEETUIA, dwReserved) || (items->cOptItem && !items->pOptItem)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Only the host's list of items is offered; pages the caller draws itself are not.
  if (items->pDlgPage != CPSUI_PDLGPAGE_TREEVIEWONLY && items->pDlgPage != CPSUI_PDLGPAGE_DOCPROP &&
      items->pDlgPage != CPSUI_PDLGPAGE_ADVDOCPROP && items->pDlgPage != CPSUI_PDLGPAGE_PRINTERPROP) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  auto page = std::make_unique<OptionPage>();
  page->items = items;
  if (items->pOptItemName && !IS_INTRESOURCE(items->pOptItemName)) {
    page->title = items->pOptItemName;
  } else if (items->pCallerName && !IS_INTRESOURCE(items->pCallerName)) {
    page->title = items->pCallerName;
  }
  const std::string text = OptionPageTemplate(*items);
  PROPSHEETPAGEA description{};
  description.dwSize = sizeof description;
  description.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
  description.hInstance = items->hInstCaller;
  description.pResource = text.c_str();
  description.pszTitle = page->title.c_str();
  description.pfnDlgProc = OptionPageProcedure;
  description.lParam = reinterpret_cast<LPARAM>(page.get());
  page->handle = CreatePropertySheetPageA(&description);
  if (!page->handle) return 0;
  host.optionPages.push_back(std::move(page));
  return host.optionPages.back()->handle;
}

// Where an inserted page goes among the pages the driver gave so far: before or
// after the page `relative` names, first, last, or (INSPSUIPAGE_MODE_INDEX) at
// the index `relative` holds.
void Place(HostState& host, HPROPSHEETPAGE page, BYTE mode, LPARAM relative) {
  auto at = std::find(host.pages.begin(), host.pages.end(), static_cast<HPROPSHEETPAGE>(relative));
  switch (mode) {
    case INSPSUIPAGE_MODE_BEFORE:
      if (at != host.pages.end()) {
        host.pages.insert(at, page);
        return;
      }
      break;
    case INSPSUIPAGE_MODE_AFTER:
      if (at != host.pages.end()) {
        host.pages.insert(at + 1, page);
        return;
      }
      break;
    case INSPSUIPAGE_MODE_FIRST_CHILD: host.pages.insert(host.pages.begin(), page); return;
    case INSPSUIPAGE_MODE_INDEX:
      host.pages.insert(host.pages.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                 static_cast<size_t>(relative < 0 ? 0 : relative), host.pages.size())),
                        page);
      return;
    default: break;
  }
  host.pages.push_back(page);
}

LONG_PTR Insert(HostState& host, LPARAM relative, const PSUIPAGEINSERT* insert) {
  if (!insert || insert->cbSize < sizeof(WORD) + 2 * sizeof(BYTE)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  HPROPSHEETPAGE page = 0;
  switch (insert->Type) {
    case PSUIPAGEINSERT_PCOMPROPSHEETUI:
      page = MakeOptionPage(host, reinterpret_cast<PCOMPROPSHEETUIA>(insert->dwData1));
      break;
    case PSUIPAGEINSERT_PROPSHEETPAGE:
      page = CreatePropertySheetPageA(reinterpret_cast<const PROPSHEETPAGEA*>(insert->dwData1));
      break;
    case PSUIPAGEINSERT_HPROPSHEETPAGE:
      page = PropertySheetPageDescription(static_cast<HPROPSHEETPAGE>(insert->dwData1))
                 ? static_cast<HPROPSHEETPAGE>(insert->dwData1)
                 : 0;
      break;
    default: SetLastError(ERROR_NOT_SUPPORTED); return 0;
  }
  if (!page) return 0;
  Place(host, page, insert->Mode, relative);
  return static_cast<LONG_PTR>(page);
}

LONG_PTR CALLBACK HostService(HANDLE handle, UINT function, LPARAM lParam1, LPARAM lParam2) {
  HostState* host = FindHost(handle);
  if (!host) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (function) {
    case CPSFUNC_ADD_PROPSHEETPAGEA: {
      HPROPSHEETPAGE page = CreatePropertySheetPageA(reinterpret_cast<const PROPSHEETPAGEA*>(lParam1));
      if (page) host->pages.push_back(page);
      return static_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_HPROPSHEETPAGE: {
      const auto page = static_cast<HPROPSHEETPAGE>(lParam1);
      if (!PropertySheetPageDescription(page)) return 0;
      host->pages.push_back(page);
      return static_cast<LONG_PTR>(page);
    }
    case CPSFUNC_ADD_PCOMPROPSHEETUIA: {
      HPROPSHEETPAGE page = MakeOptionPage(*host, reinterpret_cast<PCOMPROPSHEETUIA>(lParam1));
      if (page) host->pages.push_back(page);
      return static_cast<LONG_PTR>(page);
    }
    case CPSFUNC_INSERT_PSUIPAGEA: return Insert(*host, lParam1, reinterpret_cast<const PSUIPAGEINSERT*>(lParam2));
    case CPSFUNC_SET_RESULT: {
      const auto page = static_cast<HPROPSHEETPAGE>(lParam1);
      host->results[page] = static_cast<ULONG_PTR>(lParam2);
      return 1;
    }
    case CPSFUNC_GET_PAGECOUNT: return static_cast<LONG_PTR>(host->pages.size());
    case CPSFUNC_SET_HSTARTPAGE: {
      const auto page = static_cast<HPROPSHEETPAGE>(lParam1);
      if (std::find(host->pages.begin(), host->pages.end(), page) == host->pages.end()) return 0;
      host->startPage = page;
      return 1;
    }
    default: SetLastError(ERROR_NOT_SUPPORTED); return 0;
  }
}

// The host's record, known to HostService while the driver runs.
class HostRegistration {
 public:
  explicit HostRegistration(HostState& state) : state_(state) {
    std::lock_guard guard(g_hostsLock);
    state_.handle = g_nextHost++;
    g_hosts[state_.handle] = &state_;
  }
  ~HostRegistration() {
    std::lock_guard guard(g_hostsLock);
    g_hosts.erase(state_.handle);
    // Pages never shown are the host's to release.
    for (HPROPSHEETPAGE page : leftover) DestroyPropertySheetPage(page);
  }
  HostRegistration(const HostRegistration&) = delete;
  HostRegistration& operator=(const HostRegistration&) = delete;
  std::vector<HPROPSHEETPAGE> leftover;

 private:
  HostState& state_;
};

LONG Call(PFN_DrvDocumentPropertySheets entry, PROPSHEETUI_INFO& info, WORD reason, LPARAM lParam) {
  info.Reason = reason;
  return entry(&info, lParam);
}

std::string TitleOf(const PROPSHEETUI_INFO_HEADER& header) {
  if (!header.pTitle) return {};
  if (IS_INTRESOURCE(header.pTitle)) {
    char buffer[256] = {};
    LoadStringA(header.hInst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(header.pTitle)), buffer, sizeof buffer);
    return buffer;
  }
  return platform::FromUtf16(platform::Utf16FromZ(header.pTitle));
}

LONG RunnerForSpooler(HWND parent, PFN_DrvDocumentPropertySheets entry, LPARAM header) {
  return RunSheetHost(parent, entry, header).sheet;
}

const bool g_runnerInstalled = [] {
  platform::spooler::SetSheetRunner(&RunnerForSpooler);
  return true;
}();

}  // namespace

SheetHostResult RunSheetHost(HWND parent, PFN_DrvDocumentPropertySheets entry, LPARAM header) {
  SheetHostResult outcome;
  if (!entry) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return outcome;
  }
  HostState host;
  HostRegistration registration(host);
  PROPSHEETUI_INFO info{};
  info.cbSize = sizeof info;
  info.Version = PROPSHEETUI_INFO_VERSION;
  info.Flags = 0;  // the driver is asked for the ANSI forms
  info.hComPropSheet = host.handle;
  info.pfnComPropSheet = &HostService;
  info.lParamInit = header;
  auto finish = [&](bool shown) {
    Call(entry, info, PROPSHEETUI_REASON_DESTROY, shown ? TRUE : FALSE);
    outcome.result = info.Result;
    outcome.userData = info.UserData;
  };

  if (Call(entry, info, PROPSHEETUI_REASON_INIT, header) <= 0 || host.pages.empty()) {
    registration.leftover = host.pages;
    finish(false);
    return outcome;
  }
  PROPSHEETUI_INFO_HEADER infoHeader{};
  infoHeader.cbSize = sizeof infoHeader;
  infoHeader.hWndParent = parent;
  Call(entry, info, PROPSHEETUI_REASON_GET_INFO_HEADER, reinterpret_cast<LPARAM>(&infoHeader));
  const std::string title = TitleOf(infoHeader);

  PROPSHEETHEADERA sheet{};
  sheet.dwSize = sizeof sheet;
  sheet.dwFlags = 0;
  if (infoHeader.Flags & PSUIHDRF_PROPTITLE) sheet.dwFlags |= PSH_PROPTITLE;
  if (infoHeader.Flags & PSUIHDRF_NOAPPLYNOW) sheet.dwFlags |= PSH_NOAPPLYNOW;
  sheet.hwndParent = parent;
  sheet.hInstance = infoHeader.hInst;
  sheet.pszIcon = MAKEINTRESOURCEA(infoHeader.IconID);
  if (infoHeader.IconID) sheet.dwFlags |= PSH_USEICONID;
  sheet.pszCaption = title.c_str();
  sheet.nPages = static_cast<UINT>(host.pages.size());
  const auto start = std::find(host.pages.begin(), host.pages.end(), host.startPage);
  sheet.nStartPage = start == host.pages.end() ? 0 : static_cast<UINT>(start - host.pages.begin());
  std::vector<HPROPSHEETPAGE> pages = host.pages;
  sheet.phpage = pages.data();
  const INT_PTR shown = PropertySheetA(&sheet);  // the sheet releases its pages
  if (shown < 0) {
    finish(false);
    return outcome;
  }
  const bool ok = shown > 0 || LastSheetApplied();
  outcome.sheet = ok ? CPSUI_OK : CPSUI_CANCEL;

  // One result for each set of option items, else one for the whole sheet.
  auto tell = [&](HANDLE handle, LRESULT result) {
    SETRESULT_INFO setResult{};
    setResult.cbSize = sizeof setResult;
    setResult.hSetResult = handle;
    setResult.Result = result;
    Call(entry, info, PROPSHEETUI_REASON_SET_RESULT, reinterpret_cast<LPARAM>(&setResult));
  };
  if (host.optionPages.empty()) {
    tell(host.handle, outcome.sheet);
  } else {
    for (const auto& page : host.optionPages) {
      ULONG_PTR result = ok ? (page->resultSet ? page->result : CPSUI_OK) : CPSUI_CANCEL;
      const auto set = host.results.find(page->handle);
      if (set != host.results.end()) result = set->second;
      tell(page->handle, static_cast<LRESULT>(result));
    }
  }
  finish(true);
  return outcome;
}

}  // namespace platform::ui
