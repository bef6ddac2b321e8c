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
//   CPSFUNC_ADD_PROPSHEETPAGEA  lParam1 a PROPSHEETPAGEA (platform/ui/prsht.h)
//   CPSFUNC_INSERT_PSUIPAGEA    lParam1 the page handle Mode refers to (0: the
//                               sheet), lParam2 a PSUIPAGEINSERT
//   CPSFUNC_SET_RESULT          lParam1 a page handle, lParam2 its result; the
//                               host answers how many got it
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

// ---- Pages a driver describes to the host ------------------------------------------

// CPSFUNC_INSERT_PSUIPAGEA: what is inserted (Type) and where (Mode, relative to
// the page handle given as lParam1, 0 for the sheet's own root).
#define PSUIPAGEINSERT_GROUP_PARENT 0
#define PSUIPAGEINSERT_PCOMPROPSHEETUI 1
#define PSUIPAGEINSERT_PFNPROPSHEETUI 2
#define PSUIPAGEINSERT_PROPSHEETPAGE 3
#define PSUIPAGEINSERT_HPROPSHEETPAGE 4
#define PSUIPAGEINSERT_DLL 5

#define INSPSUIPAGE_MODE_BEFORE 0
#define INSPSUIPAGE_MODE_AFTER 1
#define INSPSUIPAGE_MODE_FIRST_CHILD 2
#define INSPSUIPAGE_MODE_LAST_CHILD 3
#define INSPSUIPAGE_MODE_INDEX 4

typedef struct _INSERTPSUIPAGE_INFO {
  WORD cbSize;
  BYTE Type;
  BYTE Mode;
  ULONG_PTR dwData1;  // PSUIPAGEINSERT_PCOMPROPSHEETUI: a PCOMPROPSHEETUIA
  ULONG_PTR dwData2;
  ULONG_PTR dwData3;
} INSERTPSUIPAGE_INFO, *PINSERTPSUIPAGE_INFO, PSUIPAGEINSERT, *PPSUIPAGEINSERT;

struct _OPTITEMA;
struct _CPSUICBPARAMA;

// A choice of an option item (one of OPTTYPE.Count).
typedef struct _OPTPARAMA {
  WORD cbSize;
  BYTE Flags;
  BYTE Style;   // TVOT_PUSHBUTTON: a PUSHBUTTON_TYPE_ value
  LPSTR pData;  // PUSHBUTTON_TYPE_DLGPROC: the dialog procedure (a DLGPROC)
  ULONG_PTR IconID;
  LPARAM lParam;  // PUSHBUTTON_TYPE_DLGPROC: the dialog's template id
  ULONG_PTR dwReserved[2];
} OPTPARAMA, *POPTPARAMA, OPTPARAM, *POPTPARAM;

#define TVOT_2STATES 0
#define TVOT_3STATES 1
#define TVOT_UDARROW 2
#define TVOT_TRACKBAR 3
#define TVOT_SCROLLBAR 4
#define TVOT_LISTBOX 5
#define TVOT_COMBOBOX 6
#define TVOT_EDITBOX 7
#define TVOT_PUSHBUTTON 8
#define TVOT_CHKBOX 9

#define PUSHBUTTON_TYPE_DLGPROC 0
#define PUSHBUTTON_TYPE_CALLBACK 1
#define PUSHBUTTON_TYPE_HTCLRADJ 2
#define PUSHBUTTON_TYPE_HTSETUP 3

typedef struct _OPTTYPEA {
  WORD cbSize;
  BYTE Type;  // a TVOT_ value
  BYTE Flags;
  WORD Count;  // OPTPARAMs at pOptParam
  WORD BegCtrlID;
  POPTPARAMA pOptParam;
  WORD Style;
  WORD wReserved[3];
  ULONG_PTR dwReserved[3];
} OPTTYPEA, *POPTTYPEA, OPTTYPE, *POPTTYPE;

// OPTITEM.Flags
#define OPTIF_COLLAPSE 0x00000001u
#define OPTIF_HIDE 0x00000002u
#define OPTIF_CALLBACK 0x00000004u  // the sheet's callback hears of the item
#define OPTIF_CHANGED 0x00000008u
#define OPTIF_CHANGEONCE 0x00000010u
#define OPTIF_DISABLED 0x00000020u

typedef struct _OPTITEMA {
  WORD cbSize;
  BYTE Level;
  BYTE DlgPageIdx;
  DWORD Flags;
  ULONG_PTR UserData;
  LPSTR pName;
  union {
    LONG Sel;
    LPSTR pSel;
  };
  void* pExtChkBox;
  POPTTYPEA pOptType;
  DWORD HelpIndex;
  BYTE DMPubID;
  BYTE UserItemID;
  WORD wReserved;
  void* pOIExt;
  ULONG_PTR dwReserved[3];
} OPTITEMA, *POPTITEMA, OPTITEM, *POPTITEM;

