// Windows, window procedures, the thread's message queue and timers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/ui/user.h"
#include "platform/ui/window.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<UINT>& Seen() {
  static std::vector<UINT> seen;
  return seen;
}

LRESULT Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Seen().push_back(message);
  if (message == WM_USER + 1) return static_cast<LRESULT>(wParam + lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Seen().clear();
    window = CreateWindowExA(0, "EDIT", "test", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, nullptr);
    ASSERT_NE(window, 0u);
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    MSG msg{};
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
    }
  }
  HWND window = 0;
};

TEST_F(WindowTest, OnlySystemClassesExist) {
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, 0, 0, 0, nullptr), 0u);
  EXPECT_EQ(CreateWindowExA(0, nullptr, "", 0, 0, 0, 1, 1, 0, 0, 0, nullptr), 0u);
  const HWND other = CreateWindowExA(0, "edit", "", 0, 0, 0, 1, 1, 0, 0, 0, nullptr);
  EXPECT_NE(other, 0u);
  EXPECT_NE(other, window);
  EXPECT_TRUE(DestroyWindow(other));
  EXPECT_FALSE(IsWindow(other));
  EXPECT_FALSE(DestroyWindow(other));
}

TEST_F(WindowTest, AReplacedProcedureGetsTheMessagesAndUserDataIsKept) {
  const LONG_PTR previous = SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recording));
  // The class's own procedure comes back, for the replacement to call on.
  EXPECT_NE(previous, 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(Recording));
  EXPECT_EQ(SendMessageA(window, WM_USER + 1, 2, 3), 5);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 77);
  DestroyWindow(window);
  // WM_DESTROY comes, and after it at most the window's very last message
  // (WM_NCDESTROY where the full window layer is built in).
  const std::vector<UINT> seen = Seen();
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0], WM_USER + 1u);
  EXPECT_EQ(seen[1], UINT(WM_DESTROY));
  if (seen.size() > 2) {
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], 0x0082u);
  }
}

TEST_F(WindowTest, PostedMessagesComeInOrderFilteredAndFromOtherThreads) {
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Recording));
  EXPECT_TRUE(PostMessageA(window, WM_USER + 2, 0, 0));
  std::thread([this] { PostMessageA(window, WM_USER + 3, 0, 0); }).join();
  EXPECT_TRUE(PostMessageA(0, WM_USER + 4, 0, 0));
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, 0, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3u);
  std::vector<UINT> order;
  while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    DispatchMessageA(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 2, WM_USER + 3, WM_USER + 4}));
  EXPECT_EQ(Seen(), (std::vector<UINT>{WM_USER + 2, WM_USER + 3})) << "a thread message has no window";
  EXPECT_FALSE(PostMessageA(0x7FFFFFF0u, WM_USER, 0, 0));
}

TEST_F(WindowTest, TimersComeWhenDueAndStopWhenKilled) {
  EXPECT_NE(SetTimer(window, 9, 30, nullptr), 0u);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) << "not due yet";
  const Clock::time_point started = Clock::now();
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000, QS_ALLINPUT), WAIT_OBJECT_0);
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(25));
  ASSERT_TRUE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_EQ(msg.wParam, 9u);
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_TRUE(KillTimer(window, 9));
  EXPECT_FALSE(KillTimer(window, 9));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(SetTimer(0x7FFFFFF0u, 1, 10, nullptr), 0u) << "no such window";
}

TEST_F(WindowTest, QuitComesLastAndEndsGetMessage) {
  PostQuitMessage(4);
  PostMessageA(window, WM_USER + 5, 0, 0);
  MSG msg{};
  EXPECT_TRUE(GetMessageA(&msg, 0, 0, 0));
  EXPECT_EQ(msg.message, WM_USER + 5u);
  EXPECT_FALSE(GetMessageA(&msg, 0, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 4u);
  EXPECT_FALSE(PeekMessageA(&msg, 0, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, AWaitEndsWhenAnotherThreadPosts) {
  std::thread poster([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PostMessageA(window, WM_USER + 6, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
  poster.join();
  HANDLE handle = 1;
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &handle, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
}

}  // namespace
