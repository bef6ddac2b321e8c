// The base of every dialog of the package: on opening, each direct child control
// gets the system's GUI font, made once per dialog object from the stock font.
#pragma once

#include "platform/ui/afx.h"

namespace controls {

// A font made lazily as a copy of the stock GUI font.
class DP_CFont : public CFont {
 public:
  // Makes the font unless it is already there or the stock font is missing.
  void Create();
  // Create, then WM_SETFONT (redraw) to the window's direct children only.
  void ApplyTo(CWnd* window);
  // The same for a window handle; a handle without an object gets nothing.
  void ApplyTo(HWND window);
};

// A font object with its own logical-font record (zero-filled).
class DP_CDialogFont : public CFont {
 public:
  DP_CDialogFont();
  ~DP_CDialogFont() override;
  LOGFONTA m_logFont;
};

class CMyDialog : public CDialog {
 public:
  CMyDialog() = default;
  CMyDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}
  BOOL DestroyWindow() override { return CDialog::DestroyWindow(); }
  BOOL OnInitDialog() override;

  DP_CFont m_font;

  DECLARE_MESSAGE_MAP()
};

// WM_SETFONT (redraw) with `font` to one item of a dialog, or to all its direct children.
void SetDialogItemFont(CWnd* dialog, int id, HFONT font);
void SetDialogChildrenFont(CWnd* dialog, HFONT font);

}  // namespace controls
