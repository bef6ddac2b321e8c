// The modeless box that shows one line about a printer event and closes itself
// five seconds after its last text. At most one is open at a time.
#pragma once

#include <string>

#include "monitor/dialog_base.h"
#include "monitor/engine_ui.h"

class PM_CEventMessageBox : public monitor::CDialogBase {
 public:
  explicit PM_CEventMessageBox(const std::string& text);
  void SetText(const std::string& text);
  BOOL OnInitDialog() override;
  void OnOK() override { Close(); }
  void OnCancel() override { Close(); }
  void OnTimer(UINT_PTR id);
  void PostNcDestroy() override;

  DECLARE_MESSAGE_MAP()

 private:
  void Close();
  std::string text_;
  UINT_PTR timer_ = 0;
};

namespace monitor {

// The open box takes the new text, or a new box opens.
void ShowEventMessage(const std::string& text, PM_CEngineUIInterface* ui);
BOOL IsEventMessageOpen();
// The open box, or none.
PM_CEventMessageBox* OpenEventMessage();

}  // namespace monitor
