// The stream formatter: each conversion's exact text (minimum digits of the
// hexadecimal and octal forms, the 24.8 fixed-point and float decimals), letters
// that are not conversions, and a text that does not fit its buffer: cut,
// terminated and reported, never written past the capacity.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "graphics/stream/output.h"

namespace {

std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  const int length = FormatOutV(buffer, sizeof buffer, format, args);
  va_end(args);
  EXPECT_GE(length, 0) << format;
  EXPECT_EQ(size_t(length), std::strlen(buffer)) << format;
  return std::string(buffer, length < 0 ? 0 : size_t(length));
}

TEST(FormatOut, IntegerConversions) {
  struct Case {
    std::string got;
    const char* want;
  } cases[] = {
      {Format("%d", 0), "0"},
      {Format("%d", -17), "-17"},
      {Format("%d", INT_MIN), "-2147483648"},
      {Format("%l", 2147483647), "2147483647"},
      {Format("Job#%l", 42), "Job#42"},
      {Format("%u", 4294967295u), "4294967295"},
      {Format("%x", 10u), "0A"},
      {Format("%x", 0u), "00"},
      {Format("%x", 0x1ABCu), "1ABC"},
      {Format("%X", 10u), "000A"},
      {Format("%X", 0xDEADBEEFu), "DEADBEEF"},
      {Format("%o", 10u), "012"},
      {Format("%o", 0u), "000"},
      {Format("%o", 511u), "777"},
      {Format("%o", 4096u), "10000"},
      {Format("%c%c", 'A', 'z'), "Az"},
      {Format("%b %b %b", 1, 0, -5), "true false true"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FormatOut, FixedPointHasAtMostThreeDecimals) {
  struct Case {
    int32_t value;
    const char* want;
  } cases[] = {
      {-384, "-1.5"},  // -1.5
      {256, "1"},      // whole numbers have no point
      {0, "0"},
      {128, "0.5"},    // 128/256: a point and 5
      {1, "0.004"},    // 1/256: a point and 004
      {255, "0.996"},  // the largest fraction
      {64, "0.25"},
      {-1, "-0.004"},
      {(100 << 8) | 26, "100.102"},  // 26/256 = 0.1015625 -> 0.102
      {INT_MIN, "-8388608"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format("%f", c.value), c.want) << c.value;
}

TEST(FormatOut, FloatsHaveAtMostFourTruncatedDecimals) {
  struct Case {
    float value;
    const char* want;
  } cases[] = {
      {0.25f, "0.25"},           {3.0f, "3"},       {0.05f, "0.05"},     {-2.5f, "-2.5"},
      {1234.5678f, "1234.5677"}, {0.00005f, "0"},   {0.0002f, "0.0001"},  // truncated, not rounded
      {100.0f, "100"},           {-0.75f, "-0.75"}, {2.0f, "2"},
  };
  for (const auto& c : cases) EXPECT_EQ(Format("%F", &c.value), c.want) << c.value;
}

TEST(FormatOut, OtherLettersAndPercentSigns) {
  struct Case {
    std::string got;
    const char* want;
  } cases[] = {
      {Format("%%%%Trailer"), "%%Trailer"},
      {Format("100%%"), "100%"},
      {Format("%q%Z"), "qZ"},   // not a conversion: the letter itself
      {Format("end%"), "end"},  // a "%" at the end ends the text
      {Format("%s and %s", "one", "two"), "one and two"},
      {Format("[%s]", static_cast<const char*>(nullptr)), "[]"},
      {Format("%d %s %x", 5, "mid", 255u), "5 mid FF"},
      {Format(""), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FormatOut, TextThatDoesNotFitIsCutTerminatedAndReported) {
  const std::string name(300, 'n');
  struct Case {
    size_t capacity;
    const char* format;
    int want;  // result
    const char* wantText;
  } cases[] = {
      {8, "%s", -1, "nnnnnnn"},                        // 7 characters and the terminator
      {4, "%X", -1, "000"},     {5, "%X", 4, "000A"},  // exactly fits
      {1, "abc", -1, ""},       {6, "ab%%cd", 5, "ab%cd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    const int result = std::strcmp(c.format, "%s") == 0 ? FormatOut(buffer, c.capacity, c.format, name.c_str())
                                                        : FormatOut(buffer, c.capacity, c.format, 10u);
    EXPECT_EQ(result, c.want);
    EXPECT_STREQ(buffer, c.wantText);
    for (size_t i = c.capacity; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], 0x55) << "written past the capacity";
  }
  char untouched = 0x55;
  EXPECT_EQ(FormatOut(&untouched, 0, "x"), -1);
  EXPECT_EQ(untouched, 0x55);

  // The PDEV's line buffers: the array form takes their size as the capacity.
  char line[kFormatBufferBytes];
  const std::string longName(2000, 'L');
  EXPECT_EQ(FormatOut(line, "/%s findfont", longName.c_str()), -1);
  EXPECT_EQ(std::strlen(line), kFormatBufferBytes - 1);
  EXPECT_EQ(FormatOut(line, "%d %d moveto", 10, -20), 13);
  EXPECT_STREQ(line, "10 -20 moveto");
}

}  // namespace
