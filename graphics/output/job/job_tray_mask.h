// The input-tray mask of a PostScript job.
#pragma once

struct PDEV;

// Writes the input-tray mask of the job: the PostScript slot numbers of the
// paper sources that do not take part in automatic tray selection, handed to
// the printer's statusdict /inputTrayMask when its InputAttributes know them.
// Nothing when every source is automatic (or there is no model record). The
// page set-up restores the mask with the same text after an inserted sheet.
// 1, or 0 when the stream refused the text; a null PDEV writes nothing.
int WriteInputTrayMask(PDEV* pdev);
