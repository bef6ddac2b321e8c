// Device modes: the printer settings record every printing application and driver
// exchanges. The public part keeps its Win32 layout byte for byte (DEVMODEA 156,
// DEVMODEW 220) because drivers append their private part right after dmSize bytes
// and read fields by offset; dmDriverExtra says how long that private part is.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/base/types.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

#define DM_SPECVERSION 0x0401

// dmFields: which fields the record carries.
#define DM_ORIENTATION 0x00000001
#define DM_PAPERSIZE 0x00000002
#define DM_PAPERLENGTH 0x00000004
#define DM_PAPERWIDTH 0x00000008
#define DM_SCALE 0x00000010
#define DM_POSITION 0x00000020
#define DM_NUP 0x00000040
#define DM_DISPLAYORIENTATION 0x00000080
#define DM_COPIES 0x00000100
#define DM_DEFAULTSOURCE 0x00000200
#define DM_PRINTQUALITY 0x00000400
#define DM_COLOR 0x00000800
#define DM_DUPLEX 0x00001000
#define DM_YRESOLUTION 0x00002000
#define DM_TTOPTION 0x00004000
#define DM_COLLATE 0x00008000
#define DM_FORMNAME 0x00010000
#define DM_LOGPIXELS 0x00020000
#define DM_BITSPERPEL 0x00040000
#define DM_PELSWIDTH 0x00080000
#define DM_PELSHEIGHT 0x00100000
#define DM_DISPLAYFLAGS 0x00200000
#define DM_DISPLAYFREQUENCY 0x00400000
#define DM_ICMMETHOD 0x00800000
#define DM_ICMINTENT 0x01000000
#define DM_MEDIATYPE 0x02000000
#define DM_DITHERTYPE 0x04000000
#define DM_PANNINGWIDTH 0x08000000
#define DM_PANNINGHEIGHT 0x10000000
#define DM_DISPLAYFIXEDOUTPUT 0x20000000

// Modes of DocumentProperties and of the driver's device-mode calls.
#define DM_UPDATE 1
#define DM_COPY 2
#define DM_PROMPT 4
#define DM_MODIFY 8
#define DM_IN_BUFFER DM_MODIFY
#define DM_IN_PROMPT DM_PROMPT
#define DM_OUT_BUFFER DM_COPY
#define DM_OUT_DEFAULT DM_UPDATE

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

#define DMPAPER_LETTER 1
#define DMPAPER_LEGAL 5
#define DMPAPER_EXECUTIVE 7
#define DMPAPER_A3 8
#define DMPAPER_A4 9
#define DMPAPER_A5 11
#define DMPAPER_B4 12
#define DMPAPER_B5 13
#define DMPAPER_USER 256

#define DMBIN_UPPER 1
#define DMBIN_LOWER 2
#define DMBIN_MANUAL 4
#define DMBIN_AUTO 7
#define DMBIN_USER 256

#define DMRES_DRAFT (-1)
#define DMRES_LOW (-2)
#define DMRES_MEDIUM (-3)
#define DMRES_HIGH (-4)

#define DMCOLOR_MONOCHROME 1
#define DMCOLOR_COLOR 2

#define DMDUP_SIMPLEX 1
#define DMDUP_VERTICAL 2
#define DMDUP_HORIZONTAL 3

#define DMTT_BITMAP 1
#define DMTT_DOWNLOAD 2
#define DMTT_SUBDEV 3
#define DMTT_DOWNLOAD_OUTLINE 4

#define DMCOLLATE_FALSE 0
#define DMCOLLATE_TRUE 1

#define DMMEDIA_STANDARD 1
#define DMMEDIA_TRANSPARENCY 2
#define DMMEDIA_GLOSSY 3
#define DMMEDIA_USER 256

#define DMDITHER_NONE 1
#define DMDITHER_COARSE 2
#define DMDITHER_FINE 3
#define DMDITHER_LINEART 4
#define DMDITHER_GRAYSCALE 10
#define DMDITHER_USER 256

