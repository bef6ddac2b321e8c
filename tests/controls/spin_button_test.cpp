#include "controls/spin_button.h"

#include <clocale>
#include <string>

#include "tests/controls/controls_fixture.h"

using controls::CArrowEdit;
using controls::CMyDialog;
using controls::PictureButton;
using controls::SpinButton;

namespace {

class SpinHost : public CMyDialog {
 public:
  SpinHost() : CMyDialog(207, nullptr) {}
  LRESULT OnStepped(WPARAM wParam, LPARAM) {
    notified.push_back(static_cast<int>(wParam));
    return 0;
  }
  std::vector<int> notified;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SpinHost, CMyDialog)
ON_MESSAGE(controls::kSpinStepped, OnStepped)
END_MESSAGE_MAP()

class SpinButtonTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ASSERT_TRUE(host.Create(207, nullptr));
  }
  void TearDown() override {
    host.DestroyWindow();
    ControlsTest::TearDown();
  }
  std::string Edit(int id) { return TextOf(::GetDlgItem(host.m_hWnd, id)); }
  void SetEdit(int id, const char* text) { ::SetDlgItemTextA(host.m_hWnd, id, text); }

  SpinHost host;
};

TEST_F(SpinButtonTest, IntegerStepsClampFirst) {
  struct Case {
    const char* text;
    int direction;
    int minimum, maximum, step;
    const char* expected;
  };
  // A value out of range is clamped before it is stepped, however large it is;
  // text that is no number counts as 0.
  const Case cases[] = {
      {"40", 0, 1, 32, 1, "31"},
      {"40", 1, 1, 32, 1, "32"},
      {"5", 1, 1, 32, 1, "6"},
      {"5", 0, 1, 32, 1, "4"},
      {"1", 0, 1, 32, 1, "1"},
      {"32", 1, 1, 32, 1, "32"},
      {"abc", 0, 1, 32, 1, "1"},
      {"abc", 1, 1, 32, 1, "2"},
      {"", 1, 1, 32, 1, "2"},
      {"-5", 1, 1, 32, 1, "2"},
      // Above the largest int and above every unsigned number.
      {"3000000000", 0, 1, 999, 1, "998"},
      {"3000000000", 1, 1, 999, 1, "999"},
      {"4294967295", 0, 1, 999, 1, "998"},
      {"99999999999999999999", 0, 1, 999, 1, "998"},
      // Steps near the ends of int do not wrap.
      {"2147483645", 1, 1, 2147483647, 10, "2147483647"},
      {"5", 0, 1, 2147483647, 10, "1"},
  };
  SpinButton spin;
  for (const Case& c : cases) {
    SetEdit(70, c.text);
    spin.StepInteger(&host, 70, c.direction, c.minimum, c.maximum, c.step);
    EXPECT_EQ(Edit(70), c.expected) << c.text << " " << c.direction;
  }
  SetEdit(70, "10");
  spin.StepIntegerAndNotify(&host, 70, 1, 1, 32, 5);
  EXPECT_EQ(Edit(70), "15");
  EXPECT_EQ(host.notified, std::vector<int>{70});
}

TEST_F(SpinButtonTest, RealStepsFormatWithOneOrTwoDecimals) {
  struct Case {
    const char* text;
    int direction;
    BOOL oneDecimal;
    const char* expected;
  };
  // Range 0..10, step 0.1. Text that is no number ("nan" included) counts as 0;
  // a number too large for a double is clamped like any other out of range.
  const Case cases[] = {{"10.0", 0, TRUE, "9.9"},     {"10.0", 0, FALSE, "9.90"},   {"12", 1, TRUE, "10.0"},
                        {"0.05", 0, FALSE, "0.00"},   {"x", 1, FALSE, "0.10"},      {"3.5", 1, TRUE, "3.6"},
                        {"nan", 1, FALSE, "0.10"},    {"NaN", 0, TRUE, "0.0"},      {"1e400", 0, FALSE, "9.90"},
                        {"1e400", 1, FALSE, "10.00"}, {"-1e400", 1, FALSE, "0.10"}, {"inf", 0, TRUE, "9.9"},
                        {"1e-400", 1, FALSE, "0.10"}};
  // Whatever the locale says about decimal commas, the edits use points.
  const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  for (const Case& c : cases) {
    SpinButton spin;
    spin.m_oneDecimal = c.oneDecimal;
    SetEdit(70, c.text);
    spin.StepReal(&host, 70, c.direction, 0.0, 10.0, 0.1);
    EXPECT_EQ(Edit(70), c.expected) << c.text;
  }
  if (german) std::setlocale(LC_NUMERIC, "C");
}

