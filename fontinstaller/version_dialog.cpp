// The version dialog: the module's ProductVersion.
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/ui/dialog.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

INT_PTR CALLBACK VersionProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    const std::string text = LoadText(721) + " " + InstallerProductVersion(false);
    SetDlgItemTextA(dialog, 27, text.c_str());
    return TRUE;
  }
  if (message == WM_COMMAND) {
    EndDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

INT_PTR RunVersionDialog(HWND owner) {
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(20), owner, VersionProcedure, 0);
}

}  // namespace fontinstaller
