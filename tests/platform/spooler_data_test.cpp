// Printer data: typed values through the ANSI and wide calls, names matched without
// regard to case, and enumeration by index while values come and go.
#include <cstring>
#include <string>
#include <vector>

#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

Bytes Utf16Z(const std::u16string& text) {
  Bytes bytes((text.size() + 1) * 2, 0);
  std::memcpy(bytes.data(), text.data(), text.size() * 2);
  return bytes;
}

Bytes AnsiZ(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

struct Read {
  DWORD rc = 0xFFFF;
  DWORD type = 0xFFFF;
  DWORD needed = 0xFFFF;
  Bytes data;
};

Read GetW(HANDLE printer, std::u16string name, DWORD size = 4096) {
  Read read;
  read.data.assign(size, 0xEE);
  read.rc = GetPrinterDataW(printer, name.data(), &read.type, size ? read.data.data() : nullptr, size, &read.needed);
  read.data.resize(read.rc == ERROR_SUCCESS ? read.needed : 0);
  return read;
}

Read GetA(HANDLE printer, std::string name, DWORD size = 4096) {
  Read read;
  read.data.assign(size, 0xEE);
  read.rc = GetPrinterDataA(printer, name.data(), &read.type, size ? read.data.data() : nullptr, size, &read.needed);
  read.data.resize(read.rc == ERROR_SUCCESS ? read.needed : 0);
  return read;
}

DWORD SetW(HANDLE printer, std::u16string name, DWORD type, Bytes data) {
  return SetPrinterDataW(printer, name.data(), type, data.data(), static_cast<DWORD>(data.size()));
}

DWORD SetA(HANDLE printer, std::string name, DWORD type, Bytes data) {
  return SetPrinterDataA(printer, name.data(), type, data.data(), static_cast<DWORD>(data.size()));
}

DWORD Dword(DWORD value, Bytes* bytes) {
  bytes->resize(4);
  std::memcpy(bytes->data(), &value, 4);
  return value;
}

struct Entry {
  DWORD rc;
  std::u16string name;
  DWORD nameBytes;
  DWORD type;
  Bytes data;
};

Entry EnumW(HANDLE printer, DWORD index) {
  Entry entry{};
  std::vector<WCHAR> name(300, 0);
  Bytes data(4096);
  DWORD dataBytes = 0;
  entry.rc = EnumPrinterDataW(printer, index, name.data(), static_cast<DWORD>(name.size() * 2), &entry.nameBytes,
                              &entry.type, data.data(), static_cast<DWORD>(data.size()), &dataBytes);
  if (entry.rc == ERROR_SUCCESS) {
    entry.name = name.data();
    entry.data.assign(data.begin(), data.begin() + dataBytes);
  }
  return entry;
}

std::vector<std::u16string> AllNames(HANDLE printer) {
  std::vector<std::u16string> names;
  for (DWORD index = 0;; ++index) {
    Entry entry = EnumW(printer, index);
    if (entry.rc != ERROR_SUCCESS) {
      EXPECT_EQ(entry.rc, DWORD(ERROR_NO_MORE_ITEMS));
      return names;
    }
    names.push_back(entry.name);
  }
}

class PrinterDataTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    printer_ = Printer(AddPrinterNamed("Office"));
    ASSERT_NE(printer_.get(), 0u);
  }
  Printer printer_;
};

