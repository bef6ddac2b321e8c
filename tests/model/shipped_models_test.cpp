// The two shipped model descriptions, installed on a fresh machine and loaded
// through the real settings library: every section lands in its table, from the
// first row to the last, with the end of each table where the description ends.
#include <gtest/gtest.h>

#include <cstring>

#include "common/pdl_kind.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

class ColourModel : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    printer = InstallShipped("nardo-c5545.ini", "Colour Printer");
    ASSERT_NE(printer, 0u);
    // What printer set-up leaves in the printer's data.
    SetPrinterDword(printer, "Printer", "PDL", kPdlPs3);
    SetPrinterDword(printer, "Printer", "Cfg", 7);
    SetPrinterDword(printer, "Printer", "Monitor", 1);
    SetPrinterDword(printer, "Printer", "TRQ50Compatible", 1);
    record = Load(printer);
  }
  HANDLE printer = 0;
  std::unique_ptr<ModelRecord> record;
};

class MonoModel : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    printer = InstallShipped("nardo-m3020.ini", "Mono Printer");
    ASSERT_NE(printer, 0u);
    DeletePrinterValue(printer, "Printer", "PDL");
    DeletePrinterValue(printer, "Printer", "Cfg");
    SetPrinterDword(printer, "Printer", "TRQ50Compatible", 0);
    record = Load(printer);
  }
  HANDLE printer = 0;
  std::unique_ptr<ModelRecord> record;
};

TEST_F(ColourModel, HeaderAndPrinterValues) {
  const ModelRecord& r = *record;
  EXPECT_EQ(r.formatTag, 6);
  EXPECT_EQ(r.modelId, 5545);
  EXPECT_EQ(r.modelSubId, 'C');
  EXPECT_EQ(r.pdlMask, 0x10F);  // PS3 | PCL5E
  EXPECT_EQ(r.printerPdl, kPdlPs3);
  EXPECT_EQ(r.configStamp, 7u);
  EXPECT_EQ(r.variant, 1);
  EXPECT_EQ(r.optionWord2, kOption2QVoT);
  EXPECT_EQ(r.reservedFlag, 0u);
  EXPECT_EQ(r.partsLoaded, 0xE3FF9033u);
  EXPECT_EQ(r.featuresRead, kOutputBinFeatures | kFeatureDuplex | kFeatureCollation | kFeaturePclDiskExtensions |
                                kFeatureStatusMonitor | kFeatureEdgeToEdge | kFeatureUserNameChargeCode | kFeatureNote |
                                kFeatureReverseOrder | kFeaturePageRotation);
  // Every feature is on, trimming from the trim unit and the bin capabilities from the bins.
  EXPECT_EQ(r.optionWord, kOutputBinFeatures | kFeatureDuplex | kFeatureCollation | kFeaturePclDiskExtensions |
                              kFeatureStatusMonitor | kFeatureEdgeToEdge | kFeatureTrimming |
                              kFeatureUserNameChargeCode | kFeatureNote | kFeatureReverseOrder | kFeaturePageRotation);
}

TEST_F(ColourModel, InstallableOptionsAndMemory) {
  const ModelRecord& r = *record;
  EXPECT_EQ(r.options[0].id, 1);
  EXPECT_EQ(Utf8(r.options[0].name), "フィニッシャー");
  EXPECT_EQ(r.options[0].value, 1);
  EXPECT_EQ(r.options[0].choiceCount, 2);
  EXPECT_EQ(r.options[0].choices[0], 0);
  EXPECT_EQ(r.options[0].choices[1], 1);
  const InstallableOption& punch = r.options[5];
  EXPECT_EQ(punch.id, 6);
  EXPECT_EQ(punch.kind, 2);
  EXPECT_EQ(punch.value, 2);
  ASSERT_EQ(punch.choiceCount, 3);
  EXPECT_EQ(punch.choices[2], 3);
  EXPECT_EQ(r.options[6].id, 7);
  EXPECT_EQ(r.options[7].id, 0);
  EXPECT_EQ(r.options[7].name[0], 0);

  EXPECT_EQ(r.installedMemory, 512LL * 1048576);
  EXPECT_EQ(r.memoryRows[0].megabytes, 256);
  EXPECT_EQ(r.memoryRows[3].megabytes, 2048);
  EXPECT_EQ(r.memoryRows[4].megabytes, 0);
  // The 512 MB row's numbers, rounded down to whole kilobytes.
  EXPECT_EQ(r.memorySizeA, 8388608);
  EXPECT_EQ(r.memorySizeB, 33554432);
}

