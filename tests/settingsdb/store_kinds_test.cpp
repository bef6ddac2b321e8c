// Every store kind through every operation, through the library bound by name.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/base/errors.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

struct KindCase {
  int kind;
  DWORD writeRc;  // answer of every write and delete
  bool stores;    // a value written can be read back
  const char* note;
};

const KindCase kKinds[] = {
    {0, 0, true, "printer data"},
    {7, 0, true, "printer data (font lists)"},
    {8, 0, true, "printer data (macro lists)"},
    {1, 0, true, "per-user registry"},
    {5, 0, true, "per-user registry (fonts)"},
    {6, 0, true, "per-user registry (macros)"},
    {2, 0, true, "per-machine registry"},
    {3, ERROR_ACCESS_DENIED, false, "model description, read-only"},
    {4, 0, false, "no store"},
    {9, 0, false, "no store"},
    {1000, 0, false, "no store"},
    {-1, ERROR_INVALID_PARAMETER, false, "not a kind"},
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << "kind " << c.kind << " (" << c.note << ")"; }

class StoreKinds : public SettingsStoreTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(StoreKinds, WriteReadDeleteEnumerate) {
  const KindCase& c = GetParam();
  SCOPED_TRACE(c.note);
  const BYTE blob[] = {1, 2, 0, 3};

  EXPECT_EQ(db.SetDword(printer, c.kind, "Matrix", "Number", 0x12345678), c.writeRc);
  EXPECT_EQ(db.SetString(printer, c.kind, "Matrix", "Text", "value"), c.writeRc);
  EXPECT_EQ(db.SetData(printer, c.kind, "Matrix", "Blob", blob, sizeof blob), c.writeRc);

  DWORD number = 0xDEADBEEF;
  DWORD numberRc = db.GetDword(printer, c.kind, "Matrix", "Number", &number);
  char text[32];
  std::memset(text, 'x', sizeof text);
  DWORD textSize = sizeof text;
  DWORD textRc = db.GetString(printer, c.kind, "Matrix", "Text", text, &textSize);
  BYTE data[16] = {};
  DWORD dataSize = sizeof data;
  DWORD dataRc = db.GetData(printer, c.kind, "Matrix", "Blob", data, &dataSize);

