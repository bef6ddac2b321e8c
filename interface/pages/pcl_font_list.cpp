#include "interface/pages/pcl_font_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/host_font_entry.h"
#include "interface/records/model_resource.h"
#include "interface/records/section_keys.h"
#include "interface/util/resource_text.h"
#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/base/resources.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace {

constexpr WORD kModelFontResourceType = 8373;
constexpr DWORD kListBuffer = 1024;
constexpr DWORD kLargestList = 64 * 1024;
constexpr DWORD kPrinterFontsAllowed = 0x40;  // _dwPrinterAttributes: printer fonts may be used
constexpr UINT kNoMemoryForFonts = 196;

std::optional<std::string> ReadText(HANDLE printer, int kind, const char* section, const char* key) {
  // A list grows with every font installed: read it whole, however long.
  for (DWORD size = kListBuffer; size <= kLargestList; size *= 4) {
    if (auto text = records::ReadSettingText(printer, kind, section, key, size)) return text;
    if (!records::SettingExists(printer, kind, section, key)) return std::nullopt;
  }
  return std::nullopt;
}

DWORD ReadDword(HANDLE printer, int kind, const char* section, const char* key) {
  DWORD value = 0;
  if (LibrarySettings().GetDword(printer, kind, section, key, &value) != ERROR_SUCCESS) return 0;
  return value;
}

bool IsUsableImage(const BYTE* image, size_t size) {
  auto block = fontrecord::MetricsBlock::FromBytes(image, std::min(size, kPclFontMetricsSize));
  return size >= kPclFontMetricsSize && block && block->IsValid();
}

// What a list is built from, read before each use of the cache.
struct Sources {
  bool pcl5 = false;
  std::string hostSection;  // "HostInfo\<model>"
  std::vector<std::string> memoryIds;
  std::vector<std::string> diskIds;
  uint64_t stamp = 0;
};

