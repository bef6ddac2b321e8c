#include "model/devmode_lookup.h"

namespace devmode {

int FindPaperRow(const ModelRecord& record, int paperId) {
  for (int i = 0; i < kModelMaxPapers && record.papers[i].id != 0; ++i) {
    if (record.papers[i].id == paperId) return i;
  }
  return -1;
}

int FindUserSizePaperRow(const ModelRecord& record) {
  for (int i = 0; i < kModelMaxPapers && record.papers[i].id != 0; ++i) {
    if (record.papers[i].userSizeMark != 0) return i;
  }
  return -1;
}

bool HasPaperSource(const ModelRecord& record, int sourceId) {
  for (const PaperSourceEntry& source : record.paperSources) {
    if (source.id == 0) break;
    if (source.id == sourceId) return true;
  }
  return false;
}

bool HasMediaType(const ModelRecord& record, int mediaId) {
  for (const MediaTypeEntry& media : record.mediaTypes) {
    if (media.id == 0) break;
    if (media.id == mediaId) return true;
  }
  return false;
}

bool HasOutputBin(const ModelRecord& record, int binId) {
  for (const OutputBinEntry& bin : record.outputBins) {
    if (bin.name[0] == '\0') break;
    if (bin.id == binId) return true;
  }
  return false;
}

bool HasVerticalResolution(const ModelRecord& record, int dpi) {
  for (const ResolutionEntry& resolution : record.resolutions) {
    if (resolution.id == 0) break;
    if (resolution.yDpi == dpi) return true;
  }
  return false;
}

SHORT DefaultPaperSize(const ModelRecord& record) { return record.variant ? 290 : DMPAPER_A4; }

SHORT DefaultOrientation(const ModelRecord& record) { return record.variant ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT; }

void SetDefaultCustomPaper(XDEVMODE_PRIVATE& extra, const ModelRecord& record) {
  extra._nCustomPaperIndex = -1;
  extra._nCustomUnit = 0;
  extra._lCustomWidth = 0;
  extra._lCustomLength = 0;
  extra._bCustomPortraitFeed = 0;
  const int row = FindUserSizePaperRow(record);
  if (row < 0) return;
  // The model's own user-defined-size paper keeps the default size; a papers row
  // may carry a size stored into a private copy of the record.
  const PaperEntry& paper = record.papers[row];
  const PaperGeometry& size = record.customPaper.id != 0 ? record.customPaper.geometry[0] : paper.geometry[0];
  extra._nCustomPaperIndex = row;
  extra._nCustomUnit = 1;
  extra._lCustomWidth = static_cast<DWORD>(size.width);
  extra._lCustomLength = static_cast<DWORD>(size.height);
  extra._bCustomPortraitFeed = paper.feedDirection;
}

WORD PrivateDuplexFor(SHORT dmDuplex) {
  switch (dmDuplex) {
    case DMDUP_VERTICAL: return 1;
    case DMDUP_HORIZONTAL: return 2;
    default: return 0;
  }
}

}  // namespace devmode
