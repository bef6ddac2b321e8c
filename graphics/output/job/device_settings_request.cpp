// The requests of a job and of a page, built from the PDEV's device mode: the
// job-level settings once at the start of the job (forced, so that the printer
// gets all of them), the page-level settings at every page start.
#include <algorithm>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_lookup.h"
#include "graphics/output/job/device_settings_request.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/pages/document_store.h"
#include "model/constraints.h"

namespace {

constexpr WORD kMacroOutput = 5;  // "OutputType": the job is saved as a PCL macro file
constexpr int kTrimChoiceOn = 1;
// Media type ids of the page-ticket source ranges are kept plus this.
constexpr int kTicketMediaBase = 256;

bool Has(const ModelRecord& model, DWORD feature) { return (model.optionWord & feature) != 0; }

DeviceSettings JobRequest(PDEV* pdev) {
  const ModelRecord& model = *pdev->model;
  const DEVMODEW& pub = pdev->devmode.dmPublic;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  DeviceSettings r;

  r.mask |= kSettingsResolution | kSettingsCopies;
  r.resolution = static_cast<DWORD>(std::max<int>(pub.dmPrintQuality, 0));
  // "COPIES = 0" or a negative count is no job a printer can print: one copy.
  r.copies = static_cast<DWORD>(std::max<int>(pub.dmCopies, 1));

  if (Has(model, kFeatureCollation)) {
    r.mask |= kSettingsCollate;
    if (extra._bCollate != 0) r.switches |= kSwitchCollate;
  }

  r.mask |= kSettingsOutputBin;
  r.outputBin = extra._nOutputTray;

  if (Has(model, kFeatureStapling)) {
    // The job's staple position, kept in the PDEV's settings word.
    pdev->carried.settingsWord = extra._wStaple;
    r.mask |= kSettingsStaple;
    r.staple = pdev->carried.settingsWord;
  }
  if (Has(model, kFeaturePunching)) {
    r.mask |= kSettingsPunch;
    r.punch = extra.punchId > 0 ? static_cast<DWORD>(extra.punchId) : 0;
  }
  if (Has(model, kFeatureFolding)) {
    r.mask |= kSettingsFold;
    r.fold = extra.foldId;
  }
  if (Has(model, kFeatureTrimming) && !IsChoiceConstrained(&model, &pdev->devmode, kCodeTrim, kTrimChoiceOn)) {
    r.mask |= kSettingsTrim;
    r.trim = extra.trimChoice;
  }
  if (Has(model, kFeatureFaceUpLow) && Has(model, kFeatureFaceUpHigh)) {
    r.mask |= kSettingsFaceUp;
    if (extra.faceUpOff == 0) r.switches |= kSwitchFaceUp;
  }
  if (Has(model, kFeatureJobOffset) && extra._epBanner.on == 0) {
    r.mask |= kSettingsJobOffset;
    if (extra._bJog != 0) r.switches |= kSwitchJobOffset;
  }
  if (Has(model, kFeatureEdgeToEdge)) {
    r.mask |= kSettingsEdgeToEdge;
    if (extra._nMarginType == kMarginsNone) r.switches |= kSwitchEdgeToEdge;
  }
  return r;
}

DeviceSettings PageRequest(PDEV* pdev, bool postScript) {
  const ModelRecord& model = *pdev->model;
  const DEVMODEW& pub = pdev->devmode.dmPublic;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  const bool media = devicesettings::ModelHasMediaTypes(model);
  DeviceSettings r;

  if (pub.dmDefaultSource != kSourceByPageTicket) {
    r.mask |= kSettingsInputTray;
    r.inputTray = static_cast<WORD>(pub.dmDefaultSource);
    if (media) {
      r.mask |= kSettingsMediaType;
      r.mediaType = extra._nMediaType;
    }
    if (Has(model, kFeatureDuplex)) {
      r.mask |= kSettingsDuplex;
      r.duplex = static_cast<WORD>(pub.dmDuplex);
    }
  } else {
    // Paper by page ticket: the source range of the current sheet.
    const int k = std::clamp(pdev->pages.ticketSource, 0, static_cast<int>(kPageTicketSourceRangeCount) - 1);
    const PageTicketSourceRange& range = extra.pageTicketRanges[k];
    r.mask |= kSettingsInputTray;
    DWORD mediaType;
    if (extra.pageTicketAutoTray != 0) {
      r.inputTray = kAutomaticTray;
      mediaType = static_cast<DWORD>(std::max(range.mediaTypeId - kTicketMediaBase, 0));
    } else {
      r.inputTray = static_cast<WORD>(range.sourceId);
      mediaType = extra._nMediaType;
    }
    if (media) {
      r.mask |= kSettingsMediaType;
      r.mediaType = mediaType;
    }
    if (Has(model, kFeatureDuplex)) {
      r.mask |= kSettingsDuplex;
      const bool booklet = postScript && extra._nBooklet != 0;
      r.duplex = range.duplex != 0 || booklet ? static_cast<WORD>(pub.dmDuplex) : kDuplexSimplex;
    }
  }

  r.mask |= kSettingsPaperSize;
  r.paperSize = devicesettings::CurrentPaper(pdev);
  if (postScript) {
    r.mask |= kSettingsFeedEdge;
    r.feedEdge = LookupPaperAttribute(pdev, r.paperSize);
  }
  AddHalftoneScreen(pdev, &r);
  return r;
}

}  // namespace

int EmitJobSettings(PDEV* pdev, BOOL jobLevel) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  if (pdev->devmode.dmPrivate._nOutputDest == kMacroOutput) return 1;
  if (jobLevel) {
    DeviceSettings request = JobRequest(pdev);
    return WritePjlJobSettings(pdev, &request, TRUE);
  }
  const bool postScript = IsPostScriptPdl(pdev->devmode.dmPrivate._nPDL);
  DeviceSettings request = PageRequest(pdev, postScript);
  // The first page of the document (the first of its sheet) and every page of
  // a job with inserted sheets carry their whole request: the pages of such a
  // job are sent again in another order, each with its own settings.
  const bool firstPage = pdev->pages.sheetPageIndex <= 1 && pdev->pages.pagesStarted <= 1;
  const BOOL forced = firstPage || HasSheetInserts(pdev);
  return WritePjlJobSettings(pdev, &request, forced);
}

void AddHalftoneScreen(PDEV* pdev, DeviceSettings* request) {
  if (pdev == nullptr || request == nullptr) return;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  if (!IsPostScriptPdl(extra._nPDL)) return;
  if (extra._bPrinterScreen != 0 || extra._nScreenFrequency <= 0 || extra._nScreenAngle < 0) return;
  // setpagedevice puts back the device's screen, so the job's own screen goes
  // out with every page: the settings last sent (whose first field is their
  // mask) forget it.
  pdev->carried.jobSettings[0] &= ~kSettingsScreen;
  request->mask |= kSettingsScreen;
}

DWORD LookupPaperAttribute(const PDEV* pdev, DWORD paperId) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  const DWORD feed = devicesettings::CurrentFeed(pdev);
  const PaperEntry* last = nullptr;
  for (const PaperEntry& paper : pdev->model->papers) {
    if (paper.id == 0) break;
    if (paper.id != paperId) continue;
    if (paper.feedDirection == feed) return paper.feedDirection;
    last = &paper;
  }
  return last != nullptr ? last->feedDirection : 0;
}
