#include "tests/detect/detect_fixture.h"

#include <fstream>

#include "platform/spooler/spooler.h"
#include "query/query_settings.h"
#include "tools/machinesetup/printer_install.h"

namespace detecttest {

void DetectTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder()));
  SetQuerySettings(db.Functions());
}

void DetectTest::TearDown() {
  if (printer) ClosePrinter(printer);
  SetQuerySettings(SettingsFunctions{});
  db.Unload();
  FreshMachine::TearDown();
}

namespace {

void Install(const std::filesystem::path& model, const std::string& port, HANDLE* printer) {
  machinesetup::PrinterSpec spec;
  spec.printerName = kPrinter;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.port = port;
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), printer, &defaults));
}

}  // namespace

void DetectTest::InstallPrinter(int snmpCapable, const std::string& port) {
  const std::filesystem::path model = root() / "model.ini";
  std::ofstream(model) << "[General]\nModelName=Set-up Model\nModelDLL=nardoc55.dll\nSNMPCapable=" << snmpCapable
                       << "\nCompany=Nardo Systems\nWebSite=http://printers.example/\n"
                       << "[PDL]\n1=PCL5E\n2=PS3\nDefault=2\n";
  Install(model, port, &printer);
  ClearWizardValues();
}

void DetectTest::InstallPackagedModel(const std::string& port) {
  Install(std::filesystem::path(ZEL_SOURCE_DIR) / "data/models/nardo-c5545.ini", port, &printer);
  ClearWizardValues();
}

std::optional<std::string> DetectTest::Text(const char* key) {
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  if (db.GetString(printer, kStorePrinterData, "Printer", key, buffer, &size) != 0) return std::nullopt;
  return std::string(buffer);
}

std::optional<DWORD> DetectTest::Number(const char* key) {
  DWORD value = 0;
  if (db.GetDword(printer, kStorePrinterData, "Printer", key, &value) != 0) return std::nullopt;
  return value;
}

void DetectTest::SetText(const char* key, const char* value) {
  ASSERT_EQ(db.SetString(printer, kStorePrinterData, "Printer", key, value), 0u);
}

void DetectTest::SetNumber(const char* key, DWORD value) {
  ASSERT_EQ(db.SetDword(printer, kStorePrinterData, "Printer", key, value), 0u);
}

void DetectTest::ClearWizardValues() {
  for (const char* key : {"Monitor", "Protocol", "IP", "IPX", "VPName", "PDL", "Cfg"})
    db.DeleteData(printer, kStorePrinterData, "Printer", key);
}

}  // namespace detecttest
