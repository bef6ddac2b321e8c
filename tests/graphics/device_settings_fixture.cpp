#include "tests/graphics/device_settings_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "graphics/core/devmode_accept.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace graphicstest {

std::string Esc(std::string text) {
  for (size_t at = text.find("ESC"); at != std::string::npos; at = text.find("ESC", at + 1)) {
    text.replace(at, 3, "\x1b");
  }
  return text;
}

std::string FramedPclJob(const std::string& settings) {
  return Esc("ESC%-12345X@PJL JOB NAME = \"settings\"\r\n") + settings +
         Esc("ESCEESC%-12345X@PJL EOJ NAME = \"settings\"\r\nESC%-12345X");
}

void DeviceSettingsTest::TearDown() {
  for (HANDLE printer : printers_) ClosePrinter(printer);
  printers_.clear();
  GraphicsPrinterTest::TearDown();
}

HANDLE DeviceSettingsTest::InstallPath(const std::string& modelPath, WORD pdl, const std::string& name) {
  std::filesystem::create_directories(Host("C:\\Ports"));
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = modelPath;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.port = "C:\\Ports\\" + name + ".prn";
  std::string error;
  EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  HANDLE printer = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string copy = name;
  EXPECT_TRUE(OpenPrinterA(copy.data(), &printer, &defaults)) << GetLastError();
  if (printer == 0) return 0;
  printers_.push_back(printer);
  SetPrinterDword(printer, "Printer", "PDL", pdl);
  SetPrinterDword(printer, "Printer", "TRQ50Compatible", 0);
  SetPrinterDword(printer, "Printer", "Cfg", 6);
  return printer;
}

HANDLE DeviceSettingsTest::InstallOnFile(const std::string& file, WORD pdl, const std::string& name) {
  return InstallPath((std::filesystem::path(ZEL_SOURCE_DIR) / "data" / "models" / file).string(), pdl, name);
}

HANDLE DeviceSettingsTest::InstallTextOnFile(const std::string& utf8Text, WORD pdl, const std::string& name) {
  const std::filesystem::path path = root() / (name + "-model.ini");
  {
    std::ofstream out(path, std::ios::binary);
    out << platform::AnsiFromUtf8(utf8Text);
  }
  return InstallPath(path.string(), pdl, name);
}

PdevPtr DeviceSettingsTest::Pdev(HANDLE printer, const std::function<void(XDEVMODE&)>& change) {
  char name[kPdevPrinterNameSize] = {};
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  std::vector<BYTE> info(needed + 1);
  if (needed == 0 || !GetPrinterA(printer, 2, info.data(), needed, &needed)) {
    ADD_FAILURE() << "cannot read the printer's name";
    return nullptr;
  }
  std::snprintf(name, sizeof name, "%s", reinterpret_cast<PRINTER_INFO_2A*>(info.data())->pPrinterName);
  PdevPtr pdev = NewPdev(printer, name);
  if (!pdev) return pdev;
  XDEVMODE devmode{};
  EXPECT_EQ(BuildDefaultDevmode(pdev.get(), &devmode), 1);
  if (change) change(devmode);
  EXPECT_EQ(MergeDevmode(pdev.get(), &devmode.dmPublic), 1);
  pdev->job.jobLineWritten = 1;
  return pdev;
}

std::string DeviceSettingsTest::Print(PDEV* pdev, const std::function<void()>& write) {
  char document[] = "device settings";
  DOC_INFO_1A doc{document, nullptr, nullptr};
  EXPECT_NE(StartDocPrinterA(pdev->printer, 1, reinterpret_cast<LPBYTE>(&doc)), 0u) << GetLastError();
  write();
  EXPECT_EQ(FlushOutputBuffer(pdev), 1);
  EXPECT_TRUE(EndDocPrinter(pdev->printer)) << GetLastError();
  const std::string printerName(pdev->carried.printerName,
                                strnlen(pdev->carried.printerName, sizeof pdev->carried.printerName));
  std::ifstream in(Host(platform::Utf8FromAnsi("C:\\Ports\\" + printerName + ".prn")), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace graphicstest
