#include "monitor/main_status_dialog.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "monitor/about_dialog.h"
#include "monitor/event_configuration_dialog.h"
#include "monitor/event_message_box.h"
#include "monitor/monitor_help.h"
#include "monitor/monitor_settings.h"
#include "monitor/problem_info_dialog.h"
#include "monitor/settings_dialog.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/window_finder.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnStopSignal(int) { stopRequested = 1; }

constexpr UINT kMainTemplate = 102;
constexpr UINT kMenu = 130;
constexpr UINT kSystemAbout = 16;

constexpr int kJobList = 1000;
constexpr int kPrinterName = 1002;
constexpr int kRefreshButton = 1005;
constexpr int kPrinterPicture = 1012;
constexpr int kEventList = 1006;
constexpr int kEventHint = 1007;
constexpr int kNotifySettingsButton = 1009;
constexpr int kNotifySettingsLabel = 1010;
constexpr int kRefreshLabel = 1019;
constexpr int kStatusLine = 1020;
constexpr int kPanel = 1021;
constexpr int kTrapFailure = 1026;

constexpr UINT_PTR kAnimationTimer = 2;
constexpr UINT kAnimationPeriod = 500;
constexpr UINT kAnimationIcons[] = {174, 175, 176, 162, 163, 180};
constexpr int kAlertTurns = 6;

constexpr UINT kCmdMonitorSettings = 32772;
constexpr UINT kCmdEventConfiguration = 32773;
constexpr UINT kCmdPrinterSettings = 32774;
constexpr UINT kCmdAbout = 32778;
constexpr UINT kCmdDeletePrinter = 32779;
constexpr UINT kCmdMinimize = 32781;
constexpr UINT kCmdExit = 32782;
constexpr UINT kCmdHelp = 57670;

std::string Format(unsigned id, const std::string& value) {
  char text[1024] = {};
  std::snprintf(text, sizeof text, monitor::LoadText(id).c_str(), value.c_str());
  return text;
}

// What the engine holds (and deletes at its end): it passes on to the dialog
// while the dialog lives, and tells the dialog when the engine is gone, so that
// either may end first.
class EngineUi : public PM_CEngineUIInterface {
 public:
  explicit EngineUi(std::shared_ptr<PM_CMainStatusDlg*> link) : link_(std::move(link)) {}
  ~EngineUi() override {
    if (PM_CMainStatusDlg* dialog = *link_) dialog->EngineGone();
  }
  void UpdateDisplay(unsigned code) override {
    if (PM_CMainStatusDlg* dialog = *link_) dialog->UpdateDisplay(code);
  }
  HWND MainDialog() override { return *link_ ? (*link_)->MainDialog() : 0; }
  void SetStatusText(const std::string& text) override {
    if (PM_CMainStatusDlg* dialog = *link_) dialog->SetStatusText(text);
  }
  void BringBack() override {
    if (PM_CMainStatusDlg* dialog = *link_) dialog->BringBack();
  }
  void ShowEventMessage(const std::string& text) override {
    if (*link_) monitor::ShowEventMessage(text, this);
  }

 private:
  std::shared_ptr<PM_CMainStatusDlg*> link_;
};

void DrawJob(HDC dc, const RECT& row, void* data) { monitor::DrawJobRow(dc, row, *static_cast<MonitorJob*>(data)); }
void DrawEvent(HDC dc, const RECT& row, void* data) { monitor::DrawEventRow(dc, row, static_cast<PM_CEvent*>(data)); }

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(PM_CMainStatusDlg, monitor::CDialogBase)
  ON_WM_PAINT()
  ON_WM_TIMER()
  ON_MESSAGE(WM_SIZE, OnSizeMessage)
  ON_CONTROL(monitor::kDeleteKeyNotification, kJobList, OnJobListDelete)
  ON_CONTROL(LBN_DBLCLK, kEventList, OnEventDoubleClick)
  ON_WM_SYSCOMMAND()
  ON_MESSAGE(WM_COPYDATA, OnCopyData)
  ON_BN_CLICKED(kRefreshButton, OnRefreshButton)
  ON_BN_CLICKED(kPanel, OnRefreshButton)
  ON_COMMAND(kCmdAbout, OnAbout)
  ON_COMMAND(kCmdMonitorSettings, OnMonitorSettings)
  ON_COMMAND(kCmdEventConfiguration, OnEventConfiguration)
  ON_BN_CLICKED(kNotifySettingsButton, OnEventConfiguration)
  ON_COMMAND(kCmdPrinterSettings, OnPrinterProperties)
  ON_COMMAND(kCmdMinimize, OnMinimize)
  ON_COMMAND(kCmdExit, OnExit)
  ON_COMMAND(kCmdDeletePrinter, OnDeletePrinter)
  ON_COMMAND(kCmdHelp, OnHelp)
