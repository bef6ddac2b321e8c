#include "interface/records/insert_sheet_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"

namespace {

constexpr DWORD kValueBuffer = 1024;
constexpr const char* kHeaderKey = "General";

// The number a row key begins with (its digits up to the first other character).
long LeadingNumber(const std::string& key) {
  long value = 0;
  for (char c : key) {
    if (c < '0' || c > '9') break;
    if (value < 100000000) value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

int ParseInsertSheetRow(PageTicketRow* row, const char* key, const char* value) {
  if (!row) return 0;
  std::memset(row, 0, sizeof *row);
  if (!records::KeyBeginsWithDigit(key) || !value) return 0;
  std::string_view text(value);
  int32_t numbers[6];
  for (int i = 0; i < 6; ++i) {
    // The first five end at a comma; the sixth at a comma, a ";" or the end.
    const size_t end = i < 5 ? text.find(',') : text.find_first_of(",;");
    if (i < 5 && end == std::string_view::npos) return 0;
    std::optional<uint32_t> number = records::ParseField32(text.substr(0, end));
    if (!number) return 0;
    numbers[i] = static_cast<int32_t>(*number);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end);
    if (i < 5) text.remove_prefix(1);
  }
  PageTicketRow parsed{};
  parsed.pageNumber = numbers[0];
  parsed.value2 = numbers[1];
  parsed.value3 = numbers[2];
  parsed.value4 = numbers[3];
  parsed.imageFlag = numbers[4];
  parsed.tabFlag = numbers[5];
  if (parsed.tabFlag != 0 && !text.empty() && text.front() == ',') {
    text.remove_prefix(1);
    records::CopyText(parsed.tabText, text.substr(0, text.find(';')));
  }
  *row = parsed;
  return 1;
}

int ParseInsertSheetHeader(InsertSheetHeader* header, const char* key, const char* value) {
  if (!header) return 0;
  std::memset(header, 0, sizeof *header);
  if (!key || records::KeyBeginsWithDigit(key) || !value) return 0;
  std::string_view text(value);
  if (!text.empty() && text.back() == ';') text.remove_suffix(1);
  const std::vector<std::string_view> fields = records::SplitFields(text, ',');
  if (fields.size() != 9) return 0;
  std::optional<uint32_t> numbers[9];
  for (size_t i : {0u, 3u, 4u, 5u, 6u, 7u, 8u}) {
    numbers[i] = records::ParseField32(fields[i]);
    if (!numbers[i]) return 0;
  }
  InsertSheetHeader parsed{};
  parsed.number = static_cast<int32_t>(*numbers[0]);
  records::CopyText(parsed.name, fields[1]);
  records::CopyText(parsed.shortName, fields[2]);
  parsed.value = static_cast<int32_t>(*numbers[3]);
  for (int i = 0; i < 5; ++i) parsed.values[i] = static_cast<int32_t>(*numbers[4 + i]);
  *header = parsed;
  return 1;
}

int ReadInsertSheetRows(HANDLE printer, PageTicketRow* rows, int capacity, const char* section) {
  if (!section || (rows && capacity <= 0)) return 0;
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStoreUser, section);
  if (!keys) return 0;
  std::stable_sort(keys->begin(), keys->end(),
                   [](const std::string& a, const std::string& b) { return LeadingNumber(a) < LeadingNumber(b); });
  int count = 0;
  for (const std::string& key : *keys) {
    if (rows && count >= capacity) break;
    if (!records::KeyBeginsWithDigit(key.c_str())) continue;
    std::optional<std::string> value =
        records::ReadSettingText(printer, kStoreUser, section, key.c_str(), kValueBuffer);
    if (!value) continue;
    PageTicketRow row{};
    if (!ParseInsertSheetRow(&row, key.c_str(), value->c_str())) continue;
    if (rows) rows[count] = row;
    ++count;
  }
  return count;
}

int LoadInsertSheetSet(HANDLE printer, InsertSheetSet* set, const char* setName) {
  if (!set) return 0;
  std::memset(set->name, 0, sizeof set->name);
  set->header = InsertSheetHeader{};
  set->rowCount = 0;
  // The name is the section: one cut short would read another set.
  if (!setName || !*setName || std::strlen(setName) >= kInsertSheetSetNameSize) return 0;
  records::CopyText(set->name, setName);
  if (std::optional<std::string> header =
          records::ReadSettingText(printer, kStoreUser, setName, kHeaderKey, kValueBuffer))
    ParseInsertSheetHeader(&set->header, kHeaderKey, header->c_str());
  const int stored = ReadInsertSheetRows(printer, nullptr, 0, setName);
  if (!set->rows || stored == 0) return 0;
  set->rowCount = ReadInsertSheetRows(printer, set->rows, std::min(stored, kInsertSheetSetMaxRows), setName);
  return set->rowCount;
}
