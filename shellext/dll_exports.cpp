// zelshexd5.dll: the in-process server of the printer context menu, and the
// registration export the printer set-up calls.
#include "platform/shell/shell_extension.h"
#include "shellext/class_factory.h"
#include "shellext/module_state.h"
#include "shellext/registration.h"

namespace {
shellext::CShellExtApp theApp;
}  // namespace

ZEL_LIBRARY_APP_ENTRY(theApp)

ZEL_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return shellext::GetClassObject(clsid, iid, object);
}

// Unloading while a factory, an object or a lock lives would pull the code from
// under them.
ZEL_EXPORT HRESULT DllCanUnloadNow(void) { return shellext::ModuleInUse() ? S_FALSE : S_OK; }

// Set-up does not read the answer; S_OK once every entry is written.
ZEL_EXPORT HRESULT RegisterShellExtension(const char* printerName) {
  return shellext::RegisterShellExtensionFor(printerName) ? S_OK : E_FAIL;
}
