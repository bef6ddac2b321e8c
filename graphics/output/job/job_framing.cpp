// The job header and trailer: the PJL envelope, the DSC comments with the
// application's injected text in PostScript-centric jobs, the procedure set and
// the first page save of a PostScript job, the job comments of a PCL job and
// the short set-up of a PCL macro file.
//
// PJL job, EOJ and COMMENT lines end in CR LF, SET and ENTER LANGUAGE lines in
// LF alone, as the printers this driver serves expect them.
#include <cstring>
#include <string_view>

#include "common/xdevmode.h"
#include "graphics/core/pdev.h"
#include "graphics/core/product_version.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/output/job/job_gates.h"
#include "graphics/output/job/job_name_text.h"
#include "graphics/output/job/job_prolog.h"
#include "graphics/output/job/job_tray_mask.h"
#include "graphics/stream/output.h"

namespace {

constexpr WORD kOutputMacro = 5;
constexpr DWORD kSnmpPerJob = 2;
constexpr WORD kPostScriptCentric = 2;
constexpr WORD kFinisherTray = 268;
constexpr WORD kFinishStapleTray = 1;
constexpr DWORD kReversePageOrder = 3;
constexpr DWORD kPrologMemory = 80000;

// The slip-sheet command text of the SlipSheetTable (250 bytes).
constexpr size_t kSlipSheetCommandOffset = 732;
constexpr size_t kSlipSheetCommandBytes = 250;

constexpr char kCtrlD[] = "\x04";
constexpr char kUel[] = "\033%-12345X";

struct Frame {
  bool postScript;
  bool pcl;
  bool macro;
  bool identify;  // PostScript-centric: DSC comments and injected text
};

Frame FrameOf(const PDEV* pdev) {
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  return {IsPostScriptPdl(settings._nPDL), IsPclFamilyPdl(settings._nPDL), settings._nOutputDest == kOutputMacro,
          pdev->injectionMode == kPostScriptCentric};
}

void Text(PDEV* pdev, const char* text) { WriteOut(pdev, kWriteText, 0, text); }

void Inject(PDEV* pdev, DWORD id) { EmitInjectedData(pdev, id); }

// The document name as it may stand in a quoted PJL string and a comment line.
void JobNameText(const PDEV* pdev, char (&out)[kJobNameMaxBytes + 1]) {
  const std::string_view name(pdev->carried.documentName,
                              strnlen(pdev->carried.documentName, sizeof pdev->carried.documentName));
  MakeJobNameText(out, sizeof out, name);
}

// The slip-sheet command text appended to the job line, empty when none.
void JobLineSuffix(const PDEV* pdev, char (&out)[kSlipSheetCommandBytes]) {
  out[0] = '\0';
  if (pdev->devmode.dmPrivate.JobNameSuffixOn == 0 || pdev->slipSheetBlock == nullptr) return;
  const char* command = reinterpret_cast<const char*>(pdev->slipSheetBlock) + kSlipSheetCommandOffset;
  MakeJobLineSuffixText(out, sizeof out, std::string_view(command, strnlen(command, kSlipSheetCommandBytes)));
}

void WritePjlHeader(PDEV* pdev) {
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  char name[kJobNameMaxBytes + 1];
  JobNameText(pdev, name);
  char suffix[kSlipSheetCommandBytes];
  JobLineSuffix(pdev, suffix);
  if (suffix[0] != '\0') {
    FormatOut(pdev->lineBuffer, "\033%%-12345X@PJL JOB NAME = \"%s\"%s\r\n", name, suffix);
  } else {
    FormatOut(pdev->lineBuffer, "\033%%-12345X@PJL JOB NAME = \"%s\"\r\n", name);
  }
  Text(pdev, pdev->lineBuffer);
  pdev->job.jobLineWritten = 1;

  if (settings._iSNMP == kSnmpPerJob) {
    FlushOutputBuffer(pdev);
    EmitJobAttributes(pdev);
  }

  const DWORD features = pdev->model->optionWord;
  if ((features & (kFeatureReverseOrder | kFeaturePageRotation)) == 0) return;
  if (settings._nOutputTray == kFinisherTray) {
    const bool staple = settings.FinishStaple == kFinishStapleTray;
    FormatOut(pdev->lineBuffer, "@PJL SET FINISH = %s\n", staple ? "STAPLE4" : "NONE");
    Text(pdev, pdev->lineBuffer);
  }
  if ((features & kFeatureReverseOrder) != 0) {
    const bool reverse = settings.PageOrder == kReversePageOrder;
    FormatOut(pdev->lineBuffer, "@PJL SET PAGEORDER = %s\n", reverse ? "REVERSE" : "NORMAL");
    Text(pdev, pdev->lineBuffer);
  }
  if ((features & kFeaturePageRotation) != 0) {
    FormatOut(pdev->lineBuffer, "@PJL SET ROTATION = %d\n", settings._bRotatePage != 0 ? 180 : 0);
    Text(pdev, pdev->lineBuffer);
  }
}

void WritePostScriptHeader(PDEV* pdev, const Frame& frame, bool pjl, const char* version) {
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;
  if (pjl) Text(pdev, "@PJL ENTER LANGUAGE=POSTSCRIPT\n");
  if ((settings._dwAdvSettings & kAdvJobTerminatorBefore) != 0) WriteOut(pdev, kWriteBytes, 1, kCtrlD);
  if (frame.identify) Inject(pdev, PSINJECT_PSADOBE);

  char name[kJobNameMaxBytes + 1];
  JobNameText(pdev, name);
  FormatOut(pdev->lineBuffer, "%%!\n%%Start of document: %s\n", name);
  Text(pdev, pdev->lineBuffer);
  FormatOut(pdev->lineBuffer, "\n%%DrvVer: %s\n%%OS: WinNT UM\n", version);
  Text(pdev, pdev->lineBuffer);
  if ((settings._dwAdvSettings & kAdvOverridePrinterTimeouts) != 0) {
    FormatOut(pdev->lineBuffer, "<</JobTimeout %d /WaitTimeout %d>> setuserparams\n",
              static_cast<int>(settings._nJobTimeout), static_cast<int>(settings._nWaitTimeout));
    Text(pdev, pdev->lineBuffer);
  }

  if (frame.identify) {
    Inject(pdev, PSINJECT_PAGESATEND);
    Inject(pdev, PSINJECT_ORIENTATION);
    Inject(pdev, PSINJECT_PAGEORDER);
    Inject(pdev, PSINJECT_DOCUMENTPROCESSCOLORSATEND);
    Inject(pdev, PSINJECT_COMMENTS);
    Text(pdev, "%%EndComments\n\n");
    Text(pdev, "%%BeginDefaults\n");
    Inject(pdev, PSINJECT_BEGINDEFAULTS);
    Inject(pdev, PSINJECT_ENDDEFAULTS);
    Text(pdev, "%%EndDefaults\n\n");
    Text(pdev, "%%BeginProlog\n");
    Inject(pdev, PSINJECT_BEGINPROLOG);
  }

  WritePsProlog(pdev, TRUE);
  pdev->carried.vmEstimate += kPrologMemory;
  WriteInputTrayMask(pdev);
  // The page save of the first page. Acrobat's output runs outside the
  // dictionary, so the save is made with the dictionary current.
  Text(pdev, static_cast<int16_t>(pdev->carried.acrobatVersion) < 1 ? "SS\n" : "CalyxonDict begin SS end\n");

  if (frame.identify) {
    Inject(pdev, PSINJECT_ENDPROLOG);
    Text(pdev, "%%EndProlog\n\n");
  }
}

}  // namespace

