// Types of the printer graphics driver interface (DDI version 0x20000), as the
// engine and a graphics driver exchange them.
//
// Layouts the driver depends on keep their 32-bit sizes on every build: handles
// (HSURF, HDEV, HPALETTE, HBITMAP, HSEMAPHORE) are 32-bit values of the process's
// handle tables, the halftone pattern pointers of GDIINFO are 32-bit fields the
// engine never follows, and IFIMETRICS holds 32-bit offsets with no alignment
// pointer, so a driver's metrics blocks (IFIMETRICS followed by its own fields)
// read the same on 64-bit Linux. Pointers the driver owns (DHPDEV, DHSURF,
// DRVENABLEDATA.pdrvfn) stay native pointers.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

#define DDI_DRIVER_VERSION_NT4 0x00020000
#define DDI_DRIVER_VERSION 0x00020000

typedef LONG FIX;  // 28.4 fixed point: 16 units to a pixel
typedef FIX* PFIX;
typedef float FLOATL;
typedef float FLOATOBJ;  // the user-mode engine passes floats as they are
typedef FLOATOBJ* PFLOATOBJ;
typedef ULONG FLONG;
typedef ULONG HGLYPH;
typedef HGLYPH* PHGLYPH;
typedef SHORT FWORD;
typedef ULONG* PULONG;
typedef USHORT* PUSHORT;
typedef LONG PTRDIFF;  // offsets inside 32-bit layouts stay 32-bit
typedef ULONG IDENT;
typedef ULONG ROP4;
typedef ULONG MIX;
typedef LONG LONG32;
typedef ULONG ULONG32;
typedef DWORD COLORREF;
typedef int64_t LARGE_INTEGER_VALUE;

#define HGLYPH_INVALID ((HGLYPH)-1)
#define FD_ERROR 0xFFFFFFFFu
#define DDI_ERROR 0xFFFFFFFFu

// Engine handles: 32-bit values of the handle table.
typedef HANDLE HSURF;
typedef HANDLE HBITMAP;
typedef HANDLE HDEV;
typedef HANDLE HPALETTE;
typedef HANDLE HSEMAPHORE;
typedef HANDLE HDC;
typedef HANDLE HFONT;
typedef HANDLE HBRUSH;
typedef HANDLE HPEN;
typedef HANDLE HRGN;

// Driver-owned cookies: whatever the driver gave the engine, passed back as is.
typedef struct DHPDEV__* DHPDEV;
typedef struct DHSURF__* DHSURF;

// Declared by the device-mode and the graphics-driver headers alike.
#ifndef ZEL_POINTL_DECLARED
#define ZEL_POINTL_DECLARED
typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL, *PPOINTL;
#endif

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct _POINTFIX {
  FIX x;
  FIX y;
} POINTFIX, *PPOINTFIX;

typedef struct _POINTE {
  FLOATL x;
  FLOATL y;
} POINTE, *PPOINTE;

typedef struct _POINTQF {  // 28.36 fixed point, as the engine gives glyph advances
  int64_t x;
  int64_t y;
} POINTQF, *PPOINTQF;

typedef struct _RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECTL, *PRECTL;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *PRECT, *LPRECT;

typedef struct _RECTFX {
  FIX xLeft;
  FIX yTop;
  FIX xRight;
  FIX yBottom;
} RECTFX, *PRECTFX;

typedef struct tagSIZE {
  LONG cx;
  LONG cy;
} SIZE, *PSIZE, SIZEL, *PSIZEL;

typedef struct tagLOGFONTW {
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
  WCHAR lfFaceName[32];
} LOGFONTW, *PLOGFONTW, *LPLOGFONTW;

typedef struct _CIECHROMA {
  LONG x;
  LONG y;
  LONG Y;
} CIECHROMA;

