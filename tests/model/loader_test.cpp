// The loader's rules beyond the parsers: what comes from where, what a partial
// load keeps, how tables are limited, and the faults it must not have (a modal
// warning on a spooler thread, stale rows after a reload, installed memory that
// wraps in 32 bits).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "model/format_warning.h"
#include "model/pdl_names.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

// A model description with a [General] section of its own name and the given sections.
std::string Model(const std::string& name, const std::string& sections, const char* version = "2.0") {
  std::string text = "[General]\nModelName=" + name + "\nModelID=1\n";
  if (version) text += std::string("FormatVersion=") + version + "\n";
  return text + sections;
}

std::vector<std::array<int, 3>> g_warnings;
void RecordWarning(int major, int minor, int expected) { g_warnings.push_back({major, minor, expected}); }

TEST_F(ModelTest, FormatVersionOtherThanTwoWarnsThroughTheHookAndLoadsAnyway) {
  struct Case {
    const char* version;  // null: no key
    bool warns;
    int major, minor;
  } cases[] = {{"3.0", true, 3, 0},  {"1.5", true, 1, 5}, {"3", true, 3, 0},
               {"2.7", false, 0, 0}, {"2", false, 0, 0},  {nullptr, false, 0, 0}};
  ModelLoaderVariant variant;
  variant.formatWarning = RecordWarning;
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version ? c.version : "(none)");
    std::string name = "Version Model " + std::to_string(++index);
    HANDLE printer = InstallText(Model(name, "[Resolution]\n1=600\n", c.version), name);
    g_warnings.clear();
    auto record = Load(printer, kAllModelParts, kAllModelFeatures, 0, variant);
    if (c.warns) {
      ASSERT_EQ(g_warnings.size(), 1u);
      EXPECT_EQ(g_warnings[0], (std::array<int, 3>{c.major, c.minor, 2}));
    } else {
      EXPECT_TRUE(g_warnings.empty());
    }
    EXPECT_EQ(record->resolutions[0].xDpi, 600);
  }
}

TEST_F(ModelTest, DefaultFormatWarningIsATraceUnlessTheLibrarySetsAHook) {
  HANDLE printer = InstallText(Model("Future Model", "", "3.1"), "Future Printer");
  std::vector<std::string> traces;
  platform::SetDebugOutputSink([&](std::string_view text) { traces.emplace_back(text); });
  Load(printer);
  platform::SetDebugOutputSink(nullptr);
  int warnings = 0;
  for (const std::string& trace : traces)
    warnings += trace.find("version 3.1; expecting version 2.x") != std::string::npos;
  EXPECT_EQ(warnings, 1);

  // The user-interface library installs its own hook for the whole process.
  g_warnings.clear();
  ModelFormatWarningHook previous = SetModelFormatWarningHook(RecordWarning);
  Load(printer);
  SetModelFormatWarningHook(previous == TraceModelFormatWarning ? nullptr : previous);
  ASSERT_EQ(g_warnings.size(), 1u);
  EXPECT_EQ(g_warnings[0], (std::array<int, 3>{3, 1, 2}));
}

TEST_F(ModelTest, ReloadOverAnotherModelLeavesNoStaleRows) {
  HANDLE colour = InstallShipped("nardo-c5545.ini", "Colour Printer");
  HANDLE mono = InstallShipped("nardo-m3020.ini", "Mono Printer");
  auto record = Load(colour);
  const DWORD colourParts = record->partsLoaded;
  ASSERT_EQ(record->constraints[23].option, 2048);

  // The constraint table belongs to no part: even a load of nothing reads it.
  ASSERT_EQ(LoadModelConfig(settings, mono, record.get(), 0, 0, 0), 1);
  EXPECT_EQ(record->constraints[3].value, 505);
  for (int i = 4; i < kModelMaxConstraints; ++i) ASSERT_TRUE(AllZero(record->constraints[i])) << i;

  ASSERT_EQ(LoadModelConfig(settings, mono, record.get(), kPartPapers | kPartPaperSources | kPartOutputBins, 0, 0), 1);
  EXPECT_EQ(record->papers[10].id, kCustomPaperId);
  for (int i = 11; i < kModelMaxPapers; ++i) ASSERT_TRUE(AllZero(record->papers[i])) << i;
  EXPECT_EQ(record->paperSources[3].id, 0);
  EXPECT_EQ(record->outputBins[2].name[0], 0);
  EXPECT_EQ(record->customPaper.variableSize.geometry[0].margin4, 8500);
  // A load never takes a part bit away.
  EXPECT_EQ(record->partsLoaded & colourParts, colourParts);
}

