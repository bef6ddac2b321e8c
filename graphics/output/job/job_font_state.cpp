// At a document boundary the printer starts from nothing: the job before has
// ended (and a PCL job reset the printer), so no font is selected, no text,
// label or graphics mode is set and no device setting has been sent. The
// writers compare with this state to skip commands, so it is put back to what
// a new device context starts with.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/output/job/device_settings.h"
#include "graphics/output/job/job_framing.h"

void ResetFontState(PDEV* pdev) {
  if (pdev == nullptr) return;
  pdev->currentFont = kNoCurrentFont;
  pdev->textField1 = 0;
  pdev->textField2 = 0;
  pdev->textField3 = 0;
  pdev->textField4 = 0;
  pdev->textField5 = 0;
  std::memset(pdev->savedTextStates, 0, sizeof pdev->savedTextStates);
  // The PCL text and graphics modes as a new device context has them.
  std::memset(pdev->pclModeWords, 0, sizeof pdev->pclModeWords);
  pdev->pclModeWords[1] = 1;
  pdev->pclModeWords[kPclModeWordCount - 1] = 255;
  ClearDeviceSettings(pdev);
}
