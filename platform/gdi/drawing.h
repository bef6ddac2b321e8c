// What an application draws with on a printer device context: pens, brushes and
// clip regions, map modes and world transforms, lines, shapes, Béziers and paths.
// Each shape reaches the graphics library as DrvStrokePath, DrvFillPath or
// DrvStrokeAndFillPath with its points in 28.4 device units, after the world
// transform and the map mode. A library that refuses a path with curves is
// offered the same path flattened into lines; refused still, the area the path
// covers (a stroke widened with the pen's width, joins and caps) is cut to the
// clip and filled through DrvBitBlt with that area as the clip.
#pragma once

#include "platform/gdi/dc.h"

typedef HANDLE HGDIOBJ;
typedef SIZE* LPSIZE;

typedef struct tagXFORM {
  FLOAT eM11;
  FLOAT eM12;
  FLOAT eM21;
  FLOAT eM22;
  FLOAT eDx;
  FLOAT eDy;
} XFORM, *PXFORM, *LPXFORM;

// Pens.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// Brushes.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | (((WORD)((BYTE)(g))) << 8) | (((DWORD)(BYTE)(b)) << 16)))

// Map modes, graphics modes, world-transform changes, fill modes.
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define GM_COMPATIBLE 1
#define GM_ADVANCED 2
#define MWT_IDENTITY 1
#define MWT_LEFTMULTIPLY 2
#define MWT_RIGHTMULTIPLY 3
#define ALTERNATE 1
#define WINDING 2

// Regions.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_AND 1
#define RGN_OR 2
#define RGN_COPY 5

// Raster mixes (R2_*): the drawing mode of pens and brushes.
#define R2_COPYPEN 13

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

ZEL_EXTERN_C HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
// A cosmetic pen is one pixel wide (cWidth 1), solid-coloured, optionally styled
// (PS_DASH..PS_ALTERNATE, or PS_USERSTYLE in style units); a geometric pen has a
// width in logical units that the world transform and map mode scale, joins and
// end caps, a solid or hatched brush and an optional PS_USERSTYLE pattern (up to
// 16 entries, logical units). 0 with ERROR_INVALID_PARAMETER for combinations
// that GDI refuses.
ZEL_EXTERN_C HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                               const DWORD* pstyle);
ZEL_EXTERN_C HBRUSH CreateSolidBrush(COLORREF color);
ZEL_EXTERN_C HBRUSH CreateHatchBrush(int iHatch, COLORREF color);
ZEL_EXTERN_C HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
ZEL_EXTERN_C int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
// The pixels whose centres lie inside the polygon (device coordinates), under
// WINDING or ALTERNATE; 0 with ERROR_INVALID_PARAMETER for fewer than 2 points.
ZEL_EXTERN_C HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode);
ZEL_EXTERN_C BOOL PtInRegion(HRGN hrgn, int x, int y);
ZEL_EXTERN_C HGDIOBJ GetStockObject(int i);
ZEL_EXTERN_C BOOL DeleteObject(HGDIOBJ ho);
// Pens and brushes; a region selects as the clip region (a copy). Answers the
// object it replaces (for a region, the region kind).
ZEL_EXTERN_C HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);

// The clip region is in device pixels; NULL removes it.
ZEL_EXTERN_C int SelectClipRgn(HDC hdc, HRGN hrgn);
// Logical coordinates, cut into the current clip region.
ZEL_EXTERN_C int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);

