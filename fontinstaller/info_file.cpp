// The printer information file shared by several PCs, the parsers of its entries
// and the change operations that keep the stores and the file in step.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "fontinstaller/file_names.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/printer_access.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/global_memory.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"

using namespace fontinstaller;

namespace {

constexpr DWORD kInfoPathBuffer = 261;
constexpr int kEnumKeySize = 64;
constexpr int kEnumValueSize = 1024;

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The id of an entry key: after an optional prefix, leading blanks and tabs and
// one "+", nothing but decimal digits, within PCL's id range. "17abc" is no key of
// an entry, and neither is an id a printer cannot take.
bool ParseEntryId(const char* key, const char* prefix, int32_t* id) {
  if (!key) return false;
  const size_t prefixLength = std::strlen(prefix);
  if (std::strncmp(key, prefix, prefixLength) == 0) key += prefixLength;
  const char* text = key;
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '+') ++text;
  if (*text < '0' || *text > '9') return false;
  long value = 0;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
    value = value * 10 + (*text - '0');
    if (!IsPclId(value)) return false;
  }
  *id = static_cast<int32_t>(value);
  return true;
}

std::string FontText(const InstalledFontEntry& e) {
  return fontrecord::FormatRecordText(static_cast<long>(e.flags),
                                      std::string(e.pfmFileName, strnlen(e.pfmFileName, sizeof e.pfmFileName)),
                                      std::string(e.fontFilePath, strnlen(e.fontFilePath, sizeof e.fontFilePath)));
}

std::string MacroText(const InstalledMacroEntry& e) {
  return fontrecord::FormatRecordText(static_cast<long>(e.flags), std::string(e.name, strnlen(e.name, sizeof e.name)),
                                      std::string(e.filePath, strnlen(e.filePath, sizeof e.filePath)));
}

std::string Pfm(const InstalledFontEntry& e) {
  return std::string(e.pfmFileName, strnlen(e.pfmFileName, sizeof e.pfmFileName));
}

std::string InfoFilePathOf(HWND owner, const char* printerName) {
  char path[512] = {};
  if (!GetInfoFile(owner, printerName, path, sizeof path)) return {};
  return path;
}

// Advances the file's counter of the section and the printer-data counter of the kind.
void AdvanceChangeCounters(const char* printerName, int kind, const std::string& infoFile, const char* section) {
  if (!infoFile.empty()) {
    const long old = static_cast<long>(GetPrivateProfileIntA(section, "ChangeCounter", 0, infoFile.c_str()));
    const std::string next = std::to_string((old + 1) % kChangeCounterModulus);
    WritePrivateProfileStringA(section, "ChangeCounter", next.c_str(), infoFile.c_str());
  }
  const long old = ReadChangeCounter(printerName, kind);
  WriteChangeCounter(printerName, kind, static_cast<DWORD>(((old < 0 ? 0 : old) + 1) % kChangeCounterModulus));
}

// The numeric keys of a section that the parser accepts, with their values;
// nothing unless the section was read whole and holds its change counter. An empty
// or unreadable file is not a file whose lists are empty.
template <class Entry, class Parse>
std::optional<std::vector<std::pair<Entry, std::string>>> FileEntries(const std::string& infoFile, const char* section,
                                                                      Parse parse) {
  char counter[32] = {};
  GetPrivateProfileStringA(section, "ChangeCounter", "", counter, sizeof counter, infoFile.c_str());
  if (counter[0] == '\0') return std::nullopt;
  HGLOBAL enumeration = InitEnumIniEntries(infoFile.c_str(), section);
  if (!enumeration) return std::nullopt;
  std::vector<std::pair<Entry, std::string>> entries;
  char key[kEnumKeySize];
  char value[kEnumValueSize];
  while (EnumIniEntries(enumeration, key, sizeof key, value, sizeof value)) {
    if (key[0] == '\0') continue;
    const std::string text = value;
    Entry entry{};
    if (parse(key, value, &entry)) entries.emplace_back(entry, text);
  }
  EndEnumIniEntries(enumeration);
  return entries;
}