TEST_F(ColourModel, PapersWithFeedDirectionsAndTheCustomSize) {
  const ModelRecord& r = *record;
  const PaperEntry& letter = r.papers[0];
  EXPECT_EQ(letter.id, 1);
  EXPECT_EQ(Utf8(letter.name), "レター");
  const PaperGeometry postScript{8500, 11000, 167, 167, 167, 167};
  const PaperGeometry pcl{8500, 11000, 250, 167, 250, 167};
  EXPECT_EQ(std::memcmp(&letter.geometry[0], &postScript, sizeof postScript), 0);
  EXPECT_EQ(std::memcmp(&letter.geometry[1], &pcl, sizeof pcl), 0);
  EXPECT_EQ(std::memcmp(&letter.geometry[2], &postScript, sizeof postScript), 0);
  EXPECT_EQ(letter.pclSizeCode, 2);
  EXPECT_EQ(letter.attr1, 0xFFFF);
  EXPECT_EQ(letter.attr8, -2);
  EXPECT_STREQ(letter.shortName, "LETTER");
  EXPECT_EQ(letter.userSizeMark, 0);

  // One paper id, two feed directions.
  EXPECT_EQ(r.papers[1].id, 1);
  EXPECT_EQ(r.papers[1].feedDirection, 1);
  EXPECT_EQ(r.papers[1].geometry[0].width, 11000);
  EXPECT_EQ(r.papers[6].id, 9);
  EXPECT_EQ(r.papers[7].id, 9);
  EXPECT_EQ(r.papers[6].feedDirection, 0);
  EXPECT_EQ(r.papers[7].feedDirection, 1);
  EXPECT_EQ(r.papers[15].id, 290);  // the default paper of variant 1

  const PaperEntry& custom = r.papers[18];
  EXPECT_EQ(custom.id, kCustomPaperId);
  EXPECT_EQ(Utf8(custom.name), "ユーザー定義サイズ");
  EXPECT_EQ(custom.userSizeMark, -1);
  EXPECT_STREQ(custom.shortName, "PJL");
  EXPECT_EQ(custom.variableSize.paperId, kCustomPaperId);
  EXPECT_EQ(custom.variableSize.geometry[0].margin1, 3543);
  EXPECT_EQ(custom.variableSize.u1, 10);
  EXPECT_EQ(r.papers[19].id, 0);
  EXPECT_EQ(std::memcmp(&r.customPaper, &custom, sizeof custom), 0);
  EXPECT_EQ(r.variableSizeDialog, 1);
  // Only the custom size has limits.
  EXPECT_TRUE(AllZero(letter.variableSize));
}

