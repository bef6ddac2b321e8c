#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/controls/animated_icon.h"
#include "monitor/controls/spin_button.h"
#include "monitor/controls/spin_time_manager.h"
#include "platform/gdi/screen.h"
#include "platform/ui/sound.h"
#include "platform/ui/window_picture.h"
#include "tests/support/machine_fixture.h"

using monitor::DP_CAnimatedIcon;
using monitor::DP_CSpinButton;
using monitor::DP_CSpinButtonTimeManager;

namespace {

class SpinHost : public CDialog {
 public:
  LRESULT OnStep(WPARAM wParam, LPARAM) {
    steps.push_back(static_cast<int>(wParam));
    return 0;
  }
  std::vector<int> steps;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SpinHost, CDialog)
ON_MESSAGE(monitor::kSpinStep, OnStep)
END_MESSAGE_MAP()

// The unit texts as the combo box holds them, in code page 932.
constexpr char kSeconds[] = "\x95\x62";  // 秒
constexpr char kMinutes[] = "\x95\xAA";  // 分
constexpr char kHours[] = "\x8E\x9E";    // 時
constexpr char kDays[] = "\x93\xFA";     // 日

class MonitorControlsTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    platform::gdi::SetDisplayDpi(96, 96);
    platform::SetSoundHandler([this](const platform::SoundRequest& request) {
      if (request.beep) ++beeps;
    });
    ASSERT_TRUE(host.Create(300, nullptr));
    host.ShowWindow(SW_SHOW);
    ASSERT_TRUE(plain.Attach(11, &host));
    ASSERT_TRUE(notifying.Attach(21, &host));
    ASSERT_TRUE(time.Attach(31, &host));
    plain.SetBuddy(10, "5", FALSE);
    notifying.SetBuddy(20, "7", TRUE);
  }
  void TearDown() override {
    host.DestroyWindow();
    platform::SetSoundHandler(nullptr);
    FreshMachine::TearDown();
  }
  std::string Text(int id) const {
    char text[64] = {};
    ::GetDlgItemTextA(host.m_hWnd, id, text, sizeof text);
    return text;
  }
  void SetText(int id, const char* text) { ::SetDlgItemTextA(host.m_hWnd, id, text); }
  std::string Unit() const {
    HWND combo = ::GetDlgItem(host.m_hWnd, 32);
    const LRESULT selection = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR) return "";
    char text[64] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(selection), reinterpret_cast<LPARAM>(text));
    return text;
  }
  void SelectUnit(const char* unit) {
    ::SendMessageA(::GetDlgItem(host.m_hWnd, 32), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(unit));
  }
  // A press of the button's upper-left or lower-right corner of a 22-pixel face.
  static LPARAM UpPoint() { return MAKELPARAM(4, 4); }
  static LPARAM DownPoint() { return MAKELPARAM(17, 17); }

  SpinHost host;
  DP_CSpinButton plain;
  DP_CSpinButton notifying;
  DP_CSpinButtonTimeManager time;
  int beeps = 0;
};

