#include "monitor/controls/spin_button.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/drawing.h"

namespace monitor {

namespace {

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstRepeat = 1000;
constexpr UINT kNextRepeat = 100;

int FaceSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return std::min(client.right - client.left, client.bottom - client.top);
}

bool InTriangle(POINT a, POINT b, POINT c, POINT point) {
  const POINT corners[] = {a, b, c};
  HRGN region = ::CreatePolygonRgn(corners, 3, WINDING);
  const bool inside = region && ::PtInRegion(region, point.x, point.y);
  if (region) ::DeleteObject(region);
  return inside;
}

void Line(HDC dc, std::initializer_list<POINT> points) {
  ::Polyline(dc, points.begin(), static_cast<int>(points.size()));
}

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(DP_CSpinButton, CWnd)
  ON_WM_PAINT()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_LBUTTONUP()
  ON_WM_MOUSEMOVE()
  ON_WM_TIMER()
  ON_MESSAGE(WM_ENABLE, OnEnable)
END_MESSAGE_MAP()
// clang-format on

BOOL DP_CSpinButton::Attach(UINT controlId, CWnd* dialog) {
  m_dialog = dialog;
  return dialog && SubclassDlgItem(controlId, dialog);
}

void DP_CSpinButton::SetBuddy(UINT editId, const char* text, BOOL notify) {
  m_notify = notify;
  m_editId = editId;
  if (editId && m_dialog) ::SetDlgItemTextA(m_dialog->m_hWnd, static_cast<int>(editId), text ? text : "");
}

long DP_CSpinButton::ReadNumber() const {
  char text[64] = {};
  if (m_dialog) ::GetDlgItemTextA(m_dialog->m_hWnd, static_cast<int>(m_editId), text, sizeof text);
  return std::atol(text);
}

void DP_CSpinButton::WriteNumber(long value) {
  if (m_dialog) ::SetDlgItemTextA(m_dialog->m_hWnd, static_cast<int>(m_editId), std::to_string(value).c_str());
}

void DP_CSpinButton::Step() {
  if (m_pressed == kNone) return;
  const bool up = m_pressed == kUp;
  if (m_notify) {
    if (m_dialog) m_dialog->SendMessage(kSpinStep, up ? 1 : 0, 0);
    return;
  }
  const long value = ReadNumber();
  WriteNumber(up ? value + 1 : std::max(0L, value - 1));
}

int DP_CSpinButton::HitTest(POINT point) const {
  const LONG s = FaceSize(m_hWnd);
  if (InTriangle({0, 0}, {s, 0}, {0, s}, point)) return kUp;
  if (InTriangle({s, 0}, {s, s}, {0, s}, point)) return kDown;
  return kNone;
}

void DP_CSpinButton::Redraw() {
  Invalidate(TRUE);
  UpdateWindow();
}

void DP_CSpinButton::OnLButtonDown(UINT, CPoint point) {
  Default();
  m_pressed = HitTest(point);
  Step();
  Redraw();
  if (m_dialog && m_editId) {
    if (HWND edit = ::GetDlgItem(m_dialog->m_hWnd, static_cast<int>(m_editId))) ::SetFocus(edit);
  }
  SetCapture();
  SetTimer(kRepeatTimer, kFirstRepeat);
}

void DP_CSpinButton::OnTimer(UINT_PTR id) {
  Default();
  KillTimer(id);
  if (id != kRepeatTimer || m_pressed == kNone) return;
  Step();
  SetTimer(kRepeatTimer, kNextRepeat);
}

void DP_CSpinButton::OnLButtonUp(UINT, CPoint) {
  KillTimer(kRepeatTimer);
  ::ReleaseCapture();
  Default();
  m_pressed = kNone;
  Redraw();
}

void DP_CSpinButton::OnMouseMove(UINT, CPoint point) {
  if (m_pressed != kUp && m_pressed != kDown) {
    Default();
    return;
  }
  Default();
  // Leaving the half ends the repeat for good; coming back does not resume it.
  if (HitTest(point) != m_pressed) {
    KillTimer(kRepeatTimer);
    ::ReleaseCapture();
    m_pressed = kNone;
    Redraw();
  }
}

LRESULT DP_CSpinButton::OnEnable(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Redraw();
  return result;
}

void DP_CSpinButton::OnPaint() {
  CPaintDC paint(this);
  HDC dc = paint.m_hDC;
  const int s = FaceSize(m_hWnd);
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  HBRUSH face = ::CreateSolidBrush(0xC0C0C0);
  HGDIOBJ oldBrush = ::SelectObject(dc, face);
  ::Rectangle(dc, 0, 0, s, s);

  const int L = 1, T = 1, R = s - 2, B = s - 2;
  Line(dc, {{L, B}, {R, T}});

  HPEN white = ::CreatePen(PS_SOLID, 0, 0xFFFFFF);
  HPEN grey = ::CreatePen(PS_SOLID, 0, 0x808080);
  if (m_pressed == kUp) {
    ::SelectObject(dc, grey);
    Line(dc, {{L, B - 1}, {L, T}, {R, T}});
  } else {
    ::SelectObject(dc, white);
    Line(dc, {{L, B - 1}, {L, T}, {R - 1, T}});
    ::SelectObject(dc, grey);
    Line(dc, {{L, B - 1}, {R - 1, T}});
  }
  if (m_pressed == kDown) {
    ::SelectObject(dc, grey);
    Line(dc, {{L + 1, B}, {R, T + 1}});
  } else {
    ::SelectObject(dc, grey);
    Line(dc, {{L + 1, B}, {R, B}, {R, T + 1}});
    ::SelectObject(dc, white);
    Line(dc, {{R, T + 1}, {L + 1, B}});
  }

  const int e = B - T;
  const int a = (3 * e + 3) / 10;
  const int b = (7 * e + 7) / 10;
  const int h = static_cast<int>(e * 3.0 / 20.0);
  const bool disabled = (GetStyle() & WS_DISABLED) != 0;
  HBRUSH arrowBrush = ::CreateSolidBrush(disabled ? 0x808080 : 0x000000);
  ::SelectObject(dc, disabled ? static_cast<HGDIOBJ>(grey) : ::GetStockObject(BLACK_PEN));
  ::SelectObject(dc, arrowBrush);
  const int upShift = m_pressed == kUp ? 1 : 0;
  const int downShift = m_pressed == kDown ? 1 : 0;
  const POINT up[] = {{L + a - h + upShift, T + a + upShift},
                      {L + a + h + upShift, T + a + upShift},
                      {L + a + upShift, T + a - h + upShift}};
  const POINT down[] = {{L + b - h + downShift, T + b + downShift},
                        {L + b + h + downShift, T + b + downShift},
                        {L + b + downShift, T + b + h + downShift}};
  ::Polygon(dc, up, 3);
  ::Polygon(dc, down, 3);

  ::SelectObject(dc, oldBrush);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(arrowBrush);
  ::DeleteObject(face);
  ::DeleteObject(white);
  ::DeleteObject(grey);
}

}  // namespace monitor
