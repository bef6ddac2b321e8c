// The monitor's spin button: one square owner-painted button split along its
// diagonal into an up half (upper left) and a down half (lower right), bound to
// an edit of the same dialog. Pressing a half steps at once, again after 1000 ms
// and then every 100 ms until the button is released or the pointer leaves the
// half. In notify mode the dialog gets kSpinStep (wParam 1 up, 0 down) instead.
#pragma once

#include <string>

#include "platform/ui/afx.h"

namespace monitor {

// What a notifying spin button sends its dialog.
constexpr UINT kSpinStep = WM_USER + 1;

class DP_CSpinButton : public CWnd {
 public:
  enum Half { kUp = 0, kDown = 1, kNone = 2 };

  // Binds the dialog's control `controlId`.
  BOOL Attach(UINT controlId, CWnd* dialog);
  // The edit it steps (0: none) and whether steps go to the dialog instead.
  void SetBuddy(UINT editId, const char* text, BOOL notify);
  // One step in the direction of the pressed half.
  virtual void Step();
  // 0 up, 1 down, 2 outside both halves (client coordinates).
  int HitTest(POINT point) const;

  int pressedHalf() const { return m_pressed; }

  void OnPaint();
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonDblClk(UINT flags, CPoint point) { OnLButtonDown(flags, point); }
  void OnLButtonUp(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  void OnTimer(UINT_PTR id);
  LRESULT OnEnable(WPARAM, LPARAM);

 protected:
  // The buddy edit's number (atol: text that is no number reads 0) and writing one back.
  long ReadNumber() const;
  void WriteNumber(long value);
  void Redraw();

  CWnd* m_dialog = nullptr;
  int m_pressed = kNone;
  UINT m_editId = 0;
  BOOL m_notify = FALSE;

  DECLARE_MESSAGE_MAP()
};

}  // namespace monitor
