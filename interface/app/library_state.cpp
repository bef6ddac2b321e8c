#include "interface/app/library_state.h"

#include <atomic>

namespace {

std::atomic<HINSTANCE> g_instance{0};
SettingsFunctions g_settings;
CRITICAL_SECTION g_jobContextLock;
CRITICAL_SECTION g_fontListLock;

}  // namespace

HINSTANCE LibraryInstance() { return g_instance.load(std::memory_order_acquire); }

void SetLibraryInstance(HINSTANCE instance) { g_instance.store(instance, std::memory_order_release); }

SettingsFunctions& LibrarySettings() { return g_settings; }

LPCRITICAL_SECTION JobContextLock() { return &g_jobContextLock; }

LPCRITICAL_SECTION FontListLock() { return &g_fontListLock; }
