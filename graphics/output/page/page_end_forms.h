// The sheet end shared by the inserted sheets and the page trailer.
#pragma once

struct PDEV;

namespace pagesetup {

// PostScript: showpage (or systemdict's when the job overrides showpage), or
// the printer's non-counting showpage; PCL: a form feed, or one the printer
// does not count. 1 when the stream took it.
int WriteSheetEnd(PDEV* pdev, bool counted);

}  // namespace pagesetup
