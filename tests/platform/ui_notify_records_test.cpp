// What a person would have noticed is recorded in the machine, for another
// process to read: titled windows coming up, a window brought to the front,
// beeps and sounds. Pop-ups without a title bar, windows shown again and
// sounds a process takes itself leave no record.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/notify_records.h"
#include "platform/ui/sound.h"
#include "platform/ui/user.h"
#include "tests/support/machine_fixture.h"

namespace {

using Records = std::vector<std::vector<std::string>>;

class NotifyRecords : public testsupport::FreshMachine {
 protected:
  void TearDown() override {
    for (HWND window : windows_) DestroyWindow(window);
    platform::SetSoundHandler(nullptr);
    testsupport::FreshMachine::TearDown();
  }
  HWND Make(const char* caption, DWORD style, HWND parent = 0) {
    const HWND window = CreateWindowExA(0, "STATIC", caption, style, 0, 0, 200, 100, parent, 0, 0, nullptr);
    if (window && !parent) windows_.push_back(window);
    return window;
  }
  std::vector<HWND> windows_;
};

TEST_F(NotifyRecords, WhatAPersonWouldNotice) {
  const HWND box = Make("Status", WS_POPUP | WS_CAPTION);
  ASSERT_NE(box, 0u);
  ASSERT_NE(Make("Paper out", WS_CHILD | WS_VISIBLE, box), 0u);
  ASSERT_NE(Make("hidden label", WS_CHILD, box), 0u);
  const HWND tip = Make("a tip", WS_POPUP);
  ShowWindow(box, SW_SHOW);
  ShowWindow(box, SW_SHOWNORMAL);  // already up: nothing new to notice
  ShowWindow(tip, SW_SHOW);
  SetForegroundWindow(box);
  MessageBeep(0xFFFFFFFFu);
  sndPlaySoundA("C:\\Sounds\\paper out.wav", SND_ASYNC);
  EXPECT_FALSE(sndPlaySoundA(nullptr, SND_ASYNC));

  const Records expected = {{"shown", "Status", "Paper out"},
                            {"front", "Status"},
                            {"beep", std::to_string(0xFFFFFFFFu)},
                            {"sound", "C:\\Sounds\\paper out.wav", std::to_string(SND_ASYNC)}};
  EXPECT_EQ(platform::ReadNotifyRecords(), expected);

  // A process that takes its sounds itself leaves them out of the records.
  std::vector<platform::SoundRequest> taken;
  platform::SetSoundHandler([&](const platform::SoundRequest& request) { taken.push_back(request); });
  MessageBeep(0);
  EXPECT_EQ(taken.size(), 1u);
  EXPECT_EQ(platform::ReadNotifyRecords(), expected);
}

}  // namespace
