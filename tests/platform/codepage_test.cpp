// Code-page conversions and the DBCS-aware text helpers. Code page 932 is the
// one that bites: 0x5C and ASCII letters are valid trail bytes there.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// Every test starts and ends in code page 932, whatever it switches to.
class CodePageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::SetAnsiCodePage(932)); }
  void TearDown() override { platform::SetAnsiCodePage(932); }
};

std::u16string Decode(UINT codePage, const std::string& bytes) {
  int need = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(need), u'\0');
  int got = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), need);
  EXPECT_EQ(got, need);
  return out;
}

std::string Encode(UINT codePage, const std::u16string& text, BOOL* usedDefault = nullptr,
                   const char* defaultChar = nullptr) {
  int need = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, defaultChar,
                                 usedDefault);
  std::string out(static_cast<size_t>(need), '\0');
  int got = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), need, defaultChar,
                                usedDefault);
  EXPECT_EQ(got, need);
  return out;
}

struct RoundTrip {
  const char* what;
  UINT codePage;
  std::string bytes;
  std::u16string text;
};

TEST_F(CodePageTest, ConvertsBothWays) {
  const std::vector<RoundTrip> cases = {
      {"trail byte 0x5C (so)", 932, Bytes({0x83, 0x5C}), u"ソ"},
      {"trail byte 0x5C (hyo)", 932, Bytes({0x95, 0x5C}), u"表"},
      {"trail byte 'A'", 932, Bytes({0x83, 0x41}), u"ア"},
      {"trail byte 'a'", 932, Bytes({0x83, 0x61}), u"ヂ"},
      {"half-width katakana", 932, Bytes({0xC4, 0xD7, 0xB8, 0xC0}), u"ﾄﾗｸﾀ"},
      {"full-width hyphen-minus", 932, Bytes({0x81, 0x7C}), u"\uFF0D"},
      {"full-width tilde", 932, Bytes({0x81, 0x60}), u"\uFF5E"},
      {"backslash and tilde stay ASCII", 932, "\\~", u"\\~"},
      {"watermark name", 932, Bytes({0x8E, 0xD0, 0x8A, 0x4F, 0x94, 0xE9}), u"社外秘"},
      {"mixed path", 932, "C:\\" + Bytes({0x83, 0x5C, 0x83, 0x74, 0x83, 0x67}) + "\\" + Bytes({0x95, 0x5C}) + ".ini",
       u"C:\\ソフト\\表.ini"},
      {"western letters", 1252, Bytes({0xE9, 0xC4, 0x80}), u"éÄ€"},
      {"symbol font range", 42, Bytes({0x20, 0x41, 0xB7, 0xFF}), u"\uF020\uF041\uF0B7\uF0FF"},
      {"symbol control bytes", 42, Bytes({0x09, 0x0A}), u"\t\n"},
      {"UTF-8", CP_UTF8, Bytes({0xE8, 0xA1, 0xA8, 0x41}), u"表A"},
      {"UTF-8 beyond the BMP", CP_UTF8, Bytes({0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600"},
  };
  for (const RoundTrip& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Decode(c.codePage, c.bytes), c.text);
    EXPECT_EQ(Encode(c.codePage, c.text), c.bytes);
  }
}

TEST_F(CodePageTest, EveryByteOf1252RoundTrips) {
  // Windows maps the five bytes 1252 leaves undefined onto U+0081 and friends, so
  // any byte string survives a trip through UTF-16.
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::u16string text = Decode(1252, all);
  ASSERT_EQ(text.size(), all.size());
  EXPECT_EQ(text[0x81 - 1], u'\u0081');
  EXPECT_EQ(text[0x9D - 1], u'\u009D');
  EXPECT_EQ(Encode(1252, text), all);
}

TEST_F(CodePageTest, Undefined932BytesRoundTrip) {
  // 0x80, 0xA0 and 0xFD-0xFF are not characters in the standard table; Windows
  // still gives each a code point so the bytes come back.
  std::string bytes = Bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF});
  std::u16string text = Decode(932, bytes);
  ASSERT_EQ(text.size(), 5u);
  EXPECT_EQ(text, u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(Encode(932, text), bytes);
}

TEST_F(CodePageTest, SizingRules) {
  const char* text = "a\x83\x41";  // "aア"
  // -1 counts the terminator, on both sides.
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, -1, nullptr, 0), 3);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"aア", -1, nullptr, 0, nullptr, nullptr), 4);
  WCHAR wide[8];
  ASSERT_EQ(MultiByteToWideChar(932, 0, text, -1, wide, 8), 3);
  EXPECT_EQ(std::u16string(wide), u"aア");
  // An explicit length converts exactly that much, with no terminator.
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, 3, nullptr, 0), 2);

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(932, 0, text, -1, wide, 2), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  char narrow[8];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(932, 0, u"aア", -1, narrow, 3, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

// A code page without a converter (here the Simplified Chinese one, which this
// machine does not carry) converts nothing; it once threw out of the conversion.
TEST_F(CodePageTest, TextInACodePageWithoutConverterConvertsToNothing) {
  EXPECT_NO_THROW(EXPECT_TRUE(platform::ToUtf16("\xb2\xe2", 936).empty()));
  EXPECT_NO_THROW(EXPECT_TRUE(platform::FromUtf16(u"abc", 936).empty()));
}

TEST_F(CodePageTest, RefusesBadArguments) {
  WCHAR wide[4];
  char narrow[4];
  struct Case {
    const char* what;
    int result;
  };
  const std::vector<Case> cases = {
      {"no source", MultiByteToWideChar(932, 0, nullptr, 3, wide, 4)},
      {"empty source", MultiByteToWideChar(932, 0, "abc", 0, wide, 4)},
      {"negative length", MultiByteToWideChar(932, 0, "abc", -2, wide, 4)},
      {"no target but a size", MultiByteToWideChar(932, 0, "abc", 3, nullptr, 4)},
      {"unknown code page", MultiByteToWideChar(12345, 0, "abc", 3, wide, 4)},
      {"wide: no source", WideCharToMultiByte(932, 0, nullptr, 3, narrow, 4, nullptr, nullptr)},
      {"wide: negative size", WideCharToMultiByte(932, 0, u"abc", 3, narrow, -1, nullptr, nullptr)},
      {"wide: UTF-8 with a default char", WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 4, "?", nullptr)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.result, 0);
  }
  // Each call sets the error; check it once per call kind.
  SetLastError(0);
  MultiByteToWideChar(932, 0, "abc", 0, wide, 4);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  BOOL used = FALSE;
  WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, narrow, 4, nullptr, &used);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST_F(CodePageTest, InvalidInput) {
  struct Case {
    const char* what;
    UINT codePage;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"lead byte without trail", 932, Bytes({'a', 0x83})},
      {"lead byte with a blank after it", 932, Bytes({0x83, 0x20})},
      {"UTF-8 broken sequence", CP_UTF8, Bytes({0xC3, 0x28})},
      {"UTF-8 lone continuation", CP_UTF8, Bytes({'a', 0x80})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WCHAR out[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.codePage, MB_ERR_INVALID_CHARS, c.bytes.data(), int(c.bytes.size()), out, 8), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
    // Without the flag the bad bytes are replaced and the rest converts.
    EXPECT_GT(MultiByteToWideChar(c.codePage, 0, c.bytes.data(), int(c.bytes.size()), out, 8), 0);
  }
}

