// Registry enumeration and key information: order, shifting after a delete,
// short buffers, and lengths in the units each call family counts in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/platform/registry_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace regtest;

class RegistryEnum : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Enum", key_.put()), ERROR_SUCCESS);
  }
  Key key_;
};

TEST_F(RegistryEnum, ValuesKeepTheirPlaceAndLaterOnesMoveDownAfterADelete) {
  for (const char16_t* name : {u"Zeta", u"alpha", u"Mid", u"last"}) ASSERT_EQ(SetDword(key_, name, 1), ERROR_SUCCESS);
  EXPECT_EQ(ValueNamesW(key_), (std::vector<std::u16string>{u"Zeta", u"alpha", u"Mid", u"last"}));

  // Overwriting, even with another type and case of name, keeps the position.
  ASSERT_EQ(SetW(key_, u"ALPHA", REG_SZ, Utf16Bytes(std::u16string_view(u"x", 2))), ERROR_SUCCESS);
  EXPECT_EQ(ValueNamesW(key_), (std::vector<std::u16string>{u"Zeta", u"alpha", u"Mid", u"last"}));

  ASSERT_EQ(RegDeleteValueW(key_, u"alpha"), ERROR_SUCCESS);
  char16_t name[16];
  DWORD chars = 16, type = 0;
  ASSERT_EQ(RegEnumValueW(key_, 1, name, &chars, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name, chars), u"Mid");
  EXPECT_EQ(type, DWORD{REG_DWORD});
  chars = 16;
  EXPECT_EQ(RegEnumValueW(key_, 3, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  // A value written again after its delete comes last.
  ASSERT_EQ(SetDword(key_, u"alpha", 2), ERROR_SUCCESS);
  EXPECT_EQ(ValueNamesW(key_), (std::vector<std::u16string>{u"Zeta", u"Mid", u"last", u"alpha"}));
}

TEST_F(RegistryEnum, DeletingWhileEnumeratingByIndexVisitsEveryValueOnce) {
  // The usual way to empty a key: enumerate index 0 and delete it until none is left.
  for (int i = 0; i < 20; ++i) {
    std::u16string name = u"V" + platform::ToUtf16(std::to_string(i));
    ASSERT_EQ(SetDword(key_, name.c_str(), static_cast<DWORD>(i)), ERROR_SUCCESS);
  }
  std::vector<DWORD> seen;
  for (;;) {
    char16_t name[16];
    DWORD chars = 16, value = 0, size = sizeof value;
    LONG status = RegEnumValueW(key_, 0, name, &chars, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    seen.push_back(value);
    ASSERT_EQ(RegDeleteValueW(key_, name), ERROR_SUCCESS);
  }
  std::vector<DWORD> expected;
  for (DWORD i = 0; i < 20; ++i) expected.push_back(i);
  EXPECT_EQ(seen, expected);
}

TEST_F(RegistryEnum, SubkeysAreListedByNameAndShiftAfterADelete) {
  for (const char* name : {"beta", "Alpha", "delta", "Gamma"}) {
    Key sub;
    ASSERT_EQ(RegCreateKeyA(key_, name, sub.put()), ERROR_SUCCESS);
  }
  EXPECT_EQ(SubkeyNamesW(key_), (std::vector<std::u16string>{u"Alpha", u"beta", u"delta", u"Gamma"}));
  ASSERT_EQ(RegDeleteKeyA(key_, "BETA"), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNamesW(key_), (std::vector<std::u16string>{u"Alpha", u"delta", u"Gamma"}));

  char name[16];
  DWORD chars = sizeof name;
  FILETIME written{};
  ASSERT_EQ(RegEnumKeyExA(key_, 1, name, &chars, nullptr, nullptr, nullptr, &written), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, chars), "delta");
  EXPECT_NE(written.dwHighDateTime, 0u) << "a key reports when it was last written";
}

TEST_F(RegistryEnum, ShortNameOrDataBuffersAnswerMoreData) {
  ASSERT_EQ(SetW(key_, u"Name5", REG_SZ, Utf16Bytes(std::u16string_view(u"data", 5))), ERROR_SUCCESS);

  struct Case {
    DWORD nameChars;
    DWORD dataBytes;
    LONG expected;
    DWORD reportedData;  // *dataSize afterwards
  };
  const Case cases[] = {
      {6, 10, ERROR_SUCCESS, 10},
      {5, 16, ERROR_MORE_DATA, 16},  // no room for the name's terminator: nothing is touched
      {6, 9, ERROR_MORE_DATA, 10},   // the name fits, the data does not: the size needed is told
      {6, 0, ERROR_MORE_DATA, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "name " << c.nameChars << " data " << c.dataBytes);
    char16_t name[16] = {};
    BYTE data[16];
    DWORD chars = c.nameChars, size = c.dataBytes;
    EXPECT_EQ(RegEnumValueW(key_, 0, name, &chars, nullptr, nullptr, data, &size), c.expected);
    EXPECT_EQ(size, c.reportedData);
    if (c.nameChars >= 6) {
      EXPECT_EQ(std::u16string(name, chars), u"Name5");
    } else {
      EXPECT_EQ(chars, c.nameChars);
    }
  }
  // No data buffer: the size is told.
  char16_t name[16];
  DWORD chars = 16, size = 0;
  EXPECT_EQ(RegEnumValueW(key_, 0, name, &chars, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 10u);
}

TEST_F(RegistryEnum, AnsiEnumerationCountsBytes) {
  const std::string printer = Cp932("プリンタ");  // 4 characters, 8 bytes
  ASSERT_EQ(SetA(key_, printer.c_str(), REG_SZ, AnsiBytes(printer)), ERROR_SUCCESS);

  char name[16];
  BYTE data[16];
  DWORD chars = 8, size = sizeof data, type = 0;
  EXPECT_EQ(RegEnumValueA(key_, 0, name, &chars, nullptr, &type, data, &size), ERROR_MORE_DATA)
      << "8 bytes and a terminator do not fit in 8";
  chars = 9;
  ASSERT_EQ(RegEnumValueA(key_, 0, name, &chars, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(chars, 8u);
  EXPECT_EQ(std::string(name, chars), printer);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string(printer.c_str(), 9));

  Key sub;
  ASSERT_EQ(RegCreateKeyA(key_, printer.c_str(), sub.put()), ERROR_SUCCESS);
  chars = 9;
  ASSERT_EQ(RegEnumKeyExA(key_, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, chars), printer);
}

TEST_F(RegistryEnum, KeyInfoMeasuresInTheUnitsOfEachCallFamily) {
  const std::string printer = Cp932("プリンタ");
  ASSERT_EQ(SetA(key_, printer.c_str(), REG_SZ, AnsiBytes(Cp932("日本語のテキスト"))), ERROR_SUCCESS);  // 8 chars
  ASSERT_EQ(SetA(key_, "Short", REG_BINARY, Bytes(5, 0xAB)), ERROR_SUCCESS);
  ASSERT_EQ(SetA(key_, "Ascii", REG_SZ, AnsiBytes("0123456789")), ERROR_SUCCESS);
  for (const char* name : {"One", "Sixteen_Letters_"}) {
    Key sub;
    ASSERT_EQ(RegCreateKeyA(key_, name, sub.put()), ERROR_SUCCESS);
  }
  Key kana;
  ASSERT_EQ(RegCreateKeyA(key_, Cp932("ソフトウェア設定項目一覧").c_str(), kana.put()), ERROR_SUCCESS);  // 12 chars

  struct Counts {
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
  };
  Counts wide, ansi;
  ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &wide.subKeys, &wide.maxSubKey, nullptr, &wide.values,
                             &wide.maxValueName, &wide.maxData, nullptr, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &ansi.subKeys, &ansi.maxSubKey, nullptr, &ansi.values,
                             &ansi.maxValueName, &ansi.maxData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(wide.subKeys, 3u);
  EXPECT_EQ(wide.values, 3u);
  EXPECT_EQ(wide.maxSubKey, 16u);    // "Sixteen_Letters_"
  EXPECT_EQ(wide.maxValueName, 5u);  // "Short", "Ascii"
  EXPECT_EQ(wide.maxData, 22u);      // 10 characters and a terminator in UTF-16
  EXPECT_EQ(ansi.subKeys, 3u);
  EXPECT_EQ(ansi.values, 3u);
  EXPECT_EQ(ansi.maxSubKey, 24u);    // the 12 kanji and kana are 24 bytes
  EXPECT_EQ(ansi.maxValueName, 8u);  // プリンタ
  EXPECT_EQ(ansi.maxData, 17u);      // 8 double-byte characters and a terminator

  // Buffers sized from the ANSI figures hold every ANSI name and datum.
  std::vector<char> name(ansi.maxValueName + 1);
  std::vector<BYTE> data(ansi.maxData);
  for (DWORD index = 0; index < ansi.values; ++index) {
    DWORD chars = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size());
    EXPECT_EQ(RegEnumValueA(key_, index, name.data(), &chars, nullptr, nullptr, data.data(), &size), ERROR_SUCCESS)
        << index;
  }
  std::vector<char> subkey(ansi.maxSubKey + 1);
  for (DWORD index = 0; index < ansi.subKeys; ++index) {
    DWORD chars = static_cast<DWORD>(subkey.size());
    EXPECT_EQ(RegEnumKeyExA(key_, index, subkey.data(), &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS)
        << index;
  }
}

TEST_F(RegistryEnum, EnumerationNeedsTheMatchingAccess) {
  ASSERT_EQ(SetDword(key_, u"V", 1), ERROR_SUCCESS);
  Key sub;
  ASSERT_EQ(RegCreateKeyA(key_, "Sub", sub.put()), ERROR_SUCCESS);

  Key valuesOnly;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Enum", 0, KEY_QUERY_VALUE, valuesOnly.put()), ERROR_SUCCESS);
  char16_t name[16];
  DWORD chars = 16;
  EXPECT_EQ(RegEnumValueW(valuesOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  chars = 16;
  EXPECT_EQ(RegEnumKeyExW(valuesOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);

  Key keysOnly;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Enum", 0, KEY_ENUMERATE_SUB_KEYS, keysOnly.put()),
            ERROR_SUCCESS);
  chars = 16;
  EXPECT_EQ(RegEnumKeyExW(keysOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  chars = 16;
  EXPECT_EQ(RegEnumValueW(keysOnly, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
}

}  // namespace
