#include "fontinstaller/installed_store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "fontinstaller/file_names.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/printer_access.h"
#include "fontinstaller/soft_font_files.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/shell/folders.h"
#include "platform/spooler/spooler.h"

namespace fontinstaller {

namespace {

struct KindNames {
  int storeKind;            // per-user store of the PC-disk list
  const char* record;       // PC-disk record key prefix
  const char* count;        // count key / value (both stores)
  const char* list;         // PC-disk list key
  const char* mark;         // memory mark prefix
  const char* diskRecord;   // printer-disk value prefix
  const char* diskList;     // printer-disk list value
  const char* counter;      // printer-data change counter
  const char* infoSection;  // information file section
};

const KindNames& Names(int kind) {
  static const KindNames fonts{kStoreUserFonts, "PCLFont_",     "PCLFont_Number",   "PCLFont_List",
                               "PCLFontMem_",   "PCLFontDisk_", "PCLFontDisk_List", "PCLFontDisk_ChangeCounter",
                               "Fonts"};
  static const KindNames macros{kStoreUserMacros, "Macro_",     "Macro_Number",   "Macro_List",
                                "MacroMem_",      "MacroDisk_", "MacroDisk_List", "MacroDisk_ChangeCounter",
                                "Macros"};
  return kind == kKindMacros ? macros : fonts;
}

std::vector<std::string> ListTokens(const std::string& list) {
  std::vector<std::string> tokens;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) tokens.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

// The ids of a list that are decimal numbers of 0 or more.
std::vector<int32_t> NumericIds(const std::string& list) {
  std::vector<int32_t> ids;
  for (const std::string& token : ListTokens(list)) {
    if (token.empty() || token.size() > 9) continue;
    if (!std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    ids.push_back(static_cast<int32_t>(std::atol(token.c_str())));
  }
  return ids;
}

std::string MetricsFolder(int32_t location) {
  char folder[MAX_PATH] = {};
  const int32_t which = location == kLocationPcDisk ? kFolderUserPclFonts : kFolderPclDiskFonts;
  if (InstallerSettings().GetPath(which, folder, sizeof folder) != ERROR_SUCCESS) return {};
  return std::string(folder, strnlen(folder, sizeof folder));
}

// The text and the whole metrics file of a font record; nothing when the names
// would not read back as written or the metrics file cannot be read.
std::optional<std::vector<BYTE>> FontRecordBytes(std::string recordText, int32_t location,
                                                 const std::string& pfmFileName) {
  if (recordText.empty() || recordText.back() != ';') recordText += ';';
  // The record is split at its first ";": one inside the text would cut it short.
  if (recordText.find(';') != recordText.size() - 1) return std::nullopt;
  if (!IsPlainRecordFileName(pfmFileName)) return std::nullopt;
  const std::string folder = MetricsFolder(location);
  if (folder.empty()) return std::nullopt;
  std::optional<std::vector<uint8_t>> metrics = ReadWholeFile((folder + "\\" + pfmFileName).c_str());
  // Stored, a cut, empty, mistagged or overlong metrics file would hold an id and
  // a count for a font no reader can use.
  if (!metrics) return std::nullopt;
  std::optional<fontrecord::MetricsBlock> block = fontrecord::MetricsBlock::FromBytes(metrics->data(), metrics->size());
  if (!block || !block->IsValid()) return std::nullopt;
  std::vector<BYTE> bytes(recordText.begin(), recordText.end());
  bytes.insert(bytes.end(), metrics->begin(), metrics->end());
  return bytes;
}

// Appends the id to a list value and raises its count, in the per-user store.
bool AppendToUserList(const KindNames& names, const std::string& section, const std::string& idText) {
  const SettingsFunctions& s = InstallerSettings();
  DWORD count = 0;
  if (s.GetDword(0, names.storeKind, section.c_str(), names.count, &count) != ERROR_SUCCESS) count = 0;
  s.SetDword(0, names.storeKind, section.c_str(), names.count, count + 1);
  DWORD error = 0;
  std::optional<std::string> list = ReadStoreString(0, names.storeKind, section, names.list, &error);
  // A list that exists but could not be read must not be replaced by this id alone.
  if (!list && !IsAbsentError(error)) return false;
  const std::string updated = list.value_or("") + idText + ";";
  return s.SetString(0, names.storeKind, section.c_str(), names.list, updated.c_str()) == ERROR_SUCCESS;
}

bool AppendToPrinterList(const KindNames& names, HANDLE printer, const std::string& idText) {
  const DWORD count = ReadPrinterDword(printer, names.count).value_or(0);
  if (WritePrinterDword(printer, names.count, count + 1) != ERROR_SUCCESS) return false;
  DWORD error = 0;
  std::optional<std::vector<BYTE>> raw = ReadPrinterValue(printer, names.diskList, nullptr, &error);
  if (!raw && !IsAbsentError(error)) return false;
  std::string list;
  if (raw)
    list.assign(reinterpret_cast<const char*>(raw->data()),
                strnlen(reinterpret_cast<const char*>(raw->data()), raw->size()));
  return WritePrinterString(printer, names.diskList, list + idText + ";") == ERROR_SUCCESS;
}

bool ValidIdText(const std::string& idText) {
  return !idText.empty() && idText.find(';') == std::string::npos && idText.find('\\') == std::string::npos;
}

}  // namespace

std::string RemoveIdFromList(const std::string& list, const std::string& id) {
  std::string out;
  for (const std::string& token : ListTokens(list)) {
    if (token != id) out += token + ";";
  }
  return out;
}

bool IsPlainRecordFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  // A double-byte character may end in 0x5C: only whole characters count.
  for (char c : {'\\', '/', ':', ',', ';', ' ', '\t'}) {
    if (platform::FindFirstCharAnsi(name, c) != std::string::npos) return false;
  }
  return true;
}

int AddFontRecord(const char* printerName, const std::string& idText, std::string recordText, int32_t location,
                  const std::string& pfmFileName) {
  if (!ValidIdText(idText)) return 0;
  std::optional<std::vector<BYTE>> bytes = FontRecordBytes(std::move(recordText), location, pfmFileName);
  if (!bytes) return 0;
  const KindNames& names = Names(kKindFonts);
  if (location == kLocationPcDisk) {
    OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
    if (!printer) return 0;
    std::optional<std::string> model = ReadModelName(printer.get());
    if (!model) return 0;
    const std::string section = HostSection(*model);
    const std::string key = names.record + idText;
    DWORD error = 0;
    // Only a record that is not there is written; one too long for a first read is there.
    if (ReadStoreData(0, names.storeKind, section, key, &error) || !IsAbsentError(error)) return 0;
    if (InstallerSettings().SetData(0, names.storeKind, section.c_str(), key.c_str(), bytes->data(),
                                    static_cast<DWORD>(bytes->size())) != ERROR_SUCCESS) {
      return 0;
    }
    return AppendToUserList(names, section, idText) ? 1 : 0;
  }
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  const std::string value = names.diskRecord + idText;
  DWORD error = 0;
  if (ReadPrinterValue(printer.get(), value, nullptr, &error) || !IsAbsentError(error)) return 0;
  // Without the right to administer the printer nothing else changes either.
  if (WritePrinterBinary(printer.get(), value, *bytes) != ERROR_SUCCESS) return 0;
  return AppendToPrinterList(names, printer.get(), idText) ? 1 : 0;
}

int AddMacroRecord(const char* printerName, const std::string& idText, const std::string& recordText,
                   int32_t location) {
  if (!ValidIdText(idText)) return 0;
  const KindNames& names = Names(kKindMacros);
  if (location == kLocationPcDisk) {
    OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
    if (!printer) return 0;
    std::optional<std::string> model = ReadModelName(printer.get());
    if (!model) return 0;
    const std::string section = HostSection(*model);
    const std::string key = names.record + idText;
    DWORD error = 0;
    if (ReadStoreString(0, names.storeKind, section, key, &error) || !IsAbsentError(error)) return 0;
    if (InstallerSettings().SetString(0, names.storeKind, section.c_str(), key.c_str(), recordText.c_str()) !=
        ERROR_SUCCESS) {
      return 0;
    }
    return AppendToUserList(names, section, idText) ? 1 : 0;
  }
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  const std::string value = names.diskRecord + idText;
  DWORD error = 0;
  if (ReadPrinterValue(printer.get(), value, nullptr, &error) || !IsAbsentError(error)) return 0;
  if (WritePrinterString(printer.get(), value, recordText) != ERROR_SUCCESS) return 0;
  return AppendToPrinterList(names, printer.get(), idText) ? 1 : 0;
}

int ReplaceFontRecord(const char* printerName, const std::string& idText, std::string recordText, int32_t location,
                      const std::string& pfmFileName) {
  if (!ValidIdText(idText)) return 0;
  std::optional<std::vector<BYTE>> bytes = FontRecordBytes(std::move(recordText), location, pfmFileName);
  if (!bytes) return 0;
  const KindNames& names = Names(kKindFonts);
  if (location == kLocationPcDisk) {
    OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
    if (!printer) return 0;
    std::optional<std::string> model = ReadModelName(printer.get());
    if (!model) return 0;
    const std::string section = HostSection(*model);
    const std::string key = names.record + idText;
    // Only a record that is there is replaced; lists and count stay as they are.
    if (!ReadStoreData(0, names.storeKind, section, key)) return 0;
    return InstallerSettings().SetData(0, names.storeKind, section.c_str(), key.c_str(), bytes->data(),
                                       static_cast<DWORD>(bytes->size())) == ERROR_SUCCESS
               ? 1
               : 0;
  }
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  if (!ReadPrinterValue(printer.get(), names.diskRecord + idText)) return 0;
  return WritePrinterBinary(printer.get(), names.diskRecord + idText, *bytes) == ERROR_SUCCESS ? 1 : 0;
}

int ReplaceMacroRecord(const char* printerName, const std::string& idText, const std::string& recordText,
                       int32_t location) {
  if (!ValidIdText(idText)) return 0;
  const KindNames& names = Names(kKindMacros);
  if (location == kLocationPcDisk) {
    OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
    if (!printer) return 0;
    std::optional<std::string> model = ReadModelName(printer.get());
    if (!model) return 0;
    const std::string key = names.record + idText;
    if (!ReadStoreString(0, names.storeKind, HostSection(*model), key)) return 0;
    return InstallerSettings().SetString(0, names.storeKind, HostSection(*model).c_str(), key.c_str(),
                                         recordText.c_str()) == ERROR_SUCCESS
               ? 1
               : 0;
  }
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  if (!ReadPrinterValue(printer.get(), names.diskRecord + idText)) return 0;
  return WritePrinterString(printer.get(), names.diskRecord + idText, recordText) == ERROR_SUCCESS ? 1 : 0;
}

int RemoveRecord(const char* printerName, int kind, const std::string& idText, int32_t location) {
  const KindNames& names = Names(kind);
  if (location == kLocationPcDisk) {
    OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
    if (!printer) return 0;
    std::optional<std::string> model = ReadModelName(printer.get());
    if (!model) return 0;
    const SettingsFunctions& s = InstallerSettings();
    const std::string section = HostSection(*model);
    // The count counts records: only a record that was there lowers it.
    const bool existed =
        s.DeleteData(0, names.storeKind, section.c_str(), (names.record + idText).c_str()) == ERROR_SUCCESS;
    if (existed) {
      DWORD count = 0;
      if (s.GetDword(0, names.storeKind, section.c_str(), names.count, &count) != ERROR_SUCCESS) count = 0;
      s.SetDword(0, names.storeKind, section.c_str(), names.count, count > 0 ? count - 1 : 0);
    }
    DWORD error = 0;
    std::optional<std::string> list = ReadStoreString(0, names.storeKind, section, names.list, &error);
    if (!list && !IsAbsentError(error)) return 0;
    const std::string updated = RemoveIdFromList(list.value_or(""), idText);
    const bool listed = updated != list.value_or("");
    // Removing what was never there is no change, and not reported as one.
    if (!existed && !listed) return 0;
    return s.SetString(0, names.storeKind, section.c_str(), names.list, updated.c_str()) == ERROR_SUCCESS ? 1 : 0;
  }
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  std::string value = names.diskRecord + idText;
  const bool existed = DeletePrinterDataA(printer.get(), value.data()) == ERROR_SUCCESS;
  if (existed) {
    const DWORD count = ReadPrinterDword(printer.get(), names.count).value_or(0);
    WritePrinterDword(printer.get(), names.count, count > 0 ? count - 1 : 0);
  }
  DWORD error = 0;
  std::optional<std::vector<BYTE>> raw = ReadPrinterValue(printer.get(), names.diskList, nullptr, &error);
  if (!raw && !IsAbsentError(error)) return 0;
  std::string list;
  if (raw)
    list.assign(reinterpret_cast<const char*>(raw->data()),
                strnlen(reinterpret_cast<const char*>(raw->data()), raw->size()));
  const std::string updated = RemoveIdFromList(list, idText);
  if (!existed && updated == list) return 0;
  return WritePrinterString(printer.get(), names.diskList, updated) == ERROR_SUCCESS ? 1 : 0;
}

int ClearPrinterDiskList(const char* printerName, int kind) {
  const KindNames& names = Names(kind);
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  DWORD count = ReadPrinterDword(printer.get(), names.count).value_or(0);
  std::optional<std::string> list = ReadPrinterString(printer.get(), names.diskList);
  if (list) {
    for (const std::string& id : ListTokens(*list)) {
      std::string value = names.diskRecord + id;
      if (DeletePrinterDataA(printer.get(), value.data()) == ERROR_SUCCESS && count > 0) --count;
    }
    std::string listName = names.diskList;
    DeletePrinterDataA(printer.get(), listName.data());
  }
  return WritePrinterDword(printer.get(), names.count, count) == ERROR_SUCCESS ? 1 : 0;
}

namespace {

std::optional<std::string> SectionOf(const char* printerName) {
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return std::nullopt;
  std::optional<std::string> model = ReadModelName(printer.get());
  if (!model) return std::nullopt;
  return HostSection(*model);
}

}  // namespace

int SetMemoryMark(const char* printerName, int kind, const std::string& idText, const std::string& text) {
  std::optional<std::string> section = SectionOf(printerName);
  if (!section) return 0;
  const KindNames& names = Names(kind);
  const std::string key = names.mark + idText;
  return InstallerSettings().SetString(0, names.storeKind, section->c_str(), key.c_str(), text.c_str()) == ERROR_SUCCESS
             ? 1
             : 0;
}

int RemoveMemoryMark(const char* printerName, int kind, const std::string& idText) {
  std::optional<std::string> section = SectionOf(printerName);
  if (!section) return 0;
  const KindNames& names = Names(kind);
  const std::string key = names.mark + idText;
  return InstallerSettings().DeleteData(0, names.storeKind, section->c_str(), key.c_str()) == ERROR_SUCCESS ? 1 : 0;
}

bool HasMemoryMark(const char* printerName, int kind, const std::string& idText) {
  std::optional<std::string> section = SectionOf(printerName);
  if (!section) return false;
  const KindNames& names = Names(kind);
  DWORD error = 0;
  return ReadStoreString(0, names.storeKind, *section, names.mark + idText, &error).has_value() ||
         !IsAbsentError(error);
}

long ReadChangeCounter(const char* printerName, int kind) {
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return -1;
  std::optional<DWORD> value = ReadPrinterDword(printer.get(), Names(kind).counter);
  return value ? static_cast<long>(*value) : -1;
}

int WriteChangeCounter(const char* printerName, int kind, DWORD value) {
  OpenedPrinter printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer) return 0;
  return WritePrinterDword(printer.get(), Names(kind).counter, value) == ERROR_SUCCESS ? 1 : 0;
}