typedef struct _COLORINFO {
  CIECHROMA Red;
  CIECHROMA Green;
  CIECHROMA Blue;
  CIECHROMA Cyan;
  CIECHROMA Magenta;
  CIECHROMA Yellow;
  CIECHROMA AlignmentWhite;
  LONG RedGamma;
  LONG GreenGamma;
  LONG BlueGamma;
  LONG MagentaInCyanDye;
  LONG YellowInCyanDye;
  LONG CyanInMagentaDye;
  LONG YellowInMagentaDye;
  LONG CyanInYellowDye;
  LONG MagentaInYellowDye;
} COLORINFO, *PCOLORINFO;

typedef struct _GDIINFO {
  ULONG ulVersion;
  ULONG ulTechnology;
  ULONG ulHorzSize;
  ULONG ulVertSize;
  ULONG ulHorzRes;
  ULONG ulVertRes;
  ULONG cBitsPixel;
  ULONG cPlanes;
  ULONG ulNumColors;
  ULONG flRaster;
  ULONG ulLogPixelsX;
  ULONG ulLogPixelsY;
  ULONG flTextCaps;
  ULONG ulDACRed;
  ULONG ulDACGreen;
  ULONG ulDACBlue;
  ULONG ulAspectX;
  ULONG ulAspectY;
  ULONG ulAspectXY;
  LONG xStyleStep;
  LONG yStyleStep;
  LONG denStyleStep;
  POINTL ptlPhysOffset;
  SIZEL szlPhysSize;
  ULONG ulNumPalReg;
  COLORINFO ciDevice;
  ULONG ulDevicePelsDPI;
  ULONG ulPrimaryOrder;
  ULONG ulHTPatternSize;
  ULONG ulHTOutputFormat;
  ULONG flHTFlags;
  ULONG ulVRefresh;
  ULONG ulBltAlignment;
  ULONG ulPanningHorzRes;
  ULONG ulPanningVertRes;
  ULONG xPanningAlignment;
  ULONG yPanningAlignment;
  ULONG cxHTPat;
  ULONG cyHTPat;
  ULONG32 pHTPatA;  // user halftone patterns: 32-bit fields the engine never follows
  ULONG32 pHTPatB;
  ULONG32 pHTPatC;
  ULONG flShadeBlend;
  ULONG ulPhysicalPixelCharacteristics;
  ULONG ulPhysicalPixelGamma;
} GDIINFO, *PGDIINFO;

typedef struct tagDEVINFO {
  FLONG flGraphicsCaps;
  LOGFONTW lfDefaultFont;
  LOGFONTW lfAnsiVarFont;
  LOGFONTW lfAnsiFixFont;
  ULONG cFonts;
  ULONG iDitherFormat;
  USHORT cxDither;
  USHORT cyDither;
  HPALETTE hpalDefault;
  FLONG flGraphicsCaps2;
} DEVINFO, *PDEVINFO;

typedef struct _PANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
} PANOSE;

// Font metrics with 32-bit offsets (dpwsz*, dpFontSim, dpCharSets count from the
// start of the block) and no alignment pointer: 184 bytes, as the 32-bit engine
// lays it out.
typedef struct _IFIMETRICS {
  ULONG cjThis;
  ULONG cjIfiExtra;
  PTRDIFF dpwszFamilyName;
  PTRDIFF dpwszStyleName;
  PTRDIFF dpwszFaceName;
  PTRDIFF dpwszUniqueName;
  PTRDIFF dpFontSim;
  LONG lEmbedId;
  LONG lItalicAngle;
  LONG lCharBias;
  PTRDIFF dpCharSets;
  BYTE jWinCharSet;
  BYTE jWinPitchAndFamily;
  USHORT usWinWeight;
  ULONG flInfo;
  USHORT fsSelection;
  USHORT fsType;
  FWORD fwdUnitsPerEm;
  FWORD fwdLowestPPEm;
  FWORD fwdWinAscender;
  FWORD fwdWinDescender;
  FWORD fwdMacAscender;
  FWORD fwdMacDescender;
  FWORD fwdMacLineGap;
  FWORD fwdTypoAscender;
  FWORD fwdTypoDescender;
  FWORD fwdTypoLineGap;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  FWORD fwdCapHeight;
  FWORD fwdXHeight;
  FWORD fwdSubscriptXSize;
  FWORD fwdSubscriptYSize;
  FWORD fwdSubscriptXOffset;
  FWORD fwdSubscriptYOffset;
  FWORD fwdSuperscriptXSize;
  FWORD fwdSuperscriptYSize;
  FWORD fwdSuperscriptXOffset;
  FWORD fwdSuperscriptYOffset;
  FWORD fwdUnderscoreSize;
  FWORD fwdUnderscorePosition;
  FWORD fwdStrikeoutSize;
  FWORD fwdStrikeoutPosition;
  BYTE chFirstChar;
  BYTE chLastChar;
  BYTE chDefaultChar;
  BYTE chBreakChar;
  WCHAR wcFirstChar;
  WCHAR wcLastChar;
  WCHAR wcDefaultChar;
  WCHAR wcBreakChar;
  POINTL ptlBaseline;
  POINTL ptlAspect;
  POINTL ptlCaret;
  RECTL rclFontBox;
  BYTE achVendId[4];
  ULONG cKerningPairs;
  ULONG ulPanoseCulture;
  PANOSE panose;
} IFIMETRICS, *PIFIMETRICS;

