// At a document boundary the printer starts from nothing: the job before has
// ended (and a PCL job reset the printer), so no font is selected, no text,
// label or graphics mode is set and no device setting has been sent. The
// writers compare with this state to skip commands, so it is put back to what
// a new device context starts with.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings_write.h"
#include "graphics/output/job/job_font_state.h"

void ResetFontState(PDEV* pdev) {
  if (pdev == nullptr) return;
  pdev->currentFont = kNoCurrentFont;
  std::memset(pdev->carried.savedTextStates, 0, sizeof pdev->carried.savedTextStates);
  // The PCL text and graphics modes as a new device context has them.
  std::memset(pdev->carried.pclModeWords, 0, sizeof pdev->carried.pclModeWords);
  pdev->carried.pclModeWords[1] = 1;
  pdev->carried.pclModeWords[kPclModeWordCount - 1] = 255;
  ClearDeviceSettings(pdev);
}
