#include <new>

#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/download/release_font_lists.h"
#include "graphics/output/fonts/free_font_substitution.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/vector/vector_state.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"
#include "platform/gdi/eng_services.h"

PDEV* AllocPdev() {
  void* block = GraphicsHeapAlloc(sizeof(PDEV));
  return block ? new (block) PDEV() : nullptr;
}

int AttachModelRecord(PDEV* pdev, const ModelRecord* cached) {
  if (!pdev || !cached) return 0;
  if (cached == pdev->model) return 1;
  void* block = GraphicsHeapAlloc(sizeof(ModelRecord));
  if (!block) return 0;
  ModelRecord* copy = new (block) ModelRecord(*cached);
  GraphicsHeapFree(pdev->model);
  pdev->model = copy;
  return 1;
}

void FreePdev(PDEV* pdev) {
  if (!pdev) return;
  // Whatever the mode word says: a store left behind by an application that
  // identified itself and then withdrew is still the PDEV's to free, and after a
  // reset the store has moved to the new PDEV and the pointer here is null.
  if (pdev->injection) DestroyInjectData(pdev);
  pdev->injectionMode = 0;
  // A job that ended without DrvEndDoc still holds its document's tables.
  if (pdev->fontSubstitution) FreeFontSubstitution(&pdev->fontSubstitution);
  if (pdev->downloadedFonts[0] || pdev->downloadedFonts[1]) ReleaseFontLists(pdev);
  GraphicsHeapFree(pdev->pageTickets.rows);
  pdev->pageTickets = PageTicketSet{};
  GraphicsHeapFree(pdev->slipSheetBlock);
  pdev->slipSheetBlock = nullptr;
  GraphicsHeapFree(pdev->fontDownloadArea);
  pdev->fontDownloadArea = nullptr;
  GraphicsHeapFree(pdev->fillPatterns);
  pdev->fillPatterns = nullptr;
  FreeVectorState(pdev);
  FreeRasterState(pdev);
  // The buffer, and the channel files of an aborted job: they hold the
  // document's pages and must not stay behind in the temporary folder.
  FreeOutputBuffer(pdev);
  if (pdev->palette) EngDeletePalette(pdev->palette);
  pdev->palette = 0;
  GraphicsHeapFree(pdev->model);
  pdev->model = nullptr;
  pdev->signature = 0;
  pdev->tag = 0;
  pdev->~PDEV();
  GraphicsHeapFree(pdev);
}
