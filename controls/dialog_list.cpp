#include "controls/dialog_list.h"

#include <algorithm>

namespace controls {

BEGIN_MESSAGE_MAP(DP_CScrollWindow, CWnd)
ON_WM_VSCROLL()
ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL DP_CScrollWindow::CreateInPlace(UINT id, CWnd* parent) {
  HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
  if (!item) return FALSE;
  CRect rect;
  ::GetWindowRect(item, &rect);
  parent->ScreenToClient(&rect);
  CRect tall(rect.left, rect.top, rect.right, rect.top + 2 * rect.Height());
  if (!Create(nullptr, "ScrollWindow", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | 1, tall, parent, id)) {
    return FALSE;
  }
  MoveWindow(&rect, TRUE);
  UpdateWindow();
  return TRUE;
}

void DP_CScrollWindow::SetContentHeight(int height) {
  CRect client;
  GetClientRect(&client);
  m_scrollRange = std::max(0, height - client.Height());
  ::SetScrollRange(m_hWnd, SB_VERT, 0, m_scrollRange, TRUE);
  // Less content than the view was scrolled by: the contents come back into view.
  if (m_scrollPosition > m_scrollRange) {
    ::ScrollWindow(m_hWnd, 0, m_scrollPosition - m_scrollRange, nullptr, nullptr);
    m_scrollPosition = m_scrollRange;
    ::SetScrollPos(m_hWnd, SB_VERT, m_scrollPosition, TRUE);
  }
}

void DP_CScrollWindow::OnVScroll(UINT code, UINT position, CWnd*) {
  int next = m_scrollPosition;
  switch (code) {
    case SB_LINEUP: next -= 5; break;
    case SB_LINEDOWN: next += 5; break;
    case SB_PAGEUP: next -= 15; break;
    case SB_PAGEDOWN: next += 15; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: next = static_cast<int>(position); break;
    default: return;
  }
  next = std::clamp(next, 0, m_scrollRange);
  ::ScrollWindow(m_hWnd, 0, m_scrollPosition - next, nullptr, nullptr);
  m_scrollPosition = next;
  ::SetScrollPos(m_hWnd, SB_VERT, next, TRUE);
  UpdateWindow();
}

void DP_CScrollWindow::OnPaint() {
  CPaintDC dc(this);
  if (!m_frame) return;
  CRect r;
  GetClientRect(&r);
  CPen grey(PS_SOLID, 1, 0x808080), white(PS_SOLID, 1, 0xFFFFFF);
  CGdiObject* old = dc.SelectObject(&grey);
  dc.MoveTo(r.left, r.bottom - 1);
  dc.LineTo(r.left, r.top);
  dc.LineTo(r.right - 1, r.top);
  dc.SelectObject(&white);
  dc.LineTo(r.right - 1, r.bottom - 1);
  dc.LineTo(r.left, r.bottom - 1);
  if (old) dc.SelectObject(old->m_hObject);
}

BEGIN_MESSAGE_MAP(DP_CDialogListBoxItem, CMyDialog)
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

HBRUSH DP_CDialogListBoxItem::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  if (!m_selected) return CMyDialog::OnCtlColor(dc, control, kind);
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
  return static_cast<HBRUSH>(m_highlight.m_hObject);
}

BOOL DP_CDialogListBoxItem::OnInitDialog() {
  CMyDialog::OnInitDialog();
  if (!m_highlight.m_hObject) m_highlight.CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
  return TRUE;
}

BOOL DP_CDialogListBoxItem::OnEraseBkgnd(CDC* dc) {
  if (!m_selected) return CMyDialog::OnEraseBkgnd(dc);
  CRect client;
  GetClientRect(&client);
  ::FillRect(dc->m_hDC, &client, static_cast<HBRUSH>(m_highlight.m_hObject));
  return TRUE;
}

void DP_CDialogListBoxItem::OnLButtonDown(UINT flags, CPoint point) {
  CMyDialog::OnLButtonDown(flags, point);
  if (!m_list) return;
  m_list->Select(this);
  if (HWND parent = ::GetParent(m_list->m_hWnd)) {
    ::SendMessageA(parent, WM_COMMAND, MAKEWPARAM(m_list->GetDlgCtrlID(), 0), static_cast<LPARAM>(m_list->m_hWnd));
  }
}

DP_CDialogListBox::~DP_CDialogListBox() {
  for (DP_CDialogListBoxItem* item : m_items) {
    if (item->m_autoDelete) delete item;
  }
}

BOOL DP_CDialogListBox::AddItem(DP_CDialogListBoxItem* item) {
  if (!item) return FALSE;
  item->m_list = this;
  if (!item->Create(item->m_templateId, this)) return FALSE;
  CRect size;
  item->GetWindowRect(&size);
  CRect client;
  GetClientRect(&client);
  const int top = m_items.empty() ? 0 : m_items.back()->m_rect.bottom;
  item->m_rect = CRect(0, top, client.Width(), top + size.Height());
  m_items.push_back(item);
  // The rectangle is in the list's contents; the window sits where the view
  // shows that place, which scrolling has moved.
  CRect shown(item->m_rect);
  shown.OffsetRect(0, -m_scrollPosition);
  item->MoveWindow(&shown, TRUE);
  item->ShowWindow(SW_SHOW);
  SetContentHeight(item->m_rect.bottom);
  Select(m_selected);
  return TRUE;
}

void DP_CDialogListBox::Select(int index) {
  if (DP_CDialogListBoxItem* old = GetItem(m_selected)) old->m_selected = FALSE;
  if (DP_CDialogListBoxItem* item = GetItem(index)) item->m_selected = TRUE;
  m_selected = index;
  RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE);
}

void DP_CDialogListBox::Select(DP_CDialogListBoxItem* item) {
  const auto found = std::find(m_items.begin(), m_items.end(), item);
  if (found != m_items.end()) Select(static_cast<int>(found - m_items.begin()));
}

void DP_CDialogListBox::RemoveAll() {
  for (DP_CDialogListBoxItem* item : m_items) {
    item->DestroyWindow();
    if (item->m_autoDelete) delete item;
  }
  m_items.clear();
  m_selected = 0;
  // An empty list starts again at its top.
  m_scrollPosition = 0;
  SetContentHeight(0);
  ::SetScrollPos(m_hWnd, SB_VERT, 0, TRUE);
  ShowWindow(SW_HIDE);
  ShowWindow(SW_SHOW);
}

}  // namespace controls
