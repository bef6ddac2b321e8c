#include "model/devmode_merge.h"

#include <cstring>
#include <memory>
#include <new>

#include "common/pdl_kind.h"
#include "model/devmode_lookup.h"
#include "model/foreign_devmode.h"

namespace {

constexpr SHORT kAutomaticSource = 15;
constexpr SHORT kSourceBase = 256;
constexpr SHORT kDefaultDpi = 600;
constexpr DWORD kDefaultMediaType = 500;
constexpr DWORD kReversePageOrder = 3;

bool IsFullSize(const DEVMODEW& devmode) {
  return devmode.dmSize == kXDevModePublicSize && devmode.dmDriverExtra == kXDevModeDriverExtra;
}

bool IsPostScriptNup(WORD nup) {
  switch (nup) {
    // clang-format off
    case 1: case 2: case 4: case 6: case 8: case 9: case 12: case 16:
      return true;
    default:
      return false;
      // clang-format on
  }
}

// The public fields the incoming device mode carries, each checked against the model.
void TakePublicFields(DEVMODEW& out, const DEVMODEW& in, const ModelRecord& record) {
  const DWORD fields = in.dmFields;
  if (fields & DM_ORIENTATION) {
    out.dmOrientation = (in.dmOrientation == DMORIENT_PORTRAIT || in.dmOrientation == DMORIENT_LANDSCAPE)
                            ? in.dmOrientation
                            : devmode::DefaultOrientation(record);
    out.dmFields |= DM_ORIENTATION;
  }
  if (fields & DM_PAPERSIZE) {
    // The size fields described the old paper.
    out.dmFields &= ~DWORD(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
    out.dmPaperSize =
        devmode::FindPaperRow(record, in.dmPaperSize) >= 0 ? in.dmPaperSize : devmode::DefaultPaperSize(record);
    out.dmFields |= DM_PAPERSIZE;
  }
  if (fields & DM_SCALE) {
    out.dmScale = (in.dmScale >= 10 && in.dmScale <= 400) ? in.dmScale : 100;
    out.dmFields |= DM_SCALE;
  }
  if (fields & DM_COPIES) {
    out.dmCopies = in.dmCopies >= 1 ? in.dmCopies : 1;
    out.dmFields |= DM_COPIES;
  }
  if (fields & DM_DEFAULTSOURCE) {
    const SHORT source = in.dmDefaultSource;
    out.dmDefaultSource =
        (source != kAutomaticSource && source > kSourceBase && devmode::HasPaperSource(record, source - kSourceBase))
            ? source
            : kAutomaticSource;
    out.dmFields |= DM_DEFAULTSOURCE;
  }
  if (fields & DM_PRINTQUALITY) {
    out.dmPrintQuality = devmode::HasVerticalResolution(record, in.dmPrintQuality) ? in.dmPrintQuality : kDefaultDpi;
    out.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
    out.dmYResolution = out.dmPrintQuality;
  }
  if (fields & DM_DUPLEX) {
    const bool twoSided = in.dmDuplex == DMDUP_VERTICAL || in.dmDuplex == DMDUP_HORIZONTAL;
    out.dmDuplex = (twoSided && (record.optionWord & kFeatureDuplex)) ? in.dmDuplex : DMDUP_SIMPLEX;
    out.dmFields |= DM_DUPLEX;
  }
  if (fields & DM_TTOPTION) {
    const SHORT option = in.dmTTOption;
    out.dmTTOption = (option == 0 || option == DMTT_DOWNLOAD || option == DMTT_SUBDEV) ? option : DMTT_SUBDEV;
    out.dmFields |= DM_TTOPTION;
  }
  if (fields & DM_MEDIATYPE) {
    out.dmMediaType =
        devmode::HasMediaType(record, static_cast<int>(in.dmMediaType)) ? in.dmMediaType : kDefaultMediaType;
    out.dmFields |= DM_MEDIATYPE;
  }
  // N-up is the driver's own (private) setting.
  out.dmFields &= ~DWORD(DM_NUP);
  out.dmNup = 1;
}

// What one printer language can do with the private settings.
void CleanForLanguage(XDEVMODE& devmode, const ModelRecord& record) {
  DEVMODEW& pub = devmode.dmPublic;
  XDEVMODE_PRIVATE& extra = devmode.dmPrivate;
  const bool reverseOrder = extra.PageOrder == kReversePageOrder && (record.optionWord & kFeatureReverseOrder);
  extra.PageOrder = reverseOrder ? kReversePageOrder : 0;
  if (IsPostScriptPdl(extra._nPDL)) {
    if (!IsPostScriptNup(extra._nUp)) extra._nUp = 1;
    if (extra._nBooklet != 1 && extra._nBooklet != 2) extra._nBooklet = 0;
    extra._nUpPCL = 1;
    extra._nFixedOrientation = 0;
    return;
  }
  extra._bInsertSheets = 0;
  extra._nTrueTypeDownload = 0;
  extra._nUp = 1;
  if (extra._nBooklet != 0) {
    // Booklet finishing is PostScript only: its stapling and folding go with it.
    extra.FinishStaple = 0;
    extra._wStaple = 0;
    extra.foldId = 0;
    pub.dmDuplex = DMDUP_SIMPLEX;
    extra._nBooklet = 0;
  }
  if (extra._nUpPCL != 2) extra._nUpPCL = 1;
  if (extra._nFixedOrientation > 2) extra._nFixedOrientation = 0;
}

// The custom paper follows the model's user-defined-size row; a device mode that
// already names that row keeps its size.
void MergeCustomPaper(XDEVMODE_PRIVATE& extra, const ModelRecord& record) {
  const int row = devmode::FindUserSizePaperRow(record);
  if (row >= 0 && extra._nCustomPaperIndex == row) return;
  devmode::SetDefaultCustomPaper(extra, record);
}

}  // namespace

int MergeDevmodeForModel(XDEVMODE* base, const DEVMODEW* incoming, const ModelRecord* record, WORD driverVersion) {
  if (!base || !incoming || !record) return 0;
  if (!IsFullSize(base->dmPublic) || !IsFullSize(*incoming)) return 0;
  const auto* in = reinterpret_cast<const XDEVMODE*>(incoming);
  const bool takePrivate = base->dmPrivate.privateVersion == kXDevModePrivateVersion &&
                           in->dmPrivate.privateVersion == kXDevModePrivateVersion &&
                           base->dmPrivate.revisionStamp == in->dmPrivate.revisionStamp;

  // Built aside: incoming may be base itself, and base stays as it was on failure.
  std::unique_ptr<XDEVMODE> work(new (std::nothrow) XDEVMODE);
  if (!work) return 0;
  std::memcpy(work.get(), base, sizeof *base);
  DEVMODEW& pub = work->dmPublic;
  XDEVMODE_PRIVATE& extra = work->dmPrivate;
  pub.dmSpecVersion = kXDevModeSpecVersion;
  pub.dmDriverVersion = driverVersion;

  TakePublicFields(pub, in->dmPublic, *record);
  if (takePrivate) {
    std::memcpy(&extra, &in->dmPrivate, sizeof extra);
    AcceptForeignDevmode(work.get(), record);
  }

  extra._nPDL = record->printerPdl;
  CleanForLanguage(*work, *record);

  pub.dmFields |= DM_COLLATE;
  pub.dmCollate = extra._bCollate != 0 ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;

  MergeCustomPaper(extra, *record);

  // A halftone record left empty takes the one the base had.
  if (extra._bPrinterScreen == 0 && extra._nScreenFrequency == 0 && extra._nScreenAngle == 0) {
    extra._bPrinterScreen = base->dmPrivate._bPrinterScreen;
    extra._nScreenFrequency = base->dmPrivate._nScreenFrequency;
    extra._nScreenAngle = base->dmPrivate._nScreenAngle;
  }
  extra._nGraphicsMode = 0;

  if (record->optionWord & kFeatureStatusMonitor) {
    extra._iSNMP = extra._iSNMP == 2 ? 2 : 1;
  } else {
    extra._iSNMP = 0;
  }

  std::memcpy(extra._sPortName, base->dmPrivate._sPortName, sizeof extra._sPortName);
  std::memcpy(extra.documentName, base->dmPrivate.documentName, sizeof extra.documentName);

  if (extra._nBooklet != 0 && pub.dmDuplex != DMDUP_SIMPLEX) pub.dmDuplex = DMDUP_HORIZONTAL;
  extra._nDuplex = devmode::PrivateDuplexFor(pub.dmDuplex);
  extra._nMediaType = static_cast<WORD>(pub.dmMediaType);
  extra._nTrueTypeMode = static_cast<WORD>(pub.dmTTOption);

  std::memcpy(base, work.get(), sizeof *base);
  return 1;
}
