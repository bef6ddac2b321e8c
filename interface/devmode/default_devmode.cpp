#include "interface/devmode/default_devmode.h"

#include <cstring>
#include <iterator>

#include "common/pdl_kind.h"
#include "interface/devmode/model_lookup.h"
#include "interface/util/country_code.h"
#include "interface/util/driver_version.h"
#include "interface/util/text_conversion.h"

namespace {

constexpr SHORT kAutomaticSource = 15;
constexpr SHORT kDefaultDpi = 600;
constexpr DWORD kDefaultMediaType = 500;
constexpr WORD kDefaultOutputSize = 0xFFFF;  // as the paper
// Model sizes are thousandths of an inch, device-mode sizes tenths of a millimetre.
constexpr int kTenthMmPerInch = 254;

}  // namespace

int BuildDefaultDevmode(XDEVMODE* devmode, HANDLE printer, const ModelRecord* record, const char* printerName,
                        WORD pdl) {
  if (!devmode || !record || !printerName) return 0;
  std::memset(devmode, 0, sizeof *devmode);
  DEVMODEW& pub = devmode->dmPublic;
  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;

  GetCountryCode(printer);
  AnsiToWide(extra._wsPrinterName, printerName, static_cast<int>(std::size(extra._wsPrinterName)));
  pub.dmSpecVersion = kXDevModeSpecVersion;
  pub.dmDriverVersion = GetDriverVersionWord();
  pub.dmSize = kXDevModePublicSize;
  pub.dmDriverExtra = kXDevModeDriverExtra;
  pub.dmFields = kDefaultDevmodeFields;

  pub.dmPaperSize = devmode::DefaultPaperSize(*record);
  pub.dmOrientation = devmode::DefaultOrientation(*record);
  extra._nFixedOrientation = record->variant ? 0 : 1;

  extra._iOutputSize = kDefaultOutputSize;
  int row = devmode::FindPaperRow(*record, pub.dmPaperSize);
  if (row < 0) row = 0;
  const PaperEntry& paper = record->papers[row];
  pub.dmPaperLength = static_cast<SHORT>(paper.geometry[0].height * kTenthMmPerInch / 1000);
  pub.dmPaperWidth = static_cast<SHORT>(paper.geometry[0].width * kTenthMmPerInch / 1000);
  AnsiToWide(pub.dmFormName, paper.name, CCHFORMNAME);

  pub.dmScale = 100;
  pub.dmCopies = 1;
  pub.dmDefaultSource = kAutomaticSource;

  const bool resolutionsRead = (record->partsLoaded & kPartResolutions) != 0 && record->resolutions[0].id != 0;
  pub.dmPrintQuality = resolutionsRead ? static_cast<SHORT>(record->resolutions[0].xDpi) : kDefaultDpi;
  pub.dmYResolution = pub.dmPrintQuality;

  pub.dmColor = DMCOLOR_MONOCHROME;
  pub.dmDuplex = DMDUP_SIMPLEX;
  extra._nDuplex = 0;
  pub.dmTTOption = DMTT_SUBDEV;
  extra._nTrueTypeMode = DMTT_SUBDEV;
  extra._bCollate = (record->optionWord & kFeatureCollation) ? 1 : 0;
  pub.dmCollate = static_cast<SHORT>(extra._bCollate);
  pub.dmNup = 1;
  extra._nUp = 1;
  extra._nUpPCL = 1;
  pub.dmMediaType = kDefaultMediaType;
  extra._nMediaType = kDefaultMediaType;
  pub.dmICMMethod = 1;
  pub.dmICMIntent = 2;
  pub.dmDitherType = 1;
  extra.privateVersion = kXDevModePrivateVersion;
  extra.revisionStamp = kXDevModeRevision;

  extra._nPDL = pdl != kPdlOfModel ? pdl : record->printerPdl;
  extra._nMarginType = 2;
  extra.reserved1408 = 8;
  extra._nOutputDest = 1;

  // A record with the reserved flag asks for binary data and no job terminators.
  extra._dwAdvSettings = record->reservedFlag ? kAdvBinaryData | kAdvPrintErrors
                                              : kAdvJobTerminatorAfter | kAdvPrintErrors;
  extra._dwAdvSettings &= ~kAdvEmfSpooling;

  extra._nCompression = 5;
  extra._nJobTimeout = 0;
  extra._nWaitTimeout = 40;
  extra._bClearMemoryPerPage = 0;
  extra._lAvailableMemory =
      static_cast<DWORD>(IsPostScriptPdl(extra._nPDL) ? record->memorySizeB : record->memorySizeA);

  extra._iSNMP = (record->optionWord & kFeatureStatusMonitor) ? 2 : 0;
  extra._bPrinterScreen = 1;

  devmode::SetDefaultCustomPaper(extra, *record);
  return 1;
}
