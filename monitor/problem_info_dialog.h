// The problem information of one event, opened by a double-click on its row:
// the category icon, the title and what the person can do about it.
#pragma once

#include <string>

#include "monitor/dialog_base.h"
#include "monitor/event_model.h"

class PM_CProblemInfoDlg : public monitor::CDialogBase {
 public:
  PM_CProblemInfoDlg(PM_CEvent* event, CWnd* parent) : CDialogBase(160, parent), event_(event) {}
  // Whether the event has a description to show; events handled elsewhere
  // (the job events) have none and open no dialog.
  static bool HasProblemInfo(PM_CEvent* event);
  BOOL OnInitDialog() override;

 private:
  PM_CEvent* event_;
};
