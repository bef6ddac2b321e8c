// The printer's font substitution table: rows round-trip through the printer data
// per printer language, a smaller table leaves no old rows behind, and a save
// that could not write says so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "interface/app/library_state.h"
#include "interface/pages/pcl_font_cache.h"
#include "interface/records/font_substitution_store.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

// A printer's font list of three faces, built the way the fonts page fills one.
class FontList {
 public:
  explicit FontList(const std::vector<std::string>& utf8Faces) : entries_(utf8Faces.size()) {
    for (size_t i = 0; i < utf8Faces.size(); ++i) {
      const std::string face = A(utf8Faces[i]);
      std::memcpy(entries_[i].metrics + kPclMetricsFaceOffset, face.c_str(), face.size() + 1);
    }
    list_.count = static_cast<DWORD>(entries_.size());
    list_.entries = entries_.data();
  }
  const PclFontList* get() const { return &list_; }

 private:
  std::vector<PclFontEntry> entries_;
  PclFontList list_{};
};

FontSubstitutionEntry Row(const std::string& utf8Face, int32_t index) {
  FontSubstitutionEntry row{};
  std::strncpy(row.trueTypeFace, A(utf8Face).c_str(), sizeof row.trueTypeFace - 1);
  row.printerFontIndex = index;
  return row;
}

class RecordsFontSubstitutionTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    printer_ = Install("nardo-c5545.ini", "Nardo C");
  }
  std::vector<FontSubstitutionEntry> Load(WORD pdl, const PclFontList* fonts) {
    std::vector<FontSubstitutionEntry> rows(kMaxFontSubstitutionKeys);
    rows.resize(
        static_cast<size_t>(LoadFontSubstitution(printer_, rows.data(), static_cast<int>(rows.size()), pdl, fonts)));
    return rows;
  }
  HANDLE printer_ = 0;
  FontList fonts_{{"CG Times", "Univers", "明朝"}};
};

TEST_F(RecordsFontSubstitutionTest, RowsComeBackInTheirOrderPerPrinterLanguage) {
  const std::vector<FontSubstitutionEntry> pcl = {
      Row("Times New Roman", 0), Row("ＭＳ 明朝", 2), Row("Arial", 1),
      // A face with a comma: the printer face follows the last comma.
      Row("Fancy, Inc. Sans", 1),
      // A face that names no font of the list keeps its row, without a printer face.
      Row("Wingdings", -1), Row("Symbol", 7)};
  ASSERT_EQ(SaveFontSubstitution(printer_, pcl.data(), static_cast<int>(pcl.size()), 0x8C, fonts_.get()), 1);
  const std::vector<FontSubstitutionEntry> ps = {Row("Courier New", 1)};
  ASSERT_EQ(SaveFontSubstitution(printer_, ps.data(), 1, 0x103, fonts_.get()), 1);

  EXPECT_EQ(GetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "Accessed").value_or(""), "TRUE");
  EXPECT_EQ(GetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "1").value_or(""), A("ＭＳ 明朝,明朝"));
  EXPECT_EQ(GetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "4").value_or(""), "Wingdings,");

  std::vector<FontSubstitutionEntry> loaded = Load(0x8C, fonts_.get());
  ASSERT_EQ(loaded.size(), pcl.size());
  for (size_t i = 0; i < pcl.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(loaded[i].trueTypeFace, pcl[i].trueTypeFace);
    EXPECT_EQ(loaded[i].printerFontIndex, i >= 4 ? -1 : pcl[i].printerFontIndex);
  }
  // Without a buffer: the number of rows stored, "Accessed" not counted.
  EXPECT_EQ(LoadFontSubstitution(printer_, nullptr, 0, 0x8C, fonts_.get()), 6);
  // The PostScript table is its own; any word with a PostScript bit reads it.
  loaded = Load(0x3, fonts_.get());
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_STREQ(loaded[0].trueTypeFace, "Courier New");
  EXPECT_EQ(loaded[0].printerFontIndex, 1);
  // A printer face is looked up in the list the caller has now.
  FontList reordered({"Univers", "CG Times"});
  loaded = Load(0x103, reordered.get());
  EXPECT_EQ(loaded[0].printerFontIndex, 0);
}

