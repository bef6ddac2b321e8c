// Clip regions: banded rectangles, their enumeration and their outline as a path.
#include <algorithm>
#include <cstring>

#include "platform/gdi/engine_internal.h"
#include "platform/gdi/live_objects.h"
#include "platform/gdi/region.h"

namespace platform::gdi {

Clip::Clip() : CLIPOBJ{} { LiveObjects<Clip>::Add(this); }

Clip::~Clip() { LiveObjects<Clip>::Remove(this); }

std::unique_ptr<Clip> Clip::Trivial(const RECTL& surfaceBounds) {
  std::unique_ptr<Clip> clip(new Clip());
  clip->rects_ = {surfaceBounds};
  clip->rclBounds = surfaceBounds;
  clip->iDComplexity = DC_TRIVIAL;
  clip->iFComplexity = FC_RECT;
  clip->iMode = TC_RECTANGLES;
  return clip;
}

std::unique_ptr<Clip> Clip::Rectangle(const RECTL& rect) { return Region({rect}); }

std::unique_ptr<Clip> Clip::Region(const std::vector<RECTL>& rects) {
  std::unique_ptr<Clip> clip(new Clip());
  // Non-overlapping bands; touching bands with the same spans are one, so a
  // plain rectangle stays one rectangle.
  clip->rects_ = BandRegion::FromRects(rects).Rects();
  clip->Finish();
  return clip;
}

void Clip::Finish() {
  iMode = TC_RECTANGLES;
  if (rects_.empty()) {
    rclBounds = RECTL{0, 0, 0, 0};
    iDComplexity = DC_RECT;
    iFComplexity = FC_RECT;
    return;
  }
  RECTL bounds = rects_.front();
  for (const RECTL& r : rects_) {
    bounds.left = std::min(bounds.left, r.left);
    bounds.top = std::min(bounds.top, r.top);
    bounds.right = std::max(bounds.right, r.right);
    bounds.bottom = std::max(bounds.bottom, r.bottom);
  }
  rclBounds = bounds;
  iDComplexity = rects_.size() == 1 ? DC_RECT : DC_COMPLEX;
  iFComplexity = rects_.size() == 1 ? FC_RECT : (rects_.size() <= 4 ? FC_RECT4 : FC_COMPLEX);
}

std::unique_ptr<Clip> Clip::Intersect(const RECTL& rect) const {
  std::vector<RECTL> cut;
  for (const RECTL& r : rects_) {
    RECTL c = IntersectRect(r, rect);
    if (!RectEmpty(c)) cut.push_back(c);
  }
  return Region(cut);
}

ULONG Clip::EnumStart(ULONG direction, ULONG limit) {
  order_ = iDComplexity == DC_COMPLEX ? rects_ : std::vector<RECTL>{rclBounds};
  if (RectEmpty(rclBounds)) order_.clear();
  // Stored order is right-down; other directions reorder bands and spans.
  const bool upward = direction == CD_RIGHTUP || direction == CD_LEFTUP;
  const bool leftward = direction == CD_LEFTDOWN || direction == CD_LEFTUP;
  if (upward || leftward) {
    std::stable_sort(order_.begin(), order_.end(), [&](const RECTL& a, const RECTL& b) {
      if (a.top != b.top) return upward ? a.top > b.top : a.top < b.top;
      return leftward ? a.left > b.left : a.left < b.left;
    });
  }
  next_ = 0;
  return limit != 0 && order_.size() > limit ? 0xFFFFFFFFu : static_cast<ULONG>(order_.size());
}

bool Clip::Enum(ULONG cj, ULONG* out) {
  if (out == nullptr || cj < sizeof(ULONG)) return false;
  auto* header = reinterpret_cast<ENUMRECTS*>(out);
  const size_t room = (cj - offsetof(ENUMRECTS, arcl)) / sizeof(RECTL);
  size_t n = 0;
  while (n < room && next_ < order_.size()) {
    std::memcpy(reinterpret_cast<unsigned char*>(out) + offsetof(ENUMRECTS, arcl) + n * sizeof(RECTL), &order_[next_],
                sizeof(RECTL));
    ++n;
    ++next_;
  }
  header->c = static_cast<ULONG>(n);
  return next_ < order_.size();
}

std::vector<RECTL> ClipRects(const CLIPOBJ* pco, const RECTL& trivialBounds) {
  if (pco == nullptr || pco->iDComplexity == DC_TRIVIAL) return {trivialBounds};
  if (pco->iDComplexity == DC_COMPLEX) {
    if (const Clip* clip = LiveObjects<Clip>::Find(const_cast<CLIPOBJ*>(pco))) return clip->Rects();
  }
  if (RectEmpty(pco->rclBounds)) return {};
  return {pco->rclBounds};
}

}  // namespace platform::gdi

using platform::gdi::Clip;
using platform::gdi::LiveObjects;

ZEL_EXTERN_C ULONG CLIPOBJ_cEnumStart(CLIPOBJ* pco, BOOL bAll, ULONG iType, ULONG iDirection, ULONG cLimit) {
  (void)bAll;
  if (iType != CT_RECTANGLES) return 0;
  if (Clip* clip = LiveObjects<Clip>::Find(pco)) return clip->EnumStart(iDirection, cLimit);
  return 0;
}

ZEL_EXTERN_C BOOL CLIPOBJ_bEnum(CLIPOBJ* pco, ULONG cj, ULONG* pul) {
  Clip* clip = LiveObjects<Clip>::Find(pco);
  if (clip == nullptr) {
    // A clip a driver built itself: its bounds are the one rectangle.
    if (pco == nullptr || pul == nullptr || cj < sizeof(ENUMRECTS)) return FALSE;
    auto* rects = reinterpret_cast<ENUMRECTS*>(pul);
    rects->c = platform::gdi::RectEmpty(pco->rclBounds) ? 0 : 1;
    rects->arcl[0] = pco->rclBounds;
    return FALSE;
  }
  return clip->Enum(cj, pul) ? TRUE : FALSE;
}

ZEL_EXTERN_C PATHOBJ* CLIPOBJ_ppoGetPath(CLIPOBJ* pco) {
  if (pco == nullptr) return nullptr;
  std::vector<RECTL> rects;
  if (const Clip* clip = LiveObjects<Clip>::Find(pco))
    rects = clip->iDComplexity == DC_COMPLEX ? clip->Rects() : std::vector<RECTL>{clip->rclBounds};
  else
    rects = {pco->rclBounds};
  // The region's boundary: one closed figure per outer edge or hole, oriented so
  // that the figures fill exactly the region under either fill rule.
  auto* path = new platform::gdi::Path();
  for (const std::vector<POINTL>& loop : platform::gdi::BandRegion::FromRects(rects).Outline()) {
    path->MoveTo({loop.front().x * 16, loop.front().y * 16});
    for (size_t i = 1; i < loop.size(); ++i) path->LineTo({loop[i].x * 16, loop[i].y * 16});
    path->CloseFigure();
  }
  platform::gdi::MarkPathHandedOut(path);
  return path;
}
