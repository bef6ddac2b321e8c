// Menus: menu bars, pop-up menus and the window's system menu, built in code or
// loaded from an RT_MENU resource, with their items' states. Nothing is drawn
// and there is no mouse: a pop-up menu is tracked by the process's menu chooser
// (a program or a test playing the user), which picks an item or nothing.
//
// A menu resource is text, one statement a line (tools/rescomp's MENU form):
//   POPUP "<text>"
//   MENUITEM "<text>" <id> [GRAYED] [CHECKED]
//   MENUITEM SEPARATOR
//   END
#pragma once

#include <functional>
#include <string>

#include "platform/ui/user.h"

#define MF_BYCOMMAND 0x0000u
#define MF_BYPOSITION 0x0400u
#define MF_STRING 0x0000u
#define MF_ENABLED 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_SEPARATOR 0x0800u

#define TPM_LEFTALIGN 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

#define SC_SIZE 0xF000u
#define SC_MOVE 0xF010u
#define SC_MINIMIZE 0xF020u
#define SC_MAXIMIZE 0xF030u
#define SC_CLOSE 0xF060u
#define SC_RESTORE 0xF120u

typedef struct tagTPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
} TPMPARAMS, *LPTPMPARAMS;

ZEL_EXTERN_C HMENU CreateMenu(void);
ZEL_EXTERN_C HMENU CreatePopupMenu(void);
// Destroys the menu and the pop-up menus it holds.
ZEL_EXTERN_C BOOL DestroyMenu(HMENU menu);
ZEL_EXTERN_C HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);
// With MF_POPUP, idNewItem is the pop-up menu's handle.
ZEL_EXTERN_C BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text);
ZEL_EXTERN_C BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR text);
// DeleteMenu destroys a pop-up menu it removes; RemoveMenu leaves it to the caller.
ZEL_EXTERN_C BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
ZEL_EXTERN_C BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
ZEL_EXTERN_C HMENU GetSubMenu(HMENU menu, int position);
// -1 for no such menu.
ZEL_EXTERN_C int GetMenuItemCount(HMENU menu);
// The command id at a position; -1 for a pop-up or no such item.
ZEL_EXTERN_C UINT GetMenuItemID(HMENU menu, int position);
ZEL_EXTERN_C int GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
// Both answer the item's previous state (MF_GRAYED/MF_DISABLED or MF_CHECKED),
// -1 for no such item.
ZEL_EXTERN_C DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
ZEL_EXTERN_C BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
// The MF_ flags of the item (a pop-up's item count in the high byte), -1 for none.
ZEL_EXTERN_C UINT GetMenuState(HMENU menu, UINT item, UINT flags);
ZEL_EXTERN_C BOOL SetMenu(HWND window, HMENU menu);
ZEL_EXTERN_C HMENU GetMenu(HWND window);
// The window's own copy of the system menu (Restore, Move, Minimize, Close);
// revert TRUE drops the copy and answers 0.
ZEL_EXTERN_C HMENU GetSystemMenu(HWND window, BOOL revert);
ZEL_EXTERN_C BOOL DrawMenuBar(HWND window);
// Asks the menu chooser (without one, the person on a display). With
// TPM_RETURNCMD answers the id picked (0 for none); otherwise posts
// WM_COMMAND with it to the owner and answers TRUE (0 for none).
ZEL_EXTERN_C BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
ZEL_EXTERN_C BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);

namespace platform {

struct MenuRequest {
  HMENU menu = 0;
  HWND owner = 0;
};
// Answers the command id the user picks (an enabled item of the menu or of its
// pop-ups), or 0 for none. nullptr restores the default (nothing is picked).
using MenuChooser = std::function<UINT(const MenuRequest&)>;
void SetMenuChooser(MenuChooser chooser);
// Where a menu goes that no chooser takes: a display back end shows it at
// (x, y) on the screen for the person to pick from. False: nobody is there.
using MenuPresenter = bool (*)(const MenuRequest& request, int x, int y, UINT* picked);
void SetMenuPresenter(MenuPresenter presenter);

}  // namespace platform

namespace platform::ui {

// The command id of the enabled item whose text (without '&') is `text`, searched
// through the pop-ups; 0 when there is none.
UINT FindMenuCommand(HMENU menu, const std::string& text);

}  // namespace platform::ui
