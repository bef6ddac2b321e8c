// wsprintf and MulDiv: the small formatting and scaling helpers every dialog,
// path and paper-size computation goes through.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/base/format.h"

namespace {

std::string A(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

class FormatTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::SetAnsiCodePage(932)); }
  void TearDown() override { platform::SetAnsiCodePage(932); }
};

struct Formatted {
  int count;
  std::string text;
};

template <class... Args>
Formatted FormatA(const char* format, Args... args) {
  char buffer[1100];
  std::fill(std::begin(buffer), std::end(buffer), '\x7F');
  int count = wsprintfA(buffer, format, args...);
  return {count, std::string(buffer)};
}

template <class... Args>
std::u16string FormatW(int* count, const char16_t* format, Args... args) {
  WCHAR buffer[1100];
  std::fill(std::begin(buffer), std::end(buffer), u'\x7F');
  *count = wsprintfW(buffer, format, args...);
  return std::u16string(buffer);
}

TEST_F(FormatTest, Numbers) {
  struct Case {
    Formatted got;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {FormatA("%d|%i", -42, 7), "-42|7"},
      {FormatA("%u", -1), "4294967295"},
      {FormatA("%x %X %#x %#X", 0xBEEFu, 0xBEEFu, 255u, 255u), "beef BEEF 0xff 0XFF"},
      {FormatA("%ld %lu %lx %lX", LONG(-5), DWORD(0xFFFFFFFFu), DWORD(0xABCu), DWORD(0xABCu)), "-5 4294967295 abc ABC"},
      {FormatA("%hd %hu %hx", 0x18000, 0x1FFFF, 0x12345), "-32768 65535 2345"},
      {FormatA("[%5d][%-5d][%05d][%-05d]", 42, 42, -42, 42), "[   42][42   ][-0042][42   ]"},
      {FormatA("[%.3d][%6.3d][%08.3d]", 7, -7, 7), "[007][  -007][     007]"},
      {FormatA("[%#06x]", 0x1F), "[0x001f]"},
      {FormatA("[%*d][%-*d]", 4, 1, 3, 2), "[   1][2  ]"},
      {FormatA("%d%%", 50), "50%"},
      {FormatA("%d", INT_MIN), "-2147483648"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.got.text, c.expected);
    EXPECT_EQ(c.got.count, static_cast<int>(std::string(c.expected).size()));
  }
}

TEST_F(FormatTest, DwordArgumentsAreThirtyTwoBits) {
  // Were "%lu" read as 64 bits, the first would swallow the second on 64-bit Linux.
  EXPECT_EQ(FormatA("%lu-%lu-%s", DWORD(1), DWORD(2), "end").text, "1-2-end");
  EXPECT_EQ(FormatA("%lx.%d", DWORD(0xFFFFFFFFu), 9).text, "ffffffff.9");
}

TEST_F(FormatTest, StringsAndCharacters) {
  struct Case {
    Formatted got;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {FormatA("%s=%hs", "key", "value"), "key=value"},
      {FormatA("[%8s][%-8s]", "abc", "abc"), "[     abc][abc     ]"},
      {FormatA("[%.2s]", "abcdef"), "[ab]"},
      {FormatA("[%s]", static_cast<const char*>(nullptr)), "[(null)]"},
      {FormatA("%S|%ls", u"ワイド", u"表"), A("ワイド") + "|" + A("表")},
      {FormatA("%c%c%C", 'a', 'b', u'ア'), "ab" + A("ア")},
      {FormatA("[%3c]", 'x'), "[  x]"},
      {FormatA("%s\\%s", A("ソフト").c_str(), A("表").c_str()), A("ソフト") + "\\" + A("表")},
      // A precision never leaves half a double-byte character.
      {FormatA("[%.3s]", A("アイ").c_str()), "[" + A("ア") + "]"},
      {FormatA("%q%d", 5), "q5"},  // unknown conversions print their letter
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.got.text, c.expected);
    EXPECT_EQ(c.got.count, static_cast<int>(c.expected.size()));
  }
}

TEST_F(FormatTest, WideFormat) {
  int count = 0;
  EXPECT_EQ(FormatW(&count, u"%s %S %hs %ls", u"ワイド", A("アンシ").c_str(), A("表").c_str(), u"幅"),
            u"ワイド アンシ 表 幅");
  EXPECT_EQ(count, 11);
  EXPECT_EQ(FormatW(&count, u"%d/%5.2d/%#X/%c/%C", -3, 4, 0xABu, u'字', 'z'), u"-3/   04/0XAB/字/z");
  EXPECT_EQ(count, 17);
  EXPECT_EQ(FormatW(&count, u"[%-4s][%.1s]", u"ab", u"xyz"), u"[ab  ][x]");
}

TEST_F(FormatTest, OutputStopsAt1024Characters) {
  std::string long1(1500, 'a');
  Formatted got = FormatA("%s", long1.c_str());
  EXPECT_EQ(got.count, 1023);
  EXPECT_EQ(got.text, std::string(1023, 'a'));
  // Width alone can reach the limit too.
  EXPECT_EQ(FormatA("%2000d", 1).count, 1023);
  // The limit never falls inside a double-byte character.
  std::string text = std::string(1022, 'b') + A("ア");
  got = FormatA("%s", text.c_str());
  EXPECT_EQ(got.count, 1022);
  EXPECT_EQ(got.text, std::string(1022, 'b'));

  int count = 0;
  std::u16string wide(2000, u'w');
  EXPECT_EQ(FormatW(&count, u"%s", wide.c_str()).size(), 1023u);
  EXPECT_EQ(count, 1023);
}

TEST_F(FormatTest, ForwardsArgumentLists) {
  auto viaList = [](char* buffer, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int count = wvsprintfA(buffer, format, arguments);
    va_end(arguments);
    return count;
  };
  char buffer[64];
  EXPECT_EQ(viaList(buffer, "%s on %s (%d)", "Printer", "Port", 3), 19);
  EXPECT_STREQ(buffer, "Printer on Port (3)");
}

TEST(MulDivTest, RoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const std::vector<Case> cases = {
      {8267, 254, 1000, 2100},  // 2099.818: integer division would give 2099
      {73, 144, 96, 110},       // 109.5 rounds up
      {75, 144, 96, 113},       // 112.5
      {-73, 144, 96, -110},     // half away from zero on the negative side too
      {73, -144, 96, -110},
      {73, 144, -96, -110},
      {-73, -144, -96, -110},
      {-73, -144, 96, 110},
      {5, 1, 3, 2},  // 1.667
      {4, 1, 3, 1},  // 1.333
      {-4, 1, 3, -1},
      {1, 1, 3, 0},
      {255, 50, 100, 128},           // 127.5
      {65536, 65536, 65536, 65536},  // the product needs 64 bits
      {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
      {INT_MIN, 1, 1, INT_MIN},
      {1, 2, 0, -1},        // no divisor
      {INT_MAX, 2, 1, -1},  // does not fit
      {INT_MIN, -1, 1, -1},
      {0, 5, 7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
  }
}

}  // namespace