typedef struct _FONTSIM {
  PTRDIFF dpBold;
  PTRDIFF dpItalic;
  PTRDIFF dpBoldItalic;
} FONTSIM, *PFONTSIM;

typedef struct _FONTDIFF {
  BYTE jReserved1;
  BYTE jReserved2;
  BYTE jReserved3;
  BYTE bWeight;
  USHORT usWinWeight;
  USHORT fsSelection;
  FWORD fwdAveCharWidth;
  FWORD fwdMaxCharInc;
  POINTL ptlCaret;
} FONTDIFF, *PFONTDIFF;

// In-memory glyph set: runs of consecutive code points, each with its handles.
// (A glyph-set resource is stored in the 32-bit form and rebuilt into this one.)
typedef struct _WCRUN {
  WCHAR wcLow;
  USHORT cGlyphs;
  HGLYPH* phg;
} WCRUN, *PWCRUN;

typedef struct _FD_GLYPHSET {
  ULONG cjThis;
  FLONG flAccel;
  ULONG cGlyphsSupported;
  ULONG cRuns;
  WCRUN awcrun[1];
} FD_GLYPHSET, *PFD_GLYPHSET;

#define GS_UNICODE_HANDLES 0x00000001
#define GS_8BIT_HANDLES 0x00000002
#define GS_16BIT_HANDLES 0x00000004

typedef struct _FD_XFORM {
  FLOATL eXX;
  FLOATL eXY;
  FLOATL eYX;
  FLOATL eYY;
} FD_XFORM, *PFD_XFORM;

typedef struct _FD_DEVICEMETRICS {
  FLONG flRealizedType;
  POINTE pteBase;
  POINTE pteSide;
  LONG lD;
  FIX fxMaxAscender;
  FIX fxMaxDescender;
  POINTL ptlUnderline1;
  POINTL ptlStrikeOut;
  POINTL ptlULThickness;
  POINTL ptlSOThickness;
  ULONG cxMax;
  ULONG cyMax;
  ULONG cjGlyphMax;
  FD_XFORM fdxQuantized;
  LONG lNonLinearExtLeading;
  LONG lNonLinearIntLeading;
  LONG lNonLinearMaxCharWidth;
  LONG lNonLinearAvgCharWidth;
  LONG lMinA;
  LONG lMinC;
  LONG lMinD;
  LONG alReserved[1];
} FD_DEVICEMETRICS, *PFD_DEVICEMETRICS;

typedef struct _COLORADJUSTMENT {
  WORD caSize;
  WORD caFlags;
  WORD caIlluminantIndex;
  WORD caRedGamma;
  WORD caGreenGamma;
  WORD caBlueGamma;
  WORD caReferenceBlack;
  WORD caReferenceWhite;
  SHORT caContrast;
  SHORT caBrightness;
  SHORT caColorfulness;
  SHORT caRedGreenTint;
} COLORADJUSTMENT, *PCOLORADJUSTMENT;

