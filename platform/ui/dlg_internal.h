// Inside the dialog layer: what property sheets and the sheet host share with the
// plain dialogs (templates as text, the modal run with the dialog handler).
#pragma once

#include <string>

#include "platform/ui/dialog.h"

namespace platform::ui {

enum class DialogKind { kModal, kModeless, kChild };

// A dialog from template text; kChild makes it a child of `parent` (WS_CHILD |
// DS_CONTROL, no caption), hidden, whatever the template's style.
HWND CreateFromText(HINSTANCE instance, const std::string& text, const std::string& name, HWND parent,
                    DLGPROC procedure, LPARAM param, DialogKind kind);
// The text of an RT_DIALOG resource; empty when there is none.
std::string DialogTemplateText(HINSTANCE instance, LPCSTR name);
struct TemplateLayout {
  RECT rect{};
  std::string caption;
  int fontPoints = 0;  // 0: the template names no font
  std::string fontFace;
};
// What a template says of its window; false when the text is no template.
bool ReadTemplateLayout(const std::string& text, TemplateLayout* out);
// Hands a shown modal dialog to the dialog handler, cancels what is left open,
// destroys it and answers its EndDialog result.
INT_PTR RunModalDialog(HWND dialog, const std::string& name);
// EndDialog was called (or the window is gone).
bool DialogEnded(HWND dialog);

}  // namespace platform::ui

namespace platform::ui {

// Whether an Apply took effect in the last modal property sheet the calling
// thread ran (OK, the Apply button or a page's PSM_APPLY).
bool LastSheetApplied();

}  // namespace platform::ui
