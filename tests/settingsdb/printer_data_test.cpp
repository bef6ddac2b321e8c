// Store kinds 0, 7 and 8: the printer's data in the spooler.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "tests/settingsdb/settings_fixture.h"

namespace settingstest {
namespace {

std::vector<std::string> Keys(testsupport::SettingsLibrary& db, HANDLE printer, int kind, const char* section,
                              DWORD* openRc = nullptr) {
  std::vector<std::string> keys;
  DBENUM* e = nullptr;
  DWORD rc = db.EnumOpen(printer, kind, section, &e);
  if (openRc) *openRc = rc;
  if (rc != 0) return keys;
  char name[256];
  DWORD size = sizeof name;
  while (db.EnumNext(e, name, &size) == 0) {
    keys.push_back(name);
    size = sizeof name;
  }
  db.EnumClose(e);
  return keys;
}

TEST_F(SettingsStoreTest, StringsAreStoredAsUtf16UnderTheSectionKeyName) {
  const std::string text = platform::AnsiFromUtf8("ﾄﾗｸﾀ プリンタ");
  ASSERT_EQ(db.SetString(printer, 0, "Printer", "Model", text.c_str()), 0u);

  // The value is the spooler's "Printer_Model", REG_SZ in UTF-16 with its terminator.
  std::u16string expected = platform::ToUtf16(text);
  BYTE raw[64] = {};
  DWORD type = 0;
  DWORD needed = 0;
  char16_t name[] = u"Printer_Model";
  ASSERT_EQ(GetPrinterDataW(printer, name, &type, raw, sizeof raw, &needed), 0u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(needed, (expected.size() + 1) * 2);

  BYTE data[64] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(db.GetData(printer, 0, "Printer", "Model", data, &size), 0u);
  ASSERT_EQ(size, (expected.size() + 1) * 2);
  EXPECT_EQ(std::memcmp(data, expected.c_str(), size), 0);

  DWORD rc = 1;
  EXPECT_EQ(ReadString(db, printer, 0, "Printer", "Model", &rc), text);
  EXPECT_EQ(rc, 0u);
}

TEST_F(SettingsStoreTest, StringReadsReportTheStoredUtf16Size) {
  ASSERT_EQ(db.SetString(printer, 0, "Printer", "Name", "0123456789"), 0u);
  char buffer[260];
  DWORD size = sizeof buffer;
  ASSERT_EQ(db.GetString(printer, 0, "Printer", "Name", buffer, &size), 0u);
  EXPECT_EQ(size, 22u);
  EXPECT_STREQ(buffer, "0123456789");

  // Too short: the spooler's 234 with the need, and the caller's buffer cleared.
  char small[6];
  std::memset(small, 'x', sizeof small);
  size = sizeof small;
  EXPECT_EQ(db.GetString(printer, 0, "Printer", "Name", small, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 22u);
  EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, '\0'));
}

TEST_F(SettingsStoreTest, TypeMismatchesAnswer1804AfterTheSpoolersOwnAnswer) {
  ASSERT_EQ(db.SetString(printer, 0, "Printer", "Char", "x"), 0u);  // 4 bytes of UTF-16: fits a number
  ASSERT_EQ(db.SetString(printer, 0, "Printer", "Text", "abc"), 0u);
  ASSERT_EQ(db.SetDword(printer, 0, "Printer", "Number", 5), 0u);
  DWORD number = 99;
  EXPECT_EQ(db.GetDword(printer, 0, "Printer", "Char", &number), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
  // A number is read into 4 bytes: a longer value is the spooler's "too small" first.
  EXPECT_EQ(db.GetDword(printer, 0, "Printer", "Text", &number), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(number, 99u);
  char text[16];
  DWORD size = sizeof text;
  EXPECT_EQ(db.GetString(printer, 0, "Printer", "Number", text, &size), static_cast<DWORD>(ERROR_INVALID_DATATYPE));
  BYTE data[16];
  size = sizeof data;
  EXPECT_EQ(db.GetData(printer, 0, "Printer", "Number", data, &size), 0u) << "data reads check no type";
  EXPECT_EQ(size, 4u);
}

TEST_F(SettingsStoreTest, ShortDataBufferAnswers234WithTheNeed) {
  std::vector<BYTE> blob(300, 0xAB);
  ASSERT_EQ(db.SetData(printer, 0, "Font", "Metrics", blob.data(), static_cast<DWORD>(blob.size())), 0u);
  BYTE small[10];
  DWORD size = sizeof small;
  EXPECT_EQ(db.GetData(printer, 0, "Font", "Metrics", small, &size), static_cast<DWORD>(ERROR_MORE_DATA));
  EXPECT_EQ(size, 300u);
}

TEST_F(SettingsStoreTest, SectionsOwnOnlyTheirOwnValues) {
  // "FontList" and "PCLFontDisk" merely start like "Font" / "PCLFont": they are
  // other sections and must survive a delete of "Font".
  for (const char* section : {"Font", "FontList", "PCLFont", "PCLFontDisk"}) {
    ASSERT_EQ(db.SetDword(printer, 0, section, "A", 1), 0u);
    ASSERT_EQ(db.SetDword(printer, 0, section, "B", 2), 0u);
  }
  EXPECT_EQ(Keys(db, printer, 0, "Font"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Keys(db, printer, 0, "PCLFont"), (std::vector<std::string>{"A", "B"}));

  ASSERT_EQ(db.DeleteSection(printer, 0, "Font"), 0u);
  ASSERT_EQ(db.DeleteSection(printer, 7, "PCLFont"), 0u);
  EXPECT_TRUE(Keys(db, printer, 0, "Font").empty());
  EXPECT_EQ(Keys(db, printer, 0, "FontList"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Keys(db, printer, 0, "PCLFontDisk"), (std::vector<std::string>{"A", "B"}));
}

TEST_F(SettingsStoreTest, SectionDeleteRemovesEveryMatchingValueWhileIndexesShift) {
  // Matching values side by side and between others: a walk by index that does
  // not account for the shift after each delete would skip every second one.
  for (int i = 0; i < 60; ++i) {
    std::string key = "K" + std::to_string(i);
    ASSERT_EQ(db.SetDword(printer, 0, "Doomed", key.c_str(), static_cast<DWORD>(i)), 0u);
    if (i % 7 == 0) {
      ASSERT_EQ(db.SetDword(printer, 0, "Kept", key.c_str(), static_cast<DWORD>(i)), 0u);
    }
  }
  ASSERT_EQ(db.DeleteSection(printer, 0, "Doomed"), 0u);
  EXPECT_TRUE(Keys(db, printer, 0, "Doomed").empty());
  EXPECT_EQ(Keys(db, printer, 0, "Kept").size(), 9u);
}

TEST_F(SettingsStoreTest, PrinterWithoutDataEnumeratesAs259AndDeletesAsSuccess) {
  AddPrinter("Empty Printer");
  HANDLE empty = Open("Empty Printer");
  ASSERT_NE(empty, 0u);
  // Whatever printer set-up stored, clear it to have a printer without any data.
  std::vector<std::string> all;
  for (DWORD index = 0;;) {
    char16_t name[256];
    DWORD nameSize = 0, type = 0, dataSize = 0;
    BYTE data[4096];
    if (EnumPrinterDataW(empty, index, name, sizeof name, &nameSize, &type, data, sizeof data, &dataSize) != 0) break;
    DeletePrinterDataW(empty, name);
  }
  DWORD rc = 0;
  DBENUM* e = reinterpret_cast<DBENUM*>(1);
  rc = db.EnumOpen(empty, 0, "Printer", &e);
  EXPECT_EQ(rc, static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_EQ(e, nullptr);
  EXPECT_EQ(db.DeleteSection(empty, 0, "Printer"), 0u);
  ClosePrinter(empty);
}

TEST_F(SettingsStoreTest, InvalidPrinterHandleIsPassedThrough) {
  DWORD value = 0;
  EXPECT_NE(db.GetDword(0, 0, "Printer", "Cfg", &value), 0u);
  EXPECT_NE(db.SetDword(0, 0, "Printer", "Cfg", 1), 0u);
  EXPECT_NE(ReadString(db, 0, 3, "General", "ModelName"), "Sample Model 5");
}

}  // namespace
}  // namespace settingstest
