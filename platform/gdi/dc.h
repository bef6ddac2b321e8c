// Printer device contexts as an application sees them: creating one for a printer
// (which loads the printer's graphics library and enables a PDEV on it), the
// document and page calls, ResetDC, ExtEscape and GetDeviceCaps.
//
// The printer's user-interface library takes part through its DrvDocumentEvent
// (when it exports one), called in the order GDI calls it. Calls the DC makes on
// itself from inside a document event (a banner page's StartPage, a ResetDC for a
// tab page) go to the driver but raise no document event of their own.
#pragma once

#include "platform/gdi/engine_objects.h"
#include "platform/spooler/devmode.h"

// ---- Documents -------------------------------------------------------------

typedef struct _DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName;
  LPCSTR lpszOutput;  // a file to send the job to instead of the printer's port
  LPCSTR lpszDatatype;
  DWORD fwType;
} DOCINFOA, *LPDOCINFOA;

typedef struct _DOCINFOW {
  int cbSize;
  LPCWSTR lpszDocName;
  LPCWSTR lpszOutput;
  LPCWSTR lpszDatatype;
  DWORD fwType;
} DOCINFOW, *LPDOCINFOW;

#define SP_ERROR (-1)
#define SP_APPABORT (-2)
#define SP_USERABORT (-3)
#define SP_OUTOFDISK (-4)
#define SP_OUTOFMEMORY (-5)

// DrvEndDoc flags.
#define ED_ABORTDOC 0x00000001

// ---- Device capabilities (GetDeviceCaps) -------------------------------------

#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115
#define SHADEBLENDCAPS 120

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

// ---- Document events of the user-interface library ---------------------------

#define DOCUMENTEVENT_FIRST 1
#define DOCUMENTEVENT_CREATEDCPRE 1
#define DOCUMENTEVENT_CREATEDCPOST 2
#define DOCUMENTEVENT_RESETDCPRE 3
#define DOCUMENTEVENT_RESETDCPOST 4
#define DOCUMENTEVENT_STARTDOC 5
#define DOCUMENTEVENT_STARTDOCPRE 5
#define DOCUMENTEVENT_STARTPAGE 6
#define DOCUMENTEVENT_ENDPAGE 7
#define DOCUMENTEVENT_ENDDOC 8
#define DOCUMENTEVENT_ENDDOCPRE 8
#define DOCUMENTEVENT_ABORTDOC 9
#define DOCUMENTEVENT_DELETEDC 10
#define DOCUMENTEVENT_ESCAPE 11
#define DOCUMENTEVENT_ENDDOCPOST 12
#define DOCUMENTEVENT_STARTDOCPOST 13
#define DOCUMENTEVENT_LAST 14

#define DOCUMENTEVENT_SUCCESS 1
#define DOCUMENTEVENT_UNSUPPORTED 0
#define DOCUMENTEVENT_FAILURE (-1)

// CREATEDCPRE's input; its output is a PDEVMODEW slot where the library may name
// the device mode the DC should use instead.
typedef struct _DOCEVENT_CREATEDCPRE {
  PWSTR pszDriver;
  PWSTR pszDevice;
  PDEVMODEW pdm;
  BOOL bIC;
} DOCEVENT_CREATEDCPRE, *PDCEVENT_CREATEDCPRE;

// ESCAPE's input: the application's ExtEscape.
typedef struct _DOCEVENT_ESCAPE {
  int iEscape;
  int cjInput;
  PVOID pvInData;
} DOCEVENT_ESCAPE, *PDOCEVENT_ESCAPE;

typedef int(WINAPI* PFN_DrvDocumentEvent)(HANDLE hPrinter, HDC hdc, int iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                          PVOID pvOut);

// ---- The calls ---------------------------------------------------------------

// Driver "WINSPOOL" or NULL, device = the printer's name, output ignored, device
// mode NULL for the printer's current one. 0 with the last error on failure: a
// graphics library that is missing (ERROR_MOD_NOT_FOUND), lacks DrvEnableDriver
// (ERROR_PROC_NOT_FOUND), refuses or answers another DDI version
// (ERROR_BAD_DRIVER_LEVEL) or whose function table lacks what a printer needs
// (ERROR_BAD_DRIVER); the reason is also traced with OutputDebugString.
ZEL_EXTERN_C HDC CreateDCA(LPCSTR pwszDriver, LPCSTR pwszDevice, LPCSTR pszPort, const DEVMODEA* pdm);
ZEL_EXTERN_C HDC CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pszPort, const DEVMODEW* pdm);
ZEL_EXTERN_C BOOL DeleteDC(HDC hdc);
// A new device mode for the next pages; refused while a page is open.
ZEL_EXTERN_C HDC ResetDCA(HDC hdc, const DEVMODEA* lpdm);
ZEL_EXTERN_C HDC ResetDCW(HDC hdc, const DEVMODEW* lpdm);

// The job id (> 0), or SP_ERROR.
ZEL_EXTERN_C int StartDocA(HDC hdc, const DOCINFOA* lpdi);
ZEL_EXTERN_C int StartDocW(HDC hdc, const DOCINFOW* lpdi);
ZEL_EXTERN_C int StartPage(HDC hdc);
ZEL_EXTERN_C int EndPage(HDC hdc);
ZEL_EXTERN_C int EndDoc(HDC hdc);
ZEL_EXTERN_C int AbortDoc(HDC hdc);

// The driver's DrvEscape answer; 0 when the driver has none, -1 on a bad DC.
ZEL_EXTERN_C int ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);
ZEL_EXTERN_C int GetDeviceCaps(HDC hdc, int index);
