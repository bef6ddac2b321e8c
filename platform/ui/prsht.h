// Property sheets: a frame dialog with a row of tabs, one child dialog per page
// (made from its template the first time it is shown), OK/Cancel/Apply below
// them; or, with PSH_WIZARD, the wizard form with Back/Next/Finish/Cancel and no
// tabs. Pages hear of the sheet through WM_NOTIFY (a PSHNOTIFY whose code is one of
// the PSN_ values) and answer through DWLP_MSGRESULT; they talk to the sheet (their
// parent window) with the PSM_ messages.
//
// A modal sheet goes through the process's dialog handler (platform/ui/dialog.h)
// as every modal dialog does: the request names the template "PropertySheet" (or
// "Wizard"); with no handler the sheet is cancelled. PSM_PRESSBUTTON is posted,
// as a click would be.
#pragma once

#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"  // IDOK, IDCANCEL
#include "platform/ui/user.h"

typedef HANDLE HPROPSHEETPAGE;

struct _PROPSHEETPAGEA;
// Told of the page's life: PSPCB_ADDREF when the page is described,
// PSPCB_CREATE before its window is made (0 refuses the page), PSPCB_RELEASE
// when the description goes.
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND window, UINT message, struct _PROPSHEETPAGEA* page);

#define PSPCB_ADDREF 0
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

// PROPSHEETPAGEA.dwFlags
#define PSP_DEFAULT 0x0000u
#define PSP_DLGINDIRECT 0x0001u  // pResource is the template's text itself
#define PSP_USEHICON 0x0002u
#define PSP_USEICONID 0x0004u
#define PSP_USETITLE 0x0008u  // pszTitle names the tab, else the template's caption
#define PSP_RTLREADING 0x0010u
#define PSP_HASHELP 0x0020u
#define PSP_USEREFPARENT 0x0040u
#define PSP_USECALLBACK 0x0080u

// One page. WM_INITDIALOG of the page's procedure carries a pointer to the
// sheet's own copy of this record (lParam is the caller's value).
typedef struct _PROPSHEETPAGEA {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCSTR pszTemplate;  // a resource name or MAKEINTRESOURCEA(id)
    LPCSTR pResource;    // with PSP_DLGINDIRECT: the template text
  };
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKA pfnCallback;
  UINT* pcRefParent;
} PROPSHEETPAGEA, *LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;

// Called with PSCB_INITIALIZED once the sheet's window exists.
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND sheet, UINT message, LPARAM lParam);
#define PSCB_INITIALIZED 1

// PROPSHEETHEADERA.dwFlags
#define PSH_DEFAULT 0x0000u
#define PSH_PROPTITLE 0x0001u  // the caption becomes "<pszCaption> Properties"
#define PSH_USEHICON 0x0002u
#define PSH_USEICONID 0x0004u
#define PSH_PROPSHEETPAGE 0x0008u  // ppsp is an array of descriptions, else phpage of handles
#define PSH_WIZARDHASFINISH 0x0010u
#define PSH_WIZARD 0x0020u
#define PSH_USEPSTARTPAGE 0x0040u
#define PSH_NOAPPLYNOW 0x0080u
#define PSH_USECALLBACK 0x0100u
#define PSH_HASHELP 0x0200u
#define PSH_MODELESS 0x0400u

typedef struct _PROPSHEETHEADERA {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCSTR pStartPage;  // with PSH_USEPSTARTPAGE: the title of the first page shown
  };
  union {
    LPCPROPSHEETPAGEA ppsp;
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
} PROPSHEETHEADERA, *LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;

