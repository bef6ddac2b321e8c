// Store kind 3: the model description, read as an ini file.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

struct ExpansionCase {
  const char* key;
  const char* expected;  // UTF-8
};

void PrintTo(const ExpansionCase& c, std::ostream* os) { *os << c.key; }

class Expansion : public SettingsStoreTest, public ::testing::WithParamInterface<ExpansionCase> {};

TEST_P(Expansion, PercentNamesComeFromStrings) {
  const ExpansionCase& c = GetParam();
  char buffer[128];
  DWORD size = sizeof buffer;
  ASSERT_EQ(db.GetString(printer, 3, "General", c.key, buffer, &size), 0u);
  std::string expected = platform::AnsiFromUtf8(c.expected);
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(size, expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Values, Expansion,
    ::testing::Values(ExpansionCase{"Company", "Nardo Systems"}, ExpansionCase{"Pair", "one,two"},
                      ExpansionCase{"Assignment", "one=two;ソフト表"},
                      ExpansionCase{"Single", "50%, more"},    // one percent sign: taken as it stands
                      ExpansionCase{"Unknown", "NoSuchName"},  // no [Strings] entry: the bare name
                      ExpansionCase{"Percents", "%%,one"},     // a field of percent signs names nothing
                      ExpansionCase{"Japanese", "プリンタ"}),
    [](const ::testing::TestParamInfo<ExpansionCase>& param) { return std::string(param.param.key); });

TEST_F(SettingsStoreTest, MissingKeysReadAsMissingAtEveryBufferSize) {
  // The reader's default is a sentinel text; cut to a small buffer it must still
  // never pass for a value.
  for (DWORD capacity = 1; capacity <= 14; ++capacity) {
    SCOPED_TRACE(capacity);
    std::vector<char> buffer(capacity, 'x');
    DWORD size = capacity;
    EXPECT_EQ(db.GetString(printer, 3, "General", "NoSuchKey", buffer.data(), &size),
              static_cast<DWORD>(ERROR_NO_DATA));
    size = capacity;
    EXPECT_EQ(db.GetData(printer, 3, "NoSuchSection", "Key", reinterpret_cast<BYTE*>(buffer.data()), &size),
              static_cast<DWORD>(ERROR_NO_DATA));
  }
}

TEST_F(SettingsStoreTest, LongValuesAreCutToTheBuffer) {
  char buffer[8];
  DWORD size = sizeof buffer;
  EXPECT_EQ(db.GetString(printer, 3, "General", "LongText", buffer, &size), 0u);
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(size, 7u);
}

TEST_F(SettingsStoreTest, ExpandedValuesThatDoNotFitAreReported) {
  char buffer[6];
  DWORD size = sizeof buffer;
  EXPECT_EQ(db.GetString(printer, 3, "General", "Company", buffer, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(std::strlen(buffer), 5u);
}

TEST_F(SettingsStoreTest, NumbersOfTheModelDescription) {
  DWORD value = 0;
  EXPECT_EQ(db.GetDword(printer, 3, "General", "FormatVersion", &value), 0u);
  EXPECT_EQ(value, 5u);
  EXPECT_EQ(db.GetDword(printer, 3, "General", "Negative", &value), static_cast<DWORD>(ERROR_NO_DATA));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  value = 0;
  EXPECT_EQ(db.GetDword(printer, 3, "General", "Missing", &value), static_cast<DWORD>(ERROR_NO_DATA));
  EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, ModelDescriptionSectionsEnumerate) {
  DBENUM* e = nullptr;
  ASSERT_EQ(db.EnumOpen(printer, 3, "PDL", &e), 0u);
  char name[16];
  DWORD size = sizeof name;
  ASSERT_EQ(db.EnumNext(e, name, &size), 0u);
  EXPECT_STREQ(name, "1");
  ASSERT_EQ(db.EnumNext(e, name, &size), 0u);
  EXPECT_STREQ(name, "2");
  EXPECT_EQ(db.EnumNext(e, name, &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  db.EnumClose(e);

  ASSERT_EQ(db.EnumOpen(printer, 3, "Empty", &e), 0u);
  EXPECT_EQ(db.EnumNext(e, name, &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  db.EnumClose(e);

  e = reinterpret_cast<DBENUM*>(1);
  EXPECT_EQ(db.EnumOpen(printer, 3, "NoSuchSection", &e), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(e, nullptr);
}

}  // namespace
}  // namespace settingstest
