#include "monitor/about_dialog.h"

#include <cstdio>

#include "monitor/instance_registry.h"
#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"

// clang-format off
BEGIN_MESSAGE_MAP(PM_CAboutDlg, monitor::CDialogBase)
  ON_WM_LBUTTONDOWN()
END_MESSAGE_MAP()
// clang-format on

BOOL PM_CAboutDlg::OnInitDialog() {
  CDialogBase::OnInitDialog();
  CenterWindow();
  SetWindowText(monitor::LoadText(59196));
  char version[55] = {};
  std::snprintf(version, sizeof version, monitor::LoadText(59227).c_str(), MonitorVersionText().c_str());
  if (CWnd* line = GetDlgItem(1089)) line->SetWindowText(version);
  ModelInformation model;
  if (GetModelInformation(engine_->PrinterName().c_str(), &model)) {
    if (CWnd* maker = GetDlgItem(1088)) maker->SetWindowText(model.company);
  }
  if (CWnd* name = GetDlgItem(1078)) name->SetWindowText(engine_->PrinterName());
  std::string address;
  if (!engine_->IsNotMonitored()) {
    char text[512] = {};
    std::snprintf(text, sizeof text, monitor::LoadText(59208).c_str(), engine_->PrinterAddress().c_str());
    address = text;
  }
  if (CWnd* line = GetDlgItem(1079)) line->SetWindowText(address);
  animation_.SubclassDlgItem(1082, this);
  for (UINT frame : {174u, 175u, 176u, 162u, 163u, 180u}) animation_.AddFrame(frame);
  animation_.NextFrame();
  animation_.Start(200);
  return TRUE;
}
