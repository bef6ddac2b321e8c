#include "interface/pages/document_preview.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "interface/pages/page_helpers.h"
#include "interface/util/nup_grid.h"

namespace pages {

namespace {
constexpr BYTE kProofQuality = 2;
}  // namespace

const PaperEntry* PreviewPaper(const ModelRecord& model, const XDEVMODE& settings) {
  if (model.papers[0].id == 0) return nullptr;
  const XDEVMODE_PRIVATE& p = settings.dmPrivate;
  const WORD paper = static_cast<WORD>(settings.dmPublic.dmPaperSize);
  const WORD wanted = p._iOutputSize == 0xFFFF ? paper : static_cast<WORD>(p._iOutputSize);
  const PaperEntry* sameId = nullptr;
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id != 0; ++i) {
    const PaperEntry& row = model.papers[i];
    if (IsPcl5Job(settings)) {
      if (row.id == paper) return &row;
      continue;
    }
    if (row.id != wanted) continue;
    if (row.feedDirection == p._iOutputFeedDirection) return &row;
    // A paper without a row for the asked feed direction is still that paper.
    if (!sameId) sameId = &row;
  }
  return sameId ? sameId : &model.papers[0];
}

WORD PreviewPagesPerSheet(const XDEVMODE& settings) {
  const WORD pages = IsPclJob(settings) ? settings.dmPrivate._nUpPCL : settings.dmPrivate._nUp;
  return pages ? pages : 1;
}

PreviewLayout LayoutPreview(const RECT& frame, long width, long length, BYTE feedDirection, short orientation,
                            WORD pagesPerSheet) {
  PreviewLayout layout;
  WORD columns = 1, rows = 1;
  ComputeNupGrid(pagesPerSheet ? pagesPerSheet : 1, &columns, &rows);
  columns = std::max<WORD>(columns, 1);
  rows = std::max<WORD>(rows, 1);
  bool landscape;
  if (feedDirection == 1) {
    landscape = orientation == DMORIENT_LANDSCAPE;
    if (length / rows < width / columns) landscape = !landscape;
  } else {
    landscape = orientation != DMORIENT_LANDSCAPE;
    if (width / columns < length / rows) landscape = !landscape;
  }
  const int side = std::min(frame.right - frame.left, frame.bottom - frame.top);
  layout.landscape = landscape;
  layout.columns = landscape ? rows : columns;
  layout.rows = landscape ? columns : rows;
  const int w = landscape ? side : side * 2 / 3;
  const int h = landscape ? side * 2 / 3 : side;
  layout.sheet = RECT{frame.left, frame.top, frame.left + w, frame.top + h};
  const long shorter = std::min(width, length), longer = std::max(width, length);
  layout.across = landscape ? longer : shorter;
  layout.down = landscape ? shorter : longer;
  return layout;
}

std::string MillimetreLabel(long thousandths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1fmm", MulDiv(static_cast<int>(thousandths), 254, 1000) / 10.0);
  return text;
}

std::string InchLabel(long thousandths) {
  char text[32];
  std::snprintf(text, sizeof text, "(%.2f\")", thousandths / 1000.0);
  return text;
}

void DrawPreview(CDC* dc, const PreviewLayout& layout) {
  RECT sheet = layout.sheet;
  const int sheetWidth = sheet.right - sheet.left, sheetHeight = sheet.bottom - sheet.top;
  CBrush white(RGB(255, 255, 255));
  dc->FillRect(&sheet, &white);
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));
  CPen* oldPen = dc->SelectObject(&black);
  dc->MoveTo(sheet.left, sheet.top);
  dc->LineTo(sheet.right - 3, sheet.top);
  dc->LineTo(sheet.right - 3, sheet.bottom - 3);
  dc->LineTo(sheet.left, sheet.bottom - 3);
  dc->LineTo(sheet.left, sheet.top);
  // A two-pixel shadow at the right and the bottom.
  for (int d : {1, 2}) {
    dc->MoveTo(sheet.right - d, sheet.top + 2);
    dc->LineTo(sheet.right - d, sheet.bottom);
    dc->MoveTo(sheet.left + 2, sheet.bottom - d);
    dc->LineTo(sheet.right, sheet.bottom - d);
  }
  sheet.right -= 2;
  sheet.bottom -= 2;
  const int cellWidth = (sheetWidth - 2) / layout.columns;
  const int cellHeight = (sheetHeight - 2) / layout.rows;
  for (int c = 1; c < layout.columns; ++c) {
    dc->MoveTo(sheet.left + c * cellWidth, sheet.top);
    dc->LineTo(sheet.left + c * cellWidth, sheet.bottom);
  }
  for (int r = 1; r < layout.rows; ++r) {
    dc->MoveTo(sheet.left, sheet.top + r * cellHeight);
    dc->LineTo(sheet.right, sheet.top + r * cellHeight);
  }
  // Lines of "text" in every page.
  CPen grey(PS_SOLID, 1, RGB(128, 128, 128));
  dc->SelectObject(&grey);
  for (int r = 0; r < layout.rows; ++r) {
    for (int c = 0; c < layout.columns; ++c) {
      const int left = sheet.left + c * cellWidth, top = sheet.top + r * cellHeight;
      for (int offset = 4, line = 0; offset + 3 < cellHeight; offset += 4, ++line) {
        dc->MoveTo(left + (line == 0 ? cellWidth / 3 : cellWidth / 6), top + offset);
        dc->LineTo(left + cellWidth * 5 / 6, top + offset);
      }
    }
  }
  dc->SelectObject(oldPen);

  // The labels: ten points at the screen's resolution.
  LOGFONTA face{};
  face.lfHeight = -MulDiv(10, dc->GetDeviceCaps(LOGPIXELSY), 72);
  face.lfCharSet = DEFAULT_CHARSET;
  face.lfQuality = kProofQuality;
  const std::string faceName = UiText("ＭＳ Ｐゴシック");
  std::strncpy(face.lfFaceName, faceName.c_str(), sizeof face.lfFaceName - 1);
  CFont font;
  font.CreateFontIndirect(&face);
  CFont* oldFont = dc->SelectObject(&font);
  TEXTMETRICA metrics{};
  dc->GetTextMetrics(&metrics);
  const int textHeight = metrics.tmHeight;
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(RGB(0, 0, 0));
  const int middle = (layout.sheet.top + layout.sheet.bottom) / 2;
  dc->ExtTextOut(layout.sheet.right + 3, middle - textHeight, 0, nullptr, MillimetreLabel(layout.down));
  dc->ExtTextOut(layout.sheet.right + 3, middle, 0, nullptr, InchLabel(layout.down));
  dc->ExtTextOut(layout.sheet.left, layout.sheet.bottom + 2, 0, nullptr,
                 MillimetreLabel(layout.across) + " " + InchLabel(layout.across));
  dc->SelectObject(oldFont);
}

}  // namespace pages