// Declared by the device-mode and the graphics-driver headers alike.
#ifndef ZEL_POINTL_DECLARED
#define ZEL_POINTL_DECLARED
typedef struct _POINTL {
  LONG x;
  LONG y;
} POINTL, *PPOINTL;
#endif

// The printer and display variants of the fields at offset 76 share their bytes.
// The members are anonymous as in the platform's own declaration; __extension__
// keeps -Wpedantic quiet about the anonymous structures.
#define ZEL_DEVMODE_FIELDS(NameChar)    \
  NameChar dmDeviceName[CCHDEVICENAME]; \
  WORD dmSpecVersion;                   \
  WORD dmDriverVersion;                 \
  WORD dmSize;                          \
  WORD dmDriverExtra;                   \
  DWORD dmFields;                       \
  __extension__ union {                 \
    __extension__ struct {              \
      SHORT dmOrientation;              \
      SHORT dmPaperSize;                \
      SHORT dmPaperLength;              \
      SHORT dmPaperWidth;               \
      SHORT dmScale;                    \
      SHORT dmCopies;                   \
      SHORT dmDefaultSource;            \
      SHORT dmPrintQuality;             \
    };                                  \
    __extension__ struct {              \
      POINTL dmPosition;                \
      DWORD dmDisplayOrientation;       \
      DWORD dmDisplayFixedOutput;       \
    };                                  \
  };                                    \
  SHORT dmColor;                        \
  SHORT dmDuplex;                       \
  SHORT dmYResolution;                  \
  SHORT dmTTOption;                     \
  SHORT dmCollate;                      \
  NameChar dmFormName[CCHFORMNAME];     \
  WORD dmLogPixels;                     \
  DWORD dmBitsPerPel;                   \
  DWORD dmPelsWidth;                    \
  DWORD dmPelsHeight;                   \
  union {                               \
    DWORD dmDisplayFlags;               \
    DWORD dmNup;                        \
  };                                    \
  DWORD dmDisplayFrequency;             \
  DWORD dmICMMethod;                    \
  DWORD dmICMIntent;                    \
  DWORD dmMediaType;                    \
  DWORD dmDitherType;                   \
  DWORD dmReserved1;                    \
  DWORD dmReserved2;                    \
  DWORD dmPanningWidth;                 \
  DWORD dmPanningHeight;

typedef struct _devicemodeA {
  ZEL_DEVMODE_FIELDS(BYTE)
} DEVMODEA, *PDEVMODEA, *LPDEVMODEA;

typedef struct _devicemodeW {
  ZEL_DEVMODE_FIELDS(WCHAR)
} DEVMODEW, *PDEVMODEW, *LPDEVMODEW;

#undef ZEL_DEVMODE_FIELDS

