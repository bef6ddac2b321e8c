#include "tests/model/model_fixture.h"

#include <fstream>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace modeltest {

void ModelTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder())) << "zeldb5.dll must load and bind its exports";
  settings = db.Functions();
  settings.loadError = ERROR_SUCCESS;
}

void ModelTest::TearDown() {
  for (HANDLE printer : opened_) ClosePrinter(printer);
  opened_.clear();
  db.Unload();
  FreshMachine::TearDown();
}

HANDLE ModelTest::Install(const std::string& modelPath, const std::string& printerName) {
  machinesetup::PrinterSpec spec;
  spec.printerName = printerName;
  spec.modelDescription = modelPath;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  std::string error;
  EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string name = printerName;
  EXPECT_TRUE(OpenPrinterA(name.data(), &handle, &defaults)) << "cannot open " << printerName;
  if (handle) opened_.push_back(handle);
  return handle;
}

HANDLE ModelTest::InstallShipped(const std::string& file, const std::string& printerName) {
  return Install(std::string(ZEL_SOURCE_DIR) + "/data/models/" + file, printerName);
}

HANDLE ModelTest::InstallText(const std::string& utf8Text, const std::string& printerName) {
  static int counter = 0;
  std::filesystem::path path = root() / ("test-model-" + std::to_string(++counter) + ".ini");
  {
    std::ofstream out(path, std::ios::binary);
    out << platform::AnsiFromUtf8(utf8Text);
  }
  return Install(path.string(), printerName);
}

std::unique_ptr<ModelRecord> ModelTest::Load(HANDLE printer, DWORD filter) {
  return Load(printer, kAllModelParts, kAllModelFeatures, filter);
}

std::unique_ptr<ModelRecord> ModelTest::Load(HANDLE printer, DWORD parts, DWORD features, DWORD filter,
                                             const ModelLoaderVariant& variant) {
  auto record = std::make_unique<ModelRecord>();
  EXPECT_EQ(LoadModelConfig(settings, printer, record.get(), parts, features, filter, variant), 1);
  return record;
}

void ModelTest::SetPrinterDword(HANDLE printer, const char* section, const char* key, DWORD value) {
  ASSERT_EQ(db.SetDword(printer, kStorePrinterData, section, key, value), 0u);
}

void ModelTest::SetPrinterString(HANDLE printer, const char* section, const char* key, const char* text) {
  ASSERT_EQ(db.SetString(printer, kStorePrinterData, section, key, text), 0u);
}

bool ModelTest::PrinterDword(HANDLE printer, const char* section, const char* key, DWORD& value) {
  return db.GetDword(printer, kStorePrinterData, section, key, &value) == 0;
}

std::string ModelTest::PrinterString(HANDLE printer, const char* section, const char* key, DWORD* rc) {
  char buffer[512] = {};
  DWORD size = sizeof buffer;
  DWORD result = db.GetString(printer, kStorePrinterData, section, key, buffer, &size);
  if (rc) *rc = result;
  return result == 0 ? platform::Utf8FromAnsi(buffer) : std::string();
}

void ModelTest::DeletePrinterValue(HANDLE printer, const char* section, const char* key) {
  db.DeleteData(printer, kStorePrinterData, section, key);
}

std::string Utf8(const char* ansi) { return platform::Utf8FromAnsi(ansi); }

}  // namespace modeltest
