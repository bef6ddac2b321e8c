// A recording stand-in for the vector writer: every WriteRectangle and WritePath
// call is kept with its arguments, and answers the result the test chose.
#pragma once

#include <optional>
#include <vector>

#include "graphics/output/vector/vector_path.h"
#include "graphics/output/vector/vector_rectangle.h"

namespace graphicstest {

struct RectangleCall {
  PDEV* pdev;
  RECTL rect;
  LINEATTRS* line;
  XFORMOBJ* xform;
  BRUSHOBJ* fill;
  DWORD lineRgb;
  DWORD rop3;
  std::optional<RECTL> clip;
  BOOL reportFailure;
  BOOL noPaint;
};

struct PathCall {
  PDEV* pdev;
  std::vector<POINTFIX> points;
  LINEATTRS* line;
  XFORMOBJ* xform;
  BRUSHOBJ* fill;
  std::optional<RECTL> clip;
  DWORD fillRule;
  WORD batchFlags;
  DWORD lineRgb;
  DWORD rop3;
  BOOL reportFailure;
  BOOL noPaint;
};

struct VectorWriterLog {
  std::vector<RectangleCall> rectangles;
  std::vector<PathCall> paths;
  BOOL result = TRUE;  // what both writers answer

  void Reset() { *this = VectorWriterLog{}; }
};

VectorWriterLog& FakeVectorWriter();

}  // namespace graphicstest
