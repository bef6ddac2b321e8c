#include "model/model_loader.h"

#include <algorithm>
#include <string>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "model/dialog_name_table.h"
#include "model/pdl_names.h"
#include "model/record_text.h"
#include "model/settings_text.h"
#include "platform/base/codepage.h"

namespace {

using modelsettings::kSingleKeyBuffer;

constexpr int64_t kBytesPerMegabyte = 1048576;

// The features the "Features" section and the printer's data decide; the
// output-bin features come from the bins.
constexpr DWORD kSectionFeatures = kFeatureDuplex | kFeatureCollation | kFeaturePclDiskExtensions |
                                   kFeatureStatusMonitor | kFeatureEdgeToEdge | kFeatureUserNameChargeCode |
                                   kFeatureNote | kFeatureReverseOrder | kFeaturePageRotation;

class Loader {
 public:
  Loader(const SettingsFunctions& settings, HANDLE printer, ModelRecord& record, DWORD parts, DWORD features,
         DWORD filter, const ModelLoaderVariant& variant)
      : settings_(settings), printer_(printer), r_(record), parts_(parts), features_(features), filter_(filter) {
    const ModelLoaderVariant& fallback = DefaultModelLoaderVariant();
    warn_ = variant.formatWarning ? variant.formatWarning
                                  : (fallback.formatWarning ? fallback.formatWarning : CurrentModelFormatWarningHook());
    check_ = variant.optionConstraint ? variant.optionConstraint : fallback.optionConstraint;
    lookup_ = variant.dialogIdFromName
                  ? variant.dialogIdFromName
                  : (fallback.dialogIdFromName ? fallback.dialogIdFromName : HiddenControlDialogId);
  }

  void Run() {
    CheckFormatVersion();
    r_.formatTag = kModelRecordFormatTag;
    if (Asked(kPartModelId)) LoadModelId();
    if (Asked(kPartPdlMask)) LoadPdlMask();
    if (Asked(kPartPrinterPdl)) LoadPrinterPdl();
    LoadConstraints();
    if (Asked(kPartOptions)) LoadOptions();
    if (Asked(kPartInstalledMemory)) LoadInstalledMemory();
    if (Asked(kPartMemorySizeA | kPartMemorySizeB) && (r_.partsLoaded & kPartInstalledMemory)) LoadMemorySizes();
    if (Asked(kPartStaplers)) LoadTablePart(kPartStaplers, "Stapler", r_.staplers, ParseStaplerRecord);
    if (Asked(kPartFolds)) LoadTablePart(kPartFolds, "Fold", r_.folds, ParseFoldRecord);
    if (Asked(kPartPunches)) LoadTablePart(kPartPunches, "Punch", r_.punches, ParsePunchRecord);
    if (Asked(kPartTrims) && LoadTablePart(kPartTrims, "Trim", r_.trims, ParseTrimRecord) > 0)
      r_.optionWord |= kFeatureTrimming;
    if (Asked(kPartMediaTypes)) LoadTablePart(kPartMediaTypes, "MediaType", r_.mediaTypes, ParseMediaTypeRecord);
    if (Asked(kPartPapers)) LoadPapers();
    if (Asked(kPartPaperSources)) LoadPaperSources();
    if (Asked(kPartOutputBins)) LoadOutputBins();
    if (Asked(kPartStapleLocations))
      LoadTablePart(kPartStapleLocations, "StapleLocation", r_.stapleLocations, ParseStapleLocationRecord);
    if (Asked(kPartResolutions)) LoadTablePart(kPartResolutions, "Resolution", r_.resolutions, ParseResolutionRecord);
    if (Asked(kPartDeviceFonts)) LoadTablePart(kPartDeviceFonts, "Fonts", r_.deviceFonts, ParseFontRecord);
    if (Asked(kPartTabInfo)) LoadTablePart(kPartTabInfo, "TabInfo", r_.tabInfo, ParseTabInfoRecord);
    if (parts_ & kPartHiddenControls) LoadHiddenControls();
    LoadOutputBinFeatures();
    LoadSectionFeatures();
    r_.featuresRead |= features_ & (kOutputBinFeatures | kSectionFeatures);
    LoadVariant();
  }

 private:
  bool Asked(DWORD bits) const { return (parts_ & bits) != 0; }
  bool FeatureAsked(DWORD bit) const { return (features_ & bit) != 0; }

