// Property sheets and wizards: the frame with its tabs and buttons, the pages as
// child dialogs made when first shown, and the notifications a page hears in the
// order Windows sends them.
#include "platform/ui/prsht.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/resources.h"
#include "platform/ui/dlg_internal.h"
#include "platform/ui/message_box.h"
#include "platform/ui/tab_control.h"

namespace platform::ui {
namespace {

// ---- Page descriptions ----------------------------------------------------------

// The sheet's own copy of a page description: the caller's bytes (a driver may
// keep its data after the public fields) and the texts it pointed to.
struct PageRecord {
  std::vector<BYTE> bytes;
  std::string templateName;
  std::string templateText;  // PSP_DLGINDIRECT
  std::string title;
  PROPSHEETPAGEA* description() { return reinterpret_cast<PROPSHEETPAGEA*>(bytes.data()); }
};

std::mutex g_pagesLock;
std::map<HPROPSHEETPAGE, std::shared_ptr<PageRecord>> g_pages;
HPROPSHEETPAGE g_nextPage = 0x00C00001u;

std::shared_ptr<PageRecord> FindPage(HPROPSHEETPAGE page) {
  std::lock_guard guard(g_pagesLock);
  const auto found = g_pages.find(page);
  return found == g_pages.end() ? nullptr : found->second;
}

std::string LoadText(HINSTANCE instance, LPCSTR text) {
  if (!text) return {};
  if (!IS_INTRESOURCE(text)) return text;
  char buffer[512] = {};
  LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer, sizeof buffer);
  return buffer;
}

// The fields up to lParam are what every caller fills.
constexpr DWORD kMinimumPageSize = offsetof(PROPSHEETPAGEA, pfnCallback);

HPROPSHEETPAGE NewPage(const PROPSHEETPAGEA* page) {
  if (!page || page->dwSize < kMinimumPageSize) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto record = std::make_shared<PageRecord>();
  record->bytes.assign(std::max<size_t>(page->dwSize, sizeof(PROPSHEETPAGEA)), 0);
  std::memcpy(record->bytes.data(), page, page->dwSize);
  PROPSHEETPAGEA* copy = record->description();
  if (copy->dwSize < sizeof(PROPSHEETPAGEA)) {
    copy->pfnCallback = nullptr;
    copy->pcRefParent = nullptr;
    copy->dwFlags &= ~(PSP_USECALLBACK | PSP_USEREFPARENT);
  }
  if (copy->dwFlags & PSP_DLGINDIRECT) {
    if (!copy->pResource) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    record->templateText = copy->pResource;
    copy->pResource = record->templateText.c_str();
  } else if (copy->pszTemplate && !IS_INTRESOURCE(copy->pszTemplate)) {
    record->templateName = copy->pszTemplate;
    copy->pszTemplate = record->templateName.c_str();
  }
  if ((copy->dwFlags & PSP_USETITLE) && copy->pszTitle) {
    record->title = LoadText(copy->hInstance, copy->pszTitle);
    copy->pszTitle = record->title.c_str();
  }
  HPROPSHEETPAGE handle;
  {
    std::lock_guard guard(g_pagesLock);
    handle = g_nextPage++;
    g_pages[handle] = record;
  }
  if ((copy->dwFlags & PSP_USECALLBACK) && copy->pfnCallback) copy->pfnCallback(0, PSPCB_ADDREF, copy);
  if ((copy->dwFlags & PSP_USEREFPARENT) && copy->pcRefParent) ++*copy->pcRefParent;
  return handle;
}

bool ReleasePage(HPROPSHEETPAGE page) {
  std::shared_ptr<PageRecord> record;
  {
    std::lock_guard guard(g_pagesLock);
    const auto found = g_pages.find(page);
    if (found == g_pages.end()) return false;
    record = found->second;
    g_pages.erase(found);
  }
  PROPSHEETPAGEA* copy = record->description();
  if ((copy->dwFlags & PSP_USECALLBACK) && copy->pfnCallback) copy->pfnCallback(0, PSPCB_RELEASE, copy);
  if ((copy->dwFlags & PSP_USEREFPARENT) && copy->pcRefParent && *copy->pcRefParent) --*copy->pcRefParent;
  return true;
}

std::string TemplateTextOf(PageRecord& record) {
  PROPSHEETPAGEA* page = record.description();
  if (page->dwFlags & PSP_DLGINDIRECT) return record.templateText;
  return DialogTemplateText(page->hInstance, page->pszTemplate);
}

std::string TemplateNameOf(PageRecord& record) {
  PROPSHEETPAGEA* page = record.description();
  if (page->dwFlags & PSP_DLGINDIRECT) return "(indirect)";
  if (IS_INTRESOURCE(page->pszTemplate)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(page->pszTemplate));
  return page->pszTemplate;
}

// ---- The sheet ------------------------------------------------------------------

constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

struct Sheet {
  HWND frame = 0;
  HWND tabs = 0;
  HINSTANCE instance = 0;
  DWORD flags = 0;
  bool wizard = false;
  bool modeless = false;
  bool applied = false;
  std::vector<HPROPSHEETPAGE> pages;
  std::vector<HWND> windows;  // 0 until the page is first shown
  int current = -1;
  std::set<HWND> changed;
  UINT wizardButtons = PSWIZB_BACK | PSWIZB_NEXT;
  INT_PTR result = 0;   // what the modal call answers
  INT_PTR restart = 0;  // ID_PSRESTARTWINDOWS/ID_PSREBOOTSYSTEM asked by a page
  RECT pageRect{};
  HFONT font = 0;
  std::string titleBase;
};

thread_local bool t_lastApplied = false;

std::mutex g_sheetsLock;
std::map<HWND, std::shared_ptr<Sheet>> g_sheets;

std::shared_ptr<Sheet> SheetOf(HWND frame) {
  std::lock_guard guard(g_sheetsLock);
  const auto found = g_sheets.find(frame);
  return found == g_sheets.end() ? nullptr : found->second;
}

// Tells a page something; its DWLP_MSGRESULT is the answer.
LRESULT NotifyPage(const Sheet& sheet, HWND page, UINT code, LPARAM lParam = 0) {
  if (!page || !IsWindow(page)) return 0;
  PSHNOTIFY notify{};
  notify.hdr.hwndFrom = sheet.frame;
  notify.hdr.idFrom = 0;
  notify.hdr.code = code;
  notify.lParam = lParam;
  SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
  return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
}

HWND CurrentPage(const Sheet& sheet) {
  return sheet.current >= 0 ? sheet.windows[static_cast<size_t>(sheet.current)] : 0;
}

// The page's window, made the first time; 0 when the page cannot be made.
HWND EnsurePageWindow(Sheet& sheet, int index) {
  HWND& window = sheet.windows[static_cast<size_t>(index)];
  if (window && IsWindow(window)) return window;
  std::shared_ptr<PageRecord> record = FindPage(sheet.pages[static_cast<size_t>(index)]);
  if (!record) return 0;
  PROPSHEETPAGEA* page = record->description();
  if ((page->dwFlags & PSP_USECALLBACK) && page->pfnCallback && !page->pfnCallback(0, PSPCB_CREATE, page)) return 0;
  const std::string text = TemplateTextOf(*record);
  if (text.empty()) return 0;
  window = CreateFromText(page->hInstance, text, TemplateNameOf(*record), sheet.frame, page->pfnDlgProc,
                          reinterpret_cast<LPARAM>(page), DialogKind::kChild);
  if (window) {
    MoveWindow(window, sheet.pageRect.left, sheet.pageRect.top, sheet.pageRect.right - sheet.pageRect.left,
               sheet.pageRect.bottom - sheet.pageRect.top, FALSE);
  }
  return window;
}

int IndexOfTemplateId(const Sheet& sheet, LRESULT id) {
  for (size_t i = 0; i < sheet.pages.size(); ++i) {
    std::shared_ptr<PageRecord> record = FindPage(sheet.pages[i]);
    if (!record) continue;
    const PROPSHEETPAGEA* page = record->description();
    if (!(page->dwFlags & PSP_DLGINDIRECT) && IS_INTRESOURCE(page->pszTemplate) &&
        reinterpret_cast<ULONG_PTR>(page->pszTemplate) == static_cast<ULONG_PTR>(id)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void UpdateWizardButtons(const Sheet& sheet) {
  if (!sheet.wizard) return;
  const UINT b = sheet.wizardButtons;
  HWND back = GetDlgItem(sheet.frame, IDC_SHEET_BACK);
  HWND next = GetDlgItem(sheet.frame, IDC_SHEET_NEXT);
  HWND finish = GetDlgItem(sheet.frame, IDC_SHEET_FINISH);
  EnableWindow(back, (b & PSWIZB_BACK) ? TRUE : FALSE);
  const bool finishAsked = (b & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
  if (sheet.flags & PSH_WIZARDHASFINISH) {
    // Next and Finish side by side.
    EnableWindow(next, (b & PSWIZB_NEXT) ? TRUE : FALSE);
    EnableWindow(finish, (b & PSWIZB_FINISH) ? TRUE : FALSE);
    return;
  }
  // Finish takes Next's place when asked for.
  ShowWindow(next, finishAsked ? SW_HIDE : SW_SHOW);
  ShowWindow(finish, finishAsked ? SW_SHOW : SW_HIDE);
  EnableWindow(next, (b & PSWIZB_NEXT) ? TRUE : FALSE);
  EnableWindow(finish, (b & PSWIZB_FINISH) ? TRUE : FALSE);
}

// Shows the page at `index`, or, when it answers PSN_SETACTIVE with -1, the next
// one in `direction` that accepts (a wizard page may answer a page's template id
// instead). The page that was current has already agreed to leave.
bool Activate(Sheet& sheet, int index, int direction) {
  std::set<int> tried;
  while (index >= 0 && index < static_cast<int>(sheet.pages.size()) && tried.insert(index).second) {
    HWND window = EnsurePageWindow(sheet, index);
    if (!window) {
      index += direction;
      continue;
    }
    const LRESULT answer = NotifyPage(sheet, window, PSN_SETACTIVE);
    if (answer == -1) {
      index += direction;
      continue;
    }
    if (answer != 0 && sheet.wizard) {
      const int target = IndexOfTemplateId(sheet, answer);
      if (target >= 0 && target != index) {
        index = target;
        continue;
      }
    }
    HWND previous = CurrentPage(sheet);
    sheet.current = index;
    if (previous && previous != window) ShowWindow(previous, SW_HIDE);
    ShowWindow(window, SW_SHOW);
    if (sheet.tabs) SendMessageA(sheet.tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
  }
  if (sheet.tabs && sheet.current >= 0) SendMessageA(sheet.tabs, TCM_SETCURSEL, static_cast<WPARAM>(sheet.current), 0);
  return false;
}

// PSN_KILLACTIVE: TRUE keeps the current page.
bool CurrentPageLets(Sheet& sheet) { return NotifyPage(sheet, CurrentPage(sheet), PSN_KILLACTIVE) == 0; }

bool ChangePage(Sheet& sheet, int index) {
  if (index < 0 || index >= static_cast<int>(sheet.pages.size())) return false;
  if (index == sheet.current) return true;
  if (!CurrentPageLets(sheet)) return false;
  return Activate(sheet, index, index > sheet.current ? 1 : -1);
}

void End(Sheet& sheet, INT_PTR result) {
  sheet.result = result;
  EndDialog(sheet.frame, result);
}

// PSN_APPLY to every page made so far; the first refusal keeps the sheet open.
bool ApplyPages(Sheet& sheet, bool closing) {
  for (size_t i = 0; i < sheet.windows.size(); ++i) {
    HWND window = sheet.windows[i];
    if (!window || !IsWindow(window)) continue;
    const LRESULT answer = NotifyPage(sheet, window, PSN_APPLY, closing ? TRUE : FALSE);
    if (answer == PSNRET_INVALID) {
      if (static_cast<int>(i) != sheet.current) Activate(sheet, static_cast<int>(i), 1);
      return false;
    }
    if (answer == PSNRET_INVALID_NOCHANGEPAGE) return false;
  }
  sheet.changed.clear();
  sheet.applied = true;
  EnableWindow(GetDlgItem(sheet.frame, IDC_SHEET_APPLY), FALSE);
  return true;
}

bool PressApply(Sheet& sheet) {
  if (!CurrentPageLets(sheet)) return false;
  return ApplyPages(sheet, false);
}

void PressOk(Sheet& sheet) {
  if (!CurrentPageLets(sheet)) return;
  if (!ApplyPages(sheet, true)) return;
  End(sheet, sheet.restart ? sheet.restart : IDOK);
}

void PressCancel(Sheet& sheet) {
  if (NotifyPage(sheet, CurrentPage(sheet), PSN_QUERYCANCEL)) return;
  for (HWND window : sheet.windows) NotifyPage(sheet, window, PSN_RESET);
  End(sheet, 0);
}

void PressWizard(Sheet& sheet, UINT code, int direction) {
  const LRESULT answer = NotifyPage(sheet, CurrentPage(sheet), code);
  if (answer == -1) return;
  const int target = answer == 0 ? sheet.current + direction : IndexOfTemplateId(sheet, answer);
  if (target < 0 || target >= static_cast<int>(sheet.pages.size())) return;
  if (!CurrentPageLets(sheet)) return;
  Activate(sheet, target, direction);
}

void PressFinish(Sheet& sheet) {
  if (NotifyPage(sheet, CurrentPage(sheet), PSN_WIZFINISH)) return;
  End(sheet, sheet.restart ? sheet.restart : IDOK);
}

void SetTitle(Sheet& sheet, WPARAM style, LPCSTR text) {
  std::string title = LoadText(sheet.instance, text);
  if (style & PSH_PROPTITLE) title += " Properties";
  SetWindowTextA(sheet.frame, title.c_str());
}

INT_PTR CALLBACK SheetProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Sheet> sheet = SheetOf(frame);
  if (!sheet) return FALSE;
  auto answer = [&](LRESULT value) {
    SetWindowLongPtrA(frame, DWLP_MSGRESULT, value);
    return TRUE;
  };
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: PressOk(*sheet); return TRUE;
        case IDCANCEL: PressCancel(*sheet); return TRUE;
        case IDC_SHEET_APPLY: PressApply(*sheet); return TRUE;
        case IDC_SHEET_BACK: PressWizard(*sheet, PSN_WIZBACK, -1); return TRUE;
        case IDC_SHEET_NEXT: PressWizard(*sheet, PSN_WIZNEXT, 1); return TRUE;
        case IDC_SHEET_FINISH: PressFinish(*sheet); return TRUE;
        default: return FALSE;
      }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header || header->hwndFrom != sheet->tabs) return FALSE;
      if (header->code == TCN_SELCHANGING) return answer(CurrentPageLets(*sheet) ? FALSE : TRUE);
      if (header->code == TCN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageA(sheet->tabs, TCM_GETCURSEL, 0, 0));
        Activate(*sheet, index, index > sheet->current ? 1 : -1);
        return answer(0);
      }
      return FALSE;
    }
    case PSM_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (lParam) {
        const auto found = std::find(sheet->pages.begin(), sheet->pages.end(), static_cast<HPROPSHEETPAGE>(lParam));
        index = found == sheet->pages.end() ? -1 : static_cast<int>(found - sheet->pages.begin());
      }
      return answer(ChangePage(*sheet, index) ? TRUE : FALSE);
    }
    case PSM_SETCURSELID: return answer(ChangePage(*sheet, IndexOfTemplateId(*sheet, lParam)) ? TRUE : FALSE);
    case PSM_CHANGED:
      sheet->changed.insert(static_cast<HWND>(wParam));
      EnableWindow(GetDlgItem(frame, IDC_SHEET_APPLY), TRUE);
      return answer(0);
    case PSM_UNCHANGED:
      sheet->changed.erase(static_cast<HWND>(wParam));
      if (sheet->changed.empty()) EnableWindow(GetDlgItem(frame, IDC_SHEET_APPLY), FALSE);
      return answer(0);
    case PSM_APPLY: return answer(PressApply(*sheet) ? TRUE : FALSE);
    case PSM_SETTITLEA: SetTitle(*sheet, wParam, reinterpret_cast<LPCSTR>(lParam)); return answer(0);
    case PSM_SETWIZBUTTONS:
      sheet->wizardButtons = static_cast<UINT>(lParam);
      UpdateWizardButtons(*sheet);
      return answer(0);
    case PSM_PRESSBUTTON: {
      // Posted, as a click would be: a page may press a button from inside a
      // notification without ending the sheet under its own feet.
      static const int ids[] = {IDC_SHEET_BACK, IDC_SHEET_NEXT, IDC_SHEET_FINISH, IDOK, IDC_SHEET_APPLY, IDCANCEL};
      if (wParam < sizeof ids / sizeof ids[0]) {
        PostMessageA(frame, WM_COMMAND, MAKEWPARAM(ids[wParam], BN_CLICKED), 0);
      }
      return answer(0);
    }
    case PSM_RESTARTWINDOWS: sheet->restart = std::max<INT_PTR>(sheet->restart, ID_PSRESTARTWINDOWS); return answer(0);
    case PSM_REBOOTSYSTEM: sheet->restart = ID_PSREBOOTSYSTEM; return answer(0);
    case PSM_CANCELTOCLOSE:
      EnableWindow(GetDlgItem(frame, IDCANCEL), FALSE);
      SetWindowTextA(GetDlgItem(frame, IDOK), "Close");
      return answer(0);
    case PSM_QUERYSIBLINGS:
      for (HWND window : sheet->windows) {
        if (!window || !IsWindow(window)) continue;
        if (LRESULT r = SendMessageA(window, PSM_QUERYSIBLINGS, wParam, lParam)) return answer(r);
      }
      return answer(0);
    case PSM_ADDPAGE: {
      const auto page = static_cast<HPROPSHEETPAGE>(lParam);
      std::shared_ptr<PageRecord> record = FindPage(page);
      if (!record) return answer(FALSE);
      sheet->pages.push_back(page);
      sheet->windows.push_back(0);
      if (sheet->tabs) {
        std::string title = record->title;
        TemplateLayout layout;
        if (title.empty() && ReadTemplateLayout(TemplateTextOf(*record), &layout)) title = layout.caption;
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageA(sheet->tabs, TCM_INSERTITEMA, sheet->pages.size() - 1, reinterpret_cast<LPARAM>(&item));
      }
      return answer(TRUE);
    }
    case PSM_GETTABCONTROL: return answer(static_cast<LRESULT>(sheet->tabs));
    case PSM_GETCURRENTPAGEHWND: return answer(static_cast<LRESULT>(CurrentPage(*sheet)));
    case WM_NCDESTROY: {
      if (sheet->font) DeleteObject(sheet->font);
      sheet->font = 0;
      if (sheet->modeless) {
        for (HPROPSHEETPAGE page : sheet->pages) ReleasePage(page);
        sheet->pages.clear();
      }
      std::lock_guard guard(g_sheetsLock);
      g_sheets.erase(frame);
      return FALSE;
    }
    default: return FALSE;
  }
}