int SetInfoFilePath(const char* printerName, const char* path) {
  std::optional<std::string> section = SectionOf(printerName);
  if (!section) return 0;
  const SettingsFunctions& s = InstallerSettings();
  if (!path || !*path) {
    const DWORD rc = s.DeleteData(0, kStoreUserMacros, section->c_str(), "Global");
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
  }
  return s.SetString(0, kStoreUserMacros, section->c_str(), "Global", path) == ERROR_SUCCESS ? 1 : 0;
}

std::string ReadRememberedFolder(const char* key) {
  if (key) {
    std::optional<std::string> folder = ReadStoreString(0, kStoreUser, "FolderPath", key);
    if (folder && !folder->empty()) return *folder;
  }
  char documents[MAX_PATH] = {};
  if (SHGetFolderPathA(0, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, 0, 0, documents) != 0) return {};
  return documents;
}

int RememberFolder(const char* key, const char* folder) {
  if (!key || !folder) return 0;
  return InstallerSettings().SetString(0, kStoreUser, "FolderPath", key, folder) == ERROR_SUCCESS ? 1 : 0;
}

namespace {

bool FillFontEntry(const std::vector<BYTE>& stored, int32_t id, InstalledFontEntry& entry) {
  std::optional<fontrecord::InstalledFontRecord> record =
      fontrecord::ReadInstalledFontRecord(stored.data(), stored.size());
  if (!record || record->text.flags < 0) return false;
  entry = InstalledFontEntry{};
  entry.id = id;
  entry.flags = static_cast<DWORD>(record->text.flags);
  CopyField(entry.pfmFileName, FileNamePart(record->text.metricsFileName).c_str());
  CopyField(entry.fontFilePath, record->text.fontFilePath.c_str());
  const std::string name = record->metrics.FaceName().substr(0, 16);
  CopyField(entry.fontName, name.c_str());
  entry.pointSize = record->metrics.U16(fontrecord::offset::kPointSize);
  entry.bold = record->metrics.U16(fontrecord::offset::kWeight) > 400 ? 1 : 0;
  entry.italic = record->metrics.I16(fontrecord::offset::kItalic) > 0 ? 1 : 0;
  entry.family = record->metrics.U8(fontrecord::offset::kPitchAndFamily);
  entry.orientation = 0;
  return true;
}

bool FillMacroEntry(const std::string& text, int32_t id, InstalledMacroEntry& entry) {
  std::optional<fontrecord::RecordText> record = fontrecord::ParseRecordText(text);
  if (!record || record->flags < 0) return false;
  entry = InstalledMacroEntry{};
  entry.id = id;
  entry.flags = static_cast<DWORD>(record->flags);
  CopyField(entry.name, record->metricsFileName.c_str());
  CopyField(entry.filePath, record->fontFilePath.c_str());
  return true;
}

}  // namespace

