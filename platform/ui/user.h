// The window tree of dialogs and controls: parents and children, control ids,
// styles, rectangles, enabled and visible state, focus and capture, fonts
// (WM_SETFONT/WM_GETFONT), painting into each window's own pixels (see
// platform/gdi/screen.h), registered classes and the standard controls' messages.
//
// The stand-in machine has no desktop and no mouse or keyboard: a program or a
// test plays the user by sending the messages a user's input would make
// (WM_LBUTTONDOWN/UP at a point, WM_KEYDOWN, WM_CHAR, BM_CLICK, ...). Invalid
// windows are painted when UpdateWindow is called or a dialog's loop is idle.
#pragma once

#include "platform/base/arith.h"
#include "platform/base/processes.h"
#include "platform/gdi/screen.h"
#include "platform/ui/window.h"

// ---- Messages -------------------------------------------------------------------
#define WM_MOVE 0x0003u
#define WM_SIZE 0x0005u
// WM_SIZE's kinds.
#define SIZE_RESTORED 0u
#define SIZE_MINIMIZED 1u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_ENABLE 0x000Au
#define WM_GETTEXT 0x000Du
#define WM_GETTEXTLENGTH 0x000Eu
#define WM_PAINT 0x000Fu
#define WM_ERASEBKGND 0x0014u
#define WM_SHOWWINDOW 0x0018u
#define WM_SETCURSOR 0x0020u
#define WM_DRAWITEM 0x002Bu
#define WM_MEASUREITEM 0x002Cu
#define WM_DELETEITEM 0x002Du
#define WM_SETFONT 0x0030u
#define WM_GETFONT 0x0031u
#define WM_NEXTDLGCTL 0x0028u
#define WM_NCCREATE 0x0081u
#define WM_NCDESTROY 0x0082u
#define WM_GETDLGCODE 0x0087u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u
#define WM_SYSCOMMAND 0x0112u
// A control asks its parent for the colours it paints with: the parent sets the
// DC (wParam) and answers a brush for the background, or 0 for the default.
#define WM_CTLCOLOREDIT 0x0133u
#define WM_CTLCOLORBTN 0x0135u
#define WM_CTLCOLORSTATIC 0x0138u
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_BTN 3
#define CTLCOLOR_STATIC 6
#define WM_VSCROLL 0x0115u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u

#define SC_KEYMENU 0xF100u
#define MK_LBUTTON 0x0001u

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#ifndef VK_END
#define VK_END 0x23
#endif
#ifndef VK_HOME
#define VK_HOME 0x24
#endif
#ifndef VK_F4
#define VK_F4 0x73
#endif

// ---- Styles ----------------------------------------------------------------------
#define WS_OVERLAPPED 0x00000000u
#define WS_CHILD 0x40000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_VSCROLL 0x00200000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define DS_MODALFRAME 0x0080u
#define DS_CONTROL 0x0400u

#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_GROUPBOX 0x0007u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_OWNERDRAW 0x000Bu
#define BS_TYPEMASK 0x000Fu

#define ES_MULTILINE 0x0004u
#define ES_PASSWORD 0x0020u
#define ES_AUTOHSCROLL 0x0080u
#define ES_READONLY 0x0800u
#define ES_NUMBER 0x2000u

#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define SS_BITMAP 0x000Eu
#define SS_ETCHEDHORZ 0x0010u
#define SS_ETCHEDVERT 0x0011u
#define SS_ETCHEDFRAME 0x0012u
#define SS_TYPEMASK 0x001Fu
#define SS_NOPREFIX 0x0080u
#define SS_CENTERIMAGE 0x0200u
#define SS_SUNKEN 0x1000u
#define STM_SETICON 0x0170u
#define STM_GETICON 0x0171u
#define STM_SETIMAGE 0x0172u
#define STM_GETIMAGE 0x0173u
#define IMAGE_ICON 1

#define SBS_HORZ 0x0000u
#define SBS_VERT 0x0001u

// Progress bars (class "msctls_progress32").
#define PROGRESS_CLASSA "msctls_progress32"
#define PBM_SETRANGE 0x0401u
#define PBM_SETPOS 0x0402u
#define PBM_DELTAPOS 0x0403u
#define PBM_SETSTEP 0x0404u
#define PBM_STEPIT 0x0405u
#define PBM_SETRANGE32 0x0406u
#define PBM_GETRANGE 0x0407u
#define PBM_GETPOS 0x0408u

#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_OWNERDRAWFIXED 0x0010u
#define LBS_OWNERDRAWVARIABLE 0x0020u
#define LBS_HASSTRINGS 0x0040u
#define LBS_USETABSTOPS 0x0080u  // tabs move to the next stop, every 48 pixels

