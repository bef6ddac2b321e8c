// Stand-in for the text writer until it is built: no run is written, and the
// refusal tells the engine to draw the glyphs itself. Kept alone in its file so
// that the real writer (or a test's recording writer) replaces it.
#include "graphics/output/text_writer.h"
#include "platform/base/errors.h"

BOOL WalkGlyphs(PDEV*, STROBJ*, CLIPOBJ*, FONTOBJ*, BRUSHOBJ*, BRUSHOBJ*) {
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}
