#include "interface/capabilities/device_capabilities.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "interface/app/drv_trace.h"
#include "interface/app/library_state.h"
#include "interface/capabilities/capability_devmode.h"
#include "interface/capabilities/capability_output.h"
#include "interface/capabilities/paper_capabilities.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "model/model_cache.h"
#include "model/paper_defaults.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

using platform::spooler::kBinNameChars;
using platform::spooler::kMediaTypeNameChars;
using platform::spooler::kPaperNameChars;
using platform::spooler::kPersonalityChars;

// The N-up choices of a PostScript job; a PCL job prints one page per sheet.
constexpr DWORD kPostScriptNup[] = {1, 2, 4, 6, 8, 9, 12, 16};

const char* CapabilityTraceName(WORD capability) {
  // clang-format off
  static const char* const kNames[] = {
      "DC_UNKNOWN",         "DC_FIELDS",           "DC_PAPERS",           "DC_PAPERSIZE",
      "DC_MINEXTENT",       "DC_MAXEXTENT",        "DC_BINS",             "DC_DUPLEX",
      "DC_SIZE",            "DC_EXTRA",            "DC_VERSION",          "DC_DRIVER",
      "DC_BINNAMES",        "DC_ENUMRESOLUTIONS",  "DC_FILEDEPENDENCIES", "DC_TRUETYPE",
      "DC_PAPERNAMES",      "DC_ORIENTATION",      "DC_COPIES",           "DC_BINADJUST",
      "DC_EMF_COMPLIANT",   "DC_DATATYPE_PRODUCED", "DC_COLLATE",         "DC_MANUFACTURER",
      "DC_MODEL",           "DC_PERSONALITY",      "DC_PRINTRATE",        "DC_PRINTRATEUNIT",
      "DC_PRINTERMEM",      "DC_MEDIAREADY",       "DC_STAPLE",           "DC_PRINTRATEPPM",
      "DC_COLORDEVICE",     "DC_NUP",              "DC_MEDIATYPENAMES",   "DC_MEDIATYPES"};
  // clang-format on
  if (capability == kSpoolerMediaReady) return "DC_SPL_MEDIAREADY";
  if (capability == kSpoolerPaperNames) return "DC_SPL_PAPERNAMES";
  return capability < std::size(kNames) ? kNames[capability] : kNames[0];
}

int PaperSourceCount(const ModelRecord& record) {
  int count = 0;
  while (count < kModelMaxPaperSources && record.paperSources[count].id != 0) ++count;
  return count;
}

int ResolutionCount(const ModelRecord& record) {
  int count = 0;
  while (count < kModelMaxResolutions && record.resolutions[count].id != 0) ++count;
  return count;
}

int MediaTypeCount(const ModelRecord& record) {
  int count = 0;
  while (count < kModelMaxMediaTypes && record.mediaTypes[count].id != 0) ++count;
  return count;
}

DWORD AnswerPapers(const ModelRecord& record, void* output) {
  const AnsweredPapers papers = ListAnsweredPapers(record);
  if (output)
    for (int i = 0; i < papers.count; ++i) PutCapabilityElement<WORD>(output, i, record.papers[papers.rows[i]].id);
  return static_cast<DWORD>(papers.count);
}

DWORD AnswerPaperNames(const ModelRecord& record, void* output) {
  const AnsweredPapers papers = ListAnsweredPapers(record);
  if (output)
    for (int i = 0; i < papers.count; ++i)
      PutCapabilityName(output, i, kPaperNameChars, record.papers[papers.rows[i]].name);
  return static_cast<DWORD>(papers.count);
}