TEST_F(ColourModel, TraysBinsAndMedia) {
  const ModelRecord& r = *record;
  const PaperSourceEntry& bypass = r.paperSources[0];
  EXPECT_EQ(bypass.id, 1);
  EXPECT_EQ(Utf8(bypass.name), "手差しトレイ");
  EXPECT_EQ(bypass.s1, 3);
  EXPECT_EQ(bypass.s2, 2);
  EXPECT_EQ(bypass.s3, 0);
  EXPECT_EQ(bypass.s4, 0xFFFF);
  EXPECT_STREQ(bypass.text, "BYPASS");
  EXPECT_EQ(bypass.s5, 0);  // not in automatic tray selection
  EXPECT_EQ(r.paperSources[1].s5, 1);
  // The last tray's name is longer than its field: cut after 11 whole characters.
  const PaperSourceEntry& large = r.paperSources[4];
  EXPECT_EQ(large.id, 5);
  EXPECT_EQ(Utf8(large.name), "大容量給紙ユニット（オ");
  EXPECT_EQ(large.name[22], 0);
  EXPECT_EQ(large.name[23], 0);
  EXPECT_EQ(r.paperSources[5].id, 0);

  EXPECT_EQ(Utf8(r.outputBins[0].name), "本体トレイ");
  EXPECT_EQ(r.outputBins[0].flags, 0u);
  EXPECT_STREQ(r.outputBins[0].text, "UPPER");
  EXPECT_EQ(r.outputBins[1].flags, kFeatureJobOffset | kFeatureStapling | kFeaturePunching);
  EXPECT_EQ(r.outputBins[1].b3, 1);
  EXPECT_EQ(r.outputBins[2].flags, kFeatureFaceUpLow | kFeatureFaceUpHigh);
  EXPECT_EQ(Utf8(r.outputBins[4].name), "ソートトレイ");
  EXPECT_STREQ(r.outputBins[4].text, "OPTIONALOUTPUTBIN4");
  EXPECT_EQ(r.outputBins[5].name[0], 0);

  EXPECT_EQ(r.mediaTypes[0].id, 500);
  EXPECT_STREQ(r.mediaTypes[0].name, "Plain");
  EXPECT_EQ(Utf8(r.mediaTypes[0].displayName), "普通紙");
  EXPECT_EQ(r.mediaTypes[4].m1, 0xFFFFFFFEu);  // not given
  EXPECT_EQ(r.mediaTypes[4].m2, -2);
  EXPECT_EQ(Utf8(r.mediaTypes[7].displayName), "表紙用紙");
  EXPECT_EQ(r.mediaTypes[10].id, 510);
  EXPECT_EQ(r.mediaTypes[11].id, 0);

  EXPECT_EQ(r.resolutions[0].xDpi, 600);
  EXPECT_EQ(r.resolutions[1].yDpi, 1200);
  EXPECT_EQ(r.resolutions[2].id, 0);
}

TEST_F(ColourModel, FinishersFontsTabsAndConstraints) {
  const ModelRecord& r = *record;
  EXPECT_EQ(r.stapleLocations[3].a, 4);
  EXPECT_EQ(r.stapleLocations[3].d, 1);
  EXPECT_EQ(r.stapleLocations[4].a, 0);
  EXPECT_EQ(r.staplers[1].id, 2);
  EXPECT_EQ(r.staplers[2].id, 0);
  EXPECT_STREQ(r.folds[0].name, "HALF");
  EXPECT_STREQ(r.folds[1].name, "TRIFOLD");
  EXPECT_EQ(r.folds[1].b, 3);
  EXPECT_STREQ(r.punches[2].name, "4HOLE");
  EXPECT_STREQ(r.trims[0].name, "FORE");
  EXPECT_EQ(r.trims[1].id, 0);

  EXPECT_EQ(r.deviceFonts[0].fontId, 101);
  EXPECT_EQ(r.deviceFonts[0].pdl, 0x103);
  EXPECT_STREQ(r.deviceFonts[2].shortName, "HelveticaNar");
  EXPECT_EQ(Utf8(r.deviceFonts[4].secondName), "明朝");
  // The vertical faces follow the level ones of each language.
  EXPECT_EQ(r.deviceFonts[6].fontId, 107);
  EXPECT_EQ(Utf8(r.deviceFonts[6].secondName), "@明朝");
  EXPECT_EQ(r.deviceFonts[8].pdl, 0x408C);
  EXPECT_EQ(r.deviceFonts[12].fontId, 205);
  EXPECT_EQ(r.deviceFonts[12].pdl, 0x8C);
  EXPECT_EQ(r.deviceFonts[13].fontId, 206);
  EXPECT_EQ(r.deviceFonts[14].faceName[0], 0);

  EXPECT_EQ(r.tabInfo[0].id, 1);
  EXPECT_EQ(Utf8(r.tabInfo[0].name), "A4 タブ紙 5山");
  EXPECT_EQ(r.tabInfo[0].l1, 271);
  EXPECT_EQ(r.tabInfo[0].i1, 5);
  EXPECT_EQ(r.tabInfo[2].id, 0);

  const ConstraintRow first{65, 0, 4, 2, 4};
  const ConstraintRow last{2048, 1, 32, 4, 1};
  EXPECT_EQ(std::memcmp(&r.constraints[0], &first, sizeof first), 0);
  EXPECT_EQ(std::memcmp(&r.constraints[23], &last, sizeof last), 0);
  EXPECT_EQ(r.constraints[24].option, 0);
  EXPECT_EQ(r.hiddenControls[0].controlId, 0);
}

