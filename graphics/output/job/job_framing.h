// The first and last bytes of every job: the PJL envelope (job line, the
// printer-side page order, rotation and finishing, EOJ), for PostScript the
// DSC header, the procedure set "CalyxonDict" and the DSC trailer, for PCL the
// job comments, and the short set-up of a PCL macro file. Everything goes
// through WriteOut into the current output channel.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/base/types.h"

struct PDEV;

// The job header, written once at document start while the spooler channel is
// current. 0 (nothing written) without a PDEV or model record, else 1.
int WriteJobHeader(PDEV* pdev);

// The job trailer, written once at document end: the DSC trailer and the end
// of the dictionary for PostScript, the printer reset for PCL, the EOJ line and
// the closing Universal Exit Language when the job is framed in PJL. 1; 0
// without a PDEV.
int WriteJobTrailer(PDEV* pdev);

// The procedure set of a PostScript job (nothing for another language, result
// 0). With leaveOpen the dictionary stays open and the job state records that
// (prologOpen); without it the text ends " end\n". 1 when written.
int WritePsProlog(PDEV* pdev, BOOL leaveOpen);

// Re-opens ("\nCalyxonDict begin\n") or closes ("\nend\n") the dictionary
// around driver-made PostScript inside application data. PostScript only; 1.
int WritePsPrologPart(PDEV* pdev, BOOL begin);

// Writes the input-tray mask of the job: the PostScript slot numbers of the
// paper sources that do not take part in automatic tray selection, handed to
// the printer's statusdict /inputTrayMask when its InputAttributes know them.
// Nothing when every source is automatic (or there is no model record). The
// page set-up restores the mask with the same text after an inserted sheet.
// 1, or 0 when the stream refused the text.
int WriteInputTrayMask(PDEV* pdev);

// Forgets which font, text state and device settings the printer has: the
// current font becomes none, the PCL/HP-GL/2 text states and the two saved
// text states are cleared, the PCL text and graphics modes go back to their
// start values, and the job settings last sent are forgotten, so the next
// writer selects and sends everything again. Called at document start and end.
void ResetFontState(PDEV* pdev);

// Whether the job is framed in PJL: never for PCL macro output; not for a
// PostScript job on a code-page-932 system unless the status monitor follows
// the job or the model takes the PJL page order or rotation commands.
BOOL JobUsesPjl(const PDEV* pdev);

// Whether the trailer ends the job with "@PJL EOJ" and the Universal Exit
// Language: exactly when the header opened a PJL job (JobUsesPjl).
BOOL JobEndsWithEoj(PDEV* pdev);

// The longest job name written into a PJL or DSC line.
constexpr size_t kJobNameMaxBytes = 80;

// The job name as it may stand inside a quoted PJL string and a DSC comment
// line: a double quote becomes an apostrophe, control bytes (below 32, and 127)
// become blanks, a lead byte without its trail byte is dropped, and the text is
// cut to at most maxBytes bytes (and capacity-1) without splitting a character
// of the ANSI code page; every other byte is kept. out is always terminated
// when capacity > 0; the result is the length written.
size_t MakeJobNameText(char* out, size_t capacity, std::string_view name, size_t maxBytes = kJobNameMaxBytes);

// The slip-sheet command text that follows the quoted name on the PJL job
// line, made safe to stand on that line: control bytes become blanks and a
// lead byte without its trail byte is dropped; quotes stay (the text carries
// its own PJL options). At most capacity-1 bytes, terminated.
size_t MakeJobLineSuffixText(char* out, size_t capacity, std::string_view text);
