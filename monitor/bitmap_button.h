// The main dialog's picture buttons: four bitmaps named after the button
// (name_U up, name_D down, name_F focus, name_X disabled), drawn scaled to the
// screen's resolution.
#pragma once

#include <string>

#include "platform/ui/afx.h"

namespace monitor {

class CBitmapButtonExt : public CBitmapButton {
 public:
  // Takes over the dialog's owner-drawn button and loads the four bitmaps of
  // the name; FALSE when the up bitmap is missing.
  BOOL Attach(int controlId, CWnd* dialog, const std::string& name);
  // The same with one bitmap for every state.
  BOOL AttachSingle(int controlId, CWnd* dialog, const std::string& bitmapName);
  void DrawItem(LPDRAWITEMSTRUCT draw) override;
};

}  // namespace monitor
