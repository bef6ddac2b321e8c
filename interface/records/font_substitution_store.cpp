#include "interface/records/font_substitution_store.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/printer_info.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/text_cut.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr const char* kAccessedKey = "Accessed";
constexpr DWORD kValueBuffer = 1024;
constexpr size_t kStoredFaceMax = 255;

// The face of the font-list entry at index; empty when the index names none.
std::string_view PrinterFaceAt(const PclFontList* fonts, int32_t index) {
  if (!fonts || !fonts->entries || index < 0 || static_cast<DWORD>(index) >= fonts->count) return {};
  const PclFontEntry& entry = fonts->entries[index];
  const char* face = reinterpret_cast<const char*>(entry.metrics + kPclMetricsFaceOffset);
  return std::string_view(face, strnlen(face, kPclMetricsFaceSize));
}

// A printer handle of the same printer with full access, closed with the object.
class FullAccessPrinter {
 public:
  explicit FullAccessPrinter(HANDLE printer) {
    char name[260];
    GetPrinterNameCopy(printer, name, sizeof name);
    if (!name[0]) return;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(name, &handle_, &defaults)) handle_ = 0;
  }
  ~FullAccessPrinter() {
    if (handle_) ClosePrinter(handle_);
  }
  FullAccessPrinter(const FullAccessPrinter&) = delete;
  FullAccessPrinter& operator=(const FullAccessPrinter&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

// The row number of a key made only of digits; nothing for any other key.
std::optional<long> RowNumber(const std::string& key) {
  if (key.empty() || key.size() > 9) return std::nullopt;
  for (char c : key)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stol(key);
}

// The keys and texts of a section.
using SectionCopy = std::vector<std::pair<std::string, std::string>>;

// Every key of the section with its text; nothing when one cannot be read whole.
std::optional<SectionCopy> ReadSection(HANDLE printer, const std::string& section) {
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStorePrinterData, section.c_str());
  if (!keys) return std::nullopt;
  SectionCopy copy;
  for (const std::string& key : *keys) {
    std::optional<std::string> value =
        records::ReadSettingText(printer, kStorePrinterData, section.c_str(), key.c_str(), kValueBuffer);
    if (!value) return std::nullopt;
    copy.emplace_back(key, *value);
  }
  return copy;
}

// Puts the section back as it was copied: keys written since go, the copied
// texts are written again.
void RestoreSection(HANDLE printer, const std::string& section, const SectionCopy& copy) {
  const SettingsFunctions& settings = LibrarySettings();
  if (std::optional<std::vector<std::string>> keys =
          records::ListSectionKeys(printer, kStorePrinterData, section.c_str())) {
    for (const std::string& key : *keys) {
      const bool kept = std::any_of(copy.begin(), copy.end(), [&](const auto& entry) { return entry.first == key; });
      if (!kept) settings.DeleteData(printer, kStorePrinterData, section.c_str(), key.c_str());
    }
  }
  for (const auto& [key, value] : copy)
    settings.SetString(printer, kStorePrinterData, section.c_str(), key.c_str(), value.c_str());
}

}  // namespace

std::string FontSubstitutionSection(WORD pdl) {
  return IsPostScriptPdl(pdl) ? "FontSubstitutionPS" : "FontSubstitutionPCL";
}

int SaveFontSubstitution(HANDLE printer, const FontSubstitutionEntry* rows, int count, WORD pdl,
                         const PclFontList* fonts) {
  if (!printer || !fonts || count < 0 || (!rows && count > 0)) return 0;
  FullAccessPrinter full(printer);
  if (!full.get()) return 0;
  const SettingsFunctions& settings = LibrarySettings();
  const std::string section = FontSubstitutionSection(pdl);

  // The table as it stands, so that a save that fails part way can put it back:
  // a half-written table would pair faces of two tables.
  std::optional<SectionCopy> before = ReadSection(full.get(), section);
  if (!before) return 0;
  const auto undo = [&] {
    RestoreSection(full.get(), section, *before);
    return 0;
  };
  for (int i = 0; i < count; ++i) {
    std::string_view face = records::FieldText(rows[i].trueTypeFace);
    face = face.substr(0, platform::CutPoint(face, kStoredFaceMax));
    std::string value(face);
    value += ',';
    value.append(PrinterFaceAt(fonts, rows[i].printerFontIndex));
    const std::string key = std::to_string(i);
    if (settings.SetString(full.get(), kStorePrinterData, section.c_str(), key.c_str(), value.c_str()) != ERROR_SUCCESS)
      return undo();
  }
  if (settings.SetString(full.get(), kStorePrinterData, section.c_str(), kAccessedKey, "TRUE") != ERROR_SUCCESS)
    return undo();
  // The rows beyond the new table go once it is stored whole.
  for (const auto& [key, value] : *before) {
    if (platform::EqualsNoCaseAnsi(key, kAccessedKey)) continue;
    std::optional<long> row = RowNumber(key);
    if (row && *row < count && key == std::to_string(*row)) continue;
    const DWORD rc = settings.DeleteData(full.get(), kStorePrinterData, section.c_str(), key.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return undo();
  }
  return 1;
}

int LoadFontSubstitution(HANDLE printer, FontSubstitutionEntry* rows, int capacity, WORD pdl,
                         const PclFontList* fonts) {
  if (!printer || (rows && capacity <= 0)) return 0;
  const std::string section = FontSubstitutionSection(pdl);
  std::optional<std::vector<std::string>> keys = records::ListSectionKeys(printer, kStorePrinterData, section.c_str());
  if (!keys) return 0;
  if (keys->size() > static_cast<size_t>(kMaxFontSubstitutionKeys)) keys->resize(kMaxFontSubstitutionKeys);
  keys->erase(std::remove_if(keys->begin(), keys->end(),
                             [](const std::string& key) { return platform::EqualsNoCaseAnsi(key, kAccessedKey); }),
              keys->end());
  if (!rows) return static_cast<int>(keys->size());

  // Rows in the order of their numbers, whatever order the store keeps them in.
  std::stable_sort(keys->begin(), keys->end(), [](const std::string& a, const std::string& b) {
    std::optional<long> ra = RowNumber(a), rb = RowNumber(b);
    if (ra && rb) return *ra < *rb;
    return ra.has_value() && !rb.has_value();
  });
  int filled = 0;
  for (const std::string& key : *keys) {
    if (filled >= capacity) break;
    std::optional<std::string> value =
        records::ReadSettingText(printer, kStorePrinterData, section.c_str(), key.c_str(), kValueBuffer);
    if (!value) continue;
    if (ParseFontSubstitutionRecord(&rows[filled], key.c_str(), value->c_str(), fonts)) ++filled;
  }
  return filled;
}

int ParseFontSubstitutionRecord(FontSubstitutionEntry* row, const char* key, const char* value,
                                const PclFontList* fonts) {
  if (!row) return 0;
  std::memset(row, 0, sizeof *row);
  if (!records::KeyBeginsWithDigit(key) || !value) return 0;
  const std::string_view text(value);
  const size_t comma = text.rfind(',');
  if (comma == std::string_view::npos || comma == 0) return 0;
  const std::string_view face = text.substr(0, comma);
  if (face == kAccessedKey) return 0;
  const std::string printerFace(text.substr(comma + 1));
  records::CopyText(row->trueTypeFace, face);
  row->printerFontIndex = fonts ? FindFontFace(printerFace.c_str(), fonts) : -1;
  return 1;
}
