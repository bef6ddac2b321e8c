#include "controls/spin_button.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "platform/base/modules.h"

namespace controls {

namespace {

// Numbers in the edits always use a decimal point, whatever the process's locale.
// The edit's text as a number for stepping: text that is no number counts as 0,
// and so does "nan"; a value too large for a double is infinity, which the range
// then clamps, and one too small is 0.
double ParseNumber(const char* text) {
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '+') ++text;
  double value = 0;
  const char* end = text + std::strlen(text);
  const auto result = std::from_chars(text, end, value);
  if (result.ec == std::errc::result_out_of_range) {
    const char* exponent = std::find_if(text, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
    if (exponent != result.ptr && exponent[1] == '-') return 0.0;
    return *text == '-' ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  }
  if (result.ec != std::errc() || std::isnan(value)) return 0.0;
  return value;
}

// The edit's number as GetDlgItemInt reads it, widened so that a value above the
// largest int still clamps to the range's maximum; digits too many for any
// number read as above every range.
long long ReadUnsignedItem(HWND dialog, int editId) {
  BOOL translated = FALSE;
  const UINT value = ::GetDlgItemInt(dialog, editId, &translated, FALSE);
  if (translated) return value;
  char text[64] = {};
  ::GetDlgItemTextA(dialog, editId, text, sizeof text);
  const char* p = text;
  while (*p == ' ') ++p;
  const char* digits = p;
  while (*p >= '0' && *p <= '9') ++p;
  const bool anyDigit = p != digits;
  while (*p == ' ') ++p;
  return anyDigit && *p == '\0' ? std::numeric_limits<long long>::max() : 0;
}

std::string FormatNumber(double value, int decimals, int width) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  std::string text(buffer, result.ptr);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

}  // namespace

PictureButton::~PictureButton() { DeleteMask(); }

void PictureButton::DeleteMask() {
  if (m_mask) ::DeleteObject(m_mask);
  m_mask = 0;
  m_width = m_height = 0;
}

BOOL PictureButton::LoadBitmaps(LPCSTR normal, LPCSTR selected, LPCSTR focused, LPCSTR disabled) {
  DeleteMask();
  return CBitmapButton::LoadBitmaps(normal, selected, focused, disabled);
}

BOOL PictureButton::LoadBitmapsFromModule(HMODULE module, LPCSTR normal, LPCSTR selected, LPCSTR focused,
                                          LPCSTR disabled) {
  DeleteMask();
  m_bitmap.DeleteObject();
  m_bitmapSel.DeleteObject();
  m_bitmapFocus.DeleteObject();
  m_bitmapDisabled.DeleteObject();
  if (!m_bitmap.Attach(::LoadBitmapA(module, normal))) return FALSE;
  if (selected && !m_bitmapSel.Attach(::LoadBitmapA(module, selected))) return FALSE;
  if (focused && !m_bitmapFocus.Attach(::LoadBitmapA(module, focused))) return FALSE;
  if (disabled && !m_bitmapDisabled.Attach(::LoadBitmapA(module, disabled))) return FALSE;
  return TRUE;
}

BOOL PictureButton::LoadBitmapsFromModule(HMODULE module, UINT normal, UINT selected, UINT focused, UINT disabled) {
  return LoadBitmapsFromModule(module, MAKEINTRESOURCEA(normal), selected ? MAKEINTRESOURCEA(selected) : nullptr,
                               focused ? MAKEINTRESOURCEA(focused) : nullptr,
                               disabled ? MAKEINTRESOURCEA(disabled) : nullptr);
}

BOOL PictureButton::LoadBitmapsFromFile(LPCSTR moduleFile, LPCSTR normal, LPCSTR selected, LPCSTR focused,
                                        LPCSTR disabled) {
  HMODULE module = LoadLibraryA(moduleFile);
  if (!module) return FALSE;
  const BOOL loaded = LoadBitmapsFromModule(module, normal, selected, focused, disabled);
  FreeLibrary(module);
  return loaded;
}

int PictureButton::GetBitmapWidth() {
  if (m_width == 0) {
    BITMAP info{};
    if (m_bitmap.GetBitmap(&info)) {
      m_width = info.bmWidth;
      m_height = info.bmHeight;
    }
  }
  return m_width;
}

int PictureButton::GetBitmapHeight() {
  GetBitmapWidth();
  return m_height;
}

SIZE PictureButton::DrawTransparent(LPDRAWITEMSTRUCT draw) {
  const int w = GetBitmapWidth(), h = GetBitmapHeight();
  CDC* target = CDC::FromHandle(draw->hDC);
  if (!m_bitmap.m_hObject || w == 0) return SIZE{0, 0};
  CDC source;
  source.CreateCompatibleDC(target);
  CGdiObject* oldSource = source.SelectObject(&m_bitmap);
  if (!m_mask) {
    CDC monochrome;
    monochrome.CreateCompatibleDC(target);
    m_mask = ::CreateBitmap(w, h, 1, 1, nullptr);
    HGDIOBJ oldMono = monochrome.SelectObject(m_mask);
    source.SetBkColor(source.GetPixel(w - 1, 0));
    monochrome.BitBlt(0, 0, w, h, &source, 0, 0, SRCCOPY);
    monochrome.SelectObject(oldMono);
  }
  const RECT face{0, 0, w, h};
  HBRUSH faceBrush = GetSysColorBrush(COLOR_BTNFACE);
  ::FillRect(draw->hDC, &face, faceBrush);
  CDC work;
  work.CreateCompatibleDC(target);
  HBITMAP workBitmap = ::CreateBitmap(w, h, static_cast<UINT>(target->GetDeviceCaps(PLANES)),
                                      static_cast<UINT>(target->GetDeviceCaps(BITSPIXEL)), nullptr);
  HGDIOBJ oldWork = work.SelectObject(workBitmap);
  ::FillRect(work.m_hDC, &face, faceBrush);
  work.SetBkColor(0xFFFFFF);
  work.SetTextColor(0x000000);
  CDC maskDC;
  maskDC.CreateCompatibleDC(target);
  HGDIOBJ oldMask = maskDC.SelectObject(m_mask);
  work.BitBlt(0, 0, w, h, &source, 0, 0, SRCINVERT);
  work.BitBlt(0, 0, w, h, &maskDC, 0, 0, SRCAND);
  work.BitBlt(0, 0, w, h, &source, 0, 0, SRCINVERT);
  const int sw = MulDiv(w, target->GetDeviceCaps(LOGPIXELSX), 96);
  const int sh = MulDiv(h, target->GetDeviceCaps(LOGPIXELSY), 96);
  target->StretchBlt(0, 0, sw, sh, &work, 0, 0, w, h, SRCCOPY);
  maskDC.SelectObject(oldMask);
  work.SelectObject(oldWork);
  ::DeleteObject(workBitmap);
  if (oldSource) source.SelectObject(oldSource->m_hObject);
  return SIZE{sw, sh};
}

void PictureButton::DrawItem(LPDRAWITEMSTRUCT draw) { DrawTransparent(draw); }

// ---- Spin button --------------------------------------------------------------------

BEGIN_MESSAGE_MAP(SpinButton, PictureButton)
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_TIMER()
END_MESSAGE_MAP()

BOOL SpinButton::Attach(UINT controlId, int direction, CWnd* dialog) {
  if (!dialog || !SubclassDlgItem(controlId, dialog)) return FALSE;
  if (direction) {
    LoadBitmaps("UPARROW_U", "UPARROW_D");
  } else {
    LoadBitmaps("DNARROW_U", "DNARROW_D");
  }
  return TRUE;
}

BOOL SpinButton::AttachInteger(UINT controlId, int direction, int editId, int minimum, int maximum, int step,
                               CWnd* dialog) {
  m_direction = direction;
  m_editId = editId;
  m_integerMode = TRUE;
  m_minimum = minimum;
  m_maximum = maximum;
  m_step = step;
  m_oneDecimal = FALSE;
  return Attach(controlId, direction, dialog);
}

BOOL SpinButton::AttachInteger(UINT controlId, int bitmapDirection, int stepDirection, int editId, int minimum,
                               int maximum, int step, CMyDialog* dialog) {
  const BOOL attached = AttachInteger(controlId, bitmapDirection, editId, minimum, maximum, step, dialog);
  m_direction = stepDirection;
  return attached;
}

BOOL SpinButton::AttachReal(UINT controlId, int direction, int editId, double minimum, double maximum, double step,
                            CWnd* dialog) {
  m_direction = direction;
  m_editId = editId;
  m_integerMode = FALSE;
  m_realMinimum = minimum;
  m_realMaximum = maximum;
  m_realStep = step;
  m_oneDecimal = FALSE;
  return Attach(controlId, direction, dialog);
}

BOOL SpinButton::AttachReal(UINT controlId, int direction, int editId, double minimum, double maximum, double step,
                            BOOL oneDecimal, CMyDialog* dialog) {
  const BOOL attached = AttachReal(controlId, direction, editId, minimum, maximum, step, dialog);
  m_oneDecimal = oneDecimal;
  return attached;
}

void SpinButton::SetIntegerRange(int minimum, int maximum) {
  m_minimum = minimum;
  m_maximum = maximum;
  m_integerMode = TRUE;
}

void SpinButton::SetRealRange(double minimum, double maximum) {
  m_realMinimum = minimum;
  m_realMaximum = maximum;
  m_integerMode = FALSE;
}

void SpinButton::SetRealRange(double minimum, double maximum, double step, BOOL oneDecimal) {
  SetRealRange(minimum, maximum);
  m_realStep = step;
  m_oneDecimal = oneDecimal;
}

void SpinButton::StepInteger(CWnd* dialog, int editId, int direction, int minimum, int maximum, int step) {
  if (!dialog) return;
  const long long read = ReadUnsignedItem(dialog->m_hWnd, editId);
  // Wide arithmetic: a step from near the ends of int must not wrap.
  long long value = std::clamp<long long>(read, minimum, maximum);
  value = direction ? std::min<long long>(value + step, maximum) : std::max<long long>(value - step, minimum);
  ::SetDlgItemInt(dialog->m_hWnd, editId, static_cast<UINT>(value), FALSE);
}

void SpinButton::StepReal(CWnd* dialog, int editId, int direction, double minimum, double maximum, double step) {
  if (!dialog) return;
  char text[33] = {};
  ::GetDlgItemTextA(dialog->m_hWnd, editId, text, 32);
  double value = ParseNumber(text);
  if (value < minimum) value = minimum;
  if (value > maximum) value = maximum;
  if (direction) {
    value = value + step > maximum ? maximum : value + step;
  } else {
    value = value - step < minimum ? minimum : value - step;
  }
  const std::string formatted = m_oneDecimal ? FormatNumber(value, 1, 2) : FormatNumber(value, 2, 3);
  ::SetDlgItemTextA(dialog->m_hWnd, editId, formatted.c_str());
}

void SpinButton::StepIntegerAndNotify(CWnd* dialog, int editId, int direction, int minimum, int maximum, int step) {
  StepInteger(dialog, editId, direction, minimum, maximum, step);
  if (dialog) dialog->SendMessage(kSpinStepped, static_cast<WPARAM>(editId), 0);
}

void SpinButton::Step() {
  CWnd* dialog = GetParent();
  if (m_integerMode) {
    StepInteger(dialog, m_editId, m_direction, m_minimum, m_maximum, m_step);
  } else {
    StepReal(dialog, m_editId, m_direction, m_realMinimum, m_realMaximum, m_realStep);
  }
}

void SpinButton::OnLButtonDown(UINT flags, CPoint point) {
  PictureButton::OnLButtonDown(flags, point);
  Step();
  SetTimer(kSpinTimer, 200);
}

void SpinButton::OnTimer(UINT_PTR id) {
  if (id == kSpinTimer) {
    KillTimer(kSpinTimer);
    Step();
    SetTimer(kSpinTimer, 50);
  }
  PictureButton::OnTimer(id);
}

void SpinButton::OnLButtonUp(UINT flags, CPoint point) {
  PictureButton::OnLButtonUp(flags, point);
  KillTimer(kSpinTimer);
}

void SpinButton::OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }

void SpinButton::DrawItem(LPDRAWITEMSTRUCT draw) {
  const SIZE size = DrawTransparent(draw);
  const int w = size.cx, h = size.cy;
  if (w == 0) return;
  const bool pressed = (draw->itemState & ODS_SELECTED) && m_bitmapSel.m_hObject;
  CDC* dc = CDC::FromHandle(draw->hDC);
  const COLORREF black = 0, face = GetSysColor(COLOR_BTNFACE), shadow = GetSysColor(COLOR_BTNSHADOW),
                 light = GetSysColor(COLOR_BTNHIGHLIGHT);
  auto lines = [&](COLORREF colour, std::initializer_list<POINT> points) {
    CPen pen(PS_SOLID, 1, colour);
    CGdiObject* old = dc->SelectObject(&pen);
    auto p = points.begin();
    dc->MoveTo(p->x, p->y);
    for (++p; p != points.end(); ++p) dc->LineTo(p->x, p->y);
    if (old) dc->SelectObject(old->m_hObject);
  };
  // Outer top and left, then bottom and right.
  lines(pressed ? black : face, {{w - 2, 0}, {0, 0}, {0, h - 1}});
  lines(pressed ? face : black, {{0, h - 1}, {w - 2, h - 1}, {w - 2, 0}});
  // Inner top and left, then bottom and right.
  lines(pressed ? shadow : light, {{w - 3, 1}, {1, 1}, {1, h - 2}});
  lines(pressed ? light : shadow, {{1, h - 2}, {w - 3, h - 2}, {w - 3, 0}});
}

// ---- Arrow edit ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CArrowEdit, CEdit)
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

void CArrowEdit::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key == VK_UP || key == VK_DOWN) {
    HWND dialog = ::GetParent(m_hWnd);
    HWND button = ::GetDlgItem(dialog, key == VK_UP ? m_upId : m_downId);
    if (button) ::SendMessageA(button, BM_CLICK, 0, 0);
    SetFocus();
    return;
  }
  CEdit::OnKeyDown(key, repeat, flags);
}

}  // namespace controls
