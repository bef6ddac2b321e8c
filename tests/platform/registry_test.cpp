// Registry keys and values: creating and opening paths, the codes callers rely
// on, value types through the wide and ANSI calls, case, access and hives.
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/base/machine.h"
#include "tests/platform/registry_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace {

using namespace regtest;

class Registry : public testsupport::FreshMachine {};

TEST_F(Registry, CreateKeyMakesEveryMissingLevelAndTellsWhetherItWasNew) {
  Key key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Maker\\Product\\Settings", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, key.put(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  for (const char16_t* level : {u"Software", u"Software\\Maker", u"Software\\Maker\\Product"}) {
    Key opened;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, level, 0, KEY_READ, opened.put()), ERROR_SUCCESS);
  }

  Key again;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\maker\\product\\settings", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, again.put(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});

  // Both handles name one key.
  ASSERT_EQ(SetDword(key, u"Shared", 7), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(again, u"Shared")), 7u);
}

TEST_F(Registry, OpenAnswersTheCodesOfWindows) {
  Key product;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Maker\\Product", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            product.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetDword(product, u"Marker", 42), ERROR_SUCCESS);

  struct Case {
    std::u16string path;
    LONG expected;
  };
  const Case cases[] = {
      {u"Software\\Maker\\Product", ERROR_SUCCESS},
      {u"software\\MAKER\\pRoDuCt", ERROR_SUCCESS},
      {u"Software\\Maker\\Product\\", ERROR_SUCCESS},
      {u"Software\\Maker\\Missing", ERROR_FILE_NOT_FOUND},
      {u"Software\\Missing\\Product", ERROR_FILE_NOT_FOUND},
      {u"Software\\Maker\\Product\\Deeper", ERROR_FILE_NOT_FOUND},
      {u"\\Software\\Maker\\Product", ERROR_BAD_PATHNAME},
      {u"Software\\" + std::u16string(256, u'x'), ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    Key key;
    HKEY raw = 0xDEAD;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, c.path.c_str(), 0, KEY_READ, &raw);
    *key.put() = raw;
    EXPECT_EQ(status, c.expected) << platform::Utf8FromUtf16(c.path);
    if (status == ERROR_SUCCESS) {
      EXPECT_EQ(DwordOf(QueryW(key, u"Marker")), 42u);
    } else {
      EXPECT_EQ(raw, HKEY{0}) << "a failed open leaves no handle behind";
    }
  }

  // An empty path is a new handle to the key itself, closed independently.
  Key self;
  ASSERT_EQ(RegOpenKeyExW(product, u"", 0, KEY_READ, self.put()), ERROR_SUCCESS);
  EXPECT_NE(self.get(), product.get());
  EXPECT_EQ(DwordOf(QueryW(self, u"Marker")), 42u);
  self.Close();
  EXPECT_EQ(DwordOf(QueryW(product, u"Marker")), 42u);

  // Open never creates.
  Key missing;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Missing", missing.put()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Missing", missing.put()), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, QueryAnswersMissingValuesAndShortBuffersWithTheNeededSize) {
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Maker", key.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetA(key, "Text", REG_SZ, AnsiBytes(std::string_view("hello", 6))), ERROR_SUCCESS);

  BYTE buffer[16];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "Absent", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key, u"Absent", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);

  struct Case {
    bool wide;
    DWORD bufferSize;
    bool withBuffer;
    LONG expected;
    DWORD reportedSize;
  };
  const Case cases[] = {
      {false, 0, false, ERROR_SUCCESS, 6},   // size only
      {false, 5, true, ERROR_MORE_DATA, 6},  // one byte short: the terminator counts
      {false, 6, true, ERROR_SUCCESS, 6},    {false, 16, true, ERROR_SUCCESS, 6}, {true, 0, false, ERROR_SUCCESS, 12},
      {true, 11, true, ERROR_MORE_DATA, 12}, {true, 12, true, ERROR_SUCCESS, 12},
  };
  for (const Case& c : cases) {
    std::memset(buffer, 0x7E, sizeof buffer);
    size = c.bufferSize;
    type = 0;
    BYTE* data = c.withBuffer ? buffer : nullptr;
    LONG status = c.wide ? RegQueryValueExW(key, u"text", nullptr, &type, data, &size)
                         : RegQueryValueExA(key, "TEXT", nullptr, &type, data, &size);
    SCOPED_TRACE(testing::Message() << (c.wide ? "W" : "A") << " buffer " << c.bufferSize);
    EXPECT_EQ(status, c.expected);
    EXPECT_EQ(size, c.reportedSize);
    EXPECT_EQ(type, DWORD{REG_SZ});
    if (status == ERROR_MORE_DATA) {
      EXPECT_EQ(buffer[0], 0x7E) << "a short buffer is left alone";
    }
  }

  // A buffer without a size is a caller error, not a crash.
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
  // The type alone may be asked for.
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
}

