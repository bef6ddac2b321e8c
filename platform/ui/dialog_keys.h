// The dialog manager's keyboard: what Tab, the arrows, Enter, Escape, Space and
// Alt+letter do in a dialog, as a person at the keyboard sees it. The modal loop,
// modeless dialogs' owners and the scripted user hand each key message to
// IsDialogMessageA, which moves the focus, clicks or passes the key on to the
// focused control as its WM_GETDLGCODE asks.
#pragma once

#include "platform/ui/dialog.h"

#ifndef WM_SYSKEYDOWN
#define WM_SYSKEYDOWN 0x0104u
#endif
#ifndef WM_SYSCHAR
#define WM_SYSCHAR 0x0106u
#endif
#ifndef DM_GETDEFID
#define DM_GETDEFID 0x0400u
#endif
#ifndef DM_SETDEFID
#define DM_SETDEFID 0x0401u
#endif
#ifndef DC_HASDEFID
#define DC_HASDEFID 0x534B
#endif
#ifndef VK_SHIFT
#define VK_SHIFT 0x10
#endif
#ifndef VK_CONTROL
#define VK_CONTROL 0x11
#endif
#ifndef VK_MENU
#define VK_MENU 0x12
#endif
#ifndef VK_SPACE
#define VK_SPACE 0x20
#endif
#ifndef VK_END
#define VK_END 0x23
#endif
#ifndef VK_HOME
#define VK_HOME 0x24
#endif
#ifndef VK_LEFT
#define VK_LEFT 0x25
#endif
#ifndef VK_RIGHT
#define VK_RIGHT 0x27
#endif
#ifndef VK_DELETE
#define VK_DELETE 0x2E
#endif
#ifndef VK_F1
#define VK_F1 0x70
#endif
#ifndef WM_HELP
#define WM_HELP 0x0053u
#endif
#ifndef DLGC_WANTMESSAGE
#define DLGC_WANTMESSAGE 0x0004
#endif

// Whether the message was a key of the dialog (or of a control in it) and has
// been handled; FALSE leaves it to the caller to dispatch.
ZEL_EXTERN_C BOOL IsDialogMessageA(HWND dialog, LPMSG msg);
// The next (or previous) control of the control's group that can take the focus.
ZEL_EXTERN_C HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
// Whether the key is held down: the high bit of the answer. The stand-in has
// no keyboard; the scripted user and tests hold modifiers with SetKeyHeld.
ZEL_EXTERN_C SHORT GetKeyState(int virtualKey);

namespace platform::ui {

void SetKeyHeld(int virtualKey, bool held);

}  // namespace platform::ui