END_MESSAGE_MAP()
// clang-format on

PM_CMainStatusDlg::PM_CMainStatusDlg(PM_CEngine* engine)
    : CDialogBase(kMainTemplate, nullptr),
      engine_(engine),
      link_(std::make_shared<PM_CMainStatusDlg*>(this)),
      jobList_(&DrawJob, 3),
      eventList_(&DrawEvent, 2) {}

PM_CMainStatusDlg::~PM_CMainStatusDlg() {
  // The engine may outlive the window: from here on it reaches no dialog, and
  // later starts no longer find this window's title.
  *link_ = nullptr;
  ClearEventRows();
  ClearJobRows();
  if (m_hWnd) {
    platform::WithdrawWindowTitle(m_hWnd);
    DestroyWindow();
  }
}

void PM_CMainStatusDlg::EngineGone() {
  // Rows hold events and jobs of the engine's lists: they go with it.
  ClearEventRows();
  ClearJobRows();
  engine_ = nullptr;
}

BOOL PM_CMainStatusDlg::Open() { return Create(kMainTemplate, nullptr); }

BOOL PM_CMainStatusDlg::OnInitDialog() {
  CenterWindow();
  menu_ = ::LoadMenuA(0, MAKEINTRESOURCEA(kMenu));
  ::SetMenu(m_hWnd, menu_);
  CDialogBase::OnInitDialog();
  panelFont_.CreateDialogFont(TRUE);

  // Titled first: the engine publishes the title for later starts to find.
  SetWindowText(MainWindowTitle(engine_->PrinterName()));
  // The engine may call back from here on; command lines that came before wait.
  if (!engine_->Create(new EngineUi(link_))) {
    ::MessageBoxA(m_hWnd, Format(59204, engine_->PrinterAddress()).c_str(), monitor::LoadText(104).c_str(),
                  MB_ICONEXCLAMATION);
  }
  if (CWnd* name = GetDlgItem(kPrinterName)) {
    char text[512] = {};
    std::snprintf(text, sizeof text, name->GetWindowText().c_str(), engine_->PrinterName().c_str());
    name->SetWindowText(text);
  }
  if (CWnd* panel = GetDlgItem(kPanel)) {
    panel->GetWindowRect(&panel_);
    ScreenToClient(&panel_);
    panel->ShowWindow(SW_HIDE);
  }
  const std::string about = monitor::LoadText(101);
  if (!about.empty()) {
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    ::AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(system, MF_STRING, kSystemAbout, about.c_str());
  }
  jobList_.SubclassDlgItem(kJobList, this);
  eventList_.SubclassDlgItem(kEventList, this);
  printerPicture_.AttachSingle(kPrinterPicture, this, "IDB_PRINTER");
  notifySettingsButton_.Attach(kNotifySettingsButton, this, "CFG_EVENT_MONITORING");
  refreshButton_.Attach(kRefreshButton, this, "REFRESH");
  if (CWnd* failure = GetDlgItem(kTrapFailure)) failure->ShowWindow(SW_HIDE);
  if (engine_->IsNotMonitored()) {
    for (int id : {kNotifySettingsButton, kNotifySettingsLabel, kRefreshButton, kRefreshLabel}) {
      if (CWnd* control = GetDlgItem(id)) control->ShowWindow(SW_HIDE);
    }
  }
  if (engine_->IsCreated()) engine_->RefreshAll(1);
  while (!waiting_.empty()) {
    const std::string line = waiting_.front();
    waiting_.pop_front();
    if (engine_->IsCreated()) engine_->OnCommandLine(line);
  }
  if (engine_->IsCreated() && !engine_->IsNotMonitored()) {
    if (!engine_->OpenTrapReception()) {
      eventList_.ShowWindow(SW_HIDE);
      if (CWnd* hint = GetDlgItem(kEventHint)) hint->ShowWindow(SW_HIDE);
      if (CWnd* failure = GetDlgItem(kTrapFailure)) {
        failure->SetWindowText(monitor::LoadText(59338));
        failure->ShowWindow(SW_SHOW);
      }
    }
    engine_->RegisterTrapDestination();
    engine_->CheckDeviceStatus();
  }
  return TRUE;
}