// Width and height of each listed paper. The user-defined paper takes the size of
// the device mode the question reads. It is worked out on a copy of its row: the
// record is the cache's, shared by every thread of the process, and a size written
// into it would become the next caller's answer.
DWORD AnswerPaperSizes(HANDLE printer, const char* printerName, const ModelRecord& record, void* output,
                       const DEVMODEW* devmode) {
  const AnsweredPapers papers = ListAnsweredPapers(record);
  if (!output) return static_cast<DWORD>(papers.count);

  bool customListed = false;
  for (int i = 0; i < papers.count; ++i) customListed |= record.papers[papers.rows[i]].userSizeMark < 0;
  PaperEntry customRow{};
  int customIndex = -1;
  if (customListed) {
    XDEVMODE source;
    if (!CallerOrCurrentDevmode(printer, printerName, record, devmode, &source) ||
        !ComputeCustomPaperRow(&source, &record, &customRow, &customIndex))
      customIndex = -1;
  }

  for (int i = 0; i < papers.count; ++i) {
    const int row = papers.rows[i];
    const bool custom = row == customIndex && record.papers[row].userSizeMark < 0;
    const PaperGeometry& size = custom ? customRow.geometry[0] : record.papers[row].geometry[0];
    LONG width = TenthsOfMillimetre(size.width);
    LONG height = TenthsOfMillimetre(size.height);
    // A model of variant 1 lists every paper in portrait.
    if (record.variant != 0 && width > height) std::swap(width, height);
    PutCapabilityElement<LONG>(output, 2 * static_cast<size_t>(i), width);
    PutCapabilityElement<LONG>(output, 2 * static_cast<size_t>(i) + 1, height);
  }
  return static_cast<DWORD>(papers.count);
}

DWORD AnswerBins(const ModelRecord& record, void* output) {
  const int sources = PaperSourceCount(record);
  if (output) {
    PutCapabilityElement<WORD>(output, 0, DMBIN_FORMSOURCE);
    for (int i = 0; i < sources; ++i)
      PutCapabilityElement<WORD>(output, i + 1, static_cast<WORD>(record.paperSources[i].id + DMBIN_USER));
  }
  return static_cast<DWORD>(sources + 1);
}

DWORD AnswerBinNames(const ModelRecord& record, void* output) {
  const int sources = PaperSourceCount(record);
  if (output) {
    char formSource[kBinNameChars];
    LoadResString(IDS_FORM_SOURCE_BIN, formSource, sizeof formSource);
    PutCapabilityName(output, 0, kBinNameChars, formSource);
    for (int i = 0; i < sources; ++i) PutCapabilityName(output, i + 1, kBinNameChars, record.paperSources[i].name);
  }
  return static_cast<DWORD>(sources + 1);
}

DWORD AnswerResolutions(const ModelRecord& record, void* output) {
  const int count = ResolutionCount(record);
  if (output)
    for (int i = 0; i < count; ++i) {
      PutCapabilityElement<LONG>(output, 2 * static_cast<size_t>(i), record.resolutions[i].xDpi);
      PutCapabilityElement<LONG>(output, 2 * static_cast<size_t>(i) + 1, record.resolutions[i].yDpi);
    }
  return static_cast<DWORD>(count);
}

DWORD AnswerMediaTypes(const ModelRecord& record, void* output) {
  const int count = MediaTypeCount(record);
  if (output)
    for (int i = 0; i < count; ++i) PutCapabilityElement<DWORD>(output, i, record.mediaTypes[i].id);
  return static_cast<DWORD>(count);
}

DWORD AnswerMediaTypeNames(const ModelRecord& record, void* output) {
  const int count = MediaTypeCount(record);
  if (output)
    for (int i = 0; i < count; ++i) PutCapabilityName(output, i, kMediaTypeNameChars, record.mediaTypes[i].name);
  return static_cast<DWORD>(count);
}

DWORD AnswerPersonality(HANDLE printer, const char* printerName, const ModelRecord& record, void* output,
                        const DEVMODEW* devmode) {
  XDEVMODE source;
  if (!CallerOrCurrentDevmode(printer, printerName, record, devmode, &source)) return 0;
  char name[kPersonalityChars];
  LoadResString(IsPostScriptPdl(source.dmPrivate._nPDL) ? IDS_PDL_POSTSCRIPT : IDS_PDL_PCL5E, name, sizeof name);
  PutCapabilityName(output, 0, kPersonalityChars, name);
  return 1;
}

