// Stand-in for the vector writer's rectangle until the vector writer is
// built: it draws nothing and reports that, so a caller knows the shape is
// missing. Kept alone in its file so that the real writer (or a test's
// recording writer) replaces it.
#include "graphics/output/vector_writer.h"

BOOL WriteRectangle(PDEV*, const RECTL*, LINEATTRS*, XFORMOBJ*, BRUSHOBJ*, DWORD, DWORD, const RECTL*, BOOL, BOOL) {
  return FALSE;
}
