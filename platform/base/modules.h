// Modules over dlopen/dlsym/dladdr. A module's start and exit run when it is
// loaded and unloaded: LoadLibrary calls the module's exported
// "DllMain(HINSTANCE, DWORD reason, LPVOID)" with DLL_PROCESS_ATTACH (a FALSE
// answer unloads it again and fails the load), FreeLibrary of the last reference
// calls it with DLL_PROCESS_DETACH. Module handles are 32-bit handle values.
#pragma once

#include "platform/base/types.h"

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008

// A generic function pointer: callers cast it to the export's real type.
typedef void(WINAPI* FARPROC)();

ZEL_EXTERN_C HMODULE LoadLibraryA(LPCSTR fileName);
ZEL_EXTERN_C HMODULE LoadLibraryW(LPCWSTR fileName);
ZEL_EXTERN_C HMODULE LoadLibraryExA(LPCSTR fileName, HANDLE reserved, DWORD flags);
ZEL_EXTERN_C BOOL FreeLibrary(HMODULE module);
ZEL_EXTERN_C FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// NULL names the program itself.
ZEL_EXTERN_C HMODULE GetModuleHandleA(LPCSTR moduleName);
// Windows form of the module's path ("Z:\...\zeldb5.dll"); NULL module: the program.
ZEL_EXTERN_C DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
ZEL_EXTERN_C DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

namespace platform {
// The handle of the module that contains the given address (a module finds its own
// instance handle this way); 0 when the address is in no loaded module.
HMODULE ModuleFromAddress(const void* address);
}  // namespace platform
