// The first and last bytes of every job: the PJL envelope (job line, the
// printer-side page order, rotation and finishing, EOJ), for PostScript the
// DSC header, the procedure set "CalyxonDict" and the DSC trailer, for PCL the
// job comments, and the short set-up of a PCL macro file. Everything goes
// through WriteOut into the current output channel.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

struct PDEV;

// The job header, written once at document start while the spooler channel is
// current. 0 (nothing written) without a PDEV or model record, else 1.
int WriteJobHeader(PDEV* pdev);

// The job trailer, written once at document end: the DSC trailer and the end
// of the dictionary for PostScript, the printer reset for PCL, the EOJ line and
// the closing Universal Exit Language when the job is framed in PJL. 1; 0
// without a PDEV.
int WriteJobTrailer(PDEV* pdev);
