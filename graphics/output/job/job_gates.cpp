// Whether a job is framed in PJL. Printers sold for code-page-932 systems take
// a bare PostScript job; a PJL envelope is sent there only when something in
// it is needed: the status monitor's job attributes, or the page order and
// rotation commands of the models that take them. PCL macro output is a file
// for the printer's macro store, never a job, so it has no envelope at all.
#include "graphics/output/job/job_gates.h"
#include "common/xdevmode.h"
#include "graphics/core/pdev.h"
#include "platform/base/codepage.h"

namespace {

constexpr WORD kOutputMacro = 5;
constexpr DWORD kSnmpPerJob = 2;
constexpr UINT kJapaneseCodePage = 932;
constexpr DWORD kPjlModelFeatures = kFeatureReverseOrder | kFeaturePageRotation;

}  // namespace

BOOL JobUsesPjl(const PDEV* pdev) {
  if (pdev == nullptr) return FALSE;
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  if (settings._nOutputDest == kOutputMacro) return FALSE;
  const bool postScript = IsPostScriptPdl(settings._nPDL);
  const DWORD features = pdev->model ? pdev->model->optionWord : 0;
  if (postScript && settings._iSNMP != kSnmpPerJob && GetACP() == kJapaneseCodePage &&
      (features & kPjlModelFeatures) == 0) {
    return FALSE;
  }
  return TRUE;
}

// Bit 0x1 of the advanced settings is the binary-data switch of the image
// writer, the settings pages and the published feature answer; it says nothing
// about the job's envelope. A job whose header opened a PJL job always closes
// it, or the printer waits for the rest of a job that never comes.
BOOL JobEndsWithEoj(PDEV* pdev) { return JobUsesPjl(pdev); }
