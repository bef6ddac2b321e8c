#include <cstring>
#include <utility>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/fonts/device_fonts.h"
#include "graphics/stream/output.h"

namespace {

constexpr WORD kFallbackPaper = 9;           // A4
constexpr WORD kFallbackVariantPaper = 290;  // the variant models' rotated A4
constexpr DWORD kOutputAsInput = 0xFFFF;
constexpr int kPostScriptGeometry = 0;
constexpr int kPclGeometry = 1;

// The first row of the paper table with the id; -1 when none. The table ends at
// its first row with id 0.
int FindPaperEntry(const ModelRecord& model, DWORD id) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i) {
    if (model.papers[i].id == id) return i;
  }
  return -1;
}

int FindOutputEntry(const ModelRecord& model, DWORD id, DWORD feedDirection) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i) {
    if (model.papers[i].id == id && model.papers[i].feedDirection == feedDirection) return i;
  }
  return -1;
}

// The row printed from when the device mode names a paper the model lacks: A4
// (the variant models' rotated A4), else the model's first paper; -1 when the
// model has no paper at all.
int FallbackPaperEntry(const ModelRecord& model) {
  const int row = FindPaperEntry(model, model.variant ? kFallbackVariantPaper : kFallbackPaper);
  if (row >= 0) return row;
  return model.papers[0].id != 0 ? 0 : -1;
}

}  // namespace

int InitPdev(PDEV* pdev, const XDEVMODE* devmode) {
  if (!pdev || !pdev->model) return 0;
  pdev->tag = kPdevTag;
  if (devmode) std::memcpy(&pdev->devmode, devmode, sizeof pdev->devmode);
  ModelRecord& model = *pdev->model;
  DEVMODEW& pub = pdev->devmode.dmPublic;
  XDEVMODE_PRIVATE& extra = pdev->devmode.dmPrivate;

  // Input paper.
  int input = FindPaperEntry(model, static_cast<WORD>(pub.dmPaperSize));
  if (input < 0) {
    input = FallbackPaperEntry(model);
    if (input < 0) return 0;
    pub.dmPaperSize = static_cast<SHORT>(model.papers[input].id);
  }
  const WORD inputPaper = static_cast<WORD>(pub.dmPaperSize);

  // Output paper: the sheet printed on, in the asked feed direction.
  DWORD outputPaper = extra._iOutputSize == kOutputAsInput ? inputPaper : extra._iOutputSize;
  int output = FindOutputEntry(model, outputPaper, extra._iOutputFeedDirection);
  if (output < 0) {
    outputPaper = inputPaper;
    output = input;
  }
  pdev->outputPaper = static_cast<WORD>(outputPaper);

  // Feed direction: the row's own, or for a user-defined size the device mode's.
  const PaperEntry& outputRow = model.papers[output];
  extra._iOutputFeedDirection = outputRow.userSizeMark == 0 ? outputRow.feedDirection : extra._bCustomPortraitFeed;
  pdev->feedDirection = extra._iOutputFeedDirection;

  // Paper size and unprintable margins of the input paper in the language's block.
  const int block = IsPostScriptPdl(extra._nPDL) ? kPostScriptGeometry : kPclGeometry;
  const PaperEntry& inputRow = model.papers[input];
  const PaperGeometry& geometry = inputRow.geometry[block];
  pdev->paperWidth = geometry.width;
  pdev->paperHeight = geometry.height;
  pdev->leftMargin = geometry.margin1;
  pdev->topMargin = geometry.margin2;
  pdev->rightMargin = geometry.margin3;
  pdev->bottomMargin = geometry.margin4;
  if (inputRow.userSizeMark != 0) {
    pdev->paperWidth = static_cast<int32_t>(extra._lCustomWidth);
    pdev->paperHeight = static_cast<int32_t>(extra._lCustomLength);
  }

  // The variant models feed their papers turned: the page is always portrait,
  // and so is the output paper's row (in this PDEV's copy of the record only).
  if (model.variant) {
    if (pdev->paperWidth > pdev->paperHeight) std::swap(pdev->paperWidth, pdev->paperHeight);
    PaperGeometry& outputGeometry = model.papers[output].geometry[block];
    if (outputGeometry.width > outputGeometry.height) std::swap(outputGeometry.width, outputGeometry.height);
  }

  const bool landscape = pub.dmOrientation == DMORIENT_LANDSCAPE;
  pdev->rotation = landscape ? 90 : 0;

  // Margins the job does without.
  if (extra._nMarginType == kMarginsNone) {
    if (IsPclFamilyPdl(extra._nPDL) && !(model.optionWord & kFeatureEdgeToEdge)) {
      // Without edge-to-edge printing a PCL printer still cannot print into one
      // margin: the left one of a portrait page, the top one of a landscape page.
      (landscape ? pdev->leftMargin : pdev->topMargin) = 0;
      pdev->rightMargin = 0;
      pdev->bottomMargin = 0;
    } else {
      pdev->leftMargin = pdev->topMargin = pdev->rightMargin = pdev->bottomMargin = 0;
    }
  } else if (extra._nBooklet != 0) {
    pdev->leftMargin = pdev->topMargin = pdev->rightMargin = pdev->bottomMargin = 0;
  }
  pdev->printableWidth = pdev->paperWidth - pdev->leftMargin - pdev->rightMargin;
  pdev->printableHeight = pdev->paperHeight - pdev->topMargin - pdev->bottomMargin;

  pdev->currentFont = kNoCurrentFont;
  pdev->carried.deviceFonts = LoadInstalledFonts(pdev->printer, pdev->carried.printerName, pdev->model, &pdev->devmode);
  pdev->carried.pclModeWords[1] = 1;
  pdev->carried.pclModeWords[kPclModeWordCount - 1] = 255;

  pdev->resolution = static_cast<WORD>(pub.dmPrintQuality);

  pdev->signature = kPdevSignature;
  if (!AllocOutputBuffer(pdev)) {
    pdev->signature = 0;
    return 0;
  }
  return 1;
}
