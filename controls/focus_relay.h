// A one-pixel button outside the visible area that passes the focus on: when Tab
// reaches it, the owner moves on to its next control and the target window's
// first tab stop takes the focus. The tabbed dialog and its pages each hold one,
// so Tab walks from the frame into the page and back as in one dialog.
#pragma once

#include "controls/dialog_base.h"

namespace controls {

class DP_CFocusDetectButton : public CButton {
 public:
  // Text "DP_DONTFOCUS", rectangle (1000, 1000, 1001, 1001), control id 1000.
  BOOL Create(CWnd* owner, CWnd* target);
  void SetTarget(CWnd* target) { m_target = target; }

  void OnSetFocus(CWnd* previous);

  CWnd* m_owner = nullptr;
  CWnd* m_target = nullptr;

  DECLARE_MESSAGE_MAP()
};

}  // namespace controls
