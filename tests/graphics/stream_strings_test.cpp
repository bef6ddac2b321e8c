// The driver's string helpers and its read-only file mapping: every result is
// terminated inside its buffer, no double-byte character is cut in half, and a
// mapping never creates the file it was asked to map.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/stream/map_data_file.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

TEST(StreamStrings, CopyStringPaddedFillsWithZerosAndKeepsCharactersWhole) {
  const std::string japanese = platform::AnsiFromUtf8("日本語");  // 6 bytes in code page 932
  struct Case {
    std::string text;
    size_t size;
    std::string want;
  } cases[] = {
      {"abc", 8, "abc"},
      {"abcdefgh", 4, "abc"},
      {japanese, 6, japanese.substr(0, 4)},  // 5 bytes room: two whole characters
      {japanese, 7, japanese},
      {"", 3, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    char buffer[16];
    std::memset(buffer, 0x55, sizeof buffer);
    CopyStringPadded(buffer, c.text.c_str(), c.size);
    EXPECT_EQ(std::string(buffer), c.want);
    for (size_t i = c.want.size(); i < c.size; ++i) EXPECT_EQ(buffer[i], 0) << i;
    for (size_t i = c.size; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0x55) << i;
  }
  char untouched = 0x55;
  CopyStringPadded(&untouched, "x", 0);
  EXPECT_EQ(untouched, 0x55);
}

TEST(StreamStrings, WideAndAnsiConversionsAreTerminated) {
  const std::u16string wide = u"Report 日本";
  const std::string ansi = platform::AnsiFromUtf8("Report 日本");
  char narrow[32];
  EXPECT_EQ(UnicodeToAnsi(narrow, sizeof narrow, wide.c_str(), 0), int(ansi.size()));
  EXPECT_EQ(std::string(narrow), ansi);
  EXPECT_EQ(UnicodeToAnsi(narrow, sizeof narrow, wide.c_str(), 6), 6);  // "Report"
  EXPECT_STREQ(narrow, "Report");
  char small[10];  // 9 bytes of room: "Report " and one double-byte character
  UnicodeToAnsi(small, sizeof small, wide.c_str(), 0);
  EXPECT_EQ(std::string(small), ansi.substr(0, 9));
  UnicodeToAnsi(small, 8, wide.c_str(), 0);  // a cut in the middle of a character falls before it
  EXPECT_EQ(std::string(small), "Report ");

  WCHAR back[32];
  EXPECT_EQ(MultiByteToUnicode(back, ansi.c_str(), 0), int(wide.size()));
  EXPECT_EQ(std::u16string(back), wide);
  std::memset(back, 0x55, sizeof back);
  MultiByteToUnicode(back, ansi.c_str(), 4);
  EXPECT_EQ(std::u16string(back), u"Rep");
  EXPECT_EQ(back[4], 0x5555) << "nothing written past the count";

  char latin[8];
  UnicodeToMultiByte(1252, u"caf\u00e9", 4, latin, sizeof latin);
  EXPECT_STREQ(latin, "caf\xe9");
  std::memset(latin, 0x55, sizeof latin);
  UnicodeToMultiByte(0, u"abcdefghij", 10, latin, sizeof latin);
  EXPECT_EQ(latin[sizeof latin - 1], 0);
}

class MapDataFileTest : public StreamTest {};

TEST_F(MapDataFileTest, MapsExistingFilesOnly) {
  const Bytes contents = Payload(70000, 41);
  WriteWindowsFile("C:\\Fonts\\font.bin", contents);
  WriteWindowsFile("C:\\Fonts\\empty.bin", "");
  HANDLE file = 0xdead;
  HANDLE mapping = 0xdead;
  const void* view = &file;
  DWORD size = 0;
  ASSERT_EQ(MapDataFile(u"C:\\Fonts\\font.bin", &file, &mapping, &view, &size), 1);
  EXPECT_EQ(size, contents.size());
  EXPECT_EQ(std::memcmp(view, contents.data(), contents.size()), 0);
  UnmapDataFile(&file, &mapping, &view);
  EXPECT_EQ(file, 0u);
  EXPECT_EQ(mapping, 0u);
  EXPECT_EQ(view, nullptr);

  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"C:\\Fonts\\missing.bin", ERROR_FILE_NOT_FOUND},
      {u"C:\\Fonts\\empty.bin", ERROR_FILE_INVALID},
  };
  for (const Case& c : cases) {
    file = mapping = 0xdead;
    view = &file;
    EXPECT_EQ(MapDataFile(c.path, &file, &mapping, &view, nullptr), 0);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(file, 0u);
    EXPECT_EQ(mapping, 0u);
    EXPECT_EQ(view, nullptr);
  }
  EXPECT_FALSE(WindowsFileExists("C:\\Fonts\\missing.bin")) << "a missing file is not created";
}

}  // namespace
