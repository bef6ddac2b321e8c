// "shell32.dll": the shell library's exports that callers bind by name at run
// time rather than link. Each one hands over to the platform layer.
#include "platform/shell/shell_items.h"

ZEL_EXPORT HRESULT SHCreateShellItemArrayFromDataObject(IDataObject* data, REFIID iid, void** array) {
  return platform::CreateShellItemArray(data, iid, array);
}