ZEL_EXTERN_C int SetMapMode(HDC hdc, int iMode);
// Origins and extents of page space (logical units after the world transform)
// and device space; the old value goes to the last argument when given.
ZEL_EXTERN_C BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
ZEL_EXTERN_C BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
ZEL_EXTERN_C BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
ZEL_EXTERN_C BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
ZEL_EXTERN_C BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppt);
ZEL_EXTERN_C BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppt);
// Logical points to device pixels, in place.
ZEL_EXTERN_C BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
ZEL_EXTERN_C int GetMapMode(HDC hdc);
ZEL_EXTERN_C int SetGraphicsMode(HDC hdc, int iMode);
ZEL_EXTERN_C int SetPolyFillMode(HDC hdc, int mode);
// The longest miter a join may have, in pen widths (10 by default, at least 1).
ZEL_EXTERN_C BOOL SetMiterLimit(HDC hdc, FLOAT limit, PFLOAT old);
ZEL_EXTERN_C BOOL GetMiterLimit(HDC hdc, PFLOAT plimit);
// GM_ADVANCED only, as on Windows.
ZEL_EXTERN_C BOOL SetWorldTransform(HDC hdc, const XFORM* lpxf);
ZEL_EXTERN_C BOOL ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode);
ZEL_EXTERN_C BOOL GetWorldTransform(HDC hdc, LPXFORM lpxf);

ZEL_EXTERN_C BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
ZEL_EXTERN_C BOOL LineTo(HDC hdc, int x, int y);
ZEL_EXTERN_C BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
ZEL_EXTERN_C BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
ZEL_EXTERN_C BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
ZEL_EXTERN_C BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);

ZEL_EXTERN_C BOOL BeginPath(HDC hdc);
ZEL_EXTERN_C BOOL EndPath(HDC hdc);
ZEL_EXTERN_C BOOL AbortPath(HDC hdc);
ZEL_EXTERN_C BOOL CloseFigure(HDC hdc);
ZEL_EXTERN_C BOOL FillPath(HDC hdc);
ZEL_EXTERN_C BOOL StrokePath(HDC hdc);
ZEL_EXTERN_C BOOL StrokeAndFillPath(HDC hdc);

// ---- Text ------------------------------------------------------------------
// Text goes to DrvTextOut with the printer's own font when the LOGFONT names one,
// else with an engine font (FreeType glyphs of the face the LOGFONT names, or its
// stand-in). A library that refuses the text gets the background, the glyphs
// (1 bpp masks through DrvBitBlt, only their set pixels painted, or outlines
// through DrvFillPath when it asks for paths) and the underline and strike-out
// as separate calls.

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[32];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;
static_assert(sizeof(LOGFONTA) == 60);

#define TA_TOP 0
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

ZEL_EXTERN_C HFONT CreateFontIndirectW(const LOGFONTW* lplf);
ZEL_EXTERN_C HFONT CreateFontIndirectA(const LOGFONTA* lplf);
ZEL_EXTERN_C COLORREF SetTextColor(HDC hdc, COLORREF color);
// The reference point: the cell's top, bottom or baseline, and its left,
// centre or right.
ZEL_EXTERN_C UINT SetTextAlign(HDC hdc, UINT align);
ZEL_EXTERN_C BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                              const INT* lpDx);
ZEL_EXTERN_C BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);
ZEL_EXTERN_C BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                              const INT* lpDx);
typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
static_assert(sizeof(TEXTMETRICA) == 56);

// tmPitchAndFamily bits: note that TMPF_FIXED_PITCH set means a variable pitch.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

// Logical units of the selected font.
ZEL_EXTERN_C BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);
ZEL_EXTERN_C BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl);
ZEL_EXTERN_C BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);

// The text background: OPAQUE (a new DC's mode) fills the text's cells with the
// background colour (white to begin with), TRANSPARENT leaves the page under the
// glyphs as it is. ETO_OPAQUE fills its rectangle in either mode.
#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFFu
ZEL_EXTERN_C int SetBkMode(HDC hdc, int mode);
ZEL_EXTERN_C int GetBkMode(HDC hdc);
ZEL_EXTERN_C COLORREF SetBkColor(HDC hdc, COLORREF color);
ZEL_EXTERN_C COLORREF GetBkColor(HDC hdc);

