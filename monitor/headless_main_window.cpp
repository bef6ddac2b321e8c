// The program's main window while the status dialog is not built in: titled as
// the dialog, it gives the engine what it asks of a window, takes the command
// lines of later starts and ends on WM_CLOSE or on a stop signal, as a user
// closing the window would.
#include <csignal>
#include <cstring>
#include <deque>
#include <string>

#include "monitor/engine.h"
#include "monitor/main_window.h"
#include "platform/ui/window.h"
#include "platform/ui/window_finder.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

class HeadlessUi : public PM_CEngineUIInterface {
 public:
  explicit HeadlessUi(HWND window) : window_(window) {}
  void UpdateDisplay(unsigned) override {}
  HWND MainDialog() override { return window_; }
  void SetStatusText(const std::string&) override {}
  void BringBack() override {}
  void ShowEventMessage(const std::string&) override {}

 private:
  HWND window_;
};

class HeadlessMainWindow : public PM_CMainWindowHost {
 public:
  INT_PTR RunModal(PM_CEngine* engine) override {
    engine_ = engine;
    window_ =
        CreateWindowExA(0, "STATIC", MainWindowTitle(engine->PrinterName()).c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
    if (!window_) return -1;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HeadlessMainWindow::Procedure));
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    if (!engine->Create(new HeadlessUi(window_))) {
      DestroyWindow(window_);
      return -1;
    }
    engine->RefreshAll(1);
    for (const std::string& line : queued_) engine->OnCommandLine(line);
    queued_.clear();
    if (!engine->IsNotMonitored()) {
      engine->OpenTrapReception();
      engine->RegisterTrapDestination();
      engine->CheckDeviceStatus();
    }
    while (!stopRequested && !closed_) {
      MSG msg{};
      while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) closed_ = true;
        DispatchMessageA(&msg);
      }
      if (!closed_) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    engine->Close();
    DestroyWindow(window_);
    return IDOK_RESULT;
  }

 private:
  static constexpr INT_PTR IDOK_RESULT = 1;

  static LRESULT Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HeadlessMainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message == WM_COPYDATA) {
      const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      // At most 1023 characters arrive, always ended.
      char line[1024] = {};
      if (block && block->lpData) std::memcpy(line, block->lpData, block->cbData < 1023 ? block->cbData : 1023);
      if (self->engine_ && self->engine_->IsCreated()) {
        self->engine_->OnCommandLine(line);
      } else {
        self->queued_.push_back(line);
      }
      return MONITOR_COPYDATA_ACK;
    }
    if (self && message == WM_CLOSE) {
      self->closed_ = true;
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  PM_CEngine* engine_ = nullptr;
  HWND window_ = 0;
  bool closed_ = false;
  std::deque<std::string> queued_;
};

}  // namespace

std::unique_ptr<PM_CMainWindowHost> CreateHeadlessMainWindow() { return std::make_unique<HeadlessMainWindow>(); }