TEST_F(CodePageTest, BrokenCharacterDoesNotSwallowTheTerminator) {
  // A string that ends in half a double-byte character still converts to a
  // terminated string: the NUL is not a trail byte.
  const char text[] = {'a', static_cast<char>(0x83), 0};
  WCHAR out[8];
  std::fill(std::begin(out), std::end(out), u'x');
  int got = MultiByteToWideChar(932, 0, text, -1, out, 8);
  ASSERT_EQ(got, 3);
  EXPECT_EQ(out[0], u'a');
  EXPECT_EQ(out[2], u'\0');
  // Nor a following ASCII character that cannot be a trail byte: only the lead
  // byte is replaced.
  EXPECT_EQ(Decode(932, Bytes({0x83, '!', 'b'})), u"\u30FB!b");
}

TEST_F(CodePageTest, DefaultCharacter) {
  struct Case {
    const char* what;
    UINT codePage;
    std::u16string text;
    const char* defaultChar;
    std::string expected;
    BOOL used;
  };
  const std::vector<Case> cases = {
      {"all mappable", 932, u"aソ", nullptr, "a" + Bytes({0x83, 0x5C}), FALSE},
      {"euro sign has no 932 form", 932, u"a€b", nullptr, "a?b", TRUE},
      {"caller's default", 932, u"a€b", "*", "a*b", TRUE},
      {"Japanese in 1252", 1252, u"x表", nullptr, "x?", TRUE},
      {"symbol: outside the font range", 42, u"\uF041\u3042", nullptr, "A?", TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BOOL used = 2;
    EXPECT_EQ(Encode(c.codePage, c.text, &used, c.defaultChar), c.expected);
    EXPECT_EQ(used, c.used);
  }
}

TEST_F(CodePageTest, ProcessCodePageSwitches) {
  EXPECT_EQ(GetACP(), 932u);
  const std::string e = Bytes({0xE9});
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  EXPECT_EQ(GetACP(), 1252u);
  EXPECT_EQ(platform::ToUtf16(e), u"é");
  EXPECT_EQ(platform::Utf8FromAnsi(e), "é");
  EXPECT_FALSE(IsDBCSLeadByte(0x83));
  // In 1252 the bytes of "ソ" are two characters, and the 0x5C is a real backslash.
  EXPECT_EQ(platform::FindLastCharAnsi(Bytes({0x83, 0x5C}), '\\'), 1u);

  ASSERT_TRUE(platform::SetAnsiCodePage(CP_UTF8));
  EXPECT_EQ(platform::ToUtf16("表"), u"表");

  EXPECT_FALSE(platform::SetAnsiCodePage(CP_SYMBOL));  // not a text code page
  EXPECT_FALSE(platform::SetAnsiCodePage(12345));
  EXPECT_EQ(GetACP(), UINT(CP_UTF8));

  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  EXPECT_TRUE(IsDBCSLeadByte(0x83));
  EXPECT_EQ(platform::ToUtf16(Bytes({0x83, 0x5C})), u"ソ");
}

TEST_F(CodePageTest, WalksCharactersNotBytes) {
  // "aソb表c": offsets of the characters are 0, 1, 3, 4, 6.
  const std::string text = "a" + Bytes({0x83, 0x5C}) + "b" + Bytes({0x95, 0x5C}) + "c";
  const char* start = text.c_str();
  std::vector<ptrdiff_t> forward;
  for (const char* p = start; *p; p = CharNextA(p)) forward.push_back(p - start);
  EXPECT_EQ(forward, (std::vector<ptrdiff_t>{0, 1, 3, 4, 6}));
  EXPECT_EQ(CharNextA(start + text.size()), start + text.size());  // stays on the terminator

  std::vector<ptrdiff_t> backward;
  for (const char* p = start + text.size(); p > start;) {
    p = CharPrevA(start, p);
    backward.push_back(p - start);
  }
  EXPECT_EQ(backward, (std::vector<ptrdiff_t>{6, 4, 3, 1, 0}));
  EXPECT_EQ(CharPrevA(start, start), start);

  EXPECT_EQ(platform::CharLengthAnsi(text, 1), 2u);
  EXPECT_EQ(platform::CharLengthAnsi(text, 3), 1u);
}

TEST_F(CodePageTest, FindsTheRealBackslash) {
  // C:\ソフト\表.ini — two trail bytes 0x5C besides the three real separators.
  const std::string path = "C:\\" + Bytes({0x83, 0x5C, 0x83, 0x74, 0x83, 0x67}) + "\\" + Bytes({0x95, 0x5C}) + ".ini";
  EXPECT_EQ(platform::FindLastCharAnsi(path, '\\'), 9u);
  EXPECT_EQ(platform::FindFirstCharAnsi(path, '\\'), 2u);
  EXPECT_EQ(platform::FindLastCharAnsi(Bytes({0x95, 0x5C}), '\\'), std::string::npos);
  EXPECT_EQ(platform::FindFirstCharAnsi(Bytes({0x83, 0x5C, 0x83, 0x5C}), '\\'), std::string::npos);
}

TEST_F(CodePageTest, CaseRulesLeaveTrailBytesAlone) {
  const std::string a = Bytes({0x83, 0x41});   // ア
  const std::string di = Bytes({0x83, 0x61});  // ヂ
  EXPECT_NE(lstrcmpiA(a.c_str(), di.c_str()), 0);
  EXPECT_FALSE(platform::EqualsNoCaseAnsi(a, di));
  EXPECT_NE(platform::FoldCaseAnsi(a), platform::FoldCaseAnsi(di));
  EXPECT_EQ(lstrcmpiA(("x" + a + "y").c_str(), ("X" + a + "Y").c_str()), 0);
  EXPECT_TRUE(platform::EqualsNoCaseAnsi("Model" + a, "MODEL" + a));
  EXPECT_TRUE(platform::EqualsNoCase(u"ａｂ", u"ＡＢ"));  // full-width letters fold too

  std::string upper = di + "a" + a + "z";
  CharUpperA(upper.data());
  EXPECT_EQ(upper, di + "A" + a + "Z");
  std::string lower = a + "A" + di;
  CharLowerA(lower.data());
  EXPECT_EQ(lower, a + "a" + di);
  std::string buffer = di + "ab";
  EXPECT_EQ(CharUpperBuffA(buffer.data(), 3), 3u);  // the length covers "ヂa" only
  EXPECT_EQ(buffer, di + "Ab");
  EXPECT_EQ(platform::FoldCaseAnsi(di + "q"), di + "Q");
}

TEST_F(CodePageTest, CopiesAndComparesPlainStrings) {
  char buffer[5];
  lstrcpynA(buffer, "abcdefg", 5);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_LT(lstrcmpA("abc", "abd"), 0);
  EXPECT_GT(lstrcmpiA("abd", "ABC"), 0);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  EXPECT_EQ(lstrlenW(u"表a"), 2);
}

}  // namespace
