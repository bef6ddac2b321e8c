#include "graphics/output/job/device_settings_lookup.h"

#include "graphics/core/pdev.h"

namespace devicesettings {
namespace {

// DEVMODE values of trays and bins are the model's ids plus 256.
constexpr DWORD kModelIdBase = 256;

}  // namespace

TraySlot FindTray(const ModelRecord& model, DWORD source) {
  TraySlot slot;
  if (source <= kModelIdBase) return slot;
  const DWORD id = source - kModelIdBase;
  for (const PaperSourceEntry& tray : model.paperSources) {
    if (tray.id == 0 || tray.name[0] == '\0') break;
    if (tray.id != id) continue;
    slot.found = true;
    slot.postScriptSlot = static_cast<int16_t>(tray.s1);
    slot.pclNumber = static_cast<int16_t>(tray.s2);
    slot.automatic = tray.s5 != 0;
    break;
  }
  return slot;
}

OutputBinSlot FindOutputBin(const ModelRecord& model, DWORD bin) {
  OutputBinSlot slot;
  if (bin <= kModelIdBase) return slot;
  const DWORD id = bin - kModelIdBase;
  for (const OutputBinEntry& entry : model.outputBins) {
    if (entry.name[0] == '\0') break;
    if (entry.id != id) continue;
    slot.found = true;
    slot.stacker = entry.b2;
    slot.pjlName = entry.text;
    break;
  }
  return slot;
}

StapleSlot FindStaple(const ModelRecord& model, DWORD staple) {
  StapleSlot slot;
  if (staple == 0) return slot;
  for (const StapleLocationEntry& entry : model.stapleLocations) {
    if (entry.a == 0) break;
    if (entry.a != staple) continue;
    slot.found = true;
    slot.postScriptLocation = entry.b;
    slot.pclNumber = entry.c;
    break;
  }
  return slot;
}

namespace {

template <typename Entry, size_t N>
FinisherSlot FindFinisher(const Entry (&table)[N], DWORD id) {
  FinisherSlot slot;
  if (id == 0) return slot;
  for (const Entry& entry : table) {
    if (entry.id == 0) break;
    if (entry.id != id) continue;
    slot.found = true;
    slot.value = entry.a;
    slot.name = entry.name;
    break;
  }
  return slot;
}

}  // namespace

FinisherSlot FindPunch(const ModelRecord& model, DWORD punch) { return FindFinisher(model.punches, punch); }
FinisherSlot FindFold(const ModelRecord& model, DWORD fold) { return FindFinisher(model.folds, fold); }

const char* FindMediaName(const ModelRecord& model, DWORD media) {
  if (media == 0) return nullptr;
  for (const MediaTypeEntry& entry : model.mediaTypes) {
    if (entry.id == 0) break;
    if (entry.id == media) return entry.name[0] != '\0' ? entry.name : nullptr;
  }
  return nullptr;
}

bool ModelHasMediaTypes(const ModelRecord& model) {
  return (model.partsLoaded & kPartMediaTypes) != 0 && model.mediaTypes[0].id != 0;
}

const PaperEntry* FindPaperRow(const ModelRecord& model, DWORD paperId, DWORD feedEdge) {
  const PaperEntry* first = nullptr;
  for (const PaperEntry& paper : model.papers) {
    if (paper.id == 0) break;
    if (paper.id != paperId) continue;
    if (paper.feedDirection == feedEdge) return &paper;
    if (first == nullptr) first = &paper;
  }
  if (first != nullptr) return first;
  return model.papers[0].id != 0 ? &model.papers[0] : nullptr;
}

bool FinisherTrayStaples(const PDEV* pdev) {
  constexpr WORD kFinisherTray = 268;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  return (pdev->model->optionWord & (kFeatureReverseOrder | kFeaturePageRotation)) != 0 &&
         extra._nOutputTray == kFinisherTray && extra.FinishStaple == 1;
}

DWORD CurrentPaper(const PDEV* pdev) {
  return pdev->pages.currentPaper != 0 ? pdev->pages.currentPaper : pdev->outputPaper;
}

DWORD CurrentFeed(const PDEV* pdev) {
  return pdev->pages.currentPaper != 0 ? pdev->pages.currentFeed : pdev->feedDirection;
}

}  // namespace devicesettings
