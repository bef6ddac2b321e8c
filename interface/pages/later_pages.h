// The settings pages whose controls come in a later version: each takes its place
// in the page list with its own icon and title and says it is not available yet.
#pragma once

#include "controls/tab_dialog.h"

class LaterPage : public controls::DP_ListBoxTabDialogItem {
 public:
  LaterPage(UINT templateId, UINT iconId, UINT titleId);
  void DescribeTab() override;
  void UpdateControls() override {}

 private:
  UINT iconId_;
  UINT titleId_;
};

struct DocDlg : LaterPage { DocDlg() : LaterPage(121, 101, 9) {} };
struct JobOptionsDlg : LaterPage { JobOptionsDlg() : LaterPage(124, 134, 45) {} };
struct ImageDlg : LaterPage { ImageDlg() : LaterPage(123, 131, 22) {} };
struct AdvancedDlg : LaterPage { AdvancedDlg() : LaterPage(125, 118, 44) {} };
