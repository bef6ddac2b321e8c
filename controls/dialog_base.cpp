#include "controls/dialog_base.h"

#include <cstring>

namespace controls {

void DP_CFont::Create() {
  if (m_hObject) return;
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  if (!stock) return;
  LOGFONTA description;
  if (GetObjectA(stock, sizeof description, &description) != sizeof description) return;
  CreateFontIndirect(&description);
}

void DP_CFont::ApplyTo(CWnd* window) {
  Create();
  if (!window || !m_hObject) return;
  window->SendMessageToDescendants(WM_SETFONT, static_cast<WPARAM>(m_hObject), TRUE, FALSE, FALSE);
}

void DP_CFont::ApplyTo(HWND window) {
  Create();
  if (CWnd* object = CWnd::FromHandlePermanent(window)) ApplyTo(object);
}

DP_CDialogFont::DP_CDialogFont() { std::memset(&m_logFont, 0, sizeof m_logFont); }
DP_CDialogFont::~DP_CDialogFont() { DeleteObject(); }

BEGIN_MESSAGE_MAP(CMyDialog, CDialog)
END_MESSAGE_MAP()

BOOL CMyDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_font.ApplyTo(this);
  return TRUE;
}

void SetDialogItemFont(CWnd* dialog, int id, HFONT font) {
  if (dialog) ::SendDlgItemMessageA(dialog->m_hWnd, id, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
}

void SetDialogChildrenFont(CWnd* dialog, HFONT font) {
  if (dialog) dialog->SendMessageToDescendants(WM_SETFONT, static_cast<WPARAM>(font), TRUE, FALSE, FALSE);
}

}  // namespace controls