  // A single key of the model description as text; a missing key reads as empty.
  std::string ModelText(const char* section, const char* key) const {
    return modelsettings::ReadText(settings_, printer_, kStoreModelDescription, section, key, kSingleKeyBuffer, false)
        .value_or(std::string());
  }

  bool ModelShort(const char* section, const char* key, int16_t& value) const {
    int16_t read = 0;
    if (settings_.GetShort(printer_, kStoreModelDescription, section, key, &read) != ERROR_SUCCESS) return false;
    value = read;
    return true;
  }

  bool PrinterDword(const char* section, const char* key, DWORD& value) const {
    DWORD read = 0;
    if (settings_.GetDword(printer_, kStorePrinterData, section, key, &read) != ERROR_SUCCESS) return false;
    value = read;
    return true;
  }

  bool Forbidden(int feature, int choice) const {
    return check_ && check_(&r_, kCodeAnyOption, -1, feature, choice) != 0;
  }

  // Reads the rows of a table section (keys that begin with a digit) into a
  // cleared table, at most its capacity; rows the parser refuses are left out.
  // accept may drop a parsed row. Answers the number of rows.
  template <class Row, size_t N, class Parse, class Accept>
  int ReadTable(const char* section, Row (&rows)[N], Parse parse, Accept accept) {
    std::fill(std::begin(rows), std::end(rows), Row{});
    int count = 0;
    modelsettings::ForEachSectionValue(settings_, printer_, kStoreModelDescription, section,
                                       [&](const std::string& key, const std::string& value) {
                                         if (!modeltext::BeginsWithDigit(key)) return true;
                                         Row row{};
                                         if (parse(&row, key.c_str(), value.c_str()) && accept(row)) {
                                           rows[count++] = row;
                                         }
                                         return count < static_cast<int>(N);
                                       });
    return count;
  }

  template <class Row, size_t N, class Parse>
  int ReadTable(const char* section, Row (&rows)[N], Parse parse) {
    return ReadTable(section, rows, parse, [](const Row&) { return true; });
  }

  // A table that belongs to a part: its bit is set only when the table got rows,
  // so that the defaults may still fill an empty one.
  template <class Row, size_t N, class Parse>
  int LoadTablePart(DWORD part, const char* section, Row (&rows)[N], Parse parse) {
    int count = ReadTable(section, rows, parse);
    if (count > 0) r_.partsLoaded |= part;
    return count;
  }

  // A description in another format is loaded all the same, after a warning.
  void CheckFormatVersion() {
    std::optional<std::string> version = modelsettings::ReadText(settings_, printer_, kStoreModelDescription, "General",
                                                                 "FormatVersion", kSingleKeyBuffer, false);
    if (!version) return;
    size_t dot = platform::FindFirstCharAnsi(*version, '.');
    int major = modeltext::ReadInt(std::string_view(*version).substr(0, dot));
    int minor = dot == std::string::npos ? 0 : modeltext::ReadInt(std::string_view(*version).substr(dot + 1));
    if (major != kModelFormatMajor && warn_) warn_(major, minor, kModelFormatMajor);
  }

  void LoadModelId() {
    r_.modelId = static_cast<WORD>(modeltext::ReadInt(ModelText("General", "ModelID")));
    std::string sub = ModelText("General", "ModelSubID");
    r_.modelSubId = sub.empty() ? 0 : sub[0];
    r_.partsLoaded |= kPartModelId;
  }

  void LoadPdlMask() {
    r_.pdlMask = 0;
    modelsettings::ForEachSectionValue(settings_, printer_, kStoreModelDescription, "PDL",
                                       [&](const std::string&, const std::string& value) {
                                         r_.pdlMask |= PdlBitsFromName(value.c_str());
                                         return true;
                                       });
    r_.partsLoaded |= kPartPdlMask;
  }

  void LoadPrinterPdl() {
    DWORD value = 0;
    r_.printerPdl = PrinterDword("Printer", "PDL", value) ? static_cast<WORD>(value) : kPdlDefaultPrinter;
    r_.configStamp = PrinterDword("Printer", "Cfg", value) ? value : 0;
    r_.partsLoaded |= kPartPrinterPdl;
  }

  // Read by every call. The table is cleared first: a shorter table read over a
  // longer one must not keep the old rows behind its end.
  void LoadConstraints() { ReadTable("Constraints", r_.constraints, ParseConstraintRecord); }

