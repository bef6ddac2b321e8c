// Pages drawn from a list of shapes, one a line, in 1/600 inch from the page's
// top left (scaled to the printer's resolution):
//
//   page                                       starts a page
//   line WIDTH R G B X1 Y1 X2 Y2               a line of a solid pen
//   rect R G B LEFT TOP RIGHT BOTTOM           a filled rectangle, no outline
//   poly R G B N X1 Y1 ... XN YN               a filled polygon, no outline
//   curve WIDTH R G B X0 Y0 X1 Y1 X2 Y2 X3 Y3  a Bezier curve of a solid pen
//   image LEFT TOP RIGHT BOTTOM FILE.bmp       a 24-bit picture (uncompressed
//                                              BMP) stretched into the box
//
// It lets the same vector pages and pictures be printed here and set by other
// programs side by side (bench/whole_job_bench.sh).
#pragma once

#include <string>

#include "platform/gdi/drawing.h"

namespace printhost {

// Prints the list's pages on dc, inside a started document. Answers false for
// a list that cannot be read or a line it does not know (with a message on
// stderr), or when the device context fails.
bool PrintDrawingList(HDC dc, const std::string& listPath);

}  // namespace printhost