  if (c.stores) {
    EXPECT_EQ(numberRc, 0u);
    EXPECT_EQ(number, 0x12345678u);
    EXPECT_EQ(textRc, 0u);
    EXPECT_STREQ(text, "value");
    EXPECT_EQ(dataRc, 0u);
    EXPECT_EQ(dataSize, sizeof blob);
    EXPECT_EQ(std::memcmp(data, blob, sizeof blob), 0);

    std::vector<std::string> keys;
    DBENUM* e = nullptr;
    ASSERT_EQ(db.EnumOpen(printer, c.kind, "Matrix", &e), 0u);
    char name[64];
    DWORD size = sizeof name;
    while (db.EnumNext(e, name, &size) == 0) keys.push_back(name), size = sizeof name;
    db.EnumClose(e);
    EXPECT_EQ(keys, (std::vector<std::string>{"Number", "Text", "Blob"}));

    EXPECT_EQ(db.DeleteData(printer, c.kind, "Matrix", "Number"), 0u);
    EXPECT_EQ(db.GetDword(printer, c.kind, "Matrix", "Number", &number), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(db.DeleteData(printer, c.kind, "Matrix", "Number"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(db.DeleteSection(printer, c.kind, "Matrix"), 0u);
    textSize = sizeof text;
    EXPECT_EQ(db.GetString(printer, c.kind, "Matrix", "Text", text, &textSize),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  } else if (c.kind == 3) {
    EXPECT_EQ(numberRc, static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_EQ(textRc, static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_EQ(db.DeleteData(printer, c.kind, "General", "ModelName"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(db.DeleteSection(printer, c.kind, "General"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadString(db, printer, 3, "General", "ModelName"), "Sample Model 5");
  } else {
    // Nothing answers, nothing is touched.
    EXPECT_EQ(numberRc, c.writeRc);
    EXPECT_EQ(number, 0xDEADBEEFu);
    EXPECT_EQ(textRc, c.writeRc);
    EXPECT_EQ(text[0], 'x');
    EXPECT_EQ(dataRc, c.writeRc);
    EXPECT_EQ(db.DeleteData(printer, c.kind, "Matrix", "Number"), c.writeRc);
    EXPECT_EQ(db.DeleteSection(printer, c.kind, "Matrix"), c.writeRc);
    DBENUM* e = reinterpret_cast<DBENUM*>(1);
    DWORD openRc = db.EnumOpen(printer, c.kind, "Matrix", &e);
    EXPECT_EQ(openRc, c.writeRc);
    if (openRc == 0) {
      char name[8];
      DWORD size = sizeof name;
      EXPECT_EQ(db.EnumNext(e, name, &size), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
      db.EnumClose(e);
    } else {
      EXPECT_EQ(e, nullptr);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, StoreKinds, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<KindCase>& param) {
                           int kind = param.param.kind;
                           return kind < 0 ? "KindMinus" + std::to_string(-kind) : "Kind" + std::to_string(kind);
                         });

TEST_F(SettingsStoreTest, AliasKindsShareOneStoreAndTheMachineKeyIsApart) {
  ASSERT_EQ(db.SetDword(printer, 7, "Font", "Count", 3), 0u);
  DWORD value = 0;
  EXPECT_EQ(db.GetDword(printer, 0, "Font", "Count", &value), 0u);
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(db.GetDword(printer, 8, "Font", "Count", &value), 0u);

  ASSERT_EQ(db.SetDword(0, 5, "Macro", "Count", 9), 0u);
  EXPECT_EQ(db.GetDword(0, 1, "Macro", "Count", &value), 0u);
  EXPECT_EQ(value, 9u);
  EXPECT_EQ(db.GetDword(0, 6, "Macro", "Count", &value), 0u);
  EXPECT_EQ(db.GetDword(0, 2, "Macro", "Count", &value), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SettingsStoreTest, NamesMatchWithoutRegardToCase) {
  for (int kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
    ASSERT_EQ(db.SetDword(printer, kind, "Printer", "Cfg", 6), 0u);
    DWORD value = 0;
    EXPECT_EQ(db.GetDword(printer, kind, "PRINTER", "cfg", &value), 0u);
    EXPECT_EQ(value, 6u);
    ASSERT_EQ(db.SetDword(printer, kind, "printer", "CFG", 7), 0u);
    EXPECT_EQ(db.GetDword(printer, kind, "Printer", "Cfg", &value), 0u);
    EXPECT_EQ(value, 7u);
  }
  EXPECT_EQ(ReadString(db, printer, 3, "general", "MODELNAME"), "Sample Model 5");
}

TEST_F(SettingsStoreTest, NullArgumentsAreRefused) {
  DWORD value = 0;
  char text[8];
  DWORD size = sizeof text;
  const DWORD kBad = ERROR_INVALID_PARAMETER;
  for (int kind : {0, 1, 3, 4}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(db.GetDword(printer, kind, nullptr, "Key", &value), kBad);
    EXPECT_EQ(db.GetDword(printer, kind, "Section", nullptr, &value), kBad);
    EXPECT_EQ(db.GetDword(printer, kind, "Section", "Key", nullptr), kBad);
    EXPECT_EQ(db.GetString(printer, kind, "Section", "Key", nullptr, &size), kBad);
    EXPECT_EQ(db.GetString(printer, kind, "Section", "Key", text, nullptr), kBad);
    EXPECT_EQ(db.GetData(printer, kind, "Section", "Key", nullptr, &size), kBad);
    EXPECT_EQ(db.SetString(printer, kind, "Section", "Key", nullptr), kBad);
    EXPECT_EQ(db.SetString(printer, kind, nullptr, "Key", "v"), kBad);
    EXPECT_EQ(db.DeleteData(printer, kind, "Section", nullptr), kBad);
    EXPECT_EQ(db.DeleteSection(printer, kind, nullptr), kBad);
    EXPECT_EQ(db.EnumOpen(printer, kind, nullptr, nullptr), kBad);
  }
  EXPECT_EQ(db.EnumNext(nullptr, text, &size), kBad);
  EXPECT_EQ(db.EnumReset(nullptr), kBad);
  EXPECT_EQ(db.EnumClose(nullptr), kBad);
}

TEST_F(SettingsStoreTest, GetShortAndGetIntTakeTheStoredNumber) {
  ASSERT_EQ(db.SetDword(printer, 0, "Numbers", "Wide", 0x0001FFFE), 0u);
  int16_t shortValue = 0;
  EXPECT_EQ(db.GetShort(printer, 0, "Numbers", "Wide", &shortValue), 0u);
  EXPECT_EQ(shortValue, -2);
  int32_t intValue = 0;
  ASSERT_EQ(db.SetDword(printer, 0, "Numbers", "Negative", 0xFFFFFFF6u), 0u);
  EXPECT_EQ(db.GetInt(printer, 0, "Numbers", "Negative", &intValue), 0u);
  EXPECT_EQ(intValue, -10);

  shortValue = 77;
  EXPECT_EQ(db.GetShort(printer, 0, "Numbers", "Missing", &shortValue), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(shortValue, 77) << "a failed read leaves the caller's number alone";
  EXPECT_EQ(db.GetInt(printer, 3, "General", "ModelID", &intValue), 0u);
  EXPECT_EQ(intValue, 4711);
}

TEST_F(SettingsStoreTest, OverlongPrinterDataNamesAreRefusedNotCut) {
  std::string section(150, 'S');
  std::string key(60, 'K');  // 150 + 1 + 60 > 199: no spooler call could carry the whole name
  EXPECT_EQ(db.SetDword(printer, 0, section.c_str(), key.c_str(), 1), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(db.SetString(printer, 0, section.c_str(), key.c_str(), "x"), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::string shorter(40, 'K');  // 191 characters: fine for every call
  EXPECT_EQ(db.SetString(printer, 0, section.c_str(), shorter.c_str(), "x"), 0u);
  EXPECT_EQ(ReadString(db, printer, 0, section.c_str(), shorter.c_str()), "x");
}

}  // namespace
}  // namespace settingstest
