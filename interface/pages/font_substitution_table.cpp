#include "interface/pages/font_substitution_table.h"

#include <cstring>

#include "common/driver_escapes.h"
#include "common/font_substitution_defaults.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "interface/records/printer_info.h"
#include "interface/records/section_keys.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr DWORD kRefreshSubstitutionTable = 2;
constexpr size_t kRefreshBlockSize = 268;

}  // namespace

std::vector<FontSubstitutionEntry> BuildFontSubstitutionTable(HANDLE printer, WORD pdl, const PclFontList* fonts,
                                                              bool defaults) {
  std::vector<FontSubstitutionEntry> rows;
  const std::string section = FontSubstitutionSection(pdl);
  const auto accessed = records::ReadSettingText(printer, kStorePrinterData, section.c_str(), "Accessed", 16);
  if (!defaults && accessed && *accessed == "TRUE") {
    const int count = LoadFontSubstitution(printer, nullptr, 0, pdl, fonts);
    if (count <= 0) return rows;
    rows.resize(static_cast<size_t>(count));
    rows.resize(static_cast<size_t>(LoadFontSubstitution(printer, rows.data(), count, pdl, fonts)));
    return rows;
  }
  for (const FontSubstitutionDefaultRow& row : DefaultFontSubstitutionRows(pdl)) {
    const int index = FindFontFace(row.printerFace, fonts);
    if (index < 0) continue;
    FontSubstitutionEntry entry{};
    std::strncpy(entry.trueTypeFace, row.trueTypeFace, sizeof entry.trueTypeFace - 1);
    entry.printerFontIndex = index;
    rows.push_back(entry);
  }
  return rows;
}

int FindSubstitution(const char* face, const std::vector<FontSubstitutionEntry>& table) {
  if (!face) return -1;
  for (const FontSubstitutionEntry& row : table)
    if (std::strcmp(row.trueTypeFace, face) == 0) return row.printerFontIndex;
  return -1;
}

bool SendFontRefreshEscape(const char* printerName, WORD pdl) {
  if (!printerName || std::strlen(printerName) >= 260) return false;
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(printerName), &printer, nullptr)) return false;
  BYTE* info = GetPrinterInfo(printer, 2);
  ClosePrinter(printer);
  if (!info) return false;
  const auto* level2 = reinterpret_cast<const PRINTER_INFO_2A*>(info);
  XDEVMODE settings{};
  const bool whole = level2->pDevMode && level2->pDevMode->dmSize + level2->pDevMode->dmDriverExtra >= sizeof settings;
  if (whole) std::memcpy(&settings, level2->pDevMode, sizeof settings);
  FreePrinterInfo(info);
  if (!whole) return false;
  settings.dmPrivate._nPDL = pdl;
  HDC dc = CreateDCA("WINSPOOL", printerName, nullptr, reinterpret_cast<const DEVMODEA*>(&settings));
  if (!dc) return false;
  BYTE block[kRefreshBlockSize] = {};
  const DWORD action = kRefreshSubstitutionTable;
  std::memcpy(block, &action, sizeof action);
  std::memcpy(block + 4, printerName, std::strlen(printerName));
  std::memcpy(block + 264, &pdl, sizeof pdl);
  ExtEscape(dc, static_cast<int>(kEscFontListRefresh), sizeof block, reinterpret_cast<LPCSTR>(block), 0, nullptr);
  DeleteDC(dc);
  return true;
}
