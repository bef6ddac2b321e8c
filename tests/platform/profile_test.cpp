// The ini-file profile functions. The model descriptions reach the driver through
// this reader, so one wrong rule corrupts every model record: the fixture below is
// written in code page 932 bytes, with Japanese section and key names whose trail
// bytes are "\", "]" and ASCII letters.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/ini_files.h"
#include "platform/base/profile.h"
#include "tests/support/machine_fixture.h"

namespace {

namespace fs = std::filesystem;

// ANSI (code page 932) bytes of UTF-8 source text.
std::string A(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// A model description as a vendor would ship it: CRLF, comments, odd spacing.
std::string ModelFixture() {
  return "; model description\r\n"
         "[General]\r\n"
         "ModelDLL = kov5.dll   \r\n"
         "Name=\"Quoted Value\"\r\n"
         "Single='single'\r\n"
         "Mismatch=\"abc'\r\n"
         "Empty=\r\n"
         "NoEquals\r\n"
         ";Commented=1\r\n"
         "Dup=first\r\n"
         "dup=second\r\n"
         "  Indented  =  spaced value  \r\n"
         "Number=  12abc\r\n"
         "\r\n"
         "[" +
         A("ソフト表") + "]\r\n" + A("表示") + "=" + A("ア") + "\r\n" + A("ア") + "=katakana a\r\n" + A("ヂ") +
         "=katakana di\r\n"
         "[general]\r\n"
         "Late=hidden\r\n"
         "[" +
         A("ゾ") +
         "]\r\n"  // 0x83 0x5D: the trail byte is "]"
         "Key=zo\r\n"
         "[Empty]\r\n";
}

class ProfileTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    ASSERT_EQ(A("ゾ"), Bytes({0x83, 0x5D}));
    ASSERT_EQ(A("表"), Bytes({0x95, 0x5C}));
  }

  // Writes raw bytes to a file given by its Windows path (UTF-8).
  void Put(const std::string& windowsPath, const std::string& bytes) {
    fs::path host = Host(windowsPath);
    fs::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Contents(const std::string& windowsPath) {
    std::ifstream in(Host(windowsPath), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& windowsPath) { return fs::exists(Host(windowsPath)); }

  // GetPrivateProfileStringA into a buffer of the given size, and its answer.
  struct Read {
    DWORD answer;
    std::string buffer;  // the whole buffer, NULs included
    std::string text() const { return buffer.substr(0, buffer.find('\0')); }
  };
  Read Get(const char* section, const char* key, const char* fallback = "(default)", DWORD size = 256,
           const char* file = "model.ini") {
    std::string buffer(size, '\x7F');
    DWORD answer = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file);
    return {answer, buffer};
  }
  std::string Value(const std::string& section, const std::string& key, const char* file = "model.ini") {
    return Get(section.c_str(), key.c_str(), "(default)", 256, file).text();
  }
};

TEST_F(ProfileTest, ReadsValuesByWindowsRules) {
  Put("C:\\Windows\\MODEL.INI", ModelFixture());  // the name matches without regard to case
  struct Case {
    std::string section, key, expected;
  };
  const std::vector<Case> cases = {
      {"GENERAL", "modeldll", "kov5.dll"},     // names fold, blanks around "=" and at the end go
      {"General", "Name", "Quoted Value"},     // matching double quotes go
      {"General", "Single", "single"},         // and single ones
      {"General", "Mismatch", "\"abc'"},       // quotes that do not match stay
      {"General", "Empty", ""},                // present but empty is not missing
      {"General", "NoEquals", "(default)"},    // a line without "=" has no value
      {"General", ";Commented", "(default)"},  // comments are not keys
      {"General", "Dup", "first"},             // the first of two keys wins
      {"General", "Indented", "spaced value"},
      {"General", "Late", "(default)"},  // a second [General] is hidden by the first
      {"General", "Missing", "(default)"},
      {"Missing", "ModelDLL", "(default)"},
      {A("ソフト表"), A("表示"), A("ア")},      // Japanese names; trail bytes 0x5C
      {A("ソフト表"), A("ア"), "katakana a"},   // trail 0x41 and 0x61 are not letters:
      {A("ソフト表"), A("ヂ"), "katakana di"},  // ア and ヂ are two keys
      {A("ゾ"), "KEY", "zo"},                   // trail byte "]" does not end the header
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf8FromAnsi(c.section) + "/" + platform::Utf8FromAnsi(c.key));
    Read read = Get(c.section.c_str(), c.key.c_str());
    EXPECT_EQ(read.text(), c.expected);
    EXPECT_EQ(read.answer, c.expected.size());
  }
}

