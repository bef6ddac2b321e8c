// Message boxes. A box is handed to the process's message-box handler, which a
// program or a test may set to see the box and choose the answer. Without one,
// on a display the person answers the box in a window of its own; headless the
// box is written as a debugger trace and answered with its default button, as
// a user pressing Enter would.
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu

#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u

#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFBUTTON4 0x00000300u
#define MB_DEFMASK 0x00000F00u

#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// A NULL caption is "Error", as on Windows. Answers the button chosen.
ZEL_EXTERN_C int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
ZEL_EXTERN_C int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace platform {

struct MessageBoxRequest {
  HWND owner = 0;
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  UINT type = 0;
};

// Answers the button chosen (IDOK, IDYES, ...). nullptr restores the default.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

// Where a box goes that no handler takes: a display back end shows it as a
// window the person answers. False leaves the box to its default answer.
using MessageBoxPresenter = bool (*)(const MessageBoxRequest& box, int* answer);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// The button a box of this type answers when the user accepts its default.
int DefaultMessageBoxButton(UINT type);

}  // namespace platform
