// The settings of a PostScript job: one setpagedevice dictionary with the keys
// in fixed columns (each key padded to 19 characters after its slash), and the
// job's own halftone screen after it.
#include <algorithm>
#include <string>
#include <utility>

#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_lookup.h"
#include "graphics/output/job/device_settings_ps.h"
#include "graphics/output/job/device_settings_write.h"
#include "platform/base/arith.h"

namespace devicesettings {
namespace {

constexpr WORD kLayoutAppTurnsPages = 6;  // page-layout programs from this version lay out their own pages
constexpr int kPointsPerInch = 72;
constexpr int kThousandths = 1000;

// The request's entries and how many keys they put.
struct Dictionary {
  std::string text;
  int count = 0;

  void Add(int keys, const char* format, auto... values) {
    AppendFormatted(text, format, values...);
    count += keys;
  }
};

// A name as the inside of a PostScript string literal.
std::string PostScriptStringBody(const char* name) {
  std::string body;
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c == '(' || *c == ')' || *c == '\\') body += '\\';
    body += *c;
  }
  return body;
}

// The slot numbers of the trays that take part in automatic selection.
std::string AutomaticSlots(const ModelRecord& model) {
  std::string list;
  for (const PaperSourceEntry& tray : model.paperSources) {
    if (tray.id == 0 || tray.name[0] == '\0') break;
    if (tray.s5 == 0) continue;
    if (!list.empty()) list += ' ';
    list += std::to_string(static_cast<int16_t>(tray.s1));
  }
  return list;
}

// The current media weight of the tray's slot, or null when the device does
// not know the slot.
void AddMediaWeightOfSlot(Dictionary& dict, int slot) {
  dict.text += " dup\n/MediaWeight        \n";
  AppendFormatted(dict.text,
                  "  currentpagedevice /InputAttributes get dup %d known {%d get /MediaWeight get}{pop null}ifelse put",
                  slot, slot);
}

void AddInputTray(PDEV* pdev, Dictionary& dict, DeviceSettings& request, DWORD mask) {
  const ModelRecord& model = *pdev->model;
  const TraySlot tray = FindTray(model, request.inputTray);
  if (request.inputTray == kAutomaticTray) {
    const std::string slots = AutomaticSlots(model);
    const bool ticketAuto =
        pdev->devmode.dmPublic.dmDefaultSource == kSourceByPageTicket && pdev->devmode.dmPrivate.pageTicketAutoTray != 0;
    if (ticketAuto) {
      dict.Add(1, " dup\n/InputAttributes    1 dict dup /Priority [%s] put put", slots.c_str());
    } else {
      dict.Add(2, " dup\n/InputAttributes    1 dict dup /Priority [%s] put put dup\n/TraySwitch         true put",
               slots.c_str());
    }
    return;
  }
  if (mask & kSettingsTrayWithPaper) {
    // The tray's own paper and media come from the device's entry for the slot.
    request.feedEdge = 2;
    request.paperSize = 0;
    request.mediaType = 0;
    dict.Add(8,
             " dup\ncurrentpagedevice /InputAttributes get dup %d known\n {%d get {put dup}forall /InputAttributes "
             "<</Priority [%d]>> put dup\n/TraySwitch         false put}{pop pop}ifelse",
             tray.postScriptSlot, tray.postScriptSlot, tray.postScriptSlot);
    return;
  }
  dict.Add(2, " dup\n/InputAttributes    <</Priority [%d]>> put dup\n/TraySwitch         false put",
           tray.postScriptSlot);
  if (ModelHasMediaTypes(model) && (request.mask & kSettingsMediaType) == 0) {
    dict.text += " dup\n/MediaType          null put";
    AddMediaWeightOfSlot(dict, tray.postScriptSlot);
    dict.count += 2;
  }
}

void AddPageSize(PDEV* pdev, Dictionary& dict, const DeviceSettings& request) {
  const ModelRecord& model = *pdev->model;
  const PaperEntry* paper = FindPaperRow(model, request.paperSize, request.feedEdge);
  if (paper == nullptr) return;
  int width = paper->geometry[0].width;
  int height = paper->geometry[0].height;
  if (paper->userSizeMark != 0 || paper->id == kCustomPaperId) {
    width = static_cast<int>(pdev->devmode.dmPrivate._lCustomWidth);
    height = static_cast<int>(pdev->devmode.dmPrivate._lCustomLength);
    // The variant models feed every paper turned, the narrow side first.
    if (model.variant != 0 && width > height) std::swap(width, height);
  }
  width = MulDiv(width, kPointsPerInch, kThousandths);
  height = MulDiv(height, kPointsPerInch, kThousandths);
  const SHORT orientation = pdev->carried.pageMakerVersion >= kLayoutAppTurnsPages
                                ? SHORT{DMORIENT_PORTRAIT}
                                : pdev->devmode.dmPublic.dmOrientation;
  // EPS pages are placed unturned: a landscape page needs a landscape sheet.
  if (pdev->job.epsMode != 0 && pdev->job.showpageOverride == 0 && orientation == DMORIENT_LANDSCAPE) {
    std::swap(width, height);
  }
  dict.Add(1, " dup\n/PageSize           [%d %d] put", width, height);
}