// Font information flags (IFIMETRICS.flInfo).
#define FM_INFO_TECH_TRUETYPE 0x00000001
#define FM_INFO_TECH_BITMAP 0x00000002
#define FM_INFO_TECH_STROKE 0x00000004
#define FM_INFO_TECH_OUTLINE_NOT_TRUETYPE 0x00000008
#define FM_INFO_ARB_XFORMS 0x00000010
#define FM_INFO_1BPP 0x00000020
#define FM_INFO_4BPP 0x00000040
#define FM_INFO_8BPP 0x00000080
#define FM_INFO_16BPP 0x00000100
#define FM_INFO_24BPP 0x00000200
#define FM_INFO_32BPP 0x00000400
#define FM_INFO_INTEGER_WIDTH 0x00000800
#define FM_INFO_CONSTANT_WIDTH 0x00001000
#define FM_INFO_NOT_CONTIGUOUS 0x00002000
#define FM_INFO_TECH_MM 0x00004000
#define FM_INFO_RETURNS_OUTLINES 0x00008000
#define FM_INFO_RETURNS_STROKES 0x00010000
#define FM_INFO_RETURNS_BITMAPS 0x00020000
#define FM_INFO_DSIG 0x00040000
#define FM_INFO_RIGHT_HANDED 0x00080000
#define FM_INFO_INTEGRAL_SCALING 0x00100000
#define FM_INFO_90DEGREE_ROTATIONS 0x00200000
#define FM_INFO_OPTICALLY_FIXED_PITCH 0x00400000
#define FM_INFO_DO_NOT_ENUMERATE 0x00800000
#define FM_INFO_ISOTROPIC_SCALING_ONLY 0x01000000
#define FM_INFO_ANISOTROPIC_SCALING_ONLY 0x02000000
#define FM_INFO_TECH_CFF 0x04000000
#define FM_INFO_FAMILY_EQUIV 0x08000000
#define FM_INFO_DBCS_FIXED_PITCH 0x10000000
#define FM_INFO_NONNEGATIVE_AC 0x20000000
#define FM_INFO_IGNORE_TC_RA_ABLE 0x40000000
#define FM_INFO_TECH_TYPE1 0x80000000

// IFIMETRICS.fsSelection.
#define FM_SEL_ITALIC 0x0001
#define FM_SEL_UNDERSCORE 0x0002
#define FM_SEL_NEGATIVE 0x0004
#define FM_SEL_OUTLINED 0x0008
#define FM_SEL_STRIKEOUT 0x0010
#define FM_SEL_BOLD 0x0020
#define FM_SEL_REGULAR 0x0040

// Character sets and pitch-and-family bytes.
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define OEM_CHARSET 255
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50
#define FW_NORMAL 400
#define FW_BOLD 700

// LOGFONT.lfOutPrecision: how the font mapper may choose between the printer's
// own fonts and outline fonts.
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define OUT_PS_ONLY_PRECIS 10

// Escapes (ExtEscape) the engine routes itself. The font escapes, numbers 0x100
// to 0x3FE, go to DrvFontManagement with the DC's current font, as does
// QUERYESCSUPPORT when the escape it asks about is one of them.
#define QUERYESCSUPPORT 8
#define GETEXTENDEDTEXTMETRICS 256
#define GETFACENAME 513
#define DOWNLOADFACE 514
#define FIRST_FONT_ESCAPE 0x100
#define LAST_FONT_ESCAPE 0x3FE

