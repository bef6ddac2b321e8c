// The rules of the set-up program that need no printer: its command line, the
// address entry, the detection job's bytes, the answer trap's matching, the
// countdown and the bar.
#include <gtest/gtest.h>

#include <cstring>

#include "detect/address_rules.h"
#include "detect/command_line.h"
#include "detect/detection_dialog.h"
#include "detect/detection_job.h"
#include "detect/progress_bar.h"
#include "detect/trap_match.h"

namespace {

TEST(DetectCommandLineTest, SplitsAtQuotesAfterTheProgram) {
  struct Case {
    const char* line;
    bool parsed;
    const char* printer;
    const char* library;
    int notify;
  };
  const Case cases[] = {
      {"C:\\drv\\scopeod5.exe Office A\"zeldb5.dll\"1", true, "Office A", "zeldb5.dll", 1},
      // A driver folder with blanks, quoted: the printer's name stays whole.
      {"\"C:\\My Drivers\\scopeod5.exe\" Office A\"zeldb5.dll\"1", true, "Office A", "zeldb5.dll", 1},
      {"scopeod5.exe   Lab\"zeldb5.dll\"0", true, "Lab", "zeldb5.dll", 0},
      {"scopeod5.exe Lab\"zeldb5.dll\"", false, "", "", 0},
      {"scopeod5.exe Lab\"zeldb5.dll", false, "", "", 0},
      {"scopeod5.exe Lab", false, "", "", 0},
      {"scopeod5.exe", false, "", "", 0},
      {"", false, "", "", 0},
  };
  for (const Case& c : cases) {
    const auto line = ParseDetectCommandLine(c.line);
    ASSERT_EQ(line.has_value(), c.parsed) << c.line;
    if (!line) continue;
    EXPECT_EQ(line->printerName, c.printer) << c.line;
    EXPECT_EQ(line->settingsLibrary, c.library) << c.line;
    EXPECT_EQ(line->notify, c.notify) << c.line;
  }
}

TEST(AddressRulesTest, AcceptsOnlyFourOctetsOfOneByte) {
  const struct {
    const char* text;
    bool accepted;
  } cases[] = {
      {"192.168.0.5", true},   {"10.0.0.1", true},    {"255.255.255.255", true},
      {"192..0.5", false},     {"192.168.0.", false}, {"192.168.0.256", false},
      {"0.0.0.0", false},      {"010.1.1.1", false},  {"0.1.2.3", false},
      {"192.168.00.5", false}, {"1.2.3.4.5", false},  {"1.2.3", false},
      {"1.2.3.a", false},      {"1234.1.1.1", false}, {"", false},
      {"...", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsAcceptableIpAddress(c.text), c.accepted) << c.text;
}

TEST(AddressRulesTest, SplitsDottedTextIntoAtMostFourNumbers) {
  using Quad = std::array<int, 4>;
  EXPECT_EQ(ParseDottedQuad("192.168.0.5"), (Quad{192, 168, 0, 5}));
  EXPECT_EQ(ParseDottedQuad(""), (Quad{-1, -1, -1, 0}));
  EXPECT_EQ(ParseDottedQuad("1..3."), (Quad{1, -1, 3, 0}));
  EXPECT_EQ(ParseDottedQuad("0.0.0.0"), (Quad{0, 0, 0, 0}));
  // More than three dots or a piece that is no number: nothing, never a fifth number.
  EXPECT_FALSE(ParseDottedQuad("1.2.3.4.5").has_value());
  EXPECT_FALSE(ParseDottedQuad("1.2.3.4.5.6.7.8").has_value());
  EXPECT_FALSE(ParseDottedQuad("1.x.3.4").has_value());
}

TEST(AddressRulesTest, KnowsNetworkPortNames) {
  const struct {
    const char* port;
    bool ip;
  } cases[] = {
      {"192.168.0.5:9100", true}, {"IP_192.168.0.5", true},
      {"ip_10.0.0.1", true},      {"LPT1:", false},
      {"IP_192.168", false},      {"192.168.0.5", false},
      {"a.b.c.d:x", true},        {"FILE:", false},
      {"..1.2.3:9", false},       {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsIpPortName(c.port), c.ip) << c.port;
}

TEST(DetectionJobTest, BytesOfTheJob) {
  const std::string bytes = DetectionJobBytes("127.0.0.1", 37);
  EXPECT_EQ(bytes, "\x1B%-12345X@PJL SET JOBATTR=\"DetectClient=00DetectJob=00127.0.0.1=00Job#37=00\"\x1B%-12345X");
  EXPECT_NE(DetectionJobBytes("127.0.0.1", -1).find("Job#-1=00\""), std::string::npos);
  // A quote or an equals sign in the host never ends the attribute early.
  EXPECT_NE(DetectionJobBytes("a=b\"c", 1).find("a=3Db=22c=00"), std::string::npos);
}

TEST(DetectionJobTest, EncodingStopsBeforeAByteThatDoesNotFit) {
  EXPECT_EQ(EncodeJobAttribute(std::string(300, 'x')).size(), 256u);
  // 255 plain bytes leave one byte: no room for "=00".
  EXPECT_EQ(EncodeJobAttribute(std::string(255, 'x') + '\0' + "y"), std::string(255, 'x'));
  EXPECT_EQ(EncodeJobAttribute(std::string(253, 'x') + '\0'), std::string(253, 'x') + "=00");
  EXPECT_EQ(EncodeJobAttribute(std::string("\x1F\x20", 2)), "=1F ");
}

SnmpTrapRecord Trap(WORD kind, const std::string& text, const char* sender, const char* logical) {
  SnmpTrapRecord trap{};
  trap.kind = kind;
  std::memcpy(trap.text314, text.data(), std::min(text.size(), sizeof trap.text314));
  std::strncpy(trap.sender, sender, sizeof trap.sender - 1);
  std::strncpy(trap.text1090, logical, sizeof trap.text1090 - 1);
  return trap;
}

TEST(DetectionAnswerTest, TakesOnlyTheAnswerToThisHostsJob) {
  const std::string ours = "DetectClient=00DetectJob=00192.168.0.9=00Job#37=00";
  const struct {
    const char* what;
    SnmpTrapRecord trap;
    bool matched;
  } cases[] = {
      {"encoded", Trap(1, ours, "192.168.0.20", "vp-pcl"), true},
      // clang-format off
      {"decoded", Trap(1, std::string("DetectClient\0DetectJob\0" "192.168.0.9\0Job#37\0", 41), "192.168.0.20", "ps"),
       // clang-format on
       true},
      {"lower case", Trap(1, "detectclient=00detectjob=00192.168.0.9=00job#37=00", "192.168.0.20", "ps"), true},
      {"another host", Trap(1, "DetectClient=00DetectJob=00192.168.0.10=00Job#37=00", "192.168.0.20", "ps"), false},
      {"an older job", Trap(1, "DetectClient=00DetectJob=00192.168.0.9=00Job#36=00", "192.168.0.20", "ps"), false},
      {"job 3 is not 37", Trap(1, "DetectClient=00DetectJob=00192.168.0.9=00Job#3=00", "192.168.0.20", "ps"), false},
      {"no DetectJob", Trap(1, "DetectClient=00192.168.0.9=00Job#37=00", "192.168.0.20", "ps"), false},
      {"another kind", Trap(2, ours, "192.168.0.20", "ps"), false},
      {"IP without logical printer", Trap(1, ours, "192.168.0.20", ""), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchDetectionAnswer(c.trap, "192.168.0.9", 37).has_value(), c.matched) << c.what;
  }
  const auto ip = MatchDetectionAnswer(Trap(1, ours, "192.168.0.20", "vp-pcl"), "192.168.0.9", 37);
  ASSERT_TRUE(ip);
  EXPECT_EQ(ip->protocol, 0);
  EXPECT_EQ(ip->address, "192.168.0.20");
  EXPECT_EQ(ip->logicalPrinter, "vp-pcl");
  // A sender without dots is an IPX address; its logical printer may be empty.
  const auto ipx = MatchDetectionAnswer(Trap(1, ours, "00000001:0080C7AA1234", ""), "192.168.0.9", 37);
  ASSERT_TRUE(ipx);
  EXPECT_EQ(ipx->protocol, 1);
  EXPECT_EQ(ipx->address, "00000001:0080C7AA1234");
}

TEST(CountdownTest, BarAndSecondsOverTheMinute) {
  const struct {
    long long elapsed;
    bool timedOut;
    int percent;
    int left;
  } cases[] = {
      {0, false, 5, 60},  {4, false, 5, 56}, {5, false, 8, 55}, {30, false, 50, 30},
      {59, false, 98, 1}, {60, false, 5, 0}, {61, true, 0, 0},
  };
  for (const auto& c : cases) {
    const CountdownStep step = CountdownAt(c.elapsed);
    EXPECT_EQ(step.timedOut, c.timedOut) << c.elapsed;
    if (c.timedOut) continue;
    EXPECT_EQ(step.percent, c.percent) << c.elapsed;
    EXPECT_EQ(step.secondsLeft, c.left) << c.elapsed;
  }
}

TEST(ProgressBarTest, SegmentsOfAFortiethEach) {
  EXPECT_EQ(DP_CProgressBar::SegmentCount(50, 400), 20);
  EXPECT_EQ(DP_CProgressBar::SegmentCount(100, 400), 40);
  EXPECT_EQ(DP_CProgressBar::SegmentCount(0, 400), 0);
  // Narrower than 40 pixels: no segment, and no division by a zero width.
  EXPECT_EQ(DP_CProgressBar::SegmentCount(50, 39), 0);
  EXPECT_EQ(DP_CProgressBar::SegmentCount(100, 0), 0);
}

}  // namespace
