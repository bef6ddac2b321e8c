#include "controls/focus_relay.h"

namespace controls {

namespace {
constexpr char kDontFocus[] = "DP_DONTFOCUS";
}

BEGIN_MESSAGE_MAP(DP_CFocusDetectButton, CButton)
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

BOOL DP_CFocusDetectButton::Create(CWnd* owner, CWnd* target) {
  m_owner = owner;
  m_target = target;
  return CButton::Create(kDontFocus, WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(1000, 1000, 1001, 1001), owner, 1000);
}

void DP_CFocusDetectButton::OnSetFocus(CWnd* previous) {
  CButton::OnSetFocus(previous);
  if (m_owner) m_owner->SendMessage(WM_NEXTDLGCTL, 0, 0);
  if (!m_target || !m_target->m_hWnd) return;
  HWND first = ::GetWindow(m_target->m_hWnd, GW_CHILD);
  for (HWND child = first; child;) {
    char text[32] = {};
    ::GetWindowTextA(child, text, sizeof text);
    // A control the model hid or a restricted page disabled cannot take the
    // keys; focus on it would leave the user nowhere.
    const LONG style = ::GetWindowLongA(child, GWL_STYLE);
    const bool reachable = (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
    if (reachable && std::string(text) != kDontFocus) {
      ::SetFocus(child);
      m_target->SendMessage(WM_NEXTDLGCTL, static_cast<WPARAM>(child), TRUE);
      return;
    }
    child = ::GetWindow(child, GW_HWNDNEXT);
    if (child == first) break;
  }
}

}  // namespace controls
