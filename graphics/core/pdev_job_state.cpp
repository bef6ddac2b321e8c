#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "graphics/core/pdev.h"
#include "graphics/output/raster/raster_writer.h"
#include "graphics/output/vector/vector_writer.h"
#include "graphics/stream/output.h"

namespace {

// Hands an owned pointer over: the old PDEV must not free what the new one uses.
template <class T>
void Move(T*& to, T*& from) {
  to = std::exchange(from, nullptr);
}

template <class T, size_t N>
void Copy(T (&to)[N], const T (&from)[N]) {
  std::copy(std::begin(from), std::end(from), std::begin(to));
}

}  // namespace

int CopyJobState(PDEV* newPdev, PDEV* oldPdev) {
  if (!newPdev || !oldPdev) return 0;
  if (newPdev == oldPdev) return 1;
  PDEV& to = *newPdev;
  PDEV& from = *oldPdev;

  // The running state: page store counters, document flags, the page set-up,
  // text and font state and what was last sent to the printer.
  to.bandState = from.bandState;
  Copy(to.pageAndTabState, from.pageAndTabState);
  to.pageState = from.pageState;
  to.documentFlags = from.documentFlags;
  if (from.documentFlags & kDocStarted) to.documentFlags |= kDocStartedBeforeReset;
  to.acrobatVersion = from.acrobatVersion;
  to.pageMakerVersion = from.pageMakerVersion;
  to.pageWord = from.pageWord;
  to.textField1 = from.textField1;
  to.textField2 = from.textField2;
  to.textField3 = from.textField3;
  to.textField4 = from.textField4;
  to.textField5 = from.textField5;
  to.softFontCounter = from.softFontCounter;
  std::memcpy(to.savedTextStates, from.savedTextStates, sizeof to.savedTextStates);
  // The printer's font list is shared through the font-list cache, not owned.
  to.deviceFonts = from.deviceFonts;
  to.vmEstimate = from.vmEstimate;
  Copy(to.pclModeWords, from.pclModeWords);
  Copy(to.pageEndValues, from.pageEndValues);
  to.spoolerJobId = from.spoolerJobId;
  to.addressValue = from.addressValue;
  Copy(to.jobSettings, from.jobSettings);
  to.settingsWord = from.settingsWord;
  to.settingsValue = from.settingsValue;
  Copy(to.documentName, from.documentName);
  to.documentState = from.documentState;
  to.watermarkCapture = from.watermarkCapture;
  to.watermarkTextFlag = from.watermarkTextFlag;
  to.captureFlags = from.captureFlags;
  Copy(to.printerName, from.printerName);
  Copy(to.pageSetupValues1, from.pageSetupValues1);
  to.pageSetupPointer = from.pageSetupPointer;
  Copy(to.pageSetupValues2, from.pageSetupValues2);
  to.pageSetupValue3 = from.pageSetupValue3;
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
