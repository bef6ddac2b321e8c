// zelsnmpd5.dll: the printer query library as a module of its own. At load it
// binds the settings functions it calls from "zeldb5.dll" in its own folder; a
// library or export that is missing leaves those calls answering the load's error
// (a printer's address then reads as empty, and requests find no agent).
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "query/query_settings.h"

namespace {

HMODULE g_settings = 0;

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& member) {
  member = reinterpret_cast<Fn>(GetProcAddress(module, name));
}

std::string ModuleFolder(HINSTANCE instance) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  // Found as a character, never as the trail byte of a double-byte one.
  const std::string_view text(path, length);
  const size_t slash = platform::FindLastCharAnsi(text, '\\');
  return slash == std::string_view::npos ? std::string() : std::string(text.substr(0, slash + 1));
}

void BindSettings(HINSTANCE instance) {
  SettingsFunctions table;
  const std::string path = ModuleFolder(instance) + SETTINGS_LIBRARY_NAME;
  g_settings = LoadLibraryA(path.c_str());
  if (g_settings) {
    Bind(g_settings, "DBGetString", table.getString);
    Bind(g_settings, "DBSetString", table.setString);
    Bind(g_settings, "DBGetInt", table.getInt);
    Bind(g_settings, "DBSetDword", table.setDword);
    Bind(g_settings, "DBGetPath", table.getPath);
    table.loadError = ERROR_PROC_NOT_FOUND;
  }
  SetQuerySettings(table);
}

}  // namespace

ZEL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    BindSettings(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    SetQuerySettings(SettingsFunctions{});
    if (g_settings) FreeLibrary(g_settings);
    g_settings = 0;
  }
  return TRUE;
}
