// What the writers believe the printer has selected, put back at a document
// boundary.
#pragma once

struct PDEV;

// Forgets which font, text state and device settings the printer has: the
// current font becomes none, the PCL/HP-GL/2 text states and the two saved
// text states are cleared, the PCL text and graphics modes go back to their
// start values, and the job settings last sent are forgotten, so the next
// writer selects and sends everything again. Called at document start and end;
// a null PDEV changes nothing.
void ResetFontState(PDEV* pdev);