DWORD AnswerNup(HANDLE printer, const char* printerName, const ModelRecord& record, void* output,
                const DEVMODEW* devmode) {
  XDEVMODE source;
  if (!CallerOrCurrentDevmode(printer, printerName, record, devmode, &source)) return 0;
  if (!IsPostScriptPdl(source.dmPrivate._nPDL)) {
    if (output) PutCapabilityElement<DWORD>(output, 0, 1);
    return 1;
  }
  if (output)
    for (size_t i = 0; i < std::size(kPostScriptNup); ++i) PutCapabilityElement<DWORD>(output, i, kPostScriptNup[i]);
  return static_cast<DWORD>(std::size(kPostScriptNup));
}

// Pages per minute from the model description ("General"/"Speed").
DWORD AnswerPrintRate(HANDLE printer) {
  char text[64] = {};
  DWORD size = sizeof text;
  if (LibrarySettings().GetString(printer, kStoreModelDescription, "General", "Speed", text, &size) != ERROR_SUCCESS)
    return kCapabilityNotAnswered;
  text[sizeof text - 1] = '\0';
  const WORD rate = static_cast<WORD>(std::strtol(text, nullptr, 10));
  return rate != 0 ? rate : kCapabilityNotAnswered;
}

// A question about the printer's current device mode itself.
DWORD AnswerFromCurrentDevmode(HANDLE printer, const char* printerName, WORD capability) {
  XDEVMODE current;
  if (!CurrentDevmodeOf(printer, printerName, &current)) return 0;
  const DEVMODEW& dm = current.dmPublic;
  switch (capability) {
    case DC_FIELDS: return dm.dmFields;
    case DC_SIZE: return dm.dmSize;
    case DC_EXTRA: return dm.dmDriverExtra;
    case DC_VERSION: return dm.dmSpecVersion;
    default:  // DC_DRIVER
      return dm.dmDriverVersion;
  }
}

bool NeedsModelRecord(WORD capability, const void* output) {
  switch (capability) {
    case DC_PAPERS:
    case DC_PAPERSIZE:
    case DC_MINEXTENT:
    case DC_MAXEXTENT:
    case DC_BINS:
    case DC_DUPLEX:
    case DC_BINNAMES:
    case DC_ENUMRESOLUTIONS:
    case DC_PAPERNAMES:
    case kSpoolerPaperNames:
    case DC_COLLATE:
    case DC_STAPLE:
    case DC_NUP:
    case DC_MEDIATYPENAMES:
    case DC_MEDIATYPES: return true;
    case DC_PERSONALITY: return output != nullptr;
    default: return false;
  }
}

DWORD AnswerFromModel(HANDLE printer, const char* printerName, const ModelRecord& record, WORD capability, void* output,
                      const DEVMODEW* devmode) {
  switch (capability) {
    case DC_PAPERS: return AnswerPapers(record, output);
    case DC_PAPERSIZE: return AnswerPaperSizes(printer, printerName, record, output, devmode);
    case DC_MINEXTENT: return PaperExtent(record, false);
    case DC_MAXEXTENT: return PaperExtent(record, true);
    case DC_BINS: return AnswerBins(record, output);
    case DC_DUPLEX: return (record.optionWord & kFeatureDuplex) ? 1 : 0;
    case DC_BINNAMES: return AnswerBinNames(record, output);
    case DC_ENUMRESOLUTIONS: return AnswerResolutions(record, output);
    case DC_PAPERNAMES:
    case kSpoolerPaperNames: return AnswerPaperNames(record, output);
    case DC_COLLATE: return (record.optionWord & kFeatureCollation) ? 1 : 0;
    case DC_STAPLE: return (record.optionWord & kFeatureStapling) ? 1 : 0;
    case DC_NUP: return AnswerNup(printer, printerName, record, output, devmode);
    case DC_MEDIATYPENAMES: return AnswerMediaTypeNames(record, output);
    case DC_MEDIATYPES: return AnswerMediaTypes(record, output);
    default:  // DC_PERSONALITY with a buffer
      return AnswerPersonality(printer, printerName, record, output, devmode);
  }
}

