#include "graphics/output/fonts/device_font_list_cache.h"

#include <cstdlib>
#include <cstring>

#include "graphics/ddi/driver_library.h"
#include "platform/base/codepage.h"
#include "platform/base/critical_section_lock.h"
#include "platform/base/sync.h"

namespace {

DeviceFontList* g_cached = nullptr;
DeviceFontList* g_retired = nullptr;

bool Matches(const DeviceFontList* node, const char* printerName, WORD pdlKind) {
  return node->pdlKind == pdlKind && lstrcmpiA(node->printerName, printerName) == 0;
}

void FreeChain(DeviceFontList* node) {
  while (node) {
    DeviceFontList* next = node->next;
    FreeDeviceFontList(node);
    node = next;
  }
}

}  // namespace

void FreeDeviceFontList(DeviceFontList* list) {
  if (!list) return;
  for (DWORD i = 0; list->entries && i < list->count; ++i) std::free(list->entries[i].metrics);
  std::free(list->entries);
  std::free(list);
}

DeviceFontList* FindCachedFontList(const char* printerName, WORD pdlKind) {
  if (!printerName) return nullptr;
  platform::CriticalSectionLock guard(FontListLock());
  for (DeviceFontList* node = g_cached; node; node = node->next) {
    if (Matches(node, printerName, pdlKind)) return node;
  }
  return nullptr;
}

DeviceFontList* CacheFontList(DeviceFontList* built) {
  if (!built) return nullptr;
  DeviceFontList* existing = nullptr;
  {
    platform::CriticalSectionLock guard(FontListLock());
    for (DeviceFontList* node = g_cached; node && !existing; node = node->next) {
      if (Matches(node, built->printerName, built->pdlKind)) existing = node;
    }
    if (!existing) {
      built->next = g_cached;
      g_cached = built;
      return built;
    }
  }
  FreeDeviceFontList(built);
  return existing;
}

int DropCachedFontLists(const char* printerName, WORD pdlKind) {
  platform::CriticalSectionLock guard(FontListLock());
  DeviceFontList** link = &g_cached;
  while (*link) {
    DeviceFontList* node = *link;
    if (printerName && !Matches(node, printerName, pdlKind)) {
      link = &node->next;
      continue;
    }
    *link = node->next;
    node->next = g_retired;
    g_retired = node;
    if (printerName) break;
  }
  return 0;
}

void FreeAllFontLists() {
  DeviceFontList* cached;
  DeviceFontList* retired;
  {
    platform::CriticalSectionLock guard(FontListLock());
    cached = g_cached;
    retired = g_retired;
    g_cached = nullptr;
    g_retired = nullptr;
  }
  FreeChain(cached);
  FreeChain(retired);
}
