#include "tests/query/query_fixture.h"

#include <cstring>
#include <fstream>

#include "platform/spooler/spooler.h"
#include "query/query_settings.h"
#include "tools/machinesetup/printer_install.h"

namespace querytest {

void QueryTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder()));
  SetQuerySettings(db.Functions());
  const std::filesystem::path model = root() / "model.ini";
  std::ofstream(model) << "[General]\nModelName=Query Model\n[PDL]\n1=PCL5E\n";
  machinesetup::PrinterSpec spec;
  spec.printerName = kPrinter;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &printer, &defaults));

  ASSERT_EQ(SnmpStartupSession(), SNMP_RESULT_OK);
  std::strcpy(session.community, SNMP_READ_COMMUNITY);
  session.notificationMessage = SNMP_MSG_REPLY;
  ASSERT_EQ(SnmpCreateSessionWindow(&session), SNMP_RESULT_OK);
}

void QueryTest::TearDown() {
  SnmpDestroySessionWindow(&session);
  SnmpCleanupSession();
  agent.Stop();
  if (printer) ClosePrinter(printer);
  SetQuerySettings(SettingsFunctions{});
  db.Unload();
  FreshMachine::TearDown();
}

void QueryTest::SetPrinterText(const char* key, const char* value) {
  ASSERT_EQ(db.SetString(printer, kStorePrinterData, "Printer", key, value), 0u);
}

std::string QueryTest::PrinterText(const char* key) {
  char buffer[64] = {};
  DWORD size = sizeof buffer;
  if (db.GetString(printer, kStorePrinterData, "Printer", key, buffer, &size) != 0) return "<unset>";
  return buffer;
}

bool QueryTest::StartAgent(const std::string& table) {
  if (FindProgram("snmpd").empty()) return false;
  EXPECT_TRUE(agent.Start(root() / "agent", table)) << "snmpd did not start";
  SetPrinterText("IP", agent.Address().c_str());
  return true;
}

}  // namespace querytest
