// The requests of a job and of a page, built from the PDEV's device mode.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "graphics/output/job/device_settings.h"
#include "platform/base/types.h"

struct PDEV;

// Builds the job-level request (jobLevel TRUE: resolution, copies, collation,
// bin, finishing, face-up, job offset, edge-to-edge; written forced) or the
// page-level request (FALSE: tray, media, duplex, paper, feed edge, screen)
// from the PDEV's device mode and writes it. 0 without a PDEV or model record;
// 1 otherwise, also at once with nothing written for PCL macro output.
int EmitJobSettings(PDEV* pdev, BOOL jobLevel);

// Asks for the PostScript halftone screen of the device mode in the request
// when the job sends its own screen (the "Halftone" setting is not the
// printer's, the frequency is above 0 and the angle 0 or more), and forgets
// that the screen was sent, so that it goes out again. PostScript only.
void AddHalftoneScreen(PDEV* pdev, DeviceSettings* request);

// The feed-direction byte of a paper: that of the first paper row with the id
// whose feed direction is the page's current one, else of the last row with
// the id, else 0.
DWORD LookupPaperAttribute(const PDEV* pdev, DWORD paperId);