#define CBS_DROPDOWNLIST 0x0003u
#define CBS_SORT 0x0100u
#define CBS_HASSTRINGS 0x0200u

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)

#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5

#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define WS_MINIMIZE 0x20000000u
#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u

#define RDW_INVALIDATE 0x0001u
#define RDW_FRAME 0x0400u
#define RDW_ERASE 0x0004u
#define RDW_ALLCHILDREN 0x0080u
#define RDW_UPDATENOW 0x0100u

// ---- Control notifications and messages ----------------------------------------------
#define BN_CLICKED 0
#define BM_GETCHECK 0x00F0u
#define BM_SETCHECK 0x00F1u
#define BM_GETSTATE 0x00F2u
#define BM_SETSTATE 0x00F3u
#define BM_CLICK 0x00F5u
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008

#define EM_LIMITTEXT 0x00C5u
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EM_SETSEL 0x00B1u

#define LB_ADDSTRING 0x0180u
#define LB_INSERTSTRING 0x0181u
#define LB_DELETESTRING 0x0182u
#define LB_RESETCONTENT 0x0184u
#define LB_SETCURSEL 0x0186u
#define LB_GETCURSEL 0x0188u
#define LB_GETTEXT 0x0189u
#define LB_GETTEXTLEN 0x018Au
#define LB_GETCOUNT 0x018Bu
#define LB_GETTOPINDEX 0x018Eu
#define LB_FINDSTRING 0x018Fu
#define LB_GETITEMDATA 0x0199u
#define LB_SETITEMDATA 0x019Au
#define LB_GETITEMRECT 0x0198u
#define LB_SETTOPINDEX 0x0197u
#define LB_GETITEMHEIGHT 0x01A1u
#define LB_FINDSTRINGEXACT 0x01A2u
#define LB_ERR (-1)
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2

#define CB_GETCOUNT 0x0146u
#define CB_GETCURSEL 0x0147u
#define CB_ADDSTRING 0x0143u
#define CB_DELETESTRING 0x0144u
#define CB_INSERTSTRING 0x014Au
#define CB_RESETCONTENT 0x014Bu
#define CB_FINDSTRING 0x014Cu
#define CB_SETCURSEL 0x014Eu
#define CB_GETLBTEXT 0x0148u
#define CB_GETLBTEXTLEN 0x0149u
#define CB_GETITEMDATA 0x0150u
#define CB_SETITEMDATA 0x0151u
#define CB_FINDSTRINGEXACT 0x0158u
#define CB_SELECTSTRING 0x014Du
#define CB_SHOWDROPDOWN 0x014Fu
#define CB_GETDROPPEDSTATE 0x0157u
#define CB_ERR (-1)
#define CBN_SELCHANGE 1
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8

#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

#define ODT_LISTBOX 2
#define ODT_BUTTON 4
#define ODA_DRAWENTIRE 0x0001
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define ODS_FOCUS 0x0010

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_HAND MAKEINTRESOURCEA(32649)

#define HWND_DESKTOP ((HWND)0)

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

typedef struct tagDRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
} DRAWITEMSTRUCT, *LPDRAWITEMSTRUCT;

typedef struct tagMEASUREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemWidth;
  UINT itemHeight;
  ULONG_PTR itemData;
} MEASUREITEMSTRUCT, *LPMEASUREITEMSTRUCT;

typedef struct tagDELETEITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  HWND hwndItem;
  ULONG_PTR itemData;
} DELETEITEMSTRUCT, *LPDELETEITEMSTRUCT;

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA;

typedef WORD ATOM;

#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))