TEST_F(RecordsFontSubstitutionTest, ASmallerTableLeavesNoOldRowsBehind) {
  std::vector<FontSubstitutionEntry> rows = {Row("A", 0), Row("B", 1), Row("C", 2), Row("D", 0)};
  ASSERT_EQ(SaveFontSubstitution(printer_, rows.data(), 4, 0x8C, fonts_.get()), 1);
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "07", "Stray,Univers");
  rows = {Row("E", 1)};
  ASSERT_EQ(SaveFontSubstitution(printer_, rows.data(), 1, 0x8C, fonts_.get()), 1);
  std::vector<std::string> keys = Keys(printer_, kStorePrinterData, "FontSubstitutionPCL");
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"0", "Accessed"}));
  // An empty table is stored as one: marked as saved, with no rows.
  ASSERT_EQ(SaveFontSubstitution(printer_, nullptr, 0, 0x8C, fonts_.get()), 1);
  EXPECT_EQ(Keys(printer_, kStorePrinterData, "FontSubstitutionPCL"), (std::vector<std::string>{"Accessed"}));
  EXPECT_EQ(LoadFontSubstitution(printer_, nullptr, 0, 0x8C, fonts_.get()), 0);
}

TEST_F(RecordsFontSubstitutionTest, ASaveThatCannotWriteAnswersFailure) {
  const std::vector<FontSubstitutionEntry> rows = {Row("Arial", 1)};
  ASSERT_EQ(SaveFontSubstitution(printer_, rows.data(), 1, 0x8C, fonts_.get()), 1);

  // A user who may not administer the printer cannot write its data.
  ASSERT_TRUE(platform::spooler::SetPrinterAccess("Nardo C", "Guest", false));
  platform::SetCurrentUser("Guest");
  HANDLE guest = 0;
  PRINTER_DEFAULTSA use{nullptr, nullptr, PRINTER_ACCESS_USE};
  char name[] = "Nardo C";
  ASSERT_TRUE(OpenPrinterA(name, &guest, &use));
  const std::vector<FontSubstitutionEntry> other = {Row("Courier New", 0), Row("Impact", 2)};
  EXPECT_EQ(SaveFontSubstitution(guest, other.data(), 2, 0x8C, fonts_.get()), 0);
  ClosePrinter(guest);
  platform::SetCurrentUser("User");
  std::vector<FontSubstitutionEntry> loaded = Load(0x8C, fonts_.get());
  ASSERT_EQ(loaded.size(), 1u) << "nothing was written";
  EXPECT_STREQ(loaded[0].trueTypeFace, "Arial");

  EXPECT_EQ(SaveFontSubstitution(0x7777, rows.data(), 1, 0x8C, fonts_.get()), 0);
  EXPECT_EQ(SaveFontSubstitution(printer_, nullptr, 1, 0x8C, fonts_.get()), 0);
  EXPECT_EQ(SaveFontSubstitution(printer_, rows.data(), 1, 0x8C, nullptr), 0);
  EXPECT_EQ(SaveFontSubstitution(printer_, rows.data(), -1, 0x8C, fonts_.get()), 0);
}

// A settings library one of whose writes or deletes fails, as a full disk
// would; the calls before and after it succeed.
struct FailingStore {
  static inline int callsLeft = 0;
  static inline PFN_DBSetString setString = nullptr;
  static inline PFN_DBDeleteData deleteData = nullptr;
  static DWORD SetString(HANDLE p, int32_t kind, LPCSTR s, LPCSTR k, LPCSTR v) {
    return callsLeft-- == 0 ? ERROR_DISK_FULL : setString(p, kind, s, k, v);
  }
  static DWORD DeleteData(HANDLE p, int32_t kind, LPCSTR s, LPCSTR k) {
    return callsLeft-- == 0 ? ERROR_DISK_FULL : deleteData(p, kind, s, k);
  }
};