template <class Entry>
void MirrorPrinterDiskList(const char* printerName, int kind,
                           const std::vector<std::pair<Entry, std::string>>& inFile) {
  std::set<int32_t> wanted;
  for (const auto& [entry, text] : inFile) wanted.insert(entry.id);
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return;
  std::optional<std::string> list =
      ReadPrinterString(printer.get(), kind == kKindFonts ? "PCLFontDisk_List" : "MacroDisk_List");
  if (!list) return;
  std::vector<std::string> gone;
  size_t start = 0;
  while (start < list->size()) {
    size_t end = list->find(';', start);
    if (end == std::string::npos) end = list->size();
    const std::string token = list->substr(start, end - start);
    start = end + 1;
    if (token.empty() || !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (!wanted.count(static_cast<int32_t>(std::atol(token.c_str())))) gone.push_back(token);
  }
  for (const std::string& id : gone) RemoveRecord(printerName, kind, id, kLocationPrinterDisk);
}

}  // namespace

namespace fontinstaller {

int SyncInfoFile(HWND owner, const char* printerName, DWORD flags) {
  if ((flags & kFlagSharedInfoFile) == 0 || (flags & kFlagChooseInfoFile) == 0) return 1;
  const std::string infoFile = InfoFilePathOf(owner, printerName);
  if (infoFile.empty()) return 1;
  if ((flags & kFlagsMayChange) == 0) return 0;

  int result = 1;
  const auto fonts = FileEntries<InstalledFontEntry>(
      infoFile, "Fonts",
      [](const char* key, char* value, InstalledFontEntry* e) { return parseFontIniEntry(key, value, e) == 1; });
  if (fonts) {
    for (const auto& [entry, text] : *fonts) {
      const std::string id = std::to_string(entry.id);
      // An id already recorded takes the file's text: another PC changed it.
      if (!AddFontRecord(printerName, id, text, kLocationPrinterDisk, Pfm(entry))) {
        ReplaceFontRecord(printerName, id, text, kLocationPrinterDisk, Pfm(entry));
      }
    }
    // Entries another PC removed from the file go here too.
    MirrorPrinterDiskList(printerName, kKindFonts, *fonts);
    WriteChangeCounter(printerName, kKindFonts, GetPrivateProfileIntA("Fonts", "ChangeCounter", 0, infoFile.c_str()));
  } else {
    result = 0;
  }

  const auto macros = FileEntries<InstalledMacroEntry>(
      infoFile, "Macros",
      [](const char* key, char* value, InstalledMacroEntry* e) { return parseMacroIniEntry(key, value, e) == 1; });
  if (macros) {
    for (const auto& [entry, text] : *macros) {
      const std::string id = std::to_string(entry.id);
      if (!AddMacroRecord(printerName, id, text, kLocationPrinterDisk)) {
        ReplaceMacroRecord(printerName, id, text, kLocationPrinterDisk);
      }
    }
    MirrorPrinterDiskList(printerName, kKindMacros, *macros);
    WriteChangeCounter(printerName, kKindMacros, GetPrivateProfileIntA("Macros", "ChangeCounter", 0, infoFile.c_str()));
  } else {
    result = 0;
  }
  return result;
}

}  // namespace fontinstaller

int GetInfoFile(HWND owner, LPCSTR printerName, char* path, int pathSize) {
  if (path && pathSize > 0) path[0] = '\0';
  if (!path || pathSize <= 0) return 0;
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return 0;
  std::optional<std::string> model = ReadModelName(printer.get());
  if (!model) return 0;
  char stored[kInfoPathBuffer] = {};
  DWORD size = sizeof stored;
  if (InstallerSettings().GetString(0, kStoreUserMacros, HostSection(*model).c_str(), "Global", stored, &size) !=
          ERROR_SUCCESS ||
      stored[0] == '\0') {
    return 0;  // no file chosen: nothing is missing
  }
  const std::string file(stored, strnlen(stored, sizeof stored));
  if (!FileExists(file)) {
    const std::string text = "Cannot open file: " + file;
    MessageBoxA(owner, text.c_str(), "Printer Information File", MB_OK | MB_ICONWARNING);
    return 0;
  }
  std::strncpy(path, file.c_str(), static_cast<size_t>(pathSize) - 1);
  path[pathSize - 1] = '\0';
  return path[0] != '\0' ? 1 : 0;
}

