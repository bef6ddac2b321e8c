#include "platform/base/modules.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/elf_section.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"
#include "platform/base/machine.h"
#include "platform/base/module_registry.h"
#include "platform/base/resource_format.h"
#include "platform/base/text_cut.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

using DllEntryPoint = BOOL (*)(HINSTANCE, DWORD, LPVOID);

enum class ModuleKind {
  Loaded,    // brought in by LoadLibrary: its DllMain runs, the last FreeLibrary unloads it
  Resident,  // in the process without LoadLibrary (the program, linked libraries): stays
  DataFile,  // LOAD_LIBRARY_AS_DATAFILE: only the resources, read from the file
};

// Holds the module's value in the process's handle table, so module handles never
// collide with other handles. The module itself lives in the registry below.
class ModuleHandleSlot : public KernelObject {};

struct Module {
  HMODULE handle = 0;
  ModuleKind kind = ModuleKind::Loaded;
  void* dl = nullptr;             // dlopen handle (none for data files)
  const link_map* map = nullptr;  // the dynamic linker's identity of the module
  fs::path path;                  // absolute host path, as found
  unsigned references = 0;        // LoadLibrary calls not yet freed
  bool unloading = false;
  std::vector<unsigned char> fileSection;  // data files: the "zelres" section
  bool resourcesResolved = false;
  std::optional<ResourceBlob> resources;
  std::map<size_t, HRSRC> resourceHandles;
  std::set<std::u16string> wideStrings;  // node-based: what LoadStringW pointed to stays put
};

struct Registry {
  // The loader lock: recursive and held while DllMain runs, so a module's start may
  // call back into the loader, and another thread loading the same module waits
  // until that module has started.
  std::recursive_mutex lock;
  std::map<HMODULE, std::unique_ptr<Module>> modules;
  // Files LoadLibrary has loaded as code at some time. The dynamic linker keeps some
  // libraries mapped after their last dlclose (C++ unique symbols); one of ours found
  // still mapped is loaded and started again, as a fresh load would be.
  std::set<fs::path> loadedBefore;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // outlives every static destructor that may free a module
  return *registry;
}

fs::path Absolute(const fs::path& path) {
  std::error_code ec;
  return fs::absolute(path, ec).lexically_normal();
}

fs::path Canonical(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::canonical(path, ec);
  return ec ? Absolute(path) : canonical;
}

// Two names of one file (links, folders spelt another way).
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return a == b || fs::equivalent(a, b, ec);
}

fs::path ProgramPath() {
  std::error_code ec;
  fs::path path = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : path;
}

// The driver folder: where the platform library itself lies.
fs::path PlatformLibraryFolder() {
  static const fs::path folder = [] {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&ProgramPath), &info) && info.dli_fname && *info.dli_fname) {
      return Absolute(info.dli_fname).parent_path();
    }
    return fs::path();
  }();
  return folder;
}

const link_map* MapOfHandle(void* dl) {
  link_map* map = nullptr;
  if (dl && dlinfo(dl, RTLD_DI_LINKMAP, &map) == 0) return map;
  return nullptr;
}

const link_map* MapOfAddress(const void* address) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) && map) return map;
  return nullptr;
}

const link_map* ProgramMap() {
  static const link_map* map = MapOfHandle(dlopen(nullptr, RTLD_NOW));
  return map;
}

fs::path PathOfMap(const link_map* map) {
  if (map == ProgramMap()) return ProgramPath();
  if (!map->l_name || !*map->l_name) return {};
  return Absolute(map->l_name);
}

Module* FindByMap(Registry& registry, const link_map* map) {
  if (!map) return nullptr;
  for (auto& [handle, module] : registry.modules) {
    if (module->map == map) return module.get();
  }
  return nullptr;
}

Module* Insert(Registry& registry, std::unique_ptr<Module> module) {
  module->handle = InsertHandle(std::make_shared<ModuleHandleSlot>());
  Module* raw = module.get();
  registry.modules.emplace(raw->handle, std::move(module));
  return raw;
}

// Takes a module the dynamic linker brought in (or the program) into the registry.
Module* RegisterResident(Registry& registry, const link_map* map) {
  auto module = std::make_unique<Module>();
  module->kind = ModuleKind::Resident;
  module->map = map;
  module->path = PathOfMap(map);
  // Our own reference keeps the module mapped while we hand out its handle.
  module->dl = map == ProgramMap()
                   ? dlopen(nullptr, RTLD_NOW)
                   : (map->l_name && *map->l_name ? dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD) : nullptr);
  return Insert(registry, std::move(module));
}

Module* ProgramModule(Registry& registry) {
  if (Module* module = FindByMap(registry, ProgramMap())) return module;
  return RegisterResident(registry, ProgramMap());
}

