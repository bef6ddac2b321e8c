// Controls the library offers beside the ones the settings pages use: an edit
// for up to four digits, an edit for addresses, and a bitmap button that deletes
// itself with its window.
#pragma once

#include "controls/dialog_base.h"

namespace controls {

// Digits only, at most four; the editing keys (backspace) still work so a wrong
// digit can be corrected.
class DP_CLimitedEdit : public CEdit {
 public:
  void OnChar(UINT character, UINT repeat, UINT flags);
  DECLARE_MESSAGE_MAP()
};

// An edit whose characters go through unchanged.
class DP_CIPAddressEdit : public CEdit {
 public:
  void OnChar(UINT character, UINT repeat, UINT flags);
  DECLARE_MESSAGE_MAP()
};

class DP_CSelfDestructBitmapButton : public CBitmapButton {
 public:
  void PostNcDestroy() override { delete this; }
};

// Subclasses the dialog item with a new self-deleting bitmap button and loads its
// four bitmaps by name; null (and nothing left behind) when that fails.
DP_CSelfDestructBitmapButton* CreateSelfDestructBitmapButton(CWnd* dialog, UINT id, LPCSTR normal, LPCSTR selected,
                                                             LPCSTR focused, LPCSTR disabled);

}  // namespace controls
