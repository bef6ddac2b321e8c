#include "model/devmode_defaults.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "common/pdl_kind.h"
#include "model/devmode_lookup.h"
#include "platform/base/codepage.h"
#include "platform/base/text_cut.h"

namespace {

constexpr SHORT kAutomaticSource = 15;
constexpr SHORT kDefaultDpi = 600;
constexpr DWORD kDefaultMediaType = 500;
constexpr WORD kDefaultOutputSize = 0xFFFF;  // as the paper
// Model sizes are thousandths of an inch, device-mode sizes tenths of a millimetre.
constexpr int kTenthMmPerInch = 254;

// ANSI text into a fixed wide field: converted whole first (a conversion into a
// buffer that is too small leaves no terminator), then cut to whole characters.
template <size_t N>
void CopyAnsiToWide(WCHAR (&field)[N], const char* ansi) {
  std::fill(std::begin(field), std::end(field), u'\0');
  if (!ansi) return;
  const std::u16string text = platform::ToUtf16(ansi, CP_ACP);
  const size_t kept = platform::CutPoint(std::u16string_view(text), N - 1);
  std::copy_n(text.begin(), kept, field);
}

}  // namespace

void SetDevmodePrinterName(XDEVMODE* devmode, const char* printerName) {
  if (devmode) CopyAnsiToWide(devmode->dmPrivate._wsPrinterName, printerName);
}

int FillDefaultDevmode(XDEVMODE* devmode, const ModelRecord* record, const char* printerName, WORD pdl,
                       WORD driverVersion) {
  if (!devmode || !record || !printerName) return 0;
  std::memset(devmode, 0, sizeof *devmode);
  DEVMODEW& pub = devmode->dmPublic;
  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;

  SetDevmodePrinterName(devmode, printerName);
  pub.dmSpecVersion = kXDevModeSpecVersion;
  pub.dmDriverVersion = driverVersion;
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
  CopyAnsiToWide(pub.dmFormName, paper.name);

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
  extra._nMarginType = kMarginsNone;
  extra.reserved1408 = 8;
  extra._nOutputDest = 1;

  // A record with the reserved flag asks for binary data and no job terminators.
  extra._dwAdvSettings =
      record->reservedFlag ? kAdvBinaryData | kAdvPrintErrors : kAdvJobTerminatorAfter | kAdvPrintErrors;
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

WORD DriverVersionFromText(const char* text) {
  if (!text) return 0;
  std::string_view version(text);
  const size_t firstDot = version.find('.');
  const std::string first(version.substr(0, firstDot));
  std::string second;
  if (firstDot != std::string_view::npos) {
    std::string_view rest = version.substr(firstDot + 1);
    second = std::string(rest.substr(0, rest.find('.')));
  }
  if (second.size() < 3) {
    const unsigned low = static_cast<unsigned>(std::atoi(second.c_str())) & 0xFFu;
    return static_cast<WORD>(static_cast<unsigned>(std::atoi(first.c_str())) * 256u + low);
  }
  const std::string major = second.substr(0, second.size() - 2);
  const std::string minor = second.substr(second.size() - 2);
  return static_cast<WORD>(static_cast<unsigned>(std::atoi(major.c_str())) * 256u +
                           static_cast<unsigned>(std::atoi(minor.c_str())));
}
