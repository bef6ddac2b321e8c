// A static control that shows a list of icons one after another on a timer
// (the about box's animation).
#pragma once

#include <vector>

#include "platform/ui/afx.h"

namespace monitor {

class DP_CAnimatedIcon : public CStatic {
 public:
  ~DP_CAnimatedIcon() override;

  // Appends an icon resource id of the program; frames go in before Start.
  void AddFrame(UINT iconId) { m_frames.push_back(iconId); }
  // Shows the next frame every `period` milliseconds.
  void Start(UINT period);
  // Shows the current frame and moves on; the icon id shown. An empty frame
  // list throws std::invalid_argument.
  UINT NextFrame();

  int currentFrame() const { return m_current; }

  void OnTimer(UINT_PTR id);
  BOOL OnEraseBkgnd(CDC*) { return FALSE; }  // no erase, so the icon does not flicker

 private:
  int m_current = 0;
  std::vector<UINT> m_frames;
  UINT m_period = 0;
  UINT_PTR m_timer = 0;
  HICON m_shown = 0;  // the frame on show, loaded by NextFrame

  DECLARE_MESSAGE_MAP()
};

}  // namespace monitor