TEST_F(PrinterDataTest, TypedValuesRoundTripThroughTheWideCalls) {
  Bytes number;
  Dword(0x12345678, &number);
  Bytes quad = {1, 2, 3, 4, 5, 6, 7, 8};
  Bytes binary = {0x00, 0xFF, 0x00, 0x41, 0x00, 0x00, 0x7F};
  std::u16string multi = u"one";
  multi.push_back(0);
  multi += u"二";
  multi.push_back(0);
  struct Case {
    std::u16string name;
    DWORD type;
    Bytes data;
  };
  const Case cases[] = {
      {u"Number", REG_DWORD, number},
      {u"Quad", REG_QWORD, quad},
      {u"Binary", REG_BINARY, binary},
      {u"Empty", REG_BINARY, {}},
      {u"Text", REG_SZ, Utf16Z(u"設定 value")},
      {u"Expand", REG_EXPAND_SZ, Utf16Z(u"%TEMP%\\x")},
      {u"List", REG_MULTI_SZ, Utf16Z(multi)},
      {u"Untyped", REG_NONE, {9, 8, 7}},
      {u"", REG_DWORD, number},
  };
  for (const Case& c : cases) ASSERT_EQ(SetW(printer_, c.name, c.type, c.data), DWORD(ERROR_SUCCESS));
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::Utf8FromUtf16(c.name));
    Read read = GetW(printer_, c.name);
    ASSERT_EQ(read.rc, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(read.type, c.type);
    EXPECT_EQ(read.needed, c.data.size());
    EXPECT_EQ(read.data, c.data);
    if (c.data.empty()) continue;
    // A short buffer answers 234 with the size and type; nothing is copied.
    Read shortRead = GetW(printer_, c.name, static_cast<DWORD>(c.data.size() - 1));
    EXPECT_EQ(shortRead.rc, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(shortRead.needed, c.data.size());
    EXPECT_EQ(shortRead.type, c.type);
    Read probe = GetW(printer_, c.name, 0);
    EXPECT_EQ(probe.rc, DWORD(ERROR_MORE_DATA));
    EXPECT_EQ(probe.needed, c.data.size());
  }
  Read missing = GetW(printer_, u"Missing");
  EXPECT_EQ(missing.rc, DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(DeletePrinterDataW(printer_, std::u16string(u"Missing").data()), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(PrinterDataTest, AnsiStringsAreKeptAsUtf16AndCountedInAnsiBytes) {
  const std::string text = Ansi("ﾌﾟﾘﾝﾀ設定ソ表");  // half-width kana and trail bytes 0x5C
  struct Case {
    const char* what;
    DWORD type;
    Bytes ansi;
    Bytes wide;
  };
  std::string listAnsi = Ansi("一");
  listAnsi.push_back(0);
  listAnsi += "two";
  Bytes unterminated = Utf16Z(u"ﾌﾟﾘﾝﾀ設定ソ表");
  unterminated.resize(unterminated.size() - 2);
  std::u16string listWide = u"一";
  listWide.push_back(0);
  listWide += u"two";
  const Case cases[] = {
      {"plain text", REG_SZ, AnsiZ("zelumpdd1"), Utf16Z(u"zelumpdd1")},
      {"CP932 text", REG_SZ, AnsiZ(text), Utf16Z(u"ﾌﾟﾘﾝﾀ設定ソ表")},
      {"without its terminator", REG_SZ, Bytes(text.begin(), text.end()), unterminated},
      {"expandable", REG_EXPAND_SZ, AnsiZ(Ansi("%TEMP%\\表")), Utf16Z(u"%TEMP%\\表")},
      {"list", REG_MULTI_SZ, AnsiZ(listAnsi + '\0'), Utf16Z(listWide + u'\0')},
      // Binary data that looks like text is not converted.
      {"binary", REG_BINARY, AnsiZ(text), AnsiZ(text)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(SetA(printer_, "Value", c.type, c.ansi), DWORD(ERROR_SUCCESS));
    Read wide = GetW(printer_, u"Value");
    ASSERT_EQ(wide.rc, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(wide.type, c.type);
    EXPECT_EQ(wide.data, c.wide);
    Read ansi = GetA(printer_, "Value");
    ASSERT_EQ(ansi.rc, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(ansi.needed, c.ansi.size());
    EXPECT_EQ(ansi.data, c.ansi);
    // Sizes are in the call's width: the ANSI size is short for the wide call.
    Read shortWide = GetW(printer_, u"Value", static_cast<DWORD>(c.ansi.size()));
    if (c.wide.size() > c.ansi.size()) {
      EXPECT_EQ(shortWide.rc, DWORD(ERROR_MORE_DATA));
      EXPECT_EQ(shortWide.needed, c.wide.size());
    }
  }

  // A value written wide reads back in ANSI.
  ASSERT_EQ(SetW(printer_, u"Wide", REG_SZ, Utf16Z(u"経理部")), DWORD(ERROR_SUCCESS));
  Read ansi = GetA(printer_, "Wide");
  EXPECT_EQ(ansi.data, AnsiZ(Ansi("経理部")));
  Read shortAnsi = GetA(printer_, "Wide", 6);
  EXPECT_EQ(shortAnsi.rc, DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(shortAnsi.needed, 7u);
}

TEST_F(PrinterDataTest, NamesMatchWithoutRegardToCaseAndKeepTheirCase) {
  Bytes one, two;
  Dword(1, &one);
  Dword(2, &two);
  ASSERT_EQ(SetW(printer_, u"Printer_Cfg", REG_DWORD, one), 0u);
  ASSERT_EQ(SetW(printer_, u"Ｆｕｌｌ幅", REG_DWORD, one), 0u);
  // The ANSI calls address the same names, through a different case.
  ASSERT_EQ(SetA(printer_, "PRINTER_cfg", REG_DWORD, two), 0u);
  ASSERT_EQ(SetA(printer_, Ansi("ｆｕｌｌ幅"), REG_DWORD, two), 0u);
  EXPECT_EQ(GetA(printer_, "printer_CFG").data, two);
  EXPECT_EQ(GetW(printer_, u"ＦＵＬＬ幅").data, two);
  EXPECT_EQ(AllNames(printer_), (std::vector<std::u16string>{u"Printer_Cfg", u"Ｆｕｌｌ幅"}));

  // In code page 932 "ア" is 83 41 and "ヂ" is 83 61: trail bytes that look like
  // letters of two cases. They are different names.
  ASSERT_EQ(SetA(printer_, Ansi("アX"), REG_DWORD, one), 0u);
  ASSERT_EQ(SetA(printer_, Ansi("ヂX"), REG_DWORD, two), 0u);
  EXPECT_EQ(GetW(printer_, u"アx").data, one);
  EXPECT_EQ(GetW(printer_, u"ヂx").data, two);

  EXPECT_EQ(DeletePrinterDataA(printer_, std::string("PRINTER_CFG").data()), 0u);
  EXPECT_EQ(GetW(printer_, u"Printer_Cfg").rc, DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(PrinterDataTest, EnumerationProbeAnswersTheLongestNameAndData) {
  DWORD nameBytes = 0xFFFF;
  DWORD dataBytes = 0xFFFF;
  // A printer without data has nothing to enumerate, the probe included.
  EXPECT_EQ(EnumPrinterDataW(printer_, 0, nullptr, 0, &nameBytes, nullptr, nullptr, 0, &dataBytes),
            DWORD(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(EnumW(printer_, 0).rc, DWORD(ERROR_NO_MORE_ITEMS));

  Bytes twelve(12, 0x11);
  ASSERT_EQ(SetW(printer_, u"Short", REG_BINARY, twelve), 0u);
  ASSERT_EQ(SetW(printer_, u"日本語の長い名前", REG_SZ, Utf16Z(u"abcdefgh")), 0u);  // 8 chars, 16 ANSI bytes
  ASSERT_EQ(SetW(printer_, u"LongerAsciiName", REG_DWORD, Bytes(4, 0)), 0u);        // 15 chars

  struct Case {
    bool ansi;
    DWORD name;
    DWORD data;
  };
  // Wide: the 15-character ASCII name + NUL = 32 bytes, the text 18 bytes. ANSI:
  // the Japanese name's 16 bytes + NUL, the text 9 bytes, so the binary value's 12.
  for (const Case& c : {Case{false, 32, 18}, Case{true, 17, 12}}) {
    SCOPED_TRACE(c.ansi ? "ANSI" : "wide");
    nameBytes = dataBytes = 0;
    DWORD type = 0xABCD;
    DWORD rc = c.ansi ? EnumPrinterDataA(printer_, 0, nullptr, 0, &nameBytes, &type, nullptr, 0, &dataBytes)
                      : EnumPrinterDataW(printer_, 0, nullptr, 0, &nameBytes, &type, nullptr, 0, &dataBytes);
    EXPECT_EQ(rc, DWORD(ERROR_SUCCESS));
    EXPECT_EQ(nameBytes, c.name);
    EXPECT_EQ(dataBytes, c.data);
  }

  // Buffers of the probed sizes hold every value.
  for (DWORD index = 0; index < 3; ++index) {
    std::vector<char> name(17);
    Bytes data(12);
    DWORD type = 0;
    EXPECT_EQ(EnumPrinterDataA(printer_, index, name.data(), 17, &nameBytes, &type, data.data(), 12, &dataBytes),
              DWORD(ERROR_SUCCESS));
  }
  // A byte short of the name or of the data answers 234 with both sizes.
  DWORD type = 0;
  std::vector<WCHAR> name(16);
  Bytes data(18);
  EXPECT_EQ(EnumPrinterDataW(printer_, 2, name.data(), 31, &nameBytes, &type, data.data(), 18, &dataBytes),
            DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(nameBytes, 32u);
  EXPECT_EQ(dataBytes, 4u);
  EXPECT_EQ(EnumPrinterDataW(printer_, 1, name.data(), 32, &nameBytes, &type, data.data(), 17, &dataBytes),
            DWORD(ERROR_MORE_DATA));
  EXPECT_EQ(nameBytes, 18u);
  EXPECT_EQ(dataBytes, 18u);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(EnumPrinterDataW(printer_, 3, name.data(), 32, &nameBytes, &type, data.data(), 18, &dataBytes),
            DWORD(ERROR_NO_MORE_ITEMS));
}

TEST_F(PrinterDataTest, DeletingWhileWalkingShiftsTheLaterValuesDown) {
  std::vector<std::u16string> expected;
  for (int i = 0; i < 60; ++i) {
    std::u16string name = (i % 3 == 0 ? u"Drop_" : u"Keep_") + platform::Utf16FromUtf8(std::to_string(i));
    Bytes value;
    Dword(static_cast<DWORD>(i), &value);
    ASSERT_EQ(SetW(printer_, name, REG_DWORD, value), 0u);
    if (i % 3 != 0) expected.push_back(name);
  }
  // Overwriting keeps a value's place.
  Bytes changed;
  Dword(1000, &changed);
  ASSERT_EQ(SetW(printer_, u"keep_10", REG_DWORD, changed), 0u);
  EXPECT_EQ(EnumW(printer_, 10).name, u"Keep_10");
  EXPECT_EQ(EnumW(printer_, 10).data, changed);

  // Walk by index and delete as we go: after a delete the next value takes the
  // same index, so the walk stays put and skips nothing.
  DWORD index = 0;
  int deleted = 0;
  for (;;) {
    Entry entry = EnumW(printer_, index);
    if (entry.rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(entry.rc, DWORD(ERROR_SUCCESS));
    if (entry.name.rfind(u"Drop_", 0) == 0) {
      ASSERT_EQ(DeletePrinterDataW(printer_, entry.name.data()), 0u);
      ++deleted;
      Entry next = EnumW(printer_, index);
      if (next.rc == ERROR_SUCCESS) {
        EXPECT_NE(next.name, entry.name);
      }
      continue;
    }
    ++index;
  }
  EXPECT_EQ(deleted, 20);
  EXPECT_EQ(AllNames(printer_), expected);

  // A value added after the deletes goes to the end.
  ASSERT_EQ(SetW(printer_, u"Drop_0", REG_DWORD, changed), 0u);
  EXPECT_EQ(AllNames(printer_).back(), u"Drop_0");
  EXPECT_EQ(AllNames(printer_).size(), 41u);
}

TEST_F(PrinterDataTest, CallsOnABadHandleOrWithoutArgumentsFail) {
  Bytes value(4, 1);
  std::u16string name = u"Value";
  DWORD type = 0;
  DWORD needed = 0;
  const HANDLE bogus = 0x7FFC;
  EXPECT_EQ(GetPrinterDataW(bogus, name.data(), &type, value.data(), 4, &needed), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetPrinterDataW(bogus, name.data(), REG_DWORD, value.data(), 4), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetPrinterDataW(printer_, nullptr, REG_DWORD, value.data(), 4), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetPrinterDataW(printer_, name.data(), REG_DWORD, nullptr, 4), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(GetPrinterDataW(printer_, name.data(), &type, value.data(), 4, nullptr), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
