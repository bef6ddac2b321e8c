// Windows of the stand-in desktop, as far as the library's dialogs need them
// today: a dialog the stand-in shows on behalf of a program (the file dialogs)
// is a window with a title and the extra values a dialog procedure sets, such
// as its message result.
#pragma once

#include <string>

#include "platform/base/types.h"

#define DWLP_MSGRESULT 0

#define WM_NOTIFY 0x004E

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR, *LPNMHDR;

ZEL_EXTERN_C LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
ZEL_EXTERN_C LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex);
// The title in the ANSI code page, cut to the buffer; its length.
ZEL_EXTERN_C int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
ZEL_EXTERN_C BOOL IsWindow(HWND hWnd);

namespace platform::ui {

// A window of the stand-in desktop with a title (UTF-8); DestroyStandInWindow
// removes it.
HWND CreateStandInWindow(const std::string& titleUtf8);
void DestroyStandInWindow(HWND window);

}  // namespace platform::ui