TEST_F(MonitorControlsTest, HalvesSplitAlongTheDiagonal) {
  struct Case {
    POINT point;
    int half;
  };
  const Case cases[] = {
      {{0, 0}, 0},   {{20, 0}, 0},  {{0, 20}, 0}, {{5, 5}, 0},  {{21, 21}, 1},
      {{12, 12}, 1}, {{20, 10}, 1}, {{30, 5}, 2}, {{5, 30}, 2}, {{-1, 3}, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(plain.HitTest(c.point), c.half) << c.point.x << "," << c.point.y;
}

TEST_F(MonitorControlsTest, PlainSpinStepsTheEditAndNeverBelowZero) {
  struct Case {
    const char* text;
    LPARAM point;
    const char* expected;
  };
  const Case cases[] = {
      {"5", UpPoint(), "6"},   {"5", DownPoint(), "4"},   {"0", DownPoint(), "0"},
      {"abc", UpPoint(), "1"}, {"abc", DownPoint(), "0"}, {"999999", UpPoint(), "1000000"},
  };
  for (const Case& c : cases) {
    SetText(10, c.text);
    ::SendMessageA(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, c.point);
    ::SendMessageA(plain.m_hWnd, WM_LBUTTONUP, 0, c.point);
    EXPECT_EQ(Text(10), c.expected) << c.text;
  }
  EXPECT_EQ(plain.pressedHalf(), DP_CSpinButton::kNone);
}

TEST_F(MonitorControlsTest, NotifyingSpinTellsTheDialogAndLeavesTheEdit) {
  ::SendMessageA(notifying.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, UpPoint());
  ::SendMessageA(notifying.m_hWnd, WM_LBUTTONUP, 0, UpPoint());
  ::SendMessageA(notifying.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, DownPoint());
  ::SendMessageA(notifying.m_hWnd, WM_LBUTTONUP, 0, DownPoint());
  EXPECT_EQ(host.steps, (std::vector<int>{1, 0}));
  EXPECT_EQ(Text(20), "7");
}

TEST_F(MonitorControlsTest, HoldingRepeatsUntilReleaseOrLeavingTheHalf) {
  HWND button = plain.m_hWnd;
  SetText(10, "5");
  ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, UpPoint());
  EXPECT_EQ(Text(10), "6");  // at once
  EXPECT_EQ(::GetCapture(), button);
  EXPECT_EQ(::GetFocus(), ::GetDlgItem(host.m_hWnd, 10));
  EXPECT_EQ(platform::ui::TimerPeriod(button, 1), 1000u);
  ::SendMessageA(button, WM_TIMER, 1, 0);
  EXPECT_EQ(Text(10), "7");
  EXPECT_EQ(platform::ui::TimerPeriod(button, 1), 100u);
  ::SendMessageA(button, WM_TIMER, 1, 0);
  EXPECT_EQ(Text(10), "8");
  // Still inside the half: the repeat goes on.
  ::SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(6, 3));
  EXPECT_EQ(platform::ui::TimerPeriod(button, 1), 100u);
  // Into the other half: it ends, and does not come back with the pointer.
  ::SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, DownPoint());
  EXPECT_EQ(platform::ui::TimerPeriod(button, 1), 0u);
  EXPECT_EQ(::GetCapture(), HWND(0));
  ::SendMessageA(button, WM_MOUSEMOVE, MK_LBUTTON, UpPoint());
  ::SendMessageA(button, WM_TIMER, 1, 0);
  EXPECT_EQ(Text(10), "8");

  ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, DownPoint());
  EXPECT_EQ(Text(10), "7");
  ::SendMessageA(button, WM_LBUTTONUP, 0, DownPoint());
  EXPECT_EQ(platform::ui::TimerPeriod(button, 1), 0u);
  EXPECT_EQ(::GetCapture(), HWND(0));
}

TEST_F(MonitorControlsTest, TimeManagerShowsTheSmallestPart) {
  struct Case {
    UINT units;
    long seconds;
    const char* number;
    const char* unit;
  };
  const UINT all = monitor::kUnitSeconds | monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays;
  const UINT noSeconds = monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays;
  const Case cases[] = {
      {all, 7200, "2", kHours},        {all, 0, "1", kSeconds},          {noSeconds, 0, "1", kMinutes},
      {noSeconds, 120, "2", kMinutes}, {all, 90, "30", kSeconds},        {all, 45, "45", kSeconds},
      {all, 3 * 86400, "3", kDays},    {all, 86400 + 3600, "1", kHours}, {all, 59 * 60, "59", kMinutes},
  };
  for (const Case& c : cases) {
    time.Init(30, 32, c.units, c.seconds);
    EXPECT_EQ(Text(30), c.number) << c.seconds;
    EXPECT_EQ(Unit(), c.unit) << c.seconds;
  }
  // The combo box lists the units asked for, in order.
  time.Init(30, 32, monitor::kUnitMinutes | monitor::kUnitDays, 60);
  EXPECT_EQ(::SendMessageA(::GetDlgItem(host.m_hWnd, 32), CB_GETCOUNT, 0, 0), 2);
}

TEST_F(MonitorControlsTest, TimeManagerStepsWithinTheUnitsLimits) {
  struct Case {
    const char* unit;
    const char* text;
    LPARAM point;
    const char* expected;
    int beeps;
  };
  const Case cases[] = {
      // clang-format off
      {kHours, "1", DownPoint(), "1", 1},   {kHours, "23", UpPoint(), "23", 1},
      {kHours, "5", UpPoint(), "6", 0},     {kMinutes, "59", UpPoint(), "59", 1},
      {kDays, "58", UpPoint(), "59", 0},    {kSeconds, "30", DownPoint(), "29", 0},
      // clang-format on
      // 0 stepped down is below the minimum, not above the maximum.
      {kSeconds, "0", DownPoint(), "1", 1},
      {kMinutes, "abc", UpPoint(), "1", 0},
      {kHours, "80", DownPoint(), "23", 1},
  };
  const UINT all = monitor::kUnitSeconds | monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays;
  for (const Case& c : cases) {
    time.Init(30, 32, all, 60);
    SelectUnit(c.unit);
    SetText(30, c.text);
    beeps = 0;
    ::SendMessageA(time.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, c.point);
    ::SendMessageA(time.m_hWnd, WM_LBUTTONUP, 0, c.point);
    EXPECT_EQ(Text(30), c.expected) << c.unit << " " << c.text;
    EXPECT_EQ(beeps, c.beeps) << c.unit << " " << c.text;
  }
}