int parseFontIniEntry(LPCSTR key, LPSTR value, InstalledFontEntry* entry) {
  if (!key || !value || !entry) return 0;
  int32_t id = 0;
  if (!ParseEntryId(key, "PCLFontMem_", &id)) return 0;
  std::optional<fontrecord::RecordText> text = fontrecord::ParseRecordText(value);
  // Flags are a DWORD: a negative number would wrap into every flag at once.
  if (!text || text->flags < 0) return 0;
  // The metrics file name comes from a file other users write: only a plain name
  // may reach the metrics folders.
  const std::string pfm = FileNamePart(text->metricsFileName);
  if (!IsPlainRecordFileName(pfm)) return 0;
  entry->id = id;
  entry->flags = static_cast<DWORD>(text->flags);
  CopyField(entry->pfmFileName, pfm.c_str());
  CopyField(entry->fontFilePath, text->fontFilePath.c_str());
  return 1;
}

int parseMacroIniEntry(LPCSTR key, LPSTR value, InstalledMacroEntry* entry) {
  if (!key || !value || !entry) return 0;
  int32_t id = 0;
  if (!ParseEntryId(key, "MacroMem_", &id)) return 0;
  std::optional<fontrecord::RecordText> text = fontrecord::ParseRecordText(value);
  if (!text || text->flags < 0) return 0;
  entry->id = id;
  entry->flags = static_cast<DWORD>(text->flags);
  CopyField(entry->name, text->metricsFileName.c_str());
  CopyField(entry->filePath, text->fontFilePath.c_str());
  return 1;
}

int parseCartIniEntry(LPCSTR key, LPCSTR value, InstalledFontEntry* entry) {
  if (!key || !value || !entry) return 0;
  for (int i = 0; i < 9; ++i) {
    if (key[i] == '\0' || std::tolower(static_cast<unsigned char>(key[i])) != "cartridge"[i]) return 0;
  }
  int32_t id = 0;
  if (!ParseEntryId(key + 9, "", &id)) return 0;
  entry->id = id;
  CopyField(entry->fontFilePath, value);
  const std::string path(entry->fontFilePath);
  CopyField(entry->pfmFileName, FileNamePart(path).c_str());
  entry->location = kLocationCartridge;
  return 1;
}

int UpdateInfoFont(HWND owner, LPSTR printerName, InstalledFontEntry* entry, InstalledFontEntry* newEntry,
                   int operation, DWORD flags) {
  if (!entry || !IsPclId(entry->id)) return 0;
  std::string infoFile;
  const bool shared = entry->location == kLocationPrinterDisk && (flags & kFlagSharedInfoFile) != 0;
  if (shared) {
    infoFile = InfoFilePathOf(owner, printerName);
    if (infoFile.empty()) return 0;
  }
  const char* section = "Fonts";
  const bool cartridge = entry->location == kLocationCartridge;
  const std::string id = std::to_string(entry->id);
  const std::string key = cartridge ? "Cartridge" + id : id;
  int result = 0;
  switch (operation) {
    case kUpdateMemoryMark: {
      if (!newEntry) return 0;
      if (newEntry->flags & kEntryInMemory) return SetMemoryMark(printerName, kKindFonts, id, FontText(*newEntry));
      return RemoveMemoryMark(printerName, kKindFonts, id);
    }
    case kUpdateAdd: {
      const std::string text =
          cartridge ? std::string(entry->fontFilePath, strnlen(entry->fontFilePath, sizeof entry->fontFilePath))
                    : FontText(*entry);
      result = AddFontRecord(printerName, key, text, entry->location, Pfm(*entry));
      if (result && shared) WritePrivateProfileStringA(section, key.c_str(), text.c_str(), infoFile.c_str());
      break;
    }
    case kUpdateRemove:
      result = RemoveRecord(printerName, kKindFonts, key, entry->location);
      if (result && shared) WritePrivateProfileStringA(section, key.c_str(), nullptr, infoFile.c_str());
      if (!cartridge) RemoveMemoryMark(printerName, kKindFonts, id);
      break;
    case kUpdateRemoveMark: result = RemoveMemoryMark(printerName, kKindFonts, id); break;
    case kUpdateChange: {
      if (!newEntry || !IsPclId(newEntry->id)) return 0;
      const std::string newId = std::to_string(newEntry->id);
      const std::string text = FontText(*newEntry);
      const bool samePlace = newEntry->id == entry->id && newEntry->location == entry->location;
      if (samePlace) {
        // An edit that keeps the id rewrites the record; the font is still where it was.
        result = ReplaceFontRecord(printerName, newId, text, newEntry->location, Pfm(*newEntry));
      } else {
        result = AddFontRecord(printerName, newId, text, newEntry->location, Pfm(*newEntry));
      }
      if (result && shared) WritePrivateProfileStringA(section, newId.c_str(), text.c_str(), infoFile.c_str());
      if (result && !samePlace) {
        RemoveRecord(printerName, kKindFonts, id, entry->location);
        // Left in the file, the old key would come back on every other PC.
        if (shared && newId != id) WritePrivateProfileStringA(section, id.c_str(), nullptr, infoFile.c_str());
        if (HasMemoryMark(printerName, kKindFonts, id)) RemoveMemoryMark(printerName, kKindFonts, id);
      }
      break;
    }
    default: return 0;
  }
  // The counters tell other PCs of a change: a change that failed is none.
  if (shared && result) {
    AdvanceChangeCounters(printerName, kKindFonts, infoFile, section);
    SyncInfoFile(owner, printerName, flags);
  }
  return result;
}

