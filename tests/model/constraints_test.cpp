// The constraint checks on a record built in memory: which rows fire for a choice
// under the installed options and the device mode's settings, with the option and
// value wildcards, the flags 0x1, 0x4 and 0x10, and where a scan ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <memory>

#include "model/constraints.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

// Installed: option 1 = 1, option 3 = 0, option 5 = 2; option 7 is not installed.
std::unique_ptr<ModelRecord> RecordWith(std::initializer_list<ConstraintRow> rows) {
  auto record = std::make_unique<ModelRecord>();
  const struct {
    int id, value;
    const char* name;
  } options[] = {{1, 1, "Finisher"}, {3, 0, "Duplex unit"}, {5, 2, "Large tray"}};
  int i = 0;
  for (const auto& option : options) {
    record->options[i].id = option.id;
    record->options[i].value = option.value;
    std::snprintf(record->options[i].name, sizeof record->options[i].name, "%s", option.name);
    ++i;
  }
  i = 0;
  for (const ConstraintRow& row : rows) record->constraints[i++] = row;
  return record;
}

std::unique_ptr<XDEVMODE> DevMode() {
  auto devmode = std::make_unique<XDEVMODE>();
  devmode->dmPrivate._iOutputSize = 0xFFFF;
  return devmode;
}

TEST(OptionConstraint, RowsFireByInstalledValueFlagsAndWildcards) {
  struct Case {
    ConstraintRow row;
    int option, value, feature, choice;
    int fires;
  } cases[] = {
      // The firing rule, on option 1 (installed value 1) forbidding bin 2.
      {{65, 1, 4, 2, 0}, 64, -1, 4, 2, 1},    // holds, flags 0
      {{65, 0, 4, 2, 0}, 64, -1, 4, 2, 1},    // fails, flags 0: fires all the same
      {{65, 1, 4, 2, 0x1}, 64, -1, 4, 2, 0},  // idle while it holds
      {{65, 0, 4, 2, 0x1}, 64, -1, 4, 2, 1},
      {{65, 1, 4, 2, 0x4}, 64, -1, 4, 2, 1},
      {{65, 0, 4, 2, 0x4}, 64, -1, 4, 2, 0},  // idle while it fails
      {{65, 1, 4, 2, 0x5}, 64, -1, 4, 2, 0},
      {{65, 0, 4, 2, 0x5}, 64, -1, 4, 2, 0},
      {{65, 1, 4, 2, 0x10}, 64, -1, 4, 2, 0},  // a conflict pair never fires
      {{65, 0, 4, 2, 0x12}, 64, -1, 4, 2, 0},
      // Only rows of the asked feature and choice count.
      {{65, 1, 4, 3, 0}, 64, -1, 4, 2, 0},
      {{65, 1, 2, 2, 0}, 64, -1, 4, 2, 0},
      // Option 7 is not installed; option 99 is the last option code.
      {{71, 0, 4, 2, 0}, 64, -1, 4, 2, 0},
      {{71, 0, 4, 2, 0}, -1, -1, 4, 2, 0},
      {{99, 0, 4, 2, 0}, 64, -1, 4, 2, 0},
      // A device-mode condition is never an installed option, whatever the wildcard.
      {{2, 1, 4, 2, 0}, -1, -1, 4, 2, 0},
      {{2, 1, 4, 2, 0}, 2, -1, 4, 2, 0},
      {{64, 1, 4, 2, 0}, 64, -1, 4, 2, 0},
      // Option filter: 64 any installed option, -1 any row, else exactly that option.
      {{67, 0, 128, -1, 0x4}, 64, -1, 128, -1, 1},
      {{67, 0, 128, -1, 0x4}, -1, -1, 128, -1, 1},
      {{67, 0, 128, -1, 0x4}, 67, -1, 128, -1, 1},
      {{67, 0, 128, -1, 0x4}, 65, -1, 128, -1, 0},
      // Value filter: -1 any row value, else exactly that value.
      {{67, 0, 128, -1, 0x4}, 64, 0, 128, -1, 1},
      {{67, 0, 128, -1, 0x4}, 64, 1, 128, -1, 0},
      {{69, 2, 2, 5, 0x4}, 64, 2, 2, 5, 1},
      {{69, 1, 2, 5, 0x4}, 64, -1, 2, 5, 0},
  };
  for (const Case& c : cases) {
    const ConstraintRow& r = c.row;
    SCOPED_TRACE(testing::Message() << "row " << r.option << "," << r.value << ";" << r.feature << "," << r.choice
                                    << ";" << r.flags << " asked " << c.option << "," << c.value << "," << c.feature
                                    << "," << c.choice);
    auto record = RecordWith({r});
    EXPECT_EQ(CheckOptionConstraint(record.get(), c.option, c.value, c.feature, c.choice), c.fires);
  }
  EXPECT_EQ(CheckOptionConstraint(nullptr, 64, -1, 4, 2), 0);
}

