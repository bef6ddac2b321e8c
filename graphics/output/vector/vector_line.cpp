// Line attributes: dashes, pen colour, width, caps and joins. Widths and dash
// lengths are device pixels; HP-GL/2 takes them in millimetres.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/output/vector/vector_color.h"
#include "graphics/output/vector/vector_line.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/output/vector/vector_targets.h"
#include "graphics/util/core_math.h"
#include "platform/base/arith.h"
#include "platform/gdi/eng_services.h"

using namespace vectorout;

namespace {

// The thinnest HP-GL/2 pen: 0.085 mm.
constexpr LONG kThinnestPenMicrometres = 85;

// The smaller of the transform's x and y scale; 1 without a scaling transform.
float LineScale(XFORMOBJ* xform) {
  if (xform == nullptr) return 1.0f;
  XFORML m{};
  const ULONG kind = XFORMOBJ_iGetXform(xform, &m);
  if (kind != GX_SCALE && kind != GX_GENERAL) return 1.0f;
  const float sx = std::fabs(m.eM11 != 0.0f ? m.eM11 : m.eM21);
  const float sy = std::fabs(m.eM22 != 0.0f ? m.eM22 : m.eM12);
  return std::min(sx, sy);
}

// Dash element lengths in pixels.
std::vector<LONG> DashPixels(const LINEATTRS* line, bool geometric, float scale, int dpi) {
  std::vector<LONG> elements;
  if (line->pstyle == nullptr || line->cstyle == 0) return elements;
  elements.reserve(line->cstyle);
  for (ULONG i = 0; i < line->cstyle; ++i) {
    if (geometric) {
      elements.push_back(RoundToInt(line->pstyle[i].e * scale));
    } else {
      elements.push_back(line->pstyle[i].l * (dpi / 25));
    }
  }
  return elements;
}

int WritePostScriptDashes(PDEV* pdev, const LINEATTRS* line, bool geometric, const std::vector<LONG>& elements) {
  if (!geometric && (line->fl & LA_ALTERNATE)) return Formatted(pdev, " [1] %d sd", line->elStyleState.l);
  if (elements.empty()) return Text(pdev, " [] 0 sd");
  int written = Text(pdev, " [");
  for (LONG element : elements) written = written && Formatted(pdev, "%d ", element);
  return written && Text(pdev, "] 0 sd");
}

// "UL8" with each element's share of the pattern in percent, then "LT8" with
// the pattern's length in millimetres; "LT" (solid) without dashes.
int WriteHpglDashes(PDEV* pdev, const std::vector<LONG>& elements, int dpi) {
  std::vector<LONG> micrometres;
  int64_t sum = 0;
  for (LONG element : elements) {
    const LONG length = std::max<LONG>(0, MulDiv(25400, element, dpi));
    micrometres.push_back(length);
    sum += length;
  }
  // A pattern of no length cannot be divided into shares: drawn solid.
  if (micrometres.empty() || sum <= 0 || sum > INT32_MAX) return Text(pdev, "LT");
  const LONG total = static_cast<LONG>(sum);
  int written = Text(pdev, "UL8");
  char number[32];
  for (LONG length : micrometres) {
    const LONG share = MulDiv(100000, length, total);
    written = written && Text(pdev, ",") && Text(pdev, Millimetres(number, sizeof number, share));
  }
  return written && Text(pdev, "LT8,") && Text(pdev, Millimetres(number, sizeof number, total)) && Text(pdev, ",1");
}

int CapCode(ULONG cap, bool postScript) {
  switch (cap) {
    case ENDCAP_SQUARE: return 2;
    case ENDCAP_BUTT: return postScript ? 0 : 1;
    default: return postScript ? 1 : 4;  // round
  }
}

int JoinCode(ULONG join, bool postScript) {
  switch (join) {
    case JOIN_BEVEL: return postScript ? 2 : 5;
    case JOIN_MITER: return postScript ? 0 : 1;
    default: return postScript ? 1 : 4;  // round
  }
}

}  // namespace

BOOL SetLineAttributes(PDEV* pdev, LINEATTRS* line, XFORMOBJ* xform, BOOL remember, DWORD rgb) {
  if (pdev == nullptr || line == nullptr) return FALSE;
  FollowPrinterResets(pdev);
  const bool postScript = IsPostScriptJob(pdev);
  const int dpi = Resolution(pdev);
  const bool geometric = (line->fl & LA_GEOMETRIC) != 0;
  const float scale = geometric ? LineScale(xform) : 1.0f;
  const LONG width = geometric ? RoundToInt(line->elWidth.e * scale) : line->elWidth.l;
  const std::vector<LONG> elements = DashPixels(line, geometric, scale, dpi);

  if (postScript) {
    WritePostScriptDashes(pdev, line, geometric, elements);
    SelectFillHpglPs(pdev, rgb, remember, kTargetPostScript, kHpglFill);
    Formatted(pdev, " %d lw", width > 0 ? width : 1);
    Formatted(pdev, " %d lc", CapCode(line->iEndCap, true));
    Formatted(pdev, " %d lj", JoinCode(line->iJoin, true));
    Text(pdev, "\n");
    return TRUE;
  }

  EnterHpgl(pdev);
  WriteHpglDashes(pdev, elements, dpi);
  SelectFillHpglPs(pdev, rgb, remember, kTargetHpgl, kHpglPen);
  char number[32];
  const LONG micrometres = std::max(kThinnestPenMicrometres, MulDiv(25400, std::max<LONG>(width, 0), dpi));
  Text(pdev, "PW");
  Text(pdev, Millimetres(number, sizeof number, micrometres));
  Formatted(pdev, "LA1,%d", CapCode(line->iEndCap, false));
  Formatted(pdev, "LA2,%d", JoinCode(line->iJoin, false));
  Text(pdev, ";");
  return TRUE;
}
