// The job options page: the banner page with its user name or account code and
// note, and for PCL 5 jobs the output destination, the PCL macro the job uses
// with its background flag, and the fonts-and-macros installer for the macros.
#pragma once

#include <vector>

#include "controls/tab_dialog.h"
#include "interface/records/macro_list.h"

class JobOptionsDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  JobOptionsDlg();

  void DescribeTab() override;
  void UpdateControls() override;
  BOOL OnInitDialog() override;

  void OnOutputDestination();
  void OnAccount();
  void OnNote();
  void OnMacroInstaller();
  void OnMacro();
  void OnBanner();
  void OnBackground();

  CEdit m_account;
  CEdit m_note;
  BOOL m_fullAccess = FALSE;

  DECLARE_MESSAGE_MAP()

 private:
  void FillMacroList();
  void EnableBannerTexts();
  void SetEditText(int id, const std::string& text);
  std::vector<MacroChoice> macros_;  // the list's entries in order
  bool filling_ = false;
};

// Runs the fonts-and-macros installer of the library folder on the printer's
// macros. When the installer library or its entry cannot be had, the user is
// told why (with the system's error code) and nothing else happens.
void RunMacroInstaller(CWnd* owner, const char* printerName, char* portName, DWORD flags);
