#include "monitor/bitmap_button.h"

#include "platform/gdi/screen.h"

namespace monitor {

BOOL CBitmapButtonExt::Attach(int controlId, CWnd* dialog, const std::string& name) {
  if (!SubclassDlgItem(static_cast<UINT>(controlId), dialog)) return FALSE;
  const std::string up = name + "_U", down = name + "_D", focus = name + "_F", disabled = name + "_X";
  LoadBitmaps(up.c_str(), down.c_str(), focus.c_str(), disabled.c_str());
  Invalidate();
  return m_bitmap.m_hObject ? TRUE : FALSE;
}

BOOL CBitmapButtonExt::AttachSingle(int controlId, CWnd* dialog, const std::string& bitmapName) {
  if (!SubclassDlgItem(static_cast<UINT>(controlId), dialog)) return FALSE;
  LoadBitmaps(bitmapName.c_str());
  Invalidate();
  return m_bitmap.m_hObject ? TRUE : FALSE;
}

void CBitmapButtonExt::DrawItem(LPDRAWITEMSTRUCT draw) {
  CBitmap* bitmap = &m_bitmap;
  if ((draw->itemState & ODS_SELECTED) && m_bitmapSel.m_hObject) {
    bitmap = &m_bitmapSel;
  } else if ((draw->itemState & ODS_FOCUS) && m_bitmapFocus.m_hObject) {
    bitmap = &m_bitmapFocus;
  } else if ((draw->itemState & ODS_DISABLED) && m_bitmapDisabled.m_hObject) {
    bitmap = &m_bitmapDisabled;
  }
  if (!bitmap->m_hObject) return;
  const int width = draw->rcItem.right - draw->rcItem.left;
  const int height = draw->rcItem.bottom - draw->rcItem.top;
  HDC screen = ::GetDC(m_hWnd);
  const int scaledWidth = ::MulDiv(width, ::GetDeviceCaps(screen, LOGPIXELSX), 96);
  const int scaledHeight = ::MulDiv(height, ::GetDeviceCaps(screen, LOGPIXELSY), 96);
  ::ReleaseDC(m_hWnd, screen);
  CDC memory;
  memory.CreateCompatibleDC(CDC::FromHandle(draw->hDC));
  CGdiObject* old = memory.SelectObject(bitmap);
  ::StretchBlt(draw->hDC, draw->rcItem.left, draw->rcItem.top, scaledWidth, scaledHeight, memory.m_hDC, 0, 0, width,
               height, SRCCOPY);
  if (old) memory.SelectObject(old->m_hObject);
}

}  // namespace monitor