uint64_t Digest(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::optional<Sources> ReadSources(HANDLE printer, const XDEVMODE& settings) {
  Sources sources;
  const WORD pdl = settings.dmPrivate._nPDL;
  std::string digest = std::to_string(pdl) + "|" +
                       std::to_string(ReadDword(printer, kStorePrinterData, "Printer", "Cfg")) + "|" +
                       std::to_string(settings.dmPrivate._dwPrinterAttributes & kPrinterFontsAllowed) + "|" +
                       std::to_string(settings.dmPrivate._dwAdvSettings & kAdvEmfSpooling);
  sources.pcl5 = (pdl & kPdlPcl5Mask) != 0;
  if (sources.pcl5) {
    auto model = records::ReadSettingText(printer, kStoreModelDescription, "General", "ModelName", 260);
    if (!model) return std::nullopt;
    sources.hostSection = "HostInfo\\" + *model;
    const std::string memoryList =
        ReadText(printer, kStoreUserFonts, sources.hostSection.c_str(), "PCLFont_List").value_or("");
    const std::string diskList = ReadText(printer, kStorePrinterFonts, "PCLFontDisk", "List").value_or("");
    sources.memoryIds = fontrecord::SplitIdList(memoryList);
    sources.diskIds = fontrecord::SplitIdList(diskList);
    digest += "|" + memoryList + "|" + diskList + "|" +
              std::to_string(ReadDword(printer, kStoreUserFonts, sources.hostSection.c_str(), "PCLFont_Number")) + "|" +
              std::to_string(ReadDword(printer, kStorePrinterFonts, "PCLFont", "Number")) + "|" +
              std::to_string(ReadDword(printer, kStorePrinterFonts, "PCLFontDisk", "ChangeCounter"));
    for (const std::string& id : sources.memoryIds)
      digest +=
          records::SettingExists(printer, kStoreUserFonts, sources.hostSection.c_str(), ("PCLFontMem_" + id).c_str())
              ? "m"
              : "-";
  }
  sources.stamp = Digest(digest);
  return sources;
}

// The model's rows of the language, sorted by name without regard to case.
std::vector<const ModelFontRow*> ResidentRows(const ModelRecord& model, WORD pdl) {
  std::vector<const ModelFontRow*> rows;
  for (int i = 0; i < kModelMaxDeviceFonts && model.deviceFonts[i].faceName[0]; ++i)
    if (model.deviceFonts[i].pdl & pdl) rows.push_back(&model.deviceFonts[i]);
  std::stable_sort(rows.begin(), rows.end(), [](const ModelFontRow* a, const ModelFontRow* b) {
    return lstrcmpiA(a->faceName, b->faceName) < 0;
  });
  return rows;
}

void CopyFileName(PclFontEntry& entry, const char* name) {
  std::strncpy(entry.fileName, name, sizeof entry.fileName - 1);
  entry.fileName[sizeof entry.fileName - 1] = '\0';
}

// Reads one installed font's record into the entry; false when the record is
// missing, short or not a version-1 metrics image.
bool ReadInstalledFont(HANDLE printer, const char* section, const char* listName, const std::string& id,
                       PclFontEntry& entry) {
  BYTE data[kHostFontRecordBuffer] = {};
  DWORD size = sizeof data;
  char file[sizeof entry.fileName + 1] = {};
  if (!ReadHostFontEntry(printer, section, listName, id.c_str(), data, &size, file, sizeof file)) return false;
  if (!IsUsableImage(data, size)) return false;
  std::memcpy(entry.metrics, data, kPclFontMetricsSize);
  entry.fontId = static_cast<DWORD>(std::strtoul(id.c_str(), nullptr, 10));
  CopyFileName(entry, file);
  return true;
}

// Null when the model's resource library cannot be loaded, or (*noMemory set)
// when no memory is left for the list.
PclFontList* BuildList(HANDLE printer, const char* printerName, const ModelRecord& model, const XDEVMODE& settings,
                       const Sources& sources, bool* noMemory) {
  const WORD pdl = settings.dmPrivate._nPDL;
  const std::vector<const ModelFontRow*> resident = ResidentRows(model, pdl);
  // Room for every id the lists hold: the counters may say fewer.
  std::vector<PclFontEntry> entries;
  entries.reserve(resident.size() + sources.memoryIds.size() + sources.diskIds.size());

  if (!resident.empty()) {
    HMODULE module = LoadModelResourceDll(printer);
    if (!module) return nullptr;
    for (const ModelFontRow* row : resident) {
      HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(row->fontId), MAKEINTRESOURCEA(kModelFontResourceType));
      if (!found) continue;
      const DWORD size = SizeofResource(module, found);
      HGLOBAL loaded = LoadResource(module, found);
      const void* image = loaded ? LockResource(loaded) : nullptr;
      if (!image || size < kPclFontMetricsSize) continue;
      PclFontEntry entry{};
      entry.source = kPclFontResident;
      entry.state = kPclFontNotRecorded;
      std::memcpy(entry.metrics, image, kPclFontMetricsSize);
      entries.push_back(entry);
    }
    FreeLibrary(module);
  }

  if (sources.pcl5) {
    const bool leaveOutUnmarked = !(settings.dmPrivate._dwPrinterAttributes & kPrinterFontsAllowed) &&
                                  (settings.dmPrivate._dwAdvSettings & kAdvEmfSpooling);
    for (const std::string& id : sources.memoryIds) {
      PclFontEntry entry{};
      if (!ReadInstalledFont(printer, sources.hostSection.c_str(), "PCLFont", id, entry)) continue;
      const bool marked =
          records::SettingExists(printer, kStoreUserFonts, sources.hostSection.c_str(), ("PCLFontMem_" + id).c_str());
      if (!marked && leaveOutUnmarked) continue;
      entry.source = kPclFontMemory;
      entry.state = marked ? kPclFontRecorded : kPclFontNotRecorded;
      entries.push_back(entry);
    }
    for (const std::string& id : sources.diskIds) {
      PclFontEntry entry{};
      if (!ReadInstalledFont(printer, nullptr, "PCLFontDisk", id, entry)) continue;
      entry.source = kPclFontDisk;
      entry.state = kPclFontNotRecorded;
      entries.push_back(entry);
    }
  }

  auto* node = static_cast<PclFontList*>(std::calloc(1, sizeof(PclFontList)));
  if (!node) {
    *noMemory = true;
    return nullptr;
  }
  std::strcpy(node->printerName, printerName);
  node->pdl = pdl;
  node->sourceStamp = sources.stamp;
  if (!AllocatePclFontEntries(node, static_cast<DWORD>(entries.size()))) {
    std::free(node);
    *noMemory = true;
    return nullptr;
  }
  if (!entries.empty()) std::memcpy(node->entries, entries.data(), entries.size() * sizeof(PclFontEntry));
  return node;
}

}  // namespace

std::string PclFontFace(const PclFontEntry& entry) {
  const char* face = reinterpret_cast<const char*>(entry.metrics + kPclMetricsFaceOffset);
  return std::string(face, strnlen(face, kPclMetricsFaceSize - 1));
}

PclFontList* GetPclFontList(HANDLE printer, const char* printerName, const ModelRecord* model,
                            const XDEVMODE* settings) {
  if (!printerName || !model || !settings || std::strlen(printerName) >= sizeof(PclFontList::printerName))
    return nullptr;
  const std::optional<Sources> sources = ReadSources(printer, *settings);
  if (!sources) return nullptr;
  PclFontList* cached = LookupPclFontList(printerName, settings->dmPrivate._nPDL);
  if (cached && cached->sourceStamp == sources->stamp) return cached;
  bool noMemory = false;
  PclFontList* built = BuildList(printer, printerName, *model, *settings, *sources, &noMemory);
  if (!built) {
    if (noMemory) {
      char text[256] = {};
      LoadResString(kNoMemoryForFonts, text, sizeof text);
      if (text[0]) MessageBoxA(0, text, printerName, MB_OK | MB_ICONSTOP);
    }
    return nullptr;
  }
  return PublishPclFontList(built);
}

