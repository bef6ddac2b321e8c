// Completion, reset and release of a device context's PDEV.
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "graphics/ddi/pdev_check.h"
#include "graphics/stream/output.h"
#include "platform/gdi/eng_services.h"

void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return;
  pdev->engineDevice = hdev;
}

BOOL DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  PDEV* oldPdev = CheckedPdev(dhpdevOld);
  PDEV* newPdev = oldPdev ? CheckedPdev(dhpdevNew) : nullptr;
  if (!oldPdev || !newPdev) return FALSE;
  // What the old PDEV buffered belongs to the job before the reset. A flush that
  // fails marks the job failed, and the mark goes on with the job.
  FlushOutputBuffer(oldPdev);
  return CopyJobState(newPdev, oldPdev) ? TRUE : FALSE;
}

void DrvDisablePDEV(DHPDEV dhpdev) {
  PDEV* pdev = CheckedPdev(dhpdev);
  if (!pdev) return;
  // The engine disables the surface first; one left behind is not leaked.
  if (pdev->surface) EngDeleteSurface(pdev->surface);
  pdev->surface = 0;
  // Everything the PDEV still holds: the injection store whatever its mode
  // word says (after a reset it moved away and is null here), the tables and
  // channel files of a job that ended without DrvEndDoc, the work areas, the
  // output buffer, the palette and the record itself.
  FreePdev(pdev);
}
