// The graphics core's small routines: rounding, vector lengths (against an exact
// reference, large values included), fixed point, float comparison, lookups,
// path joining and splitting, font sizes from engine fonts and raw output.
#include <gtest/gtest.h>

#include <cfenv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/stream/output.h"
#include "graphics/util/core_math.h"
#include "graphics/util/font_size.h"
#include "graphics/util/raw_output.h"
#include "graphics/util/wide_path.h"
#include "platform/gdi/engine.h"
#include "tests/support/machine_fixture.h"

namespace graphicstest {
namespace {

TEST(RoundToIntTest, TiesGoToTheEvenNeighbourInEveryRoundingMode) {
  struct Case {
    float value;
    int expected;
    // clang-format off
  } cases[] = {{0.5f, 0},          {1.5f, 2},          {2.5f, 2},        {3.5f, 4},        {-0.5f, 0},
               {-1.5f, -2},        {-2.5f, -2},        {2.4999f, 2},     {2.5001f, 3},     {-2.5001f, -3},
               {0.49999997f, 0},   {8388607.5f, 8388608}, {7.0f, 7},     {-7.0f, -7},      {0.0f, 0},
               {1e10f, INT_MAX},   {-1e10f, INT_MIN},  {2147483648.0f, INT_MAX},           {-2147483648.0f, INT_MIN},
               // clang-format on
               {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    for (const Case& c : cases) EXPECT_EQ(RoundToInt(c.value), c.expected) << c.value << " mode " << mode;
  }
  std::fesetround(FE_TONEAREST);
  // Everything in between agrees with the processor's default rounding.
  for (int i = -4000; i <= 4000; ++i) {
    const float value = static_cast<float>(i) / 8.0f;
    EXPECT_EQ(RoundToInt(value), static_cast<int>(std::nearbyint(value))) << value;
  }
}

// The smallest r with r * r >= a * a + b * b, by bisection in 128-bit integers:
// no floating point, so independent of the routine under test.
__extension__ typedef unsigned __int128 Unsigned128;

int64_t CeilHypotReference(int64_t a, int64_t b) {
  const Unsigned128 target = static_cast<Unsigned128>(a * a) + static_cast<Unsigned128>(b * b);
  uint64_t low = 0, high = 1ull << 33;
  while (low < high) {
    const uint64_t mid = low + (high - low) / 2;
    if (static_cast<Unsigned128>(mid) * mid >= target)
      high = mid;
    else
      low = mid + 1;
  }
  return static_cast<int64_t>(low);
}

// The incremental search whose results IntHypot gives, in 64 bits: from the
// larger magnitude L, add 2L + 1 (L growing) until the smaller magnitude squared
// is reached.
int64_t IncrementalHypot(int64_t a, int64_t b) {
  int64_t x = a < 0 ? -a : a, y = b < 0 ? -b : b;
  if (x == 0) return y;
  if (y == 0) return x;
  int64_t large = x > y ? x : y, small = x > y ? y : x;
  int64_t added = 0;
  while (added < small * small) {
    added += 2 * large + 1;
    ++large;
  }
  return large;
}

TEST(IntHypotTest, IsTheEuclideanLengthRoundedUp) {
  EXPECT_EQ(IntHypot(3, 4), 5);
  EXPECT_EQ(IntHypot(1, 1), 2);
  EXPECT_EQ(IntHypot(0, -7), 7);
  EXPECT_EQ(IntHypot(-7, 0), 7);
  EXPECT_EQ(IntHypot(0, 0), 0);
  for (int a = -200; a <= 200; ++a)
    for (int b = -200; b <= 200; ++b) ASSERT_EQ(IntHypot(a, b), IncrementalHypot(a, b)) << a << "," << b;
}

TEST(IntHypotTest, StaysExactFarBeyondThirtyTwoBitSquares) {
  const LONG magnitudes[] = {46340,    46341,   65535,      65536,      1000003,     94906265,
                             94906266, 1 << 30, 1518500249, 1518500250, INT_MAX - 1, INT_MAX};
  for (LONG a : magnitudes)
    for (LONG b : magnitudes)
      for (LONG sign : {1, -1}) {
        const int64_t expected = CeilHypotReference(a, int64_t(b) * sign);
        EXPECT_EQ(IntHypot(a, b * sign), expected > INT_MAX ? INT_MAX : expected) << a << "," << b * sign;
      }
  // Exact lengths (scaled 3-4-5 triangles) and their neighbours, where a square
  // root computed in floating point is easily one off.
  for (int64_t k : {10000000ll, 300000001ll, 429496729ll}) {
    EXPECT_EQ(IntHypot(static_cast<LONG>(3 * k), static_cast<LONG>(4 * k)), 5 * k);
    EXPECT_EQ(IntHypot(static_cast<LONG>(3 * k), static_cast<LONG>(4 * k - 1)), CeilHypotReference(3 * k, 4 * k - 1));
    EXPECT_EQ(IntHypot(static_cast<LONG>(3 * k), static_cast<LONG>(4 * k + 1)), CeilHypotReference(3 * k, 4 * k + 1));
    EXPECT_EQ(CeilHypotReference(3 * k, 4 * k + 1), 5 * k + 1);
  }
  std::mt19937 random(20240611);
  std::uniform_int_distribution<LONG> any(INT_MIN / 2, INT_MAX / 2);
  for (int i = 0; i < 20000; ++i) {
    const LONG a = any(random), b = any(random);
    ASSERT_EQ(IntHypot(a, b), CeilHypotReference(a, b)) << a << "," << b;
  }
  // Lengths beyond the LONG range stop at its top.
  EXPECT_EQ(IntHypot(INT_MIN, 0), INT_MAX);
  EXPECT_EQ(IntHypot(INT_MIN, INT_MIN), INT_MAX);
  EXPECT_EQ(IntHypot(INT_MIN + 1, 0), INT_MAX);
}

TEST(FloatHelpersTest, HypotFixedPointAndNearEquality) {
  EXPECT_FLOAT_EQ(FloatHypot(0, -3), 3);
  EXPECT_FLOAT_EQ(FloatHypot(-4, 0), 4);
  EXPECT_FLOAT_EQ(FloatHypot(3, -4), 5);
  EXPECT_FLOAT_EQ(FloatHypot(1e30f, 1e30f), 1.41421356e30f) << "no overflow of the squares";
  EXPECT_FLOAT_EQ(FloatHypot(1e-30f, 1e-30f), 1.41421356e-30f) << "no underflow of the squares";

  struct FixCase {
    FIX value;
    float expected;
  } fixes[] = {{0, 0.0f}, {16, 1.0f}, {-24, -1.5f}, {1, 0.0625f}, {-1, -0.0625f}, {0x7FFFFFF0, 134217727.0f}};
  for (const FixCase& c : fixes) EXPECT_EQ(FixToFloat(c.value), c.expected) << c.value;

  struct NearCase {
    float a, b;
    bool nearlyEqual;
  } nears[] = {{1.0f, 1.0005f, true}, {1.0005f, 1.0f, true},   {1.0f, 1.002f, false},  {1.002f, 1.0f, false},
               {0.0f, 0.0f, true},    {-1.0f, -1.0009f, true}, {1.0f, 1.0011f, false}, {100.0f, -100.0f, false}};
  for (const NearCase& c : nears) EXPECT_EQ(FloatNearlyEqual(c.a, c.b), c.nearlyEqual) << c.a << " " << c.b;
}

TEST(FindDwordIndexTest, FirstMatchWithinASixteenBitIndex) {
  const DWORD values[] = {5, 7, 5, 0xFFFFFFFF};
  EXPECT_EQ(FindDwordIndex(5, values, 4), 0);
  EXPECT_EQ(FindDwordIndex(7, values, 4), 1);
  EXPECT_EQ(FindDwordIndex(0xFFFFFFFF, values, 4), 3);
  EXPECT_EQ(FindDwordIndex(0xFFFFFFFF, values, 3), -1) << "only count values are searched";
  EXPECT_EQ(FindDwordIndex(9, values, 4), -1);
  EXPECT_EQ(FindDwordIndex(5, values, 0), -1);
  EXPECT_EQ(FindDwordIndex(5, nullptr, 4), -1);

  std::vector<DWORD> many(40000, 0);
  many[32767] = 1;
  many[32768] = 2;
  EXPECT_EQ(FindDwordIndex(1, many.data(), static_cast<DWORD>(many.size())), 32767);
  EXPECT_EQ(FindDwordIndex(2, many.data(), static_cast<DWORD>(many.size())), -1)
      << "an index that a 16-bit result cannot hold is never answered";
}

TEST(WidePathTest, JoinAddsOneBackslashAndRefusesWhatDoesNotFit) {
  struct Case {
    std::u16string folder, name, joined;
  } cases[] = {
      {u"C:\\driver", u"zeldb5.dll", u"C:\\driver\\zeldb5.dll"},
      {u"C:\\driver\\", u"zeldb5.dll", u"C:\\driver\\zeldb5.dll"},
      {u"", u"zeldb5.dll", u"zeldb5.dll"},
      {u"C:", u"x", u"C:\\x"},
      {u"C:\\d", u"", u"C:\\d\\"},
      {u"\\\\server\\share", u"\u30c9\u30e9\u30a4\u30d0.dll", u"\\\\server\\share\\\u30c9\u30e9\u30a4\u30d0.dll"}};
  for (const Case& c : cases) {
    WCHAR out[MAX_PATH];
    EXPECT_EQ(JoinPath(out, c.folder.c_str(), c.name.c_str()), out);
    EXPECT_EQ(std::u16string(out), c.joined);
  }

  WCHAR out[MAX_PATH] = u"old";
  EXPECT_EQ(JoinPath(out, nullptr, u"x"), nullptr);
  EXPECT_EQ(JoinPath(out, u"x", nullptr), nullptr);
  EXPECT_EQ(JoinPath(nullptr, 10, u"x", u"y"), nullptr);

  // "ab\cd" is 5 characters: 6 fit, 5 do not, and nothing past the capacity is touched.
  WCHAR small[8];
  std::fill(std::begin(small), std::end(small), u'#');
  EXPECT_EQ(JoinPath(small, 6, u"ab", u"cd"), small);
  EXPECT_EQ(std::u16string(small), u"ab\\cd");
  std::fill(std::begin(small), std::end(small), u'#');
  EXPECT_EQ(JoinPath(small, 5, u"ab", u"cd"), nullptr);
  EXPECT_EQ(small[0], 0) << "a refused join leaves the empty text, not a cut path";
  EXPECT_EQ(std::u16string(small + 1, small + 8), u"#######");
  EXPECT_EQ(JoinPath(small, 0, u"", u""), nullptr);
  EXPECT_EQ(small[0], 0);

  // The folder's own buffer may be the output.
  WCHAR folder[MAX_PATH] = u"C:\\fonts";
  EXPECT_EQ(JoinPath(folder, folder, u"a.pfm"), folder);
  EXPECT_EQ(std::u16string(folder), u"C:\\fonts\\a.pfm");
}

TEST(WidePathTest, SplitAtTheLastBackslashOrColon) {
  struct Case {
    const char16_t* path;
    std::u16string folder, name;
  } cases[] = {{u"C:\\driver\\zeldb5.dll", u"C:\\driver", u"zeldb5.dll"},
               {u"zeldb5.dll", u"", u"zeldb5.dll"},
               {u"C:zeldb5.dll", u"C", u"zeldb5.dll"},
               {u"C:\\zeldb5.dll", u"C:", u"zeldb5.dll"},
               {u"\\\\server\\share\\f", u"\\\\server\\share", u"f"},
               {u"C:\\driver\\", u"C:\\driver", u""},
               {u"dir\\a:b", u"dir\\a", u"b"},
               {u"", u"", u""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
    WCHAR folder[MAX_PATH] = u"junk", name[MAX_PATH] = u"junk";
    EXPECT_EQ(SplitPath(folder, MAX_PATH, name, MAX_PATH, c.path), TRUE);
    EXPECT_EQ(std::u16string(folder), c.folder);
    EXPECT_EQ(std::u16string(name), c.name);
    // Each output alone.
    WCHAR only[MAX_PATH] = u"junk";
    EXPECT_EQ(SplitPath(nullptr, 0, only, MAX_PATH, c.path), TRUE);
    EXPECT_EQ(std::u16string(only), c.name);
    EXPECT_EQ(SplitPath(only, MAX_PATH, nullptr, 0, c.path), TRUE);
    EXPECT_EQ(std::u16string(only), c.folder);
  }
  // Joining what was split gives the path back.
  WCHAR folder[MAX_PATH], name[MAX_PATH], joined[MAX_PATH];
  ASSERT_TRUE(SplitPath(folder, MAX_PATH, name, MAX_PATH, u"C:\\a\\b\\c.ini"));
  EXPECT_EQ(std::u16string(JoinPath(joined, folder, name)), u"C:\\a\\b\\c.ini");

  // Outputs too small are left empty; the other output still gets its part.
  WCHAR shortFolder[4] = u"xyz";
  EXPECT_EQ(SplitPath(shortFolder, 4, name, MAX_PATH, u"C:\\driver\\f.dll"), FALSE);
  EXPECT_EQ(shortFolder[0], 0);
  EXPECT_EQ(std::u16string(name), u"f.dll");
  EXPECT_EQ(SplitPath(folder, MAX_PATH, name, MAX_PATH, nullptr), FALSE);
  EXPECT_EQ(folder[0], 0);
  EXPECT_EQ(name[0], 0);

  // The path's own buffer may take the name.
  WCHAR path[MAX_PATH] = u"C:\\driver\\zeldb5.dll";
  EXPECT_TRUE(SplitPath(nullptr, 0, path, MAX_PATH, path));
  EXPECT_EQ(std::u16string(path), u"zeldb5.dll");
}

// A device font with the given em size and notional-to-device transform.
class FontSizeTest : public ::testing::Test {
 protected:
  std::unique_ptr<platform::gdi::Font> MakeFont(FWORD unitsPerEm, const XFORML& transform) {
    metrics = IFIMETRICS{};
    metrics.cjThis = sizeof(IFIMETRICS);
    metrics.fwdUnitsPerEm = unitsPerEm;
    return platform::gdi::Font::Device(1, &metrics, transform);
  }
  IFIMETRICS metrics{};
};

TEST_F(FontSizeTest, EmHeightScaleAndPointSize) {
  // The em vector (0, 2048) becomes (12.288, 16.384) pixels: 12 and 16 whole
  // pixels, 197 and 262 in 28.4.
  auto font = MakeFont(2048, XFORML{1, 0, 0.006f, 0.008f, 0, 0});
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(GetFontHeight(font.get()), 20);
  EXPECT_NEAR(GetFontScale(font.get()), std::hypot(197 / 16.0, 262 / 16.0), 1e-4);

  auto pdev = std::make_unique<PDEV>();
  pdev->devmode.dmPublic.dmPrintQuality = 600;
  EXPECT_EQ(GetFontPointSize(pdev.get(), font.get()), 2);  // 20 * 72 / 600 = 2.4

  // An em of 25 pixels at 144 dpi is 12.5 points: rounded half away from zero.
  auto upright = MakeFont(1000, XFORML{0.025f, 0, 0, 0.025f, 0, 0});
  EXPECT_EQ(GetFontHeight(upright.get()), 25);
  EXPECT_FLOAT_EQ(GetFontScale(upright.get()), 25.0f);
  pdev->devmode.dmPublic.dmPrintQuality = 144;
  EXPECT_EQ(GetFontPointSize(pdev.get(), upright.get()), 13);
  pdev->devmode.dmPublic.dmPrintQuality = 300;
  EXPECT_EQ(GetFontPointSize(pdev.get(), upright.get()), 6);  // 6.0
}

TEST_F(FontSizeTest, MissingPiecesGiveMinusOne) {
  auto pdev = std::make_unique<PDEV>();
  pdev->devmode.dmPublic.dmPrintQuality = 600;
  auto noMetrics = platform::gdi::Font::Device(1, nullptr, XFORML{1, 0, 0, 1, 0, 0});
  EXPECT_EQ(GetFontHeight(noMetrics.get()), -1);
  EXPECT_EQ(GetFontScale(noMetrics.get()), -1.0f);
  EXPECT_EQ(GetFontPointSize(pdev.get(), noMetrics.get()), -1);
  EXPECT_EQ(GetFontHeight(nullptr), -1);
  EXPECT_EQ(GetFontScale(nullptr), -1.0f);
  FONTOBJ unknown{};  // not an engine font: the services know nothing of it
  EXPECT_EQ(GetFontHeight(&unknown), -1);

  auto font = MakeFont(1000, XFORML{0.1f, 0, 0, 0.1f, 0, 0});
  EXPECT_EQ(GetFontPointSize(nullptr, font.get()), -1);
  for (SHORT quality : {0, -3}) {
    pdev->devmode.dmPublic.dmPrintQuality = quality;
    EXPECT_EQ(GetFontPointSize(pdev.get(), font.get()), -1) << quality;
  }
}

TEST(RawOutputTest, WritesCountedBytes) {
  auto pdev = std::make_unique<PDEV>();
  ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
  const char bytes[] = {'%', '!', 0, 1, static_cast<char>(0xFF)};
  EXPECT_EQ(WriteRawBytes(pdev.get(), sizeof bytes, bytes), 1);
  ASSERT_EQ(pdev->output.fill, sizeof bytes);
  EXPECT_EQ(std::memcmp(pdev->output.buffer, bytes, sizeof bytes), 0);
  EXPECT_EQ(WriteRawBytes(pdev.get(), 0, bytes), 0);
  EXPECT_EQ(WriteRawBytes(pdev.get(), 4, nullptr), 0);
  EXPECT_EQ(WriteRawBytes(nullptr, 4, bytes), 0);
  EXPECT_EQ(pdev->output.fill, sizeof bytes);
  FreeOutputBuffer(pdev.get());
}

class ChannelResetTest : public testsupport::FreshMachine {};

TEST_F(ChannelResetTest, ANewDocumentStartsOnTheSpoolerWithAClearRecord) {
  auto pdev = std::make_unique<PDEV>();
  ASSERT_EQ(AllocOutputBuffer(pdev.get()), 1);
  pdev->output.failed = TRUE;  // the previous document lost its output
  pdev->output.channels[0].open = FALSE;
  EXPECT_EQ(ResetChannelFiles(pdev.get()), 1);
  EXPECT_EQ(pdev->output.failed, FALSE);
  EXPECT_EQ(pdev->output.channels[0].open, TRUE);
  EXPECT_EQ(ResetChannelFiles(nullptr), 0);
  FreeOutputBuffer(pdev.get());
}

}  // namespace
}  // namespace graphicstest
