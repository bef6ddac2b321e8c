#include "controls/edits.h"

namespace controls {

BEGIN_MESSAGE_MAP(DP_CLimitedEdit, CEdit)
ON_WM_CHAR()
END_MESSAGE_MAP()

void DP_CLimitedEdit::OnChar(UINT character, UINT repeat, UINT flags) {
  if (character == VK_BACK) {
    CEdit::OnChar(character, repeat, flags);
    return;
  }
  if (character >= '0' && character <= '9' && GetWindowText().size() < 4) CEdit::OnChar(character, repeat, flags);
}

BEGIN_MESSAGE_MAP(DP_CIPAddressEdit, CEdit)
ON_WM_CHAR()
END_MESSAGE_MAP()

void DP_CIPAddressEdit::OnChar(UINT character, UINT repeat, UINT flags) { CEdit::OnChar(character, repeat, flags); }

DP_CSelfDestructBitmapButton* CreateSelfDestructBitmapButton(CWnd* dialog, UINT id, LPCSTR normal, LPCSTR selected,
                                                             LPCSTR focused, LPCSTR disabled) {
  auto* button = new DP_CSelfDestructBitmapButton;
  if (!button->SubclassDlgItem(id, dialog)) {
    delete button;
    return nullptr;
  }
  button->LoadBitmaps(normal, selected, focused, disabled);
  return button;
}

}  // namespace controls
