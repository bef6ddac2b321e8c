// The two printer languages of the device-settings writer. Both are called by
// WritePjlJobSettings with the request and the settings it still has to send.
#pragma once

#include <string>

#include "graphics/output/job/device_settings.h"
#include "platform/base/types.h"

struct PDEV;

namespace devicesettings {

// PJL SET lines (when a setting of the PJL block changed), then the PCL
// commands of paper, tray, media and duplex. 1.
int WritePclSettings(PDEV* pdev, const DeviceSettings& request, DWORD mask);

// One setpagedevice dictionary and the halftone screen. A request for a tray
// with its own paper gets its paper, media and feed edge rewritten. 1.
int WritePostScriptSettings(PDEV* pdev, DeviceSettings& request, DWORD mask);

// Appends the stream formatter's text (FormatOut) to out.
void AppendFormatted(std::string& out, const char* format, ...);

// Sends the bytes of out into the PDEV's current channel.
void Send(PDEV* pdev, const std::string& out);

}  // namespace devicesettings
