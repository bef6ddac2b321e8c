#include "model/model_cache.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "model/model_loader.h"
#include "model/paper_defaults.h"
#include "platform/base/codepage.h"
#include "platform/base/critical_section_lock.h"
#include "platform/base/sync.h"
#include "platform/base/text_cut.h"

namespace {

struct Entry {
  // The printer name folded DBCS-aware (ASCII letters only, never a trail byte),
  // so that "ソフト表" and its ASCII-case variants meet here while "ア" and "ヂ"
  // (whose trail bytes differ only in ASCII case) stay apart.
  std::string key;
  ModelRecord* current = nullptr;
  // Whether current may be in a caller's hands (then it is kept when replaced).
  bool handedOut = false;
  // When this cache first saw the server-down mark standing; valid while downSeen.
  bool downSeen = false;
  DWORD downSince = 0;
  // One load per printer at a time: threads that find the record out of date
  // together wait for the first one's load instead of repeating it.
  std::mutex loading;
};

struct Cache {
  CRITICAL_SECTION lock;
  std::vector<std::unique_ptr<Entry>> entries;  // newest last
  // Records replaced while a caller may still read them; freed when the cache stops.
  std::vector<std::unique_ptr<ModelRecord>> retired;
};

std::atomic<Cache*> g_cache{nullptr};
std::atomic<const SettingsFunctions*> g_settings{nullptr};
std::atomic<DWORD> g_recheckInterval{kServerDownRecheckMilliseconds};

const SettingsFunctions& Settings() {
  static const SettingsFunctions unbound{};
  const SettingsFunctions* settings = g_settings.load();
  return settings ? *settings : unbound;
}

// Printer names are held as the record's field holds them: at most 259 bytes,
// never half a double-byte character.
std::string_view RecordName(const char* printerName) {
  std::string_view name(printerName);
  return name.substr(0, platform::CutPoint(name, kPrinterNameSize - 1));
}

ModelRecord* NewRecord() { return new (std::nothrow) ModelRecord{}; }

// Under the lock: the entry of the name, or a new one with an all-zero record.
Entry* FindOrAddEntry(Cache& cache, const std::string& key) {
  for (auto it = cache.entries.rbegin(); it != cache.entries.rend(); ++it) {
    if ((*it)->key == key) return it->get();
  }
  try {
    auto entry = std::make_unique<Entry>();
    entry->key = key;
    entry->current = NewRecord();
    if (!entry->current) return nullptr;
    cache.entries.push_back(std::move(entry));
    return cache.entries.back().get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Under the lock: puts a record in the entry's place, keeping the one it replaces
// alive when a caller may hold it. False when there is no memory to keep it (the
// entry is then left as it was).
bool Replace(Cache& cache, Entry& entry, ModelRecord* record) {
  ModelRecord* old = entry.current;
  if (entry.handedOut) {
    try {
      cache.retired.emplace_back(old);
    } catch (const std::bad_alloc&) {
      return false;
    }
  } else {
    delete old;
  }
  entry.current = record;
  entry.handedOut = false;
  return true;
}

bool IsLoaded(const ModelRecord& record) { return record.partsLoaded != 0; }

// The counter as the record's stamp compares with it; false when it cannot be read.
bool ReadConfigCounter(HANDLE printer, DWORD& counter) {
  counter = 0;
  return Settings().GetDword(printer, kStorePrinterData, "Printer", "Cfg", &counter) == ERROR_SUCCESS;
}

bool ServerMarkedDown(HANDLE printer, const char* printerName) {
  DWORD mark = 0;
  return Settings().GetDword(printer, kStoreUser, printerName, "bServerDown", &mark) == ERROR_SUCCESS && mark != 0;
}

// Whether a record may be handed out for this request without a reload. The
// record's name always matches: each entry holds records of its own key only.
bool UpToDate(const ModelRecord& record, int type, bool counterRead, DWORD counter) {
  if (record.configStamp == 0 || !IsLoaded(record)) return false;
  return type != kModelReloadWhenChanged || (counterRead && counter == record.configStamp);
}

// A fresh record of every part and feature, trays and bins filtered by the
// installed options, defaults where the description is silent; null when there is
// no memory. loaded is false when the loader refused (no printer): the record then
// holds the defaults alone.
std::unique_ptr<ModelRecord> LoadRecord(HANDLE printer, std::string_view name, bool& loaded) {
  std::unique_ptr<ModelRecord> record(NewRecord());
  if (!record) return nullptr;
  std::memcpy(record->printerName, name.data(), name.size());
  loaded = LoadModelConfig(Settings(), printer, record.get(), kAllModelParts, kAllModelFeatures, 1) != 0;
  SetModelRecordDefaults(record.get(), ~record->partsLoaded);
  return record;
}

}  // namespace

void ModelCacheStart(const SettingsFunctions* settings) {
  g_settings.store(settings);
  if (g_cache.load()) return;
  Cache* cache = new (std::nothrow) Cache;
  if (!cache) return;
  InitializeCriticalSection(&cache->lock);
  g_cache.store(cache);
}

void ModelCacheStop() {
  Cache* cache = g_cache.exchange(nullptr);
  if (!cache) return;
  for (auto& entry : cache->entries) delete entry->current;
  DeleteCriticalSection(&cache->lock);
  delete cache;
}

void SetServerDownRecheckInterval(DWORD milliseconds) { g_recheckInterval.store(milliseconds); }

ModelRecord* FindModelRecord(const char* printerName) {
  Cache* cache = g_cache.load();
  if (!printerName || !cache) return nullptr;
  std::string key = platform::FoldCaseAnsi(printerName);
  platform::CriticalSectionLock lock(&cache->lock);
  Entry* entry = FindOrAddEntry(*cache, key);
  if (!entry) return nullptr;
  entry->handedOut = true;
  return entry->current;
}

int FreeModelRecords(const char* printerName) {
  Cache* cache = g_cache.load();
  if (!cache) return 0;
  platform::CriticalSectionLock lock(&cache->lock);
  if (!printerName) {
    for (auto& entry : cache->entries) delete entry->current;
    cache->entries.clear();
    cache->retired.clear();
    return 0;
  }
  // The entry stays (another thread may be inside GetModelRecord with it); its
  // record gives way to an all-zero one, so the next request loads afresh.
  std::string key = platform::FoldCaseAnsi(printerName);
  for (auto& entry : cache->entries) {
    if (entry->key != key) continue;
    if (ModelRecord* empty = NewRecord()) {
      if (!Replace(*cache, *entry, empty)) delete empty;
    }
    break;
  }
  return 0;
}

ModelRecord* GetModelRecord(HANDLE printer, const char* printerName, int type) {
  Cache* cache = g_cache.load();
  if (!printerName || !cache) return nullptr;
  const std::string key = platform::FoldCaseAnsi(printerName);
  const std::string_view name = RecordName(printerName);

  // What this request needs of the cached record is taken under the lock: an
  // all-zero record that was never handed out may be freed as soon as another
  // thread swaps a loaded one in.
  Entry* entry = nullptr;
  const ModelRecord* current = nullptr;
  bool loaded = false;
  DWORD stamp = 0;
  {
    platform::CriticalSectionLock lock(&cache->lock);
    entry = FindOrAddEntry(*cache, key);
    if (!entry) return nullptr;
    // Type 0 needs nothing from the settings to hand out a loaded record.
    if (type != kModelReloadWhenChanged && UpToDate(*entry->current, type, false, 0)) {
      entry->handedOut = true;
      return entry->current;
    }
    current = entry->current;
    loaded = IsLoaded(*current);
    stamp = current->configStamp;
  }

  // The counter is compared before the server-down mark is read: printer data is
  // served from this machine's store, so the comparison never waits on a server,
  // and a record that is up to date is handed out whatever the mark says.
  DWORD counter = 0;
  bool counterRead = false;
  if (type == kModelReloadWhenChanged && loaded) {
    counterRead = ReadConfigCounter(printer, counter);
    if (counterRead && stamp != 0 && counter == stamp) {
      platform::CriticalSectionLock lock(&cache->lock);
      // Another thread may have swapped a newer record in meanwhile, as good as
      // this one when it is up to date too.
      if (entry->current == current || UpToDate(*entry->current, type, counterRead, counter)) {
        entry->handedOut = true;
        return entry->current;
      }
    }
  }

  // Out of date. The server-down mark matters only now, and only for a loaded
  // record: it holds back the reload until the mark has stood long enough to try
  // the server again. A record never loaded is loaded all the same, since an
  // all-zero record (no papers, no resolutions) is of no use to any caller.
  const bool down = loaded && ServerMarkedDown(printer, printerName);
  {
    platform::CriticalSectionLock lock(&cache->lock);
    const DWORD now = GetTickCount();
    bool recheck = false;
    if (!down) {
      entry->downSeen = false;
    } else if (!entry->downSeen) {
      entry->downSeen = true;
      entry->downSince = now;
    } else if (now - entry->downSince >= g_recheckInterval.load()) {
      recheck = true;
      entry->downSince = now;
    }
    if (down && !recheck && IsLoaded(*entry->current)) {
      entry->handedOut = true;
      return entry->current;
    }
  }

  std::lock_guard<std::mutex> loading(entry->loading);
  const ModelRecord* latest = nullptr;
  {
    platform::CriticalSectionLock lock(&cache->lock);
    latest = entry->current;
    // Another thread reloaded while this one waited for the load.
    if (latest != current && UpToDate(*latest, type, counterRead, counter)) {
      entry->handedOut = true;
      return entry->current;
    }
  }

  bool read = false;
  std::unique_ptr<ModelRecord> fresh = LoadRecord(printer, name, read);
  platform::CriticalSectionLock lock(&cache->lock);
  latest = entry->current;
  if (!fresh && !IsLoaded(*latest)) return nullptr;
  // A record loaded earlier is kept when this load could not read the printer:
  // no handle, or a server still marked down that did not answer.
  const bool keep =
      !fresh || (IsLoaded(*latest) && (!read || (down && fresh->configStamp == 0 && latest->configStamp != 0)));
  // The same content keeps the record callers already hold.
  if (!keep && std::memcmp(fresh.get(), latest, sizeof(ModelRecord)) != 0 && Replace(*cache, *entry, fresh.get())) {
    fresh.release();
  }
  entry->handedOut = true;
  return entry->current;
}
