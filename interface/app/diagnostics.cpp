#include "interface/app/diagnostics.h"

#include <atomic>

#include "interface/app/library_state.h"
#include "interface/app/my_dll.h"
#include "interface/model/model_cache.h"
#include "interface/pages/pcl_font_cache.h"

namespace {

std::atomic<UiExitObserver> g_exitObserver{nullptr};

UiLibraryState CurrentState(HMODULE settingsModule) {
  UiLibraryState state{};
  state.instance = LibraryInstance();
  state.settingsModule = settingsModule;
  state.settings = &LibrarySettings();
  state.fontLists = CountPclFontLists();
  state.modelRecords = CountModelRecords();
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
  int found = 0;
  const bool record = GetModelRecord(printer, printerName, 0) != nullptr;
  const bool fonts = FindPclFontList(printerName, pdl, &found) != nullptr;
  return record && fonts ? TRUE : FALSE;
}

ZEL_EXPORT void ZelUiDiagnosticSetExitObserver(UiExitObserver observer) { g_exitObserver.store(observer); }
