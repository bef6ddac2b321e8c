#include "tests/graphics/fake_vector_writer.h"

namespace graphicstest {

VectorWriterLog& FakeVectorWriter() {
  static VectorWriterLog log;
  return log;
}

namespace {

std::optional<RECTL> Copy(const RECTL* rect) {
  if (rect == nullptr) return std::nullopt;
  return *rect;
}

}  // namespace

}  // namespace graphicstest

BOOL WriteRectangle(PDEV* pdev, const RECTL* rect, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill, DWORD lineRgb,
                    DWORD rop3, const RECTL* clip, BOOL reportFailure, BOOL noPaint) {
  auto& log = graphicstest::FakeVectorWriter();
  log.rectangles.push_back({pdev, rect != nullptr ? *rect : RECTL{}, line, xform, fill, lineRgb, rop3,
                            graphicstest::Copy(clip), reportFailure, noPaint});
  return log.result;
}

BOOL WritePath(PDEV* pdev, int count, const POINTFIX* points, LINEATTRS* line, XFORMOBJ* xform, BRUSHOBJ* fill,
               const RECTL* clip, DWORD fillRule, WORD batchFlags, DWORD lineRgb, DWORD rop3, BOOL reportFailure,
               BOOL noPaint) {
  auto& log = graphicstest::FakeVectorWriter();
  std::vector<POINTFIX> copied;
  if (points != nullptr && count > 0) copied.assign(points, points + count);
  log.paths.push_back({pdev, std::move(copied), line, xform, fill, graphicstest::Copy(clip), fillRule, batchFlags,
                       lineRgb, rop3, reportFailure, noPaint});
  return log.result;
}
