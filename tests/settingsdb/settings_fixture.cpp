#include "tests/settingsdb/settings_fixture.h"

#include <fstream>

#include "platform/base/codepage.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace settingstest {

const char kModelDescription[] =
    "; sample model description\n"
    "[General]\n"
    "ModelName=Sample Model 5\n"
    "FormatVersion=5\n"
    "ModelID=4711\n"
    "Negative=-1\n"
    "LongText=abcdefghijklmnopqrstuvwxyz\n"
    "Company=%Maker%\n"
    "Pair=%First%, %Second%\n"
    "Assignment=%First%=%Second%;%Third%\n"
    "Single=50%, more\n"
    "Unknown=%NoSuchName%\n"
    "Percents=%%,%First%\n"
    "Japanese=プリンタ\n"
    "[PDL]\n"
    "1=PCL5E\n"
    "2=PS3\n"
    "[Empty]\n"
    "[Strings]\n"
    "Maker=Nardo Systems\n"
    "First=one\n"
    "Second=two\n"
    "Third=ソフト表\n";

void SettingsStoreTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder())) << "zeldb5.dll must load and bind all 17 exports";
  AddPrinter(kPrinterName);
  printer = Open(kPrinterName);
  ASSERT_NE(printer, 0u);
}

void SettingsStoreTest::TearDown() {
  if (printer) ClosePrinter(printer);
  db.Unload();
  FreshMachine::TearDown();
}

void SettingsStoreTest::AddPrinter(const std::string& name) {
  std::filesystem::path model = root() / "sample-model.ini";
  if (!std::filesystem::exists(model)) {
    std::ofstream out(model, std::ios::binary);
    out << platform::AnsiFromUtf8(kModelDescription);
  }
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
}

HANDLE SettingsStoreTest::Open(const std::string& name) {
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterA(const_cast<char*>(name.c_str()), &handle, &defaults)) return 0;
  return handle;
}

std::string ReadString(testsupport::SettingsLibrary& db, HANDLE printer, int kind, const char* section, const char* key,
                       DWORD* rc, DWORD bufferSize) {
  std::string buffer(bufferSize, '\x7f');
  DWORD size = bufferSize;
  DWORD result = db.GetString(printer, kind, section, key, buffer.data(), &size);
  if (rc) *rc = result;
  if (result != 0) return "";
  return std::string(buffer.c_str());
}

}  // namespace settingstest
