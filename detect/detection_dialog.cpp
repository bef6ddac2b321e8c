#include "detect/detection_dialog.h"

#include <cstdio>
#include <ctime>

#include "detect/detection_session.h"
#include "detect/messages.h"
#include "detect/progress_bar.h"
#include "monitor/controls/animated_icon.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "query/trap_reception.h"

namespace {

constexpr int kDetectionDialog = 110;
constexpr int kFailedDialog = 111;
constexpr int kBarPlaceholder = 1021;
constexpr int kCountdownText = 1022;
constexpr int kIconControl = 1023;
constexpr UINT kIconFrames[] = {502, 503, 504, 505};
constexpr UINT_PTR kCountdownTimer = 1;
constexpr UINT kFirstTickMs = 1000;
constexpr UINT kTickMs = 200;
constexpr long long kWaitSeconds = 60;

struct AutoDetectDlg {
  AutoDetectDlg(const std::string& printerName, int snmpAvailable) : session(printerName, snmpAvailable) {}
  DetectionSession session;
  DP_CProgressBar bar;
  // Advanced by the countdown's own ticks, not by a timer of its own.
  monitor::DP_CAnimatedIcon icon;
  long long startTime = 0;
  DetectionOutcome* outcome = nullptr;
};

long long Now() { return static_cast<long long>(std::time(nullptr)); }

// The seconds field of the time left, as the countdown's format shows it.
std::string CountdownText(int secondsLeft) {
  std::string text = detect::LoadText(detect::kTextCountdown);
  char seconds[8];
  std::snprintf(seconds, sizeof seconds, "%02d", secondsLeft);
  const size_t at = text.find("%S");
  if (at != std::string::npos) text.replace(at, 2, seconds);
  return text;
}

void Finish(HWND dialog, AutoDetectDlg& state, int result) {
  state.session.Close();
  EndDialog(dialog, result);
}

void OnCountdownTick(HWND dialog, AutoDetectDlg& state) {
  // The language is being asked for the printer that answered: the answer
  // decides, not the clock.
  if (state.session.busy()) {
    SetTimer(dialog, kCountdownTimer, kTickMs, nullptr);
    return;
  }
  if (state.session.found) {
    DetectionOutcome& out = *state.outcome;
    out.protocol = state.session.protocol;
    out.ipAddress = out.protocol == 0 ? state.session.ipAddress : std::string();
    out.ipxAddress = out.protocol == 1 ? state.session.ipxAddress : std::string();
    out.logicalPrinter = state.session.logicalPrinter;
    out.emulation = state.session.emulation;
    Finish(dialog, state, kDetectionFound);
    return;
  }
  const CountdownStep step = CountdownAt(Now() - state.startTime);
  if (step.timedOut) {
    Finish(dialog, state, kDetectionTimedOut);
    return;
  }
  state.bar.SetPos(step.percent);
  SetDlgItemTextA(dialog, kCountdownText, CountdownText(step.secondsLeft % 60).c_str());
  if (state.icon.GetSafeHwnd()) state.icon.NextFrame();
  SetTimer(dialog, kCountdownTimer, kTickMs, nullptr);
}

INT_PTR CALLBACK DetectionProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    auto& state = *reinterpret_cast<AutoDetectDlg*>(lParam);
    state.bar.Create(dialog, kBarPlaceholder);
    ShowWindow(GetDlgItem(dialog, kBarPlaceholder), SW_HIDE);
    state.bar.SetPos(0);
    if (state.icon.SubclassDlgItem(kIconControl, CWnd::FromHandle(dialog))) {
      for (UINT frame : kIconFrames) state.icon.AddFrame(frame);
      state.icon.NextFrame();
    }
    SetDlgItemTextA(dialog, kCountdownText, CountdownText(static_cast<int>(kWaitSeconds)).c_str());
    state.startTime = Now();
    if (!state.session.SendDetectionJob(dialog)) {
      Finish(dialog, state, state.session.jobNotPrinted ? kDetectionJobFailed : kDetectionCannotStart);
      return TRUE;
    }
    SetTimer(dialog, kCountdownTimer, kFirstTickMs, nullptr);
    return TRUE;
  }
  auto* state = reinterpret_cast<AutoDetectDlg*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (!state) return FALSE;
  switch (message) {
    case WM_TIMER: {
      const UINT_PTR id = static_cast<UINT_PTR>(wParam);
      KillTimer(dialog, id);
      if (id == kCountdownTimer)
        OnCountdownTick(dialog, *state);
      else
        SnmpOnTimer(id, &state->session.emulationSession);
      return TRUE;
    }
    case SNMP_MSG_TRAP:
      SnmpOnTrap(&state->session.trapSession);
      if (state->session.trapSession.lastTrap.kind == kTrapJobStart) state->session.MatchDetectionTrap();
      return TRUE;
    case SNMP_MSG_REPLY: SnmpOnReply(&state->session.emulationSession); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        KillTimer(dialog, kCountdownTimer);
        Finish(dialog, *state, kDetectionCancelled);
      }
      return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK FailedProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetDlgItemTextA(dialog, 1025,
                    (detect::LoadText(detect::kTextTimeout1) + detect::LoadText(detect::kTextTimeout2)).c_str());
    SetDlgItemTextA(dialog, 1026,
                    (detect::LoadText(detect::kTextTimeout3) + detect::LoadText(detect::kTextTimeout4)).c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

}  // namespace

CountdownStep CountdownAt(long long elapsed) {
  CountdownStep step;
  if (elapsed > kWaitSeconds) {
    step.timedOut = true;
    return step;
  }
  if (elapsed < 0) elapsed = 0;
  step.percent = elapsed % kWaitSeconds < 5 ? 5 : static_cast<int>(elapsed * 100 / kWaitSeconds);
  step.secondsLeft = static_cast<int>(kWaitSeconds - elapsed);
  return step;
}

int RunDetectionDialog(HWND parent, const std::string& printerName, int snmpAvailable, DetectionOutcome* outcome) {
  AutoDetectDlg state(printerName, snmpAvailable);
  state.outcome = outcome;
  const INT_PTR result = DialogBoxParamA(0, MAKEINTRESOURCEA(kDetectionDialog), parent, DetectionProcedure,
                                         reinterpret_cast<LPARAM>(&state));
  state.session.Close();
  return static_cast<int>(result);
}

int RunDetectionFailedDialog(HWND parent) {
  return static_cast<int>(DialogBoxParamA(0, MAKEINTRESOURCEA(kFailedDialog), parent, FailedProcedure, 0));
}
