// Windows and the thread's message queue, as much as a hidden notification window
// needs: creation of the system classes (headless unless a display back end
// shows top-level windows), window procedures and their replacement, the window's user data,
// sent and posted messages, timers and the message loop calls.
//
// Each thread has its own queue. PostMessage may be called from any thread (the
// SNMP stand-in posts from its receiver); a window's procedure runs only on the
// thread that created the window. WM_TIMER is made when a timer is due and the
// queue is read, as on Windows, so timers never fill the queue.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

typedef HANDLE HMENU;
typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef void (*TIMERPROC)(HWND window, UINT message, UINT_PTR id, DWORD time);

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *PMSG, *LPMSG;

#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_SETTEXT 0x000Cu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_TIMER 0x0113u
#define WM_NOTIFY 0x004Eu
#define WM_USER 0x0400u

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_USERDATA (-21)
// A dialog's extra values: the result of a message it handled.
#define DWLP_MSGRESULT 0

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

#define WS_POPUP 0x80000000u
#define WS_BORDER 0x00800000u
#define WS_SYSMENU 0x00080000u
#define WS_VISIBLE 0x10000000u
#define ES_NOHIDESEL 0x0100u

#define QS_ALLINPUT 0x04FFu
#define WAIT_OBJECT_0 0u
#define WAIT_FAILED 0xFFFFFFFFu

#define ERROR_CANNOT_FIND_WND_CLASS 1407L

// The system classes "EDIT", "STATIC", "BUTTON", "LISTBOX", "COMBOBOX" and the
// dialog class "#32770" exist;
// their procedure is DefWindowProc. The window gets no WM_CREATE: none of them
// needs it.
ZEL_EXTERN_C HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                  int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
#define CreateWindowA(c, n, s, x, y, w, h, p, m, i, a) CreateWindowExA(0, c, n, s, x, y, w, h, p, m, i, a)
// Sends WM_DESTROY to the window's procedure, then removes the window, its timers
// and the messages posted to it.
ZEL_EXTERN_C BOOL DestroyWindow(HWND window);
ZEL_EXTERN_C BOOL IsWindow(HWND window);
// The window's text (its title), in the ANSI code page, cut to the buffer; its length.
ZEL_EXTERN_C int GetWindowTextA(HWND window, LPSTR text, int size);
ZEL_EXTERN_C BOOL SetWindowTextA(HWND window, LPCSTR text);
ZEL_EXTERN_C LONG_PTR GetWindowLongPtrA(HWND window, int index);
// Indexes 0 and up are the window's extra values. Answers the previous value (0
// with ERROR_INVALID_WINDOW_HANDLE for no window).
ZEL_EXTERN_C LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
ZEL_EXTERN_C LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_CLOSE destroys the window; everything else answers 0.
ZEL_EXTERN_C LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's procedure directly (on the calling thread).
ZEL_EXTERN_C LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message on the thread that owns the window; window 0 queues it on
// the calling thread.
ZEL_EXTERN_C BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
ZEL_EXTERN_C void PostQuitMessage(int exitCode);
// Posted messages first, then a due timer, then WM_QUIT once nothing else is
// queued. A window filter of 0 takes every message of the thread; a message
// range of 0, 0 takes every message.
ZEL_EXTERN_C BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Blocks until a message is there; FALSE for WM_QUIT.
ZEL_EXTERN_C BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
// There is no keyboard: nothing is translated.
ZEL_EXTERN_C BOOL TranslateMessage(const MSG* msg);
ZEL_EXTERN_C LRESULT DispatchMessageA(const MSG* msg);
// A timer of a window of the calling thread; setting an existing id restarts it.
// Window 0 makes a thread timer with a new id. TIMERPROC callbacks are not
// supported (timers always come as WM_TIMER).
ZEL_EXTERN_C UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
ZEL_EXTERN_C BOOL KillTimer(HWND window, UINT_PTR id);
// Waits for input of the calling thread's queue (a posted message or a due timer)
// or the time-out. Only a wait without handles is supported: WAIT_OBJECT_0 when
// input is there, WAIT_TIMEOUT, or WAIT_FAILED for handles.
ZEL_EXTERN_C DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                             DWORD wakeMask);

namespace platform::ui {

// What the window tree of the dialog layer adds to a window's life (left null
// where that layer is not built, as in the 32-bit platform library).
struct WindowHooks {
  // The procedure of a registered class, or null for an unknown class.
  WNDPROC (*classProcedure)(LPCSTR className) = nullptr;
  // After the window exists: records it in the tree and sends WM_CREATE; false
  // destroys it again and CreateWindowEx fails.
  bool (*created)(HWND window, DWORD exStyle, LPCSTR className, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menu, LPVOID param) = nullptr;
  // After WM_DESTROY, before the window is removed: its children go first.
  void (*destroying)(HWND window) = nullptr;
  void (*destroyed)(HWND window) = nullptr;
  // DefWindowProc's answer for everything but WM_CLOSE.
  LRESULT (*defaultProcedure)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = nullptr;
  // With a display: turns its pending input into posted messages before the
  // queue is read...
  void (*readInput)() = nullptr;
  // ...waits for the display, a post from another thread or `milliseconds`
  // (-1: no limit) instead of the queue's own wait; false when the calling
  // thread has no display to wait on...
  bool (*waitInput)(int milliseconds) = nullptr;
  // ...and is woken when a message is posted from any thread.
  void (*posted)() = nullptr;
};
WindowHooks& Hooks();
// Stores the window's text without a message (what WM_SETTEXT's default does).
bool StoreWindowText(HWND window, LPCSTR text);

}  // namespace platform::ui