ZEL_EXTERN_C ATOM RegisterClassA(const WNDCLASSA* windowClass);
ZEL_EXTERN_C int GetClassNameA(HWND window, LPSTR name, int size);
ZEL_EXTERN_C HWND GetParent(HWND window);
// The same number (0xC000 to 0xFFFF) for the same name, without regard to case,
// for the life of the process; 0 for an empty name or when none is left.
ZEL_EXTERN_C UINT RegisterWindowMessageA(LPCSTR name);
ZEL_EXTERN_C HWND GetWindow(HWND window, UINT relation);
ZEL_EXTERN_C HWND GetDlgItem(HWND dialog, int id);
ZEL_EXTERN_C int GetDlgCtrlID(HWND window);
ZEL_EXTERN_C LONG GetWindowLongA(HWND window, int index);
ZEL_EXTERN_C LONG SetWindowLongA(HWND window, int index, LONG value);
ZEL_EXTERN_C BOOL IsWindowEnabled(HWND window);
ZEL_EXTERN_C BOOL EnableWindow(HWND window, BOOL enable);
ZEL_EXTERN_C BOOL IsWindowVisible(HWND window);
// The minimising commands (SW_SHOWMINIMIZED, SW_MINIMIZE, SW_SHOWMINNOACTIVE)
// set WS_MINIMIZE, the normal ones clear it; a minimised window stays visible.
ZEL_EXTERN_C BOOL ShowWindow(HWND window, int command);
ZEL_EXTERN_C BOOL IsIconic(HWND window);
// The stand-in has one desktop: the window becomes the foreground window.
ZEL_EXTERN_C BOOL SetForegroundWindow(HWND window);
ZEL_EXTERN_C HWND GetForegroundWindow(void);
ZEL_EXTERN_C BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
// Insert-after values of SetWindowPos; one stand-in desktop has no layers, so
// they are taken and change nothing.
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)
ZEL_EXTERN_C BOOL SetWindowPos(HWND window, HWND after, int x, int y, int width, int height, UINT flags);
// The client area begins at the window's top left (windows have no frames here).
ZEL_EXTERN_C BOOL GetClientRect(HWND window, LPRECT rect);
// Screen coordinates: the sum of the origins up to the top-level window.
ZEL_EXTERN_C BOOL GetWindowRect(HWND window, LPRECT rect);
ZEL_EXTERN_C BOOL ScreenToClient(HWND window, LPPOINT point);
ZEL_EXTERN_C BOOL ClientToScreen(HWND window, LPPOINT point);
ZEL_EXTERN_C HWND GetDesktopWindow(void);

ZEL_EXTERN_C HWND SetFocus(HWND window);
ZEL_EXTERN_C HWND GetFocus(void);
// The thread's active window: the top-level window that holds the focus.
ZEL_EXTERN_C HWND GetActiveWindow(void);
ZEL_EXTERN_C HWND SetCapture(HWND window);
ZEL_EXTERN_C BOOL ReleaseCapture(void);
ZEL_EXTERN_C HWND GetCapture(void);
// IDC_ARROW and IDC_HAND without a module; RT_CURSOR resources of a module.
ZEL_EXTERN_C HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
ZEL_EXTERN_C HCURSOR SetCursor(HCURSOR cursor);
ZEL_EXTERN_C HCURSOR GetCursor(void);
ZEL_EXTERN_C BOOL DestroyCursor(HCURSOR cursor);

ZEL_EXTERN_C BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
ZEL_EXTERN_C BOOL UpdateWindow(HWND window);
ZEL_EXTERN_C BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags);
ZEL_EXTERN_C HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
ZEL_EXTERN_C BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A DC on the window's pixels; GetDC(0) is the screen's (a small surface of its own).
ZEL_EXTERN_C HDC GetDC(HWND window);
ZEL_EXTERN_C int ReleaseDC(HWND window, HDC hdc);

ZEL_EXTERN_C BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
ZEL_EXTERN_C UINT GetDlgItemTextA(HWND dialog, int id, LPSTR text, int size);
ZEL_EXTERN_C BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
ZEL_EXTERN_C UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
ZEL_EXTERN_C LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
ZEL_EXTERN_C BOOL CheckDlgButton(HWND dialog, int id, UINT check);
ZEL_EXTERN_C UINT IsDlgButtonChecked(HWND dialog, int id);
// The next (or previous) visible, enabled WS_TABSTOP child of the dialog after
// `control`, wrapping round.
ZEL_EXTERN_C HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);

// Vertical scroll bars (SB_VERT) of windows with WS_VSCROLL: a range and a
// position, no bar is drawn.
#define SB_VERT 1
#define SB_LINEUP 0
#define SB_LINEDOWN 1
#define SB_PAGEUP 2
#define SB_PAGEDOWN 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
ZEL_EXTERN_C BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw);
ZEL_EXTERN_C BOOL GetScrollRange(HWND window, int bar, LPINT minimum, LPINT maximum);
ZEL_EXTERN_C int SetScrollPos(HWND window, int bar, int position, BOOL redraw);
ZEL_EXTERN_C int GetScrollPos(HWND window, int bar);
// Moves the window's children by (dx, dy) and invalidates it.
ZEL_EXTERN_C BOOL ScrollWindow(HWND window, int dx, int dy, const RECT* rect, const RECT* clip);

namespace platform::ui {

// The pixels of a window's client area (made on first use); tests read them.
std::shared_ptr<platform::gdi::PixelSurface> WindowSurface(HWND window);
// The font a window was given with WM_SETFONT (0 for none).
HFONT WindowFont(HWND window);
// Paints every invalid window of the tree under `root` (0: all windows).
void PaintInvalidWindows(HWND root);
// The period of a window's timer in milliseconds, 0 when it has none.
UINT TimerPeriod(HWND window, UINT_PTR id);

}  // namespace platform::ui
