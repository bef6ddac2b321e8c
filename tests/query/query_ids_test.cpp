// Questions by query id against net-snmp's agent serving the printer's objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "query/query_ids.h"
#include "tests/query/query_fixture.h"

namespace querytest {
namespace {

class QueryIdTest : public QueryTest {
 protected:
  bool Asked(const std::string& request) {
    const std::vector<std::string> requests = agent.Requests();
    return std::find(requests.begin(), requests.end(), request) != requests.end();
  }
};

#define START_AGENT(table) \
  if (!StartAgent(table)) GTEST_SKIP() << "snmpd is not installed"

TEST_F(QueryIdTest, WholePrinterItemsAskTheirObjectExactlyAsListed) {
  START_AGENT(
      "1.3.6.1.2.1.25.3.2.1.5.1 integer 5\n"
      "1.3.6.1.2.1.25.3.5.1.1.1 integer 3\n"
      "1.3.6.1.2.1.25.3.5.1.2.1 octet 80 40\n"
      "1.3.6.1.2.1.43.5.1.1.10.1 integer 7\n"
      "1.3.6.1.2.1.43.11.1.1.8.1.2 integer 900\n"
      "1.3.6.1.4.1.4417.6.1.0 string Rack 3\n"
      "1.3.6.1.4.1.4417.6.12.1.3.4 integer 44\n");
  struct IntegerCase {
    int id;
    const char* object;
    int32_t value;
  };
  for (const IntegerCase& c :
       {IntegerCase{78, "1.3.6.1.2.1.25.3.2.1.5.1", 5}, IntegerCase{17, "1.3.6.1.2.1.25.3.5.1.1.1", 3},
        IntegerCase{16, "1.3.6.1.2.1.43.5.1.1.10.1", 7}, IntegerCase{30, "1.3.6.1.2.1.43.11.1.1.8.1.2", 900},
        IntegerCase{41, "1.3.6.1.4.1.4417.6.12.1.3.4", 44}, IntegerCase{44, "1.3.6.1.4.1.4417.6.12.1.3.4", 44}}) {
    agent.ClearRequests();
    int32_t value = 0;
    EXPECT_EQ(SnmpQueryA(c.id, kPrinter, &session, &value, 4), SNMP_RESULT_OK) << c.id;
    EXPECT_EQ(value, c.value) << c.id;
    EXPECT_EQ(agent.Requests(), std::vector<std::string>{std::string("get ") + c.object}) << c.id;
  }
  char state[8] = {};
  std::memset(state, 'x', sizeof state);
  EXPECT_EQ(SnmpQueryA(18, kPrinter, &session, state, sizeof state), SNMP_RESULT_OK);
  EXPECT_EQ(std::string(state, 3), std::string("\x80\x40\0", 3)) << "two octets, terminated";
  char location[32] = {};
  EXPECT_EQ(SnmpQueryA(6, kPrinter, &session, location, sizeof location), SNMP_RESULT_OK);
  EXPECT_STREQ(location, "Rack 3");
  char cut[4] = {};
  EXPECT_EQ(SnmpQueryA(6, kPrinter, &session, cut, sizeof cut), SNMP_RESULT_OK);
  EXPECT_EQ(std::string(cut, 4), "Rack") << "cut to the area, no room for a terminator";
  int32_t value = 7;
  EXPECT_EQ(SnmpQueryA(42, kPrinter, &session, &value, 4), SNMP_RESULT_OK) << "no object to ask";
}

TEST_F(QueryIdTest, TooSmallAreasUnknownIdsAndNullOutputsSendNothing) {
  START_AGENT("1.3.6.1.4.1.4417.4.1.0 integer 1\n");
  agent.ClearRequests();
  char area[200] = {};
  struct Case {
    int id;
    int size;
  };
  for (const Case& c : {Case{5, 3}, Case{48, 4}, Case{0, 4}, Case{84, 4}, Case{4, 63}, Case{59, 99}, Case{79, 185},
                        Case{83, 5}, Case{35, 0}}) {
    EXPECT_EQ(SnmpQueryA(c.id, kPrinter, &session, area, c.size), SNMP_RESULT_FAILED) << c.id;
  }
  EXPECT_EQ(SnmpQueryA(5, kPrinter, &session, nullptr, 4), SNMP_RESULT_FAILED);
  for (const Case& c : {Case{7, 185}, Case{8, 7}, Case{69, 99}, Case{1, 4}, Case{72, 4}, Case{23, 4}}) {
    EXPECT_EQ(SnmpQueryB(c.id, kPrinter, "Main", &session, area, c.size), SNMP_RESULT_FAILED) << c.id;
  }
  EXPECT_TRUE(agent.Requests().empty());
}

TEST_F(QueryIdTest, AnIntegerItemGivenTextLeavesMinusOne) {
  START_AGENT("1.3.6.1.4.1.4417.4.1.0 string seven\n");
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryA(3, kPrinter, &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, -1);
}

TEST_F(QueryIdTest, SupplyLevelsAreReadFromTheRowOfTheirType) {
  START_AGENT(
      "1.3.6.1.2.1.43.11.1.1.5.1.1 integer 3\n"
      "1.3.6.1.2.1.43.11.1.1.5.1.4 integer 9\n"
      "1.3.6.1.2.1.43.11.1.1.5.1.7 integer 15\n"
      "1.3.6.1.2.1.43.11.1.1.9.1.1 integer 80\n"
      "1.3.6.1.2.1.43.11.1.1.9.1.4 integer 40\n"
      "1.3.6.1.2.1.43.11.1.1.9.1.7 integer 10\n");
  struct Case {
    int id;
    int result;
    int32_t level;
  };
  for (const Case& c : {Case{1, SNMP_RESULT_OK, 80}, Case{25, SNMP_RESULT_OK, 40}, Case{26, SNMP_RESULT_OK, 10},
                        Case{22, SNMP_RESULT_NO_SUCH_NAME, -1}}) {
    int32_t level = 0;
    EXPECT_EQ(SnmpQueryA(c.id, kPrinter, &session, &level, 4), c.result) << c.id;
    EXPECT_EQ(level, c.level) << c.id;
  }
}

TEST_F(QueryIdTest, PanelTextStoresEachLineCutAndSkipsAnEmptyOne) {
  START_AGENT(
      "1.3.6.1.2.1.43.16.5.1.2.1.1 string 0123456789012345678901234567890123456789\n"
      "1.3.6.1.2.1.43.16.5.1.2.1.2 string \n");
  char panel[64];
  std::memset(panel, 'x', sizeof panel);
  EXPECT_EQ(SnmpQueryA(4, kPrinter, &session, panel, sizeof panel), SNMP_RESULT_OK);
  EXPECT_STREQ(panel, "0123456789012345678901234567890");
  EXPECT_STREQ(panel + 32, "");
}

TEST_F(QueryIdTest, FinisherSupplyFillsTheEntriesThatFitOrFallsBack) {
  START_AGENT(
      "1.3.6.1.2.1.43.31.1.1.8.1.1 integer -3\n"
      "1.3.6.1.2.1.43.31.1.1.8.1.2 integer 500\n"
      "1.3.6.1.2.1.43.31.1.1.8.1.3 integer -3\n"
      "1.3.6.1.4.1.4417.2.5.5.0 integer 6\n");
  WORD fields[12] = {};
  EXPECT_EQ(SnmpQueryA(83, kPrinter, &session, fields, 18), SNMP_RESULT_OK);
  EXPECT_EQ((std::vector<WORD>(fields, fields + 9)), (std::vector<WORD>{0, 1, 2, 0, 2, 0, 0, 3, 2}));
  // A 6-byte area holds one entry: nothing is written past it.
  WORD small[6] = {0, 0, 0, 0x5555, 0x5555, 0x5555};
  EXPECT_EQ(SnmpQueryA(83, kPrinter, &session, small, 6), SNMP_RESULT_OK);
  EXPECT_EQ((std::vector<WORD>(small, small + 6)), (std::vector<WORD>{0, 1, 2, 0x5555, 0x5555, 0x5555}));
  // The caller may skip the table: the private object answers.
  WORD skipped[9] = {0, static_cast<WORD>(-2), 0};
  EXPECT_EQ(SnmpQueryA(83, kPrinter, &session, skipped, 18), SNMP_RESULT_OK);
  EXPECT_EQ(skipped[1], 1);
  EXPECT_EQ(skipped[2], 6);
}

TEST_F(QueryIdTest, FinisherSupplyWithoutTheFinisherMibReadsThePrivateObject) {
  START_AGENT("1.3.6.1.4.1.4417.2.5.5.0 integer 2\n");
  WORD fields[9] = {};
  EXPECT_EQ(SnmpQueryA(83, kPrinter, &session, fields, 18), SNMP_RESULT_OK);
  EXPECT_EQ(fields[1], 1);
  EXPECT_EQ(fields[2], 2);
}

const char kTrays[] =
    // tray 1: A4 portrait, tray 2: A4 declared landscape, tray 3: letter, tray 5: unknown size
    "1.3.6.1.2.1.43.8.2.1.3.1.1 integer 3\n"
    "1.3.6.1.2.1.43.8.2.1.4.1.1 integer 116928\n"
    "1.3.6.1.2.1.43.8.2.1.5.1.1 integer 82677\n"
    "1.3.6.1.2.1.43.8.2.1.3.1.2 integer 3\n"
    "1.3.6.1.2.1.43.8.2.1.4.1.2 integer 82677\n"
    "1.3.6.1.2.1.43.8.2.1.5.1.2 integer 116928\n"
    "1.3.6.1.2.1.43.8.2.1.3.1.3 integer 3\n"
    "1.3.6.1.2.1.43.8.2.1.4.1.3 integer 110000\n"
    "1.3.6.1.2.1.43.8.2.1.5.1.3 integer 85000\n"
    "1.3.6.1.2.1.43.8.2.1.3.1.5 integer 3\n"
    "1.3.6.1.2.1.43.8.2.1.4.1.5 integer 12345\n"
    "1.3.6.1.2.1.43.8.2.1.5.1.5 integer 54321\n"
    "1.3.6.1.2.1.43.8.2.1.10.1.1 integer 250\n"
    "1.3.6.1.2.1.43.8.2.1.11.1.1 integer 0\n"
    "1.3.6.1.2.1.43.8.2.1.11.1.2 integer 0\n"
    "1.3.6.1.2.1.43.8.2.1.11.1.3 integer 4\n"
    "1.3.6.1.2.1.43.8.2.1.11.1.5 integer 0\n"
    "1.3.6.1.2.1.43.8.2.1.21.1.1 string AB\n"
    "1.3.6.1.4.1.4417.2.3.1.1.4.2 integer 17\n"
    "1.3.6.1.2.1.43.9.2.1.6.1.1 integer 0\n"
    "1.3.6.1.2.1.43.9.2.1.6.1.2 integer 9\n"
    "1.3.6.1.2.1.43.9.2.1.6.1.4 integer 4\n"
    "1.3.6.1.4.1.4417.2.5.8.0 integer 3\n"
    "1.3.6.1.4.1.4417.2.5.17.0 integer 3\n"
    "1.3.6.1.4.1.4417.2.5.15.0 integer 3\n"
    "1.3.6.1.4.1.4417.2.5.9.0 integer 4\n";

TEST_F(QueryIdTest, ConfigurationRecordWithoutTheFinisherMib) {
  START_AGENT(kTrays);
  SetPrinterText("VPName", "Main");
  ConfigurationRecord record{};
  // A stale ninth option of an earlier read is cleared with the rest.
  record.options[8] = 99;
  EXPECT_EQ(SnmpQueryB(7, kPrinter, nullptr, &session, &record, sizeof record), SNMP_RESULT_OK);
  EXPECT_EQ(+record.version, CONFIG_RECORD_VERSION);
  EXPECT_EQ(+record.found, CONFIG_FOUND_TRAYS | CONFIG_FOUND_BINS | CONFIG_FOUND_OPTIONS);
  struct Tray {
    WORD tray, paper, feed;
  };
  const Tray expected[] = {{1, 9, 1}, {2, 9, 0}, {3, 1, 1}, {5, PAPER_CODE_UNMATCHED, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(record.trays[i].tray, expected[i].tray) << i;
    EXPECT_EQ(record.trays[i].paperCode, expected[i].paper) << i;
    EXPECT_EQ(record.trays[i].feedFlag, expected[i].feed) << i;
    EXPECT_EQ(record.trays[i].mediaCode, 0) << "media is read by SnmpQueryA 79 only";
  }
  EXPECT_EQ(record.trays[4].tray, 0);
  EXPECT_EQ((std::vector<WORD>(record.bins, record.bins + 3)), (std::vector<WORD>{1, 4, 0}));
  EXPECT_EQ((std::vector<WORD>(record.options, record.options + 9)), (std::vector<WORD>{2, 7, 9, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(record.finisherDevice3, 0);
}

TEST_F(QueryIdTest, TraysAndFinisherDevicesWithMediaAndLevel) {
  START_AGENT(std::string(kTrays) +
              "1.3.6.1.2.1.43.30.1.1.3.1.3 integer 3\n"
              "1.3.6.1.2.1.43.30.1.1.2.1.3 integer 4\n"
              "1.3.6.1.2.1.43.30.1.1.3.1.7 integer 3\n"
              "1.3.6.1.2.1.43.30.1.1.2.1.7 integer 18\n"
              "1.3.6.1.2.1.43.30.1.1.3.1.8 integer 4\n"
              "1.3.6.1.2.1.43.30.1.1.2.1.8 integer 18\n");
  ConfigurationRecord record{};
  EXPECT_EQ(SnmpQueryA(79, kPrinter, &session, &record, sizeof record), SNMP_RESULT_OK);
  EXPECT_EQ(record.trays[0].mediaCode, 'A' + 'B');
  EXPECT_EQ(record.trays[0].level, 250);
  EXPECT_EQ(record.trays[1].mediaCode, 17) << "private media code when the Printer MIB has none";
  EXPECT_EQ(record.trays[4].tray, 10) << "finisher device 7 of type 18 adds tray 10";
  EXPECT_EQ(record.trays[5].tray, 0) << "device 8 is not present";
  EXPECT_EQ(record.finisherDevice3, 1);
  EXPECT_EQ(record.bins[0], 0) << "bins are not read";
}

TEST_F(QueryIdTest, PaperSizesMatchInBothOrientations) {
  struct Case {
    LONG feed, cross;
    WORD code, flag;
  };
  for (const Case& c : {Case{82677, 116928, 9, 0}, Case{116928, 82677, 9, 1}, Case{85000, 110000, 1, 0},
                        Case{95000, 41250, 20, 1}, Case{41250, 95000, 20, 0}, Case{58268, 78740, 265, 0},
                        Case{1000, 2000, PAPER_CODE_UNMATCHED, 0}, Case{116938, 82670, 9, 1}}) {
    WORD flag = 7;
    EXPECT_EQ(MatchPaperSize(c.feed, c.cross, &flag), c.code) << c.feed << "x" << c.cross;
    EXPECT_EQ(flag, c.flag) << c.feed << "x" << c.cross;
  }
}

TEST_F(QueryIdTest, TrayBitSetsFollowTheUsableTrays) {
  START_AGENT(
      "1.3.6.1.2.1.43.8.2.1.11.1.1 integer 0\n"
      "1.3.6.1.2.1.43.8.2.1.11.1.2 integer 9\n"
      "1.3.6.1.2.1.43.8.2.1.11.1.3 integer 4\n"
      "1.3.6.1.2.1.43.8.2.1.11.1.4 integer 0\n"
      "1.3.6.1.4.1.4417.2.3.1.1.1.1 integer 3\n"
      "1.3.6.1.4.1.4417.2.3.1.1.2.1 integer 3\n"
      "1.3.6.1.4.1.4417.2.3.1.1.1.3 integer 4\n"
      "1.3.6.1.4.1.4417.2.3.1.1.1.4 integer 3\n"
      "1.3.6.1.4.1.4417.2.3.1.1.2.4 integer 4\n");
  WORD sets[2] = {0xFFFF, 0xFFFF};
  EXPECT_EQ(SnmpQueryA(58, kPrinter, &session, sets, 4), SNMP_RESULT_OK);
  EXPECT_EQ(sets[0], 0b101);
  EXPECT_EQ(sets[1], 0b001);
  // Set mode writes the second set's bits of the enabled trays as 3 or 4, with
  // the session's community (here one the agent lets write).
  std::strcpy(session.community, "pilvark");
  session.setMode = 1;
  sets[1] = 0b100;
  agent.ClearRequests();
  EXPECT_EQ(SnmpQueryA(58, kPrinter, &session, sets, 4), SNMP_RESULT_OK);
  session.setMode = 0;
  EXPECT_TRUE(Asked("set 1.3.6.1.4.1.4417.2.3.1.1.2.1 integer 4"));
  EXPECT_TRUE(Asked("set 1.3.6.1.4.1.4417.2.3.1.1.2.4 integer 3"));
}

TEST_F(QueryIdTest, PrivateWalksStopAtTheEndOfTheirTable) {
  START_AGENT(
      "1.3.6.1.4.1.4417.2.1.5.1.2.1 integer 11\n"
      "1.3.6.1.4.1.4417.2.1.5.1.2.2 integer 12\n"
      "1.3.6.1.4.1.4417.2.1.5.1.4.1 integer 41\n"
      "1.3.6.1.4.1.4417.2.1.5.1.4.2 integer 42\n"
      "1.3.6.1.4.1.4417.2.1.9.1.2.1.1 integer 5\n"
      "1.3.6.1.4.1.4417.2.1.9.1.4.1.1 integer 6\n"
      "1.3.6.1.4.1.4417.2.1.9.1.5.1.1 integer 7\n");
  int32_t rows61[16] = {};
  EXPECT_EQ(SnmpQueryA(61, kPrinter, &session, rows61, sizeof rows61), SNMP_RESULT_OK);
  EXPECT_EQ(rows61[0], 11);
  EXPECT_EQ(rows61[1], 12);
  EXPECT_EQ(rows61[8], 41);
  EXPECT_EQ(rows61[9], 42);
  int32_t rows59[25] = {};
  EXPECT_EQ(SnmpQueryA(59, kPrinter, &session, rows59, sizeof rows59), SNMP_RESULT_OK);
  EXPECT_EQ(rows59[0] & 0xFFFF, 1) << "one row";
  EXPECT_EQ(rows59[1], 5);
  EXPECT_EQ(rows59[9], 6);
  EXPECT_EQ(rows59[17], 7);
}

TEST_F(QueryIdTest, AlertRowsAndCountTakeTheirSizeFromTheArea) {
  START_AGENT(
      "1.3.6.1.2.1.43.18.1.1.2.1.1 integer 4\n"
      "1.3.6.1.2.1.43.18.1.1.3.1.1 integer 9\n"
      "1.3.6.1.2.1.43.18.1.1.8.1.1 string Paper jam\n");
  int32_t count = 0;
  EXPECT_EQ(SnmpQueryA(82, kPrinter, &session, &count, 4), SNMP_RESULT_OK);
  EXPECT_EQ(count, 2) << "column 3 is not counted";
  int32_t row[15] = {};
  EXPECT_EQ(SnmpQueryA(81, kPrinter, &session, row, sizeof row), SNMP_RESULT_OK);
  EXPECT_EQ(row[0], 4);
  EXPECT_EQ(row[1], 9);
  EXPECT_STREQ(reinterpret_cast<const char*>(&row[6]), "Paper jam");
}

TEST_F(QueryIdTest, LogicalPrinterItemsAppendTheRow) {
  START_AGENT(
      "1.3.6.1.4.1.4417.3.2.0 integer 2\n"
      "1.3.6.1.4.1.4417.3.6.1.2.1 string Main\n"
      "1.3.6.1.4.1.4417.3.6.1.2.2 string Second\n"
      "1.3.6.1.4.1.4417.3.6.1.14.2 integer 140\n"
      "1.3.6.1.4.1.4417.3.6.1.29.2 integer 3\n"
      "1.3.6.1.4.1.4417.3.6.1.27.2 integer 1\n"
      "1.3.6.1.4.1.4417.3.9.1.2.2 integer 3\n"
      "1.3.6.1.4.1.4417.3.8.1.2.4.2 integer 66\n"
      "1.3.6.1.4.1.4417.3.8.1.3.1.2 string Courier\n"
      "1.3.6.1.4.1.4417.4.3.0 string model\n");
  int32_t value = 0;
  EXPECT_EQ(SnmpQueryB(17, kPrinter, "second", &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 140);
  EXPECT_EQ(SnmpQueryB(12, kPrinter, "Second", &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(SnmpQueryB(13, kPrinter, "Second", &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 4);
  int32_t onOff[2] = {};
  EXPECT_EQ(SnmpQueryB(6, kPrinter, "Second", &session, onOff, 8), SNMP_RESULT_OK);
  EXPECT_EQ(onOff[0], 1);
  char face[16] = {};
  EXPECT_EQ(SnmpQueryB(31, kPrinter, "Second", &session, face, sizeof face), SNMP_RESULT_OK)
      << "font index 1 when the printer has none";
  EXPECT_STREQ(face, "Courier");
  ASSERT_EQ(db.SetDword(printer, kStorePrinterData, "Printer", "PclFontIndex", 4), 0u);
  EXPECT_EQ(SnmpQueryB(30, kPrinter, "Second", &session, &value, 4), SNMP_RESULT_OK);
  EXPECT_EQ(value, 66);
  char model[16] = {};
  EXPECT_EQ(SnmpQueryB(55, kPrinter, "Second", &session, model, sizeof model), SNMP_RESULT_OK);
  EXPECT_STREQ(model, "model");
  EXPECT_EQ(SnmpQueryB(17, kPrinter, "Third", &session, &value, 4), SNMP_RESULT_NO_LOGICAL_PRINTER);
  EXPECT_EQ(SnmpQueryB(17, kPrinter, nullptr, &session, &value, 4), SNMP_RESULT_FAILED)
      << "no logical printer given or stored";
  // On/off in set mode writes 3 or 4.
  std::strcpy(session.community, "pilvark");
  session.setMode = 1;
  agent.ClearRequests();
  value = 7;
  EXPECT_EQ(SnmpQueryB(12, kPrinter, "Second", &session, &value, 4), SNMP_RESULT_OK);
  value = 3;
  EXPECT_EQ(SnmpQueryB(13, kPrinter, "Second", &session, &value, 4), SNMP_RESULT_OK);
  session.setMode = 0;
  EXPECT_TRUE(Asked("set 1.3.6.1.4.1.4417.3.6.1.29.2 integer 4"));
  EXPECT_TRUE(Asked("set 1.3.6.1.4.1.4417.3.6.1.27.2 integer 3"));
}

TEST_F(QueryIdTest, IndexedAndCompleteObjectsAreAskedAsGiven) {
  START_AGENT(
      "1.3.6.1.4.1.4417.3.2.0 integer 1\n"
      "1.3.6.1.4.1.4417.3.6.1.2.1 string Main\n"
      "1.3.6.1.2.1.43.9.2.1.20.1.3 integer 4\n"
      "1.3.6.1.4.1.4417.2.3.1.1.4.6 integer 21\n"
      "1.3.6.1.4.1.4417.3.6.2.5 string slot five\n");
  char text[32] = {};
  EXPECT_EQ(SnmpQueryB(2, kPrinter, "Main", &session, text, sizeof text), SNMP_RESULT_OK) << "the count itself";
  EXPECT_TRUE(Asked("get 1.3.6.1.4.1.4417.3.2.0"));
  EXPECT_FALSE(Asked("get 1.3.6.1.4.1.4417.3.2.1"));
  EXPECT_EQ(SnmpQueryB(25, kPrinter, "Main", &session, text, sizeof text), SNMP_RESULT_OK);
  EXPECT_STRNE(text, "") << "the agent's own first interface (ifDescr.1)";
  EXPECT_EQ(SnmpQueryB(2, kPrinter, "Other", &session, text, sizeof text), SNMP_RESULT_NO_LOGICAL_PRINTER);

  int32_t orientation = (3 << 16) | 0x55;
  EXPECT_EQ(SnmpQueryA(62, kPrinter, &session, &orientation, 4), SNMP_RESULT_OK);
  EXPECT_EQ(orientation, 4);
  int32_t indexed[3] = {6, 0, 0};
  EXPECT_EQ(SnmpQueryA(71, kPrinter, &session, indexed, sizeof indexed), SNMP_RESULT_OK);
  EXPECT_EQ(indexed[2], 21);
  char slot[16] = {5};
  EXPECT_EQ(SnmpQueryB(54, kPrinter, "Main", &session, slot, sizeof slot), SNMP_RESULT_OK);
  EXPECT_STREQ(slot, "slot five");
}

TEST_F(QueryIdTest, OptionBitsAndStatusOfTheRow) {
  START_AGENT(
      "1.3.6.1.4.1.4417.3.2.0 integer 1\n"
      "1.3.6.1.4.1.4417.3.6.1.2.1 string Main\n"
      "1.3.6.1.4.1.4417.3.6.1.4.1 integer 3\n"
      "1.3.6.1.4.1.4417.3.6.1.6.1 integer 4\n"
      "1.3.6.1.4.1.4417.3.6.1.8.1 integer 3\n"
      "1.3.6.1.4.1.4417.3.6.1.10.1 integer 3\n"
      "1.3.6.1.4.1.4417.3.6.1.5.1 integer 12\n");
  int32_t words[2] = {0, 0x7FFF};
  EXPECT_EQ(SnmpQueryB(8, kPrinter, "Main", &session, words, sizeof words), SNMP_RESULT_OK)
      << "columns 7 and 9 are missing: noSuchName counts as success";
  EXPECT_EQ(words[1], 0b101001);
  EXPECT_EQ(words[0], 12);
}

TEST_F(QueryIdTest, SevenByThreePrivateValues) {
  std::string table = "1.3.6.1.4.1.4417.3.2.0 integer 1\n1.3.6.1.4.1.4417.3.6.1.2.1 string Main\n";
  for (int r = 1; r <= 7; ++r) {
    for (int k = 1; k <= 3; ++k) {
      table += "1.3.6.1.4.1.4417.3.12.1." + std::to_string(k) + ".2." + std::to_string(r) + ".1 integer " +
               std::to_string(100 * k + r) + "\n";
    }
  }
  START_AGENT(table);
  int32_t words[25] = {2 << 16};
  EXPECT_EQ(SnmpQueryB(69, kPrinter, "Main", &session, words, 100), SNMP_RESULT_OK);
  EXPECT_EQ(words[1], 101);
  EXPECT_EQ(words[7], 107);
  EXPECT_EQ(words[9], 201);
  EXPECT_EQ(words[23], 307);
  // Set mode writes the third column only.
  std::strcpy(session.community, "pilvark");
  session.setMode = 1;
  agent.ClearRequests();
  words[17] = 55;
  EXPECT_EQ(SnmpQueryB(69, kPrinter, "Main", &session, words, 100), SNMP_RESULT_OK);
  session.setMode = 0;
  EXPECT_TRUE(Asked("set 1.3.6.1.4.1.4417.3.12.1.3.2.1.1 integer 55"));
  EXPECT_FALSE(Asked("set 1.3.6.1.4.1.4417.3.12.1.1.2.1.1 integer 101"));
}

TEST_F(QueryIdTest, PrinterLanguageOfTheRow) {
  struct Case {
    const char* table;
    int32_t language;
  };
  const Case cases[] = {
      {"1.3.6.1.4.1.4417.3.6.1.45.1 integer 37\n", 16},     {"1.3.6.1.4.1.4417.3.6.1.45.1 integer 6\n", 259},
      {"1.3.6.1.4.1.4417.3.6.1.11.1 integer 4\n", 16},      {"1.3.6.1.4.1.4417.3.6.1.11.1 integer 5\n", 140},
      {"1.3.6.1.4.1.4417.3.6.1.45.1 integer 99\n", -32768},
  };
  for (const Case& c : cases) {
    agent.Stop();
    START_AGENT(std::string("1.3.6.1.4.1.4417.3.2.0 integer 1\n1.3.6.1.4.1.4417.3.6.1.2.1 string Main\n") + c.table);
    session.logicalPrinterCache = 0;
    int32_t language = 0;
    EXPECT_EQ(SnmpQueryB(16, kPrinter, "Main", &session, &language, 4), SNMP_RESULT_OK) << c.table;
    EXPECT_EQ(language, c.language) << c.table;
  }
}

TEST_F(QueryIdTest, FontIndexLivesInThePrintersSettings) {
  int32_t index = 0;
  EXPECT_EQ(SnmpQueryB(56, kPrinter, "Main", &session, &index, 4), SNMP_RESULT_OK);
  EXPECT_EQ(index, 1);
  session.setMode = 1;
  index = 12;
  EXPECT_EQ(SnmpQueryB(56, kPrinter, "Main", &session, &index, 4), SNMP_RESULT_OK);
  session.setMode = 0;
  index = 0;
  EXPECT_EQ(SnmpQueryB(56, kPrinter, "Main", &session, &index, 4), SNMP_RESULT_OK);
  EXPECT_EQ(index, 12);
  EXPECT_EQ(SnmpQueryB(56, "No Such Printer", "Main", &session, &index, 4), SNMP_RESULT_FAILED);
}

}  // namespace
}  // namespace querytest
