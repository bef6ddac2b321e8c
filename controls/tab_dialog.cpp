#include "controls/tab_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace controls {

namespace {

constexpr int kPageList = 1028;
constexpr int kPageFrame = 1001;
constexpr int kCaption = 1024;

// Whether the window's text has "&" followed by the key (case ignored).
bool HasMnemonic(HWND window, char key) {
  char text[256] = {};
  ::GetWindowTextA(window, text, sizeof text);
  const char* amp = std::strchr(text, '&');
  if (!amp || !amp[1]) return false;
  return std::toupper(static_cast<unsigned char>(amp[1])) == std::toupper(static_cast<unsigned char>(key));
}

}  // namespace

bool DispatchMnemonic(CWnd* target, char key) {
  if (!target || !target->m_hWnd) return false;
  HWND first = ::GetWindow(target->m_hWnd, GW_CHILD);
  HWND hit = 0;
  for (HWND child = first; child;) {
    if (HasMnemonic(child, key) && ::IsWindowEnabled(child)) {
      hit = child;
      break;
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
    if (child == first) break;
  }
  if (!hit) return false;
  HWND control = hit;
  while (true) {
    const LRESULT code = ::SendMessageA(control, WM_GETDLGCODE, 0, 0);
    if ((code & DLGC_BUTTON) && (code & DLGC_DEFPUSHBUTTON)) {
      target->PostMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED), static_cast<LPARAM>(control));
      return true;
    }
    if (!(code & DLGC_BUTTON) && (code & DLGC_WANTCHARS)) {
      ::SetFocus(control);
      target->SendMessage(WM_NEXTDLGCTL, static_cast<WPARAM>(control), TRUE);
      return true;
    }
    if (code & DLGC_BUTTON) {
      ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      ::PostMessageA(control, WM_LBUTTONUP, 0, 0);
      return true;
    }
    // A label: the control after it takes the mnemonic.
    HWND next = ::GetWindow(control, GW_HWNDNEXT);
    if (!next) next = first;
    if (next == hit) return false;
    control = next;
  }
}

// ---- Pages --------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(DP_ListBoxTabDialogItem, CMyDialog)
ON_WM_SYSCOMMAND()
ON_WM_DESTROY()
END_MESSAGE_MAP()

DP_ListBoxTabDialogItem::DP_ListBoxTabDialogItem(UINT templateId) : m_templateId(templateId) { m_nIDHelp = templateId; }

DP_ListBoxTabDialogItem::~DP_ListBoxTabDialogItem() {
  if (m_hWnd) DestroyWindow();
  delete m_focusRelay;
}

void DP_ListBoxTabDialogItem::SetTabInfo(UINT iconId, const std::string& title) {
  m_iconId = iconId;
  m_title = title;
  m_largeIcon = TRUE;
}

DP_COwnerDrawIconListBoxItem* DP_ListBoxTabDialogItem::GetListItem() {
  if (m_listItem) return m_listItem;
  DescribeTab();
  // A page without a large-icon description is not listed (the dialog still
  // owns it); no debugging box is shown for it.
  if (!m_largeIcon) return nullptr;
  m_listItem = new DP_COwnerDrawIconListBoxItem(m_iconId, m_title);
  m_listItem->m_userPointer = this;
  return m_listItem;
}

BOOL DP_ListBoxTabDialogItem::CreatePage(DP_ListBoxTabDialog* owner) {
  m_owner = owner;
  return CDialog::Create(m_templateId, owner);
}

BOOL DP_ListBoxTabDialogItem::OnInitDialog() {
  CMyDialog::OnInitDialog();
  delete m_focusRelay;
  m_focusRelay = new DP_CFocusDetectButton;
  m_focusRelay->Create(this, m_owner);
  SendMessage(WM_NEXTDLGCTL, static_cast<WPARAM>(m_focusRelay->m_hWnd), TRUE);
  return TRUE;
}

