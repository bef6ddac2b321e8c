// Focus and the active window: kept apart from the other window tests because
// the 32-bit platform library has no window tree to hold a focus.
#include <gtest/gtest.h>

#include "platform/ui/user.h"
#include "platform/ui/window.h"

namespace {

// The active window is the top-level window that holds the focus, also when
// the focus sits on a control nested inside it.
TEST(WindowFocusTest, TheActiveWindowIsTheTopLevelWindowOfTheFocus) {
  HWND window = CreateWindowExA(0, "EDIT", "test", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
  ASSERT_NE(window, 0u);
  SetFocus(0);
  EXPECT_EQ(GetActiveWindow(), 0u);
  HWND frame = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, window, 0, 0, nullptr);
  HWND control = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 5, 5, frame, 0, 0, nullptr);
  ASSERT_NE(control, 0u);
  SetFocus(control);
  EXPECT_EQ(GetActiveWindow(), window);
  HWND owned = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 5, 5, window, 0, 0, nullptr);
  SetFocus(owned);
  EXPECT_EQ(GetActiveWindow(), owned);
  SetFocus(0);
  DestroyWindow(owned);
  DestroyWindow(window);
}

}  // namespace