TEST_F(SpinButtonTest, HoldingTheButtonRepeatsUntilRelease) {
  SpinButton up;
  ASSERT_TRUE(up.AttachInteger(71, 1, 70, 1, 99, 1, &host));
  HWND button = up.m_hWnd;
  SetEdit(70, "1");
  ::SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, Point(2, 2));
  EXPECT_EQ(Edit(70), "2");  // one step at the press
  EXPECT_EQ(platform::ui::TimerPeriod(button, controls::kSpinTimer), 200u);
  EXPECT_EQ(::GetCapture(), button);
  ::SendMessageA(button, WM_TIMER, controls::kSpinTimer, 0);
  EXPECT_EQ(Edit(70), "3");
  EXPECT_EQ(platform::ui::TimerPeriod(button, controls::kSpinTimer), 50u);
  ::SendMessageA(button, WM_TIMER, controls::kSpinTimer, 0);
  EXPECT_EQ(Edit(70), "4");
  ::SendMessageA(button, WM_LBUTTONUP, 0, Point(2, 2));
  EXPECT_EQ(platform::ui::TimerPeriod(button, controls::kSpinTimer), 0u);
  EXPECT_EQ(::GetCapture(), 0u);
  // A fast second click steps again.
  ::SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(2, 2));
  ::SendMessageA(button, WM_LBUTTONUP, 0, Point(2, 2));
  EXPECT_EQ(Edit(70), "5");
}

TEST_F(SpinButtonTest, TheRealTimerDrivesTheRepeat) {
  SpinButton down;
  ASSERT_TRUE(down.AttachReal(72, 0, 73, 0.0, 100.0, 1.0, &host));
  SetEdit(73, "50");
  ::SendMessageA(down.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(1, 1));
  // Wait for the first repeat through the thread's queue.
  MSG msg;
  while (Edit(73) == "49.00" && GetMessageA(&msg, 0, 0, 0)) DispatchMessageA(&msg);
  EXPECT_EQ(Edit(73), "48.00");
  ::SendMessageA(down.m_hWnd, WM_LBUTTONUP, 0, Point(1, 1));
  platform::ui::PumpMessages();
  EXPECT_EQ(Edit(73), "48.00");
}