// Graphics capabilities (DEVINFO.flGraphicsCaps).
#define GCAPS_BEZIERS 0x00000001
#define GCAPS_GEOMETRICWIDE 0x00000002
#define GCAPS_ALTERNATEFILL 0x00000004
#define GCAPS_WINDINGFILL 0x00000008
#define GCAPS_HALFTONE 0x00000010
#define GCAPS_COLOR_DITHER 0x00000020
#define GCAPS_HORIZSTRIKE 0x00000040
#define GCAPS_VERTSTRIKE 0x00000080
#define GCAPS_OPAQUERECT 0x00000100
#define GCAPS_VECTORFONT 0x00000200
#define GCAPS_MONO_DITHER 0x00000400
#define GCAPS_ASYNCCHANGE 0x00000800
#define GCAPS_ASYNCMOVE 0x00001000
#define GCAPS_DONTJOURNAL 0x00002000
#define GCAPS_DIRECTDRAW 0x00004000
#define GCAPS_ARBRUSHOPAQUE 0x00008000
#define GCAPS_PANNING 0x00010000
#define GCAPS_HIGHRESTEXT 0x00040000
#define GCAPS_PALMANAGED 0x00080000
#define GCAPS_DITHERONREALIZE 0x00200000
#define GCAPS_NO64BITMEMACCESS 0x00400000
#define GCAPS_FORCEDITHER 0x00800000
#define GCAPS_GRAY16 0x01000000

// Surface hooks (EngAssociateSurface).
#define HOOK_BITBLT 0x00000001
#define HOOK_STRETCHBLT 0x00000002
#define HOOK_PLGBLT 0x00000004
#define HOOK_TEXTOUT 0x00000008
#define HOOK_PAINT 0x00000010
#define HOOK_STROKEPATH 0x00000020
#define HOOK_FILLPATH 0x00000040
#define HOOK_STROKEANDFILLPATH 0x00000080
#define HOOK_LINETO 0x00000100
#define HOOK_COPYBITS 0x00000400
#define HOOK_SYNCHRONIZE 0x00001000

// Bitmap formats, surface types and bitmap flags.
#define BMF_1BPP 1
#define BMF_4BPP 2
#define BMF_8BPP 3
#define BMF_16BPP 4
#define BMF_24BPP 5
#define BMF_32BPP 6
#define BMF_4RLE 7
#define BMF_8RLE 8
#define BMF_TOPDOWN 0x0001
#define BMF_NOZEROINIT 0x0002
#define BMF_DONTCACHE 0x0004
#define BMF_USERMEM 0x0008
#define BMF_KMSECTION 0x0010
#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

// Palettes.
#define PAL_INDEXED 0x00000001
#define PAL_BITFIELDS 0x00000002
#define PAL_RGB 0x00000004
#define PAL_BGR 0x00000008

// Halftone output formats (GDIINFO.ulHTOutputFormat) and stretch modes.
#define HT_FORMAT_1BPP 0
#define HT_FORMAT_4BPP 2
#define HT_FORMAT_4BPP_IRGB 3
#define HT_FORMAT_8BPP 4
#define HT_FORMAT_16BPP 5
#define HT_FORMAT_24BPP 6
#define HT_FORMAT_32BPP 7
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4

// Hatch styles; an iHatch of HS_DDI_MAX or above means a pattern brush.
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5
#define HS_DDI_MAX 6

// Raster operations.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define NOTSRCCOPY 0x00330008
#define PATCOPY 0x00F00021
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Line attributes.
#define LA_GEOMETRIC 0x00000001
#define LA_ALTERNATE 0x00000002
#define LA_STARTGAP 0x00000004
#define LA_STYLED 0x00000008
#define JOIN_ROUND 0
#define JOIN_BEVEL 1
#define JOIN_MITER 2
#define ENDCAP_ROUND 0
#define ENDCAP_SQUARE 1
#define ENDCAP_BUTT 2

// Fill modes.
#define FP_ALTERNATEMODE 1
#define FP_WINDINGMODE 2

