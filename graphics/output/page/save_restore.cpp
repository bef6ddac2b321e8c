// The page save brackets the page's PostScript so that the printer's memory
// (fonts, patterns, procedures defined on the page) is given back at its end.
// While the application sends its own PostScript the procedure set is not
// on the dictionary stack, so the save and restore open it themselves.
#include "graphics/output/page/save_restore.h"
#include "graphics/output/download/release_font_lists.h"

#include "graphics/core/pdev.h"
#include "graphics/inject/injection_store.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/vector/vector_state.h"

using namespace pagesetup;

BOOL EmitSaveRestore(PDEV* pdev, int level) {
  if (pdev == nullptr || !IsPostScriptJob(pdev)) return TRUE;
  const bool applicationData = pdev->job.appPostScriptState >= 1;
  switch (level) {
    case kSavePage:
      if (pdev->injectionMode == 2) EmitInjectedData(pdev, PSINJECT_VMSAVE);
      WriteText(pdev, applicationData ? "\nCalyxonDict begin SS end\n" : "\nSS\n");
      pdev->carried.documentFlags |= kDocPageSaveOpen;
      pdev->pages.pageSaveOpen = TRUE;
      break;
    case kRestorePage:
      WriteText(pdev, applicationData ? "\nCalyxonDict begin RS end\n" : "\nRS\n");
      // The restore gives back the printer memory of the fonts downloaded since
      // the save: they must be downloaded again when used.
      ReleaseFontLists(pdev);
      if (pdev->injectionMode == 2) EmitInjectedData(pdev, PSINJECT_VMRESTORE);
      pdev->carried.documentFlags &= static_cast<BYTE>(~kDocPageSaveOpen);
      pdev->pages.pageSaveOpen = FALSE;
      pdev->carried.softFontCounter = 0;
      ForgetSelectedFont(pdev);
      InvalidateVectorState(pdev, kStaleEverything);
      break;
    case kSaveGraphics: WriteText(pdev, "\ngs\n"); break;
    case kRestoreGraphics:
      WriteText(pdev, "\ngr\n");
      ForgetSelectedFont(pdev);
      InvalidateVectorState(pdev, kStaleEverything);
      break;
    default: break;
  }
  return TRUE;
}