TEST_F(SpinButtonTest, ArrowKeysPressTheSpinButtons) {
  SpinButton up, down;
  ASSERT_TRUE(up.AttachInteger(71, 1, 70, 0, 10, 2, &host));
  ASSERT_TRUE(down.AttachInteger(72, 0, 70, 0, 10, 2, &host));
  CArrowEdit edit;
  ASSERT_TRUE(edit.SubclassDlgItem(70, &host));
  edit.SetSpinIds(71, 72);
  SetEdit(70, "4");
  edit.SendMessage(WM_KEYDOWN, VK_UP, 1);
  EXPECT_EQ(Edit(70), "6");
  EXPECT_EQ(::GetFocus(), edit.m_hWnd);
  EXPECT_EQ(platform::ui::TimerPeriod(up.m_hWnd, controls::kSpinTimer), 0u);
  edit.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
  edit.SendMessage(WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(Edit(70), "2");
  edit.SendMessage(WM_KEYDOWN, 'A', 1);
  EXPECT_EQ(Edit(70), "2");
}

TEST_F(SpinButtonTest, BitmapIsDrawnTransparentlyAndScaled) {
  // The expected picture: the arrow bitmap with its top-right colour replaced by
  // the button face, scaled by nearest pixel.
  HBITMAP arrow = LoadBitmapA(0, "UPARROW_U");
  auto source = platform::gdi::SurfaceOfBitmap(arrow);
  ASSERT_TRUE(source);
  const COLORREF transparent = source->At(source->width - 1, 0);
  for (int dpi : {96, 144}) {
    platform::gdi::SetDisplayDpi(dpi, dpi);
    PictureButton button;
    ASSERT_TRUE(button.SubclassDlgItem(71, &host));
    ASSERT_TRUE(button.LoadBitmaps("UPARROW_U", "UPARROW_D"));
    EXPECT_EQ(button.GetBitmapWidth(), 8);
    EXPECT_EQ(button.GetBitmapHeight(), 6);
    auto target = std::make_shared<platform::gdi::PixelSurface>(20, 20, 32);
    HDC hdc = platform::gdi::CreateSurfaceDC(target, 0);
    DRAWITEMSTRUCT draw{};
    draw.hDC = hdc;
    draw.rcItem = RECT{0, 0, 20, 20};
    button.DrawItem(&draw);
    const int w = 8 * dpi / 96, h = 6 * dpi / 96;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const COLORREF original = source->At(x * 8 / w, y * 6 / h);
        const COLORREF expected = original == transparent ? GetSysColor(COLOR_BTNFACE) : original;
        ASSERT_EQ(target->At(x, y), expected) << dpi << " " << x << "," << y;
      }
    }
    EXPECT_EQ(target->At(w, 0), 0xFFFFFFu);  // nothing beyond the scaled size
    DeleteDC(hdc);
    button.UnsubclassWindow();
  }
  DeleteObject(arrow);
}

TEST_F(SpinButtonTest, SpinBorderShowsThePress) {
  SpinButton up;
  ASSERT_TRUE(up.AttachInteger(71, 1, 70, 0, 10, 1, &host));
  auto target = std::make_shared<platform::gdi::PixelSurface>(20, 20, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(target, 0);
  DRAWITEMSTRUCT draw{};
  draw.hDC = hdc;
  for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
    draw.itemState = state;
    up.DrawItem(&draw);
    const bool pressed = state != 0;
    EXPECT_EQ(target->At(3, 0), pressed ? 0u : GetSysColor(COLOR_BTNFACE)) << state;
    EXPECT_EQ(target->At(3, 5), pressed ? GetSysColor(COLOR_BTNFACE) : 0u) << state;
    EXPECT_EQ(target->At(3, 1), pressed ? GetSysColor(COLOR_BTNSHADOW) : GetSysColor(COLOR_BTNHIGHLIGHT)) << state;
    EXPECT_EQ(target->At(5, 3), pressed ? GetSysColor(COLOR_BTNHIGHLIGHT) : GetSysColor(COLOR_BTNSHADOW)) << state;
  }
  DeleteDC(hdc);
}

TEST_F(SpinButtonTest, LoadingFromAModuleNeedsEveryBitmapAskedFor) {
  PictureButton button;
  EXPECT_TRUE(button.LoadBitmapsFromModule(0, "UPARROW_U", "UPARROW_D", nullptr, nullptr));
  EXPECT_FALSE(button.LoadBitmapsFromModule(0, "UPARROW_U", "UPARROW_D", nullptr, "MISSING"));
  EXPECT_FALSE(button.LoadBitmapsFromModule(0, "MISSING", nullptr, nullptr, nullptr));
  EXPECT_FALSE(button.LoadBitmapsFromFile("C:\\no\\such.dll", "UPARROW_U", nullptr, nullptr, nullptr));
}

}  // namespace