TEST_F(ModelTest, InstalledMemoryIsHeldInSixtyFourBits) {
  HANDLE printer = InstallText(Model("Memory Model",
                                     "[Memory]\nInstalled=512\n1=512,1000,2000\n2=2048,4096,8192\n"
                                     "3=4096,1048576,2097152\n"),
                               "Memory Printer");
  struct Case {
    const char* printerValue;  // null: no printer-data value
    bool loaded;
    int64_t megabytes;
    int32_t sizeA;
  } cases[] = {
      {nullptr, true, 512, 0},        // the model's value; 1000 bytes round down to 0
      {"2048", true, 2048, 4096},     // negative as a signed 32-bit byte count
      {"4096", true, 4096, 1048576},  // 0 in 32 bits
      {"", true, 512, 0},             // an empty printer value falls back to the model's
      {"-1", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printerValue ? c.printerValue : "(none)");
    if (c.printerValue) {
      SetPrinterString(printer, "Memory", "Installed", c.printerValue);
    } else {
      DeletePrinterValue(printer, "Memory", "Installed");
    }
    auto record = Load(printer);
    EXPECT_EQ((record->partsLoaded & kPartInstalledMemory) != 0, c.loaded);
    EXPECT_EQ(record->installedMemory, c.megabytes * 1048576);
    EXPECT_EQ((record->partsLoaded & kPartMemorySizeA) != 0, c.loaded);
    EXPECT_EQ(record->memorySizeA, c.sizeA);
  }

  // Given nowhere, the size is left for the defaults to fill.
  HANDLE bare = InstallText(Model("Bare Model", "[Memory]\n1=64,0,0\n"), "Bare Printer");
  auto record = Load(bare);
  EXPECT_EQ(record->partsLoaded & (kPartInstalledMemory | kPartMemorySizeA | kPartMemorySizeB), 0u);
}

TEST_F(ModelTest, PrinterDataReplacesInstalledOptionsOnlyWithAWholeRecord) {
  HANDLE printer = InstallShipped("nardo-c5545.ini", "Colour Printer");
  SetPrinterString(printer, "InstallableOptions", "5", "1,LCT,1,0;");
  SetPrinterString(printer, "InstallableOptions", "2", "");
  SetPrinterString(printer, "InstallableOptions", "3", "garbage");
  SetPrinterString(printer, "InstallableOptions", "9", "1,Extra,1,0;");
  auto record = Load(printer);
  EXPECT_STREQ(record->options[4].name, "LCT");
  EXPECT_EQ(record->options[4].value, 1);
  EXPECT_EQ(record->options[4].choiceCount, 2);  // the choices stay the model's
  EXPECT_EQ(Utf8(record->options[1].name), "増設給紙ユニット");
  EXPECT_EQ(record->options[1].value, 1);
  EXPECT_EQ(Utf8(record->options[2].name), "両面印刷ユニット");
  EXPECT_EQ(record->options[7].id, 0);  // no option 9 in the model
}

