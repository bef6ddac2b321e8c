// A job saved as a PCL macro file goes to a file the user names, unless the
// application already named an existing file.
#pragma once

#include "interface/job/job_context.h"
#include "platform/gdi/dc.h"

// Asks for the file when the context's output name is not an existing file:
// the choice becomes the job's output (info->lpszOutput points at the
// context's savePath) and its folder the dialog's next starting place. false
// when the user cancelled.
bool AskMacroFile(HANDLE printer, JobContext& context, DOCINFOW* info);
