// Whether a job is framed in PJL. Printers sold for code-page-932 systems take
// a bare PostScript job; a PJL envelope is sent there only when something in
// it is needed: the status monitor's job attributes, or the page order and
// rotation commands of the models that take them. PCL macro output is a file
// for the printer's macro store, never a job, so it has no envelope at all.
#include "common/xdevmode.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job_framing.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr WORD kPdlPostScriptBits = 0x103;
constexpr WORD kOutputMacro = 5;
constexpr DWORD kSnmpPerJob = 2;
constexpr UINT kJapaneseCodePage = 932;
constexpr DWORD kPjlModelFeatures = kFeatureReverseOrder | kFeaturePageRotation;
// The advanced PostScript setting that asks the printer data whether the
// printer wants the job's EOJ.
constexpr DWORD kAdvEojByCompatibility = 0x01;
constexpr DWORD kCompatibilityEoj = 0x01;

// Bit 0 of the printer data value "Compatibility", read as a 4-byte value.
bool CompatibilityAsksForEoj(HANDLE printer) {
  char16_t name[] = u"Compatibility";
  DWORD type = 0;
  DWORD value = 0;
  DWORD needed = 0;
  const DWORD status = GetPrinterDataW(printer, name, &type, reinterpret_cast<LPBYTE>(&value), sizeof value, &needed);
  return status == ERROR_SUCCESS && needed == sizeof value && (value & kCompatibilityEoj) != 0;
}

}  // namespace

BOOL JobUsesPjl(const PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  if (settings._nOutputDest == kOutputMacro) return FALSE;
  const bool postScript = (settings._nPDL & kPdlPostScriptBits) != 0;
  const DWORD features = pdev->model ? pdev->model->optionWord : 0;
  if (postScript && settings._iSNMP != kSnmpPerJob && GetACP() == kJapaneseCodePage &&
      (features & kPjlModelFeatures) == 0) {
    return FALSE;
  }
  return TRUE;
}

BOOL JobEndsWithEoj(PDEV* pdev) {
  if (!JobUsesPjl(pdev)) return FALSE;
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  const bool postScript = (settings._nPDL & kPdlPostScriptBits) != 0;
  if (postScript && (settings._dwAdvSettings & kAdvEojByCompatibility) != 0) {
    return CompatibilityAsksForEoj(pdev->printer) ? TRUE : FALSE;
  }
  return TRUE;
}
