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

struct WmarkDlg : LaterPage { WmarkDlg() : LaterPage(138, 136, 48) {} };
struct FontDlg : LaterPage { FontDlg() : LaterPage(126, 111, 46) {} };
