#include <utility>

#include "graphics/core/pdev.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"

namespace {

// Hands an owned pointer over: the old PDEV must not free what the new one uses.
template <class T>
void Move(T*& to, T*& from) {
  to = std::exchange(from, nullptr);
}

}  // namespace

int CopyJobState(PDEV* newPdev, PDEV* oldPdev) {
  if (!newPdev || !oldPdev) return 0;
  if (newPdev == oldPdev) return 1;
  PDEV& to = *newPdev;
  PDEV& from = *oldPdev;

  // The running state: the printer and document, the document flags, the
  // text and font state, the settings last sent, the captures under way, the
  // encoder's carry, the job's shared state and the page store's counters.
  to.carried = from.carried;
  if (from.carried.documentFlags & kDocStarted) to.carried.documentFlags |= kDocStartedBeforeReset;
  to.encoder = from.encoder;
  to.job = from.job;
  to.pages = from.pages;
  // Writers whose state holds owned pointers move them in their own reset hook
  // rather than here; plain values are copied.
  FreeVectorState(newPdev);
  FreeRasterState(newPdev);
  to.writers = from.writers;
  DetachVectorState(oldPdev);
  DetachRasterState(oldPdev);

  // The job's files and channels go on in the new PDEV: the same temporary files
  // stay open, and the old PDEV no longer owns (or deletes) them.
  MoveChannelFiles(oldPdev, newPdev);

  // The blocks the job owns move. The injection store's mode word goes with the
  // store, so the old PDEV is left with neither.
  Move(to.injection, from.injection);
  to.injectionMode = std::exchange(from.injectionMode, WORD{0});
  Move(to.fontSubstitution, from.fontSubstitution);
  Move(to.downloadedFonts[0], from.downloadedFonts[0]);
  Move(to.downloadedFonts[1], from.downloadedFonts[1]);
  to.pageTickets = std::exchange(from.pageTickets, PageTicketSet{});
  Move(to.slipSheetBlock, from.slipSheetBlock);

  // Not taken over: the device mode and all that InitPdev derived from it
  // (geometry, current font, resolution, the model record copy with this device
  // mode's paper), the output buffer and its fill, the raster state, the font
  // download area and fill patterns (the old PDEV frees them), the handles, the
  // surface, the palette, the banner result and the signature.
  return 1;
}
