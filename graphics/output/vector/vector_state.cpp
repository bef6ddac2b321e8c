// Life of the vector writer's caches: invalidated when the printer's graphics
// state is restored or reset, freed with the device context.
#include "graphics/output/vector/vector_state.h"
#include "graphics/core/pdev.h"
#include "graphics/util/graphics_heap.h"

namespace {

void Forget(RememberedFill& fill) {
  GraphicsHeapFree(fill.pattern);
  fill = RememberedFill{};
}

}  // namespace

void InvalidateVectorState(PDEV* pdev, WORD bits) {
  if (pdev != nullptr) pdev->writers.vector.stale |= bits;
}

void ResetVectorPageState(PDEV* pdev) {
  if (pdev == nullptr) return;
  pdev->writers.vector.stale = kStaleEverything;
  pdev->writers.vector.patternSelectionSent = 0;
}

void FreeVectorState(PDEV* pdev) {
  if (pdev == nullptr) return;
  VectorWriterState& state = pdev->writers.vector;
  Forget(state.color);
  Forget(state.fill);
  Forget(state.pen);
  state.stale = kStaleEverything;
}

void DetachVectorState(PDEV* pdev) {
  if (pdev == nullptr) return;
  VectorWriterState& state = pdev->writers.vector;
  for (RememberedFill* fill : {&state.color, &state.fill, &state.pen}) {
    fill->pattern = nullptr;
    fill->patternLength = 0;
  }
}
