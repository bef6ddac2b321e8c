// The procedure set of a PostScript job and the re-opening of its dictionary
// around driver-made PostScript inside application data.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// The procedure set of a PostScript job (nothing for another language, result
// 0). With leaveOpen the dictionary stays open and the job state records that
// (prologOpen); without it the text ends " end\n". 1 when written.
int WritePsProlog(PDEV* pdev, BOOL leaveOpen);

// Re-opens ("\nCalyxonDict begin\n") or closes ("\nend\n") the dictionary
// around driver-made PostScript inside application data. PostScript only; 1.
int WritePsPrologPart(PDEV* pdev, BOOL begin);
