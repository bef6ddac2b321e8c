// The about box: the monitor's version, the printer's maker, name and address,
// and the animated printer icon. A click anywhere closes it.
#pragma once

#include "monitor/controls/animated_icon.h"
#include "monitor/dialog_base.h"
#include "monitor/engine.h"

class PM_CAboutDlg : public monitor::CDialogBase {
 public:
  PM_CAboutDlg(PM_CEngine* engine, CWnd* parent) : CDialogBase(100, parent), engine_(engine) {}
  BOOL OnInitDialog() override;
  void OnLButtonDown(UINT, CPoint) { OnOK(); }

  DECLARE_MESSAGE_MAP()

 private:
  PM_CEngine* engine_;
  monitor::DP_CAnimatedIcon animation_;
};