// Text capabilities (GDIINFO.flTextCaps) used by the engine's text path.
#define TC_OP_CHARACTER 0x00000001
#define TC_OP_STROKE 0x00000002
#define TC_CP_STROKE 0x00000004
#define TC_CR_90 0x00000008
#define TC_CR_ANY 0x00000010
#define TC_SF_X_YINDEP 0x00000020
#define TC_SA_DOUBLE 0x00000040
#define TC_SA_INTEGER 0x00000080
#define TC_SA_CONTIN 0x00000100
#define TC_EA_DOUBLE 0x00000200
#define TC_IA_ABLE 0x00000400
#define TC_UA_ABLE 0x00000800
#define TC_SO_ABLE 0x00001000
#define TC_RA_ABLE 0x00002000
#define TC_VA_ABLE 0x00004000

static_assert(sizeof(POINTL) == 8 && sizeof(POINTFIX) == 8 && sizeof(RECTL) == 16 && sizeof(SIZEL) == 8);
static_assert(sizeof(RECTFX) == 16 && sizeof(POINTE) == 8 && sizeof(FLOATOBJ) == 4);
static_assert(sizeof(LOGFONTW) == 92 && offsetof(LOGFONTW, lfFaceName) == 28);
static_assert(sizeof(COLORINFO) == 120);
static_assert(sizeof(COLORADJUSTMENT) == 24);
static_assert(sizeof(GDIINFO) == 304);
static_assert(offsetof(GDIINFO, ptlPhysOffset) == 88 && offsetof(GDIINFO, szlPhysSize) == 96);
static_assert(offsetof(GDIINFO, ciDevice) == 108 && offsetof(GDIINFO, ulDevicePelsDPI) == 228);
static_assert(offsetof(GDIINFO, ulHTOutputFormat) == 240 && offsetof(GDIINFO, pHTPatA) == 280);
static_assert(sizeof(DEVINFO) == 300);
static_assert(offsetof(DEVINFO, lfDefaultFont) == 4 && offsetof(DEVINFO, lfAnsiVarFont) == 96);
static_assert(offsetof(DEVINFO, lfAnsiFixFont) == 188 && offsetof(DEVINFO, cFonts) == 280);
static_assert(offsetof(DEVINFO, iDitherFormat) == 284 && offsetof(DEVINFO, cxDither) == 288 &&
              offsetof(DEVINFO, hpalDefault) == 292 && offsetof(DEVINFO, flGraphicsCaps2) == 296);
static_assert(sizeof(PANOSE) == 10);
static_assert(sizeof(IFIMETRICS) == 184);
static_assert(offsetof(IFIMETRICS, dpwszFamilyName) == 8 && offsetof(IFIMETRICS, dpwszFaceName) == 16);
static_assert(offsetof(IFIMETRICS, dpFontSim) == 24 && offsetof(IFIMETRICS, dpCharSets) == 40);
static_assert(offsetof(IFIMETRICS, jWinCharSet) == 44 && offsetof(IFIMETRICS, flInfo) == 48);
static_assert(offsetof(IFIMETRICS, fsSelection) == 52 && offsetof(IFIMETRICS, fwdUnitsPerEm) == 56);
static_assert(offsetof(IFIMETRICS, fwdWinAscender) == 60 && offsetof(IFIMETRICS, fwdAveCharWidth) == 76);
static_assert(offsetof(IFIMETRICS, fwdMaxCharInc) == 78 && offsetof(IFIMETRICS, fwdCapHeight) == 80);
static_assert(offsetof(IFIMETRICS, fwdUnderscoreSize) == 100 && offsetof(IFIMETRICS, fwdStrikeoutPosition) == 106);
static_assert(offsetof(IFIMETRICS, chFirstChar) == 108 && offsetof(IFIMETRICS, wcFirstChar) == 112);
static_assert(offsetof(IFIMETRICS, ptlBaseline) == 120 && offsetof(IFIMETRICS, rclFontBox) == 144);
static_assert(offsetof(IFIMETRICS, achVendId) == 160 && offsetof(IFIMETRICS, panose) == 172);
static_assert(sizeof(FONTSIM) == 12 && sizeof(FONTDIFF) == 20);
static_assert(sizeof(FD_XFORM) == 16);
static_assert(sizeof(FD_DEVICEMETRICS) == 124 && offsetof(FD_DEVICEMETRICS, fdxQuantized) == 76);
