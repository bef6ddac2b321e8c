// Runs PostScript through Ghostscript for every test folder: a whole job (its
// PJL envelope already taken off) behind the printer prelude, read back as
// 8-bit grey pages; a bare program without the prelude; the text a page shows;
// or a program that only reports (no page device output kept).
#pragma once

#include <string>
#include <vector>

namespace testsupport {

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
  std::string output;               // what Ghostscript printed (stdout and stderr)
  std::vector<RenderedPage> pages;  // "pgmraw" only
  std::string text;                 // "txtwrite" only

  // Exit 0 and no PostScript error reported.
  bool Clean() const { return exited && exitCode == 0 && output.find("Error") == std::string::npos; }
};

struct GhostscriptCall {
  // "pgmraw" renders the pages (the rendering of pnggray, without a PNG decoder
  // in the tests), "txtwrite" extracts the text shown, "nullpage" keeps nothing;
  // empty runs with no display, for programs that only compute or copy files.
  std::string device = "pgmraw";
  int dpi = 72;         // 0: none given, so a job's own HWResolution takes effect
  bool prelude = true;  // kPrinterPrelude runs first
  bool safer = true;    // false lets the program open files of its own
};

bool GhostscriptAvailable();

GhostscriptRun RunGhostscript(const std::string& program, const GhostscriptCall& call);

// The prelude, then the job, rendered at dpi with the pgmraw device.
GhostscriptRun RunPostScriptJob(const std::string& job, int dpi = 72);

}  // namespace testsupport