TEST_F(RecordsFontSubstitutionTest, ASaveThatFailsPartWayLeavesTheOldTable) {
  const std::vector<FontSubstitutionEntry> old = {Row("Arial", 1), Row("Times New Roman", 0), Row("Century", 0)};
  ASSERT_EQ(SaveFontSubstitution(printer_, old.data(), 3, 0x8C, fonts_.get()), 1);
  std::vector<std::string> oldKeys = Keys(printer_, kStorePrinterData, "FontSubstitutionPCL");
  std::sort(oldKeys.begin(), oldKeys.end());

  SettingsFunctions& settings = LibrarySettings();
  FailingStore::setString = settings.setString;
  FailingStore::deleteData = settings.deleteData;
  settings.setString = &FailingStore::SetString;
  settings.deleteData = &FailingStore::DeleteData;
  // The failing call: the second row, "Accessed", and the delete of a row a
  // shorter table no longer has.
  const struct {
    int writesThatSucceed;
    std::vector<FontSubstitutionEntry> rows;
  } cases[] = {{1, {Row("Impact", 2), Row("Courier New", 0), Row("Verdana", 1), Row("Symbol", 0)}},
               {4, {Row("Impact", 2), Row("Courier New", 0), Row("Verdana", 1), Row("Symbol", 0)}},
               {2, {Row("Impact", 2)}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.writesThatSucceed);
    FailingStore::callsLeft = c.writesThatSucceed;
    const int saved =
        SaveFontSubstitution(printer_, c.rows.data(), static_cast<int>(c.rows.size()), 0x8C, fonts_.get());
    FailingStore::callsLeft = -1;
    EXPECT_EQ(saved, 0);
    std::vector<std::string> keys = Keys(printer_, kStorePrinterData, "FontSubstitutionPCL");
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ(keys, oldKeys);
    const std::vector<FontSubstitutionEntry> loaded = Load(0x8C, fonts_.get());
    ASSERT_EQ(loaded.size(), old.size());
    for (size_t i = 0; i < old.size(); ++i) {
      EXPECT_STREQ(loaded[i].trueTypeFace, old[i].trueTypeFace);
      EXPECT_EQ(loaded[i].printerFontIndex, old[i].printerFontIndex);
    }
  }
  settings.setString = FailingStore::setString;
  settings.deleteData = FailingStore::deleteData;
}

TEST_F(RecordsFontSubstitutionTest, StoredValuesThatAreNotRowsAreLeftOut) {
  struct Case {
    const char* key;
    const char* value;  // UTF-8
    int result;
    const char* face;
    int32_t index;
  } cases[] = {
      {"0", "Arial,Univers", 1, "Arial", 1},
      {"12", "Arial,univers", 1, "Arial", 1},  // faces match without regard to case
      {"3", "Arial,Unknown", 1, "Arial", -1},
      {"3", "Arial,", 1, "Arial", -1},
      {"Accessed", "TRUE", 0, "", 0},
      {"x1", "Arial,Univers", 0, "", 0},
      {"4", "Accessed,Univers", 0, "", 0},
      {"4", "NoComma", 0, "", 0},
      {"4", ",Univers", 0, "", 0},
      {"", "Arial,Univers", 0, "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.value);
    FontSubstitutionEntry row;
    std::memset(&row, 0xEE, sizeof row);
    EXPECT_EQ(ParseFontSubstitutionRecord(&row, c.key, A(c.value).c_str(), fonts_.get()), c.result);
    EXPECT_EQ(U(row.trueTypeFace), c.face);
    EXPECT_EQ(row.printerFontIndex, c.index);
  }
  // A face longer than the row's field is cut to whole characters.
  const std::string longFace = std::string(198, 'f') + "明,Univers";
  FontSubstitutionEntry row{};
  ASSERT_EQ(ParseFontSubstitutionRecord(&row, "1", A(longFace).c_str(), fonts_.get()), 1);
  EXPECT_EQ(std::string(row.trueTypeFace), std::string(198, 'f'));

  // Stored keys that are no rows are counted without a buffer (as stored keys)
  // and left out with one; rows follow their numbers.
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "Accessed", "TRUE");
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "10", "Ten,Univers");
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "2", "Two,CG Times");
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "Junk", "Junk,Univers");
  SetString(printer_, kStorePrinterData, "FontSubstitutionPCL", "5", "NoComma");
  EXPECT_EQ(LoadFontSubstitution(printer_, nullptr, 0, 0x8C, fonts_.get()), 4);
  std::vector<FontSubstitutionEntry> loaded = Load(0x8C, fonts_.get());
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_STREQ(loaded[0].trueTypeFace, "Two");
  EXPECT_STREQ(loaded[1].trueTypeFace, "Ten");
  // The capacity bounds what is filled.
  FontSubstitutionEntry one[2];
  std::memset(one, 0xEE, sizeof one);
  EXPECT_EQ(LoadFontSubstitution(printer_, one, 1, 0x8C, fonts_.get()), 1);
  EXPECT_EQ(static_cast<unsigned char>(one[1].trueTypeFace[0]), 0xEE);
  EXPECT_EQ(LoadFontSubstitution(0, one, 1, 0x8C, fonts_.get()), 0);
}

}  // namespace
}  // namespace recordstest
