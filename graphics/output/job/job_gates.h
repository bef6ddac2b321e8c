// Whether a job is framed in PJL.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Whether the job is framed in PJL: never for PCL macro output; not for a
// PostScript job on a code-page-932 system unless the status monitor follows
// the job or the model takes the PJL page order or rotation commands.
BOOL JobUsesPjl(const PDEV* pdev);

// Whether the trailer ends the job with "@PJL EOJ" and the Universal Exit
// Language: exactly when the header opened a PJL job (JobUsesPjl).
BOOL JobEndsWithEoj(PDEV* pdev);
