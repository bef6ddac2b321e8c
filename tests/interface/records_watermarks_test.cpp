// The user's watermarks in the store: the value form, what a malformed value does,
// saving that never loses stored watermarks, and the default watermarks of a
// user's first printer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "interface/records/watermark_store.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

class RecordsWatermarksTest : public RecordsTest {
 protected:
  HANDLE Install(const std::string& file, const std::string& printerName) {
    HANDLE printer = RecordsTest::Install(file, printerName);
    // A user of their own: the printer's set-up gives the installing user defaults.
    platform::SetCurrentUser("Marker");
    return printer;
  }
};

WatermarkRecord Make(const std::string& utf8Text, const std::string& utf8Face, WORD size, WORD angle, DWORD colour,
                     LONG x, LONG y, DWORD outline) {
  WatermarkRecord record{};
  std::strncpy(record.text, A(utf8Text).c_str(), sizeof record.text - 1);
  std::strncpy(record.faceName, A(utf8Face).c_str(), sizeof record.faceName - 1);
  std::strncpy(record.styleName, A("太字").c_str(), sizeof record.styleName - 1);
  record.size = size;
  record.weight = 700;
  record.styleBits = kWatermarkStyleBold | kWatermarkStyleItalic;
  record.angle = angle;
  record.colour = colour;
  record.xOffset = x;
  record.yOffset = y;
  record.outline = outline;
  return record;
}

std::map<std::string, WatermarkRecord> ByText(const std::vector<WatermarkRecord>& list) {
  std::map<std::string, WatermarkRecord> map;
  for (const WatermarkRecord& record : list) map[record.text] = record;
  return map;
}

std::vector<WatermarkRecord> LoadAll(HANDLE printer) {
  std::vector<WatermarkRecord> list(64);
  list.resize(static_cast<size_t>(LoadWatermarks(printer, list.data(), static_cast<int>(list.size()))));
  return list;
}

TEST_F(RecordsWatermarksTest, SavedWatermarksLoadBackByteForByte) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::vector<WatermarkRecord> saved = {
      Make("社外秘", "ＭＳ ゴシック", 72, 45, 0x7F7F7F, 0, 0, 0),
      // Offsets below the centre, a colour with the top bit, the outline flag.
      Make("Draft copy", "Arial", 300, 360, 0xFFFFFFFF, -25400, -1, 1),
      // The longest text a record holds, made of double-byte characters and a
      // backslash: the value name is its hexadecimal form, so any text is a key.
      Make(std::string(31, 'x') + "表\\ソ" + std::string(27, 'y'), "Courier New", 7, 0, 0, 25400, 25400, 0),
  };
  ASSERT_EQ(std::strlen(saved[2].text), 63u);
  ASSERT_EQ(SaveWatermarks(printer, saved.data(), static_cast<int>(saved.size())), 1);

  const std::vector<WatermarkRecord> loaded = LoadAll(printer);
  ASSERT_EQ(loaded.size(), saved.size());
  std::map<std::string, WatermarkRecord> byText = ByText(loaded);
  for (const WatermarkRecord& record : saved) {
    SCOPED_TRACE(U(record.text));
    ASSERT_EQ(byText.count(record.text), 1u);
    EXPECT_EQ(std::memcmp(&byText[record.text], &record, sizeof record), 0);
  }
  // The stored form: the name is the text in upper-case hexadecimal.
  EXPECT_EQ(GetString(printer, kStoreUser, kWatermarksSection, "8ED08A4F94E9").value_or("missing"),
            A("ＭＳ ゴシック,72,太字,45,8355711,700,3,0,0,0"));
  EXPECT_EQ(GetString(printer, kStoreUser, kWatermarksSection, "447261667420636F7079").value_or("missing"),
            A("Arial,300,太字,360,-1,700,3,-25400,-1,1"));
}

