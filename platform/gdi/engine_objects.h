// The objects the engine hands a graphics driver, as plain data with their public
// fields. The engine's own objects (platform/gdi/engine.h) derive from these and
// keep their private state after the public part; the services accept objects a
// driver built itself wherever the public fields say enough (a DC_RECT CLIPOBJ,
// a table XLATEOBJ).
#pragma once

#include "platform/gdi/ddi_types.h"

typedef struct _SURFOBJ {
  DHSURF dhsurf;
  HSURF hsurf;
  DHPDEV dhpdev;
  HDEV hdev;
  SIZEL sizlBitmap;
  ULONG cjBits;
  PVOID pvBits;
  PVOID pvScan0;  // first (top) scan line
  LONG lDelta;    // signed stride: negative for a bottom-up bitmap
  ULONG iUniq;
  ULONG iBitmapFormat;
  USHORT iType;
  USHORT fjBitmap;
} SURFOBJ, *PSURFOBJ;

typedef struct _CLIPOBJ {
  ULONG iUniq;
  RECTL rclBounds;
  BYTE iDComplexity;
  BYTE iFComplexity;
  BYTE iMode;
  BYTE fjOptions;
} CLIPOBJ, *PCLIPOBJ;

#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3
#define FC_RECT 1
#define FC_RECT4 2
#define FC_COMPLEX 3
#define TC_RECTANGLES 0
#define TC_PATHOBJ 2
#define OC_BANK_CLIP 1
#define CT_RECTANGLES 0
#define CD_RIGHTDOWN 0
#define CD_LEFTDOWN 1
#define CD_RIGHTUP 2
#define CD_LEFTUP 3
#define CD_ANY 4
#define CD_UPWARDS 2
#define CD_LEFTWARDS 1

typedef struct _ENUMRECTS {
  ULONG c;
  RECTL arcl[1];
} ENUMRECTS;

typedef struct _BRUSHOBJ {
  ULONG iSolidColor;  // 0xFFFFFFFF: not solid, realise it
  PVOID pvRbrush;
  FLONG flColorType;
} BRUSHOBJ, *PBRUSHOBJ;

#define SOLID_COLOR_NONE 0xFFFFFFFFu

typedef struct _XLATEOBJ {
  ULONG iUniq;
  FLONG flXlate;
  USHORT iSrcType;
  USHORT iDstType;
  ULONG cEntries;
  ULONG* pulXlate;
} XLATEOBJ, *PXLATEOBJ;

#define XO_TRIVIAL 0x00000001
#define XO_TABLE 0x00000002
#define XO_TO_MONO 0x00000004
#define XO_FROM_CMYK 0x00000008
#define XO_DEVICE_ICM 0x00000010
#define XO_HOST_ICM 0x00000020
#define XO_SRCPALETTE 1
#define XO_DESTPALETTE 2
#define XO_DESTDCPALETTE 3

typedef struct _XFORMOBJ {
  ULONG ulReserved;
} XFORMOBJ, *PXFORMOBJ;

typedef struct _XFORML {
  FLOATL eM11;
  FLOATL eM12;
  FLOATL eM21;
  FLOATL eM22;
  FLOATL eDx;
  FLOATL eDy;
} XFORML, *PXFORML;

typedef struct _FLOATOBJ_XFORM {
  FLOATOBJ eM11;
  FLOATOBJ eM12;
  FLOATOBJ eM21;
  FLOATOBJ eM22;
  FLOATOBJ eDx;
  FLOATOBJ eDy;
} FLOATOBJ_XFORM, *PFLOATOBJ_XFORM;

#define GX_IDENTITY 0
#define GX_OFFSET 1
#define GX_SCALE 2
#define GX_GENERAL 3
#define XF_LTOL 0
#define XF_INV_LTOL 1
#define XF_LTOFX 2
#define XF_INV_FXTOL 3

typedef struct _PATHOBJ {
  FLONG fl;
  ULONG cCurves;
} PATHOBJ, *PPATHOBJ;

#define PO_BEZIERS 0x00000001
#define PO_ELLIPSE 0x00000002
#define PO_ALL_INTEGERS 0x00000004
#define PO_ENUM_AS_INTEGERS 0x00000008

typedef struct _PATHDATA {
  FLONG flags;
  ULONG count;
  POINTFIX* pptfx;
} PATHDATA, *PPATHDATA;

#define PD_BEGINSUBPATH 0x00000001
#define PD_ENDSUBPATH 0x00000002
#define PD_RESETSTYLE 0x00000004
#define PD_CLOSEFIGURE 0x00000008
#define PD_BEZIERS 0x00000010
#define PD_ALL (PD_BEGINSUBPATH | PD_ENDSUBPATH | PD_RESETSTYLE | PD_CLOSEFIGURE | PD_BEZIERS)

typedef union _FLOAT_LONG {
  FLOATL e;
  LONG l;
} FLOAT_LONG, *PFLOAT_LONG;

typedef struct _LINEATTRS {
  FLONG fl;
  ULONG iJoin;
  ULONG iEndCap;
  FLOAT_LONG elWidth;  // float for geometric lines, long for cosmetic ones
  FLOATL eMiterLimit;
  ULONG cstyle;
  PFLOAT_LONG pstyle;
  FLOAT_LONG elStyleState;
} LINEATTRS, *PLINEATTRS;

