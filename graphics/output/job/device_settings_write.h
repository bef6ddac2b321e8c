// Sending a device-settings request: what it changes against the settings last
// sent, the settings last sent themselves, and the output helpers of the two
// printer languages.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include <string>

#include "graphics/output/job/device_settings.h"
#include "platform/base/types.h"

struct PDEV;

// Writes what the request changes against the settings last sent (everything
// the request names when forced) and makes the request the settings last
// sent. Nothing is written for a page in the middle of an N-up sheet; a change
// that comes while a sheet is open ends that sheet first (EmitPageTrailer). A
// PostScript request for a tray with its own paper (kSettingsTrayWithPaper)
// clears the request's paperSize and mediaType and sets its feedEdge to 2.
// 0 without a PDEV, request or model record, else 1.
int WritePjlJobSettings(PDEV* pdev, DeviceSettings* request, BOOL forced);

// The settings last sent, and forgetting them (document start and end). The
// PDEV also keeps the job's staple position (settingsWord, from the device
// mode when the job's settings are built).
DeviceSettings CurrentDeviceSettings(const PDEV* pdev);
void ClearDeviceSettings(PDEV* pdev);

// How many printer resets (PCL "ESC E") the device settings have written in
// this device context. A writer that keeps a macro, soft font or pattern in the
// printer's memory sends it again when this count moved since it sent it.
DWORD DeviceSettingsResets(const PDEV* pdev);

namespace devicesettings {

// Appends the stream formatter's text (FormatOut) to out.
void AppendFormatted(std::string& out, const char* format, ...);

// Sends the bytes of out into the PDEV's current channel.
void Send(PDEV* pdev, const std::string& out);

}  // namespace devicesettings
