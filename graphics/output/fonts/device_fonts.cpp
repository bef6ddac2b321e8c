// The printer's device-font list for a printer language: the model module's
// resident fonts for that language, and for the PCL family the soft fonts the
// fonts installer recorded on the host and on the printer's disk. The list is
// built completely before it goes into the cache; a list that cannot be built
// is not cached, so the next device context tries again.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/model_description.h"
#include "graphics/output/fonts/device_font_list_cache.h"
#include "graphics/output/fonts/device_font_metrics.h"
#include "graphics/output/fonts/device_fonts.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/gdi/eng_services.h"

namespace {

constexpr int kModelFontResourceType = 0x20B5;
constexpr int kModelFontResolution = 600;
constexpr DWORD kListReadSize = 1024;
constexpr DWORD kLargestListRead = 64 * 1024;
constexpr DWORD kHostFontRecordRead = 2048;
constexpr DWORD kEnvironmentLocalPrinter = 0x40;

// A text value whole, however long the list it holds has grown.
bool ReadText(HANDLE printer, int32_t kind, const char* section, const char* key, std::string* out) {
  for (DWORD capacity = kListReadSize; capacity <= kLargestListRead; capacity *= 2) {
    std::vector<char> buffer(capacity + 1, '\0');
    DWORD size = capacity;
    const DWORD rc = GraphicsSettings().GetString(printer, kind, section, key, buffer.data(), &size);
    if (rc == ERROR_SUCCESS) {
      out->assign(buffer.data(), strnlen(buffer.data(), capacity));
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
  }
  return false;
}

// One installer record: its metrics block and the file it names.
struct HostFont {
  std::vector<BYTE> data;
  std::string file;
};

bool ReadHostFont(HANDLE printer, int32_t kind, const char* section, const char* key, HostFont* font) {
  std::vector<BYTE> stored(kHostFontRecordRead, 0);
  DWORD size = kHostFontRecordRead;
  if (GraphicsSettings().GetData(printer, kind, section, key, stored.data(), &size) != ERROR_SUCCESS) return false;
  if (size > kHostFontRecordRead) return false;
  const fontrecord::RecordParts parts = fontrecord::SplitRecord(stored.data(), size);
  if (!parts.data) return false;
  std::optional<fontrecord::RecordText> text = fontrecord::ParseRecordText(parts.text);
  if (!text) return false;
  font->data.assign(parts.data, parts.data + parts.dataSize);
  font->file = text->fontFilePath;
  return true;
}

WORD IdNumber(const std::string& id) { return static_cast<WORD>(std::strtoul(id.c_str(), nullptr, 10)); }

// The entries being filled; never more than were allocated.
class EntryFiller {
 public:
  explicit EntryFiller(size_t capacity) : entries_(capacity) {}
  bool Full() const { return filled_ >= entries_.size(); }
  DeviceFontEntry* Next() { return Full() ? nullptr : &entries_[filled_]; }
  void Keep() { ++filled_; }
  size_t Count() const { return filled_; }
  std::vector<DeviceFontEntry>& Entries() { return entries_; }

 private:
  std::vector<DeviceFontEntry> entries_;
  size_t filled_ = 0;
};

void CopyFile(DeviceFontEntry* entry, const std::string& file) {
  const size_t n = std::min(file.size(), sizeof entry->file - 1);
  std::memcpy(entry->file, file.data(), n);
  entry->file[n] = '\0';
}

// The model's font rows for the language in order of their sort names. The
// record is shared with other device contexts, so it is not sorted itself.
std::vector<const ModelFontRow*> ResidentRows(const ModelRecord& record, WORD pdlKind) {
  std::vector<const ModelFontRow*> rows;
  for (int i = 0; i < kModelMaxDeviceFonts; ++i) {
    const ModelFontRow& row = record.deviceFonts[i];
    if (row.faceName[0] == '\0') break;
    if (row.pdl & pdlKind) rows.push_back(&row);
  }
  std::stable_sort(rows.begin(), rows.end(), [](const ModelFontRow* a, const ModelFontRow* b) {
    return lstrcmpiA(a->faceName, b->faceName) < 0;
  });
  return rows;
}

}  // namespace

DeviceFontList* LoadInstalledFonts(HANDLE printer, const char* printerName, ModelRecord* record, XDEVMODE* devmode) {
  if (!printerName || !record || !devmode) return nullptr;
  if (std::strlen(printerName) >= sizeof DeviceFontList{}.printerName) return nullptr;
  const WORD pdlKind = devmode->dmPrivate._nPDL;
  if (DeviceFontList* cached = FindCachedFontList(printerName, pdlKind)) return cached;

  const std::vector<const ModelFontRow*> resident = ResidentRows(*record, pdlKind);
  const bool pcl = (pdlKind & kPdlPcl5Mask) != 0;
  std::string section;
  std::vector<std::string> memoryIds;
  std::vector<std::string> diskIds;
  if (pcl) {
    std::string modelName;
    if (!ReadText(printer, kStoreModelDescription, "General", "ModelName", &modelName)) return nullptr;
    section = "HostInfo\\" + modelName;
    std::string list;
    if (ReadText(printer, kStoreUserFonts, section.c_str(), "PCLFont_List", &list))
      memoryIds = fontrecord::SplitIdList(list);
    if (ReadText(printer, kStorePrinterFonts, "PCLFontDisk", "List", &list)) diskIds = fontrecord::SplitIdList(list);
  }
  // Counted from the lists that are read, so no id can land beyond the entries.
  EntryFiller filler(resident.size() + memoryIds.size() + diskIds.size());

  // A model without resident fonts for the language needs no module: its
  // installed fonts are offered all the same.
  const HMODULE module = resident.empty() ? 0 : LoadModelModule(printer);
  if (!resident.empty() && !module) return nullptr;
  for (const ModelFontRow* row : resident) {
    ULONG size = 0;
    const void* resource = EngFindResource(module, row->fontId, kModelFontResourceType, &size);
    if (!resource) continue;
    IFIMETRICS* metrics = BuildModelFontMetrics(resource, size, kModelFontResolution);
    if (!metrics) continue;
    DeviceFontEntry* entry = filler.Next();
    *entry = DeviceFontEntry{};
    entry->kind = kDeviceFontResident;
    entry->fontClass = 6;
    entry->metrics = metrics;
    filler.Keep();
  }
  if (module) FreeLibrary(module);

  const int resolution = devmode->dmPublic.dmPrintQuality > 0 ? devmode->dmPublic.dmPrintQuality : 600;
  const bool leaveOutUnmarked = !(devmode->dmPrivate._dwPrinterAttributes & kEnvironmentLocalPrinter) &&
                                (devmode->dmPrivate._dwAdvSettings & kAdvEmfSpooling);
  for (const std::string& id : memoryIds) {
    HostFont font;
    if (!ReadHostFont(printer, kStoreUserFonts, section.c_str(), ("PCLFont_" + id).c_str(), &font)) continue;
    std::string mark;
    const bool inMemory = ReadText(printer, kStoreUserFonts, section.c_str(), ("PCLFontMem_" + id).c_str(), &mark);
    if (!inMemory && leaveOutUnmarked) continue;
    IFIMETRICS* metrics = BuildInstalledFontMetrics(font.data.data(), font.data.size(), resolution);
    if (!metrics) continue;
    DeviceFontEntry* entry = filler.Next();
    *entry = DeviceFontEntry{};
    entry->kind = kDeviceFontHostSoft;
    entry->fontClass = inMemory ? 5 : 6;
    entry->fontId = IdNumber(id);
    CopyFile(entry, font.file);
    entry->metrics = metrics;
    filler.Keep();
  }
  for (const std::string& id : diskIds) {
    HostFont font;
    if (!ReadHostFont(printer, kStorePrinterFonts, "PCLFontDisk", id.c_str(), &font)) continue;
    IFIMETRICS* metrics = BuildInstalledFontMetrics(font.data.data(), font.data.size(), resolution);
    if (!metrics) continue;
    DeviceFontEntry* entry = filler.Next();
    *entry = DeviceFontEntry{};
    entry->kind = kDeviceFontPrinterDisk;
    entry->fontClass = 6;
    entry->fontId = IdNumber(id);
    CopyFile(entry, font.file);
    entry->metrics = metrics;
    filler.Keep();
  }

  auto* list = static_cast<DeviceFontList*>(std::calloc(1, sizeof(DeviceFontList)));
  if (!list) {
    for (size_t i = 0; i < filler.Count(); ++i) std::free(filler.Entries()[i].metrics);
    return nullptr;
  }
  std::strcpy(list->printerName, printerName);
  list->pdlKind = pdlKind;
  if (filler.Count() > 0) {
    list->entries = static_cast<DeviceFontEntry*>(std::calloc(filler.Count(), sizeof(DeviceFontEntry)));
    if (!list->entries) {
      for (size_t i = 0; i < filler.Count(); ++i) std::free(filler.Entries()[i].metrics);
      std::free(list);
      return nullptr;
    }
    std::memcpy(list->entries, filler.Entries().data(), filler.Count() * sizeof(DeviceFontEntry));
  }
  list->count = static_cast<DWORD>(filler.Count());
  return CacheFontList(list);
}
