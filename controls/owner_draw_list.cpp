#include "controls/owner_draw_list.h"

namespace controls {

void DP_COwnerDrawListBoxItem::Draw(CDC* dc, const CRect& rect, BOOL selected, BOOL focused) {
  const COLORREF background = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  const COLORREF text = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  dc->SetBkColor(background);
  dc->SetTextColor(text);
  dc->ExtTextOut(rect.left, rect.top, ETO_OPAQUE, &rect, "");
  if (focused) {
    CRect inner(rect);
    inner.DeflateRect(2, 2);
    dc->DrawFocusRect(&inner);
  }
}

int DP_COwnerDrawListBoxItem::OnMouse(UINT, int, int) { return 0; }

void DP_COwnerDrawIconListBoxItem::Draw(CDC* dc, const CRect& rect, BOOL selected, BOOL focused) {
  DP_COwnerDrawListBoxItem::Draw(dc, rect, selected, focused);
  if (HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_iconId))) {
    dc->DrawIcon(rect.left + (rect.right - rect.left) / 2 - GetSystemMetrics(SM_CXICON) / 2, rect.top + 3, icon);
    DestroyIcon(icon);
  }
  DP_CFont font;
  font.Create();
  CGdiObject* old = font.m_hObject ? dc->SelectObject(&font) : nullptr;
  TEXTMETRICA metrics{};
  dc->GetTextMetrics(&metrics);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  CRect caption(rect.left + 5, rect.top + iconHeight + 6, rect.right - 5,
                rect.top + iconHeight + 2 * metrics.tmHeight + 14);
  dc->DrawText(m_caption, &caption, DT_CENTER | DT_WORDBREAK);
  if (old) dc->SelectObject(old->m_hObject);
  // A black band along the bottom separates the entries.
  CRect band(rect.left, rect.bottom - 2, rect.right, rect.bottom);
  ::FillRect(dc->m_hDC, &band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

int DP_COwnerDrawIconListBoxItem::GetHeight() {
  HDC screen = ::GetDC(0);
  if (!screen) return 75;
  const int height = MulDiv(75, ::GetDeviceCaps(screen, LOGPIXELSY), 96);
  ::ReleaseDC(0, screen);
  return height;
}

BEGIN_MESSAGE_MAP(DP_COwnerDrawListBox, CListBox)
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()

void DP_COwnerDrawListBox::DrawItem(LPDRAWITEMSTRUCT draw) {
  auto* item = reinterpret_cast<DP_COwnerDrawListBoxItem*>(draw->itemData);
  if (!item) return;
  const UINT state = draw->itemState & (ODS_SELECTED | ODS_FOCUS);
  item->Draw(CDC::FromHandle(draw->hDC), CRect(draw->rcItem), state != 0 ? TRUE : FALSE,
             (state != 0 && (state & ODS_FOCUS)) ? TRUE : FALSE);
}

void DP_COwnerDrawListBox::MeasureItem(LPMEASUREITEMSTRUCT measure) {
  auto* item = m_adding ? m_adding : reinterpret_cast<DP_COwnerDrawListBoxItem*>(measure->itemData);
  measure->itemHeight = item ? static_cast<UINT>(item->GetHeight()) : 75;
}

void DP_COwnerDrawListBox::DeleteItem(LPDELETEITEMSTRUCT entry) {
  delete reinterpret_cast<DP_COwnerDrawListBoxItem*>(entry->itemData);
}

BOOL DP_COwnerDrawListBox::AddItem(DP_COwnerDrawListBoxItem* item, DWORD value) {
  if (!item) return FALSE;
  item->m_value = value;
  item->m_listBox = this;
  return Insert(LB_ADDSTRING, 0, item);
}

BOOL DP_COwnerDrawListBox::Insert(UINT message, WPARAM at, DP_COwnerDrawListBoxItem* item) {
  if (!(GetStyle() & LBS_HASSTRINGS)) return SendMessage(message, at, reinterpret_cast<LPARAM>(item)) != LB_ERR;
  const std::string text = item->GetText();
  m_adding = item;
  const LRESULT added = SendMessage(message, at, reinterpret_cast<LPARAM>(text.c_str()));
  m_adding = nullptr;
  if (added == LB_ERR) return FALSE;
  SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(added), reinterpret_cast<LPARAM>(item));
  return TRUE;
}

BOOL DP_COwnerDrawListBox::InsertItem(int index, DP_COwnerDrawListBoxItem* item, DWORD value) {
  if (!item) return FALSE;
  item->m_value = value;
  item->m_listBox = this;
  return Insert(LB_INSERTSTRING, static_cast<WPARAM>(index), item);
}

DP_COwnerDrawListBoxItem* DP_COwnerDrawListBox::GetItem(int index) {
  const LRESULT data = SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index));
  return data == LB_ERR ? nullptr : reinterpret_cast<DP_COwnerDrawListBoxItem*>(data);
}

void DP_COwnerDrawListBox::OnMouseMessage(UINT message, UINT, CPoint point) {
  Default();
  const int count = GetCount();
  for (int index = GetTopIndex(); index < count; ++index) {
    CRect rect;
    if (GetItemRect(index, &rect) == LB_ERR) break;
    if (rect.PtInRect(point)) {
      DP_COwnerDrawListBoxItem* item = GetItem(index);
      if (item && item->OnMouse(message, point.x - rect.left, point.y - rect.top)) InvalidateRect(&rect, FALSE);
      break;
    }
    if (rect.bottom > point.y) break;
  }
}

BOOL DP_COwnerDrawListBox::OnEraseBkgnd(CDC* dc) {
  CRect client;
  GetClientRect(&client);
  ::FillRect(dc->m_hDC, &client, GetSysColorBrush(COLOR_BTNFACE));
  return TRUE;
}

}  // namespace controls
