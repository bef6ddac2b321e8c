// The HP-GL/2 scaling of a PCL page.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// PCL: enters HP-GL/2 with the page's orientation, margins and one plotter
// unit per device dot (y down), and comes back to PCL. flag is reserved (0).
// 0 for another language, else 1; a null PDEV writes nothing.
int EnterHpglScaling(PDEV* pdev, DWORD flag);
