#include "monitor/dialog_base.h"

#include <cstring>

namespace monitor {

namespace {

// "ＭＳ ゴシック" in code page 932.
constexpr char kLargeFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

}  // namespace

void DP_CFont::CreateDialogFont(BOOL large) {
  if (m_hObject) return;
  HGDIOBJ stock = ::GetStockObject(DEFAULT_GUI_FONT);
  if (!stock) return;
  LOGFONTA font{};
  if (::GetObjectA(stock, sizeof font, &font) != sizeof font) return;
  if (large) {
    font.lfHeight = font.lfHeight * 14 / 12;
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, kLargeFace, sizeof kLargeFace - 1);
  }
  CreateFontIndirect(&font);
}

BOOL CDialogBase::OnInitDialog() {
  CDialog::OnInitDialog();
  m_font.DeleteObject();
  m_font.CreateDialogFont(FALSE);
  // Without a stock font the children still hear of it and keep the system font.
  SendMessageToDescendants(WM_SETFONT, static_cast<WPARAM>(m_font.m_hObject), 1, FALSE, FALSE);
  return TRUE;
}

}  // namespace monitor