// ---- Notifications to a page (WM_NOTIFY, NMHDR.code) -------------------------------
#define PSN_FIRST (0u - 200u)
#define PSN_SETACTIVE (PSN_FIRST - 0u)   // answer 0 shows the page, -1 skips it (wizard: a page id jumps)
#define PSN_KILLACTIVE (PSN_FIRST - 1u)  // answer TRUE keeps the page
#define PSN_APPLY (PSN_FIRST - 2u)       // answer a PSNRET_ value
#define PSN_RESET (PSN_FIRST - 3u)       // the sheet is cancelled
#define PSN_HELP (PSN_FIRST - 5u)
#define PSN_WIZBACK (PSN_FIRST - 6u)      // answer 0 (previous page), -1 (stay) or a page's template id
#define PSN_WIZNEXT (PSN_FIRST - 7u)      // answer 0 (next page), -1 (stay) or a page's template id
#define PSN_WIZFINISH (PSN_FIRST - 8u)    // answer TRUE keeps the wizard open
#define PSN_QUERYCANCEL (PSN_FIRST - 9u)  // answer TRUE keeps the sheet open

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1               // the sheet stays open on the page that refused
#define PSNRET_INVALID_NOCHANGEPAGE 2  // the sheet stays open on the current page

typedef struct _PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;  // PSN_APPLY: TRUE when OK (not Apply) caused it
} PSHNOTIFY, *LPPSHNOTIFY;

// ---- Messages to the sheet -----------------------------------------------------------
#define PSM_SETCURSEL (WM_USER + 101u)  // wParam index, or lParam a page handle
#define PSM_REMOVEPAGE (WM_USER + 102u)
#define PSM_ADDPAGE (WM_USER + 103u)
#define PSM_CHANGED (WM_USER + 104u)  // wParam the page's window: enables Apply
#define PSM_RESTARTWINDOWS (WM_USER + 105u)
#define PSM_REBOOTSYSTEM (WM_USER + 106u)
#define PSM_CANCELTOCLOSE (WM_USER + 107u)
#define PSM_QUERYSIBLINGS (WM_USER + 108u)
#define PSM_UNCHANGED (WM_USER + 109u)      // wParam the page's window
#define PSM_APPLY (WM_USER + 110u)          // acts as the Apply button; TRUE when every page accepted
#define PSM_SETTITLEA (WM_USER + 111u)      // wParam PSH_PROPTITLE or 0, lParam the text
#define PSM_SETWIZBUTTONS (WM_USER + 112u)  // lParam PSWIZB_ values
#define PSM_PRESSBUTTON (WM_USER + 113u)    // wParam a PSBTN_ value
#define PSM_SETCURSELID (WM_USER + 114u)
#define PSM_SETFINISHTEXTA (WM_USER + 115u)
#define PSM_GETTABCONTROL (WM_USER + 116u)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118u)
#define PSM_SETTITLE PSM_SETTITLEA

#define PSWIZB_BACK 0x1u
#define PSWIZB_NEXT 0x2u
#define PSWIZB_FINISH 0x4u
#define PSWIZB_DISABLEDFINISH 0x8u

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

// Answers of a modal PropertySheetA besides IDOK (1) and 0 (cancelled).
#define ID_PSRESTARTWINDOWS 2
#define ID_PSREBOOTSYSTEM 3

// The control ids of the sheet's own windows, for a scripted user.
#define IDC_SHEET_TABS 0x3020
#define IDC_SHEET_APPLY 0x3021
#define IDC_SHEET_BACK 0x3023
#define IDC_SHEET_NEXT 0x3024
#define IDC_SHEET_FINISH 0x3025
// OK and Cancel are IDOK (1) and IDCANCEL (2).

// Modal: IDOK (or ID_PSRESTARTWINDOWS/ID_PSREBOOTSYSTEM) once OK or Finish closed
// it, 0 when cancelled, -1 on failure. With PSH_MODELESS: the sheet's window.
ZEL_EXTERN_C INT_PTR PropertySheetA(LPCPROPSHEETHEADERA header);
ZEL_EXTERN_C HPROPSHEETPAGE CreatePropertySheetPageA(LPCPROPSHEETPAGEA page);
// Only for a page not handed to a sheet (a sheet destroys its pages itself).
ZEL_EXTERN_C BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);

namespace platform::ui {

// The description a page handle stands for (nullptr for no such page).
const PROPSHEETPAGEA* PropertySheetPageDescription(HPROPSHEETPAGE page);

}  // namespace platform::ui