typedef struct _GLYPHBITS {
  POINTL ptlOrigin;  // top-left of the bitmap relative to the glyph origin
  SIZEL sizlBitmap;
  BYTE aj[1];  // 1 bpp rows of (cx + 7) / 8 bytes, top row first
} GLYPHBITS;

typedef union _GLYPHDEF {
  GLYPHBITS* pgb;
  PATHOBJ* ppo;
} GLYPHDEF;

typedef struct _GLYPHPOS {
  HGLYPH hg;
  GLYPHDEF* pgdf;
  POINTL ptl;  // the glyph origin in device pixels
} GLYPHPOS, *PGLYPHPOS;

typedef struct _GLYPHDATA {
  GLYPHDEF gdf;
  HGLYPH hg;
  FIX fxD;  // advance, 28.4
  FIX fxA;
  FIX fxAB;
  FIX fxInkTop;
  FIX fxInkBottom;
  RECTL rclInk;
  POINTQF ptqD;  // advance vector, 28.36
} GLYPHDATA, *PGLYPHDATA;

typedef struct _STROBJ {
  ULONG cGlyphs;
  FLONG flAccel;
  ULONG ulCharInc;
  RECTL rclBkGround;
  GLYPHPOS* pgp;
  LPWSTR pwszOrg;
} STROBJ, *PSTROBJ;

#define SO_FLAG_DEFAULT_PLACEMENT 0x00000001
#define SO_HORIZONTAL 0x00000002
#define SO_VERTICAL 0x00000004
#define SO_REVERSED 0x00000008
#define SO_ZERO_BEARINGS 0x00000010
#define SO_CHAR_INC_EQUAL_BM_BASE 0x00000020
#define SO_MAXEXT_EQUAL_BM_SIDE 0x00000040
#define SO_DO_NOT_SUBSTITUTE_DEVICE_FONT 0x00000080
#define SO_GLYPHINDEX_TEXTOUT 0x00000100
#define SO_ESC_NOT_ORIENT 0x00000200
#define SO_DXDY 0x00000400
#define SO_CHARACTER_EXTRA 0x00000800
#define SO_BREAK_EXTRA 0x00001000

typedef struct _FONTOBJ {
  ULONG iUniq;
  ULONG iFace;  // device font 1..cFonts, 0 for an engine (TrueType) font
  ULONG cxMax;
  FLONG flFontType;
  ULONG_PTR iTTUniq;
  ULONG_PTR iFile;
  SIZE sizLogResPpi;
  ULONG ulStyleSize;
  PVOID pvConsumer;
  PVOID pvProducer;
} FONTOBJ, *PFONTOBJ;

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004
#define FO_TYPE_RASTER RASTER_FONTTYPE
#define FO_TYPE_DEVICE DEVICE_FONTTYPE
#define FO_TYPE_TRUETYPE TRUETYPE_FONTTYPE
#define FO_TYPE_OPENTYPE 0x0008
#define FO_SIM_BOLD 0x00002000
#define FO_SIM_ITALIC 0x00004000
#define FO_EM_HEIGHT 0x00008000
#define FO_GRAY16 0x00010000
#define FO_NOGRAY16 0x00020000
#define FO_NOHINTS 0x00040000
#define FO_NO_CHOICE 0x00080000
#define FO_CFF 0x00100000
#define FO_POSTSCRIPT 0x00200000
#define FO_MULTIPLEMASTER 0x00400000
#define FO_VERT_FACE 0x00800000
#define FO_DBCS_FONT 0x01000000

#define FO_HGLYPHS 0
#define FO_GLYPHBITS 1
#define FO_PATHOBJ 2

typedef struct _FONTINFO {
  ULONG cjThis;
  FLONG flCaps;
  ULONG cGlyphsSupported;
  ULONG cjMaxGlyph1;
  ULONG cjMaxGlyph4;
  ULONG cjMaxGlyph8;
  ULONG cjMaxGlyph32;
} FONTINFO, *PFONTINFO;

#define FO_DEVICE_FONT 1
#define FO_OUTLINE_CAPABLE 2

static_assert(sizeof(CLIPOBJ) == 24 && offsetof(CLIPOBJ, iDComplexity) == 20);
static_assert(sizeof(FONTINFO) == 28);
static_assert(sizeof(XFORML) == 24 && sizeof(FLOATOBJ_XFORM) == 24);
static_assert(sizeof(PATHOBJ) == 8);
static_assert(sizeof(POINTQF) == 16);
static_assert(offsetof(GLYPHDATA, hg) == sizeof(void*));
static_assert(sizeof(void*) != 4 || sizeof(GLYPHDATA) == 60, "the 32-bit GLYPHDATA is 60 bytes");
static_assert(sizeof(void*) != 4 || sizeof(SURFOBJ) == 52, "the 32-bit SURFOBJ is 52 bytes");
static_assert(sizeof(void*) != 4 || sizeof(STROBJ) == 36, "the 32-bit STROBJ is 36 bytes");
