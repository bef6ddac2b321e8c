// The small text and number routines: hexadecimal and base-9 texts, code-page
// conversion into fixed buffers, the N-up grid, digit counts and dialog names.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "interface/util/base9_text.h"
#include "interface/util/dialog_ids.h"
#include "interface/util/digit_count.h"
#include "interface/util/hex_text.h"
#include "interface/util/nup_grid.h"
#include "interface/util/text_conversion.h"
#include "platform/base/codepage.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

class TextHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetAnsiCodePage(932); }
};

TEST_F(TextHelpersTest, HexTextRoundTripsAndReportsCuts) {
  char bytes[10];
  EXPECT_EQ(HexToBytes("414", bytes, 10), 0);
  EXPECT_EQ(std::string(bytes), "A@") << "a lone digit is the high nibble";
  EXPECT_EQ(HexToBytes("4G5a", bytes, 10), 0);
  EXPECT_EQ(std::string(bytes), "\x40P") << "a bad low digit adds nothing, a bad high digit is 0";
  EXPECT_EQ(HexToBytes("41424344", bytes, 3), -1);
  EXPECT_EQ(std::string(bytes), "AB");
  EXPECT_EQ(HexToBytes("414243", bytes, 4), 0);
  EXPECT_EQ(std::string(bytes), "ABC");

  char hex[16];
  EXPECT_EQ(BytesToHex("AB", hex, 5), -1);
  EXPECT_STREQ(hex, "4142");
  EXPECT_EQ(BytesToHex("AB", hex, 4), 0);
  EXPECT_STREQ(hex, "41");
  EXPECT_EQ(BytesToHex("", hex, 1), -1);
  EXPECT_STREQ(hex, "");

  // A profile name in double-byte text survives the trip.
  const std::string name = A("標準");
  EXPECT_EQ(BytesToHex(name.c_str(), hex, sizeof hex), -1);
  EXPECT_STREQ(hex, "95578F80");
  EXPECT_EQ(HexToBytes(hex, bytes, sizeof bytes), 0);
  EXPECT_EQ(std::string(bytes), name);
}

TEST_F(TextHelpersTest, Base9TextRoundTripsWhatItCanAndRefusesTheRest) {
  char encoded[8];
  char decoded[8];
  EXPECT_EQ(EncodeBase9Text(encoded, sizeof encoded, "A"), 1);
  EXPECT_EQ(static_cast<unsigned char>(encoded[0]), 0x72);
  EXPECT_EQ(DecodeBase9Text(decoded, sizeof decoded, encoded), 1);
  EXPECT_STREQ(decoded, "A");

  // Every byte up to 143 has a form, and comes back.
  for (unsigned byte = 1; byte < 144; ++byte) {
    const char text[2] = {static_cast<char>(byte), 0};
    ASSERT_EQ(EncodeBase9Text(encoded, sizeof encoded, text), 1) << byte;
    ASSERT_EQ(std::strlen(encoded), 1u) << byte;
    ASSERT_EQ(DecodeBase9Text(decoded, sizeof decoded, encoded), 1) << byte;
    EXPECT_EQ(static_cast<unsigned char>(decoded[0]), byte);
  }
  // Double-byte text (lead bytes from 0x81) would come back as other text.
  std::strcpy(encoded, "junk");
  EXPECT_EQ(EncodeBase9Text(encoded, sizeof encoded, A("表").c_str()), 0);
  EXPECT_STREQ(encoded, "");
  EXPECT_EQ(EncodeBase9Text(encoded, sizeof encoded, "\x90"), 0);
  // No byte is the encoding of 0x19 (low nibble 9).
  EXPECT_EQ(DecodeBase9Text(decoded, sizeof decoded, "\x19"), 0);
  // The output must hold the text and its NUL.
  EXPECT_EQ(EncodeBase9Text(encoded, 3, "abc"), 0);
  EXPECT_EQ(EncodeBase9Text(encoded, 4, "abc"), 1);
  EXPECT_EQ(EncodeBase9Text(nullptr, 4, "abc"), 0);
  EXPECT_EQ(DecodeBase9Text(decoded, 4, nullptr), 0);
}

TEST_F(TextHelpersTest, ConversionsIntoFixedBuffersCutWholeCharactersAndEndInNul) {
  WCHAR wide[8];
  EXPECT_EQ(AnsiToWide(wide, A("エラー").c_str(), 8), wide);
  EXPECT_EQ(std::u16string(wide), u"エラー");
  EXPECT_EQ(AnsiToWide(wide, A("エラーコード").c_str(), 3), wide);
  EXPECT_EQ(std::u16string(wide), u"エラ");
  EXPECT_EQ(AnsiToWide(wide, nullptr, 8), wide);
  EXPECT_EQ(std::u16string(wide), u"");

  char ansi[8];
  EXPECT_EQ(WideToAnsi(ansi, u"エラー", 8), ansi);
  EXPECT_EQ(U(ansi), "エラー");
  // Four bytes of room hold "エ" and a NUL, never "エ" and half of "ラ".
  EXPECT_EQ(WideToAnsi(ansi, u"エラー", 4), ansi);
  EXPECT_EQ(U(ansi), "エ");
  EXPECT_EQ(WideToAnsi(ansi, u"abc", 3), ansi);
  EXPECT_STREQ(ansi, "ab");
}

TEST_F(TextHelpersTest, NupGridIsTheClosestPairOfDivisors) {
  struct Case {
    WORD pages, columns, rows;
  } cases[] = {{1, 1, 1},  {2, 1, 2},  {4, 2, 2}, {6, 2, 3},         {8, 2, 4},        {9, 3, 3},
               {12, 3, 4}, {16, 4, 4}, {7, 1, 7}, {65535, 255, 257}, {65025, 255, 255}};
  for (const Case& c : cases) {
    WORD columns = 0, rows = 0;
    ComputeNupGrid(c.pages, &columns, &rows);
    EXPECT_EQ(columns, c.columns) << c.pages;
    EXPECT_EQ(rows, c.rows) << c.pages;
  }
  WORD untouched = 99;
  ComputeNupGrid(4, &untouched, nullptr);
  EXPECT_EQ(untouched, 99);
}

TEST_F(TextHelpersTest, DigitCountsAndDialogNames) {
  struct DigitCase {
    long long number;
    int digits;
  } digits[] = {{0, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3}, {-10, 2}, {2147483647, 10}, {LLONG_MIN, 19}};
  for (const DigitCase& c : digits) EXPECT_EQ(DigitCount(c.number), c.digits) << c.number;

  struct NameCase {
    const char* name;
    int id;
    // clang-format off
  } names[] = {{"IDD_DIALOG_SEPARATORS", 206}, {"IDC_INSERTTRAY_2", 1618}, {"IDEB_INSERTTRAY_BRIEF", 1341},
               {"IDC_INSERT", 0}, {"", 0}, {nullptr, 0}};
  // clang-format on
  for (const NameCase& c : names) EXPECT_EQ(DialogIdFromName(c.name), c.id) << (c.name ? c.name : "(null)");
}

}  // namespace
}  // namespace uitest
