#include "model/paper_defaults.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int32_t kDefaultMargin = 200;  // thousandths of an inch
constexpr int64_t kDefaultInstalledMemory = 8 * 1048576;
constexpr int32_t kDefaultMemorySize = 1048576;

PaperEntry DefaultPaper(WORD id, const char* name, int32_t width, int32_t height) {
  PaperEntry paper{};
  paper.id = id;
  std::strncpy(paper.name, name, sizeof paper.name - 1);
  const PaperGeometry geometry{width, height, kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
  std::fill(std::begin(paper.geometry), std::end(paper.geometry), geometry);
  return paper;
}

}  // namespace

int SetModelRecordDefaults(ModelRecord* record, DWORD partMask) {
  if (!record || partMask == 0) return 0;
  ModelRecord& r = *record;
  if (partMask & kPartPapers) {
    std::fill(std::begin(r.papers), std::end(r.papers), PaperEntry{});
    // The custom paper is a copy of a papers row; the default table has none.
    r.customPaper = PaperEntry{};
    r.papers[0] = DefaultPaper(1, "Letter", 8500, 11000);
    r.papers[1] = DefaultPaper(9, "A4", 8267, 11692);
    r.partsLoaded |= kPartPapers;
  }
  if (partMask & kPartResolutions) {
    std::fill(std::begin(r.resolutions), std::end(r.resolutions), ResolutionEntry{});
    r.resolutions[0] = {1, 600, 600};
    r.partsLoaded |= kPartResolutions;
  }
  if (partMask & kPartInstalledMemory) {
    r.installedMemory = kDefaultInstalledMemory;
    r.partsLoaded |= kPartInstalledMemory;
  }
  if (partMask & kPartMemorySizeB) {
    r.memorySizeB = kDefaultMemorySize;
    r.partsLoaded |= kPartMemorySizeB;
  }
  if (partMask & kPartMemorySizeA) {
    r.memorySizeA = kDefaultMemorySize;
    r.partsLoaded |= kPartMemorySizeA;
  }
  return 1;
}

int ComputeCustomPaperRow(const XDEVMODE* devmode, const ModelRecord* record, PaperEntry* row, int* index) {
  if (!devmode || !record || !row) return 0;
  const XDEVMODE_PRIVATE& p = devmode->dmPrivate;
  const int at = p._nCustomPaperIndex;
  if (at < 0 || at >= kModelMaxPapers) return 0;
  PaperEntry paper = record->papers[at];
  if (paper.userSizeMark == 0) return 0;
  for (PaperGeometry& geometry : paper.geometry) {
    geometry.width = static_cast<int32_t>(p._lCustomWidth);
    geometry.height = static_cast<int32_t>(p._lCustomLength);
  }
  paper.feedDirection = static_cast<BYTE>(p._bCustomPortraitFeed & 0xFF);
  // The mark turns positive once a size has been stored in the row.
  if (paper.userSizeMark < 0) {
    paper.userSizeMark = paper.userSizeMark == INT16_MIN ? INT16_MAX : static_cast<int16_t>(-paper.userSizeMark);
  }
  *row = paper;
  if (index) *index = at;
  return 1;
}

void StoreCustomPaper(const XDEVMODE* devmode, ModelRecord* record) {
  PaperEntry row{};
  int index = 0;
  if (ComputeCustomPaperRow(devmode, record, &row, &index)) record->papers[index] = row;
}