TEST_F(MonitorControlsTest, GetSecondsClampsAndWritesBack) {
  const UINT all = monitor::kUnitSeconds | monitor::kUnitMinutes | monitor::kUnitHours | monitor::kUnitDays;
  time.Init(30, 32, all, 5 * 60);
  EXPECT_EQ(time.GetSeconds(), 300);
  EXPECT_EQ(beeps, 0);
  SetText(30, "60");
  EXPECT_EQ(time.GetSeconds(), 59 * 60);
  EXPECT_EQ(Text(30), "59");
  EXPECT_EQ(beeps, 1);
  SelectUnit(kDays);
  SetText(30, "2");
  EXPECT_EQ(time.GetSeconds(), 2 * 86400);
  // What the manager produced comes back unchanged.
  for (long seconds : {1L, 59L, 60L, 3540L, 3600L, 82800L, 86400L, 59L * 86400}) {
    time.SetSeconds(seconds);
    EXPECT_EQ(time.GetSeconds(), seconds);
  }
  // No unit selected: no span.
  ::SendMessageA(::GetDlgItem(host.m_hWnd, 32), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  EXPECT_EQ(time.GetSeconds(), 0);
}

TEST_F(MonitorControlsTest, AnimatedIconCyclesItsFramesOnItsTimer) {
  DP_CAnimatedIcon icon;
  ASSERT_TRUE(icon.SubclassDlgItem(40, &host));
  EXPECT_THROW(icon.NextFrame(), std::invalid_argument);
  const UINT frames[] = {174, 175, 176, 162, 163, 180};
  for (UINT frame : frames) icon.AddFrame(frame);
  icon.Start(200);
  EXPECT_EQ(platform::ui::TimerPeriod(icon.m_hWnd, 1), 200u);
  std::vector<UINT> shown;
  HICON last = 0;
  for (int i = 0; i < 8; ++i) {
    ::SendMessageA(icon.m_hWnd, WM_TIMER, 1, 0);
    EXPECT_EQ(platform::ui::TimerPeriod(icon.m_hWnd, 1), 200u);
    HICON now = static_cast<HICON>(::SendMessageA(icon.m_hWnd, STM_GETICON, 0, 0));
    EXPECT_NE(now, HICON(0));
    EXPECT_NE(now, last);
    last = now;
  }
  EXPECT_EQ(icon.currentFrame(), 2);  // 8 frames shown: one round and two more
  // The background is left alone so that the frames do not flicker.
  EXPECT_EQ(::SendMessageA(icon.m_hWnd, WM_ERASEBKGND, 0, 0), 0);
  icon.UnsubclassWindow();
}

TEST_F(MonitorControlsTest, PictureShowsTheFaceTheArrowsAndThePressedHalf) {
  const std::string file = std::string(ZEL_BINARY_DIR) + "/monitor_spin.png";
  ::SendMessageA(plain.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, UpPoint());
  ASSERT_TRUE(platform::ui::SaveWindowPicture(host.m_hWnd, file));
  const auto picture = platform::ui::ComposeWindowPicture(plain.m_hWnd);
  ASSERT_TRUE(picture);
  // e = 19: the up arrow's apex column is L + a = 1 + 6 (moved right by the
  // press), the down arrow's L + b = 1 + 14.
  auto isBlack = [&](int x, int y) { return (picture->At(x, y) & 0xFFFFFF) == 0; };
  auto isGrey = [&](int x, int y) { return (picture->At(x, y) & 0xFFFFFF) == 0xC0C0C0; };
  EXPECT_TRUE(isBlack(8, 6));    // up arrow, moved 1 pixel right and down
  EXPECT_TRUE(isBlack(15, 16));  // down arrow
  EXPECT_TRUE(isBlack(0, 0));    // outline
  EXPECT_TRUE(isGrey(4, 10));    // face
  ::SendMessageA(plain.m_hWnd, WM_LBUTTONUP, 0, UpPoint());
  ::EnableWindow(plain.m_hWnd, FALSE);
  const auto disabled = platform::ui::ComposeWindowPicture(plain.m_hWnd);
  EXPECT_EQ(disabled->At(15, 16) & 0xFFFFFF, 0x808080u);
}

}  // namespace
