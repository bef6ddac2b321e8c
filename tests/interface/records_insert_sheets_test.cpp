// Inserted-sheet sets and the slip-sheet block of a job, read from the user's
// settings, which anyone can write: what parses, in which order, and that no
// stored count lets a read run past the job's fixed blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "interface/records/insert_sheet_store.h"
#include "interface/records/slip_sheet_defaults.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

class RecordsInsertSheetsTest : public RecordsTest {};

TEST_F(RecordsInsertSheetsTest, RowsNeedSixNumbersAndOnlyTabRowsKeepTheirText) {
  struct Case {
    const char* key;
    const char* value;  // UTF-8
    int result;
    int32_t page;
    int32_t tab;
    const char* text;
  } cases[] = {
      {"1", "3,0,1,2,0,1,Chapter 1;", 1, 3, 1, "Chapter 1"},
      {"2", "4,0,0,0,1,1,見出し;ignored", 1, 4, 1, "見出し"},
      {"3", "5,0,0,0,1,0,Name;", 1, 5, 0, ""},  // not a tab row: no text
      {"4", "6,0,0,0,0,0", 1, 6, 0, ""},
      {"5", "7,0,0,0,0,2;", 1, 7, 2, ""},  // a tab row without text
      {"6", "8,0,0,0,0,1,No end", 1, 8, 1, "No end"},
      {"7", "-2, 1 ,2,3,4,5,x;", 1, -2, 5, "x"},
      {"8", "1,2,3,4,5", 0, 0, 0, ""},
      {"9", "1,2,3,4,5,six,x;", 0, 0, 0, ""},
      {"10", "1,2,,4,5,6", 0, 0, 0, ""},
      {"General", "1,2,3,4,5,6", 0, 0, 0, ""},
      {"", "1,2,3,4,5,6", 0, 0, 0, ""},
      // The text is cut to 31 bytes of whole characters.
      {"11", "1,0,0,0,0,1,ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ0Ｐ;", 1, 1, 1, "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.value);
    PageTicketRow row;
    std::memset(&row, 0xEE, sizeof row);
    EXPECT_EQ(ParseInsertSheetRow(&row, c.key, A(c.value).c_str()), c.result);
    EXPECT_EQ(row.pageNumber, c.page);
    EXPECT_EQ(row.tabFlag, c.tab);
    EXPECT_EQ(U(row.tabText), c.text);
  }
}

TEST_F(RecordsInsertSheetsTest, TheHeaderNeedsItsNineFields) {
  struct Case {
    const char* key;
    const char* value;
    int result;
    int32_t number;
    const char* name;
    const char* shortName;
    int32_t last;
  } cases[] = {
      {"General", "2,Monthly report,Tabs,-1,1,2,3,4,5", 1, 2, "Monthly report", "Tabs", 5},
      {"General", "2,Monthly report,Tabs,-1,1,2,3,4,5;", 1, 2, "Monthly report", "Tabs", 5},
      {"General", "2,A name longer than thirty-one bytes,A short name too long,0,0,0,0,0,9", 1, 2,
       "A name longer than thirty-one b", "A short name to", 9},
      {"General", "2,Name,Tabs,-1,1,2,3,4", 0, 0, "", "", 0},
      {"General", "2,Name,Tabs,-1,1,2,3,4,5,6", 0, 0, "", "", 0},
      {"General", "x,Name,Tabs,-1,1,2,3,4,5", 0, 0, "", "", 0},
      {"1General", "2,Name,Tabs,-1,1,2,3,4,5", 0, 0, "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    InsertSheetHeader header;
    std::memset(&header, 0xEE, sizeof header);
    EXPECT_EQ(ParseInsertSheetHeader(&header, c.key, c.value), c.result);
    EXPECT_EQ(header.number, c.number);
    EXPECT_STREQ(header.name, c.name);
    EXPECT_STREQ(header.shortName, c.shortName);
    EXPECT_EQ(header.values[4], c.last);
  }
}

TEST_F(RecordsInsertSheetsTest, ASetReadsItsRowsInOrderAndNeverMoreThanItsBufferHolds) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::string set = "InsertSheets";
  SetString(printer, kStoreUser, set, "General", "1,Report,Tabs,0,0,0,0,0,0");
  SetString(printer, kStoreUser, set, "10", "30,0,0,0,0,1,Ten;");
  SetString(printer, kStoreUser, set, "2", "20,0,0,0,0,0");
  SetString(printer, kStoreUser, set, "1", "10,0,0,0,1,0");
  SetString(printer, kStoreUser, set, "3", "broken");

  std::vector<PageTicketRow> rows(kInsertSheetSetMaxRows);
  InsertSheetSet loaded{};
  loaded.rows = rows.data();
  ASSERT_EQ(LoadInsertSheetSet(printer, &loaded, set.c_str()), 3);
  EXPECT_EQ(loaded.rowCount, 3);
  EXPECT_STREQ(loaded.name, "InsertSheets");
  EXPECT_STREQ(loaded.header.name, "Report");
  EXPECT_EQ(rows[0].pageNumber, 10);
  EXPECT_EQ(rows[1].pageNumber, 20);
  EXPECT_EQ(rows[2].pageNumber, 30);
  EXPECT_STREQ(rows[2].tabText, "Ten");
  EXPECT_EQ(ReadInsertSheetRows(printer, nullptr, 0, set.c_str()), 3);

  // 130 stored rows: the set takes its 100, and the row after its buffer is untouched.
  const std::string big = "Big";
  for (int i = 0; i < 130; ++i)
    SetString(printer, kStoreUser, big, std::to_string(i), std::to_string(i) + ",0,0,0,0,0");
  std::vector<PageTicketRow> guarded(kInsertSheetSetMaxRows + 1);
  std::memset(&guarded.back(), 0xEE, sizeof(PageTicketRow));
  InsertSheetSet bigSet{};
  bigSet.rows = guarded.data();
  EXPECT_EQ(LoadInsertSheetSet(printer, &bigSet, big.c_str()), kInsertSheetSetMaxRows);
  EXPECT_EQ(guarded[99].pageNumber, 99);
  EXPECT_EQ(guarded.back().pageNumber, static_cast<int32_t>(0xEEEEEEEE));
  EXPECT_EQ(ReadInsertSheetRows(printer, guarded.data(), 5, big.c_str()), 5);
  EXPECT_EQ(ReadInsertSheetRows(printer, nullptr, 0, big.c_str()), 130);

  // A name too long to be a set's names no set; a missing set has no rows.
  InsertSheetSet other{};
  other.rows = rows.data();
  EXPECT_EQ(LoadInsertSheetSet(printer, &other, std::string(31, 'n').c_str()), 0);
  EXPECT_STREQ(other.name, "");
  EXPECT_EQ(LoadInsertSheetSet(printer, &other, "Missing"), 0);
  EXPECT_STREQ(other.name, "Missing");
  InsertSheetSet noBuffer{};
  EXPECT_EQ(LoadInsertSheetSet(printer, &noBuffer, set.c_str()), 0);
  EXPECT_STREQ(noBuffer.header.name, "Report");
  EXPECT_EQ(LoadInsertSheetSet(printer, nullptr, set.c_str()), 0);
}

// The block with a guard after it: a read that runs past the 992 bytes shows.
struct GuardedTable {
  SlipSheetTable table;
  unsigned char guard[64];
};

TEST_F(RecordsInsertSheetsTest, TheSlipSheetBlockTakesWhatIsStored) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  SetDword(printer, kStoreUser, "Defaults", "Type", 7);
  SetDword(printer, kStoreUser, "Defaults", "CmdNbr", 2);
  SetString(printer, kStoreUser, "Defaults", "CmdString", "DEPT=SALES");
  SetString(printer, kStoreUser, "Defaults", "IndexPair0", "3,4");
  SetDword(printer, kStoreUser, "Defaults", "InsertNbr0", 3);
  SetString(printer, kStoreUser, "Defaults", "Inserts0", "5,6,-7");
  SetString(printer, kStoreUser, "Defaults", "IndexPair1", "8,9");
  SetDword(printer, kStoreUser, "Defaults", "InsertNbr1", 1);
  SetString(printer, kStoreUser, "Defaults", "Inserts1", "10,11");
  // Entry 2 is beyond CmdNbr and is not read.
  SetString(printer, kStoreUser, "Defaults", "IndexPair2", "1,1");

  SlipSheetTable table;
  std::memset(&table, 0xEE, sizeof table);
  ASSERT_EQ(LoadDefaults(printer, &table), 1);
  // The block as the graphics library reads it, by byte offset.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&table);
  auto at = [&](size_t offset) {
    int32_t value;
    std::memcpy(&value, bytes + offset, 4);
    return value;
  };
  EXPECT_EQ(at(988), 7);
  EXPECT_EQ(at(984), 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 732), "DEPT=SALES");
  EXPECT_EQ(at(0), 3);
  EXPECT_EQ(at(4), 3);
  EXPECT_EQ(at(8), 4);
  EXPECT_EQ(at(12), 5);
  EXPECT_EQ(at(20), -7);
  EXPECT_EQ(at(244), 1);
  EXPECT_EQ(at(248), 8);
  EXPECT_EQ(at(256), 10);
  EXPECT_EQ(at(260), 0) << "one insert asked for, one taken";
  EXPECT_EQ(at(488), 0);
  EXPECT_EQ(at(492), 0);
  EXPECT_EQ(LoadDefaults(printer, nullptr), 0);
}

