// The document page's picture of a sheet: the paper drawn portrait or landscape
// in the preview frame, divided into its pages-per-sheet grid, with the paper's
// dimensions in millimetres and inches beside and below it.
#pragma once

#include <string>

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/ui/afx.h"

namespace pages {

struct PreviewLayout {
  RECT sheet{};  // where the sheet is drawn, shadow included
  int columns = 1;
  int rows = 1;
  bool landscape = false;
  long across = 0;  // the paper's horizontal and vertical dimensions as drawn,
  long down = 0;    // thousandths of an inch
};

// The paper row the preview shows for the settings; null when the model has no papers.
const PaperEntry* PreviewPaper(const ModelRecord& model, const XDEVMODE& settings);
// The pages on one sheet: "_nUpPCL" for a PCL job, "_nUp" otherwise.
WORD PreviewPagesPerSheet(const XDEVMODE& settings);
// The sheet's place and grid in `frame` for a paper of width and length
// (thousandths of an inch) and its feed direction.
PreviewLayout LayoutPreview(const RECT& frame, long width, long length, BYTE feedDirection, short orientation,
                            WORD pagesPerSheet);
// "210.0mm" and "(8.27\")" of a dimension in thousandths of an inch.
std::string MillimetreLabel(long thousandths);
std::string InchLabel(long thousandths);

// Draws the sheet, its grid and lines of text in each page, and the labels.
void DrawPreview(CDC* dc, const PreviewLayout& layout);

}  // namespace pages
