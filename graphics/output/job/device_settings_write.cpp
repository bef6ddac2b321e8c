// Sending a request: what it changes against the settings last sent, and the
// bookkeeping around the two printer languages.
#include <cstdarg>
#include <cstring>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/device_settings_pcl.h"
#include "graphics/output/job/device_settings_ps.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/pages/document_store.h"
#include "graphics/stream/output.h"

static_assert(sizeof(DeviceSettings) == sizeof(CarriedJobState::jobSettings), "the settings last sent are one record");

namespace devicesettings {

void AppendFormatted(std::string& out, const char* format, ...) {
  char line[kFormatBufferBytes];
  va_list args;
  va_start(args, format);
  const int length = FormatOutV(line, sizeof line, format, args);
  va_end(args);
  // A line cut at the buffer's end still goes out as far as it was formatted.
  out.append(line, length >= 0 ? static_cast<size_t>(length) : std::strlen(line));
}

void Send(PDEV* pdev, const std::string& out) {
  if (!out.empty()) WriteOut(pdev, kWriteBytes, static_cast<int>(out.size()), out.data());
}

}  // namespace devicesettings

namespace {

bool SameValue(const DeviceSettings& now, const DeviceSettings& asked, DWORD bit, DWORD DeviceSettings::*field) {
  return (now.mask & bit) != 0 && now.*field == asked.*field;
}

bool SameSwitch(const DeviceSettings& now, const DeviceSettings& asked, DWORD bit, DWORD switchBit) {
  return (now.mask & bit) != 0 && (now.switches & switchBit) == (asked.switches & switchBit);
}

// The settings of the request that the printer does not have yet.
DWORD ChangedSettings(const DeviceSettings& now, const DeviceSettings& asked, bool forced, bool sheetInserts) {
  DWORD mask = asked.mask;
  auto dropIf = [&mask](DWORD bit, bool same) {
    if (same) mask &= ~bit;
  };
  dropIf(kSettingsResolution, SameValue(now, asked, kSettingsResolution, &DeviceSettings::resolution));
  dropIf(kSettingsCopies, SameValue(now, asked, kSettingsCopies, &DeviceSettings::copies));
  dropIf(kSettingsOutputBin, SameValue(now, asked, kSettingsOutputBin, &DeviceSettings::outputBin));
  dropIf(kSettingsStaple, SameValue(now, asked, kSettingsStaple, &DeviceSettings::staple));
  dropIf(kSettingsFold, SameValue(now, asked, kSettingsFold, &DeviceSettings::fold));
  dropIf(kSettingsPunch, SameValue(now, asked, kSettingsPunch, &DeviceSettings::punch));
  dropIf(kSettingsTrim, SameValue(now, asked, kSettingsTrim, &DeviceSettings::trim));
  dropIf(kSettingsFeedEdge, SameValue(now, asked, kSettingsFeedEdge, &DeviceSettings::feedEdge));
  dropIf(kSettingsDuplex, SameValue(now, asked, kSettingsDuplex, &DeviceSettings::duplex));
  dropIf(kSettingsJobOffset, SameSwitch(now, asked, kSettingsJobOffset, kSwitchJobOffset));
  dropIf(kSettingsFaceUp, SameSwitch(now, asked, kSettingsFaceUp, kSwitchFaceUp));
  dropIf(kSettingsEdgeToEdge, SameSwitch(now, asked, kSettingsEdgeToEdge, kSwitchEdgeToEdge));
  if (!forced) dropIf(kSettingsCollate, SameSwitch(now, asked, kSettingsCollate, kSwitchCollate));
  // Pages of a job with inserted sheets are sent again in another order, so
  // each carries its own paper, media and tray.
  if (!sheetInserts) {
    dropIf(kSettingsPaperSize, SameValue(now, asked, kSettingsPaperSize, &DeviceSettings::paperSize));
    dropIf(kSettingsMediaType, SameValue(now, asked, kSettingsMediaType, &DeviceSettings::mediaType));
    dropIf(kSettingsInputTray, SameValue(now, asked, kSettingsInputTray, &DeviceSettings::inputTray));
    dropIf(kSettingsTrayWithPaper, SameValue(now, asked, kSettingsTrayWithPaper, &DeviceSettings::inputTray));
  }
  if (now.mask & kSettingsScreen) mask &= ~kSettingsScreen;
  return mask;
}

}  // namespace

DeviceSettings CurrentDeviceSettings(const PDEV* pdev) {
  DeviceSettings settings;
  if (pdev != nullptr) std::memcpy(&settings, pdev->carried.jobSettings, sizeof settings);
  return settings;
}

void ClearDeviceSettings(PDEV* pdev) {
  if (pdev != nullptr) std::memset(pdev->carried.jobSettings, 0, sizeof pdev->carried.jobSettings);
}

DWORD DeviceSettingsResets(const PDEV* pdev) {
  return pdev != nullptr ? pdev->writers.deviceSettings.printerResets : 0;
}

int WritePjlJobSettings(PDEV* pdev, DeviceSettings* request, BOOL forced) {
  if (pdev == nullptr || request == nullptr || pdev->model == nullptr) return 0;
  // A page in the middle of an N-up sheet shares the sheet's settings.
  if (pdev->devmode.dmPrivate._nUp > 1 && pdev->pages.sheetPageIndex > 1) return 1;

  const DeviceSettings now = CurrentDeviceSettings(pdev);
  DWORD mask = ChangedSettings(now, *request, forced != FALSE, HasSheetInserts(pdev) != FALSE);
  // Settings belong to a whole sheet: a change ends the sheet that is open.
  if (mask != 0 && pdev->pages.sheetPageIndex >= 2) EmitPageTrailer(pdev, TRUE, FALSE);

  const WORD pdl = pdev->devmode.dmPrivate._nPDL;
  const bool postScript = IsPostScriptPdl(pdl);
  if (!postScript && !IsPclFamilyPdl(pdl)) return 1;
  if (forced) mask = request->mask;
  if (mask == 0) return 1;

  if (postScript) {
    devicesettings::WritePostScriptSettings(pdev, *request, mask);
  } else {
    devicesettings::WritePclSettings(pdev, *request, mask);
  }
  std::memcpy(pdev->carried.jobSettings, request, sizeof pdev->carried.jobSettings);
  return 1;
}
