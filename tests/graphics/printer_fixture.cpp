#include "tests/graphics/printer_fixture.h"

#include <cstring>
#include <fstream>

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/model_description.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/fake_device_fonts.h"
#include "tools/machinesetup/printer_install.h"

namespace graphicstest {

XDEVMODE DriverLayout(WORD pdl) {
  XDEVMODE dm{};
  dm.dmPublic.dmSpecVersion = kXDevModeSpecVersion;
  dm.dmPublic.dmSize = kXDevModePublicSize;
  dm.dmPublic.dmDriverExtra = kXDevModeDriverExtra;
  dm.dmPublic.dmPaperSize = DMPAPER_A4;
  dm.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPublic.dmPrintQuality = 600;
  dm.dmPublic.dmCopies = 1;
  dm.dmPrivate.privateVersion = kXDevModePrivateVersion;
  dm.dmPrivate.revisionStamp = kXDevModeRevision;
  dm.dmPrivate._nPDL = pdl;
  dm.dmPrivate._iOutputSize = 0xFFFF;
  dm.dmPrivate._nUp = 1;
  dm.dmPrivate._nCustomPaperIndex = -1;
  return dm;
}

std::string TestModulePath(const std::string& file) {
  return platform::AnsiFromUtf8(platform::WindowsPathFromHost(std::filesystem::path(ZEL_TEST_MODULE_DIR) / file));
}

void GraphicsPrinterTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder())) << "zeldb5.dll must load and bind its exports";
  SetGraphicsSettings(db.Functions());
  StartDescriptionCache();
  ResetFontLog();
}

void GraphicsPrinterTest::TearDown() {
  for (HANDLE printer : opened_) ClosePrinter(printer);
  opened_.clear();
  StopDescriptionCache();
  SetGraphicsSettings(SettingsFunctions{});
  db.Unload();
  FreshMachine::TearDown();
}

HANDLE GraphicsPrinterTest::Open(const std::string& name) {
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string copy = name;
  EXPECT_TRUE(OpenPrinterA(copy.data(), &handle, &defaults)) << "cannot open the printer";
  if (handle) opened_.push_back(handle);
  return handle;
}

HANDLE GraphicsPrinterTest::InstallFile(const std::filesystem::path& model, const std::string& name, WORD pdl,
                                        DWORD variant, const std::string& graphicsLibrary) {
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.graphicsLibrary = graphicsLibrary;
  std::string error;
  EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  HANDLE printer = Open(name);
  if (!printer) return 0;
  SetPrinterDword(printer, "Printer", "PDL", pdl);
  SetPrinterDword(printer, "Printer", "TRQ50Compatible", variant);
  SetPrinterDword(printer, "Printer", "Cfg", 6);
  return printer;
}

HANDLE GraphicsPrinterTest::Install(const std::string& file, const std::string& name, WORD pdl, DWORD variant,
                                    const std::string& graphicsLibrary) {
  return InstallFile(std::filesystem::path(ZEL_SOURCE_DIR) / "data" / "models" / file, name, pdl, variant,
                     graphicsLibrary);
}

HANDLE GraphicsPrinterTest::InstallText(const std::string& utf8Text, const std::string& name, WORD pdl, DWORD variant,
                                        const std::string& graphicsLibrary) {
  static int counter = 0;
  const std::filesystem::path path = root() / ("test-model-" + std::to_string(++counter) + ".ini");
  {
    std::ofstream out(path, std::ios::binary);
    out << platform::AnsiFromUtf8(utf8Text);
  }
  return InstallFile(path, name, pdl, variant, graphicsLibrary);
}

void GraphicsPrinterTest::SetPrinterDword(HANDLE printer, const char* section, const char* key, DWORD value) {
  ASSERT_EQ(db.SetDword(printer, kStorePrinterData, section, key, value), 0u);
}

void GraphicsPrinterTest::DeletePrinterValue(HANDLE printer, const char* section, const char* key) {
  db.DeleteData(printer, kStorePrinterData, section, key);
}

void GraphicsPrinterTest::StoreDevmode(HANDLE printer, DWORD level, const XDEVMODE* devmode) {
  XDEVMODE copy{};
  if (devmode) copy = *devmode;
  PRINTER_INFO_9W info{devmode ? reinterpret_cast<LPDEVMODEW>(&copy) : nullptr};
  ASSERT_TRUE(SetPrinterW(printer, level, reinterpret_cast<LPBYTE>(&info), 0)) << "error " << GetLastError();
}

PdevPtr GraphicsPrinterTest::NewPdev(HANDLE printer, const std::string& name) {
  PdevPtr pdev(AllocPdev());
  if (!pdev) return pdev;
  pdev->printer = printer;
  std::strncpy(pdev->carried.printerName, name.c_str(), sizeof pdev->carried.printerName - 1);
  const ModelRecord* record = GetModelRecord(0, printer, name.c_str());
  EXPECT_NE(record, nullptr);
  if (record) {
    EXPECT_EQ(AttachModelRecord(pdev.get(), record), 1);
  }
  return pdev;
}

}  // namespace graphicstest
