// What a document leaves behind when it ends or its device context goes away:
// an application's stray final Ctrl-D, the work buffers, fonts and tables.
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"

void DropTrailingCtrlD(PDEV* pdev) {
  if (pdev == nullptr || pdev->output.buffer == nullptr) return;
  OutputState& output = pdev->output;
  if (output.fill > 0 && output.buffer[output.fill - 1] == 0x04 && output.currentChannel == output.savedChannel) {
    --output.fill;
  }
}

void ReleaseDocumentFonts(PDEV* pdev, BOOL disabling) {
  if (pdev == nullptr) return;
  GraphicsHeapFree(pdev->fontDownloadArea);
  pdev->fontDownloadArea = nullptr;
  GraphicsHeapFree(pdev->fillPatterns);
  pdev->fillPatterns = nullptr;

  // The document's tables. At the end of a device context whose document was
  // never ended (an aborted job) they are still held and go too.
  if (pdev->downloadedFonts[0] != nullptr || pdev->downloadedFonts[1] != nullptr) ReleaseFontLists(pdev);
  GraphicsHeapFree(pdev->pageTickets.rows);
  pdev->pageTickets = PageTicketSet{};
  GraphicsHeapFree(pdev->slipSheetBlock);
  pdev->slipSheetBlock = nullptr;

  if (disabling) {
    if (pdev->fontSubstitution != nullptr) FreeFontSubstitution(&pdev->fontSubstitution);
    // The buffer goes, and with it the job's channel files: an aborted job's
    // stored pages must neither stay on disk nor reach the printer.
    FreeOutputBuffer(pdev);
    pdev->pages = PageStoreState{};
  }
}
