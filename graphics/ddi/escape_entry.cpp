// DrvEscape: the escapes of ExtEscape on the printer's device context.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/escapes/escapes.h"

namespace {

// The driver's own escapes, sent by its user-interface library and set-up program.
bool IsPrivateEscape(ULONG escape) {
  return (escape >= kEscWatermarkBegin && escape <= kEscInsertDefaults) || escape == kEscRawText ||
         escape == kEscUpdateConfig;
}

}  // namespace

ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  PDEV* pdev = CheckedPdev(pso);
  if (pdev == nullptr) return 0;
  if (!IsEscapeSupported(iEsc, pdev)) return 0;
  return IsPrivateEscape(iEsc) ? ServePrivateEscape(pdev, iEsc, cjIn, pvIn, cjOut, pvOut)
                               : ServePublishedEscape(pdev, iEsc, cjIn, pvIn, cjOut, pvOut);
}
