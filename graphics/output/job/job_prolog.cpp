// The procedure set of a PostScript job and the re-opening of its dictionary
// around driver-made PostScript inside application data.
#include "graphics/output/job/job_prolog.h"
#include "common/xdevmode.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/ps_procset.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"

namespace {

// The application's showpage is disabled only while the driver itself lays
// several pages or inserted sheets on a sheet, or decorates the sheet: then the
// driver alone ends each sheet.
bool DriverEndsSheets(const PDEV* pdev) {
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  return settings._wmCurrent.text[0] != '\0' || settings._nBooklet != 0 || settings._nUp >= 2 ||
         settings._bNupBorder != 0 || settings._wStaple != 0 || settings.epInterleaf.on != 0 ||
         pdev->devmode.dmPublic.dmDefaultSource == kSourceByPageTicket || HasSheetInserts(pdev);
}

void Text(PDEV* pdev, const char* text) { WriteOut(pdev, kWriteText, 0, text); }

}  // namespace

int WritePsProlog(PDEV* pdev, BOOL leaveOpen) {
  if (pdev == nullptr || !IsPostScriptJob(pdev)) return 0;
  JobState& job = pdev->job;
  if (job.showpageOverride != 0) {
    job.showpageOverride = DriverEndsSheets(pdev) ? 1 : 0;
    if (job.showpageOverride != 0) Text(pdev, "\n/showpage {} def\n");
  }
  Text(pdev, PsProcSetText(job.epsMode == 1 ? kPsProcSetEps : kPsProcSetNormal));
  if ((pdev->devmode.dmPrivate._dwAdvSettings & kAdvPrintErrors) != 0) Text(pdev, PsErrorHandlerText());
  if (leaveOpen) {
    job.prologOpen = TRUE;
    Text(pdev, "\n");
  } else {
    Text(pdev, " end\n");
  }
  return 1;
}

int WritePsPrologPart(PDEV* pdev, BOOL begin) {
  if (pdev == nullptr) return 0;
  if (!IsPostScriptJob(pdev)) return 1;
  Text(pdev, begin ? "\nCalyxonDict begin\n" : "\nend\n");
  return 1;
}
