// Escapes of applications and of the user-interface library.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"

// Not served yet: every escape, QUERYESCSUPPORT included, answers 0 (not
// supported), so no application relies on one that does nothing.
ULONG DrvEscape(SURFOBJ* pso, ULONG /*iEsc*/, ULONG /*cjIn*/, PVOID /*pvIn*/, ULONG /*cjOut*/, PVOID /*pvOut*/) {
  if (!CheckedPdev(pso)) return 0;
  return 0;
}
