#include "interface/app/diagnostics.h"

#include <atomic>
#include <mutex>
#include <string>

#include "interface/app/library_state.h"
#include "interface/app/my_dll.h"
#include "interface/pages/pcl_font_cache.h"
#include "model/model_cache.h"

namespace {

std::atomic<UiExitObserver> g_exitObserver{nullptr};
std::mutex g_lastPrinterLock;
std::string g_lastPrinter;

// Looks the name up without loading anything; a stopped cache has no record.
bool RecordCached() {
  std::lock_guard lock(g_lastPrinterLock);
  return !g_lastPrinter.empty() && FindModelRecord(g_lastPrinter.c_str()) != nullptr;
}

UiLibraryState CurrentState(HMODULE settingsModule) {
  UiLibraryState state{};
  state.instance = LibraryInstance();
  state.settingsModule = settingsModule;
  state.settings = &LibrarySettings();
  state.fontLists = CountPclFontLists();
  state.modelRecordCached = RecordCached() ? TRUE : FALSE;
  return state;
}

}  // namespace

void ReportLibraryExit(HMODULE settingsModule) {
  if (UiExitObserver observer = g_exitObserver.load()) {
    const UiLibraryState state = CurrentState(settingsModule);
    observer(&state);
  }
}

ZEL_EXPORT BOOL ZelUiDiagnosticState(UiLibraryState* state) {
  if (!state) return FALSE;
  *state = CurrentState(TheLibraryApp().m_hSettingsModule);
  return TRUE;
}

ZEL_EXPORT BOOL ZelUiDiagnosticFillCaches(HANDLE printer, const char* printerName, WORD pdl) {
  if (!printerName) return FALSE;
  {
    std::lock_guard lock(g_lastPrinterLock);
    g_lastPrinter = printerName;
  }
  int found = 0;
  const bool record = GetModelRecord(printer, printerName, 0) != nullptr;
  const bool fonts = FindPclFontList(printerName, pdl, &found) != nullptr;
  return record && fonts ? TRUE : FALSE;
}

ZEL_EXPORT void ZelUiDiagnosticSetExitObserver(UiExitObserver observer) { g_exitObserver.store(observer); }
