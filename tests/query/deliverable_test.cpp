// zelsnmpd5.dll as callers bind it: loaded by file name, its operations bound by
// name, its settings functions bound from zeldb5.dll in its own folder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/base/modules.h"
#include "query/logical_printers.h"
#include "query/query_ids.h"
#include "query/query_settings.h"
#include "query/trap_reception.h"
#include "tests/query/query_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace querytest {
namespace {

class DeliverableTest : public QueryTest {
 protected:
  void SetUp() override {
    QueryTest::SetUp();
    // The library binds its own settings functions; the test's binding is not used.
    SetQuerySettings(SettingsFunctions{});
    module = LoadLibraryA((machinesetup::BuiltDriverFolder() + "\\zelsnmpd5.dll").c_str());
    ASSERT_NE(module, 0u);
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
    QueryTest::TearDown();
  }
  template <class Fn>
  Fn Bind(const char* name) {
    return reinterpret_cast<Fn>(GetProcAddress(module, name));
  }
  HMODULE module = 0;
};

TEST_F(DeliverableTest, ExportsEveryOperationByName) {
  for (const char* name :
       {"SnmpStartupSession", "SnmpCleanupSession", "SnmpCreateSessionWindow", "SnmpDestroySessionWindow",
        "SnmpGetRequest", "SnmpSetRequest", "SnmpGetNextRequest", "SnmpSendRequest", "SnmpWaitForReply",
        "SnmpOpenAgent", "SnmpCloseAgent", "GetAgentAddress", "SnmpQueryA", "SnmpQueryB", "QueryInteger",
        "QueryOctets", "FindLogicalPrinterRow", "FindCachedLogicalPrinterRow", "WriteLogicalPrinterCount",
        "WriteLogicalPrinterName", "GetVptIniPath", "SnmpTrapControl", "SnmpOnTrap", "SnmpOnReply", "SnmpOnTimer",
        "GetLocalHostAddress", "GetLocalHostAddressText", "GetTrapSourceAddress", "ParseIpxAddress"}) {
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  }
}

TEST_F(DeliverableTest, ReadsThePrintersAddressThroughItsOwnSettingsBinding) {
  SetPrinterText("IP", "192.0.2.44");
  auto getAgentAddress = Bind<void (*)(LPCSTR, char*, DWORD)>("GetAgentAddress");
  ASSERT_NE(getAgentAddress, nullptr);
  char address[33] = {};
  getAgentAddress(kPrinter, address, sizeof address);
  EXPECT_STREQ(address, "192.0.2.44");
  auto getVptIniPath = Bind<void (*)(char*, DWORD)>("GetVptIniPath");
  char path[MAX_PATH] = {};
  getVptIniPath(path, sizeof path);
  EXPECT_STREQ(path, "C:\\$Nardo Driver\\D5\\DBase\\VPT.INI");
}

TEST_F(DeliverableTest, AsksThePrinterThroughTheBoundOperations) {
  if (!StartAgent("1.3.6.1.2.1.25.3.2.1.5.1 integer 2\n")) GTEST_SKIP() << "snmpd is not installed";
  auto startup = Bind<int (*)()>("SnmpStartupSession");
  auto cleanup = Bind<int (*)()>("SnmpCleanupSession");
  auto create = Bind<int (*)(SnmpSession*)>("SnmpCreateSessionWindow");
  auto destroy = Bind<int (*)(SnmpSession*)>("SnmpDestroySessionWindow");
  auto queryA = Bind<int (*)(int, LPCSTR, SnmpSession*, void*, int)>("SnmpQueryA");
  ASSERT_TRUE(startup && cleanup && create && destroy && queryA);
  ASSERT_EQ(startup(), SNMP_RESULT_OK);
  SnmpSession own{};
  std::strcpy(own.community, SNMP_READ_COMMUNITY);
  own.notificationMessage = SNMP_MSG_REPLY;
  ASSERT_EQ(create(&own), SNMP_RESULT_OK);
  int32_t status = 0;
  EXPECT_EQ(queryA(78, kPrinter, &own, &status, 4), SNMP_RESULT_OK);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(destroy(&own), SNMP_RESULT_OK);
  EXPECT_EQ(cleanup(), SNMP_RESULT_OK);
}

}  // namespace
}  // namespace querytest