HWND MakeButton(const Sheet& sheet, const char* text, int id, DWORD style, int x, int y) {
  HWND button = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, kButtonWidth,
                                kButtonHeight, sheet.frame, static_cast<HMENU>(id), sheet.instance, nullptr);
  if (button && sheet.font) SendMessageA(button, WM_SETFONT, static_cast<WPARAM>(sheet.font), FALSE);
  return button;
}

HFONT MakeFont(const TemplateLayout& layout) {
  LOGFONTA logFont{};
  const int points = layout.fontPoints > 0 ? layout.fontPoints : 9;
  logFont.lfHeight = -MulDiv(points, platform::gdi::DisplayDpiY(), 72);
  logFont.lfWeight = FW_NORMAL;
  std::snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s",
                layout.fontFace.empty() ? "MS UI Gothic" : layout.fontFace.c_str());
  return CreateFontIndirectA(&logFont);
}

// Makes the frame, its tabs and buttons and shows the start page; 0 on failure
// (the pages stay the caller's to release).
HWND BuildSheet(const std::shared_ptr<Sheet>& sheet, const PROPSHEETHEADERA& header) {
  // The page area holds the largest page.
  int width = 0, height = 0;
  std::vector<std::string> titles;
  TemplateLayout fontSource;
  bool haveFont = false;
  for (HPROPSHEETPAGE page : sheet->pages) {
    std::shared_ptr<PageRecord> record = FindPage(page);
    TemplateLayout layout;
    if (!record || !ReadTemplateLayout(TemplateTextOf(*record), &layout)) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return 0;
    }
    width = std::max(width, static_cast<int>(layout.rect.right - layout.rect.left));
    height = std::max(height, static_cast<int>(layout.rect.bottom - layout.rect.top));
    titles.push_back((record->description()->dwFlags & PSP_USETITLE) ? record->title : layout.caption);
    if (!haveFont && layout.fontPoints > 0) {
      fontSource = layout;
      haveFont = true;
    }
  }
  sheet->font = MakeFont(fontSource);

  RECT tabsRect{}, buttonsTop{};
  int frameWidth = 0, frameHeight = 0;
  if (sheet->wizard) {
    sheet->pageRect = RECT{0, 0, width, height};
    buttonsTop.top = height + kMargin + 2;
  } else {
    tabsRect = RECT{kMargin, kMargin, kMargin + width, kMargin + height};
    // The tab control's frame around the page area.
    RECT outer = tabsRect;
    outer.right += 8;
    outer.bottom += 20 + 8;
    tabsRect = outer;
    sheet->pageRect = RECT{tabsRect.left + 4, tabsRect.top + 24, tabsRect.left + 4 + width, tabsRect.top + 24 + height};
    buttonsTop.top = tabsRect.bottom + kMargin;
  }
  frameWidth = (sheet->wizard ? width : static_cast<int>(tabsRect.right)) + kMargin;
  frameWidth = std::max(frameWidth, 4 * (kButtonWidth + kButtonGap) + 2 * kMargin);
  frameHeight = buttonsTop.top + kButtonHeight + kMargin;

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  sheet->frame = CreateWindowExA(0, "#32770", "", style, 0, 0, frameWidth, frameHeight, header.hwndParent, 0,
                                 header.hInstance, nullptr);
  if (!sheet->frame) return 0;
  {
    std::lock_guard guard(g_sheetsLock);
    g_sheets[sheet->frame] = sheet;
  }
  SetWindowLongPtrA(sheet->frame, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&SheetProcedure));
  SendMessageA(sheet->frame, WM_SETFONT, static_cast<WPARAM>(sheet->font), FALSE);
  if (sheet->wizard) {
    SetWindowTextA(sheet->frame, LoadText(header.hInstance, header.pszCaption).c_str());
  } else {
    SetTitle(*sheet, header.dwFlags & PSH_PROPTITLE, header.pszCaption);
  }

  if (!sheet->wizard) {
    sheet->tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, tabsRect.left,
                                  tabsRect.top, tabsRect.right - tabsRect.left, tabsRect.bottom - tabsRect.top,
                                  sheet->frame, static_cast<HMENU>(IDC_SHEET_TABS), header.hInstance, nullptr);
    SendMessageA(sheet->tabs, WM_SETFONT, static_cast<WPARAM>(sheet->font), FALSE);
    for (size_t i = 0; i < titles.size(); ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = titles[i].data();
      SendMessageA(sheet->tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
  }

  // Buttons at the bottom right, in Windows' order.
  const int y = buttonsTop.top;
  int x = frameWidth - kMargin - kButtonWidth;
  if (sheet->wizard) {
    MakeButton(*sheet, "Cancel", IDCANCEL, BS_PUSHBUTTON, x, y);
    x -= kButtonWidth + kButtonGap;
    if (sheet->flags & PSH_WIZARDHASFINISH) {
      MakeButton(*sheet, "Finish", IDC_SHEET_FINISH, BS_PUSHBUTTON, x, y);
      x -= kButtonWidth + kButtonGap;
      MakeButton(*sheet, "Next >", IDC_SHEET_NEXT, BS_DEFPUSHBUTTON, x, y);
    } else {
      MakeButton(*sheet, "Finish", IDC_SHEET_FINISH, BS_PUSHBUTTON, x, y);
      MakeButton(*sheet, "Next >", IDC_SHEET_NEXT, BS_DEFPUSHBUTTON, x, y);
    }
    x -= kButtonWidth;
    MakeButton(*sheet, "< Back", IDC_SHEET_BACK, BS_PUSHBUTTON, x, y);
    UpdateWizardButtons(*sheet);
  } else {
    if (!(sheet->flags & PSH_NOAPPLYNOW)) {
      HWND apply = MakeButton(*sheet, "Apply", IDC_SHEET_APPLY, BS_PUSHBUTTON, x, y);
      EnableWindow(apply, FALSE);
      x -= kButtonWidth + kButtonGap;
    }
    MakeButton(*sheet, "Cancel", IDCANCEL, BS_PUSHBUTTON, x, y);
    x -= kButtonWidth + kButtonGap;
    MakeButton(*sheet, "OK", IDOK, BS_DEFPUSHBUTTON, x, y);
  }

  if ((header.dwFlags & PSH_USECALLBACK) && header.pfnCallback) {
    header.pfnCallback(sheet->frame, PSCB_INITIALIZED, 0);
  }
  int start = 0;
  if (header.dwFlags & PSH_USEPSTARTPAGE) {
    const std::string wanted = LoadText(header.hInstance, header.pStartPage);
    const auto found = std::find(titles.begin(), titles.end(), wanted);
    if (found != titles.end()) start = static_cast<int>(found - titles.begin());
  } else if (header.nStartPage < sheet->pages.size()) {
    start = static_cast<int>(header.nStartPage);
  }
  if (!Activate(*sheet, start, 1) && !Activate(*sheet, 0, 1)) {
    DestroyWindow(sheet->frame);
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  return sheet->frame;
}

}  // namespace

