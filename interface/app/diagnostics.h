// What the tests' build of zeluid5.dll (target zeluid5_diagnostic) tells them
// about its state. The delivered library does not export these: neither the
// spooler nor an application calls them; they only read the library's state or
// fill its caches as the entry points do.
#pragma once

#include "common/settings_binding.h"
#include "platform/base/types.h"

struct UiLibraryState {
  HINSTANCE instance;                 // the library's instance handle
  HMODULE settingsModule;             // zeldb5.dll, or 0
  const SettingsFunctions* settings;  // the bound settings functions
  DWORD fontLists;                    // PCL font lists cached
  BOOL modelRecordCached;             // the record of the printer last given to
                                      // ZelUiDiagnosticFillCaches is in the cache
};

// "ZelUiDiagnosticState": fills the state; FALSE for a NULL pointer.
typedef BOOL (*PFN_ZelUiDiagnosticState)(UiLibraryState* state);
// "ZelUiDiagnosticFillCaches": caches the printer's model record and its PCL font
// list for the language word; TRUE when both are there.
typedef BOOL (*PFN_ZelUiDiagnosticFillCaches)(HANDLE printer, const char* printerName, WORD pdl);
// "ZelUiDiagnosticSetExitObserver": the observer is told the state once the
// library's exit has freed its caches and before it unloads the settings library.
typedef void (*UiExitObserver)(const UiLibraryState* state);
typedef void (*PFN_ZelUiDiagnosticSetExitObserver)(UiExitObserver observer);

// Inside the library: called by its exit once the caches are freed (its own locks
// still stand) and before the settings library is unloaded.
void ReportLibraryExit(HMODULE settingsModule);