// 0 stands for the program, as in GetModuleFileName and FindResource.
Module* Lookup(Registry& registry, HMODULE handle) {
  if (handle == 0) return ProgramModule(registry);
  auto it = registry.modules.find(handle);
  return it == registry.modules.end() ? nullptr : it->second.get();
}

// A symbol defined by the module itself; one found in a library it depends on is not its own.
void* OwnSymbol(const Module& module, const char* name) {
  if (!module.dl) return nullptr;
  void* symbol = dlsym(module.dl, name);
  if (!symbol || MapOfAddress(symbol) != module.map) return nullptr;
  return symbol;
}

DllEntryPoint EntryPoint(const Module& module) {
  if (module.kind != ModuleKind::Loaded) return nullptr;
  return reinterpret_cast<DllEntryPoint>(OwnSymbol(module, "DllMain"));
}

void Unload(Registry& registry, Module* module) {
  for (const auto& [index, resource] : module->resourceHandles) RemoveHandle(resource);
  RemoveHandle(module->handle);
  void* dl = module->dl;
  const bool close = module->kind == ModuleKind::Loaded;
  registry.modules.erase(module->handle);
  if (close && dl) dlclose(dl);
}

bool HasFolder(std::string_view name) {
  return name.find_first_of("\\/") != std::string_view::npos || (name.size() >= 2 && name[1] == ':');
}

std::string_view FilePart(std::string_view name) {
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) return name.substr(slash + 1);
  if (name.size() >= 2 && name[1] == ':') return name.substr(2);
  return name;
}

// Windows appends ".dll" to a module name without an extension; a trailing dot says
// the name has none and wants none. (UTF-8 never has '.', '/' or '\' inside a character.)
std::string WithDefaultExtension(std::string name) {
  std::string_view file = FilePart(name);
  if (!file.empty() && file.back() == '.') {
    name.pop_back();
  } else if (!file.empty() && file.find('.') == std::string_view::npos) {
    name += ".dll";
  }
  return name;
}

std::optional<fs::path> FindInFolder(const fs::path& folder, std::string_view fileUtf8) {
  if (folder.empty()) return std::nullopt;
  std::error_code ec;
  fs::path exact = folder / fs::path(std::string(fileUtf8));
  if (fs::is_regular_file(exact, ec)) return exact;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (EqualsNoCaseUtf8(it->path().filename().string(), fileUtf8) && it->is_regular_file(ec)) return it->path();
  }
  return std::nullopt;
}

std::vector<fs::path> SearchFolders() {
  std::vector<fs::path> folders;
  folders.push_back(ProgramPath().parent_path());
  folders.push_back(PlatformLibraryFolder());
  if (auto system = HostPathFromWindows(SystemDirectory())) folders.push_back(*system);
  std::error_code ec;
  folders.push_back(fs::current_path(ec));
  return folders;
}

// A module in the process with that file name (a bare name answers for a module
// that is already there, as on Windows).
Module* FindByFileName(Registry& registry, std::string_view fileUtf8) {
  for (auto& [handle, module] : registry.modules) {
    if (module->kind != ModuleKind::DataFile && EqualsNoCaseUtf8(module->path.filename().string(), fileUtf8)) {
      return module.get();
    }
  }
  return nullptr;
}

Module* FindByPath(Registry& registry, const fs::path& path) {
  for (auto& [handle, module] : registry.modules) {
    if (module->kind != ModuleKind::DataFile && SameFile(module->path, path)) return module.get();
  }
  return nullptr;
}

// A library the dynamic linker has mapped that we have not registered yet.
Module* FindUnregisteredInProcess(Registry& registry, const std::string& nameUtf8) {
  const bool byPath = HasFolder(nameUtf8);
  fs::path wanted;
  if (byPath) {
    auto host = HostPathFromWindows(nameUtf8);
    if (!host) return nullptr;
    wanted = *host;
  }
  for (const link_map* map = ProgramMap(); map; map = map->l_next) {
    if (FindByMap(registry, map)) continue;
    fs::path path = PathOfMap(map);
    if (path.empty()) continue;
    if (byPath ? SameFile(path, wanted) : EqualsNoCaseUtf8(path.filename().string(), FilePart(nameUtf8))) {
      return RegisterResident(registry, map);
    }
  }
  return nullptr;
}

DWORD ErrorFromDlerror(const char* message) {
  std::string_view text = message ? message : "";
  if (text.find("cannot open shared object file") != std::string_view::npos) return ERROR_MOD_NOT_FOUND;
  if (text.find("undefined symbol") != std::string_view::npos) return ERROR_PROC_NOT_FOUND;
  return ERROR_BAD_EXE_FORMAT;
}

