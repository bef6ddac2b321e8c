// Joining and splitting paths whose double-byte names carry the backslash byte:
// in code page 932 "ソ" is 0x83 0x5C and "表" is 0x95 0x5C.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interface/app/settings_library.h"
#include "interface/util/paths.h"
#include "platform/base/codepage.h"
#include "tests/interface/ui_test_support.h"

namespace uitest {
namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetAnsiCodePage(932); }
};

TEST_F(PathsTest, JoinAddsOneBackslashUnlessTheFolderEndsInOne) {
  struct Case {
    const char* folder;
    const char* name;
    const char* expected;
  } cases[] = {
      {"X:\\Tools", "b.txt", "X:\\Tools\\b.txt"},
      {"X:\\Tools\\", "b.txt", "X:\\Tools\\b.txt"},
      {"", "b.txt", "b.txt"},
      {"X:\\Tools", "", "X:\\Tools\\"},
      // The folder ends in the trail byte 0x5C of a character, not in a backslash.
      {"C:\\表", "b.txt", "C:\\表\\b.txt"},
      {"C:\\ソ", "表.ini", "C:\\ソ\\表.ini"},
      {"C:\\ソ\\", "b", "C:\\ソ\\b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    char buffer[64];
    EXPECT_EQ(JoinPath(buffer, sizeof buffer, A(c.folder).c_str(), A(c.name).c_str()), buffer);
    EXPECT_EQ(U(buffer), c.expected);
  }
}

TEST_F(PathsTest, JoinRefusesMissingPartsAndPathsThatDoNotFit) {
  char buffer[16] = "junk";
  EXPECT_EQ(JoinPath(buffer, sizeof buffer, nullptr, "b"), nullptr);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(JoinPath(buffer, sizeof buffer, "a", nullptr), nullptr);
  EXPECT_EQ(JoinPath(nullptr, 16, "a", "b"), nullptr);
  // "X:\Tools\b.txt" is 14 bytes and its NUL.
  EXPECT_EQ(JoinPath(buffer, 15, "X:\\Tools", "b.txt"), buffer);
  EXPECT_STREQ(buffer, "X:\\Tools\\b.txt");
  EXPECT_EQ(JoinPath(buffer, 14, "X:\\Tools", "b.txt"), nullptr);
  EXPECT_STREQ(buffer, "") << "no cut path may pass for a whole one";
  // The folder may be the buffer itself.
  std::strcpy(buffer, "X:\\A");
  EXPECT_EQ(JoinPath(buffer, sizeof buffer, buffer, "b"), buffer);
  EXPECT_STREQ(buffer, "X:\\A\\b");
}

TEST_F(PathsTest, SplitCutsAtTheLastBackslashOrColonCharacter) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
  } cases[] = {
      {"X:file", "X:", "file"},       {"C:\\dir\\a.txt", "C:\\dir\\", "a.txt"},
      {"C:\\dir\\", "C:\\dir\\", ""}, {"a.txt", "", "a.txt"},
      {"\\a.txt", "", "a.txt"},       {"", "", ""},
      {"C:\\表", "C:\\", "表"},       {"C:\\ソフト\\表示.ini", "C:\\ソフト\\", "表示.ini"},
      {"C:\\ソ表", "C:\\", "ソ表"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    char folder[64] = "junk";
    char name[64] = "junk";
    EXPECT_TRUE(SplitPath(folder, sizeof folder, name, sizeof name, A(c.path).c_str()));
    EXPECT_EQ(U(folder), c.folder);
    EXPECT_EQ(U(name), c.name);
    // Either part alone.
    char only[64];
    EXPECT_TRUE(SplitPath(only, sizeof only, nullptr, 0, A(c.path).c_str()));
    EXPECT_EQ(U(only), c.folder);
    EXPECT_TRUE(SplitPath(nullptr, 0, only, sizeof only, A(c.path).c_str()));
    EXPECT_EQ(U(only), c.name);
  }
  char folder[4] = "x";
  char name[64] = "x";
  EXPECT_FALSE(SplitPath(folder, sizeof folder, name, sizeof name, "C:\\dir\\a.txt"));
  EXPECT_STREQ(folder, "");
  EXPECT_STREQ(name, "a.txt");
}

TEST_F(PathsTest, TheSettingsLibraryIsLookedForInTheModulesOwnFolder) {
  struct Case {
    const char* modulePath;
    const char* folder;
  } cases[] = {
      {"C:\\Windows\\System32\\spool\\drivers\\x64\\3\\zeluid5.dll", "C:\\Windows\\System32\\spool\\drivers\\x64\\3\\"},
      {"C:\\ドライバ\\ソフト表.dll", "C:\\ドライバ\\"},
      {"C:\\表\\zeluid5.dll", "C:\\表\\"},
      {"zeluid5.dll", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(U(ModuleFolder(A(c.modulePath).c_str())), c.folder) << c.modulePath;
}

}  // namespace
}  // namespace uitest
