// Dialogs from templates, modal and modeless, and the dialog manager's default
// handling (WM_NEXTDLGCTL, WM_CLOSE). The stand-in machine has no user: a modal
// dialog is handed to the process's dialog handler once it is initialised; the
// handler (a program or a test) drives it with messages, as a user's clicks and
// keys would, and ends it with EndDialog. Whatever the handler leaves open is
// cancelled (WM_COMMAND IDCANCEL) once the messages it caused are handled; with
// no handler every modal dialog is cancelled that way.
//
// A template is an RT_DIALOG resource of text, one statement a line:
//   DIALOG <x> <y> <width> <height>          # pixels
//   STYLE <style>                            # numbers and names joined by |
//   CAPTION "<text>"
//   FONT <points> "<face>"                   # sent to every control with WM_SETFONT
//   CONTROL "<text>" <id> <class> <style> <x> <y> <width> <height>
// Controls are WS_CHILD | WS_VISIBLE plus their style, in tab order.
#pragma once

#include <functional>
#include <string>

#include "platform/ui/user.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define DWLP_DLGPROC 8

ZEL_EXTERN_C HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure,
                                     LPARAM param);
ZEL_EXTERN_C INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure,
                                     LPARAM param);
// A modal dialog's loop ends with the result; a modeless one is hidden.
ZEL_EXTERN_C BOOL EndDialog(HWND dialog, INT_PTR result);
ZEL_EXTERN_C LRESULT DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform {

struct DialogRequest {
  HWND dialog = 0;
  std::string templateName;  // "#112" for a numbered template
};
using DialogHandler = std::function<void(const DialogRequest&)>;
// nullptr restores the default (cancel every dialog).
void SetDialogHandler(DialogHandler handler);
// A program's main window that is a modeless dialog, once shown, goes to the
// handler as a modal one does (the scripted user plays into it); the handler
// leaves it open. Nothing happens without a handler.
void OfferModelessDialog(HWND dialog, const std::string& templateName);

}  // namespace platform

namespace platform::ui {

// Called once, for the next window the calling thread creates, before it gets
// any message: the class library binds its object to the window here.
void SetCreationHook(void (*hook)(HWND window, void* context), void* context);

// Dispatches every message waiting for the calling thread and paints invalid
// windows, without waiting.
void PumpMessages();

}  // namespace platform::ui
