// Runs a PostScript job (its PJL envelope already taken off) through
// Ghostscript the way the tests of whole jobs do, and reads back the rendered
// pages as 8-bit grey images.
#pragma once

#include <string>
#include <vector>

namespace graphicstest {

// The prelude every job is rendered behind, the one the README's viewing uses
// (tools/render/printer_prelude.ps): it stands in for what a printer has and
// Ghostscript lacks (statusdict /inputTrayMask, a MediaWeight in every input
// slot), and drops /LeadingEdge, which a printer takes as the feed edge but
// Ghostscript as a turn of the page image.
extern const char kPrinterPrelude[];

struct RenderedPage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> gray;  // rows from the top, 0 black, 255 white

  // Dark pixels (below 128) in the rectangle of pixel rows and columns.
  int DarkCount(int x, int y, int w, int h) const;
};

struct GhostscriptRun {
  bool exited = false;  // ended normally (not by a signal)
  int exitCode = -1;
  std::string output;   // what Ghostscript printed (stdout and stderr)
  std::vector<RenderedPage> pages;

  // Exit 0 and no PostScript error reported.
  bool Clean() const { return exited && exitCode == 0 && output.find("Error") == std::string::npos; }
};

bool GhostscriptAvailable();

// The prelude, then the job, rendered at dpi with the pgmraw device.
GhostscriptRun RunPostScriptJob(const std::string& job, int dpi = 72);

}  // namespace graphicstest
