// The monitor settings: automatic refresh on or off, its rate in minutes, and
// whether the monitor closes after the last job has printed.
#pragma once

#include "monitor/controls/spin_button.h"
#include "monitor/engine.h"

class PM_CConfigurePMSettings : public CDialog {
 public:
  PM_CConfigurePMSettings(PM_CEngine* engine, CWnd* parent) : CDialog(165, parent), engine_(engine) {}
  BOOL OnInitDialog() override;
  void OnOK() override;

  void OnAutomatic();
  void OnManual();
  void OnRateChanged();
  LRESULT OnSpinStep(WPARAM up, LPARAM);
  void OnHelp();

  DECLARE_MESSAGE_MAP()

 private:
  void EnableRate(BOOL enable);
  long ReadRate() const;

  PM_CEngine* engine_;
  monitor::DP_CSpinButton spin_;
  int rate_ = 30;
  BOOL automatic_ = FALSE;
  BOOL closeAfterLastJob_ = TRUE;
};
