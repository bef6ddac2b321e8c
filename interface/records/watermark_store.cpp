#include "interface/records/watermark_store.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/hex_names.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"

namespace {

constexpr DWORD kValueBuffer = 1024;
constexpr size_t kTextMax = sizeof(WatermarkRecord::text) - 1;

// The default watermarks' strings and look.
constexpr UINT kDefaultWatermarkStrings[] = {IDS_WATERMARK_CONFIDENTIAL, IDS_WATERMARK_COPY, IDS_WATERMARK_DRAFT};
constexpr const char* kDefaultWatermarkLookUtf8 = "ＭＳ ゴシック,72,標準,45,8355711,400,0,0,0";

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

int ParseWatermarkRecord(WatermarkRecord* record, const char* valueName, const char* value) {
  if (!record) return 0;
  *record = WatermarkRecord{};
  if (!valueName || !value) return 0;
  const std::vector<std::string_view> fields = records::SplitFields(value, ',');
  if (fields.size() < 9 || fields.size() > 10) return 0;
  std::optional<uint32_t> numbers[10];
  for (size_t i : {1u, 3u, 4u, 5u, 6u, 7u, 8u, 9u}) {
    if (i >= fields.size()) continue;
    numbers[i] = records::ParseField32(fields[i]);
    if (!numbers[i]) return 0;
  }
  WatermarkRecord parsed{};
  records::CopyText(parsed.text, valueName);
  records::CopyText(parsed.faceName, fields[0]);
  parsed.size = static_cast<WORD>(*numbers[1]);
  records::CopyText(parsed.styleName, fields[2]);
  parsed.angle = static_cast<WORD>(*numbers[3]);
  parsed.colour = *numbers[4];
  parsed.weight = static_cast<WORD>(*numbers[5]);
  parsed.styleBits = *numbers[6];
  parsed.xOffset = static_cast<LONG>(*numbers[7]);
  parsed.yOffset = static_cast<LONG>(*numbers[8]);
  parsed.outline = numbers[9] ? *numbers[9] : 0;
  *record = parsed;
  return 1;
}

std::string FormatWatermarkValue(const WatermarkRecord& record) {
  // Signed 32-bit where the record's number is a 32-bit value, as it was always
  // written; the reader takes either form back to the same bits.
  std::string value(records::FieldText(record.faceName));
  value += ',' + std::to_string(record.size);
  value += ',';
  value.append(records::FieldText(record.styleName));
  value += ',' + std::to_string(record.angle);
  value += ',' + std::to_string(static_cast<int32_t>(record.colour));
  value += ',' + std::to_string(record.weight);
  value += ',' + std::to_string(static_cast<int32_t>(record.styleBits));
  value += ',' + std::to_string(static_cast<int32_t>(record.xOffset));
  value += ',' + std::to_string(static_cast<int32_t>(record.yOffset));
  value += ',' + std::to_string(static_cast<int32_t>(record.outline));
  return value;
}

int LoadWatermarks(HANDLE printer, WatermarkRecord* list, int capacity) {
  if (list && capacity <= 0) return 0;
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStoreUser, kWatermarksSection);
  if (!keys) return 0;
  int count = 0;
  for (const std::string& key : *keys) {
    if (list && count >= capacity) break;
    std::optional<std::string> text = records::TextOfHexName(key, kTextMax);
    if (!text) continue;
    std::optional<std::string> value =
        records::ReadSettingText(printer, kStoreUser, kWatermarksSection, key.c_str(), kValueBuffer);
    if (!value) continue;
    WatermarkRecord parsed{};
    if (!ParseWatermarkRecord(&parsed, text->c_str(), value->c_str())) continue;
    if (list) list[count] = parsed;
    ++count;
  }
  return count;
}

int SaveWatermarks(HANDLE printer, const WatermarkRecord* list, int count) {
  if (count < 0 || (!list && count > 0)) return 0;
  const SettingsFunctions& settings = LibrarySettings();
  bool allWritten = true;
  std::set<std::string> written;
  for (int i = 0; i < count; ++i) {
    const WatermarkRecord& record = list[i];
    const std::string_view text = records::FieldText(record.text);
    const std::string_view face = records::FieldText(record.faceName);
    const std::string_view style = records::FieldText(record.styleName);
    if (text.empty() || text.size() > kTextMax || face.find(',') != std::string_view::npos ||
        style.find(',') != std::string_view::npos) {
      allWritten = false;
      continue;
    }
    const std::string name = records::HexName(text);
    const std::string value = FormatWatermarkValue(record);
    if (settings.SetString(printer, kStoreUser, kWatermarksSection, name.c_str(), value.c_str()) != ERROR_SUCCESS) {
      allWritten = false;
      continue;
    }
    written.insert(UpperAscii(name));
  }
  // Stale values go only once the new list is stored whole: until then they may be
  // all the user has.
  if (!allWritten) return 0;
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStoreUser, kWatermarksSection);
  if (!keys) return 0;
  bool allDeleted = true;
  for (const std::string& key : *keys) {
    // Value names match without regard to case, as the store matches them.
    if (written.count(UpperAscii(key))) continue;
    const DWORD rc = settings.DeleteData(printer, kStoreUser, kWatermarksSection, key.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) allDeleted = false;
  }
  return allDeleted ? 1 : 0;
}

int LoadWatermarkByName(HANDLE printer, const char* text, WatermarkRecord* record) {
  if (!record) return 0;
  *record = WatermarkRecord{};
  if (!text || !*text || std::strlen(text) > kTextMax) return 0;
  const std::string name = records::HexName(text);
  std::optional<std::string> value =
      records::ReadSettingText(printer, kStoreUser, kWatermarksSection, name.c_str(), kValueBuffer);
  if (!value) return 0;
  return ParseWatermarkRecord(record, text, value->c_str());
}

int CreateDefaultWatermarks(HANDLE printer) {
  const SettingsFunctions& settings = LibrarySettings();
  const std::string look = platform::AnsiFromUtf8(kDefaultWatermarkLookUtf8);
  int present = 0;
  for (UINT id : kDefaultWatermarkStrings) {
    char text[512] = {};
    LoadResString(id, text, sizeof text);
    if (!text[0] || std::strlen(text) > kTextMax) continue;
    WatermarkRecord existing{};
    if (LoadWatermarkByName(printer, text, &existing)) {
      ++present;
      continue;
    }
    const std::string name = records::HexName(text);
    if (settings.SetString(printer, kStoreUser, kWatermarksSection, name.c_str(), look.c_str()) == ERROR_SUCCESS)
      ++present;
  }
  return present == static_cast<int>(std::size(kDefaultWatermarkStrings)) ? 1 : 0;
}