void PM_CMainStatusDlg::ClearEventRows() {
  if (eventList_.m_hWnd) eventList_.SendMessage(LB_RESETCONTENT);
  for (PM_CEvent* event : eventRows_) EventRelease(event);
  eventRows_.clear();
}

void PM_CMainStatusDlg::ClearJobRows() {
  if (jobList_.m_hWnd) jobList_.SendMessage(LB_RESETCONTENT);
  jobRows_.clear();
}

void PM_CMainStatusDlg::UpdateDisplay(unsigned code) { Refresh(code); }

void PM_CMainStatusDlg::Refresh(unsigned flags) {
  if (!m_hWnd || !engine_) return;
  PM_CDataManager& data = engine_->Data();
  if (flags & PM_REFRESH_EVENTS) {
    ClearEventRows();
    for (PM_CEvent* event : data.Events()) {
      EventAddRef(event);
      eventRows_.push_back(event);
      eventList_.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(event));
    }
    eventList_.SetCurSel(0);
    eventList_.Invalidate();
  }
  if (flags & PM_REFRESH_JOBS) {
    ClearJobRows();
    for (size_t i = 0; i < data.GetJobCount(); ++i) {
      MonitorJobRef job = data.GetJobRef(i);
      jobRows_.push_back(job);
      jobList_.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(job.get()));
    }
    jobList_.Invalidate();
  }
  if (flags & PM_REFRESH_CONSOLE) {
    console1_ = data.GetConsoleLine(0);
    console2_ = data.GetConsoleLine(1);
    InvalidateRect(&panel_, FALSE);
    std::string status;
    if (!console1_.empty() || !console2_.empty()) {
      status = monitor::LoadText(59217);
    } else if (!engine_->IsNotMonitored()) {
      status = monitor::LoadText(59218);
    }
    if (CWnd* line = GetDlgItem(kStatusLine)) line->SetWindowText(status);
  }
  // The one road by which a trap's event reaches the person: each pending
  // event is notified as its agent's settings say.
  if (flags & PM_REFRESH_NOTIFY) {
    while (PM_CEvent* event = data.TakeNotification()) {
      event->Command(kEventNotify, nullptr);
      EventRelease(event);
    }
  }
  if ((flags & PM_REFRESH_CLOSE) && !painted_ && ::IsIconic(m_hWnd) && data.GetJobCount() == 0 &&
      engine_->CloseAfterLastJob() && !monitor::IsEventMessageOpen()) {
    EndMain(0);
    return;
  }
  if (engine_->PendingShow() != PM_SHOW_NONE) {
    ShowWindow(engine_->PendingShow());
    if (engine_->PendingShow() == 1 || engine_->PendingShow() == 3) ::SetForegroundWindow(m_hWnd);
    engine_->ResetPendingShow();
  }
}

void PM_CMainStatusDlg::SetStatusText(const std::string& text) {
  if (CWnd* line = GetDlgItem(kStatusLine)) line->SetWindowText(text);
}

void PM_CMainStatusDlg::BringBack() {
  ShowWindow(SW_SHOWNORMAL);
  ::SetForegroundWindow(m_hWnd);
}

void PM_CMainStatusDlg::ShowEventMessage(const std::string& text) {
  monitor::ShowEventMessage(text, monitor::EngineUi());
}