TEST_F(Registry, ValueTypesRoundTripThroughTheWideAndAnsiCalls) {
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Types", key.put()), ERROR_SUCCESS);

  const DWORD number = 0x12345678;
  const uint64_t quad = 0x1122334455667788ull;
  struct Case {
    const char* name;
    bool writeWide;
    DWORD type;
    Bytes written;
    Bytes readWide;  // what RegQueryValueExW answers
    Bytes readAnsi;  // what RegQueryValueExA answers
  };
  const Case cases[] = {
      {"SzW", true, REG_SZ, Utf16Bytes(std::u16string_view(u"hello", 6)), Utf16Bytes(std::u16string_view(u"hello", 6)),
       AnsiBytes(std::string_view("hello", 6))},
      // A wide string stored without its terminator still reads back terminated.
      {"SzWNoNul", true, REG_SZ, Utf16Bytes(u"hello"), Utf16Bytes(std::u16string_view(u"hello", 6)),
       AnsiBytes(std::string_view("hello", 6))},
      {"SzA", false, REG_SZ, AnsiBytes(std::string_view("hello", 6)), Utf16Bytes(std::u16string_view(u"hello", 6)),
       AnsiBytes(std::string_view("hello", 6))},
      {"SzANoNul", false, REG_SZ, AnsiBytes("hello"), Utf16Bytes(std::u16string_view(u"hello", 6)),
       AnsiBytes(std::string_view("hello", 6))},
      {"ExpandA", false, REG_EXPAND_SZ, AnsiBytes(std::string_view("%TEMP%\\x", 9)),
       Utf16Bytes(std::u16string_view(u"%TEMP%\\x", 9)), AnsiBytes(std::string_view("%TEMP%\\x", 9))},
      {"EmptyA", false, REG_SZ, Bytes{}, Utf16Bytes(std::u16string_view(u"", 1)), Bytes{0}},
      {"MultiW", true, REG_MULTI_SZ, Utf16Bytes(std::u16string_view(u"one\0two\0\0", 9)),
       Utf16Bytes(std::u16string_view(u"one\0two\0\0", 9)), AnsiBytes(std::string_view("one\0two\0\0", 9))},
      {"MultiA", false, REG_MULTI_SZ, AnsiBytes(std::string_view("one\0two\0\0", 9)),
       Utf16Bytes(std::u16string_view(u"one\0two\0\0", 9)), AnsiBytes(std::string_view("one\0two\0\0", 9))},
      {"MultiANoEnd", false, REG_MULTI_SZ, AnsiBytes(std::string_view("one\0two", 7)),
       Utf16Bytes(std::u16string_view(u"one\0two\0\0", 9)), AnsiBytes(std::string_view("one\0two\0\0", 9))},
      {"DwordW", true, REG_DWORD, RawBytes(&number, 4), RawBytes(&number, 4), RawBytes(&number, 4)},
      {"DwordA", false, REG_DWORD, RawBytes(&number, 4), RawBytes(&number, 4), RawBytes(&number, 4)},
      {"QwordA", false, REG_QWORD, RawBytes(&quad, 8), RawBytes(&quad, 8), RawBytes(&quad, 8)},
      {"BinaryA", false, REG_BINARY, Bytes{0, 1, 0x5C, 0x81, 0, 0xFF}, Bytes{0, 1, 0x5C, 0x81, 0, 0xFF},
       Bytes{0, 1, 0x5C, 0x81, 0, 0xFF}},
      {"BinaryW", true, REG_BINARY, Bytes{0xFF, 0}, Bytes{0xFF, 0}, Bytes{0xFF, 0}},
      {"Empty", true, REG_BINARY, Bytes{}, Bytes{}, Bytes{}},
  };
  for (const Case& c : cases) {
    std::u16string wideName = platform::ToUtf16(c.name);
    LONG status = c.writeWide ? SetW(key, wideName.c_str(), c.type, c.written) : SetA(key, c.name, c.type, c.written);
    ASSERT_EQ(status, ERROR_SUCCESS) << c.name;
  }
  // Read back only after every write, so no value is confused with another.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string wideName = platform::ToUtf16(c.name);
    Read wide = QueryW(key, wideName.c_str());
    EXPECT_EQ(wide.status, ERROR_SUCCESS);
    EXPECT_EQ(wide.type, c.type);
    EXPECT_EQ(wide.data, c.readWide);
    Read ansi = QueryA(key, c.name);
    EXPECT_EQ(ansi.status, ERROR_SUCCESS);
    EXPECT_EQ(ansi.type, c.type);
    EXPECT_EQ(ansi.data, c.readAnsi);
  }
}

