#include "platform/ui/ctl_paint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/ui/wnd_tree.h"

namespace platform::ui::paint {
namespace {

void Pixel(HDC hdc, int x, int y, int colourIndex) { SetPixel(hdc, x, y, GetSysColor(colourIndex)); }

// Top and left in one colour, bottom and right in another, one pixel wide.
void Frame(HDC hdc, const RECT& r, int topLeft, int bottomRight) {
  Bar(hdc, r.left, r.top, r.right - 1, r.top + 1, topLeft);
  Bar(hdc, r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
  Bar(hdc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
  Bar(hdc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
}

RECT Inset(RECT r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

std::string WindowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

int LineHeight(HDC hdc) {
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  return metrics.tmHeight;
}

}  // namespace

void Bar(HDC hdc, int left, int top, int right, int bottom, int colourIndex) {
  const RECT r{left, top, right, bottom};
  FillRect(hdc, &r, GetSysColorBrush(colourIndex));
}

void RaisedEdge(HDC hdc, const RECT& r) {
  Frame(hdc, r, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
  Frame(hdc, Inset(r, 1), COLOR_3DLIGHT, COLOR_BTNSHADOW);
}

void SunkenEdge(HDC hdc, const RECT& r) {
  Frame(hdc, r, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
  Frame(hdc, Inset(r, 1), COLOR_3DDKSHADOW, COLOR_3DLIGHT);
}

void EtchedFrame(HDC hdc, const RECT& r) {
  Frame(hdc, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
  Frame(hdc, RECT{r.left + 1, r.top + 1, r.right, r.bottom}, COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT);
  // The shadow's own inner corner lines, over the light ones.
  Bar(hdc, r.left, r.top, r.right - 1, r.top + 1, COLOR_BTNSHADOW);
  Bar(hdc, r.left, r.top, r.left + 1, r.bottom - 1, COLOR_BTNSHADOW);
}

void ArrowButton(HDC hdc, const RECT& r, Arrow arrow, bool enabled) {
  Bar(hdc, r.left, r.top, r.right, r.bottom, COLOR_BTNFACE);
  RaisedEdge(hdc, r);
  const bool vertical = arrow == Arrow::Up || arrow == Arrow::Down;
  const int side = vertical ? r.right - r.left : r.bottom - r.top;
  const int width = std::max(3, (side / 2) | 1);  // odd, so the tip is one pixel
  const int rows = (width + 1) / 2;
  const int x0 = r.left + (r.right - r.left - (vertical ? width : rows)) / 2;
  const int y0 = r.top + (r.bottom - r.top - (vertical ? rows : width)) / 2;
  auto line = [&](int i, int dx, int dy, int colour) {
    // Row i of the triangle, from its wide base to its tip.
    const int step = arrow == Arrow::Down || arrow == Arrow::Right ? i : rows - 1 - i;
    if (vertical) {
      Bar(hdc, x0 + i + dx, y0 + step + dy, x0 + width - i + dx, y0 + step + 1 + dy, colour);
    } else {
      Bar(hdc, x0 + step + dx, y0 + i + dy, x0 + step + 1 + dx, y0 + width - i + dy, colour);
    }
  };
  for (int i = 0; i < rows; ++i) {
    if (!enabled) line(i, 1, 1, COLOR_BTNHIGHLIGHT);
    line(i, 0, 0, enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
  }
}

void ScrollBar(HDC hdc, const RECT& r, bool vertical, int first, int visible, int total) {
  // Lengths along the bar and across it.
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int across = vertical ? r.right - r.left : r.bottom - r.top;
  auto part = [&](int from, int to) {
    return vertical ? RECT{r.left, r.top + from, r.right, r.top + to}
                    : RECT{r.left + from, r.top, r.left + to, r.bottom};
  };
  const int button = std::min(across, length / 2);
  Bar(hdc, r.left, r.top, r.right, r.bottom, COLOR_SCROLLBAR);
  // The track's classic dither of face and white.
  const RECT track = part(button, length - button);
  for (int y = track.top; y < track.bottom; ++y)
    for (int x = track.left + ((y ^ track.left) & 1); x < track.right; x += 2) Pixel(hdc, x, y, COLOR_BTNHIGHLIGHT);
  const bool enabled = total > visible;
  ArrowButton(hdc, part(0, button), vertical ? Arrow::Up : Arrow::Left, enabled);
  ArrowButton(hdc, part(length - button, length), vertical ? Arrow::Down : Arrow::Right, enabled);
  const int room = length - 2 * button;
  if (!enabled || room < 8) return;
  const int thumb = std::max(8, room * visible / total);
  const int range = std::max(1, total - visible);
  const int start = button + (room - thumb) * std::clamp(first, 0, range) / range;
  const RECT t = part(start, start + thumb);
  Bar(hdc, t.left, t.top, t.right, t.bottom, COLOR_BTNFACE);
  RaisedEdge(hdc, t);
}

HFONT ControlFont(HWND window) {
  HFONT font = WindowFont(window);
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void Label(HDC hdc, HWND window, const char* text, RECT r, UINT format, bool enabled, COLORREF colour) {
  HGDIOBJ previous = SelectObject(hdc, ControlFont(window));
  SetBkMode(hdc, TRANSPARENT);
  if (enabled) {
    SetTextColor(hdc, colour);
    DrawTextA(hdc, text, -1, &r, format);
  } else {
    RECT below{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
    SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(hdc, text, -1, &below, format);
    SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(hdc, text, -1, &r, format);
  }
  if (previous) SelectObject(hdc, previous);
}

void PushButton(HDC hdc, HWND window, bool pushed) {
  RECT client;
  GetClientRect(window, &client);
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const bool focused = GetFocus() == window;
  const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  Bar(hdc, client.left, client.top, client.right, client.bottom, COLOR_BTNFACE);
  RECT body = client;
  if (isDefault || focused || pushed) {
    // The dark outer frame of the default, focused or pressed button.
    Frame(hdc, body, COLOR_WINDOWFRAME, COLOR_WINDOWFRAME);
    body = Inset(body, 1);
  }
  if (pushed) {
    Frame(hdc, body, COLOR_BTNSHADOW, COLOR_BTNSHADOW);
  } else {
    RaisedEdge(hdc, body);
  }
  RECT text = Inset(body, 2);
  if (pushed) text = RECT{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
  const std::string caption = WindowText(window);
  Label(hdc, window, caption.c_str(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, IsWindowEnabled(window) != FALSE,
        GetSysColor(COLOR_BTNTEXT));
  if (focused) {
    const RECT focus = Inset(body, 3);
    DrawFocusRect(hdc, &focus);
  }
}

void CheckOrRadio(HDC hdc, HWND window, bool radio, UINT check, bool pushed, COLORREF textColour) {
  RECT client;
  GetClientRect(window, &client);
  const bool enabled = IsWindowEnabled(window) != FALSE;
  HGDIOBJ previous = SelectObject(hdc, ControlFont(window));
  const int size = 13;
  const int top = client.top + (client.bottom - client.top - size) / 2;
  const int left = client.left;
  const int field = enabled && !pushed ? COLOR_WINDOW : COLOR_BTNFACE;
  const int mark = enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT;
  if (!radio) {
    const RECT box{left, top, left + size, top + size};
    Bar(hdc, box.left, box.top, box.right, box.bottom, field);
    SunkenEdge(hdc, box);
    if (check == BST_CHECKED || check == 2u /* indeterminate */) {
      // The tick: down three rows from the left, then up to the right.
      const int markIndex = check == 2u /* indeterminate */ ? COLOR_GRAYTEXT : mark;
      const int x0 = left + 3, y0 = top + 5;
      for (int i = 0; i < 7; ++i) {
        const int y = i < 3 ? y0 + i : y0 + 4 - i;
        Bar(hdc, x0 + i, y, x0 + i + 1, y + 3, markIndex);
      }
    }
  } else {
    // A circle of two shadows above and two lights below, filled with the field.
    const double c = (size - 1) / 2.0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const double d = std::hypot(x - c, y - c);
        const bool upperLeft = (x - c) + (y - c) < 0;
        int colour = -1;
        // clang-format off
        if (d <= c + 0.5 && d > c - 0.5) colour = upperLeft ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
        else if (d <= c - 0.5 && d > c - 1.5) colour = upperLeft ? COLOR_3DDKSHADOW : COLOR_3DLIGHT;
        else if (d <= c - 1.5) colour = field;
        // clang-format on
        if (colour >= 0) Pixel(hdc, left + x, top + y, colour);
        if (check == BST_CHECKED && d <= 2.0) Pixel(hdc, left + x, top + y, mark);
      }
    }
  }
  const std::string caption = WindowText(window);
  RECT text{left + size + 4, client.top, client.right, client.bottom};
  Label(hdc, window, caption.c_str(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE, enabled, textColour);
  if (GetFocus() == window && !caption.empty()) {
    RECT measure = text;
    DrawTextA(hdc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
    const int height = measure.bottom - measure.top;
    const RECT focus{text.left - 1, client.top + (client.bottom - client.top - height) / 2 - 1,
                     std::min<int>(measure.right + 1, client.right), 0};
    RECT f = focus;
    f.bottom = f.top + height + 2;
    DrawFocusRect(hdc, &f);
  }
  if (previous) SelectObject(hdc, previous);
}

void GroupBox(HDC hdc, HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HGDIOBJ previous = SelectObject(hdc, ControlFont(window));
  const int line = LineHeight(hdc);
  const std::string caption = WindowText(window);
  EtchedFrame(hdc, RECT{client.left, client.top + line / 2, client.right, client.bottom});
  if (!caption.empty()) {
    RECT measure{0, 0, client.right, 0};
    DrawTextA(hdc, caption.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
    // The caption breaks the top line.
    Bar(hdc, client.left + 6, client.top, client.left + 10 + measure.right, client.top + line, COLOR_BTNFACE);
    RECT text{client.left + 8, client.top, client.right, client.top + line};
    Label(hdc, window, caption.c_str(), text, DT_LEFT | DT_SINGLELINE, IsWindowEnabled(window) != FALSE,
          GetSysColor(COLOR_BTNTEXT));
  }
  if (previous) SelectObject(hdc, previous);
}

}  // namespace platform::ui::paint