void PM_CMainStatusDlg::OnTimer(UINT_PTR id) {
  if (id != kAnimationTimer) {
    Default();
    return;
  }
  RedrawWindow(nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
}

LRESULT PM_CMainStatusDlg::OnSizeMessage(WPARAM kind, LPARAM) {
  PM_CTrapDispatcher* dispatcher = engine_ ? engine_->Dispatcher() : nullptr;
  if (kind == SIZE_MINIMIZED) {
    if (!animationTimer_) animationTimer_ = SetTimer(kAnimationTimer, kAnimationPeriod);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    // While minimised, the window shows the printer's alerts itself.
    if (dispatcher) dispatcher->EnableHandler(kHandlerIconizedApp);
    return 0;
  }
  if (animationTimer_) KillTimer(kAnimationTimer);
  animationTimer_ = 0;
  ::SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EndAlert();
  if (dispatcher) dispatcher->DisableHandler(kHandlerIconizedApp);
  return 0;
}

void PM_CMainStatusDlg::EndAlert() {
  alertTitle_.clear();
  alertTurns_ = 0;
  CurrentIconizedAlert() = IconizedAlert{};
  if (engine_) SetWindowText(MainWindowTitle(engine_->PrinterName()));
}

UINT PM_CMainStatusDlg::NextMinimizedIcon() {
  // A new alert from the printer starts its blinking.
  IconizedAlert& alert = CurrentIconizedAlert();
  if (!alert.text.empty()) {
    alertTitle_ = alert.text;
    alertIcon_ = alert.iconId;
    alertTurns_ = 0;
    alertTurn_ = true;
    alert = IconizedAlert{};
  }
  if (!alertTitle_.empty()) {
    const bool turn = alertTurn_;
    alertTurn_ = !alertTurn_;
    if (turn) {
      if (++alertTurns_ < kAlertTurns) {
        SetWindowText(alertTitle_);
        return alertIcon_;
      }
      EndAlert();
    }
  }
  const UINT icon = kAnimationIcons[animationFrame_];
  animationFrame_ = (animationFrame_ + 1) % std::size(kAnimationIcons);
  return icon;
}

void PM_CMainStatusDlg::OnJobListDelete() {
  if (!engine_) return;
  const int row = jobList_.GetCurSel();
  if (row < 0 || static_cast<size_t>(row) >= jobRows_.size()) return;
  engine_->Data().RemoveJob(jobRows_[static_cast<size_t>(row)].get());
  Refresh(PM_UPDATE_ALL);
}

void PM_CMainStatusDlg::OnEventDoubleClick() {
  const int row = eventList_.GetCurSel();
  if (row < 0 || static_cast<size_t>(row) >= eventRows_.size()) return;
  PM_CEvent* event = eventRows_[static_cast<size_t>(row)];
  if (!PM_CProblemInfoDlg::HasProblemInfo(event)) return;
  // The row's reference keeps the event while the dialog shows it.
  PM_CProblemInfoDlg info(event, this);
  info.DoModal();
}

void PM_CMainStatusDlg::OnPaint() {
  CPaintDC paint(this);
  HDC dc = paint.m_hDC;
  if (::IsIconic(m_hWnd)) {
    RECT client{};
    GetClientRect(&client);
    ::Rectangle(dc, client.left, client.top, client.right, client.bottom);
    shownIcon_ = NextMinimizedIcon();
    const int size = ::GetSystemMetrics(SM_CXICON);
    ::DrawIcon(dc, (client.right - size) / 2, (client.bottom - size) / 2, ::LoadIconA(0, MAKEINTRESOURCEA(shownIcon_)));
    return;
  }
  painted_ = true;
  HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  ::FillRect(dc, &panel_, black);
  HPEN grey = ::CreatePen(PS_SOLID, 0, 0x808080);
  HPEN white = ::CreatePen(PS_SOLID, 0, 0xFFFFFF);
  HGDIOBJ oldPen = ::SelectObject(dc, grey);
  const POINT shade[] = {{panel_.left, panel_.bottom - 1}, {panel_.left, panel_.top}, {panel_.right - 1, panel_.top}};
  ::Polyline(dc, shade, 3);
  ::SelectObject(dc, white);
  const POINT light[] = {
      {panel_.right - 1, panel_.top}, {panel_.right - 1, panel_.bottom - 1}, {panel_.left, panel_.bottom - 1}};
  ::Polyline(dc, light, 3);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(grey);
  ::DeleteObject(white);
  HGDIOBJ oldFont = ::SelectObject(dc, panelFont_.m_hObject);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, 0x00FF00);
  const int half = (panel_.bottom - panel_.top) / 2;
  ::TextOutA(dc, panel_.left + 5, panel_.top + 1, console1_.c_str(), static_cast<int>(console1_.size()));
  ::TextOutA(dc, panel_.left + 5, panel_.top + 1 + half, console2_.c_str(), static_cast<int>(console2_.size()));
  if (oldFont) ::SelectObject(dc, oldFont);
}