TEST_F(RecordsWatermarksTest, ValuesParseOnlyWhenEveryRequiredFieldIsThere) {
  struct Case {
    const char* value;  // UTF-8
    int result;
    const char* face;
    WORD size;
    LONG y;
    DWORD outline;
  } cases[] = {
      {"Arial,72,Bold,45,255,700,1,10,-20,1", 1, "Arial", 72, -20, 1},
      // Nine fields: the outline flag is optional.
      {"Arial,72,Bold,45,255,700,1,10,-20", 1, "Arial", 72, -20, 0},
      // Eight fields: the y offset is missing.
      {"Arial,72,Bold,45,255,700,1,10", 0, "", 0, 0, 0},
      {"Arial,72,Bold,45,255,700,1,10,-20,1,99", 0, "", 0, 0, 0},
      {"Arial,big,Bold,45,255,700,1,10,-20", 0, "", 0, 0, 0},
      {"Arial,72,Bold,45,255,700,1,10,", 0, "", 0, 0, 0},
      {"Arial,72,Bold,45,255,700,1,10,99999999999", 0, "", 0, 0, 0},
      {"", 0, "", 0, 0, 0},
      // Blanks around a number are read over; empty texts are texts.
      {",  9 ,, 0,0,400,0, 1 , 2 ", 1, "", 9, 2, 0},
      // A face longer than its field is cut at a whole character: 15 double-byte
      // characters and one byte fill 31 bytes; the 16th character does not fit.
      {"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯx明,72,Bold,45,0,400,0,0,0", 1, "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯx", 72, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    WatermarkRecord record;
    std::memset(&record, 0xEE, sizeof record);
    EXPECT_EQ(ParseWatermarkRecord(&record, "Name", A(c.value).c_str()), c.result);
    EXPECT_EQ(U(record.faceName), c.face);
    EXPECT_EQ(record.size, c.size);
    EXPECT_EQ(record.yOffset, c.y);
    EXPECT_EQ(record.outline, c.outline);
    EXPECT_STREQ(record.text, c.result ? "Name" : "");
    if (!c.result) {
      const WatermarkRecord zero{};
      EXPECT_EQ(std::memcmp(&record, &zero, sizeof record), 0) << "a refused record is left all zero";
    }
  }
  EXPECT_EQ(ParseWatermarkRecord(nullptr, "Name", "Arial,72,Bold,45,255,700,1,10,-20"), 0);
  WatermarkRecord record{};
  EXPECT_EQ(ParseWatermarkRecord(&record, nullptr, "Arial,72,Bold,45,255,700,1,10,-20"), 0);
  // The text comes from the value name and keeps to its 63 bytes.
  const std::string longName(100, 'n');
  EXPECT_EQ(ParseWatermarkRecord(&record, longName.c_str(), "Arial,72,Bold,45,255,700,1,10,-20"), 1);
  EXPECT_EQ(std::string(record.text), std::string(63, 'n'));
}

TEST_F(RecordsWatermarksTest, LoadingPassesOverForeignNamesAndBrokenValuesAndStopsAtTheCapacity) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::string good = "Arial,72,Bold,45,255,700,1,10,-20";
  SetString(printer, kStoreUser, kWatermarksSection, "41", good);                   // "A"
  SetString(printer, kStoreUser, kWatermarksSection, "42", good);                   // "B"
  SetString(printer, kStoreUser, kWatermarksSection, "43", "Arial,72");             // broken value
  SetString(printer, kStoreUser, kWatermarksSection, "NotHex", good);               // not one of ours
  SetString(printer, kStoreUser, kWatermarksSection, "410042", good);               // a zero byte inside
  SetString(printer, kStoreUser, kWatermarksSection, std::string(128, '4'), good);  // 64 bytes: too long
  SetString(printer, kStoreUser, kWatermarksSection, "6162", good);                 // lower-case digits: "ab"
  EXPECT_EQ(LoadWatermarks(printer, nullptr, 0), 3);

  std::vector<WatermarkRecord> list(5);
  std::memset(list.data(), 0xEE, list.size() * sizeof(WatermarkRecord));
  ASSERT_EQ(LoadWatermarks(printer, list.data(), 2), 2);
  for (int i = 2; i < 5; ++i) EXPECT_EQ(static_cast<unsigned char>(list[i].text[0]), 0xEE) << "past the capacity";
  ASSERT_EQ(LoadWatermarks(printer, list.data(), 5), 3);
  std::vector<std::string> texts = {list[0].text, list[1].text, list[2].text};
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"A", "B", "ab"}));
  EXPECT_EQ(LoadWatermarks(printer, list.data(), 0), 0);
  EXPECT_EQ(LoadWatermarks(printer, list.data(), -1), 0);
}

DWORD FailingSetString(HANDLE, int32_t, const char*, const char*, const char*) { return ERROR_WRITE_FAULT; }

// Stores the first value and fails every later one, as a store does that fills up.
PFN_DBSetString g_realSetString = nullptr;
int g_writesLeft = 0;
DWORD SetStringThenFail(HANDLE p, int32_t kind, const char* s, const char* k, const char* t) {
  if (g_writesLeft-- > 0) return g_realSetString(p, kind, s, k, t);
  return ERROR_WRITE_FAULT;
}