TEST_F(ProfileTest, CopiesWithinTheBuffer) {
  Put("C:\\Windows\\model.ini", "[S]\r\nKey=kov5.dll\r\nWide=" + A("アア") + "\r\n");
  struct Case {
    const char* what;
    const char* key;
    const char* fallback;
    DWORD size;
    std::string text;
    DWORD answer;
  };
  const std::vector<Case> cases = {
      {"fits exactly", "Key", "", 9, "kov5.dll", 8},
      {"cut to size-1", "Key", "", 5, "kov5", 4},
      {"one unit", "Key", "", 1, "", 0},
      {"double-byte character is not split", "Wide", "", 4, A("ア"), 3},
      {"default loses trailing blanks", "Missing", "dflt  \t", 64, "dflt", 4},
      {"default is cut too", "Missing", "dflt", 3, "df", 2},
      {"NULL default is empty", "Missing", nullptr, 64, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Read read = Get("S", c.key, c.fallback, c.size);
    EXPECT_EQ(read.text(), c.text);
    EXPECT_EQ(read.answer, c.answer);
    EXPECT_EQ(read.buffer.find('\0'), c.text.size());  // always terminated
  }
  char untouched[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetPrivateProfileStringA("S", "Key", "", untouched, 0, "model.ini"), 0u);
  EXPECT_EQ(untouched[0], 'x');
}

TEST_F(ProfileTest, ListsKeysAndSections) {
  Put("C:\\Windows\\model.ini", ModelFixture());
  const std::string generalKeys =
      std::string("ModelDLL\0Name\0Single\0Mismatch\0Empty\0NoEquals\0Dup\0Indented\0Number\0\0", 66);
  Read keys = Get("general", nullptr);
  EXPECT_EQ(keys.buffer.substr(0, generalKeys.size()), generalKeys);
  EXPECT_EQ(keys.answer, generalKeys.size() - 1);

  const std::string sections = "General" + std::string(1, '\0') + A("ソフト表") + std::string(1, '\0') + A("ゾ") +
                               std::string(1, '\0') + "Empty" + std::string(2, '\0');
  Read names = Get(nullptr, "ignored");
  EXPECT_EQ(names.buffer.substr(0, sections.size()), sections);
  EXPECT_EQ(names.answer, sections.size() - 1);
  std::string buffer(256, '\x7F');
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer.data(), 256, "model.ini"), sections.size() - 1);
  EXPECT_EQ(buffer.substr(0, sections.size()), sections);

  const std::string japanese = A("表示") + "=" + A("ア") + std::string(1, '\0') + A("ア") + "=katakana a" +
                               std::string(1, '\0') + A("ヂ") + "=katakana di" + std::string(2, '\0');
  EXPECT_EQ(GetPrivateProfileSectionA(A("ソフト表").c_str(), buffer.data(), 256, "model.ini"), japanese.size() - 1);
  EXPECT_EQ(buffer.substr(0, japanese.size()), japanese);

  // An empty section gives an empty list; a missing section the default text, so
  // that a caller can tell the two apart.
  Read empty = Get("Empty", nullptr);
  EXPECT_EQ(empty.answer, 0u);
  EXPECT_EQ(empty.buffer.substr(0, 2), std::string(2, '\0'));
  Read missing = Get("Missing", nullptr);
  EXPECT_EQ(missing.answer, 9u);
  EXPECT_EQ(missing.text(), "(default)");
  Read missingFile = Get("Empty", nullptr, "(default)", 256, "absent.ini");
  EXPECT_EQ(missingFile.text(), "(default)");
  SetLastError(0);
  Read none = Get(nullptr, nullptr, "(default)", 256, "absent.ini");
  EXPECT_EQ(none.answer, 0u);
  EXPECT_EQ(none.buffer.substr(0, 2), std::string(2, '\0'));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Get("General", "ModelDLL", "(default)", 256, "absent.ini").text(), "(default)");
}