void AddMediaType(PDEV* pdev, Dictionary& dict, const DeviceSettings& request) {
  const char* name = FindMediaName(*pdev->model, request.mediaType);
  if (name == nullptr) return;
  const std::string body = PostScriptStringBody(name);
  dict.text += " dup\n/MediaType          (";
  dict.text += body;
  dict.text += ") put";
  if (request.inputTray != kAutomaticTray) {
    AddMediaWeightOfSlot(dict, FindTray(*pdev->model, request.inputTray).postScriptSlot);
  } else {
    dict.text += " dup\n/MediaWeight        null put";
  }
  dict.count += 2;
}

}  // namespace

int WritePostScriptSettings(PDEV* pdev, DeviceSettings& request, DWORD mask) {
  const ModelRecord& model = *pdev->model;
  Dictionary dict;
  const auto boolean = [](bool on) { return on ? "true" : "false"; };

  if (mask & kSettingsResolution) {
    dict.Add(1, " dup\n/HWResolution       [%d %d] put", static_cast<int>(request.resolution),
             static_cast<int>(request.resolution));
  }
  if ((mask & kSettingsOutputBin) && request.outputBin != 0) {
    const OutputBinSlot bin = FindOutputBin(model, request.outputBin);
    if (bin.found) dict.Add(1, " dup\n/OutputType         (Stacker %d) put", bin.stacker);
  }
  if (mask & kSettingsFaceUp) {
    dict.Add(1, " dup\n/OutputFaceUp       %s put", boolean(request.switches & kSwitchFaceUp));
  }
  if (mask & kSettingsStaple) {
    // A position the model does not have staples nowhere; "none" must not
    // undo the finisher tray's stapling that the job header asked for.
    const StapleSlot staple = FindStaple(model, request.staple);
    if (staple.found) {
      dict.Add(2, " dup\n/Staple             1 put dup\n/StapleDetails      <</StapleLocation %d>> put",
               staple.postScriptLocation);
    } else if (!FinisherTrayStaples(pdev)) {
      dict.Add(1, " dup\n/Staple             0 put");
    }
  }
  if (mask & kSettingsJobOffset) {
    dict.Add(1, " dup\n/Jog                %d put", (request.switches & kSwitchJobOffset) != 0 ? 1 : 0);
  }
  if (mask & kSettingsEdgeToEdge) {
    const char* on = boolean(request.switches & kSwitchEdgeToEdge);
    dict.Add(2,
             " dup\ncurrentpagedevice /PostRenderingEnhance known\n {/PostRenderingEnhance true put dup "
             "/PostRenderingEnhanceDetails <</EdgeToEdge %s>> put}\n {/EdgeToEdge %s put}ifelse",
             on, on);
  }
  if (mask & kSettingsCopies) dict.Add(1, " dup\n/NumCopies          %d put", static_cast<int>(request.copies));
  if (mask & kSettingsCollate)
    dict.Add(1, " dup\n/Collate            %s put", boolean(request.switches & kSwitchCollate));
  if (mask & kSettingsTrim) dict.Add(1, " dup\n/Trim               %d put", static_cast<int>(request.trim));
  if (mask & kSettingsFold) {
    const FinisherSlot fold = FindFold(model, request.fold);
    if (fold.found) {
      dict.Add(2, " dup\n/Fold               1 put dup\n/FoldDetails        <</FoldType %d>> put", fold.value);
    } else {
      dict.Add(1, " dup\n/Fold               %d put", 0);
    }
  }
  if (mask & kSettingsPunch) dict.Add(1, " dup\n/Punch              %d put", FindPunch(model, request.punch).value);
  if (mask & (kSettingsInputTray | kSettingsTrayWithPaper)) AddInputTray(pdev, dict, request, mask);
  if (!(mask & kSettingsTrayWithPaper)) {
    if (mask & kSettingsFeedEdge) dict.Add(1, " dup\n/LeadingEdge        %d put", request.feedEdge > 0 ? 2 : 3);
    if (mask & kSettingsPaperSize) AddPageSize(pdev, dict, request);
    if (mask & kSettingsMediaType) AddMediaType(pdev, dict, request);
  }
  if (mask & kSettingsDuplex) {
    dict.Add(2, " dup\n/Duplex             %s put dup\n/Tumble             %s put",
             boolean(request.duplex == kDuplexLongEdge || request.duplex == kDuplexShortEdge),
             boolean(request.duplex == kDuplexShortEdge));
  }

  std::string out;
  if (dict.count > 0) {
    AppendFormatted(out, "\n%d dict", dict.count);
    out += dict.text;
    out += "\nsetpagedevice\n";
  }
  if (mask & kSettingsScreen) {
    AppendFormatted(out, "%d %d {dup 5 mul 8 div mul exch dup mul exch add sqrt 1 exch sub} setscreen\n",
                    static_cast<int>(pdev->devmode.dmPrivate._nScreenFrequency),
                    static_cast<int>(pdev->devmode.dmPrivate._nScreenAngle));
  }
  Send(pdev, out);
  // setpagedevice resets the graphics state, and with it the font.
  pdev->currentFont = kNoCurrentFont;
  return 1;
}

}  // namespace devicesettings
