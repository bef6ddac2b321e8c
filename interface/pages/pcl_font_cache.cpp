#include "interface/pages/pcl_font_cache.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "interface/app/library_state.h"
#include "platform/base/codepage.h"
#include "platform/base/critical_section_lock.h"

namespace {

PclFontList* g_head = nullptr;
PclFontList* g_retired = nullptr;  // replaced nodes, still readable by whoever holds them

bool Matches(const PclFontList& node, const char* printerName, WORD pdl) {
  return node.pdl == pdl && platform::EqualsNoCaseAnsi(node.printerName, printerName);
}

void FreeNode(PclFontList* node) {
  std::free(node->entries);
  std::free(node);
}

// The face name field of an entry's metrics image, which need not end in a NUL.
std::string_view FaceOf(const PclFontEntry& entry) {
  const char* face = reinterpret_cast<const char*>(entry.metrics + kPclMetricsFaceOffset);
  return std::string_view(face, strnlen(face, kPclMetricsFaceSize));
}

}  // namespace

PclFontList* FindPclFontList(const char* printerName, WORD pdl, int* found) {
  if (found) *found = 0;
  // A name cut to the field would never match its own node again, and a node per
  // request would pile up.
  if (!printerName || std::strlen(printerName) >= sizeof(PclFontList::printerName)) return nullptr;
  platform::CriticalSectionLock guard(FontListLock());
  for (PclFontList* node = g_head; node; node = node->next) {
    if (Matches(*node, printerName, pdl)) {
      if (found) *found = 1;
      return node;
    }
  }
  auto* node = static_cast<PclFontList*>(std::calloc(1, sizeof(PclFontList)));
  if (!node) return nullptr;
  std::strcpy(node->printerName, printerName);
  node->pdl = pdl;
  node->next = g_head;
  g_head = node;
  return node;
}

int FreePclFontLists(const char* printerName, WORD pdl) {
  platform::CriticalSectionLock guard(FontListLock());
  if (!printerName) {
    for (PclFontList** list : {&g_head, &g_retired}) {
      while (PclFontList* node = *list) {
        *list = node->next;
        FreeNode(node);
      }
    }
    return 0;
  }
  for (PclFontList** link = &g_head; *link; link = &(*link)->next) {
    if (Matches(**link, printerName, pdl)) {
      PclFontList* node = *link;
      *link = node->next;
      FreeNode(node);
      break;
    }
  }
  return 0;
}

bool AllocatePclFontEntries(PclFontList* list, DWORD count) {
  if (!list) return false;
  std::free(list->entries);
  list->entries = nullptr;
  list->count = 0;
  if (count == 0) return true;
  list->entries = static_cast<PclFontEntry*>(std::calloc(count, sizeof(PclFontEntry)));
  if (!list->entries) return false;
  list->count = count;
  return true;
}

int FindFontFace(const char* face, const PclFontList* list) {
  if (!face || !list || !list->entries) return -1;
  for (DWORD i = 0; i < list->count; ++i) {
    if (platform::EqualsNoCaseAnsi(FaceOf(list->entries[i]), face)) return static_cast<int>(i);
  }
  return -1;
}

PclFontList* LookupPclFontList(const char* printerName, WORD pdl) {
  if (!printerName) return nullptr;
  platform::CriticalSectionLock guard(FontListLock());
  for (PclFontList* node = g_head; node; node = node->next)
    if (Matches(*node, printerName, pdl)) return node;
  return nullptr;
}

PclFontList* PublishPclFontList(PclFontList* built) {
  if (!built) return nullptr;
  platform::CriticalSectionLock guard(FontListLock());
  for (PclFontList** link = &g_head; *link; link = &(*link)->next) {
    if (Matches(**link, built->printerName, built->pdl)) {
      PclFontList* old = *link;
      *link = old->next;
      old->next = g_retired;
      g_retired = old;
      break;
    }
  }
  built->next = g_head;
  g_head = built;
  return built;
}

DWORD CountPclFontLists() {
  platform::CriticalSectionLock guard(FontListLock());
  DWORD count = 0;
  for (const PclFontList* node = g_head; node; node = node->next) ++count;
  return count;
}
