// What lives as long as the module: its instance handle, the count of live
// objects and server locks that DllCanUnloadNow answers by, and the process of
// the last quick-tabs start.
#pragma once

#include "platform/base/types.h"
#include "platform/ui/winapp.h"

namespace shellext {

class CShellExtApp : public CWinApp {
 public:
  CShellExtApp();
  BOOL InitInstance() override;
  int ExitInstance() override;
};

// The module's instance handle (0 before the module started; the tests that run
// the code in their own process set it).
HINSTANCE& ModuleInstance();

// Every class factory and extension object counts itself while it lives.
void ObjectCreated();
void ObjectDestroyed();
void LockModule(bool lock);
bool ModuleInUse();

// True when no quick-tabs program of an earlier start still runs; a finished
// one's handle is closed.
bool LastQuickTabsEnded();
// Keeps the process of a new start (0: nothing to keep).
void KeepQuickTabsProcess(HANDLE process);

}  // namespace shellext
