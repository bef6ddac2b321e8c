// The base of the monitor's dialogs: their controls get the system's GUI font
// when the dialog opens. Beside it the monitor's font creation, with the larger
// Japanese face of the main dialog's console panel.
#pragma once

#include "platform/ui/afx.h"

namespace monitor {

class DP_CFont : public CFont {
 public:
  // A copy of the stock GUI font; `large`: 14/12 of its height in the large face.
  // Nothing happens when the object already holds a font.
  void CreateDialogFont(BOOL large);
};

class CDialogBase : public CDialog {
 public:
  CDialogBase(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}
  BOOL OnInitDialog() override;

 protected:
  DP_CFont m_font;
};

}  // namespace monitor