// The module that is already in the process from that file, registered if need be.
Module* AlreadyMapped(Registry& registry, const fs::path& path) {
  void* present = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!present) return nullptr;
  const link_map* map = MapOfHandle(present);
  Module* module = FindByMap(registry, map);
  // Mapped by the dynamic linker, not by us (linked into the program): it is
  // resident, and its start is not ours to run.
  if (!module && map && !registry.loadedBefore.count(Canonical(path))) module = RegisterResident(registry, map);
  dlclose(present);
  return module;
}

HMODULE LoadCode(Registry& registry, const fs::path& path) {
  if (Module* module = AlreadyMapped(registry, path)) {
    ++module->references;
    return module->handle;
  }
  dlerror();
  void* dl = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!dl) {
    SetLastError(ErrorFromDlerror(dlerror()));
    return 0;
  }
  auto owned = std::make_unique<Module>();
  owned->kind = ModuleKind::Loaded;
  owned->dl = dl;
  owned->map = MapOfHandle(dl);
  owned->path = path;
  owned->references = 1;
  Module* module = Insert(registry, std::move(owned));
  registry.loadedBefore.insert(Canonical(path));
  const HMODULE handle = module->handle;
  if (DllEntryPoint entry = EntryPoint(*module)) {
    if (!entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
      // As on Windows, a module that refuses to start is told it is leaving, then dropped.
      module->unloading = true;
      entry(handle, DLL_PROCESS_DETACH, nullptr);
      Unload(registry, module);
      SetLastError(ERROR_DLL_INIT_FAILED);
      return 0;
    }
  }
  return handle;
}

HMODULE LoadDataFile(Registry& registry, const fs::path& path) {
  // A module loaded as code serves for its resources too.
  if (Module* module = AlreadyMapped(registry, path)) {
    ++module->references;
    return module->handle;
  }
  for (auto& [handle, module] : registry.modules) {
    if (module->kind == ModuleKind::DataFile && SameFile(module->path, path)) {
      ++module->references;
      return handle;
    }
  }
  std::vector<unsigned char> section;
  switch (ReadElfSection(path, zelres::kSectionName, section)) {
    case ElfSectionResult::NoFile: SetLastError(ERROR_MOD_NOT_FOUND); return 0;
    case ElfSectionResult::NotElf: SetLastError(ERROR_BAD_EXE_FORMAT); return 0;
    case ElfSectionResult::NoSection:
    case ElfSectionResult::Found: break;
  }
  auto owned = std::make_unique<Module>();
  owned->kind = ModuleKind::DataFile;
  owned->path = path;
  owned->references = 1;
  owned->fileSection = std::move(section);
  return Insert(registry, std::move(owned))->handle;
}

HMODULE LoadUtf8(std::string_view nameUtf8, DWORD flags) {
  if (nameUtf8.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const std::string name = WithDefaultExtension(std::string(nameUtf8));
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  if (!HasFolder(name)) {
    if (Module* module = FindByFileName(registry, name)) {
      ++module->references;
      return module->handle;
    }
  }
  auto file = detail::FindModuleFile(name, false);
  if (!file) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const fs::path path = Absolute(*file);
  return (flags & LOAD_LIBRARY_AS_DATAFILE) ? LoadDataFile(registry, path) : LoadCode(registry, path);
}

HMODULE ModuleHandleUtf8(std::string_view nameUtf8) {
  const std::string name = WithDefaultExtension(std::string(nameUtf8));
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  Module* module = nullptr;
  if (HasFolder(name)) {
    if (auto host = HostPathFromWindows(name)) module = FindByPath(registry, *host);
  } else {
    module = FindByFileName(registry, name);
  }
  if (!module) module = FindUnregisteredInProcess(registry, name);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return module->handle;
}

// The module's path in Windows form, or nothing for an unknown handle.
std::optional<std::string> ModuleWindowsPath(HMODULE handle) {
  fs::path path;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.lock);
    Module* module = Lookup(registry, handle);
    if (!module || module->path.empty()) return std::nullopt;
    path = module->path;
  }
  return WindowsPathFromHost(path);
}

std::optional<ResourceBlob> ResolveResources(const Module& module) {
  if (module.kind == ModuleKind::DataFile) {
    return ResourceBlob::Parse(module.fileSection.data(), module.fileSection.size());
  }
  const void* symbol = OwnSymbol(module, zelres::kSymbolName);
  return ResourceBlob::ParseInMemory(static_cast<const unsigned char*>(symbol));
}

}  // namespace

