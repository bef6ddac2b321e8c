// The device settings of a PostScript job, called by WritePjlJobSettings with
// the request and the settings it still has to send.
#pragma once

#include "graphics/output/job/device_settings.h"
#include "platform/base/types.h"

struct PDEV;

namespace devicesettings {

// One setpagedevice dictionary and the halftone screen. A request for a tray
// with its own paper gets its paper, media and feed edge rewritten. 1.
int WritePostScriptSettings(PDEV* pdev, DeviceSettings& request, DWORD mask);

}  // namespace devicesettings