TEST_F(RecordsWatermarksTest, AFailedSaveNeverCostsAStoredWatermark) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::vector<WatermarkRecord> before = {Make("Old one", "Arial", 72, 45, 1, 0, 0, 0),
                                               Make("Old two", "Arial", 72, 45, 2, 0, 0, 0)};
  ASSERT_EQ(SaveWatermarks(printer, before.data(), 2), 1);
  const std::vector<WatermarkRecord> after = {Make("New one", "Arial", 72, 45, 3, 0, 0, 0),
                                              Make("New two", "Arial", 72, 45, 4, 0, 0, 0)};
  {
    BrokenSetting<PFN_DBSetString> broken(&SettingsFunctions::setString, &FailingSetString);
    EXPECT_EQ(SaveWatermarks(printer, after.data(), 2), 0);
  }
  EXPECT_EQ(ByText(LoadAll(printer)).size(), 2u);
  EXPECT_EQ(ByText(LoadAll(printer)).count("Old one"), 1u);
  {
    g_realSetString = Store().setString;
    g_writesLeft = 1;
    BrokenSetting<PFN_DBSetString> broken(&SettingsFunctions::setString, &SetStringThenFail);
    EXPECT_EQ(SaveWatermarks(printer, after.data(), 2), 0);
  }
  std::map<std::string, WatermarkRecord> kept = ByText(LoadAll(printer));
  EXPECT_EQ(kept.size(), 3u) << "the old ones stay beside the one new watermark that was written";
  EXPECT_EQ(kept.count("Old two"), 1u);
  EXPECT_EQ(kept.count("New one"), 1u);

  // A record whose value would not read back is refused, and nothing is deleted.
  std::vector<WatermarkRecord> withComma = after;
  std::strcpy(withComma[1].faceName, "Face, Inc");
  EXPECT_EQ(SaveWatermarks(printer, withComma.data(), 2), 0);
  EXPECT_EQ(ByText(LoadAll(printer)).count("Old one"), 1u);
  WatermarkRecord noText = after[0];
  noText.text[0] = '\0';
  EXPECT_EQ(SaveWatermarks(printer, &noText, 1), 0);
  WatermarkRecord noNul = after[0];
  std::memset(noNul.text, 'T', sizeof noNul.text);  // a foreign record: 64 bytes, no NUL
  EXPECT_EQ(SaveWatermarks(printer, &noNul, 1), 0);
  EXPECT_EQ(ByText(LoadAll(printer)).size(), 3u);

  // Once everything is written, the watermarks no longer listed go.
  EXPECT_EQ(SaveWatermarks(printer, after.data(), 2), 1);
  kept = ByText(LoadAll(printer));
  EXPECT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept.count("New two"), 1u);
  EXPECT_EQ(SaveWatermarks(printer, nullptr, 0), 1);
  EXPECT_EQ(LoadWatermarks(printer, nullptr, 0), 0);
  EXPECT_EQ(SaveWatermarks(printer, nullptr, 1), 0);
}

TEST_F(RecordsWatermarksTest, EachUserGetsTheDefaultWatermarksOnceAndKeepsTheirChanges) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const char* const keys[] = {"8ED08A4F94E9", "83528373815B", "8368838983748367"};  // 社外秘, コピー, ドラフト
  const std::string look = A("ＭＳ ゴシック,72,標準,45,8355711,400,0,0,0");

  platform::SetCurrentUser("Second");
  EXPECT_TRUE(Keys(printer, kStoreUser, kWatermarksSection).empty());
  ASSERT_EQ(CreateDefaultWatermarks(printer), 1);
  for (const char* key : keys)
    EXPECT_EQ(GetString(printer, kStoreUser, kWatermarksSection, key).value_or(""), look) << key;
  std::map<std::string, WatermarkRecord> loaded = ByText(LoadAll(printer));
  ASSERT_EQ(loaded.size(), 3u);
  const WatermarkRecord& confidential = loaded[A("社外秘")];
  EXPECT_EQ(confidential.size, 72);
  EXPECT_EQ(confidential.angle, 45);
  EXPECT_EQ(confidential.colour, 0x7F7F7Fu);
  EXPECT_EQ(confidential.weight, 400);
  EXPECT_EQ(U(confidential.faceName), "ＭＳ ゴシック");

  // The section is shared by all the user's printers: setting up another printer
  // keeps a default watermark the user changed.
  SetString(printer, kStoreUser, kWatermarksSection, keys[1], "Arial,20,Bold,0,255,700,1,0,0");
  ASSERT_EQ(CreateDefaultWatermarks(printer), 1);
  EXPECT_EQ(GetString(printer, kStoreUser, kWatermarksSection, keys[1]).value_or(""), "Arial,20,Bold,0,255,700,1,0,0");

  // The first user's watermarks are theirs alone.
  platform::SetCurrentUser("User");
  SetString(printer, kStoreUser, kWatermarksSection, keys[0], "Mine,10,Bold,0,0,400,0,0,0");
  platform::SetCurrentUser("Third");
  ASSERT_EQ(CreateDefaultWatermarks(printer), 1);
  platform::SetCurrentUser("User");
  EXPECT_EQ(GetString(printer, kStoreUser, kWatermarksSection, keys[0]).value_or(""), "Mine,10,Bold,0,0,400,0,0,0");
}

}  // namespace
}  // namespace recordstest