namespace detail {

std::optional<fs::path> FindModuleFile(std::string_view nameUtf8, bool defaultExtension) {
  const std::string name = defaultExtension ? WithDefaultExtension(std::string(nameUtf8)) : std::string(nameUtf8);
  if (name.empty()) return std::nullopt;
  if (HasFolder(name)) {
    auto host = HostPathFromWindows(name);
    std::error_code ec;
    if (host && fs::is_regular_file(*host, ec)) return host;
    return std::nullopt;
  }
  for (const fs::path& folder : SearchFolders()) {
    if (auto found = FindInFolder(folder, name)) return found;
  }
  return std::nullopt;
}

std::optional<ResourceBlob> ModuleResources(HMODULE handle, DWORD* error) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  Module* module = Lookup(registry, handle);
  if (!module) {
    if (error) *error = ERROR_INVALID_HANDLE;
    return std::nullopt;
  }
  if (!module->resourcesResolved) {
    module->resources = ResolveResources(*module);
    module->resourcesResolved = true;
  }
  if (!module->resources && error) *error = ERROR_RESOURCE_DATA_NOT_FOUND;
  return module->resources;
}

HRSRC ResourceHandle(HMODULE handle, size_t index) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  Module* module = Lookup(registry, handle);
  if (!module || !module->resources || index >= module->resources->Count()) return 0;
  auto [it, inserted] = module->resourceHandles.try_emplace(index, 0);
  if (inserted) {
    it->second = InsertHandle(std::make_shared<ResourceObject>(module->handle, module->resources->Data(index)));
  }
  return it->second;
}

const std::u16string& KeepWideString(HMODULE handle, std::u16string text) {
  static const std::u16string empty;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  Module* module = Lookup(registry, handle);
  if (!module) return empty;
  return *module->wideStrings.insert(std::move(text)).first;
}

}  // namespace detail

HMODULE ModuleFromAddress(const void* address) {
  if (!address) return 0;
  const link_map* map = MapOfAddress(address);
  if (!map) return 0;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  if (Module* module = FindByMap(registry, map)) return module->handle;
  return RegisterResident(registry, map)->handle;
}

}  // namespace platform

using platform::TheRegistry;

HMODULE LoadLibraryA(LPCSTR fileName) { return LoadLibraryExA(fileName, 0, 0); }

HMODULE LoadLibraryW(LPCWSTR fileName) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return platform::LoadUtf8(platform::Utf8FromUtf16(platform::Utf16FromZ(fileName)), 0);
}

HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE /*reserved*/, DWORD flags) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return platform::LoadUtf8(platform::Utf8FromAnsi(fileName), flags);
}

BOOL FreeLibrary(HMODULE handle) {
  platform::Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  auto it = handle ? registry.modules.find(handle) : registry.modules.end();
  if (it == registry.modules.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  platform::Module* module = it->second.get();
  if (module->unloading) return TRUE;  // a DllMain freeing its own module on the way out
  if (module->references > 0) --module->references;
  if (module->kind == platform::ModuleKind::Resident || module->references > 0) return TRUE;
  module->unloading = true;
  if (platform::DllEntryPoint entry = platform::EntryPoint(*module)) entry(handle, DLL_PROCESS_DETACH, nullptr);
  platform::Unload(registry, module);
  return TRUE;
}

FARPROC GetProcAddress(HMODULE handle, LPCSTR procName) {
  platform::Registry& registry = TheRegistry();
  std::lock_guard lock(registry.lock);
  platform::Module* module = platform::Lookup(registry, handle);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  // Exports by ordinal do not exist here.
  void* symbol = IS_INTRESOURCE(procName) ? nullptr : platform::OwnSymbol(*module, procName);
  if (!symbol) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  if (!moduleName) {
    platform::Registry& registry = TheRegistry();
    std::lock_guard lock(registry.lock);
    return platform::ProgramModule(registry)->handle;
  }
  return platform::ModuleHandleUtf8(platform::Utf8FromAnsi(moduleName));
}

DWORD GetModuleFileNameA(HMODULE handle, LPSTR fileName, DWORD size) {
  auto path = platform::ModuleWindowsPath(handle);
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const std::string text = platform::AnsiFromUtf8(*path);
  if (fileName && text.size() < size) {
    std::memcpy(fileName, text.data(), text.size());
    fileName[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
  }
  // Cut to size - 1 characters and a NUL; the answer is the size, as on Windows.
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  if (!fileName || size == 0) return 0;
  const size_t kept = platform::CutPoint(std::string_view(text), size - 1);
  std::memcpy(fileName, text.data(), kept);
  fileName[kept] = '\0';
  return size;
}

DWORD GetModuleFileNameW(HMODULE handle, LPWSTR fileName, DWORD size) {
  auto path = platform::ModuleWindowsPath(handle);
  if (!path) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  const std::u16string text = platform::Utf16FromUtf8(*path);
  if (fileName && text.size() < size) {
    std::copy(text.begin(), text.end(), fileName);
    fileName[text.size()] = u'\0';
    return static_cast<DWORD>(text.size());
  }
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  if (!fileName || size == 0) return 0;
  const size_t kept = platform::CutPoint(std::u16string_view(text), size - 1);
  std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(kept), fileName);
  fileName[kept] = u'\0';
  return size;
}
