#include "interface/capabilities/paper_capabilities.h"

#include <algorithm>

#include "platform/base/arith.h"

AnsweredPapers ListAnsweredPapers(const ModelRecord& record) {
  AnsweredPapers papers;
  for (int row = 0; row < kModelMaxPapers && record.papers[row].id != 0; ++row) {
    const WORD id = record.papers[row].id;
    const bool listed = std::any_of(papers.rows, papers.rows + papers.count,
                                    [&](int earlier) { return record.papers[earlier].id == id; });
    if (!listed) papers.rows[papers.count++] = row;
  }
  return papers;
}

LONG TenthsOfMillimetre(int32_t thousandthsOfInch) { return MulDiv(thousandthsOfInch, 254, 1000); }

DWORD PaperExtent(const ModelRecord& record, bool largest) {
  if (record.papers[0].id == 0) return 0;
  int32_t width = record.papers[0].geometry[0].width;
  int32_t height = record.papers[0].geometry[0].height;
  for (int row = 1; row < kModelMaxPapers && record.papers[row].id != 0; ++row) {
    const PaperGeometry& size = record.papers[row].geometry[0];
    width = largest ? std::max(width, size.width) : std::min(width, size.width);
    height = largest ? std::max(height, size.height) : std::min(height, size.height);
  }
  return static_cast<DWORD>(MAKELONG(TenthsOfMillimetre(width), TenthsOfMillimetre(height)));
}
