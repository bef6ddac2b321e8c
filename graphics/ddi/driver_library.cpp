#include "graphics/ddi/driver_library.h"

#include <mutex>

#include "graphics/core/model_description.h"
#include "graphics/ddi/settings_binding.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/device_glyph_set.h"
#include "platform/base/errors.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr DWORD kDriverQueryUserMode = 1;  // DRVQUERY_USERMODE
constexpr DWORD kUserModeDriver = 1;
// The smallest DRVENABLEDATA the library fills: version, count and the table
// pointer (12 bytes where pointers are 4 bytes).
constexpr ULONG kMinEnableDataSize = sizeof(DRVENABLEDATA) > 12 ? sizeof(DRVENABLEDATA) : 12;

struct LibraryState {
  HMODULE module = 0;
  bool locksReady = false;
  CRITICAL_SECTION deviceFontLock{};
  CRITICAL_SECTION fontListLock{};
  FD_GLYPHSET* defaultGlyphSet = nullptr;
};

LibraryState g_library;
// Guards enabling and disabling against each other; the engine calls each once
// per load, but nothing else makes them exclusive.
std::mutex g_enableMutex;

}  // namespace

void SetGraphicsModule(HMODULE module) { g_library.module = module; }

HMODULE GraphicsModule() { return g_library.module; }

BOOL EnableGraphicsDriver(ULONG engineVersion, ULONG size, DRVENABLEDATA* data) {
  if (engineVersion < kGraphicsDriverVersion || size < kMinEnableDataSize) {
    SetLastError(ERROR_BAD_DRIVER_LEVEL);
    return FALSE;
  }
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  data->iDriverVersion = kGraphicsDriverVersion;
  data->c = kGraphicsDriverFunctionCount;
  data->pdrvfn = const_cast<DRVFN*>(GraphicsDriverFunctions());

  std::lock_guard lock(g_enableMutex);
  if (!g_library.locksReady) {
    InitializeCriticalSection(&g_library.deviceFontLock);
    InitializeCriticalSection(&g_library.fontListLock);
    // The description cache keeps its own lock.
    StartDescriptionCache();
    g_library.locksReady = true;
  }
  if (!g_library.defaultGlyphSet) g_library.defaultGlyphSet = EngComputeGlyphSet(0, 0, 256);
  return g_library.defaultGlyphSet != nullptr;
}

BOOL QueryGraphicsDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
  if (mode != kDriverQueryUserMode || !needed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *needed = sizeof(DWORD);
  if (!buffer || size < sizeof(DWORD)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  *static_cast<DWORD*>(buffer) = kUserModeDriver;
  return TRUE;
}

void DisableGraphicsDriver() {
  std::lock_guard lock(g_enableMutex);
  if (g_library.defaultGlyphSet) EngFreeMem(g_library.defaultGlyphSet);
  g_library.defaultGlyphSet = nullptr;
  UnbindGraphicsSettings();
  if (!g_library.locksReady) return;
  StopDescriptionCache();
  // No device context is left to point into the font lists.
  FreeAllFontLists();
  DeleteCriticalSection(&g_library.fontListLock);
  EnterCriticalSection(&g_library.deviceFontLock);
  FreeDeviceGlyphSet();
  LeaveCriticalSection(&g_library.deviceFontLock);
  DeleteCriticalSection(&g_library.deviceFontLock);
  g_library.locksReady = false;
}

CRITICAL_SECTION* DeviceFontLock() { return &g_library.deviceFontLock; }

CRITICAL_SECTION* FontListLock() { return &g_library.fontListLock; }

FD_GLYPHSET* DefaultGlyphSet() { return g_library.defaultGlyphSet; }
