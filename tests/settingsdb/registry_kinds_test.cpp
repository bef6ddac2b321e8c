// Store kinds 1, 5, 6 and 2: a registry key per section.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/registry/registry.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

bool KeyExists(HKEY hive, const char* path) {
  HKEY key = 0;
  if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST_F(SettingsStoreTest, ValuesLiveUnderTheSectionKey) {
  ASSERT_EQ(db.SetString(0, 1, "Profiles", "Current", "Draft"), 0u);
  HKEY key = 0;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TOVK\\Calyxon\\3D5\\Profiles", 0, KEY_READ, &key), 0);
  char text[16] = {};
  DWORD type = 0, size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "Current", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), 0);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 6u) << "ANSI text with its terminator";
  EXPECT_STREQ(text, "Draft");
  RegCloseKey(key);

  ASSERT_EQ(db.SetDword(0, 2, "Machine", "Flag", 1), 0u);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\TOVK\\Calyxon\\3D5\\Machine"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\TOVK\\Calyxon\\3D5\\Machine"));
}

TEST_F(SettingsStoreTest, ReadingCreatesTheSectionKey) {
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\TOVK\\Calyxon\\3D5\\Fresh"));
  DWORD value = 0;
  EXPECT_EQ(db.GetDword(0, 1, "Fresh", "Missing", &value), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\TOVK\\Calyxon\\3D5\\Fresh"));
}

TEST_F(SettingsStoreTest, RegistryReadsReportSizesAndTypes) {
  ASSERT_EQ(db.SetString(0, 1, "Job", "Owner", "somebody"), 0u);
  char small[4];
  DWORD size = sizeof small;
  EXPECT_EQ(db.GetString(0, 1, "Job", "Owner", small, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 9u);
  DWORD number = 0;
  // The query's own answer comes first: a long text does not fit the number's 4 bytes.
  EXPECT_EQ(db.GetDword(0, 1, "Job", "Owner", &number), static_cast<DWORD>(ERROR_MORE_DATA));
  ASSERT_EQ(db.SetString(0, 1, "Job", "Tray", "1"), 0u);
  EXPECT_EQ(db.GetDword(0, 1, "Job", "Tray", &number), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
  ASSERT_EQ(db.SetDword(0, 1, "Job", "Copies", 2), 0u);
  char text[16];
  size = sizeof text;
  EXPECT_EQ(db.GetString(0, 1, "Job", "Copies", text, &size), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
}

TEST_F(SettingsStoreTest, SectionDeleteRemovesTheKeyAndEachUserHasHisOwn) {
  ASSERT_EQ(db.SetDword(0, 1, "Watermarks", "A", 1), 0u);
  platform::SetCurrentUser("Second");
  DWORD value = 0;
  EXPECT_EQ(db.GetDword(0, 1, "Watermarks", "A", &value), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  platform::SetCurrentUser("User");
  EXPECT_EQ(db.GetDword(0, 1, "Watermarks", "A", &value), 0u);
  ASSERT_EQ(db.DeleteSection(0, 1, "Watermarks"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\TOVK\\Calyxon\\3D5\\Watermarks"));
}

}  // namespace
}  // namespace settingstest