void DP_ListBoxTabDialogItem::OnOK() {
  if (m_owner) m_owner->OnOK();
}

void DP_ListBoxTabDialogItem::OnCancel() {
  if (m_owner) m_owner->OnCancel();
}

void DP_ListBoxTabDialogItem::OnSysCommand(UINT command, LPARAM lParam) {
  if ((command & 0xFFF0) == SC_KEYMENU && DispatchMnemonic(m_owner, static_cast<char>(LOBYTE(lParam)))) return;
  CMyDialog::OnSysCommand(command, lParam);
}

void DP_ListBoxTabDialogItem::OnDestroy() {
  CMyDialog::OnDestroy();
  if (m_focusRelay) {
    m_focusRelay->DestroyWindow();
    delete m_focusRelay;
    m_focusRelay = nullptr;
  }
}

// ---- The dialog ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(DP_ListBoxTabDialog, CMyDialog)
ON_WM_PAINT()
ON_LBN_SELCHANGE(1028, OnSelChange)
ON_WM_MEASUREITEM()
ON_WM_DESTROY()
ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

DP_ListBoxTabDialog::~DP_ListBoxTabDialog() {
  // Pages queued for a dialog that never ran still belong to it.
  for (DP_ListBoxTabDialogItem* page : m_queuedPages) {
    if (page->m_autoDelete) delete page;
  }
  for (DP_ListBoxTabDialogItem* page : unlisted_) {
    if (page->m_autoDelete) delete page;
  }
}

void DP_ListBoxTabDialog::ListPage(DP_ListBoxTabDialogItem* page) {
  if (DP_COwnerDrawIconListBoxItem* item = page->GetListItem()) {
    m_pageList.AddItem(item, 0);
  } else {
    unlisted_.push_back(page);
  }
}

BOOL DP_ListBoxTabDialog::AddPage(DP_ListBoxTabDialogItem* page, BOOL autoDelete) {
  page->m_autoDelete = autoDelete;
  page->m_owner = this;
  if (!m_initialised) {
    m_queuedPages.push_back(page);
  } else {
    ListPage(page);
  }
  return TRUE;
}

BOOL DP_ListBoxTabDialog::SelectPage(DP_ListBoxTabDialogItem* page) {
  if (page == m_currentPage) return TRUE;
  if (!page) return FALSE;
  HWND focus = ::GetFocus();
  CRect area;
  if (HWND frame = ::GetDlgItem(m_hWnd, kPageFrame)) {
    ::GetWindowRect(frame, &area);
    ScreenToClient(&area);
  }
  area.DeflateRect(4, 4);
  if (!page->CreatePage(this)) return FALSE;
  page->MoveWindow(&area, TRUE);
  page->ShowWindow(SW_SHOW);
  if (m_currentPage) {
    m_currentPage->ShowWindow(SW_HIDE);
    m_currentPage->DestroyWindow();
  }
  m_currentPage = page;
  m_caption.SetWindowText(page->GetWindowText());
  m_focusRelay.SetTarget(page);
  if (focus && ::IsWindow(focus)) ::SetFocus(focus);
  return FALSE;
}

BOOL DP_ListBoxTabDialog::OnInitDialog() {
  CMyDialog::OnInitDialog();
  m_pageList.SubclassDlgItem(kPageList, this);
  m_caption.SubclassDlgItem(kCaption, this);
  m_focusRelay.Create(this, nullptr);
  m_initialised = TRUE;
  DP_ListBoxTabDialogItemArray queued;
  queued.swap(m_queuedPages);
  for (DP_ListBoxTabDialogItem* page : queued) AddPage(page, page->m_autoDelete);
  // A dialog without pages opens empty rather than failing.
  if (m_pageList.GetCount() > 0) {
    m_pageList.SetCurSel(0);
    auto* first = static_cast<DP_ListBoxTabDialogItem*>(m_pageList.GetItem(0)->m_userPointer);
    SelectPage(first);
  }
  CenterWindow();
  return TRUE;
}

