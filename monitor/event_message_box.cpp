#include "monitor/event_message_box.h"

#include "monitor/engine_ui.h"

namespace {

constexpr UINT_PTR kCloseTimer = 10;
constexpr UINT kCloseAfter = 5000;
constexpr int kTextControl = 1086;

PM_CEventMessageBox* openBox = nullptr;
PM_CEngineUIInterface* boxUi = nullptr;

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(PM_CEventMessageBox, monitor::CDialogBase)
  ON_WM_TIMER()
END_MESSAGE_MAP()
// clang-format on

PM_CEventMessageBox::PM_CEventMessageBox(const std::string& text) : CDialogBase(183, nullptr), text_(text) {
  openBox = this;
  Create(183, nullptr);
  ShowWindow(SW_SHOW);
}

BOOL PM_CEventMessageBox::OnInitDialog() {
  CDialogBase::OnInitDialog();
  timer_ = SetTimer(kCloseTimer, kCloseAfter);
  CenterWindow();
  if (CWnd* text = GetDlgItem(kTextControl)) text->SetWindowText(text_);
  return TRUE;
}

void PM_CEventMessageBox::SetText(const std::string& text) {
  KillTimer(kCloseTimer);
  text_ = text;
  timer_ = SetTimer(kCloseTimer, kCloseAfter);
  if (CWnd* control = GetDlgItem(kTextControl)) control->SetWindowText(text_);
}

void PM_CEventMessageBox::OnTimer(UINT_PTR id) {
  if (id == kCloseTimer) {
    Close();
    return;
  }
  Default();
}

void PM_CEventMessageBox::Close() {
  KillTimer(kCloseTimer);
  DestroyWindow();
}

void PM_CEventMessageBox::PostNcDestroy() {
  if (openBox == this) openBox = nullptr;
  // The box may outlive the engine that opened it: only a user interface that
  // still serves a running engine hears of the close.
  PM_CEngineUIInterface* ui = boxUi == monitor::EngineUi() ? boxUi : nullptr;
  delete this;
  if (ui) ui->UpdateDisplay(PM_UPDATE_MESSAGE_CLOSED);
}

namespace monitor {

void ShowEventMessage(const std::string& text, PM_CEngineUIInterface* ui) {
  boxUi = ui;
  if (openBox) {
    openBox->SetText(text);
  } else {
    new PM_CEventMessageBox(text);
  }
}

BOOL IsEventMessageOpen() { return openBox != nullptr; }
PM_CEventMessageBox* OpenEventMessage() { return openBox; }

}  // namespace monitor