// Font families of a printer DC: the printer's own fonts (DEVICE_FONTTYPE), then
// the outline families (TRUETYPE_FONTTYPE). The callback gets an ENUMLOGFONTEX
// and a NEWTEXTMETRICEX; enumeration stops when it answers 0, and the last answer
// is returned.
#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64
#define NTM_ITALIC 0x00000001
#define NTM_BOLD 0x00000020
#define NTM_REGULAR 0x00000040
#define NTM_PS_OPENTYPE 0x00020000
#define NTM_TT_OPENTYPE 0x00040000

typedef struct tagTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICW, *PTEXTMETRICW, *LPTEXTMETRICW;

typedef struct tagNEWTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
} NEWTEXTMETRICA;

typedef struct tagNEWTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
} NEWTEXTMETRICW;

typedef struct tagFONTSIGNATURE {
  DWORD fsUsb[4];
  DWORD fsCsb[2];
} FONTSIGNATURE;

typedef struct tagNEWTEXTMETRICEXA {
  NEWTEXTMETRICA ntmTm;
  FONTSIGNATURE ntmFontSig;
} NEWTEXTMETRICEXA;

typedef struct tagNEWTEXTMETRICEXW {
  NEWTEXTMETRICW ntmTm;
  FONTSIGNATURE ntmFontSig;
} NEWTEXTMETRICEXW;

typedef struct tagENUMLOGFONTEXA {
  LOGFONTA elfLogFont;
  BYTE elfFullName[LF_FULLFACESIZE];
  BYTE elfStyle[LF_FACESIZE];
  BYTE elfScript[LF_FACESIZE];
} ENUMLOGFONTEXA, *LPENUMLOGFONTEXA;

typedef struct tagENUMLOGFONTEXW {
  LOGFONTW elfLogFont;
  WCHAR elfFullName[LF_FULLFACESIZE];
  WCHAR elfStyle[LF_FACESIZE];
  WCHAR elfScript[LF_FACESIZE];
} ENUMLOGFONTEXW, *LPENUMLOGFONTEXW;

static_assert(sizeof(TEXTMETRICW) == 60 && sizeof(NEWTEXTMETRICA) == 72 && sizeof(NEWTEXTMETRICW) == 76);
static_assert(sizeof(ENUMLOGFONTEXA) == 188 && sizeof(ENUMLOGFONTEXW) == 348);

typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA* lplf, const TEXTMETRICA* lptm, DWORD fontType, LPARAM lParam);
typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW* lplf, const TEXTMETRICW* lptm, DWORD fontType, LPARAM lParam);

// lfCharSet DEFAULT_CHARSET lists every character set of a family, an empty
// lfFaceName every family; dwFlags must be 0.
ZEL_EXTERN_C int EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam, DWORD dwFlags);
ZEL_EXTERN_C int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam, DWORD dwFlags);
// One entry per family (NULL), or the fonts of one family.
ZEL_EXTERN_C int EnumFontFamiliesA(HDC hdc, LPCSTR lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam);
ZEL_EXTERN_C int EnumFontFamiliesW(HDC hdc, LPCWSTR lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam);

// Whether outline fonts can be drawn: FreeType always can here.
typedef struct _RASTERIZER_STATUS {
  SHORT nSize;
  SHORT wFlags;
  SHORT nLanguageID;
} RASTERIZER_STATUS, *LPRASTERIZER_STATUS;
#define TT_AVAILABLE 0x0001
#define TT_ENABLED 0x0002
ZEL_EXTERN_C BOOL GetRasterizerCaps(LPRASTERIZER_STATUS lpraststat, UINT cb);

// ---- Images ------------------------------------------------------------------

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // positive: bottom-up rows; negative: top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER, *PBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO, *PBITMAPINFO, *LPBITMAPINFO;

static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(RGBQUAD) == 4);

#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define GDI_ERROR 0xFFFFFFFFu

// An uncompressed DIB (1, 4, 8, 16, 24 or 32 bits) stretched onto the page with
// SRCCOPY: DrvStretchBlt, or the engine's halftoning through DrvCopyBits when the
// library refuses. The number of source scan lines, or 0 on failure.
ZEL_EXTERN_C int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                               int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                               DWORD rop);