// Why the host calls COMPROPSHEETUI.pfnCallBack.
#define CPSUICB_REASON_SEL_CHANGED 0
#define CPSUICB_REASON_PUSHBUTTON 1
#define CPSUICB_REASON_ECB_CHANGED 2
#define CPSUICB_REASON_DLGPROC 3
#define CPSUICB_REASON_UNDO_CHANGES 4
#define CPSUICB_REASON_EXTPUSH 5
#define CPSUICB_REASON_APPLYNOW 6  // OK or Apply: the items are to take effect
#define CPSUICB_REASON_OPTITEMS_CREATED 7
#define CPSUICB_REASON_ITEMS_REVERTED 8
#define CPSUICB_REASON_ABOUT 9  // the page's About button

// What the callback answers.
#define CPSUICB_ACTION_NONE 0
#define CPSUICB_ACTION_OPTIF_CHANGED 1
#define CPSUICB_ACTION_REINIT_ITEMS 2
#define CPSUICB_ACTION_NO_APPLY_EXIT 3  // the sheet stays open
#define CPSUICB_ACTION_ITEMS_APPLIED 4

// The result of a page or sheet (CPSFUNC_SET_RESULT, SETRESULT_INFO.Result).
#define CPSUI_CANCEL 0
#define CPSUI_OK 1
#define CPSUI_RESTARTWINDOWS 2
#define CPSUI_REBOOTSYSTEM 3

// What the callback is given. hDlg is the page's window (the owner for any dialog
// the callback shows); UserData is COMPROPSHEETUI.UserData; Result is what the
// callback sets for the page (CPSUI_OK ...).
typedef struct _CPSUICBPARAMA {
  WORD cbSize;
  WORD Reason;
  HWND hDlg;
  POPTITEMA pOptItem;  // the sheet's items
  WORD cOptItem;
  WORD Flags;
  POPTITEMA pCurItem;  // the item concerned
  union {
    LONG OldSel;
    LPSTR pOldSel;
  };
  ULONG_PTR UserData;
  ULONG_PTR Result;
} CPSUICBPARAMA, *PCPSUICBPARAMA, CPSUICBPARAM, *PCPSUICBPARAM;

typedef LONG(CALLBACK* _CPSUICALLBACK)(PCPSUICBPARAMA pCPSUICBParam);

// A page the host draws itself; COMPROPSHEETUI.pDlgPage may instead be one of
// the CPSUI_PDLGPAGE_ values.
typedef struct _DLGPAGEA {
  WORD cbSize;
  WORD Flags;
  INT_PTR(CALLBACK* DlgProc)(HWND, UINT, WPARAM, LPARAM);
  LPSTR pTabName;
  ULONG_PTR IconID;
  WORD DlgTemplateID;
  WORD wReserved;
} DLGPAGEA, *PDLGPAGEA, DLGPAGE, *PDLGPAGE;

#define CPSUI_PDLGPAGE_DOCPROP ((PDLGPAGEA)(ULONG_PTR)1)
#define CPSUI_PDLGPAGE_ADVDOCPROP ((PDLGPAGEA)(ULONG_PTR)2)
#define CPSUI_PDLGPAGE_PRINTERPROP ((PDLGPAGEA)(ULONG_PTR)3)
// One page holding the option items as a list of names (push-button items show
// their button).
#define CPSUI_PDLGPAGE_TREEVIEWONLY ((PDLGPAGEA)(ULONG_PTR)4)

// COMPROPSHEETUI.Flags
#define CPSUIF_UPDATE_PERMISSION 0x0002u  // the items may be changed
#define CPSUIF_ICONID_AS_HICON 0x0004u
#define CPSUIF_ABOUT_CALLBACK 0x0008u  // the page offers About, which calls back

// A set of option items the host turns into a page of its own. The texts are
// ANSI (the record of CPSFUNC_INSERT_PSUIPAGEA).
typedef struct _COMPROPSHEETUIA {
  WORD cbSize;
  WORD Flags;
  HINSTANCE hInstCaller;  // where push-button dialog templates are looked up
  LPSTR pCallerName;
  ULONG_PTR UserData;
  LPSTR pHelpFile;
  _CPSUICALLBACK pfnCallBack;
  POPTITEMA pOptItem;
  PDLGPAGEA pDlgPage;
  WORD cOptItem;
  WORD cDlgPage;
  ULONG_PTR IconID;
  LPSTR pOptItemName;
  WORD CallerVersion;
  WORD OptItemVersion;
  ULONG_PTR dwReserved[4];
} COMPROPSHEETUIA, *PCOMPROPSHEETUIA, COMPROPSHEETUI, *PCOMPROPSHEETUI;

// How a push button of PUSHBUTTON_TYPE_DLGPROC runs: DialogBoxParamA(hInstCaller,
// MAKEINTRESOURCEA(OPTPARAM.lParam), the page's window, (DLGPROC)OPTPARAM.pData,
// (LPARAM)a CPSUICBPARAMA) whose Reason is CPSUICB_REASON_DLGPROC, pCurItem the
// item and UserData COMPROPSHEETUI.UserData.

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
typedef BOOL(WINAPI* PFN_DrvConvertDevMode)(LPWSTR pPrinterName, PDEVMODEW pdmIn, PDEVMODEW pdmOut, PLONG pcbNeeded,
                                            DWORD fMode);