TEST_F(ProfileTest, CutsListsWithTwoTerminators) {
  Put("C:\\Windows\\model.ini", "[S]\r\nAlpha=1\r\nBeta=2\r\n" + A("ソソ") + "=3\r\n");
  struct Case {
    DWORD size;
    std::string buffer;  // what the call leaves in the whole buffer
    DWORD answer;
  };
  const std::string z(1, '\0');
  const std::vector<Case> cases = {
      {17, "Alpha" + z + "Beta" + z + A("ソソ") + z + z, 16},    // fits exactly
      {16, "Alpha" + z + "Beta" + z + A("ソ") + z + z + z, 14},  // cut inside a name: never half a character
      {13, "Alpha" + z + "Beta" + z + z + z, 11},
      {8, "Alpha" + z + z + z, 6},
      {2, z + z, 0},
      {1, z, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    Read read = Get("S", nullptr, "", c.size);
    EXPECT_EQ(read.buffer, c.buffer);
    EXPECT_EQ(read.answer, c.answer);
  }
}

TEST_F(ProfileTest, ReadsIntegers) {
  Put("C:\\Windows\\model.ini",
      "[I]\r\nLead=  12abc\r\nNeg=-1\r\nEmpty=\r\nHex=0x10\r\nPlus=+7\r\nWord=abc\r\nBig=4294967295\r\n"
      "Quoted=\"  42\"\r\nBlank=   \r\n");
  struct Case {
    const char* key;
    INT expected;
  };
  const std::vector<Case> cases = {
      {"Lead", 12}, {"Neg", -1}, {"Empty", 99},  {"Hex", 0},    {"Plus", 7},
      {"Word", 0},  {"Big", -1}, {"Quoted", 42}, {"Blank", 99}, {"Missing", 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntA("i", c.key, 99, "model.ini")), c.expected);
  }
  EXPECT_EQ(GetPrivateProfileIntA("I", "Lead", 99, "absent.ini"), 99u);
  EXPECT_EQ(static_cast<INT>(GetPrivateProfileIntW(u"I", u"Neg", 99, u"MODEL.ini")), -1);
}

TEST_F(ProfileTest, FindsFilesByWindowsPath) {
  // A folder with trail bytes 0x5C in its name, given in ANSI bytes.
  Put("C:\\ソフト\\表.ini", "[S]\r\nK=in folder\r\n");
  const std::string ansiPath = "C:\\" + A("ソフト") + "\\" + A("表") + ".ini";
  EXPECT_EQ(Value("S", "K", ansiPath.c_str()), "in folder");
  const std::string upperPath = "c:/" + A("ソフト") + "/" + A("表") + ".INI";
  EXPECT_EQ(Value("S", "K", upperPath.c_str()), "in folder");

  // A bare name lives in the Windows folder; NULL and the GetProfile calls mean win.ini there.
  ASSERT_TRUE(WriteProfileStringA("intl", "iCountry", "81"));
  EXPECT_TRUE(Exists("C:\\Windows\\win.ini"));
  EXPECT_EQ(GetProfileIntA("INTL", "icountry", 0), 81u);
  EXPECT_EQ(Value("intl", "iCountry", "WIN.INI"), "81");
  char buffer[8];
  EXPECT_EQ(GetProfileStringA("intl", "iCountry", "", buffer, sizeof buffer), 2u);
  EXPECT_STREQ(buffer, "81");
  EXPECT_EQ(GetPrivateProfileStringA("intl", "iCountry", "", buffer, sizeof buffer, nullptr), 2u);
}

TEST_F(ProfileTest, WideCallsConvertAndCountCharacters) {
  Put("C:\\Windows\\model.ini", ModelFixture());
  WCHAR buffer[64];
  EXPECT_EQ(GetPrivateProfileStringW(u"ソフト表", u"表示", u"", buffer, 64, u"model.ini"), 1u);
  EXPECT_EQ(std::u16string(buffer), u"ア");
  EXPECT_EQ(GetPrivateProfileStringW(u"general", u"Name", u"", buffer, 6, u"model.ini"), 5u);
  EXPECT_EQ(std::u16string(buffer), u"Quote");
  EXPECT_EQ(GetPrivateProfileStringW(u"Nope", u"x", u"既定  ", buffer, 64, u"model.ini"), 2u);
  EXPECT_EQ(std::u16string(buffer), u"既定");

  std::u16string expected(u"表示\0ア\0ヂ\0\0", 8);
  EXPECT_EQ(GetPrivateProfileStringW(u"ソフト表", nullptr, u"", buffer, 64, u"model.ini"), 7u);
  EXPECT_EQ(std::u16string(buffer, 8), expected);
  EXPECT_EQ(GetPrivateProfileStringW(u"ソフト表", nullptr, u"", buffer, 5, u"model.ini"), 3u);
  EXPECT_EQ(std::u16string(buffer, 5), std::u16string(u"表示\0\0\0", 5));

  // Written through the wide call, stored as ANSI bytes.
  ASSERT_TRUE(WritePrivateProfileStringW(u"新規", u"名前", u"値", u"wide.ini"));
  EXPECT_EQ(Contents("C:\\Windows\\wide.ini"), "[" + A("新規") + "]\r\n" + A("名前") + "=" + A("値") + "\r\n");
}

