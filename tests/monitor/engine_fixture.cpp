#include "tests/monitor/engine_fixture.h"

#include <chrono>
#include <cstring>

#include "monitor/main_window.h"
#include "platform/ui/window.h"

namespace monitortest {

void EngineTest::SetUp() { MonitorTest::SetUp(); }

void EngineTest::TearDown() {
  StopEngine();
  MonitorTest::TearDown();
}

void EngineTest::MonitorAt(const std::string& address) {
  SetPrinterDword("Monitor", 1);
  SetPrinterText("IP", address.c_str());
}

void EngineTest::StartEngine(const std::string& command) {
  engine = std::make_unique<PM_CEngine>(PM_CCommandLine(std::string("x _(") + kPrinter + ")_ " + command));
  ASSERT_EQ(engine->Start(), 1);
  mainWindow = CreateWindowExA(0, "STATIC", MainWindowTitle(kPrinter).c_str(), 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  ASSERT_TRUE(engine->Create(new RecordingUi(&ui, mainWindow)));
}

void EngineTest::StopEngine() {
  engine.reset();
  if (mainWindow) DestroyWindow(mainWindow);
  mainWindow = 0;
}

bool EngineTest::PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < deadline) {
    MSG msg{};
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

SnmpTrapRecord EngineTest::JobTrap(WORD kind, int32_t value) const {
  SnmpTrapRecord trap{};
  trap.kind = kind;
  trap.value310 = value;
  std::strcpy(trap.sender, "127.0.0.1");
  return trap;
}

}  // namespace monitortest