void AddListEntry(std::vector<InstalledFontEntry>& list, const InstalledFontEntry& entry) {
  for (InstalledFontEntry& present : list) {
    if (present.location == entry.location &&
        std::strncmp(present.fontFilePath, entry.fontFilePath, sizeof entry.fontFilePath) == 0) {
      present = entry;
      return;
    }
  }
  list.push_back(entry);
}

void AddListEntry(std::vector<InstalledMacroEntry>& list, const InstalledMacroEntry& entry) {
  for (InstalledMacroEntry& present : list) {
    if (present.location == entry.location &&
        std::strncmp(present.filePath, entry.filePath, sizeof entry.filePath) == 0) {
      present = entry;
      return;
    }
  }
  list.push_back(entry);
}

std::vector<InstalledFontEntry> ReadFontList(const char* printerName) {
  std::vector<InstalledFontEntry> list;
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return list;
  std::optional<std::string> model = ReadModelName(printer.get());
  if (!model) return list;
  const KindNames& names = Names(kKindFonts);
  const std::string section = HostSection(*model);
  if (std::optional<std::string> ids = ReadStoreString(0, names.storeKind, section, names.list)) {
    for (int32_t id : NumericIds(*ids)) {
      const std::string idText = std::to_string(id);
      std::optional<std::vector<BYTE>> stored = ReadStoreData(0, names.storeKind, section, names.record + idText);
      InstalledFontEntry entry;
      if (!stored || !FillFontEntry(*stored, id, entry)) continue;
      entry.location = kLocationPcDisk;
      DWORD error = 0;
      const bool marked = ReadStoreString(0, names.storeKind, section, names.mark + idText, &error).has_value();
      entry.flags = marked ? kEntryInMemory : 0;
      AddListEntry(list, entry);
    }
  }
  if (std::optional<std::string> ids = ReadPrinterString(printer.get(), names.diskList)) {
    for (int32_t id : NumericIds(*ids)) {
      std::optional<std::vector<BYTE>> stored = ReadPrinterValue(printer.get(), names.diskRecord + std::to_string(id));
      InstalledFontEntry entry;
      if (!stored || !FillFontEntry(*stored, id, entry)) continue;
      entry.location = kLocationPrinterDisk;
      AddListEntry(list, entry);
    }
  }
  return list;
}

