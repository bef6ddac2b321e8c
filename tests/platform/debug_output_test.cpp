// Debug traces reach the sink a test sets, and stderr only when asked for.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"

namespace {

TEST(DebugOutput, ReachesTheSinkAsUtf8UntilTheSinkIsRemoved) {
  platform::SetAnsiCodePage(932);
  std::vector<std::string> seen;
  platform::SetDebugOutputSink([&](std::string_view line) { seen.emplace_back(line); });
  OutputDebugStringA("aborted Receive\n");
  OutputDebugStringA("\x93\xFA\x96\x7B");  // 日本 in code page 932
  OutputDebugStringW(u"ワイド");
  platform::SetDebugOutputSink(nullptr);
  OutputDebugStringA("after the sink is gone");
  EXPECT_EQ(seen, (std::vector<std::string>{"aborted Receive\n", "日本", "ワイド"}));
}

TEST(DebugOutput, GoesToStderrOnlyWhenTheEnvironmentAsks) {
  unsetenv("ZEL_DEBUG_OUTPUT");
  testing::internal::CaptureStderr();
  OutputDebugStringA("quiet\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  setenv("ZEL_DEBUG_OUTPUT", "1", 1);
  testing::internal::CaptureStderr();
  OutputDebugStringA("loud\n");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "loud\n");
  unsetenv("ZEL_DEBUG_OUTPUT");
}

}  // namespace
