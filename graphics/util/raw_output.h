// Raw bytes into the job stream and the reset of the output channels at the
// start of a document.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// Writes length bytes as they are (output mode 1): 1 when any byte was taken, 0
// without a PDEV, data or length.
int WriteRawBytes(PDEV* pdev, DWORD length, const void* data);
// Resets the PDEV's channel table for a new document: 1, or 0 when there is no
// PDEV or the channels could not be prepared.
int ResetChannelFiles(PDEV* pdev);