TEST_F(Registry, JapaneseNamesAndTextSurviveTheAnsiCalls) {
  const std::string software = Cp932("ソフト");
  const std::string printer = Cp932("プリンタ");
  // "ソ" is 0x83 0x5C: a path split at every 0x5C byte would cut it in two.
  ASSERT_NE(software.find('\x5C'), std::string::npos);

  const std::string path = "Software\\" + software + "\\Sub";
  Key key;
  DWORD disposition = 0;
  ASSERT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), &disposition),
      ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
  ASSERT_EQ(SetA(key, software.c_str(), REG_SZ, AnsiBytes(std::string_view(printer.c_str(), printer.size() + 1))),
            ERROR_SUCCESS);

  // Three levels, the middle one named ソフト, read through the wide calls.
  Key software_key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, software_key.put()), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNamesW(software_key), std::vector<std::u16string>{u"ソフト"});
  Key wide;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\ソフト\\Sub", 0, KEY_ALL_ACCESS, wide.put()), ERROR_SUCCESS);
  Read text = QueryW(wide, u"ソフト");
  ASSERT_EQ(text.status, ERROR_SUCCESS);
  EXPECT_EQ(text.data, Utf16Bytes(std::u16string_view(u"プリンタ", 5)));

  // And back: written wide, read as code page 932 bytes counted in bytes.
  ASSERT_EQ(SetW(wide, u"プリンタ", REG_SZ, Utf16Bytes(std::u16string_view(u"ソフト", 4))), ERROR_SUCCESS);
  Read ansi = QueryA(key, printer.c_str());
  ASSERT_EQ(ansi.status, ERROR_SUCCESS);
  EXPECT_EQ(ansi.data, AnsiBytes(std::string_view(software.c_str(), software.size() + 1)));
  EXPECT_EQ(ansi.data.size(), 7u);

  DWORD size = 6;  // one byte short
  BYTE buffer[16];
  EXPECT_EQ(RegQueryValueExA(key, printer.c_str(), nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
}

TEST_F(Registry, TrailBytesThatLookLikeLettersAreNotFolded) {
  // 0x83 0x41 and 0x83 0x61 are two different katakana; folding the trail byte
  // as an ASCII letter would merge them into one name.
  const std::string upper = "\x83\x41";
  const std::string lower = "\x83\x61";
  ASSERT_NE(platform::ToUtf16(upper), platform::ToUtf16(lower));

  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Kana", key.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetA(key, upper.c_str(), REG_SZ, AnsiBytes("first")), ERROR_SUCCESS);
  ASSERT_EQ(SetA(key, lower.c_str(), REG_SZ, AnsiBytes("second")), ERROR_SUCCESS);
  EXPECT_EQ(QueryA(key, upper.c_str()).data, AnsiBytes(std::string_view("first", 6)));
  EXPECT_EQ(QueryA(key, lower.c_str()).data, AnsiBytes(std::string_view("second", 7)));

  Key a, b;
  ASSERT_EQ(RegCreateKeyA(key, upper.c_str(), a.put()), ERROR_SUCCESS);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(key, lower.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, b.put(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_CREATED_NEW_KEY});
}

TEST_F(Registry, NamesMatchWithoutRegardToCaseAndKeepTheirStoredCase) {
  Key first;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\MixedCase", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            first.put(), nullptr),
            ERROR_SUCCESS);
  Key second;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\mixedCASE", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            second.put(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD{REG_OPENED_EXISTING_KEY});

  ASSERT_EQ(SetDword(first, u"ValueName", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(second, u"VALUENAME", 2), ERROR_SUCCESS);  // the same value
  ASSERT_EQ(SetDword(second, u"Ärger", 3), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(first, u"valuename")), 2u);
  EXPECT_EQ(DwordOf(QueryW(first, u"äRGER")), 3u);
  EXPECT_EQ(ValueNamesW(first), (std::vector<std::u16string>{u"ValueName", u"Ärger"}));

  Key software;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ, software.put()), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNamesW(software), std::vector<std::u16string>{u"MixedCase"});

  EXPECT_EQ(RegDeleteValueA(first, "VALUEname"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(first, "ValueName"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DefaultValueIsTheEmptyName) {
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, ".zel", key.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetA(key, nullptr, REG_SZ, AnsiBytes("ZelFile")), ERROR_SUCCESS);
  EXPECT_EQ(QueryA(key, "").data, AnsiBytes(std::string_view("ZelFile", 8)));
  EXPECT_EQ(QueryW(key, nullptr).data, Utf16Bytes(std::u16string_view(u"ZelFile", 8)));
  EXPECT_EQ(RegDeleteValueW(key, u""), ERROR_SUCCESS);
  EXPECT_EQ(QueryA(key, nullptr).status, ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, AccessOfTheHandleIsEnforced) {
  Key setup;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Guarded", setup.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(setup, u"Value", 1), ERROR_SUCCESS);

  Key reader;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Guarded", 0, KEY_READ, reader.put()), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(reader, u"Value")), 1u);
  EXPECT_EQ(SetDword(reader, u"Value", 2), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueW(reader, u"Value"), ERROR_ACCESS_DENIED);
  Key child;
  EXPECT_EQ(RegCreateKeyExW(reader, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, child.put(), nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(DwordOf(QueryW(setup, u"Value")), 1u) << "a refused write changes nothing";

  Key writer;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Guarded", 0, KEY_WRITE, writer.put()), ERROR_SUCCESS);
  EXPECT_EQ(QueryW(writer, u"Value").status, ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetDword(writer, u"Value", 3), ERROR_SUCCESS);
  EXPECT_EQ(RegCreateKeyExW(writer, u"Child", 0, nullptr, 0, KEY_READ, nullptr, child.put(), nullptr), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(setup, u"Value")), 3u);
}

TEST_F(Registry, DeleteKeyRefusesAKeyWithSubkeys) {
  Key leaf;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Parent\\Child", leaf.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(leaf, u"V", 1), ERROR_SUCCESS);
  leaf.Close();

  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_ACCESS_DENIED);
  Key still;
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Parent\\Child", still.put()), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(still, u"V")), 1u);
  still.Close();

  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"software\\PARENT\\child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent\\Child"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Parent"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Parent", still.put()), ERROR_FILE_NOT_FOUND);

  // A value left behind by a deleted key never shows up in a new key of that name.
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Parent\\Child", leaf.put()), ERROR_SUCCESS);
  EXPECT_EQ(QueryW(leaf, u"V").status, ERROR_FILE_NOT_FOUND);

  // Hives themselves stay.
  EXPECT_EQ(RegDeleteKeyA(HKEY_USERS, "User"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, AHandleToADeletedKeyAnswersKeyDeleted) {
  Key stale;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Doomed", stale.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(stale, u"V", 1), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Doomed"), ERROR_SUCCESS);

  // A key of the same name made afterwards is another key.
  Key reborn;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Doomed", reborn.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(reborn, u"V", 2), ERROR_SUCCESS);

  DWORD size = 4, value = 0, count = 0;
  char16_t name[16];
  DWORD chars = 16;
  HKEY child = 0;
  EXPECT_EQ(RegQueryValueExW(stale, u"V", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_KEY_DELETED);
  EXPECT_EQ(SetDword(stale, u"V", 3), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueW(stale, u"V"), ERROR_KEY_DELETED);
  EXPECT_EQ(RegEnumValueW(stale, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegEnumKeyExW(stale, 0, name, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryInfoKeyW(stale, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyExW(stale, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyExW(stale, u"", 0, KEY_READ, &child), ERROR_KEY_DELETED);
  EXPECT_EQ(DwordOf(QueryW(reborn, u"V")), 2u);
  EXPECT_EQ(RegCloseKey(stale.release()), ERROR_SUCCESS);
}

TEST_F(Registry, ClosedAndForeignHandlesAreRefused) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Closing", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(SetDword(key, u"V", 1), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(QueryW(HKEY{0x80000009u}, u"V").status, ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);  // predefined keys stay usable
  EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  Key again;
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software", again.put()), ERROR_SUCCESS);
}

TEST_F(Registry, EachUserHasAHiveOfTheirOwnAlsoReachableUnderHkeyUsers) {
  {
    Key mine;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Maker", mine.put()), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(mine, u"Owner", 1), ERROR_SUCCESS);
  }

  platform::SetCurrentUser("Second");
  {
    Key theirs;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Maker", theirs.put()), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Maker", theirs.put()), ERROR_SUCCESS);
    EXPECT_EQ(QueryW(theirs, u"Owner").status, ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetDword(theirs, u"Owner", 2), ERROR_SUCCESS);
  }

  // HKEY_USERS\<user> is the same hive as that user's HKCU, whoever is current.
  Key viaUsers;
  ASSERT_EQ(RegOpenKeyA(HKEY_USERS, "User\\Software\\Maker", viaUsers.put()), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(viaUsers, u"Owner")), 1u);
  ASSERT_EQ(SetDword(viaUsers, u"FromUsers", 9), ERROR_SUCCESS);

  platform::SetCurrentUser("User");
  Key mine;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Maker", mine.put()), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(mine, u"Owner")), 1u);
  EXPECT_EQ(DwordOf(QueryW(mine, u"FromUsers")), 9u);
  Key second;
  ASSERT_EQ(RegOpenKeyA(HKEY_USERS, "second\\Software\\Maker", second.put()), ERROR_SUCCESS);
  EXPECT_EQ(DwordOf(QueryW(second, u"Owner")), 2u);

  // A handle keeps naming the key it was opened on when the user changes.
  platform::SetCurrentUser("Second");
  EXPECT_EQ(DwordOf(QueryW(mine, u"Owner")), 1u);
}

TEST_F(Registry, ClassesRootIsMachineSoftwareClasses) {
  Key viaRoot;
  ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "ZelFile\\shell\\open", viaRoot.put()), ERROR_SUCCESS);
  ASSERT_EQ(SetA(viaRoot, nullptr, REG_SZ, AnsiBytes("Open")), ERROR_SUCCESS);

  Key viaMachine;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\ZelFile\\shell\\open", viaMachine.put()),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryA(viaMachine, nullptr).data, AnsiBytes(std::string_view("Open", 5)));

  Key made;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zel", made.put()), ERROR_SUCCESS);
  Key classes;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"", 0, KEY_READ, classes.put()), ERROR_SUCCESS);
  EXPECT_EQ(SubkeyNamesW(classes), (std::vector<std::u16string>{u".zel", u"ZelFile"}));

  // Classes are machine-wide: another user sees them too.
  platform::SetCurrentUser("Second");
  Key other;
  EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "ZelFile\\shell\\open", other.put()), ERROR_SUCCESS);
}

