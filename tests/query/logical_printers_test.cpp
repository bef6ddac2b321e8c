// Logical printers found by walking the name column, and their cache in VPT.INI.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/base/profile.h"
#include "query/logical_printers.h"
#include "query/query_ids.h"
#include "tests/query/query_fixture.h"

namespace querytest {
namespace {

const char kCount[] = "1.3.6.1.4.1.4417.3.2.0";
const char kNames[] = "1.3.6.1.4.1.4417.3.6.1.2.";

class LogicalPrinterTest : public QueryTest {
 protected:
  void SetUp() override {
    QueryTest::SetUp();
    SetPrinterText("IP", scripted.Address().c_str());
  }
  void Table(long count, std::initializer_list<std::pair<int, const char*>> rows) {
    scripted.Set(kCount, ScriptedValue{2, count, {}});
    for (const auto& [row, name] : rows) {
      scripted.Set(kNames + std::to_string(row), name ? ScriptedValue{4, 0, name} : ScriptedValue{5, 0, {}});
    }
  }
  std::string Ini(const std::string& section, const char* key) {
    char path[MAX_PATH] = {};
    GetVptIniPath(path, sizeof path);
    char value[129] = {};
    GetPrivateProfileStringA(section.c_str(), key, "<none>", value, sizeof value, path);
    return value;
  }
  size_t RequestCount() { return scripted.Requests().size(); }

  ScriptedAgent scripted;
};

TEST_F(LogicalPrinterTest, AWalkFindsANameInAnyCaseAndPassesEmptyRows) {
  Table(2, {{1, "Alpha"}, {2, nullptr}, {3, "Beta"}});
  int row = 0;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "bEtA", &row, &session), SNMP_RESULT_OK);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(scripted.Requests(),
            (std::vector<std::string>{std::string("get ") + kCount, std::string("get ") + kNames + "1",
                                      std::string("get ") + kNames + "2", std::string("get ") + kNames + "3"}));
  EXPECT_EQ(session.logicalPrinterCache, 0u);
  for (const std::string& section : {std::string(kPrinter), scripted.Address()}) {
    EXPECT_EQ(Ini(section, "VPTIndex"), "2") << section;
    EXPECT_EQ(Ini(section, "VP1"), "Alpha") << section;
    EXPECT_EQ(Ini(section, "VP2"), "<none>") << section;
    EXPECT_EQ(Ini(section, "VP3"), "Beta") << section;
  }
}

TEST_F(LogicalPrinterTest, ARefreshWalksTheTableThenLookupsComeFromTheFile) {
  Table(2, {{1, "Alpha"}, {2, nullptr}, {3, "Beta"}});
  int row = LOGICAL_PRINTER_REFRESH;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Gamma", &row, &session), SNMP_RESULT_NO_LOGICAL_PRINTER);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(session.logicalPrinterCache, 1u);
  // Count 2 raised by the empty row: rows 1 to 7 are read.
  EXPECT_EQ(RequestCount(), 8u);
  EXPECT_EQ(scripted.Requests().back(), std::string("get ") + kNames + "7");

  // A cached lookup answers the row the walk stored the name under, unasked.
  row = 0;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "ALPHA", &row, &session), SNMP_RESULT_OK);
  EXPECT_EQ(row, 1);
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "beta", &row, &session), SNMP_RESULT_OK);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(RequestCount(), 8u);

  // A name the file does not hold is asked of the printer, not answered as row 0.
  scripted.Set(kNames + std::string("4"), ScriptedValue{4, 0, "Delta"});
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Delta", &row, &session), SNMP_RESULT_OK);
  EXPECT_EQ(row, 4);
  EXPECT_GT(RequestCount(), 8u);

  // Set mode always asks the printer.
  const size_t before = RequestCount();
  session.setMode = 1;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Alpha", &row, &session), SNMP_RESULT_OK);
  session.setMode = 0;
  EXPECT_EQ(row, 1);
  EXPECT_GT(RequestCount(), before);
}

TEST_F(LogicalPrinterTest, AWalkStopsAtRow64) {
  Table(100, {{1, "Alpha"}});
  int row = 0;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Omega", &row, &session), SNMP_RESULT_NO_LOGICAL_PRINTER);
  EXPECT_EQ(RequestCount(), 65u);
  EXPECT_EQ(scripted.Requests().back(), std::string("get ") + kNames + "64");
  EXPECT_EQ(session.logicalPrinterCache, 0u) << "a walk cut short is not a complete cache";
}

TEST_F(LogicalPrinterTest, ACountThatIsNotAnIntegerEndsTheLookup) {
  scripted.Set(kCount, ScriptedValue{4, 0, "two"});
  int row = 5;
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Alpha", &row, &session), SNMP_RESULT_FAILED);
  scripted.Silence(true);
  SetPrinterText("IP", "");
  EXPECT_EQ(FindLogicalPrinterRow(kPrinter, "Alpha", &row, &session), SNMP_RESULT_FAILED) << "no address";
}

TEST_F(LogicalPrinterTest, TheCachedLookupAloneNeedsTheFlag) {
  int row = 9;
  EXPECT_EQ(FindCachedLogicalPrinterRow("10.0.0.1", &session, "Alpha", &row), SNMP_RESULT_OK);
  EXPECT_EQ(row, 9) << "without the cache flag nothing is looked up";
  session.logicalPrinterCache = 1;
  EXPECT_EQ(FindCachedLogicalPrinterRow("10.0.0.1", &session, "Alpha", &row), SNMP_RESULT_NO_LOGICAL_PRINTER);
  EXPECT_EQ(row, 0) << "no VPT.INI entry";
  EXPECT_EQ(RequestCount(), 0u);
}

TEST_F(LogicalPrinterTest, QueryItemsRefreshTheCacheAfterSettingTheName) {
  Table(1, {{1, "Alpha"}});
  std::strcpy(session.community, "pilvark");
  EXPECT_EQ(SnmpQueryB(24, kPrinter, "Alpha", &session, nullptr, 0), SNMP_RESULT_OK) << "not found counts as success";
  EXPECT_EQ(session.logicalPrinterCache, 1u);
  EXPECT_EQ(SnmpQueryB(4, kPrinter, "Newname", &session, nullptr, 0), SNMP_RESULT_OK);
  // The SET, then the refresh: the count and rows 1 to 5.
  const std::vector<std::string> requests = scripted.Requests();
  ASSERT_GE(requests.size(), 7u);
  EXPECT_EQ(requests[requests.size() - 7], "set 1.3.6.1.4.1.4417.3.4.0");
  EXPECT_EQ(requests[requests.size() - 6], std::string("get ") + kCount);
  EXPECT_EQ(session.logicalPrinterCache, 1u);
}

}  // namespace
}  // namespace querytest
