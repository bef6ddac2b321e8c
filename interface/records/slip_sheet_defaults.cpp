#include "interface/records/slip_sheet_defaults.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "platform/base/errors.h"

namespace {

constexpr const char* kSection = "Defaults";
constexpr DWORD kValueBuffer = 2048;

DWORD ReadDword(HANDLE printer, const char* key) {
  DWORD value = 0;
  if (LibrarySettings().GetDword(printer, kStoreUser, kSection, key, &value) != ERROR_SUCCESS) return 0;
  return value;
}

std::string Indexed(const char* key, int index) { return key + std::to_string(index); }

}  // namespace

int LoadDefaults(HANDLE printer, SlipSheetTable* table) {
  if (!table) return 0;
  std::memset(table, 0, sizeof *table);
  table->type = static_cast<int32_t>(ReadDword(printer, "Type"));
  const DWORD entries = std::min<DWORD>(ReadDword(printer, "CmdNbr"), kSlipSheetEntries);
  table->entryCount = static_cast<int32_t>(entries);
  if (std::optional<std::string> command =
          records::ReadSettingText(printer, kStoreUser, kSection, "CmdString", kValueBuffer))
    records::CopyText(table->commandString, *command);

  for (DWORD i = 0; i < entries; ++i) {
    SlipSheetEntry& entry = table->entries[i];
    const int index = static_cast<int>(i);
    if (std::optional<std::string> pair = records::ReadSettingText(printer, kStoreUser, kSection,
                                                                   Indexed("IndexPair", index).c_str(), kValueBuffer)) {
      const std::vector<std::string_view> fields = records::SplitFields(*pair, ',');
      std::optional<uint32_t> first, second;
      if (fields.size() == 2) {
        first = records::ParseField32(fields[0]);
        second = records::ParseField32(fields[1]);
      }
      if (first && second) {
        entry.pairFirst = static_cast<int32_t>(*first);
        entry.pairSecond = static_cast<int32_t>(*second);
      }
    }
    const DWORD wanted = std::min<DWORD>(ReadDword(printer, Indexed("InsertNbr", index).c_str()), kSlipSheetMaxInserts);
    int32_t read = 0;
    if (std::optional<std::string> inserts =
            records::ReadSettingText(printer, kStoreUser, kSection, Indexed("Inserts", index).c_str(), kValueBuffer)) {
      for (std::string_view field : records::SplitFields(*inserts, ',')) {
        if (static_cast<DWORD>(read) >= wanted) break;
        std::optional<uint32_t> number = records::ParseField32(field);
        if (!number) break;
        entry.inserts[read++] = static_cast<int32_t>(*number);
      }
    }
    entry.insertCount = read;
  }
  return 1;
}
