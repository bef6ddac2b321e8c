// The fonts page: whether TrueType text prints through the substitution table,
// always as TrueType or always with printer fonts; how TrueType fonts are sent;
// and the button to the substitution table.
#pragma once

#include "controls/spin_button.h"
#include "controls/tab_dialog.h"

class FontDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  FontDlg();

  void DescribeTab() override;
  void UpdateControls() override;
  BOOL OnInitDialog() override;

  void OnTrueTypeMode();
  void OnDownloadFormat();
  void OnEditTable();
  void OnInstaller() {}

  controls::SpinButton m_spins[2];

  DECLARE_MESSAGE_MAP()
};