  void LoadOptions() {
    int count = ReadTable("InstallableOptions", r_.options, ParseInstallableOptionRecord);
    for (int i = 0; i < count; ++i) {
      InstallableOption& option = r_.options[i];
      const std::string key = std::to_string(option.id);
      // The printer's own installed choice replaces the model's when it is there
      // and reads as a whole record.
      std::optional<std::string> own = modelsettings::ReadText(
          settings_, printer_, kStorePrinterData, "InstallableOptions", key.c_str(), modelsettings::kValueBuffer, true);
      if (own && !modeltext::IsBlank(*own)) {
        InstallableOption replacement{};
        if (ParseInstallableOptionRecord(&replacement, key.c_str(), own->c_str())) option = replacement;
      }
      std::fill(std::begin(option.choices), std::end(option.choices), 0);
      option.choiceCount = 0;
      const std::string section = "InstallableOptions/" + key;
      modelsettings::ForEachSectionValue(settings_, printer_, kStoreModelDescription, section.c_str(),
                                         [&](const std::string& choice, const std::string& value) {
                                           if (!modeltext::BeginsWithDigit(choice) || value.empty()) return true;
                                           option.choices[option.choiceCount++] = modeltext::ReadInt(choice);
                                           return option.choiceCount < kModelMaxOptionChoices;
                                         });
    }
    r_.partsLoaded |= kPartOptions;
  }

  // Installed memory: the printer's own value (written back by
  // SaveInstalledOptions) before the model's. Megabytes become bytes in 64 bits,
  // so no size wraps; a negative size is refused, and a size given nowhere is
  // left to the defaults.
  void LoadInstalledMemory() {
    std::optional<std::string> text =
        modelsettings::ReadText(settings_, printer_, kStorePrinterData, "Memory", "Installed", kSingleKeyBuffer, false);
    if (!text || modeltext::IsBlank(*text)) {
      text = modelsettings::ReadText(settings_, printer_, kStoreModelDescription, "Memory", "Installed",
                                     kSingleKeyBuffer, false);
    }
    if (!text || modeltext::IsBlank(*text)) return;
    const int64_t bytes = static_cast<int64_t>(modeltext::ReadInt(*text)) * kBytesPerMegabyte;
    if (bytes < 0) return;
    r_.installedMemory = bytes;
    r_.partsLoaded |= kPartInstalledMemory;
  }

  void LoadMemorySizes() {
    int count = ReadTable("Memory", r_.memoryRows, ParseMemoryRecord);
    for (int i = 0; i < count; ++i) {
      const MemoryRow& row = r_.memoryRows[i];
      if (static_cast<int64_t>(row.megabytes) * kBytesPerMegabyte != r_.installedMemory) continue;
      if (Asked(kPartMemorySizeA)) {
        r_.memorySizeA = row.second / 1024 * 1024;
        r_.partsLoaded |= kPartMemorySizeA;
      }
      if (Asked(kPartMemorySizeB)) {
        r_.memorySizeB = row.third / 1024 * 1024;
        r_.partsLoaded |= kPartMemorySizeB;
      }
      break;
    }
  }

  void LoadPapers() {
    r_.customPaper = PaperEntry{};
    int count = ReadTable("Paper", r_.papers, ParsePaperRecord);
    for (int i = 0; i < count; ++i) {
      if (r_.papers[i].id == kCustomPaperId) {
        r_.customPaper = r_.papers[i];
        break;
      }
    }
    r_.variableSizeDialog = static_cast<WORD>(modeltext::ReadInt(ModelText("VariableSize", "Dialogtype")));
    VariableSizeRecord limits[kModelMaxVariableSizeRecords];
    int limitCount = ReadTable("VariableSize", limits, ParseVariableSizeRecord);
    for (int j = 0; j < limitCount; ++j) {
      const VariableSizeRecord& record = limits[j];
      if (r_.customPaper.id != 0 && record.paperId == r_.customPaper.id) r_.customPaper.variableSize = record;
      for (int i = 0; i < count; ++i) {
        if (r_.papers[i].id == record.paperId) r_.papers[i].variableSize = record;
      }
    }
    if (count > 0) r_.partsLoaded |= kPartPapers;
  }

  void LoadPaperSources() {
    const bool filter = filter_ == 1;
    int count = ReadTable("PaperSource", r_.paperSources, ParsePaperSourceRecord, [&](const PaperSourceEntry& tray) {
      return !(filter && Forbidden(kCodePaperSource, tray.id));
    });
    if (count > 0) r_.partsLoaded |= kPartPaperSources;
  }