TEST_F(MonoModel, PclOnlyModelWithoutFinisher) {
  const ModelRecord& r = *record;
  EXPECT_EQ(r.modelId, 3020);
  EXPECT_EQ(r.pdlMask, 0x400C);   // PCL5E | PCLXL
  EXPECT_EQ(r.printerPdl, 0x8C);  // no "Printer"/"PDL" yet
  EXPECT_EQ(r.configStamp, 0u);   // no "Printer"/"Cfg" yet
  EXPECT_EQ(r.variant, 0);
  EXPECT_EQ(r.optionWord2, 0u);
  // Sections the model does not have leave their parts to the defaults.
  for (DWORD part : {kPartStaplers, kPartFolds, kPartPunches, kPartStapleLocations}) {
    EXPECT_EQ(r.partsLoaded & part, 0u) << std::hex << part;
  }
  // The hidden controls share their bits with the trim and tab parts, and set both.
  EXPECT_EQ(r.partsLoaded & kPartHiddenControls, kPartHiddenControls);
  EXPECT_EQ(r.trims[0].id, 0);
  EXPECT_EQ(r.tabInfo[0].id, 0);
  EXPECT_EQ(r.staplers[0].id, 0);
  // Present and 0: the features are cleared, and no trim unit means no trimming.
  EXPECT_EQ(r.optionWord & (kFeatureReverseOrder | kFeaturePageRotation | kFeatureCollation | kFeatureNote |
                            kFeatureTrimming | kFeatureStapling | kFeaturePclDiskExtensions),
            0u);
  EXPECT_EQ(r.optionWord & (kFeatureDuplex | kFeatureUserNameChargeCode | kFeatureFaceUpLow | kFeatureFaceUpHigh),
            kFeatureDuplex | kFeatureUserNameChargeCode | kFeatureFaceUpLow | kFeatureFaceUpHigh);

  EXPECT_EQ(r.installedMemory, 64LL * 1048576);
  EXPECT_EQ(r.memorySizeA, 2097152);
  EXPECT_EQ(r.memorySizeB, 0);
  EXPECT_EQ(r.options[1].id, 2);
  EXPECT_EQ(r.options[2].id, 0);

  EXPECT_EQ(r.papers[10].id, kCustomPaperId);
  EXPECT_EQ(r.papers[11].id, 0);
  EXPECT_EQ(r.customPaper.variableSize.geometry[0].margin4, 8500);
  EXPECT_EQ(r.paperSources[2].id, 3);
  EXPECT_EQ(r.paperSources[3].id, 0);
  EXPECT_EQ(Utf8(r.outputBins[1].name), "背面トレイ（フェイスアップ）");
  EXPECT_EQ(r.resolutions[1].xDpi, 300);
  EXPECT_EQ(r.mediaTypes[4].id, 506);
  EXPECT_EQ(r.mediaTypes[5].id, 0);
  EXPECT_EQ(r.deviceFonts[5].fontId, 306);

  const HiddenControlRow first{1201, 206, 1321};
  const HiddenControlRow last{1205, 206, 1618};
  EXPECT_EQ(std::memcmp(&r.hiddenControls[0], &first, sizeof first), 0);
  EXPECT_EQ(std::memcmp(&r.hiddenControls[4], &last, sizeof last), 0);
  EXPECT_EQ(r.hiddenControls[5].controlId, 0);
  EXPECT_EQ(r.constraints[3].value, 505);
  EXPECT_EQ(r.constraints[4].option, 0);
}

}  // namespace
}  // namespace modeltest