TEST_F(Registry, ADatabaseThatCannotBeOpenedAnswersRegistryIoFailed) {
  Key key;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Before", key.put()), ERROR_SUCCESS);

  // A root below a plain file can hold no database.
  const std::filesystem::path blocker = root() / "plain-file";
  std::ofstream(blocker) << "x";
  platform::SetMachineRoot(blocker / "machine");
  HKEY created = 0xDEAD;
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\X", &created), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(created, HKEY{0});
  HKEY opened = 0;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software", 0, KEY_READ, &opened), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(QueryW(HKEY_LOCAL_MACHINE, u"V").status, ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(SetDword(key, u"V", 1), ERROR_REGISTRY_IO_FAILED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), ERROR_REGISTRY_IO_FAILED);

  platform::SetMachineRoot(root());
  EXPECT_EQ(SetDword(key, u"V", 1), ERROR_SUCCESS);
}

TEST_F(Registry, AHandleBelongsToTheMachineItWasOpenedOn) {
  Key first;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\First", first.put()), ERROR_SUCCESS);

  // On a second machine the same key id names some other key: the old handle must not reach it.
  const std::filesystem::path other = root() / "other-machine";
  platform::SetMachineRoot(other);
  Key second;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\First", second.put()), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(first, u"V", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(QueryW(second, u"V").status, ERROR_FILE_NOT_FOUND);
  platform::SetMachineRoot(root());
  EXPECT_EQ(SetDword(first, u"V", 1), ERROR_SUCCESS);
}

}  // namespace
