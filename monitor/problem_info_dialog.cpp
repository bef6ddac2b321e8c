#include "monitor/problem_info_dialog.h"

namespace {

constexpr int kIcon = 1065;
constexpr int kTitle = 1062;
constexpr int kDescription = 1063;
constexpr char kHandledByEvent[] = "_HANDLED BY EVENT_";

}  // namespace

bool PM_CProblemInfoDlg::HasProblemInfo(PM_CEvent* event) {
  std::string description;
  return event && event->Command(kEventGetDescription, &description) >= 0 && description != kHandledByEvent;
}

BOOL PM_CProblemInfoDlg::OnInitDialog() {
  CDialogBase::OnInitDialog();
  CenterWindow();
  std::string description;
  event_->Command(kEventGetDescription, &description);
  if (description == kHandledByEvent) {
    EndDialog(0);
    return FALSE;
  }
  std::string title;
  event_->Command(kEventGetTitle, &title);
  uint32_t icon = 0;
  event_->Command(kEventGetCategoryIcon, &icon);
  if (CWnd* picture = GetDlgItem(kIcon))
    picture->SendMessage(STM_SETICON, static_cast<WPARAM>(::LoadIconA(0, MAKEINTRESOURCEA(icon))));
  ::SetDlgItemTextA(m_hWnd, kTitle, title.c_str());
  ::SetDlgItemTextA(m_hWnd, kDescription, description.c_str());
  return TRUE;
}
