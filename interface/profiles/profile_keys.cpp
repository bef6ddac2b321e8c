#include "interface/profiles/profile_keys.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/records/halftone_record.h"
#include "interface/records/record_fields.h"
#include "interface/records/section_keys.h"
#include "interface/records/watermark_store.h"
#include "model/value_parsers.h"
#include "platform/base/errors.h"

namespace profiles {

namespace {

constexpr DWORD kLongValueBuffer = 1024;

// A numeric setting: stored as a DWORD, held in the device mode in its own width
// (2 or 4 bytes), so a 16-bit field never spills into its neighbour and a 32-bit
// one is read whole.
struct NumericKey {
  const char* key;
  size_t offset;  // in the whole device mode
  int width;
};

#define ZEL_PUBLIC(field) offsetof(XDEVMODE, dmPublic) + offsetof(DEVMODEW, field)
#define ZEL_PRIVATE(field) offsetof(XDEVMODE, dmPrivate) + offsetof(XDEVMODE_PRIVATE, field)

constexpr NumericKey kNumericKeys[] = {
    {"PaperSize", ZEL_PUBLIC(dmPaperSize), 2},
    {"OutputSize", ZEL_PRIVATE(_iOutputSize), 4},
    {"FeedDirection", ZEL_PRIVATE(_iOutputFeedDirection), 4},
    {"Orientation", ZEL_PUBLIC(dmOrientation), 2},
    {"FixedOrientation", ZEL_PRIVATE(_nFixedOrientation), 2},
    {"Copies", ZEL_PUBLIC(dmCopies), 2},
    {"Resolution", ZEL_PUBLIC(dmPrintQuality), 2},
    {"Collate", ZEL_PRIVATE(_bCollate), 4},
    {"Duplex", ZEL_PRIVATE(_nDuplex), 2},
    {"nUp", ZEL_PRIVATE(_nUp), 2},
    {"nUpPCL", ZEL_PRIVATE(_nUpPCL), 2},
    {"PageRotation", ZEL_PRIVATE(_bRotatePage), 4},
    {"StartMonitor", ZEL_PRIVATE(_iSNMP), 4},
    {"Scale", ZEL_PUBLIC(dmScale), 2},
    {"ColorsToBlack", ZEL_PRIVATE(_bColorToBlack), 4},
    {"NegativeImage", ZEL_PRIVATE(_bNegativeImage), 4},
    {"MirrorImage", ZEL_PRIVATE(_bMirrorImage), 4},
    {"MarginType", ZEL_PRIVATE(_nMarginType), 2},
    {"Banner", ZEL_PRIVATE(_epBanner.on), 4},
    {"PDL", ZEL_PRIVATE(_nPDL), 2},
    {"AvailMem", ZEL_PRIVATE(_lAvailableMemory), 4},
    {"ClearMemPerPage", ZEL_PRIVATE(_bClearMemoryPerPage), 4},
    {"Compression", ZEL_PRIVATE(_nCompression), 2},
    {"JobTimeout", ZEL_PRIVATE(_nJobTimeout), 2},
    {"WaitTimeout", ZEL_PRIVATE(_nWaitTimeout), 2},
    {"TTPrinting", ZEL_PRIVATE(_nTrueTypeMode), 2},
    {"TTDLType", ZEL_PRIVATE(_nTrueTypeDownload), 2},
    {"PageBorder", ZEL_PRIVATE(_bNupBorder), 4},
    {"WMFirstPageOnly", ZEL_PRIVATE(_bWmFirstPageOnly), 4},
    {"WMBackground", ZEL_PRIVATE(_bWmBackground), 4},
    {"OutputType", ZEL_PRIVATE(_nOutputDest), 2},
    {"RasterMode", ZEL_PRIVATE(_nGraphicsMode), 2},
    {"MacroLoc", ZEL_PRIVATE(_nMacroLocation), 4},
    {"MacroId", ZEL_PRIVATE(_lMacroId), 4},
    {"MacroBackground", ZEL_PRIVATE(_bMacroBackground), 4},
};

// A text setting: a fixed field of the device mode.
struct TextKey {
  const char* key;
  size_t offset;
  size_t size;
};

constexpr TextKey kTextKeys[] = {
    {"Account", ZEL_PRIVATE(_sAccount), sizeof(XDEVMODE_PRIVATE::_sAccount)},
    {"Note", ZEL_PRIVATE(_sNote), sizeof(XDEVMODE_PRIVATE::_sNote)},
    {"Macro", ZEL_PRIVATE(_sMacroName), sizeof(XDEVMODE_PRIVATE::_sMacroName)},
};

#undef ZEL_PUBLIC
#undef ZEL_PRIVATE

// The bits of _dwAdvSettings kept one key each, stored as 0 or 1 (EMF spooling as
// 0 or 256); "UsePrinterTimeouts" is stored as 1 when its bit is clear.
struct FlagKey {
  const char* key;
  DWORD bit;
  DWORD storedWhenSet;
  bool inverted;
};

constexpr FlagKey kFlagKeys[] = {
    {"BinaryData", kAdvBinaryData, 1, false},
    {"JobTermBefore", kAdvJobTerminatorBefore, 1, false},
    {"JobTermAfter", kAdvJobTerminatorAfter, 1, false},
    {"PrintErrors", kAdvPrintErrors, 1, false},
    {"UsePrinterTimeouts", kAdvOverridePrinterTimeouts, 1, true},
    {"EMFSpooling", kAdvEmfSpooling, kAdvEmfSpooling, false},
};

constexpr const char* kWatermarkKey = "Watermark";
constexpr const char* kHalftoneKey = "Halftone";
constexpr const char* kCustomPaperUnitKey = "CustomPaperUnit";

BYTE* At(XDEVMODE& settings, size_t offset) { return reinterpret_cast<BYTE*>(&settings) + offset; }
const BYTE* At(const XDEVMODE& settings, size_t offset) { return reinterpret_cast<const BYTE*>(&settings) + offset; }

DWORD ReadNumber(const XDEVMODE& settings, const NumericKey& key) {
  if (key.width == 2) {
    WORD value;
    std::memcpy(&value, At(settings, key.offset), sizeof value);
    return value;
  }
  DWORD value;
  std::memcpy(&value, At(settings, key.offset), sizeof value);
  return value;
}

void StoreNumber(XDEVMODE& settings, const NumericKey& key, DWORD value) {
  if (key.width == 2) {
    const WORD low = static_cast<WORD>(value);
    std::memcpy(At(settings, key.offset), &low, sizeof low);
  } else {
    std::memcpy(At(settings, key.offset), &value, sizeof value);
  }
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::optional<DWORD> GetDword(HANDLE printer, const std::string& section, const char* key) {
  DWORD value = 0;
  if (LibrarySettings().GetDword(printer, kStoreUser, section.c_str(), key, &value) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// The paper record the model description would hold for the user-defined size.
std::string CustomPaperValue(const XDEVMODE_PRIVATE& p) {
  char value[256];
  std::snprintf(value, sizeof value,
                "%s    ;%d,%d;%d,%d,%d,%d;%d,%d,%d,%d;%d,%d,%d,%d;%d,%d,%d,%d; %d;%d;%d; %d,%ld;%d;%d;%d;%s",
                "CustomPaper", static_cast<int>(p._lCustomWidth), static_cast<int>(p._lCustomLength), 0, 0, 0, 0, 0, 0,
                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0L, 0, static_cast<int>(kCustomPaperId),
                static_cast<int>(p._bCustomPortraitFeed), "PJL");
  return value;
}

// The row of the model's papers that is the user-defined size (id 261), -1 when none.
int CustomPaperRow(const ModelRecord& model) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i)
    if (model.papers[i].id == kCustomPaperId) return i;
  return -1;
}

// The printer language the profile's "PDL" stands for on this model: 0 (any) and
// the family words pick the model's own languages of that family.
WORD MapStoredPdl(DWORD stored, WORD modelMask) {
  const WORD postScript = modelMask & kPdlPostScriptMask;
  const WORD pcl = modelMask & kPdlPclFamilyMask;
  switch (stored) {
    case 0: return postScript ? postScript : pcl;
    case 12: return pcl ? pcl : 4;
    case 259: return postScript ? postScript : 2;
    default: return static_cast<WORD>(stored);
  }
}

void ReadCustomPaper(HANDLE printer, const std::string& section, XDEVMODE& settings, const ModelRecord& model) {
  XDEVMODE_PRIVATE& p = settings.dmPrivate;
  const int row = CustomPaperRow(model);
  if (row < 0) {
    p._nCustomPaperIndex = 0;
    p._nCustomUnit = 0;
    p._lCustomWidth = 0;
    p._lCustomLength = 0;
    p._bCustomPortraitFeed = 0;
    p._nCustomPaperIndex = -1;
    return;
  }
  p._nCustomPaperIndex = row;
  if (settings.dmPublic.dmPaperSize == static_cast<SHORT>(kCustomPaperId)) {
    const std::string key = CustomPaperKey();
    std::optional<std::string> value =
        records::ReadSettingText(printer, kStoreUser, section.c_str(), key.c_str(), kLongValueBuffer);
    PaperEntry paper{};
    if (value && ParsePaperRecord(&paper, key.c_str(), value->c_str())) {
      p._lCustomWidth = static_cast<DWORD>(paper.geometry[0].width);
      p._lCustomLength = static_cast<DWORD>(paper.geometry[0].height);
      p._bCustomPortraitFeed = paper.feedDirection;
      std::optional<DWORD> unit = GetDword(printer, section, kCustomPaperUnitKey);
      p._nCustomUnit = unit && (*unit == 1 || *unit == 2) ? *unit : 1;
      return;
    }
  }
  const PaperEntry& paper = model.papers[row];
  const PaperGeometry& fallback = model.customPaper.geometry[0];
  p._nCustomUnit = 1;
  p._lCustomWidth = static_cast<DWORD>(paper.geometry[0].width ? paper.geometry[0].width : fallback.width);
  p._lCustomLength = static_cast<DWORD>(paper.geometry[0].height ? paper.geometry[0].height : fallback.height);
  p._bCustomPortraitFeed = paper.feedDirection;
}

}  // namespace

std::string CustomPaperKey() { return "CustomPaper_" + std::to_string(kCustomPaperId); }

bool WriteProfileKeys(HANDLE printer, const std::string& section, const XDEVMODE& settings, const ModelRecord& model,
                      std::set<std::string>& written) {
  const SettingsFunctions& store = LibrarySettings();
  const char* s = section.c_str();
  bool ok = true;
  auto setDword = [&](const char* key, DWORD value) {
    if (store.SetDword(printer, kStoreUser, s, key, value) == ERROR_SUCCESS)
      written.insert(Upper(key));
    else
      ok = false;
  };
  auto setString = [&](const char* key, const std::string& value) {
    if (store.SetString(printer, kStoreUser, s, key, value.c_str()) == ERROR_SUCCESS)
      written.insert(Upper(key));
    else
      ok = false;
  };

  for (const NumericKey& key : kNumericKeys) setDword(key.key, ReadNumber(settings, key));
  for (const TextKey& key : kTextKeys)
    setString(key.key,
              std::string(records::FieldText(reinterpret_cast<const char*>(At(settings, key.offset)), key.size)));
  const DWORD flags = settings.dmPrivate._dwAdvSettings;
  for (const FlagKey& key : kFlagKeys) {
    const bool set = (flags & key.bit) != 0;
    setDword(key.key, set != key.inverted ? key.storedWhenSet : 0);
  }
  setString(kWatermarkKey, std::string(records::FieldText(settings.dmPrivate._wmCurrent.text)));

  HalftoneSetting halftone{};
  halftone.mode = static_cast<INT>(settings.dmPrivate._bPrinterScreen);
  halftone.frequency = settings.dmPrivate._nScreenFrequency;
  halftone.angle = settings.dmPrivate._nScreenAngle;
  setString(kHalftoneKey, FormatHalftoneRecord(halftone));

  const XDEVMODE_PRIVATE& p = settings.dmPrivate;
  if (p._nCustomPaperIndex >= 0 && p._nCustomPaperIndex < kModelMaxPapers &&
      model.papers[p._nCustomPaperIndex].id != 0) {
    setString(CustomPaperKey().c_str(), CustomPaperValue(p));
    setDword(kCustomPaperUnitKey, p._nCustomUnit);
  }
  return ok;
}

void ReadProfileKeys(HANDLE printer, const std::string& section, XDEVMODE& settings, const ModelRecord& model) {
  DEVMODEW& pub = settings.dmPublic;
  XDEVMODE_PRIVATE& p = settings.dmPrivate;

  for (const NumericKey& key : kNumericKeys) {
    std::optional<DWORD> value = GetDword(printer, section, key.key);
    if (!value) {
      if (std::strcmp(key.key, "OutputSize") == 0) p._iOutputSize = 0xFFFF;
      continue;
    }
    DWORD stored = *value;
    if (std::strcmp(key.key, "PDL") == 0) stored = MapStoredPdl(stored, model.pdlMask);
    StoreNumber(settings, key, stored);
    // Public fields that mirror the one just read.
    if (std::strcmp(key.key, "Resolution") == 0) {
      pub.dmYResolution = pub.dmPrintQuality;
    } else if (std::strcmp(key.key, "Collate") == 0) {
      pub.dmCollate = static_cast<SHORT>(stored & 0xFFFF);
    } else if (std::strcmp(key.key, "Duplex") == 0) {
      pub.dmDuplex = stored == 1 ? DMDUP_VERTICAL : stored == 2 ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX;
    } else if (std::strcmp(key.key, "nUp") == 0) {
      pub.dmNup = 1;
    } else if (std::strcmp(key.key, "TTPrinting") == 0) {
      pub.dmTTOption = static_cast<SHORT>(stored & 0xFFFF);
    }
  }

  for (const TextKey& key : kTextKeys) {
    char* field = reinterpret_cast<char*>(At(settings, key.offset));
    std::memset(field, 0, key.size);
    if (std::optional<std::string> text =
            records::ReadSettingText(printer, kStoreUser, section.c_str(), key.key, static_cast<DWORD>(key.size + 1)))
      records::CopyText(field, key.size, *text);
  }

  for (const FlagKey& key : kFlagKeys) {
    std::optional<DWORD> value = GetDword(printer, section, key.key);
    if (!value) continue;
    const bool set = (*value != 0) != key.inverted;
    if (set)
      p._dwAdvSettings |= key.bit;
    else
      p._dwAdvSettings &= ~key.bit;
  }

  // The watermark is stored by name; its look comes from the user's watermarks,
  // and a name the user no longer has means no watermark rather than the old
  // look under a new name.
  p._wmCurrent = WatermarkRecord{};
  if (std::optional<std::string> name =
          records::ReadSettingText(printer, kStoreUser, section.c_str(), kWatermarkKey, sizeof p._wmCurrent.text + 1)) {
    WatermarkRecord watermark{};
    if (!name->empty() && LoadWatermarkByName(printer, name->c_str(), &watermark)) p._wmCurrent = watermark;
  }

  HalftoneSetting halftone{};
  std::optional<std::string> halftoneText =
      records::ReadSettingText(printer, kStoreUser, section.c_str(), kHalftoneKey, kLongValueBuffer);
  if (!halftoneText || !ParseHalftoneRecord(&halftone, halftoneText->c_str())) {
    halftone = HalftoneSetting{};
    halftone.mode = 1;
  }
  p._bPrinterScreen = static_cast<DWORD>(halftone.mode);
  p._nScreenFrequency = halftone.frequency;
  p._nScreenAngle = halftone.angle;

  ReadCustomPaper(printer, section, settings, model);
}

}  // namespace profiles
