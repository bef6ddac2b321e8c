// The document's table of TrueType faces printed with printer fonts: the rows
// the user saved for the printer (printer data "FontSubstitutionPS" or
// "FontSubstitutionPCL"), or, until the user has saved a table, the built-in
// rows whose printer face the printer has.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/font_substitution_defaults.h"
#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_font_names.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"

namespace {

constexpr DWORD kValueRead = 1024;
constexpr size_t kMaxUserRows = 300;

std::string SectionFor(WORD pdlKind) {
  return std::string("FontSubstitution") + ((pdlKind & kPdlPostScriptMask) ? "PS" : "PCL");
}

bool ReadValue(HANDLE printer, const std::string& section, const char* key, DWORD capacity, std::string* out) {
  std::vector<char> buffer(capacity + 1, '\0');
  DWORD size = capacity;
  if (GraphicsSettings().GetString(printer, kStorePrinterData, section.c_str(), key, buffer.data(), &size) !=
      ERROR_SUCCESS)
    return false;
  out->assign(buffer.data(), strnlen(buffer.data(), capacity));
  return true;
}

void CopyFace(char (&dst)[200], const std::string& face) {
  const size_t n = face.size() < sizeof dst - 1 ? face.size() : sizeof dst - 1;
  std::memcpy(dst, face.data(), n);
  dst[n] = '\0';
}

// The printer font a saved row names: by the face name of its metrics (as the
// settings pages store it), else by its family.
int FindPrinterFace(const std::string& face, const DeviceFontList* fonts) {
  if (fonts && fonts->entries) {
    for (DWORD i = 0; i < fonts->count; ++i) {
      char name[33];
      if (lstrcmpiA(DeviceFontFaceName(fonts->entries[i].metrics, name), face.c_str()) == 0) return static_cast<int>(i);
    }
  }
  return FindDeviceFontByName(face.c_str(), fonts);
}

// The saved rows, in the order of their row numbers.
std::vector<FontSubstitutionEntry> UserRows(HANDLE printer, const std::string& section, const DeviceFontList* fonts) {
  std::vector<std::pair<long, std::string>> keys;
  DBENUM* names = nullptr;
  if (GraphicsSettings().EnumOpen(printer, kStorePrinterData, section.c_str(), &names) != ERROR_SUCCESS) return {};
  for (;;) {
    char key[260] = {};
    DWORD size = sizeof key - 1;
    if (GraphicsSettings().EnumNext(names, key, &size) != ERROR_SUCCESS) break;
    if (key[0] < '0' || key[0] > '9') continue;
    keys.emplace_back(std::strtol(key, nullptr, 10), key);
    if (keys.size() >= kMaxUserRows) break;
  }
  GraphicsSettings().EnumClose(names);
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  std::vector<FontSubstitutionEntry> rows;
  for (const auto& [number, key] : keys) {
    std::string value;
    if (!ReadValue(printer, section, key.c_str(), kValueRead, &value)) continue;
    const size_t comma = value.rfind(',');
    if (comma == std::string::npos || comma == 0) continue;
    FontSubstitutionEntry row{};
    CopyFace(row.trueTypeFace, value.substr(0, comma));
    row.deviceFontIndex = static_cast<DWORD>(FindPrinterFace(value.substr(comma + 1), fonts));
    rows.push_back(row);
  }
  return rows;
}

std::vector<FontSubstitutionEntry> BuiltInRows(WORD pdlKind, const DeviceFontList* fonts) {
  std::vector<FontSubstitutionEntry> rows;
  for (const FontSubstitutionDefaultRow& built : DefaultFontSubstitutionRows(pdlKind)) {
    const int index = FindDeviceFontByName(built.printerFace, fonts);
    if (index < 0) continue;
    FontSubstitutionEntry row{};
    CopyFace(row.trueTypeFace, built.trueTypeFace);
    row.deviceFontIndex = static_cast<DWORD>(index);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

FontSubstitutionTable* BuildFontSubstitutionTable(HANDLE printer, const char* printerName, WORD pdlKind,
                                                  DeviceFontList* fonts, int reset) {
  const std::string section = SectionFor(pdlKind);
  std::string accessed;
  std::vector<FontSubstitutionEntry> rows;
  if (reset == 0 && ReadValue(printer, section, "Accessed", 16, &accessed) && accessed == "TRUE") {
    rows = UserRows(printer, section, fonts);
  } else {
    rows = BuiltInRows(pdlKind, fonts);
  }

  auto* table = static_cast<FontSubstitutionTable*>(GraphicsHeapAlloc(sizeof(FontSubstitutionTable)));
  if (!table) return nullptr;
  std::memset(table, 0, sizeof *table);
  if (printerName) {
    std::strncpy(table->printerName, printerName, sizeof table->printerName - 1);
    table->printerName[sizeof table->printerName - 1] = '\0';
  }
  table->pdlKind = pdlKind;
  if (!rows.empty()) {
    table->rows = static_cast<FontSubstitutionEntry*>(GraphicsHeapAlloc(rows.size() * sizeof(FontSubstitutionEntry)));
    if (!table->rows) {
      GraphicsHeapFree(table);
      return nullptr;
    }
    std::memcpy(table->rows, rows.data(), rows.size() * sizeof(FontSubstitutionEntry));
    table->rowCount = static_cast<DWORD>(rows.size());
  }
  return table;
}

int FindFontSubstitution(const char* trueTypeFace, const FontSubstitutionTable* table) {
  if (!trueTypeFace || !table || !table->rows) return -1;
  for (DWORD i = 0; i < table->rowCount; ++i) {
    if (std::strcmp(table->rows[i].trueTypeFace, trueTypeFace) == 0)
      return static_cast<int>(static_cast<int32_t>(table->rows[i].deviceFontIndex));
  }
  return -1;
}
