// The information page: the model's logo and name, the driver's version, the
// printer's web page while status monitoring is on, the maker's web site and the
// legal notices. It edits nothing.
#pragma once

#include "controls/hyperlink.h"
#include "controls/spin_button.h"
#include "controls/tab_dialog.h"

class GeneralDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  GeneralDlg();
  ~GeneralDlg() override;

  void DescribeTab() override;
  void UpdateControls() override {}
  BOOL OnInitDialog() override;

  controls::PictureButton m_logo;
  controls::CHyperlink* m_printerLink = nullptr;
  controls::CHyperlink* m_webSiteLink = nullptr;
};

// The settings record whose two access codes the access-control dialog edits.
struct AccessCodes {
  DWORD firstEnabled;
  char first[32];
  DWORD firstAvailable;
  DWORD secondEnabled;
  char second[32];
  DWORD secondAvailable;
};

// Two code fields, each shown only while its code is on and available.
class AccessContrl : public controls::CMyDialog {
 public:
  explicit AccessContrl(CWnd* parent);
  // Answers whether a record was given.
  BOOL SetSettings(AccessCodes* codes);
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  CEdit m_secondEdit;
  CEdit m_firstEdit;
  AccessCodes* m_codes = nullptr;

 private:
  // Which fields the dialog showed: only those are read back on OK.
  bool firstShown_ = false;
  bool secondShown_ = false;
};