// The printer's name as the spooler knows it (level 4); false when it cannot be had.
bool PrinterNameOf(HANDLE printer, std::string& name) {
  DWORD needed = 0;
  GetPrinterA(printer, 4, nullptr, 0, &needed);
  // The record can grow between the two calls (a rename): a few tries.
  for (int attempt = 0; attempt < 3 && needed >= sizeof(PRINTER_INFO_4A); ++attempt) {
    std::vector<BYTE> buffer(needed);
    if (GetPrinterA(printer, 4, buffer.data(), needed, &needed)) {
      const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
      if (!info->pPrinterName) return false;
      name = info->pPrinterName;
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  }
  return false;
}

}  // namespace

DWORD QueryDeviceCapability(HANDLE printer, const char* printerName, WORD capability, void* output,
                            const DEVMODEW* devmode) {
  DrvTrace(CapabilityTraceName(capability));
  if (NeedsModelRecord(capability, output)) {
    const ModelRecord* record = GetModelRecord(printer, printerName, kModelReloadWhenChanged);
    if (!record) return 0;
    return AnswerFromModel(printer, printerName, *record, capability, output, devmode);
  }
  switch (capability) {
    case DC_FIELDS:
    case DC_SIZE:
    case DC_EXTRA:
    case DC_VERSION:
    case DC_DRIVER: return AnswerFromCurrentDevmode(printer, printerName, capability);
    case DC_TRUETYPE: return DCTT_DOWNLOAD | DCTT_SUBDEV;
    case DC_ORIENTATION: return 270;
    case DC_COPIES: return 32767;
    case DC_PERSONALITY:  // counted without a buffer: one name
      return 1;
    case DC_PRINTRATE:
    case DC_PRINTRATEPPM: return AnswerPrintRate(printer);
    case DC_PRINTRATEUNIT: return PRINTRATEUNIT_PPM;
    case DC_MEDIAREADY:
    case kSpoolerMediaReady:
    case DC_COLORDEVICE: return 0;
    default:  // DC_FILEDEPENDENCIES, DC_BINADJUST, DC_EMF_COMPLIANT, DC_DATATYPE_PRODUCED,
              // DC_MANUFACTURER, DC_MODEL, DC_PRINTERMEM and every unknown question
      return kCapabilityNotAnswered;
  }
}

DWORD DriverDeviceCapabilities(HANDLE printer, WORD capability, void* output, const DEVMODEW* devmode) {
  DrvTrace("DrvDeviceCapabilities");
  std::string printerName;
  if (!PrinterNameOf(printer, printerName)) return kCapabilityNotAnswered;
  return QueryDeviceCapability(printer, printerName.c_str(), capability, output, devmode);
}

DWORD DriverSplDeviceCaps(HANDLE printer, WORD capability, void* output, DWORD outputChars, const DEVMODEW* devmode) {
  DrvTrace("DrvSplDeviceCaps");
  if (capability == DC_MEDIAREADY) return DriverDeviceCapabilities(printer, kSpoolerMediaReady, output, devmode);
  if (capability != DC_PAPERNAMES) return kCapabilityNotAnswered;
  if (!output) return DriverDeviceCapabilities(printer, kSpoolerPaperNames, nullptr, devmode);

  // The names go to a buffer of the largest paper table first: the spooler's buffer
  // has a size, and the count could change between a count and a second call.
  std::vector<WCHAR> names(static_cast<size_t>(kModelMaxPapers) * kPaperNameChars, u'\0');
  const DWORD count = DriverDeviceCapabilities(printer, kSpoolerPaperNames, names.data(), devmode);
  if (count == kCapabilityNotAnswered || count == 0) return count;
  const unsigned long long needed = static_cast<unsigned long long>(count) * kPaperNameChars;
  if (needed > outputChars) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return kCapabilityNotAnswered;
  }
  std::memcpy(output, names.data(), static_cast<size_t>(needed) * sizeof(WCHAR));
  return count;
}
