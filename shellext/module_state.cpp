#include "shellext/module_state.h"

#include <atomic>
#include <mutex>

#include "platform/base/handles.h"
#include "platform/base/processes.h"

namespace shellext {
namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
std::mutex g_quickTabsLock;
HANDLE g_quickTabsProcess = 0;
}  // namespace

CShellExtApp::CShellExtApp() {
  std::lock_guard guard(g_quickTabsLock);
  g_quickTabsProcess = 0;
}

BOOL CShellExtApp::InitInstance() {
  ModuleInstance() = m_hInstance;
  return TRUE;
}

int CShellExtApp::ExitInstance() {
  // The last program may run on; only our handle to it goes.
  KeepQuickTabsProcess(0);
  return CWinApp::ExitInstance();
}

HINSTANCE& ModuleInstance() {
  static HINSTANCE instance = 0;
  return instance;
}

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }

void LockModule(bool lock) {
  if (lock) {
    ++g_locks;
    return;
  }
  // An unlock without a lock must not make the count negative.
  long locks = g_locks.load();
  while (locks > 0 && !g_locks.compare_exchange_weak(locks, locks - 1)) {
  }
}

bool ModuleInUse() { return g_objects.load() > 0 || g_locks.load() > 0; }

bool LastQuickTabsEnded() {
  std::lock_guard guard(g_quickTabsLock);
  if (!g_quickTabsProcess) return true;
  DWORD code = 0;
  if (GetExitCodeProcess(g_quickTabsProcess, &code) && code == STILL_ACTIVE) return false;
  CloseHandle(g_quickTabsProcess);
  g_quickTabsProcess = 0;
  return true;
}

void KeepQuickTabsProcess(HANDLE process) {
  std::lock_guard guard(g_quickTabsLock);
  if (g_quickTabsProcess) CloseHandle(g_quickTabsProcess);
  g_quickTabsProcess = process;
}

}  // namespace shellext