TEST_F(ProfileTest, WritesKeepEveryOtherLine) {
  const std::string original =
      "; header comment\n"
      "[General]\n"
      "ModelDLL = old.dll ; not a comment\n"
      "; comment in a section\n"
      "Other=1\n"
      "\n"
      "[" +
      A("ソフト表") + "]\n" + A("ア") +
      "=a\n"
      "[Last]\n"
      "X=1";  // no line ending at the end of the file
  Put("C:\\Windows\\model.ini", original);
  const std::string di = A("ヂ");
  struct Step {
    const char* what;
    std::string section;
    const char* key;
    const char* value;
    std::string fileAfter;
  };
  const std::vector<Step> steps = {
      {"replace keeps the key's spelling and the line ending", "general", "MODELDLL", "new.dll",
       // clang-format off
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nOther=1\n\n[" + A("ソフト表") +
           // clang-format on
           "]\n" + A("ア") + "=a\n[Last]\nX=1"},
      {"a new key goes after the section's last key", "General", "Added", "2",
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nOther=1\nAdded=2\n\n[" + A("ソフト表") +
           "]\n" + A("ア") + "=a\n[Last]\nX=1"},
      {"ア and ヂ are different keys", A("ソフト表"), di.c_str(), "di",
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nOther=1\nAdded=2\n\n[" + A("ソフト表") +
           "]\n" + A("ア") + "=a\n" + A("ヂ") + "=di\n[Last]\nX=1"},
      {"a new section goes at the end, in the file's line ending", "New", "K", "v",
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nOther=1\nAdded=2\n\n[" + A("ソフト表") +
           "]\n" + A("ア") + "=a\n" + A("ヂ") + "=di\n[Last]\nX=1\n[New]\nK=v\n"},
      {"NULL value deletes the key", "GENERAL", "other", nullptr,
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nAdded=2\n\n[" + A("ソフト表") + "]\n" +
           A("ア") + "=a\n" + A("ヂ") + "=di\n[Last]\nX=1\n[New]\nK=v\n"},
      {"NULL key deletes the section", A("ソフト表"), nullptr, nullptr,
       "; header comment\n[General]\nModelDLL=new.dll\n; comment in a section\nAdded=2\n\n[Last]\nX=1\n[New]\nK="
       "v\n"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    ASSERT_TRUE(WritePrivateProfileStringA(step.section.c_str(), step.key, step.value, "model.ini"));
    EXPECT_EQ(Contents("C:\\Windows\\model.ini"), step.fileAfter);
  }
  EXPECT_EQ(Value("General", "ModelDLL"), "new.dll");
  EXPECT_EQ(Value("General", "Other"), "(default)");
  EXPECT_EQ(Value(A("ソフト表"), A("ア")), "(default)");
}

TEST_F(ProfileTest, DeletesHideNothingBehind) {
  // Removing the first of two keys or sections must not bring the second to light.
  Put("C:\\Windows\\model.ini", "[S]\r\nK=1\r\nk=2\r\n[T]\r\nA=1\r\n[s]\r\nK=3\r\nL=4\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("S", "K", nullptr, "model.ini"));
  EXPECT_EQ(Value("S", "K"), "(default)");
  ASSERT_TRUE(WritePrivateProfileStringA("s", nullptr, nullptr, "model.ini"));
  EXPECT_EQ(Value("S", "L"), "(default)");
  EXPECT_EQ(Contents("C:\\Windows\\model.ini"), "[T]\r\nA=1\r\n");
}

TEST_F(ProfileTest, WriteCreatesTheFileAndReadsBack) {
  EXPECT_FALSE(Exists("C:\\Windows\\vpt.ini"));
  // Deleting from a file that does not exist succeeds and creates nothing.
  EXPECT_TRUE(WritePrivateProfileStringA("Printer", nullptr, nullptr, "vpt.ini"));
  EXPECT_TRUE(WritePrivateProfileStringA("Printer", "VP1", nullptr, "vpt.ini"));
  EXPECT_FALSE(Exists("C:\\Windows\\vpt.ini"));

  ASSERT_TRUE(WritePrivateProfileStringA("Printer", "VPTIndex", "2", "vpt.ini"));
  EXPECT_EQ(Contents("C:\\Windows\\VPT.INI"), "[Printer]\r\nVPTIndex=2\r\n");
  struct Case {
    const char* value;
    const char* readBack;
  };
  const std::vector<Case> cases = {
      {"plain", "plain"}, {"  padded  ", "padded"}, {"\"quoted\"", "quoted"},
      {"", ""},           {"a=b", "a=b"},           {"; not a comment", "; not a comment"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_TRUE(WritePrivateProfileStringA("Printer", "VP1", c.value, "vpt.ini"));
    EXPECT_EQ(Value("printer", "vp1", "vpt.ini"), c.readBack);
  }
  // A NULL section only flushes.
  std::string before = Contents("C:\\Windows\\vpt.ini");
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, "VP1", "x", "vpt.ini"));
  EXPECT_EQ(Contents("C:\\Windows\\vpt.ini"), before);
}

TEST_F(ProfileTest, RefusesWhatCouldNotBeReadBack) {
  Put("C:\\Windows\\model.ini", "[S]\r\nK=1\r\n");
  struct Case {
    const char* what;
    std::string section;
    const char* key;
    const char* value;
  };
  const std::vector<Case> cases = {
      {"line break in a value would start a new line", "S", "K", "1\r\n[Evil]\r\nX=1"},
      {"\"=\" in a key", "S", "a=b", "1"},
      {"\"]\" in a section", "a]b", "K", "1"},
      {"a key that reads as a comment", "S", ";K", "1"},
      {"an empty key", "S", "  ", "1"},
      {"an empty section", "", "K", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA(c.section.c_str(), c.key, c.value, "model.ini"));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_EQ(Contents("C:\\Windows\\model.ini"), "[S]\r\nK=1\r\n");
  // "]" as the trail byte of a Japanese section name is no bracket.
  ASSERT_TRUE(WritePrivateProfileStringA(A("ゾ").c_str(), "K", "zo", "model.ini"));
  EXPECT_EQ(Value(A("ゾ"), "K"), "zo");

  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringA("S", "K", "1", "C:\\No such folder\\x.ini"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(ProfileTest, ReplacesTheFileAtomically) {
  Put("C:\\Windows\\model.ini", "[S]\r\nK=old\r\n");
  fs::path host = Host("C:\\Windows\\model.ini");
  // A reader that opened the file before the write keeps reading a whole old file:
  // the new one is renamed into place, never written over the old one.
  int reader = ::open(host.c_str(), O_RDONLY);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "a much longer new value", "model.ini"));
  char buffer[64] = {};
  ssize_t got = ::pread(reader, buffer, sizeof buffer - 1, 0);
  ::close(reader);
  EXPECT_EQ(std::string(buffer, got > 0 ? size_t(got) : 0), "[S]\r\nK=old\r\n");
  EXPECT_EQ(Value("S", "K"), "a much longer new value");
  // No temporary file is left behind.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(host.parent_path())) {
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"model.ini"});
}

TEST_F(ProfileTest, WritesThroughALink) {
  Put("C:\\Data\\real.ini", "[S]\r\nK=1\r\n");
  fs::path link = Host("C:\\Windows\\linked.ini");
  fs::create_symlink(Host("C:\\Data\\real.ini"), link);
  ASSERT_TRUE(WritePrivateProfileStringA("S", "K", "2", "linked.ini"));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Contents("C:\\Data\\real.ini"), "[S]\r\nK=2\r\n");
}

TEST_F(ProfileTest, SeesChangesMadeBehindItsBack) {
  Put("C:\\Windows\\model.ini", "[S]\r\nK=one\r\n");
  EXPECT_EQ(Value("S", "K"), "one");
  // Same size, rewritten in place, with a modification time of its own.
  Put("C:\\Windows\\model.ini", "[S]\r\nK=two\r\n");
  fs::path host = Host("C:\\Windows\\model.ini");
  fs::last_write_time(host, fs::last_write_time(host) + std::chrono::seconds(3));
  EXPECT_EQ(Value("S", "K"), "two");
  // Deleted, then created again under another case.
  fs::remove(host);
  EXPECT_EQ(Value("S", "K"), "(default)");
  Put("C:\\Windows\\MODEL.INI", "[S]\r\nK=three\r\n");
  EXPECT_EQ(Value("S", "K"), "three");
}

// A file replaced behind the reader's back with one of the same size and times
// (as a copy that keeps times would leave it) is still seen: the old file was
// renamed away or unlinked, and the reader notices that, not only new times.
TEST_F(ProfileTest, SeesAFileReplacedBehindItsBackWithTheSameTimes) {
  Put("C:\\Windows\\model.ini", "[S]\r\nK=one\r\n");
  EXPECT_EQ(Value("S", "K"), "one");
  fs::path host = Host("C:\\Windows\\model.ini");
  const auto times = fs::last_write_time(host);

  // Renamed over: the file read before loses its last link.
  Put("C:\\Windows\\next.ini", "[S]\r\nK=two\r\n");
  fs::last_write_time(Host("C:\\Windows\\next.ini"), times);
  fs::rename(Host("C:\\Windows\\next.ini"), host);
  EXPECT_EQ(Value("S", "K"), "two");

  // Moved aside and another put in its place: the file read before still exists.
  fs::rename(host, Host("C:\\Windows\\old.ini"));
  Put("C:\\Windows\\model.ini", "[S]\r\nK=six\r\n");
  fs::last_write_time(host, fs::last_write_time(Host("C:\\Windows\\old.ini")));
  EXPECT_EQ(Value("S", "K"), "six");
}

TEST_F(ProfileTest, ParsesOnceUntilTheFileChanges) {
  Put("C:\\Windows\\model.ini", ModelFixture());
  platform::IniRead first = platform::ReadIniFile("C:\\Windows\\model.ini");
  ASSERT_TRUE(first.document);
  EXPECT_EQ(platform::ReadIniFile("c:\\windows\\MODEL.ini").document, first.document);
  ASSERT_TRUE(WritePrivateProfileStringA("General", "ModelDLL", "x.dll", "model.ini"));
  platform::IniRead second = platform::ReadIniFile("C:\\Windows\\model.ini");
  EXPECT_NE(second.document, first.document);
  EXPECT_EQ(second.document->Value("General", "ModelDLL"), "x.dll");
  EXPECT_EQ(platform::ReadIniFile("C:\\Windows\\model.ini").document, second.document);
}

TEST_F(ProfileTest, ParsesAgainInAnotherCodePage) {
  // In 1252, 0x83 0x5D is two characters and the header ends at the first "]".
  const std::string zo = A("ゾ");
  Put("C:\\Windows\\model.ini", "[" + zo + "]\r\nKey=zo\r\n");
  EXPECT_EQ(Value(zo, "Key"), "zo");
  ASSERT_TRUE(platform::SetAnsiCodePage(1252));
  EXPECT_EQ(Value(Bytes({0x83}), "Key"), "zo");
  EXPECT_EQ(Value(zo, "Key"), "(default)");
  ASSERT_TRUE(platform::SetAnsiCodePage(932));
  EXPECT_EQ(Value(zo, "Key"), "zo");
}

TEST_F(ProfileTest, ConcurrentWritersLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kKeys = 25;
  auto writeKeys = [](const std::string& prefix) {
    for (int i = 0; i < kKeys; ++i) {
      std::string key = prefix + std::to_string(i);
      WritePrivateProfileStringA("Shared", key.c_str(), key.c_str(), "shared.ini");
      char buffer[32];
      GetPrivateProfileStringA("Shared", key.c_str(), "", buffer, sizeof buffer, "shared.ini");
    }
  };
  // One writer in another process, several threads in this one.
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    writeKeys("p");
    ::_exit(0);
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(writeKeys, "t" + std::to_string(t) + "_");
  for (std::thread& thread : threads) thread.join();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::vector<std::string> prefixes = {"p"};
  for (int t = 0; t < kThreads; ++t) prefixes.push_back("t" + std::to_string(t) + "_");
  for (const std::string& prefix : prefixes) {
    for (int i = 0; i < kKeys; ++i) {
      std::string key = prefix + std::to_string(i);
      EXPECT_EQ(Value("Shared", key, "shared.ini"), key);
    }
  }
}

}  // namespace
