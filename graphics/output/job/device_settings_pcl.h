// The device settings of a PCL job, called by WritePjlJobSettings with the
// request and the settings it still has to send.
#pragma once

#include "graphics/output/job/device_settings.h"
#include "platform/base/types.h"

struct PDEV;

namespace devicesettings {

// PJL SET lines (when a setting of the PJL block changed), then the PCL
// commands of paper, tray, media and duplex. 1.
int WritePclSettings(PDEV* pdev, const DeviceSettings& request, DWORD mask);

}  // namespace devicesettings
