// The display side of GDI for windows and dialogs: the stand-in machine has no
// screen, so every window keeps its own pixels (a surface the size of its client
// area) and memory device contexts draw into bitmaps. A surface holds COLORREF
// values (0x00BBGGRR); a monochrome bitmap holds only black and white.
//
// The calls that printer device contexts also answer (SelectObject, LineTo,
// ExtTextOut, GetDeviceCaps, ...) pass a display DC on to the functions here.
// Text is drawn with the glyphs of the DC's font (display_text.h), anti-aliased
// in the text colour; the faces installed by tools/deps.sh make layouts the same
// on every machine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/drawing.h"

typedef HANDLE HICON;
typedef HANDLE HCURSOR;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP, *PBITMAP, *LPBITMAP;

// Raster operations of BitBlt and StretchBlt: SRCCOPY, SRCAND, SRCINVERT, ... (ddi_types.h).

// Stock fonts.
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

#define FW_NORMAL 400
#define FW_BOLD 700

// DrawText.
#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u

// System colours.
#define COLOR_SCROLLBAR 0
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22

// System metrics.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXICON 11
#define SM_CYICON 12

// LoadImage.
#define IMAGE_BITMAP 0
#define LR_DEFAULTCOLOR 0x0000u
#define LR_LOADFROMFILE 0x0010u
#define LR_LOADTRANSPARENT 0x0020u
#define LR_LOADMAP3DCOLORS 0x1000u

ZEL_EXTERN_C HDC CreateCompatibleDC(HDC hdc);
// Bitmaps compatible with a display DC have 32 bits per pixel.
ZEL_EXTERN_C HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
// 1 or 32 bits per pixel; bits (top-down rows, WORD-aligned for 1 bpp) may be NULL.
ZEL_EXTERN_C HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
// Fonts (LOGFONTA, 60 bytes) and bitmaps (BITMAP); the bytes written, 0 for an
// unknown object or a short buffer.
ZEL_EXTERN_C int GetObjectA(HANDLE object, int size, LPVOID buffer);
ZEL_EXTERN_C BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop);
// Nearest-pixel scaling.
ZEL_EXTERN_C BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
                             int sourceWidth, int sourceHeight, DWORD rop);
ZEL_EXTERN_C COLORREF GetPixel(HDC hdc, int x, int y);
ZEL_EXTERN_C COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
ZEL_EXTERN_C int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
ZEL_EXTERN_C BOOL DrawFocusRect(HDC hdc, const RECT* rect);
// The height of the text drawn; with DT_CALCRECT the rectangle is widened or
// narrowed to the text and nothing is drawn.
ZEL_EXTERN_C int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);
ZEL_EXTERN_C int GetClipBox(HDC hdc, LPRECT rect);
ZEL_EXTERN_C DWORD GetSysColor(int index);
ZEL_EXTERN_C HBRUSH GetSysColorBrush(int index);
ZEL_EXTERN_C int GetSystemMetrics(int index);

// Bitmaps from a module's RT_BITMAP resources or a .bmp file (LR_LOADFROMFILE).
// LR_LOADTRANSPARENT replaces the colour of the first pixel by COLOR_WINDOW;
// LR_LOADMAP3DCOLORS maps the greys 128, 192 and 223 onto the button colours.
ZEL_EXTERN_C HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);
ZEL_EXTERN_C HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
// Icons are RT_ICON resources holding a .bmp file (32 by 32 as the system's icons are).
ZEL_EXTERN_C HICON LoadIconA(HINSTANCE instance, LPCSTR name);
ZEL_EXTERN_C BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
ZEL_EXTERN_C BOOL DestroyIcon(HICON icon);

namespace platform::gdi {

// The pixels a display DC draws into.
struct PixelSurface {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 32;  // 1 or 32
  std::vector<COLORREF> pixels;
  PixelSurface(int w, int h, int bpp);
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A DC that draws into `surface`; `window` is the window it belongs to (0 for
// none). The caller deletes it with DeleteDC.
HDC CreateSurfaceDC(std::shared_ptr<PixelSurface> surface, HWND window);
// The surface behind a display DC or a bitmap; null for anything else.
std::shared_ptr<PixelSurface> SurfaceOfDC(HDC hdc);
std::shared_ptr<PixelSurface> SurfaceOfBitmap(HBITMAP bitmap);
bool IsDisplayDC(HDC hdc);
HWND WindowOfDC(HDC hdc);

// The display's dots per inch (96 to begin with); tests use 144.
void SetDisplayDpi(int dpiX, int dpiY);
int DisplayDpiX();
int DisplayDpiY();

// The text colour selected into a display DC (what a parent's WM_CTLCOLOR
// answer set for a control to draw with); black for anything else.
COLORREF TextColourOfDC(HDC hdc);

// A font's average character width and its line height (ascent plus descent).
SIZE CharacterCell(const LOGFONTW& font);

}  // namespace platform::gdi
