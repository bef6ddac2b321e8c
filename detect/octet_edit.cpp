#include <map>

#include "detect/address_page.h"
#include "detect/address_rules.h"

namespace {

struct OctetEdit {
  WNDPROC previous = nullptr;
  bool thirdDigit = false;
};

std::map<HWND, OctetEdit>& Edits() {
  static std::map<HWND, OctetEdit> edits;
  return edits;
}

std::string TextOf(HWND edit) {
  char text[16] = {};
  GetWindowTextA(edit, text, sizeof text);
  return text;
}

LRESULT CALLBACK OctetEditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto found = Edits().find(window);
  if (found == Edits().end()) return DefWindowProcA(window, message, wParam, lParam);
  const WNDPROC previous = found->second.previous;
  if (message == WM_CHAR) {
    found->second.thirdDigit = false;
    const OctetKeyResult key = OctetEditKey(TextOf(window), false, static_cast<unsigned>(wParam));
    if (!key.accepted) return 0;
    // Set before the edit changes: the change notification moves the focus.
    found->second.thirdDigit = key.thirdDigit;
  }
  if (message == WM_NCDESTROY) Edits().erase(found);
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

}  // namespace

void SubclassOctetEdit(HWND edit) {
  if (!edit || Edits().count(edit)) return;
  OctetEdit& state = Edits()[edit];
  state.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OctetEditProcedure)));
}

bool TakeThirdDigit(HWND edit) {
  auto found = Edits().find(edit);
  if (found == Edits().end() || !found->second.thirdDigit) return false;
  found->second.thirdDigit = false;
  return true;
}
