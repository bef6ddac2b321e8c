#include "monitor/status_rows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "monitor/monitor_settings.h"
#include "platform/base/codepage.h"
#include "platform/gdi/screen.h"
#include "platform/ui/dialog_keys.h"

namespace monitor {

namespace {

int Extent(HDC dc, const std::string& text) {
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// The byte length of the longest head of `text` that fits `width`, whole
// characters only.
size_t FittingHead(HDC dc, const std::string& text, int width) {
  size_t fits = 0;
  size_t at = 0;
  while (at < text.size()) {
    const size_t next = at + (::IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1);
    if (Extent(dc, text.substr(0, next)) > width) break;
    fits = at = next;
  }
  return fits;
}

HICON CachedIcon(UINT id) {
  static std::map<UINT, HICON> icons;
  auto& icon = icons[id];
  if (!icon) icon = ::LoadIconA(0, MAKEINTRESOURCEA(id));
  return icon;
}

int IconWidth() { return ::GetSystemMetrics(SM_CXICON); }

}  // namespace

std::string WrapToWidth(const std::string& text, HDC dc, int width) {
  if (Extent(dc, text) <= width) return text;
  size_t head = FittingHead(dc, text, width);
  size_t breakAt = head;
  bool hyphen = true;
  const size_t blank = text.rfind(' ', head ? head - 1 : 0);
  if (blank != std::string::npos && blank < head && blank > head / 2) {
    breakAt = blank;
    hyphen = false;
  }
  std::string rest = text.substr(breakAt);
  rest = rest.substr(0, FittingHead(dc, rest, width));
  return text.substr(0, breakAt) + (hyphen ? "-" : "") + "\n" + rest;
}

int TextRowHeight(HDC dc, int lines) {
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  return std::max<int>(lines * metrics.tmHeight, ::GetSystemMetrics(SM_CYICON));
}

void DrawJobRow(HDC dc, const RECT& row, const MonitorJob& job) {
  const int icon = IconWidth();
  const std::string label = LoadText(59199);
  ::TextOutA(dc, icon + 2, row.top + 1, label.c_str(), static_cast<int>(label.size()));
  SIZE lineSize{};
  ::GetTextExtentPoint32A(dc, job.documentName.c_str(), static_cast<int>(job.documentName.size()), &lineSize);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  const int line = std::max<int>(lineSize.cy, metrics.tmHeight);
  const int nameLeft = icon + Extent(dc, label) + 3;
  const int width = (row.right - row.left) - icon - Extent(dc, label) - Extent(dc, "-") - 3;
  const std::string name = WrapToWidth(job.documentName, dc, width);
  RECT nameRect{nameLeft, row.top + 1, row.right, row.top + 1 + 2 * line};
  ::DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &nameRect, 0);
  struct StateLook {
    int32_t state;
    UINT text;
    UINT icon;
  };
  static const StateLook looks[] = {
      {kJobWaiting, 59200, 172}, {kJobStarted, 59201, 181}, {kJobParsed, 59252, 203}, {kJobPrinting, 59253, 204}};
  for (const StateLook& look : looks) {
    if (look.state != job.state) continue;
    char status[256] = {};
    std::snprintf(status, sizeof status, LoadText(look.text).c_str(), job.progressValue);
    ::TextOutA(dc, icon + 2, row.top + 2 * line + 2, status, static_cast<int>(std::strlen(status)));
    ::DrawIcon(dc, 0, row.top, CachedIcon(look.icon));
    return;
  }
  // A state the table does not know: the waiting job's icon, no status line.
  ::DrawIcon(dc, 0, row.top, CachedIcon(172));
}

void DrawEventRow(HDC dc, const RECT& row, PM_CEvent* event) {
  uint32_t icon = 0;
  event->Command(kEventGetCategoryIcon, &icon);
  ::DrawIcon(dc, 0, row.top, CachedIcon(icon));
  StringList lines;
  event->Command(kEventGetTimeText, &lines);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  int index = 0;
  for (const std::string& text : lines) {
    ::TextOutA(dc, IconWidth(), row.top + index++ * metrics.tmHeight, text.c_str(), static_cast<int>(text.size()));
  }
}

void DrawCategoryRow(HDC dc, const RECT& row, PM_CEventCategoryManager* category) {
  ::DrawIcon(dc, 2, row.top + 2, CachedIcon(category->m_IconId));
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  const int y = row.top + ((row.bottom - row.top) - metrics.tmHeight) / 2;
  ::TextOutA(dc, IconWidth() + 8, y, category->m_Name.c_str(), static_cast<int>(category->m_Name.size()));
}

void DrawAgentRow(HDC dc, const RECT& row, PM_CEventAgent* agent) {
  const bool categoryOn = agent->Category() && agent->Category()->m_Enabled;
  const COLORREF ink = ::GetSysColor(categoryOn ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
  const int middle = (row.top + row.bottom) / 2;
  HPEN pen = ::CreatePen(PS_SOLID, 0, ink);
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
  // The tick box.
  ::Rectangle(dc, 3, middle - 6, 16, middle + 7);
  if (agent->EnabledFlag()) {
    const POINT tick[] = {{5, middle}, {8, middle + 3}, {14, middle - 4}};
    ::Polyline(dc, tick, 3);
    const POINT bold[] = {{5, middle + 1}, {8, middle + 4}, {14, middle - 3}};
    ::Polyline(dc, bold, 3);
  }
  // The settings box: three dots.
  ::Rectangle(dc, kAgentSettingsLeft, middle - 7, kAgentSettingsRight - 2, middle + 8);
  for (int dot = 0; dot < 3; ++dot) {
    const int x = kAgentSettingsLeft + 4 + dot * 5;
    ::Rectangle(dc, x, middle, x + 2, middle + 2);
  }
  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
  if (!categoryOn) ::SetTextColor(dc, ink);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  const std::string title = agent->GetTitle();
  ::TextOutA(dc, kAgentSettingsRight + 4, middle - metrics.tmHeight / 2, title.c_str(), static_cast<int>(title.size()));
}

// clang-format off
BEGIN_MESSAGE_MAP(StatusListBox, CListBox)
  ON_MESSAGE(WM_KEYUP, OnKeyUp)
END_MESSAGE_MAP()
// clang-format on

LRESULT StatusListBox::OnKeyUp(WPARAM key, LPARAM) {
  if (key == VK_DELETE) {
    ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), kDeleteKeyNotification),
                   static_cast<LPARAM>(m_hWnd));
  }
  Default();
  return 0;
}

void StatusListBox::DrawItem(LPDRAWITEMSTRUCT draw) {
  if (draw->itemID == static_cast<UINT>(-1)) return;
  const bool selected = (draw->itemState & ODS_SELECTED) != 0;
  ::FillRect(draw->hDC, &draw->rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  ::SetTextColor(draw->hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::SetBkMode(draw->hDC, TRANSPARENT);
  if (draw->itemData) drawer_(draw->hDC, draw->rcItem, reinterpret_cast<void*>(draw->itemData));
}

void StatusListBox::MeasureItem(LPMEASUREITEMSTRUCT measure) {
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ previous = ::SelectObject(dc, static_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
  measure->itemHeight = static_cast<UINT>(TextRowHeight(dc, lines_));
  if (previous) ::SelectObject(dc, previous);
  ::ReleaseDC(m_hWnd, dc);
}

}  // namespace monitor