TEST_F(RecordsInsertSheetsTest, StoredCountsNeverRunPastTheSlipSheetBlock) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  std::string many;
  for (int i = 0; i < 200; ++i) many += std::to_string(i + 1) + ",";
  struct Case {
    DWORD cmdNbr;
    DWORD insertNbr;
    std::string inserts;
    int32_t entries;
    int32_t count;
  } cases[] = {
      {1000, 100000, many, 3, kSlipSheetMaxInserts},
      {0xFFFFFFFF, 0xFFFFFFFF, many, 3, kSlipSheetMaxInserts},
      {3, 58, many, 3, 58},
      // Fewer numbers stored than announced: the count is what is there.
      {1, 5, "1,2", 1, 2},
      {1, 5, "1,x,3", 1, 1},
      {1, 5, "", 1, 0},
      {0, 5, "1,2", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.cmdNbr) + " / " + std::to_string(c.insertNbr));
    SetDword(printer, kStoreUser, "Defaults", "CmdNbr", c.cmdNbr);
    for (int i = 0; i < 4; ++i) {
      SetDword(printer, kStoreUser, "Defaults", "InsertNbr" + std::to_string(i), c.insertNbr);
      SetString(printer, kStoreUser, "Defaults", "Inserts" + std::to_string(i), c.inserts);
      SetString(printer, kStoreUser, "Defaults", "IndexPair" + std::to_string(i), "1,2,3");
    }
    SetString(printer, kStoreUser, "Defaults", "CmdString", std::string(400, 'c'));
    GuardedTable guarded;
    std::memset(&guarded, 0xEE, sizeof guarded);
    ASSERT_EQ(LoadDefaults(printer, &guarded.table), 1);
    EXPECT_EQ(guarded.table.entryCount, c.entries);
    for (int i = 0; i < c.entries; ++i) {
      EXPECT_EQ(guarded.table.entries[i].insertCount, c.count);
      EXPECT_EQ(guarded.table.entries[i].pairFirst, 0) << "a pair of three numbers is no pair";
    }
    if (c.entries == 3) {
      EXPECT_EQ(guarded.table.entries[2].inserts[57], c.count == 58 ? 58 : 0);
    }
    EXPECT_EQ(std::string(guarded.table.commandString), std::string(249, 'c'));
    for (unsigned char byte : guarded.guard) ASSERT_EQ(byte, 0xEE) << "written past the block";
  }
}

}  // namespace
}  // namespace recordstest
