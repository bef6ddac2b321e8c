#include "monitor/controls/animated_icon.h"

#include <stdexcept>

#include "platform/gdi/screen.h"

namespace monitor {

// clang-format off
BEGIN_MESSAGE_MAP(DP_CAnimatedIcon, CStatic)
  ON_WM_TIMER()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()
// clang-format on

DP_CAnimatedIcon::~DP_CAnimatedIcon() {
  if (m_shown) ::DestroyIcon(m_shown);
}

void DP_CAnimatedIcon::Start(UINT period) {
  m_period = period;
  m_timer = SetTimer(1, period);
}

UINT DP_CAnimatedIcon::NextFrame() {
  if (m_frames.empty()) throw std::invalid_argument("animated icon without frames");
  if (m_current >= static_cast<int>(m_frames.size())) m_current = 0;
  const UINT id = m_frames[static_cast<size_t>(m_current)];
  HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
  SendMessage(STM_SETICON, static_cast<WPARAM>(icon));
  // The static control does not own its icons: free the frame it stops showing.
  if (m_shown) ::DestroyIcon(m_shown);
  m_shown = icon;
  ++m_current;
  return id;
}

void DP_CAnimatedIcon::OnTimer(UINT_PTR id) {
  Default();
  KillTimer(id);
  NextFrame();
  m_timer = SetTimer(1, m_period);
}

}  // namespace monitor
