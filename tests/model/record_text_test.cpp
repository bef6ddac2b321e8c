// The text steps under every parser: cutting names to a field and trimming
// without splitting a double-byte character (whose second byte may be a
// backslash or a letter in code page 932), and reading numbers without overflow.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

#include "model/record_text.h"
#include "platform/base/codepage.h"

namespace modeltext {
namespace {

std::string A(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

TEST(CopyName, CutsBetweenWholeCharacters) {
  // "表ソA" is 0x95 0x5C, 0x83 0x5C, 'A': the second byte of each is a backslash.
  const std::string text = A("表ソA");
  ASSERT_EQ(text.size(), 5u);
  struct Case {
    size_t field;
    size_t kept;
  } cases[] = {{1, 0}, {2, 0}, {3, 2}, {4, 2}, {5, 4}, {6, 5}, {10, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    char field[12];
    std::memset(field, 'x', sizeof field);
    CopyName(field, c.field, text);
    EXPECT_EQ(std::string(field), text.substr(0, c.kept));
    for (size_t i = c.kept; i < c.field; ++i) EXPECT_EQ(field[i], 0) << i;
    EXPECT_EQ(field[c.field], 'x');  // nothing written past the field
  }
}

TEST(CopyName, StopsAtALoneLeadByte) {
  char field[4];
  CopyName(field, std::string_view("A\x83", 2));
  EXPECT_STREQ(field, "A\x83");  // a lead byte at the very end stands for itself
  CopyName(field, std::string_view("AB\x83\x5C", 4));
  EXPECT_STREQ(field, "AB");
}

TEST(Split, StepsOverDoubleByteCharacters) {
  const std::string text = A("ソ,表;x");
  auto pieces = Split(text, ",;");
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(std::string(pieces[0]), A("ソ"));
  EXPECT_EQ(std::string(pieces[1]), A("表"));
  EXPECT_EQ(pieces[2], "x");
  EXPECT_EQ(std::string(TrimRight(A("表  \t"))), A("表"));
}

TEST(ReadInt, ReadsAsAtoiWithoutOverflow) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {{"42", 42},
               {"  -17xyz", -17},
               {"+8", 8},
               {"", 0},
               {"abc", 0},
               {"2147483647", std::numeric_limits<int32_t>::max()},
               {"99999999999999999999", std::numeric_limits<int32_t>::max()},
               {"-2147483648", std::numeric_limits<int32_t>::min()},
               {"-99999999999999999999", std::numeric_limits<int32_t>::min()}};
  for (const Case& c : cases) EXPECT_EQ(ReadInt(c.text), c.value) << c.text;
  EXPECT_EQ(ReadUnsigned("-2"), 0xFFFFFFFEu);
  EXPECT_EQ(ReadUnsigned("99999999999"), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace modeltext
