// A fresh machine with one printer, the settings library bound for the query
// library, and an SNMP conversation (start-up, a session with its hidden window)
// around each test.
#pragma once

#include <string>

#include "query/snmp_session.h"
#include "tests/query/agents.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace querytest {

inline constexpr char kPrinter[] = "Query Printer";

class QueryTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets "Printer"/key of the test printer (text).
  void SetPrinterText(const char* key, const char* value);
  std::string PrinterText(const char* key);
  // Starts snmpd with the table and points the test printer's "Printer"/"IP" at it;
  // skips the test when snmpd is not installed.
  bool StartAgent(const std::string& table);
  std::string AgentPrinter() const { return "@" + agent.Address(); }

  testsupport::SettingsLibrary db;
  HANDLE printer = 0;
  SnmpSession session{};
  NetSnmpAgent agent;
};

}  // namespace querytest
