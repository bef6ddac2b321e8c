// An engine for the test printer, created with a window double as its main
// window, the printer's agent answering on 127.0.0.1.
#pragma once

#include <memory>
#include <string>

#include "monitor/engine.h"
#include "tests/monitor/monitor_fixture.h"
#include "tests/query/agents.h"

namespace monitortest {

class EngineTest : public MonitorTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Points the printer at the agent and turns monitoring on.
  void MonitorAt(const std::string& address);
  // A started and created engine for the command line (after the printer's name).
  void StartEngine(const std::string& command = "NORMAL");
  void StopEngine();
  // Pumps the thread's messages until the predicate holds, at most 3 s.
  bool PumpUntil(const std::function<bool()>& done);
  SnmpTrapRecord JobTrap(WORD kind, int32_t value) const;

  std::unique_ptr<PM_CEngine> engine;
  HWND mainWindow = 0;
};

}  // namespace monitortest
