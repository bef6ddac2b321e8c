// Stand-in for the raster writer until it is built: no image is written, and
// the failure is reported, so that no page claims an image it does not carry.
// Kept alone in its file so that the real writer (or a test's recording
// writer) replaces it.
#include "graphics/output/raster_writer.h"
#include "platform/base/errors.h"

BOOL ClipImageToBand(PDEV*, SURFOBJ*, const RECTL*, const RECTL*, const RECTL*, DWORD, XLATEOBJ*, int) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}