TEST(OptionConstraint, ScanEndsAtTheFirstRowWithoutOption) {
  auto record = RecordWith({{65, 1, 4, 1, 0x1}, {0, 0, 0, 0, 0}, {65, 1, 4, 2, 0}});
  EXPECT_EQ(CheckOptionConstraint(record.get(), 64, -1, 4, 2), 0);
  EXPECT_EQ(IsChoiceConstrained(record.get(), DevMode().get(), 4, 2), 0);

  // A full table has no end row: its last row is read.
  auto full = RecordWith({});
  for (ConstraintRow& row : full->constraints) row = {65, 1, 8, 1, 0x1};
  full->constraints[kModelMaxConstraints - 1] = {65, 1, 4, 2, 0};
  EXPECT_EQ(CheckOptionConstraint(full.get(), 64, -1, 4, 2), 1);
}

TEST(ChoiceConstrained, ConditionsComeFromTheDeviceModeOrTheInstalledOptions) {
  struct Case {
    const char* what;
    ConstraintRow row;
    void (*set)(XDEVMODE&);
    int feature, choice;
    int fires;
  } cases[] = {
      // clang-format off
      {"media 504 forbids duplex", {512, 504, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nMediaType = 504; }, 128,
       -1, 1},
      // clang-format on
      {"media 505", {512, 504, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nMediaType = 505; }, 128, -1, 0},
      {"media is signed", {512, -2, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nMediaType = 0xFFFE; }, 128, -1, 1},
      {"booklet 2 reads as 1", {2048, 1, 32, 2, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nBooklet = 2; }, 32, 2, 1},
      {"booklet off", {2048, 1, 32, 2, 0x4}, [](XDEVMODE&) {}, 32, 2, 0},
      {"idle while booklet on", {2048, 1, 32, 4, 0x1}, [](XDEVMODE& d) { d.dmPrivate._nBooklet = 1; }, 32, 4, 0},
      {"fires while booklet off", {2048, 1, 32, 4, 0x1}, [](XDEVMODE&) {}, 32, 4, 1},
      {"output bin 3", {4, 3, 16, 1, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nOutputTray = 259; }, 16, 1, 1},
      // clang-format off
      {"output tray below 256 has no value", {4, 3, 16, 1, 0}, [](XDEVMODE& d) { d.dmPrivate._nOutputTray = 3; },
       16, 1, 0},
      // clang-format on
      {"paper source 5", {2, 5, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPublic.dmDefaultSource = 261; }, 128, -1, 1},
      {"auto source is -241", {2, 5, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPublic.dmDefaultSource = 15; }, 128, -1, 0},
      {"punch is signed", {16, -1, 8, 1, 0x4}, [](XDEVMODE& d) { d.dmPrivate.punchId = -1; }, 8, 1, 1},
      {"staple 3", {32, 3, 8, 2, 0x4}, [](XDEVMODE& d) { d.dmPrivate._wStaple = 3; }, 8, 2, 1},
      {"trim has no device-mode value", {1024, 0, 8, 2, 0}, [](XDEVMODE&) {}, 8, 2, 0},
      {"installed option 1 = 1", {65, 1, 16, 3, 0x4}, [](XDEVMODE&) {}, 16, 3, 1},
      {"option 7 not installed", {71, 0, 16, 3, 0}, [](XDEVMODE&) {}, 16, 3, 0},
      {"other choice", {512, 504, 128, -1, 0x4}, [](XDEVMODE& d) { d.dmPrivate._nMediaType = 504; }, 128, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto record = RecordWith({c.row});
    auto devmode = DevMode();
    c.set(*devmode);
    EXPECT_EQ(IsChoiceConstrained(record.get(), devmode.get(), c.feature, c.choice), c.fires);
  }
  auto record = RecordWith({{65, 1, 16, 3, 0}});
  EXPECT_EQ(IsChoiceConstrained(record.get(), nullptr, 16, 3), 0);
  EXPECT_EQ(IsChoiceConstrained(nullptr, DevMode().get(), 16, 3), 0);
}

TEST(ChoiceConstrained, PaperConditionIsTheRowOfTheSelectedPaper) {
  auto record = RecordWith({});
  const struct {
    WORD id;
    BYTE feed;
  } papers[] = {{1, 0}, {1, 1}, {9, 1}, {9, 0}, {9, 1}};
  for (int i = 0; i < 5; ++i) {
    record->papers[i].id = papers[i].id;
    record->papers[i].feedDirection = papers[i].feed;
  }
  record->papers[6].id = 7;  // behind the end row
  struct Case {
    DWORD outputSize;
    SHORT paperSize;
    DWORD feed;
    int row;
  } cases[] = {
      {0xFFFF, 1, 0, 1}, {0xFFFF, 1, 1, 2}, {0xFFFF, 1, 2, 2},  // no row of that feed: the last of the id
      {9, 1, 1, 3},      {9, 1, 0, 4},      {9, 1, 5, 5},       // the output size wins over the paper
      {0xFFFF, 5, 0, 0}, {7, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.outputSize << " " << c.paperSize << " " << c.feed);
    auto devmode = DevMode();
    devmode->dmPrivate._iOutputSize = c.outputSize;
    devmode->dmPublic.dmPaperSize = c.paperSize;
    devmode->dmPrivate._iOutputFeedDirection = c.feed;
    int value = -7;
    EXPECT_EQ(GetSettingValue(record.get(), devmode.get(), kCodePaperSize, &value), 1);
    EXPECT_EQ(value, c.row);
  }

  // A constraint on paper row 2 (Letter fed long edge first) forbids duplex.
  record->constraints[0] = {1, 2, 128, -1, 0x4};
  auto devmode = DevMode();
  devmode->dmPublic.dmPaperSize = 1;
  devmode->dmPrivate._iOutputFeedDirection = 1;
  EXPECT_EQ(IsChoiceConstrained(record.get(), devmode.get(), 128, -1), 1);
  devmode->dmPrivate._iOutputFeedDirection = 0;
  EXPECT_EQ(IsChoiceConstrained(record.get(), devmode.get(), 128, -1), 0);

  int value = 0;
  for (int code : {64, 65, 128, 1024, 0x4000, 0}) {
    EXPECT_EQ(GetSettingValue(record.get(), devmode.get(), code, &value), 0) << code;
  }
}

TEST(ConflictPairs, OnlyRowsWithFlag16Count) {
  auto record = RecordWith(
      {{512, 504, 0x4000, 1, 0x4}, {512, 504, 0x4000, 1, 0x10}, {65, 1, 0x4000, 2, 0x14}, {2048, 1, 32, 1, 0}});
  auto devmode = DevMode();
  devmode->dmPrivate._nMediaType = 504;
  struct Case {
    int a, b, c, d;
    SHORT media;
    int result;
  } cases[] = {
      // By the current settings: feature a, choice b, condition holding now.
      {0x4000, 1, 0, 0, 504, 1},
      {0x4000, 1, 0, 0, 505, 0},  // the conflict's condition does not hold
      {0x4000, 2, 0, 0, 505, 1},  // installed option 1 is 1
      {32, 1, 0, 0, 504, 0},      // a row without flag 16 is no conflict pair
      // By the row itself: option a, value b, feature c, choice d.
      {512, 504, 0x4000, 1, 505, 1},
      {512, 505, 0x4000, 1, 504, 0},
      {65, 1, 0x4000, 2, 505, 1},
      {2048, 1, 32, 1, 504, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << "," << c.b << "," << c.c << "," << c.d << " media " << c.media);
    devmode->dmPrivate._nMediaType = c.media;
    EXPECT_EQ(CheckOptionConstraints(record.get(), devmode.get(), c.a, c.b, c.c, c.d), c.result);
  }
  EXPECT_EQ(CheckOptionConstraints(record.get(), nullptr, 0x4000, 1, 0, 0), 0);
  EXPECT_EQ(CheckOptionConstraints(nullptr, devmode.get(), 0x4000, 1, 0, 0), 0);
}

TEST(InstalledOptionValue, SearchEndsAtTheFirstOptionWithoutName) {
  auto record = RecordWith({});
  int value = -1;
  EXPECT_EQ(GetInstalledOptionValue(record.get(), 5, &value), 1);
  EXPECT_EQ(value, 2);
  EXPECT_EQ(GetInstalledOptionValue(record.get(), 7, &value), 0);
  record->options[3].id = 7;  // an id without a name is behind the end of the list
  record->options[3].value = 1;
  EXPECT_EQ(GetInstalledOptionValue(record.get(), 7, &value), 0);
  EXPECT_EQ(GetInstalledOptionValue(record.get(), 1, nullptr), 0);
  EXPECT_EQ(GetInstalledOptionValue(nullptr, 1, &value), 0);
}

}  // namespace
}  // namespace modeltest