int UpdateInfoMacro(HWND owner, LPSTR printerName, InstalledMacroEntry* entry, InstalledMacroEntry* newEntry,
                    int operation, DWORD flags) {
  if (!entry || !IsPclId(entry->id)) return 0;
  std::string infoFile;
  const bool shared = entry->location == kLocationPrinterDisk && (flags & kFlagSharedInfoFile) != 0;
  if (shared) {
    infoFile = InfoFilePathOf(owner, printerName);
    if (infoFile.empty()) return 0;
  }
  const char* section = "Macros";
  const std::string id = std::to_string(entry->id);
  int result = 0;
  switch (operation) {
    case kUpdateMemoryMark: {
      if (!newEntry) return 0;
      if (newEntry->flags & kEntryInMemory) return SetMemoryMark(printerName, kKindMacros, id, MacroText(*newEntry));
      return RemoveMemoryMark(printerName, kKindMacros, id);
    }
    case kUpdateAdd: {
      const std::string text = MacroText(*entry);
      result = AddMacroRecord(printerName, id, text, entry->location);
      if (result && shared) WritePrivateProfileStringA(section, id.c_str(), text.c_str(), infoFile.c_str());
      break;
    }
    case kUpdateRemove:
      result = RemoveRecord(printerName, kKindMacros, id, entry->location);
      if (result && shared) WritePrivateProfileStringA(section, id.c_str(), nullptr, infoFile.c_str());
      // A later macro of the same id must not show as loaded.
      RemoveMemoryMark(printerName, kKindMacros, id);
      break;
    case kUpdateRemoveMark: result = RemoveMemoryMark(printerName, kKindMacros, id); break;
    case kUpdateChange: {
      if (!newEntry || !IsPclId(newEntry->id)) return 0;
      const std::string newId = std::to_string(newEntry->id);
      const std::string text = MacroText(*newEntry);
      const bool samePlace = newEntry->id == entry->id && newEntry->location == entry->location;
      result = samePlace ? ReplaceMacroRecord(printerName, newId, text, newEntry->location)
                         : AddMacroRecord(printerName, newId, text, newEntry->location);
      if (result && shared) WritePrivateProfileStringA(section, newId.c_str(), text.c_str(), infoFile.c_str());
      if (result && !samePlace) {
        RemoveRecord(printerName, kKindMacros, id, entry->location);
        if (shared && newId != id) WritePrivateProfileStringA(section, id.c_str(), nullptr, infoFile.c_str());
        if (HasMemoryMark(printerName, kKindMacros, id)) RemoveMemoryMark(printerName, kKindMacros, id);
      }
      break;
    }
    default: return 0;
  }
  // The counters tell other PCs of a change: a change that failed is none.
  if (shared && result) {
    AdvanceChangeCounters(printerName, kKindMacros, infoFile, section);
    SyncInfoFile(owner, printerName, flags);
  }
  return result;
}
