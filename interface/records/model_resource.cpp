#include "interface/records/model_resource.h"

#include <optional>
#include <string>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/section_keys.h"
#include "interface/util/paths.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"

HMODULE LoadModelResourceDll(HANDLE printer) {
  std::optional<std::string> name =
      records::ReadSettingText(printer, kStoreModelDescription, "General", "ModelDLL", 261);
  if (!name || name->empty()) return 0;
  // A bare file name only: a path or a drive would load a module from elsewhere.
  if (platform::FindFirstCharAnsi(*name, '\\') != std::string::npos || name->find('/') != std::string::npos ||
      name->find(':') != std::string::npos || *name == "." || *name == "..")
    return 0;
  char self[260] = {};
  const DWORD length = GetModuleFileNameA(LibraryInstance(), self, sizeof self);
  if (length == 0 || length >= sizeof self) return 0;
  char folder[260] = {};
  if (!SplitPath(folder, sizeof folder, nullptr, 0, self)) return 0;
  char path[520] = {};
  if (!JoinPath(path, sizeof path, folder, name->c_str())) return 0;
  return LoadLibraryA(path);
}
