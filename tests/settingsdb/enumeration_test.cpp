// Walking a section with DBEnumOpen / DBEnumNext / DBEnumReset / DBEnumClose.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/errors.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

TEST_F(SettingsStoreTest, ShortBufferReportsTheNeedAndKeepsThePosition) {
  ASSERT_EQ(db.SetDword(printer, 0, "Printer", "Cfg", 6), 0u);
  DBENUM* e = nullptr;
  ASSERT_EQ(db.EnumOpen(printer, 0, "Printer", &e), 0u);
  char name[64];
  std::vector<std::string> seen;
  for (;;) {
    char tiny[1] = {'x'};
    DWORD size = 1;
    DWORD rc = db.EnumNext(e, tiny, &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(tiny[0], 'x') << "the buffer stays untouched";
    DWORD need = size;
    DWORD nullSize = need;
    EXPECT_EQ(db.EnumNext(e, nullptr, &nullSize), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    size = sizeof name;
    ASSERT_EQ(db.EnumNext(e, name, &size), 0u);
    EXPECT_EQ(std::strlen(name) + 1, need);
    EXPECT_EQ(size, sizeof name) << "a successful call leaves *size as it was";
    seen.push_back(name);
  }
  EXPECT_NE(std::find(seen.begin(), seen.end(), "Cfg"), seen.end());

  ASSERT_EQ(db.EnumReset(e), 0u);
  DWORD size = sizeof name;
  EXPECT_EQ(db.EnumNext(e, name, &size), 0u);
  EXPECT_EQ(name, seen.front());
  EXPECT_EQ(db.EnumClose(e), 0u);
}

TEST_F(SettingsStoreTest, CfgWithAOneByteBufferNeedsFour) {
  ASSERT_EQ(db.SetDword(0, 1, "Single", "Cfg", 6), 0u);
  DBENUM* e = nullptr;
  ASSERT_EQ(db.EnumOpen(0, 1, "Single", &e), 0u);
  char tiny[1];
  DWORD size = 1;
  EXPECT_EQ(db.EnumNext(e, tiny, &size), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(size, 4u);
  char name[4];
  EXPECT_EQ(db.EnumNext(e, name, &size), 0u);
  EXPECT_STREQ(name, "Cfg");
  EXPECT_EQ(db.EnumNext(e, name, &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  db.EnumClose(e);
}

TEST_F(SettingsStoreTest, EnumerationFollowsTheStoreOrder) {
  for (const char* key : {"Zulu", "Alpha", "Mike"}) ASSERT_EQ(db.SetDword(printer, 0, "Order", key, 1), 0u);
  for (const char* key : {"Zulu", "Alpha", "Mike"}) ASSERT_EQ(db.SetDword(0, 2, "Order", key, 1), 0u);
  for (int kind : {0, 2}) {
    DBENUM* e = nullptr;
    ASSERT_EQ(db.EnumOpen(printer, kind, "Order", &e), 0u);
    std::vector<std::string> names;
    char name[16];
    DWORD size = sizeof name;
    while (db.EnumNext(e, name, &size) == 0) names.push_back(name);
    db.EnumClose(e);
    EXPECT_EQ(names, (std::vector<std::string>{"Zulu", "Alpha", "Mike"})) << "kind " << kind;
  }
}

}  // namespace
}  // namespace settingstest
