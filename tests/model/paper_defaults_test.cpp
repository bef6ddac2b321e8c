// The defaults a record gets where its description is silent, and the
// user-defined paper size of a device mode written into (or computed beside) a
// record's paper table.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "model/paper_defaults.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

void ExpectPaper(const PaperEntry& paper, WORD id, const char* name, int32_t width, int32_t height) {
  EXPECT_EQ(paper.id, id);
  EXPECT_STREQ(paper.name, name);
  for (const PaperGeometry& g : paper.geometry) {
    EXPECT_EQ(g.width, width);
    EXPECT_EQ(g.height, height);
    EXPECT_EQ(g.margin1, 200);
    EXPECT_EQ(g.margin2, 200);
    EXPECT_EQ(g.margin3, 200);
    EXPECT_EQ(g.margin4, 200);
  }
  // Everything else of the row stays zero.
  PaperEntry rest = paper;
  std::memset(rest.name, 0, sizeof rest.name);
  std::memset(rest.geometry, 0, sizeof rest.geometry);
  rest.id = 0;
  EXPECT_TRUE(AllZero(rest));
}

TEST(ModelDefaults, FillOnlyTheAskedPartsThatHaveDefaults) {
  auto record = std::make_unique<ModelRecord>();
  ASSERT_EQ(SetModelRecordDefaults(record.get(), kPartPapers | kPartResolutions), 1);
  EXPECT_EQ(record->partsLoaded, 0x00090000u);
  ExpectPaper(record->papers[0], 1, "Letter", 8500, 11000);
  ExpectPaper(record->papers[1], 9, "A4", 8267, 11692);
  EXPECT_EQ(record->papers[2].id, 0);
  EXPECT_EQ(record->resolutions[0].id, 1);
  EXPECT_EQ(record->resolutions[0].xDpi, 600);
  EXPECT_EQ(record->resolutions[0].yDpi, 600);
  EXPECT_EQ(record->resolutions[1].id, 0);
  EXPECT_EQ(record->installedMemory, 0);

  auto memory = std::make_unique<ModelRecord>();
  ASSERT_EQ(SetModelRecordDefaults(memory.get(), kAllModelParts), 1);
  EXPECT_EQ(memory->installedMemory, 8388608);
  EXPECT_EQ(memory->memorySizeA, 1048576);
  EXPECT_EQ(memory->memorySizeB, 1048576);
  // Parts without defaults keep their bit clear and their table empty.
  EXPECT_EQ(memory->partsLoaded,
            kPartPapers | kPartResolutions | kPartInstalledMemory | kPartMemorySizeA | kPartMemorySizeB);
  EXPECT_EQ(memory->paperSources[0].id, 0);
  EXPECT_EQ(memory->options[0].id, 0);
}

TEST(ModelDefaults, ReplaceATableWholeAndRefuseNothingToDo) {
  auto record = std::make_unique<ModelRecord>();
  for (int i = 0; i < kModelMaxPapers; ++i) record->papers[i].id = static_cast<WORD>(100 + i);
  record->customPaper.id = kCustomPaperId;
  for (ResolutionEntry& row : record->resolutions) row = {7, 300, 300};
  ASSERT_EQ(SetModelRecordDefaults(record.get(), kPartPapers | kPartResolutions), 1);
  EXPECT_EQ(record->papers[1].id, 9);
  for (int i = 2; i < kModelMaxPapers; ++i) EXPECT_TRUE(AllZero(record->papers[i])) << i;
  EXPECT_EQ(record->customPaper.id, 0);
  EXPECT_EQ(record->resolutions[1].id, 0);

  auto untouched = std::make_unique<ModelRecord>();
  untouched->memorySizeA = 5;
  EXPECT_EQ(SetModelRecordDefaults(untouched.get(), 0), 0);
  EXPECT_EQ(SetModelRecordDefaults(nullptr, kAllModelParts), 0);
  EXPECT_EQ(untouched->memorySizeA, 5);
  EXPECT_EQ(untouched->partsLoaded, 0u);
}