TEST_F(ModelTest, TablesStopAtTheirCapacityAndSkipRowsTheyRefuse) {
  std::string sections = "[Paper]\n";
  for (int i = 1; i <= 30; ++i) sections += std::to_string(i) + "=P" + std::to_string(i) + ";1000,2000\n";
  sections += "[Resolution]\n0=600\n1=0\nName=300\n2=600\n3=1200\n";
  sections += "[InstallableOptions]\n";
  for (int i = 1; i <= 9; ++i) sections += std::to_string(i) + "=1,Option" + std::to_string(i) + ",1\n";
  sections += "[InstallableOptions/1]\nx=not a choice\n0=\n";
  for (int i = 1; i <= 12; ++i) sections += std::to_string(i) + "=c\n";
  sections += "[MediaType]\n500=Plain\n501=;1,2\n502=" + std::string(1100, 'M') + "\n503=Thick\n";
  HANDLE printer = InstallText(Model("Full Model", sections), "Full Printer");
  auto record = Load(printer);

  EXPECT_STREQ(record->papers[27].name, "P28");
  EXPECT_EQ(record->resolutions[0].id, 2);
  EXPECT_EQ(record->resolutions[1].id, 3);
  EXPECT_EQ(record->resolutions[1].xDpi, 1200);
  EXPECT_EQ(record->resolutions[2].id, 0);
  EXPECT_STREQ(record->options[7].name, "Option8");  // a ninth option is ignored
  EXPECT_EQ(record->options[0].choiceCount, 10);
  EXPECT_EQ(record->options[0].choices[0], 1);
  EXPECT_EQ(record->options[0].choices[9], 10);
  // A refused row and a value too long to be read whole leave no gap.
  EXPECT_EQ(record->mediaTypes[0].id, 500);
  EXPECT_EQ(record->mediaTypes[1].id, 503);
  EXPECT_EQ(record->mediaTypes[2].id, 0);
}

TEST_F(ModelTest, PdlNamesMatchWithoutRegardToCase) {
  HANDLE printer =
      InstallText(Model("Language Model", "[PDL]\n1=ps3\n2=PcL5e\n3=Unknown\nDefault=1\n"), "Language Printer");
  EXPECT_EQ(Load(printer)->pdlMask, 0x10F);

  struct Case {
    const char* name;
    WORD bits;
  } cases[] = {{"PS3", 0x103}, {"PS2", 0x3}, {"ps", 0x3},   {"PS1", 0x1},      {"pcl5si", 0x8C},
               {"PCL5E", 0xC}, {"Pcl", 0xC}, {"PCL5", 0x4}, {"PCLXL", 0x4000}, {"PCL 5", 0},
               {"PS3X", 0},    {"", 0},      {nullptr, 0}};
  for (const Case& c : cases) EXPECT_EQ(PdlBitsFromName(c.name), c.bits) << (c.name ? c.name : "(null)");
}

// Forbids tray 5, bin 3 and duplex, as an installed-option constraint would.
std::vector<std::array<int, 4>> g_checks;
int ForbidSome(const ModelRecord*, int option, int value, int feature, int choice) {
  g_checks.push_back({option, value, feature, choice});
  return (feature == kCodePaperSource && choice == 5) || (feature == kCodeOutputBin && choice == 3) ||
         (feature == kCodeDuplex && choice == -1);
}

