// The settings of a PCL job: the PJL block (SET lines, the language switch and
// the printer reset that starts PCL afresh), then the PCL commands of paper,
// tray, media and duplex.
#include <cstring>
#include <string>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/pdev.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_lookup.h"
#include "graphics/output/job/device_settings_pcl.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/job/job_font_state.h"
#include "graphics/output/job/pdl_command.h"
#include "graphics/output/page/overlay_macro.h"
#include "graphics/stream/output.h"

#define ESC "\x1b"

namespace devicesettings {
namespace {

constexpr WORD kPdlUnitOfMeasure = 0x08;  // PCL 5e and later take ESC&u
constexpr WORD kPdlAutoTrayAndMedia = 0x80;
constexpr WORD kNoFixedOrientationLine = 3;
// Model classes whose face-up tray is the fifth optional bin.
constexpr DWORD kFaceUpOnOptionalBinClasses[] = {3, 4};

// The model's class (model description "General"/"ModelClass"); 0 when it is
// not given.
DWORD ModelClass(PDEV* pdev);

const char* FixedOrientation(WORD value) {
  switch (value) {
    case 1: return "PORTRAIT";
    case 2: return "LANDSCAPE";
    default: return "NONE";
  }
}

void AppendOutputBin(PDEV* pdev, std::string& out, const DeviceSettings& request) {
  const bool faceUp = (request.mask & kSettingsFaceUp) != 0 && (request.switches & kSwitchFaceUp) != 0;
  const OutputBinSlot bin = FindOutputBin(*pdev->model, request.outputBin);
  if ((request.mask & kSettingsOutputBin) != 0 && request.outputBin != 0 && bin.found && bin.pjlName[0] != '\0') {
    AppendFormatted(out, "@PJL SET OUTBIN = %s", bin.pjlName);
    if (faceUp) out += "FACEUP";
    out += "\n";
  } else if (faceUp) {
    const DWORD modelClass = ModelClass(pdev);
    bool optionalBin = false;
    for (DWORD c : kFaceUpOnOptionalBinClasses) optionalBin = optionalBin || c == modelClass;
    out += optionalBin ? "@PJL SET OUTBIN = OPTIONALOUTPUTBIN5FACEUP\n" : "@PJL SET OUTBIN = LOWERFACEUP\n";
  }
}

void AppendPjlBlock(PDEV* pdev, std::string& out, const DeviceSettings& request, DWORD mask) {
  const ModelRecord& model = *pdev->model;
  const XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;
  if (!pdev->job.jobLineWritten) {
    out += ESC "%-12345X";
    pdev->job.jobLineWritten = 1;
  }
  // Collation is expressed through the copies lines, so a change of either
  // writes both (when the request names the copies).
  if ((mask & (kSettingsCopies | kSettingsCollate)) != 0 && (request.mask & kSettingsCopies) != 0) {
    const bool collated = (request.mask & kSettingsCollate) != 0 && (request.switches & kSwitchCollate) != 0;
    AppendFormatted(out,
                    collated ? "@PJL SET COPIES = 1\n@PJL SET QTY = %d\n" : "@PJL SET COPIES = %d\n@PJL SET QTY = 1\n",
                    static_cast<int>(request.copies));
  }
  if (mask & kSettingsEdgeToEdge) {
    const bool off = extra._nBooklet != 0 || (request.switches & kSwitchEdgeToEdge) != 0;
    AppendFormatted(out, "@PJL SET CLIP = %s\n", off ? "OFF" : "ON");
  }
  // Face-up delivery is a form of the bin name: a change of either names the bin.
  if (mask & (kSettingsOutputBin | kSettingsFaceUp)) AppendOutputBin(pdev, out, request);
  if (mask & kSettingsStaple) {
    const StapleSlot staple = FindStaple(model, request.staple);
    if (staple.found) {
      AppendFormatted(out, "@PJL SET FINISH = STAPLE%d\n", staple.pclNumber);
    } else if (!FinisherTrayStaples(pdev)) {
      out += "@PJL SET FINISH = NONE\n";
    }
  }
  if (mask & kSettingsFold) {
    const FinisherSlot fold = FindFold(model, request.fold);
    AppendFormatted(out, "@PJL SET FOLD = %s\n", fold.found && fold.name[0] != '\0' ? fold.name : "NONE");
  }
  // PCL has no punch command of its own; the punch unit's PJL name asks for it.
  if (mask & kSettingsPunch) {
    const FinisherSlot punch = FindPunch(model, request.punch);
    AppendFormatted(out, "@PJL SET PUNCH = %s\n", punch.found && punch.name[0] != '\0' ? punch.name : "NONE");
  }
  if (mask & kSettingsTrim) AppendFormatted(out, "@PJL SET TRIM = %s\n", request.trim != 0 ? "ON" : "OFF");
  if (mask & kSettingsJobOffset) {
    AppendFormatted(out, "@PJL SET JOBOFFSET = %s\n", (request.switches & kSwitchJobOffset) != 0 ? "ON" : "OFF");
  }
  if (mask & kSettingsResolution) {
    AppendFormatted(out, "@PJL SET RESOLUTION = %d\n", static_cast<int>(request.resolution));
  }
  AppendFormatted(out, "@PJL SET NUP = %d\n", static_cast<int>(extra._nUpPCL));
  if (extra._nFixedOrientation != kNoFixedOrientationLine) {
    AppendFormatted(out, "@PJL SET FIXEDORIENTATION = %s\n", FixedOrientation(extra._nFixedOrientation));
  }
  out += "@PJL ENTER LANGUAGE = PCL\n";
  // Reset, and raster graphics follow the logical page.
  out += ESC "E" ESC "*r0F";
  if (extra._nPDL & kPdlUnitOfMeasure) {
    AppendFormatted(out, ESC "&u%dD", static_cast<int>(pdev->devmode.dmPublic.dmPrintQuality));
  }
  pdev->job.jobLineWritten = 0;
}

// The reset deleted the printer's temporary soft fonts and macros and put its
// fonts and modes back: the writers forget what they had sent, the downloaded
// fonts go out again when used, and an overlay macro the job defined is
// defined again.
void AfterPrinterReset(PDEV* pdev) {
  ++pdev->writers.deviceSettings.printerResets;
  ResetFontState(pdev);
  if (pdev->downloadedFonts[0] != nullptr || pdev->downloadedFonts[1] != nullptr) ReleaseFontLists(pdev);
  if (pdev->writers.pageSetup.macroDefined) RestoreOverlayMacro(pdev);
}

void AppendTray(PDEV* pdev, std::string& out, const DeviceSettings& request) {
  const WORD pdl = pdev->devmode.dmPrivate._nPDL;
  if (request.inputTray == kAutomaticTray) {
    if (pdl & kPdlAutoTrayAndMedia) out += ESC "&l0H";
    return;
  }
  // A tray the model does not list has no number: sending 0 would eject the page.
  const TraySlot tray = FindTray(*pdev->model, request.inputTray);
  if (!tray.found) return;
  if (tray.pclNumber == kPclTrayByCommand) {
    char command[kFormatBufferBytes];
    if (GetPdlCommand(pdev->printer, kPdlCommandPaperSource, static_cast<int>(request.inputTray - 256), pdl, command,
                      sizeof command)) {
      out += command;
    }
    return;
  }
  AppendFormatted(out, ESC "&l%dH", tray.pclNumber);
}

int DuplexCode(DWORD duplex) {
  switch (duplex) {
    case kDuplexLongEdge: return 1;
    case kDuplexShortEdge: return 2;
    default: return 0;  // simplex, and any value that names no binding
  }
}

DWORD ModelClass(PDEV* pdev) {
  DWORD value = 0;
  if (GraphicsSettings().GetDword(pdev->printer, kStoreModelDescription, "General", "ModelClass", &value) != 0) {
    return 0;
  }
  return value;
}

}  // namespace

int WritePclSettings(PDEV* pdev, const DeviceSettings& request, DWORD mask) {
  const ModelRecord& model = *pdev->model;
  const WORD pdl = pdev->devmode.dmPrivate._nPDL;
  std::string out;
  if (mask & kSettingsPjlBlock) {
    AppendPjlBlock(pdev, out, request, mask);
    Send(pdev, out);
    out.clear();
    AfterPrinterReset(pdev);
  }
  if (mask & kSettingsPaperSize) {
    const PaperEntry* paper = FindPaperRow(model, request.paperSize, request.feedEdge);
    if (paper != nullptr) AppendFormatted(out, ESC "&l%dA", static_cast<int>(paper->pclSizeCode));
  }
  if (mask & (kSettingsInputTray | kSettingsTrayWithPaper)) AppendTray(pdev, out, request);
  if ((mask & kSettingsMediaType) && (pdl & kPdlAutoTrayAndMedia)) {
    if (const char* name = FindMediaName(model, request.mediaType)) {
      AppendFormatted(out, ESC "&n%dWd%s", static_cast<int>(std::strlen(name) + 1), name);
    }
  }
  if (mask & kSettingsDuplex) AppendFormatted(out, ESC "&l%dS", DuplexCode(request.duplex));
  Send(pdev, out);
  return 1;
}

}  // namespace devicesettings
