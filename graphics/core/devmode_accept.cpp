#include "graphics/core/devmode_accept.h"

#include <cstring>
#include <memory>

#include "graphics/core/pdev.h"
#include "graphics/core/product_version.h"
#include "graphics/core/spooler_info.h"
#include "graphics/util/graphics_heap.h"
#include "model/devmode_defaults.h"
#include "model/devmode_identity.h"
#include "model/devmode_merge.h"
#include "model/foreign_devmode.h"
#include "model/paper_defaults.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr SHORT kDefaultDpi = 600;

// The sizes and private version of this driver's device mode, whatever its
// printer language.
bool IsWellFormed(const DEVMODEW* devmode) {
  if (!devmode || devmode->dmSize != kXDevModePublicSize || devmode->dmDriverExtra != kXDevModeDriverExtra) {
    return false;
  }
  return reinterpret_cast<const XDEVMODE*>(devmode)->dmPrivate.privateVersion == kXDevModePrivateVersion;
}

// A stored device mode of the level (8 global, 9 the user's), when it is this
// driver's for the language. Both levels hold just the device-mode pointer.
bool TakeStoredDevmode(HANDLE printer, DWORD level, WORD pdl, XDEVMODE* out) {
  const std::unique_ptr<BYTE[]> info = QueryPrinterInfoW(printer, level);
  if (!info) return false;
  const DEVMODEW* stored = reinterpret_cast<const PRINTER_INFO_9W*>(info.get())->pDevMode;
  if (!IsDevmodeForModel(stored, pdl)) return false;
  std::memcpy(out, stored, sizeof *out);
  return true;
}

// The resolution the job is printed at: one the model has, never 0.
void SettleResolution(XDEVMODE& devmode, const ModelRecord& model) {
  DEVMODEW& pub = devmode.dmPublic;
  for (const ResolutionEntry& resolution : model.resolutions) {
    if (resolution.id == 0) break;
    if (resolution.xDpi == pub.dmPrintQuality && pub.dmPrintQuality > 0) return;
  }
  const WORD first = model.resolutions[0].id != 0 ? model.resolutions[0].xDpi : 0;
  pub.dmPrintQuality = first > 0 && first <= 0x7FFF ? static_cast<SHORT>(first) : kDefaultDpi;
}

struct HeapBlock {
  void operator()(XDEVMODE* block) const { GraphicsHeapFree(block); }
};

}  // namespace

int BuildDefaultDevmode(PDEV* pdev, XDEVMODE* out) {
  if (!pdev || !pdev->model || !out) return 0;
  return FillDefaultDevmode(out, pdev->model, pdev->carried.printerName, kPdlOfModel,
                            GraphicsDriverVersionWord(pdev->module));
}

int ValidateMergeDevmode(PDEV* pdev, const XDEVMODE* in, XDEVMODE* out) {
  if (!pdev || !pdev->model || !in || !out) return 0;
  return MergeDevmodeForModel(out, &in->dmPublic, pdev->model, GraphicsDriverVersionWord(pdev->module));
}

int GetCurrentDevmode(PDEV* pdev, const char* printerName, XDEVMODE* out) {
  if (!pdev || !out || !pdev->printer || !pdev->model) return 0;
  const WORD pdl = pdev->model->printerPdl;
  if (TakeStoredDevmode(pdev->printer, 9, pdl, out) || TakeStoredDevmode(pdev->printer, 8, pdl, out)) {
    // Whoever stored it, any program may have written it.
    AcceptForeignDevmode(out, pdev->model);
  } else if (!BuildDefaultDevmode(pdev, out)) {
    return 0;
  }
  SetDevmodePrinterName(out, printerName);
  return 1;
}

int MergeDevmode(PDEV* pdev, const DEVMODEW* pdm) {
  if (!pdev || !pdev->model) return 0;
  std::unique_ptr<XDEVMODE, HeapBlock> work(static_cast<XDEVMODE*>(GraphicsHeapAlloc(sizeof(XDEVMODE))));
  if (!work) return 0;
  ModelRecord& model = *pdev->model;

  if (IsWellFormed(pdm)) {
    // The caller's block is the application's: it is taken as a copy, and a copy
    // written for another printer language is re-validated for this printer.
    std::memcpy(work.get(), pdm, sizeof(XDEVMODE));
    if (model.configStamp != 0 && work->dmPrivate._nPDL != model.printerPdl) {
      if (!ValidateMergeDevmode(pdev, work.get(), work.get())) return 0;
    } else {
      AcceptForeignDevmode(work.get(), &model);
    }
  } else if (!GetCurrentDevmode(pdev, pdev->carried.printerName, work.get())) {
    return 0;
  }

  SetDevmodePrinterName(work.get(), pdev->carried.printerName);
  SettleResolution(*work, model);
  StoreCustomPaper(work.get(), &model);
  if (static_cast<int16_t>(work->dmPrivate._nUp) < 1) work->dmPrivate._nUp = 1;
  return InitPdev(pdev, work.get());
}
