// The detection dialog's bar: blue segments, one fortieth of its width each,
// as many as the percent fills.
#pragma once

#include "platform/ui/user.h"

class DP_CProgressBar {
 public:
  // Over the placeholder control `id` of the dialog, with its id.
  bool Create(HWND parent, int id);
  void SetPos(int percent);
  HWND window() const { return window_; }

  // How many segments of which width a bar of `width` pixels shows at `percent`.
  static int SegmentWidth(int width) { return width / 40; }
  static int SegmentCount(int percent, int width);

 private:
  HWND window_ = 0;
};
