#include "interface/profiles/default_profiles.h"

#include <memory>
#include <new>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/profiles/profile_store.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"

int CreateDefaultProfiles(HANDLE printer, const char* printerName, const ModelRecord* model) {
  if (!model || !printerName) return 0;
  char name[sizeof(ProfileName::text)] = {};
  LoadResString(IDS_BUILT_IN_PROFILE, name, sizeof name);
  if (!name[0]) return 0;

  // The cached record is shared with other threads: the variants are set on a copy.
  std::unique_ptr<ModelRecord> copy(new (std::nothrow) ModelRecord(*model));
  std::unique_ptr<XDEVMODE> settings(new (std::nothrow) XDEVMODE{});
  if (!copy || !settings) return 0;
  bool allPresent = true;
  for (int variant : {1, 0}) {
    copy->variant = variant;
    for (WORD pdl : {WORD{kPdlPs3}, WORD{kPdlPcl5si}}) {
      *settings = XDEVMODE{};
      if (!BuildDefaultDevmode(settings.get(), printer, copy.get(), printerName, pdl)) {
        allPresent = false;
        continue;
      }
      SaveProfileForModel(printer, copy.get(), name, settings.get(), kProfileCreateIfAbsent);
      if (!IsProfileRegistered(printer, copy.get(), name, *settings)) allPresent = false;
    }
  }
  return allPresent ? 1 : 0;
}