class CustomPaper : public testing::Test {
 protected:
  void SetUp() override {
    record = std::make_unique<ModelRecord>();
    SetModelRecordDefaults(record.get(), kPartPapers);
    PaperEntry& custom = record->papers[2];
    custom.id = kCustomPaperId;
    std::strcpy(custom.name, "User size");
    for (PaperGeometry& g : custom.geometry) g = {8500, 11000, 100, 110, 120, 130};
    custom.userSizeMark = -3;
    custom.feedDirection = 0;
    devmode = std::make_unique<XDEVMODE>();
    devmode->dmPrivate._nCustomPaperIndex = 2;
    devmode->dmPrivate._lCustomWidth = 5000;
    devmode->dmPrivate._lCustomLength = 7000;
    devmode->dmPrivate._bCustomPortraitFeed = 0x101;  // the low byte is the feed direction
  }
  std::unique_ptr<ModelRecord> record;
  std::unique_ptr<XDEVMODE> devmode;
};

TEST_F(CustomPaper, StoreWritesTheSizeIntoTheRow) {
  StoreCustomPaper(devmode.get(), record.get());
  const PaperEntry& row = record->papers[2];
  for (const PaperGeometry& g : row.geometry) {
    EXPECT_EQ(g.width, 5000);
    EXPECT_EQ(g.height, 7000);
    EXPECT_EQ(g.margin1, 100);
    EXPECT_EQ(g.margin4, 130);
  }
  EXPECT_EQ(row.feedDirection, 1);
  EXPECT_EQ(row.userSizeMark, 3);
  EXPECT_STREQ(row.name, "User size");
  // A stored row keeps its positive mark.
  devmode->dmPrivate._lCustomWidth = 6000;
  StoreCustomPaper(devmode.get(), record.get());
  EXPECT_EQ(record->papers[2].userSizeMark, 3);
  EXPECT_EQ(record->papers[2].geometry[2].width, 6000);
}

TEST_F(CustomPaper, AnythingElseLeavesTheRecordAsItWas) {
  struct Case {
    int index;
    int16_t mark;
  } cases[] = {{-1, -3}, {28, -3}, {1 << 20, -3}, {2, 0}, {0, -3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << " mark " << c.mark);
    record->papers[2].userSizeMark = c.mark;
    devmode->dmPrivate._nCustomPaperIndex = c.index;
    auto before = std::make_unique<ModelRecord>(*record);
    StoreCustomPaper(devmode.get(), record.get());
    EXPECT_EQ(std::memcmp(before.get(), record.get(), sizeof(ModelRecord)), 0);
    PaperEntry row{};
    EXPECT_EQ(ComputeCustomPaperRow(devmode.get(), record.get(), &row), 0);
  }
  StoreCustomPaper(nullptr, record.get());
  StoreCustomPaper(devmode.get(), nullptr);
}

// A shared record (the cache's) is only read: the size is computed on a copy of
// the row, and it is the row StoreCustomPaper would have written.
TEST_F(CustomPaper, ComputeGivesTheStoredRowWithoutWriting) {
  auto shared = std::make_unique<ModelRecord>(*record);
  PaperEntry row{};
  int index = -1;
  ASSERT_EQ(ComputeCustomPaperRow(devmode.get(), shared.get(), &row, &index), 1);
  EXPECT_EQ(index, 2);
  EXPECT_EQ(std::memcmp(shared.get(), record.get(), sizeof(ModelRecord)), 0);
  StoreCustomPaper(devmode.get(), record.get());
  EXPECT_EQ(std::memcmp(&row, &record->papers[2], sizeof row), 0);
  // Two callers with different sizes each get their own, whatever the other asked.
  devmode->dmPrivate._lCustomWidth = 4000;
  PaperEntry other{};
  ASSERT_EQ(ComputeCustomPaperRow(devmode.get(), shared.get(), &other), 1);
  EXPECT_EQ(other.geometry[0].width, 4000);
  EXPECT_EQ(row.geometry[0].width, 5000);
  EXPECT_EQ(shared->papers[2].userSizeMark, -3);
}

}  // namespace
}  // namespace modeltest
