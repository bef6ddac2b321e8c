// kovpcl32d5.dll: the fonts-and-macros installer. At load it binds the eight
// settings functions it needs from "zeldb5.dll" in its own folder; without the
// library or any of the eight the load fails, so the caller learns of it at once.
#include "fontinstaller/installer_module.h"
#include "platform/base/modules.h"

ZEL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    fontinstaller::InstallerInstance() = instance;
    return fontinstaller::BindInstallerSettings(instance) ? TRUE : FALSE;
  }
  if (reason == DLL_PROCESS_DETACH) fontinstaller::UnbindInstallerSettings();
  return TRUE;
}
