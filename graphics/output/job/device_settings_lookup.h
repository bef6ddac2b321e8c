// Look-ups of the device-settings writer in the PDEV's model record: what a
// setting's id stands for on this model (its PostScript and PCL numbers and
// its PJL name). An id the model does not list finds nothing.
#pragma once

#include "model/model_record.h"
#include "platform/base/types.h"

struct PDEV;

namespace devicesettings {

struct TraySlot {
  bool found = false;
  int postScriptSlot = 0;  // the InputAttributes key of the tray
  int pclNumber = 0;       // the PCL paper-source number; kPclTrayByCommand: the model's own command
  bool automatic = false;  // the tray takes part in automatic tray selection
};

struct OutputBinSlot {
  bool found = false;
  int stacker = 0;           // PostScript "Stacker %d"
  const char* pjlName = "";  // PJL OUTBIN value
};

struct StapleSlot {
  bool found = false;
  int postScriptLocation = 0;
  int pclNumber = 0;
};

struct FinisherSlot {
  bool found = false;
  int value = 0;          // punch value, FoldType
  const char* name = "";  // PJL name
};

// A paper source whose PCL number is this sends the model's own command.
constexpr int kPclTrayByCommand = -10;

// The paper source of a DEVMODE source value (256 + the model's tray id).
TraySlot FindTray(const ModelRecord& model, DWORD source);
OutputBinSlot FindOutputBin(const ModelRecord& model, DWORD bin);
StapleSlot FindStaple(const ModelRecord& model, DWORD staple);
FinisherSlot FindPunch(const ModelRecord& model, DWORD punch);
FinisherSlot FindFold(const ModelRecord& model, DWORD fold);
// The name of a media type; nullptr when the model has no such media or the
// name is empty.
const char* FindMediaName(const ModelRecord& model, DWORD media);
// Whether the model offers media types at all (they were loaded and the table
// has a row).
bool ModelHasMediaTypes(const ModelRecord& model);
// The paper row of an id in a feed direction, else the first row of the id,
// else the first row; nullptr when the model has no paper.
const PaperEntry* FindPaperRow(const ModelRecord& model, DWORD paperId, DWORD feedEdge);

// Whether the job header asked the finisher tray to staple ("@PJL SET FINISH"
// for output tray 268 with "FinishStaple"): the job's own staple setting must
// not undo that with a "none".
bool FinisherTrayStaples(const PDEV* pdev);

// The paper and feed direction of the page being set up: the page store's
// current ones, or the PDEV's output paper before a page has set them.
DWORD CurrentPaper(const PDEV* pdev);
DWORD CurrentFeed(const PDEV* pdev);

}  // namespace devicesettings
