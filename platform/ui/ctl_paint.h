// The classic 3-D look of the standard controls: edges, check boxes, radio
// circles, arrows and labels, drawn with the system colours into a control's DC.
#pragma once

#include "platform/ui/user.h"

namespace platform::ui::paint {

void Bar(HDC hdc, int left, int top, int right, int bottom, int colourIndex);
// Two-pixel edges: raised (buttons), sunken (fields), etched (group frames).
void RaisedEdge(HDC hdc, const RECT& r);
void SunkenEdge(HDC hdc, const RECT& r);
void EtchedFrame(HDC hdc, const RECT& r);
enum class Arrow { Up, Down, Left, Right };
// A raised button with a small black triangle pointing the arrow's way.
void ArrowButton(HDC hdc, const RECT& r, Arrow arrow, bool enabled);
// A scroll bar in `r`: arrows, track and a thumb showing `first` of `total`
// items with `visible` of them in view.
void ScrollBar(HDC hdc, const RECT& r, bool vertical, int first, int visible, int total);
// A label in the window's font; a disabled one is etched (white under grey).
void Label(HDC hdc, HWND window, const char* text, RECT r, UINT format, bool enabled, COLORREF colour);
// The font a control draws with: its own, or the GUI font.
HFONT ControlFont(HWND window);

void PushButton(HDC hdc, HWND window, bool pushed);
void CheckOrRadio(HDC hdc, HWND window, bool radio, UINT check, bool pushed, COLORREF textColour);
void GroupBox(HDC hdc, HWND window);

}  // namespace platform::ui::paint