bool LastSheetApplied() { return t_lastApplied; }

const PROPSHEETPAGEA* PropertySheetPageDescription(HPROPSHEETPAGE page) {
  std::shared_ptr<PageRecord> record = FindPage(page);
  return record ? record->description() : nullptr;
}

}  // namespace platform::ui

using namespace platform::ui;

ZEL_EXTERN_C HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA page) { return NewPage(page); }

ZEL_EXTERN_C BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page) { return ReleasePage(page) ? TRUE : FALSE; }

ZEL_EXTERN_C INT_PTR PropertySheetA(LPCPROPSHEETHEADERA header) {
  if (!header || header->dwSize < offsetof(PROPSHEETHEADERA, pfnCallback) || header->nPages == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto sheet = std::make_shared<Sheet>();
  sheet->instance = header->hInstance;
  sheet->flags = header->dwFlags;
  sheet->wizard = (header->dwFlags & PSH_WIZARD) != 0;
  // The sheet owns every page it shows, as on Windows.
  auto releaseAll = [&] {
    for (HPROPSHEETPAGE page : sheet->pages) ReleasePage(page);
    sheet->pages.clear();
  };
  for (UINT i = 0; i < header->nPages; ++i) {
    HPROPSHEETPAGE page = 0;
    if (header->dwFlags & PSH_PROPSHEETPAGE) {
      const auto* bytes = reinterpret_cast<const BYTE*>(header->ppsp);
      size_t offset = 0;
      for (UINT j = 0; j < i; ++j) offset += reinterpret_cast<const PROPSHEETPAGEA*>(bytes + offset)->dwSize;
      page = NewPage(reinterpret_cast<const PROPSHEETPAGEA*>(bytes + offset));
    } else {
      page = header->phpage ? header->phpage[i] : 0;
      if (!FindPage(page)) page = 0;
    }
    if (!page) {
      releaseAll();
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    sheet->pages.push_back(page);
  }
  sheet->windows.assign(sheet->pages.size(), 0);

  HWND parent = header->hwndParent;
  const bool modeless = (header->dwFlags & PSH_MODELESS) != 0;
  sheet->modeless = modeless;
  const bool parentWasEnabled = !modeless && parent && IsWindowEnabled(parent);
  if (parentWasEnabled) EnableWindow(parent, FALSE);
  HWND frame = BuildSheet(sheet, *header);
  if (!frame) {
    if (parentWasEnabled) EnableWindow(parent, TRUE);
    releaseAll();
    return -1;
  }
  ShowWindow(frame, SW_SHOW);
  if (modeless) return static_cast<INT_PTR>(frame);
  RunModalDialog(frame, sheet->wizard ? "Wizard" : "PropertySheet");
  t_lastApplied = sheet->applied;
  if (parentWasEnabled) EnableWindow(parent, TRUE);
  releaseAll();
  return sheet->result;
}
