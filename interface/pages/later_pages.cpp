#include "interface/pages/later_pages.h"

#include "controls/page_functions.h"

LaterPage::LaterPage(UINT templateId, UINT iconId, UINT titleId)
    : DP_ListBoxTabDialogItem(templateId), iconId_(iconId), titleId_(titleId) {}

void LaterPage::DescribeTab() { SetTabInfo(iconId_, controls::LoadText(titleId_)); }