std::vector<InstalledMacroEntry> ReadMacroList(const char* printerName) {
  std::vector<InstalledMacroEntry> list;
  OpenedPrinter printer(printerName, PRINTER_ACCESS_USE);
  if (!printer) return list;
  std::optional<std::string> model = ReadModelName(printer.get());
  if (!model) return list;
  const KindNames& names = Names(kKindMacros);
  const std::string section = HostSection(*model);
  if (std::optional<std::string> ids = ReadStoreString(0, names.storeKind, section, names.list)) {
    for (int32_t id : NumericIds(*ids)) {
      const std::string idText = std::to_string(id);
      std::optional<std::string> text = ReadStoreString(0, names.storeKind, section, names.record + idText);
      InstalledMacroEntry entry;
      if (!text || !FillMacroEntry(*text, id, entry)) continue;
      entry.location = kLocationPcDisk;
      const bool marked = ReadStoreString(0, names.storeKind, section, names.mark + idText).has_value();
      entry.flags = marked ? kEntryInMemory : 0;
      AddListEntry(list, entry);
    }
  }
  if (std::optional<std::string> ids = ReadPrinterString(printer.get(), names.diskList)) {
    for (int32_t id : NumericIds(*ids)) {
      std::optional<std::string> text = ReadPrinterString(printer.get(), names.diskRecord + std::to_string(id));
      InstalledMacroEntry entry;
      if (!text || !FillMacroEntry(*text, id, entry)) continue;
      entry.location = kLocationPrinterDisk;
      AddListEntry(list, entry);
    }
  }
  return list;
}

}  // namespace fontinstaller