BYTE CharSetOfSymbolSetClass(BYTE symbolSetClass) {
  switch (symbolSetClass) {
    case 2: return SYMBOL_CHARSET;
    case 5:
    case 6:
    case 7: return SHIFTJIS_CHARSET;
    case 8: return GB2312_CHARSET;
    default: return ANSI_CHARSET;
  }
}

namespace {

WORD Word(const BYTE* image, size_t at) { return static_cast<WORD>(image[at] | (image[at + 1] << 8)); }

int ReportEntry(const PclFontEntry& entry, int resolution, FONTENUMPROCA callback, LPARAM data) {
  const BYTE* image = entry.metrics;
  const bool scalable = image[kPclMetricsFlagsOffset] & kPclMetricsScalable;
  const bool fixed = image[kPclMetricsFlagsOffset] & kPclMetricsFixedPitch;
  const WORD weight = Word(image, kPclMetricsWeightOffset) ? Word(image, kPclMetricsWeightOffset) : FW_NORMAL;
  const bool italic = Word(image, kPclMetricsItalicOffset) != 0;
  const LONG points = MulDiv(Word(image, kPclMetricsPointSizeOffset), resolution, 72);
  const BYTE pitch = static_cast<BYTE>((image[kPclMetricsPitchAndFamilyOffset] & 0xF0) | (fixed ? 1 : 2));

  ENUMLOGFONTEXA font{};
  LOGFONTA& lf = font.elfLogFont;
  lf.lfHeight = scalable ? 0 : -points;
  lf.lfWeight = weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfCharSet = CharSetOfSymbolSetClass(image[kPclMetricsCharSetClassOffset]);
  lf.lfOutPrecision = 2;
  lf.lfClipPrecision = 1;
  lf.lfQuality = 2;
  lf.lfPitchAndFamily = pitch;
  const std::string face = PclFontFace(entry);
  std::memcpy(lf.lfFaceName, face.data(), std::min<size_t>(face.size(), LF_FACESIZE - 1));
  std::memcpy(font.elfFullName, face.data(), std::min<size_t>(face.size(), LF_FULLFACESIZE - 1));

  NEWTEXTMETRICEXA metrics{};
  NEWTEXTMETRICA& tm = metrics.ntmTm;
  tm.tmHeight = points;
  tm.tmAscent = points * 4 / 5;
  tm.tmDescent = points - tm.tmAscent;
  tm.tmWeight = weight;
  tm.tmItalic = italic ? 255 : 0;
  tm.tmPitchAndFamily = pitch;
  tm.tmCharSet = lf.lfCharSet;
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = resolution;
  tm.ntmFlags =
      (weight > 500 ? NTM_BOLD : 0) | (italic ? NTM_ITALIC : 0) | (weight <= 500 && !italic ? NTM_REGULAR : 0);
  const DWORD type = scalable ? DEVICE_FONTTYPE : DEVICE_FONTTYPE | RASTER_FONTTYPE;
  return callback(&lf, reinterpret_cast<const TEXTMETRICA*>(&metrics), type, data);
}

}  // namespace

int EnumPrinterFonts(const PclFontList* list, int resolution, const char* face, int flags, FONTENUMPROCA callback,
                     LPARAM data) {
  if (!callback) return 0;
  if (resolution <= 0) resolution = 72;
  int answer = 1;
  if ((flags & kEnumDisplayFonts) || face) {
    HDC screen = GetDC(0);
    LOGFONTA request{};
    request.lfCharSet = DEFAULT_CHARSET;
    if (face) std::strncpy(request.lfFaceName, face, LF_FACESIZE - 1);
    int last = 1;
    struct Relay {
      FONTENUMPROCA callback;
      LPARAM data;
      int* last;
    } relay{callback, data, &last};
    EnumFontFamiliesExA(
        screen, &request,
        [](const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM relayData) -> int {
          auto* r = reinterpret_cast<Relay*>(relayData);
          *r->last = r->callback(lf, tm, type, r->data);
          return *r->last;
        },
        reinterpret_cast<LPARAM>(&relay), 0);
    ReleaseDC(0, screen);
    answer = last;
    if (answer == 0) return 0;
  }
  if (!(flags & kEnumScalablePclFonts) && !face) return answer;
  if (!list || (list->count && !list->entries)) {
    OutputDebugStringA("Bad or missing font directory - please restart the system");
    return answer;
  }
  std::string previous;
  for (DWORD i = 0; i < list->count; ++i) {
    const PclFontEntry& entry = list->entries[i];
    const std::string entryFace = PclFontFace(entry);
    if (face) {
      if (!platform::EqualsNoCaseAnsi(entryFace, face)) continue;
    } else {
      const bool scalable = entry.metrics[kPclMetricsFlagsOffset] & kPclMetricsScalable;
      if (!scalable && !(flags & kEnumAllPclFonts)) continue;
      if (!previous.empty() && platform::EqualsNoCaseAnsi(entryFace, previous)) continue;
      previous = entryFace;
    }
    answer = ReportEntry(entry, resolution, callback, data);
    if (answer == 0) return 0;
  }
  return answer;
}
