// Page-space origins and extents of a DC, logical-to-device conversion of
// points, and TextOutA.
#include <cmath>
#include <utility>

#include "platform/base/errors.h"
#include "platform/gdi/dc_transform.h"
#include "platform/gdi/drawing.h"

using namespace platform::gdi;

namespace {

template <typename T>
BOOL Exchange(HDC hdc, T DrawingState::*field, int x, int y, T* old) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  T& value = dc->drawing.*field;
  if (old) *old = value;
  value.cx = x;
  value.cy = y;
  return TRUE;
}

BOOL ExchangePoint(HDC hdc, POINT DrawingState::*field, int x, int y, POINT* old) {
  auto dc = FindDC(hdc);
  if (!dc) return FALSE;
  POINT& value = dc->drawing.*field;
  if (old) *old = value;
  value = POINT{x, y};
  return TRUE;
}

}  // namespace

ZEL_EXTERN_C BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return ExchangePoint(hdc, &DrawingState::windowOrg, x, y, lppt);
}
ZEL_EXTERN_C BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return ExchangePoint(hdc, &DrawingState::viewportOrg, x, y, lppt);
}
ZEL_EXTERN_C BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz) {
  if (x == 0 || y == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Exchange(hdc, &DrawingState::windowExt, x, y, lpsz);
}
ZEL_EXTERN_C BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz) {
  if (x == 0 || y == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Exchange(hdc, &DrawingState::viewportExt, x, y, lpsz);
}
ZEL_EXTERN_C BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppt) {
  auto dc = FindDC(hdc);
  if (!dc || !lppt) return FALSE;
  *lppt = dc->drawing.windowOrg;
  return TRUE;
}
ZEL_EXTERN_C BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt) {
  auto dc = FindDC(hdc);
  if (!dc || !lppt) return FALSE;
  *lppt = dc->drawing.viewportOrg;
  return TRUE;
}

ZEL_EXTERN_C BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  auto dc = FindDC(hdc);
  if (!dc || (lppt == nullptr && c > 0)) return FALSE;
  for (int i = 0; i < c; ++i) {
    const PagePoint p = ToDevice(*dc, lppt[i].x, lppt[i].y);
    lppt[i] = POINT{static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))};
  }
  return TRUE;
}

ZEL_EXTERN_C BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  if (c < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutA(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}