TEST_F(ModelTest, FilterOneDropsTraysAndBinsAnOptionForbids) {
  HANDLE printer = InstallShipped("nardo-c5545.ini", "Colour Printer");
  ModelLoaderVariant variant;
  variant.optionConstraint = ForbidSome;

  g_checks.clear();
  auto filtered = Load(printer, kAllModelParts, kAllModelFeatures, 1, variant);
  EXPECT_EQ(filtered->paperSources[3].id, 4);
  EXPECT_EQ(filtered->paperSources[4].id, 0);
  const WORD bins[] = {1, 2, 4, 5, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(filtered->outputBins[i].id, bins[i]) << i;
  // "Duplex" = 2 asks the same check whatever the filter.
  EXPECT_EQ(filtered->optionWord & kFeatureDuplex, 0u);
  ASSERT_FALSE(g_checks.empty());
  for (const auto& check : g_checks) {
    EXPECT_EQ(check[0], kCodeAnyOption);
    EXPECT_EQ(check[1], -1);
  }

  auto unfiltered = Load(printer, kAllModelParts, kAllModelFeatures, 0, variant);
  EXPECT_EQ(unfiltered->paperSources[4].id, 5);
  EXPECT_EQ(unfiltered->outputBins[4].id, 5);
  EXPECT_EQ(unfiltered->optionWord & kFeatureDuplex, 0u);
}

TEST_F(ModelTest, PartialLoadTouchesOnlyWhatItIsAskedFor) {
  HANDLE printer = InstallShipped("nardo-c5545.ini", "Colour Printer");
  SetPrinterDword(printer, "Printer", "TRQ50Compatible", 1);
  auto record = std::make_unique<ModelRecord>();
  record->partsLoaded = kPartFolds;
  record->resolutions[0] = {7, 1, 1};
  record->optionWord = kFeatureReverseOrder;
  ASSERT_EQ(LoadModelConfig(settings, printer, record.get(), kPartPapers, 0, 0), 1);
  EXPECT_EQ(record->formatTag, 6);
  EXPECT_EQ(record->partsLoaded, kPartFolds | kPartPapers);
  EXPECT_EQ(record->featuresRead, 0u);
  EXPECT_EQ(record->papers[0].id, 1);
  EXPECT_EQ(record->resolutions[0].id, 7);
  EXPECT_EQ(record->folds[0].id, 0);
  EXPECT_EQ(record->modelId, 0);
  EXPECT_EQ(record->optionWord, kFeatureReverseOrder);
  // Read by every load.
  EXPECT_EQ(record->constraints[0].option, 65);
  EXPECT_EQ(record->variant, 1);
  EXPECT_EQ(record->optionWord2, kOption2QVoT);
}

TEST_F(ModelTest, FeaturesMissingFromTheDescriptionKeepTheirBit) {
  HANDLE printer = InstallText(Model("Feature Model", "[Features]\nDuplex=1\nNote=0\n"), "Feature Printer");
  const DWORD asked = kFeatureDuplex | kFeatureCollation | kFeatureNote | kFeatureReverseOrder | kFeaturePageRotation |
                      kFeatureStatusMonitor;
  auto record = std::make_unique<ModelRecord>();
  record->optionWord = kFeatureReverseOrder | kFeatureNote | kFeatureCollation | kFeatureStatusMonitor;
  SetPrinterDword(printer, "Printer", "Monitor", 0);
  ASSERT_EQ(LoadModelConfig(settings, printer, record.get(), 0, asked, 0), 1);
  EXPECT_EQ(record->optionWord, kFeatureDuplex | kFeatureReverseOrder | kFeatureStatusMonitor);
  EXPECT_EQ(record->featuresRead, asked);

  SetPrinterDword(printer, "Printer", "Monitor", 1);
  record->optionWord = 0;
  ASSERT_EQ(LoadModelConfig(settings, printer, record.get(), 0, asked, 0), 1);
  EXPECT_EQ(record->optionWord, kFeatureDuplex | kFeatureStatusMonitor);
}

TEST_F(ModelTest, RefusesNullArgumentsAndSurvivesAnUnboundStore) {
  HANDLE printer = InstallShipped("nardo-m3020.ini", "Mono Printer");
  ModelRecord record{};
  EXPECT_EQ(LoadModelConfig(settings, 0, &record, kAllModelParts, kAllModelFeatures, 0), 0);
  EXPECT_EQ(LoadModelConfig(settings, printer, nullptr, kAllModelParts, kAllModelFeatures, 0), 0);
  EXPECT_EQ(record.formatTag, 0);

  // Without the settings library every read fails: nothing is loaded, and the
  // table parts stay clear for the defaults.
  SettingsFunctions unbound;
  ASSERT_EQ(LoadModelConfig(unbound, printer, &record, kAllModelParts, kAllModelFeatures, 0), 1);
  EXPECT_EQ(record.formatTag, 6);
  EXPECT_EQ(record.printerPdl, 0x8C);
  EXPECT_EQ(record.partsLoaded & (kPartPapers | kPartResolutions | kPartInstalledMemory), 0u);
  EXPECT_EQ(record.papers[0].id, 0);
}

}  // namespace
}  // namespace modeltest