  void LoadOutputBins() {
    const bool filter = filter_ == 1;
    int count = ReadTable("PaperDestination", r_.outputBins, ParsePaperDestinationRecord,
                          [&](const OutputBinEntry& bin) { return !(filter && Forbidden(kCodeOutputBin, bin.id)); });
    if (count > 0) r_.partsLoaded |= kPartOutputBins;
  }

  void LoadHiddenControls() {
    DialogIdLookup lookup = lookup_;
    int count = ReadTable("HiddenControls", r_.hiddenControls,
                          [lookup](HiddenControlRow* row, const char* key, const char* value) {
                            return ParseHiddenControlRecord(row, key, value, lookup);
                          });
    if (count > 0) r_.partsLoaded |= kPartHiddenControls;
  }

  // The output-bin capabilities are those of any bin.
  void LoadOutputBinFeatures() {
    DWORD flags = 0;
    for (const OutputBinEntry& bin : r_.outputBins) {
      if (bin.name[0] == 0) break;
      flags |= bin.flags;
    }
    for (DWORD bit : {kFeatureStapling, kFeaturePunching, kFeatureFolding, kFeatureJobOffset, kFeatureFaceUpLow,
                      kFeatureFaceUpHigh}) {
      if (FeatureAsked(bit)) SetFeature(bit, (flags & bit) != 0);
    }
  }

  void SetFeature(DWORD bit, bool on) {
    if (on) {
      r_.optionWord |= bit;
    } else {
      r_.optionWord &= ~bit;
    }
  }

  void LoadSectionFeatures() {
    int16_t value = 0;
    if (FeatureAsked(kFeatureDuplex)) {
      int16_t duplex = 0;
      ModelShort("Features", "Duplex", duplex);
      // 2: a duplex unit that an installable option may take away.
      bool on = duplex == 2 ? !Forbidden(kCodeDuplex, -1) : duplex != 0;
      SetFeature(kFeatureDuplex, on);
    }
    if (FeatureAsked(kFeatureCollation)) {
      value = 0;
      ModelShort("Features", "Mop", value);
      SetFeature(kFeatureCollation, value != 0);
    }
    if (FeatureAsked(kFeaturePclDiskExtensions)) {
      value = 0;
      ModelShort("Features", "PclDiskExtensions", value);
      SetFeature(kFeaturePclDiskExtensions, value != 0);
    }
    if (FeatureAsked(kFeatureStatusMonitor)) {
      DWORD monitor = 0;
      if (PrinterDword("Printer", "Monitor", monitor) && monitor != 0) r_.optionWord |= kFeatureStatusMonitor;
    }
    // These keep their bit as it was when the description does not name them.
    const struct {
      DWORD bit;
      const char* key;
    } kOptional[] = {{kFeatureEdgeToEdge, "Edge2Edge"},
                     {kFeatureUserNameChargeCode, "UserNameChargeCode"},
                     {kFeatureNote, "Note"},
                     {kFeatureReverseOrder, "ReverseOrder"},
                     {kFeaturePageRotation, "PageRotation"}};
    for (const auto& feature : kOptional) {
      if (FeatureAsked(feature.bit) && ModelShort("Features", feature.key, value)) SetFeature(feature.bit, value != 0);
    }
  }

  void LoadVariant() {
    DWORD compatible = 0;
    r_.variant = PrinterDword("Printer", "TRQ50Compatible", compatible) && compatible != 0 ? 1 : 0;
    r_.optionWord2 = 0;
    int16_t qvot = 0;
    if (ModelShort("Graphics", "Q-VoT", qvot) && qvot != 0) r_.optionWord2 |= kOption2QVoT;
  }

  const SettingsFunctions& settings_;
  HANDLE printer_;
  ModelRecord& r_;
  DWORD parts_;
  DWORD features_;
  DWORD filter_;
  ModelFormatWarningHook warn_ = nullptr;
  OptionConstraintCheck check_ = nullptr;
  DialogIdLookup lookup_ = nullptr;
};

}  // namespace

int LoadModelConfig(const SettingsFunctions& settings, HANDLE printer, ModelRecord* record, DWORD partMask,
                    DWORD featureMask, DWORD filter) {
  return LoadModelConfig(settings, printer, record, partMask, featureMask, filter, DefaultModelLoaderVariant());
}

int LoadModelConfig(const SettingsFunctions& settings, HANDLE printer, ModelRecord* record, DWORD partMask,
                    DWORD featureMask, DWORD filter, const ModelLoaderVariant& variant) {
  if (printer == 0 || record == nullptr) return 0;
  Loader(settings, printer, *record, partMask, featureMask, filter, variant).Run();
  return 1;
}