static_assert(sizeof(DEVMODEA) == 156, "DEVMODEA keeps its Win32 size");
static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW keeps its Win32 size");
static_assert(offsetof(DEVMODEW, dmDeviceName) == 0);
static_assert(offsetof(DEVMODEW, dmSpecVersion) == 64);
static_assert(offsetof(DEVMODEW, dmDriverVersion) == 66);
static_assert(offsetof(DEVMODEW, dmSize) == 68);
static_assert(offsetof(DEVMODEW, dmDriverExtra) == 70);
static_assert(offsetof(DEVMODEW, dmFields) == 72);
static_assert(offsetof(DEVMODEW, dmOrientation) == 76);
static_assert(offsetof(DEVMODEW, dmPaperSize) == 78);
static_assert(offsetof(DEVMODEW, dmPaperLength) == 80);
static_assert(offsetof(DEVMODEW, dmPaperWidth) == 82);
static_assert(offsetof(DEVMODEW, dmScale) == 84);
static_assert(offsetof(DEVMODEW, dmCopies) == 86);
static_assert(offsetof(DEVMODEW, dmDefaultSource) == 88);
static_assert(offsetof(DEVMODEW, dmPrintQuality) == 90);
static_assert(offsetof(DEVMODEW, dmPosition) == 76);
static_assert(offsetof(DEVMODEW, dmDisplayOrientation) == 84);
static_assert(offsetof(DEVMODEW, dmDisplayFixedOutput) == 88);
static_assert(offsetof(DEVMODEW, dmColor) == 92);
static_assert(offsetof(DEVMODEW, dmDuplex) == 94);
static_assert(offsetof(DEVMODEW, dmYResolution) == 96);
static_assert(offsetof(DEVMODEW, dmTTOption) == 98);
static_assert(offsetof(DEVMODEW, dmCollate) == 100);
static_assert(offsetof(DEVMODEW, dmFormName) == 102);
static_assert(offsetof(DEVMODEW, dmLogPixels) == 166);
static_assert(offsetof(DEVMODEW, dmBitsPerPel) == 168);
static_assert(offsetof(DEVMODEW, dmPelsWidth) == 172);
static_assert(offsetof(DEVMODEW, dmPelsHeight) == 176);
static_assert(offsetof(DEVMODEW, dmNup) == 180);
static_assert(offsetof(DEVMODEW, dmDisplayFlags) == 180);
static_assert(offsetof(DEVMODEW, dmDisplayFrequency) == 184);
static_assert(offsetof(DEVMODEW, dmICMMethod) == 188);
static_assert(offsetof(DEVMODEW, dmICMIntent) == 192);
static_assert(offsetof(DEVMODEW, dmMediaType) == 196);
static_assert(offsetof(DEVMODEW, dmDitherType) == 200);
static_assert(offsetof(DEVMODEW, dmReserved1) == 204);
static_assert(offsetof(DEVMODEW, dmReserved2) == 208);
static_assert(offsetof(DEVMODEW, dmPanningWidth) == 212);
static_assert(offsetof(DEVMODEW, dmPanningHeight) == 216);
// The ANSI record is the wide one with both names at half width.
static_assert(offsetof(DEVMODEA, dmSpecVersion) == 32);
static_assert(offsetof(DEVMODEA, dmSize) == 36);
static_assert(offsetof(DEVMODEA, dmDriverExtra) == 38);
static_assert(offsetof(DEVMODEA, dmFields) == 40);
static_assert(offsetof(DEVMODEA, dmOrientation) == 44);
static_assert(offsetof(DEVMODEA, dmCollate) == 68);
static_assert(offsetof(DEVMODEA, dmFormName) == 70);
static_assert(offsetof(DEVMODEA, dmLogPixels) == 102);
static_assert(offsetof(DEVMODEA, dmBitsPerPel) == 104);
static_assert(offsetof(DEVMODEA, dmNup) == 116);
static_assert(offsetof(DEVMODEA, dmPanningHeight) == 152);

namespace platform {

// The smallest public part the stores accept: up to and including dmFields, so the
// record at least says which fields it carries.
constexpr size_t kMinDevModeASize = offsetof(DEVMODEA, dmFields) + sizeof(DWORD);
constexpr size_t kMinDevModeWSize = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

// The whole record, public and private part (dmSize + dmDriverExtra bytes), as a
// copy; empty when the record is NULL or its dmSize is implausible.
std::vector<BYTE> CopyDevModeW(const DEVMODEW* devMode);
std::vector<BYTE> CopyDevModeA(const DEVMODEA* devMode);

// ANSI <-> wide conversion of a whole record (names through the ANSI code page, the
// private part copied unchanged). A public part that ends inside the form name is
// refused: empty result.
std::vector<BYTE> DevModeWFromA(const DEVMODEA* devMode);
std::vector<BYTE> DevModeAFromW(const DEVMODEW* devMode);

}  // namespace platform
