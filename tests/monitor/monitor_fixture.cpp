#include "tests/monitor/monitor_fixture.h"

#include <fstream>
#include <sstream>

#include "monitor/engine.h"
#include "monitor/monitor_settings.h"
#include "platform/spooler/spooler.h"
#include "query/query_settings.h"
#include "tools/machinesetup/printer_install.h"

namespace monitortest {

void MonitorTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder()));
  monitor::SetDb(db.Functions());
  SetQuerySettings(db.Functions());
  const std::filesystem::path model = root() / "model.ini";
  std::ofstream(model) << "[General]\n" << ModelGeneral() << "[PDL]\n1=PCL5E\n";
  machinesetup::PrinterSpec spec;
  spec.printerName = kPrinter;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &printer, &defaults));
  ASSERT_EQ(db.SetupFolders(), 0u);
  monitor::SetClockForTesting([this] { return now; });
  monitor::SetMonitoredPrinter(kPrinter);
  PM_CEngine::ResetPollState();
  platform::SetSoundHandler([this](const platform::SoundRequest& r) { sounds.push_back(r); });
  platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& r) {
    boxes.push_back(r);
    return IDOK;
  });
}

void MonitorTest::TearDown() {
  platform::SetSoundHandler(nullptr);
  platform::SetMessageBoxHandler(nullptr);
  monitor::SetClockForTesting(nullptr);
  if (printer) ClosePrinter(printer);
  SetQuerySettings(SettingsFunctions{});
  monitor::SetDb(SettingsFunctions{});
  db.Unload();
  FreshMachine::TearDown();
}

void MonitorTest::SetPrinterText(const char* key, const char* value) {
  ASSERT_EQ(db.SetString(printer, kStorePrinterData, "Printer", key, value), 0u);
}

void MonitorTest::SetPrinterDword(const char* key, DWORD value) {
  ASSERT_EQ(db.SetDword(printer, kStorePrinterData, "Printer", key, value), 0u);
}

std::string MonitorTest::DataFolder() const {
  char folder[MAX_PATH] = {};
  db.GetPath(1, folder, sizeof folder);
  std::string text(folder);
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string MonitorTest::ReadFile(const std::string& windowsPath) const {
  std::ifstream in(Host(windowsPath), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace monitortest