void DP_ListBoxTabDialog::OnSelChange() {
  DP_COwnerDrawListBoxItem* item = m_pageList.GetSelectedItem();
  if (item) SelectPage(static_cast<DP_ListBoxTabDialogItem*>(item->m_userPointer));
}

void DP_ListBoxTabDialog::OnPaint() {
  CPaintDC dc(this);
  dc.SetMapMode(MM_TEXT);
  CRect r;
  if (HWND frame = ::GetDlgItem(m_hWnd, kPageFrame)) {
    ::GetWindowRect(frame, &r);
    ScreenToClient(&r);
  }
  const int l = r.left, t = r.top, rr = r.right, b = r.bottom;
  CPen black(PS_SOLID, 1, 0x000000), white(PS_SOLID, 1, 0xFFFFFF), grey(PS_SOLID, 1, 0x808080);
  CGdiObject* old = dc.SelectObject(&black);
  auto line = [&](int x0, int y0, int x1, int y1) {
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
  };
  line(l + 1, t, rr, t);
  line(rr, t + 1, rr, b);
  line(rr - 1, b, l, b);
  line(l, b - 1, l, t);
  dc.SelectObject(&white);
  line(l + 1, t + 1, l + 1, b - 1);
  line(l + 1, t + 1, rr - 1, t + 1);
  line(l + 2, t + 2, l + 2, b - 2);
  line(l + 2, t + 2, rr - 2, t + 2);
  dc.SelectObject(&grey);
  line(l + 1, b - 1, rr, b - 1);
  line(l + 2, b - 2, rr, b - 2);
  line(rr - 1, b - 1, rr - 1, t + 1);
  line(rr - 2, b - 2, rr - 2, t + 2);
  if (old) dc.SelectObject(old->m_hObject);
}

void DP_ListBoxTabDialog::OnMeasureItem(int id, LPMEASUREITEMSTRUCT measure) {
  if (id == kPageList) {
    HDC hdc = ::GetDC(m_hWnd);
    measure->itemHeight = hdc ? static_cast<UINT>(MulDiv(73, ::GetDeviceCaps(hdc, LOGPIXELSY), 96)) : 73;
    if (hdc) ::ReleaseDC(m_hWnd, hdc);
  }
  CMyDialog::OnMeasureItem(id, measure);
}

void DP_ListBoxTabDialog::OnDestroy() {
  CMyDialog::OnDestroy();
  // The page being left gets its WM_DESTROY while it is still whole: a page
  // deleted with its window open would lose its own handler (and what that
  // handler keeps) to the base class's destructor.
  if (m_currentPage && m_currentPage->m_hWnd) m_currentPage->DestroyWindow();
  const int count = m_pageList.GetCount();
  for (int i = 0; i < count; ++i) {
    DP_COwnerDrawListBoxItem* item = m_pageList.GetItem(i);
    auto* page = item ? static_cast<DP_ListBoxTabDialogItem*>(item->m_userPointer) : nullptr;
    if (!page) continue;
    if (page == m_currentPage) m_currentPage = nullptr;
    if (page->m_autoDelete) {
      item->m_userPointer = nullptr;
      delete page;  // its window goes with it
    }
  }
  for (DP_ListBoxTabDialogItem* page : unlisted_) {
    if (page->m_autoDelete) delete page;
  }
  unlisted_.clear();
  m_currentPage = nullptr;
}

void DP_ListBoxTabDialog::OnSysCommand(UINT command, LPARAM lParam) {
  if ((command & 0xFFF0) == SC_KEYMENU && m_currentPage &&
      DispatchMnemonic(m_currentPage, static_cast<char>(LOBYTE(lParam)))) {
    return;
  }
  CMyDialog::OnSysCommand(command, lParam);
}

}  // namespace controls