LRESULT PM_CMainStatusDlg::OnCopyData(WPARAM, LPARAM lParam) {
  const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  // At most 1023 bytes are taken, always ended, whatever the sender claims.
  char line[1024] = {};
  if (block && block->lpData) std::memcpy(line, block->lpData, block->cbData < 1023 ? block->cbData : 1023);
  if (!engine_) return MONITOR_COPYDATA_ACK;
  if (engine_->IsCreated()) {
    engine_->OnCommandLine(line);
  } else {
    waiting_.push_back(line);
  }
  return MONITOR_COPYDATA_ACK;
}

void PM_CMainStatusDlg::OnSysCommand(UINT id, LPARAM) {
  if (id >= 16 && id <= 31) {
    OnAbout();
    return;
  }
  Default();
}

void PM_CMainStatusDlg::OnRefreshButton() {
  if (!engine_) return;
  if (!engine_->IsNotMonitored()) SetStatusText(monitor::LoadText(59216));
  engine_->RefreshAll(0);
}

void PM_CMainStatusDlg::OnAbout() {
  if (!engine_) return;
  PM_CAboutDlg about(engine_, this);
  about.DoModal();
}

void PM_CMainStatusDlg::OnMonitorSettings() {
  if (!engine_) return;
  PM_CConfigurePMSettings settings(engine_, this);
  settings.DoModal();
}

void PM_CMainStatusDlg::OnEventConfiguration() {
  if (!engine_) return;
  PM_CEventConfigurationDlg configuration(engine_, this);
  configuration.DoModal();
  Refresh(PM_REFRESH_EVENTS);
}

void PM_CMainStatusDlg::OnPrinterProperties() {
  if (!engine_) return;
  HANDLE printer = 0;
  std::string name = engine_->PrinterName();
  if (!::OpenPrinterA(name.data(), &printer, nullptr)) return;
  ::PrinterPropertiesA(m_hWnd, printer);
  ::ClosePrinter(printer);
}

void PM_CMainStatusDlg::OnMinimize() { ShowWindow(SW_MINIMIZE); }

void PM_CMainStatusDlg::OnExit() {
  if (!engine_) return;
  if (!engine_->IsNotMonitored() &&
      ::MessageBoxA(m_hWnd, monitor::LoadText(59195).c_str(), monitor::LoadText(104).c_str(),
                    MB_ICONINFORMATION | MB_OKCANCEL) != IDOK) {
    return;
  }
  EndMain(1);
}

void PM_CMainStatusDlg::OnDeletePrinter() {
  if (!engine_) return;
  const std::string printer = engine_->PrinterName();
  if (::MessageBoxA(m_hWnd, Format(59197, printer).c_str(), monitor::LoadText(104).c_str(), MB_YESNO) != IDYES) return;
  ::MessageBoxA(m_hWnd, Format(59198, printer).c_str(), monitor::LoadText(104).c_str(), MB_ICONEXCLAMATION);
  // The monitor's registration and its archive go; the printer's queue stays.
  engine_->UnregisterInstance();
  EndMain(0);
}

void PM_CMainStatusDlg::OnHelp() {
  if (engine_) ShowMonitorHelp(engine_->PrinterName(), kMainTemplate);
}

void PM_CMainStatusDlg::OnCancel() { EndMain(IDCANCEL); }

void PM_CMainStatusDlg::EndMain(INT_PTR result) {
  result_ = result;
  ended_ = true;
}

INT_PTR PM_CMainStatusDlg::Run() {
  ShowWindow(SW_SHOW);
  std::signal(SIGTERM, OnStopSignal);
  std::signal(SIGINT, OnStopSignal);
  // A scripted user (ZEL_UI_SCRIPT) sees the window as a person would.
  platform::OfferModelessDialog(m_hWnd, "#" + std::to_string(kMainTemplate));
  while (!ended_ && !stopRequested) {
    MSG msg{};
    while (!ended_ && ::PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) ended_ = true;
      if (!::IsDialogMessageA(m_hWnd, &msg)) ::DispatchMessageA(&msg);
    }
    if (!ended_) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  if (stopRequested) result_ = 1;
  return result_;
}

namespace {

class MainStatusWindow : public PM_CMainWindowHost {
 public:
  INT_PTR RunModal(PM_CEngine* engine) override {
    auto dialog = std::make_unique<PM_CMainStatusDlg>(engine);
    if (!dialog->Open()) return -1;
    const INT_PTR result = dialog->Run();
    engine->Close();
    return result;
  }
};

}  // namespace

std::unique_ptr<PM_CMainWindowHost> CreateMainStatusWindow() { return std::make_unique<MainStatusWindow>(); }
