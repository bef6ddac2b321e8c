// What the spooler and the common property-sheet host hand a printer driver's
// user-interface module, and the entry points they call in it: the headers of the
// document and device property calls, the property-sheet information record with
// its reasons, and the device-mode conversion modes. The records live in the
// caller's process only, so they keep their native layout (pointers stay pointers).
#pragma once

#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

// ---- Common property-sheet host ------------------------------------------------

// The host's service function: what a driver asks of the sheet (add a page, insert
// a set of pages, ...). Answers a page handle, 0 or a negative value on refusal.
typedef LONG_PTR(CALLBACK* PFNCOMPROPSHEET)(HANDLE hComPropSheet, UINT Function, LPARAM lParam1, LPARAM lParam2);

#define CPSFUNC_ADD_HPROPSHEETPAGE 0
#define CPSFUNC_ADD_PROPSHEETPAGEW 1
#define CPSFUNC_ADD_PCOMPROPSHEETUIA 2
#define CPSFUNC_ADD_PCOMPROPSHEETUIW 3
#define CPSFUNC_ADD_PFNPROPSHEETUIA 4
#define CPSFUNC_ADD_PFNPROPSHEETUIW 5
#define CPSFUNC_DELETE_HCOMPROPSHEET 6
#define CPSFUNC_SET_HSTARTPAGE 7
#define CPSFUNC_GET_PAGECOUNT 8
#define CPSFUNC_SET_RESULT 9
#define CPSFUNC_GET_HPSUIPAGES 10
#define CPSFUNC_LOAD_CPSUI_STRINGA 11
#define CPSFUNC_LOAD_CPSUI_STRINGW 12
#define CPSFUNC_LOAD_CPSUI_ICON 13
#define CPSFUNC_GET_PFNPROPSHEETUI_ICON 14
#define CPSFUNC_ADD_PROPSHEETPAGEA 15
#define CPSFUNC_INSERT_PSUIPAGEA 16
#define CPSFUNC_INSERT_PSUIPAGEW 17

// Why the host calls a sheet's function.
#define PROPSHEETUI_REASON_INIT 0
#define PROPSHEETUI_REASON_GET_INFO_HEADER 1
#define PROPSHEETUI_REASON_DESTROY 2
#define PROPSHEETUI_REASON_SET_RESULT 3
#define PROPSHEETUI_REASON_GET_ICON 4
#define PROPSHEETUI_REASON_BEFORE_INIT 5

#define PROPSHEETUI_INFO_VERSION 0x0100
#define PSUIINFO_UNICODE 0x0001

typedef struct _PROPSHEETUI_INFO {
  WORD cbSize;
  WORD Version;
  WORD Flags;
  WORD Reason;
  HANDLE hComPropSheet;
  PFNCOMPROPSHEET pfnComPropSheet;
  LPARAM lParamInit;  // what the sheet was created with: a property header
  ULONG_PTR UserData;
  ULONG_PTR Result;
} PROPSHEETUI_INFO, *PPROPSHEETUI_INFO;

// The sheet's title bar and icon (PROPSHEETUI_REASON_GET_INFO_HEADER).
#define PSUIHDRF_OBSOLETE 0x0001
#define PSUIHDRF_NOAPPLYNOW 0x0002
#define PSUIHDRF_PROPTITLE 0x0004
#define PSUIHDRF_USEHICON 0x0008
#define PSUIHDRF_DEFTITLE 0x0010
#define PSUIHDRF_EXACT_PTITLE 0x0020

typedef struct _PROPSHEETUI_INFO_HEADER {
  WORD cbSize;
  WORD Flags;
  LPWSTR pTitle;
  HWND hWndParent;
  HINSTANCE hInst;
  ULONG_PTR IconID;  // an icon resource id, or an icon handle with PSUIHDRF_USEHICON
} PROPSHEETUI_INFO_HEADER, *PPROPSHEETUI_INFO_HEADER;

// What PROPSHEETUI_REASON_SET_RESULT carries in its parameter.
typedef struct _SETRESULT_INFO {
  WORD cbSize;
  WORD wReserved;
  HANDLE hSetResult;
  LRESULT Result;
} SETRESULT_INFO, *PSETRESULT_INFO;

// ---- Property headers -------------------------------------------------------------

// DOCUMENTPROPERTYHEADER.fMode: the DM_ modes of platform/spooler/devmode.h and these.
#define DM_ADVANCED 0x00000010
#define DM_NOPERMISSION 0x00000020
#define DM_USER_DEFAULT 0x00000040

// The document settings of one printer: what DocumentProperties passes on. With
// fMode 0 or no output device mode the driver answers its device mode's size
// (and writes it to cbOut).
typedef struct _DOCUMENTPROPERTYHEADER {
  WORD cbSize;
  WORD Reserved;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
  PDEVMODEW pdmIn;
  PDEVMODEW pdmOut;
  DWORD cbOut;  // bytes at pdmOut
  DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;

#define DPS_NOPERMISSION 0x0001

typedef struct _DEVICEPROPERTYHEADER {
  WORD cbSize;
  WORD Flags;
  HANDLE hPrinter;
  LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;

// ---- Device-mode conversion ---------------------------------------------------------

#define CDM_CONVERT 0x01
#define CDM_CONVERT351 0x02
#define CDM_DRIVER_DEFAULT 0x04

// ---- Entry points of a driver's user-interface module ---------------------------------

typedef LONG(WINAPI* PFN_DrvDocumentPropertySheets)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
typedef LONG(WINAPI* PFN_DrvDevicePropertySheets)(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam);
typedef BOOL(WINAPI* PFN_DrvConvertDevMode)(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut,
                                            PLONG pcbNeeded, DWORD fMode);