int WriteJobHeader(PDEV* pdev) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  const Frame frame = FrameOf(pdev);
  const bool pjl = JobUsesPjl(pdev) != FALSE;

  if (frame.postScript && frame.identify) Inject(pdev, PSINJECT_BEGINSTREAM);
  if (pjl) WritePjlHeader(pdev);

  // The driver's version, as its own version resource gives it (empty when
  // the resource lacks it).
  char* version = pdev->secondBuffer;
  std::memset(version, 0, sizeof pdev->secondBuffer);
  GetProductVersionString(pdev->module, version, sizeof pdev->secondBuffer, kProductVersionText);

  if (frame.postScript) {
    WritePostScriptHeader(pdev, frame, pjl, version);
    return 1;
  }
  if (frame.pcl && frame.macro) {
    // A macro file: raster follows the logical page, units in device dots.
    Text(pdev, "\033*r0F");
    FormatOut(pdev->lineBuffer, "\033&u%dD", static_cast<int>(pdev->devmode.dmPublic.dmPrintQuality));
    Text(pdev, pdev->lineBuffer);
    return 1;
  }
  // A PJL comment only stands inside a PJL job.
  if (pjl) {
    FormatOut(pdev->lineBuffer, "@PJL COMMENT DrvVer: %s\r\n", version);
    Text(pdev, pdev->lineBuffer);
    Text(pdev, "@PJL COMMENT OS: WinNT UM\r\n");
  }
  pdev->carried.vmEstimate += kPrologMemory;
  return 1;
}

int WriteJobTrailer(PDEV* pdev) {
  if (pdev == nullptr) return 0;
  const Frame frame = FrameOf(pdev);
  const XDEVMODE_PRIVATE& settings = pdev->devmode.dmPrivate;

  if (frame.postScript) {
    if (pdev->job.prologOpen) {
      if (frame.identify) {
        Text(pdev, "\n%%Trailer\n");
        Inject(pdev, PSINJECT_TRAILER);
        Inject(pdev, PSINJECT_DOCUMENTPROCESSCOLORS);
        Inject(pdev, PSINJECT_BOUNDINGBOX);
        Text(pdev, "%%DocumentNeededResources\n");
        Inject(pdev, PSINJECT_DOCNEEDEDRES);
        Text(pdev, "%%DocumentSuppliedResources\n");
        Inject(pdev, PSINJECT_DOCSUPPLIEDRES);
        Inject(pdev, PSINJECT_PAGES);
        Text(pdev, "%%EOF\n");
        Inject(pdev, PSINJECT_EOF);
      }
      Text(pdev, "\nend\n");
    }
    if ((settings._dwAdvSettings & kAdvJobTerminatorAfter) != 0) WriteOut(pdev, kWriteBytes, 1, kCtrlD);
  } else if (!frame.macro) {
    Text(pdev, "\033E");
  }

  if (JobEndsWithEoj(pdev)) {
    char name[kJobNameMaxBytes + 1];
    JobNameText(pdev, name);
    FormatOut(pdev->lineBuffer, "\033%%-12345X@PJL EOJ NAME = \"%s\"\r\n", name);
    Text(pdev, pdev->lineBuffer);
    Text(pdev, kUel);
  }

  if (frame.identify) Inject(pdev, PSINJECT_ENDSTREAM);
  return 1;
}
