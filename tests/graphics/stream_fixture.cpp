#include "tests/graphics/stream_fixture.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/settings_binding.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/stream/spooler_write.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace streamtest {
namespace {

SpoolerRecord g_spooler;

BOOL RecordingWrite(HANDLE printer, LPVOID data, DWORD length, LPDWORD written) {
  SpoolerRecord& spooler = g_spooler;
  spooler.calls.push_back(length);
  *written = 0;
  DWORD take = std::min(length, spooler.policy.maxPerCall);
  bool fail = false;
  if (spooler.policy.failAfter >= 0) {
    const int64_t room = std::max<int64_t>(0, spooler.policy.failAfter - int64_t(spooler.received.size()));
    if (take > room) {
      take = DWORD(room);
      fail = true;
    }
  }
  if (take > 0 && spooler.policy.forward) {
    DWORD put = 0;
    if (!WritePrinter(printer, data, take, &put)) {
      spooler.received.append(static_cast<const char*>(data), put);
      *written = put;
      return FALSE;
    }
  }
  spooler.received.append(static_cast<const char*>(data), take);
  *written = take;
  if (fail) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  if (spooler.policy.afterWrite) spooler.policy.afterWrite(spooler.received);
  return TRUE;
}

const char kModelDescription[] =
    "[General]\n"
    "ModelName=Stream Model\n"
    "FormatVersion=5\n"
    "[PDL]\n"
    "1=PCL5E\n";

}  // namespace

SpoolerRecord& Spooler() { return g_spooler; }

Bytes Payload(size_t size, uint32_t seed) {
  Bytes bytes(size, '\0');
  for (char& byte : bytes) {
    seed = seed * 1103515245u + 12345u;
    byte = char(seed >> 16);
  }
  return bytes;
}

void StreamTest::SetUp() {
  FreshMachine::SetUp();
  g_spooler = SpoolerRecord{};
  SetSpoolerWriteFunction(RecordingWrite);
}

void StreamTest::TearDown() {
  for (auto& pdev : pdevs_) FreeOutputBuffer(pdev.get());
  pdevs_.clear();
  SetSpoolerWriteFunction(nullptr);
  for (HANDLE printer : printers_) ClosePrinter(printer);
  printers_.clear();
  if (settingsBound_) {
    SetGraphicsSettings(SettingsFunctions{});
    db.Unload();
  }
  FreshMachine::TearDown();
}

PDEV* StreamTest::NewPdev(HANDLE printer) {
  auto pdev = std::make_unique<PDEV>();
  pdev->printer = printer;
  EXPECT_EQ(AllocOutputBuffer(pdev.get()), 1);
  pdevs_.push_back(std::move(pdev));
  return pdevs_.back().get();
}

Bytes StreamTest::Sent(PDEV* pdev) {
  EXPECT_EQ(FlushOutputBuffer(pdev), 1);
  return g_spooler.received;
}

void StreamTest::BindSettings() {
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder())) << "zeldb5.dll must load and bind its exports";
  SetGraphicsSettings(db.Functions());
  settingsBound_ = true;
}

HANDLE StreamTest::InstallPrinterOnFile(const std::string& name, const std::string& portFile) {
  std::filesystem::create_directories(Host("C:\\Ports"));
  std::filesystem::path model = root() / "stream-model.ini";
  if (!std::filesystem::exists(model)) std::ofstream(model, std::ios::binary) << kModelDescription;
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = model;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.port = "C:\\Ports\\" + portFile;
  std::string error;
  EXPECT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  std::string copy = name;
  EXPECT_TRUE(OpenPrinterA(copy.data(), &handle, &defaults)) << GetLastError();
  if (handle) printers_.push_back(handle);
  return handle;
}

DWORD StreamTest::StartJob(HANDLE printer) {
  char document[] = "Stream test";
  DOC_INFO_1A info{document, nullptr, nullptr};
  return StartDocPrinterA(printer, 1, reinterpret_cast<LPBYTE>(&info));
}

Bytes StreamTest::PortFile(const std::string& portFile) { return ReadWindowsFile("C:\\Ports\\" + portFile); }

Bytes StreamTest::ReadWindowsFile(const std::string& windowsPath) {
  std::ifstream in(Host(platform::Utf8FromAnsi(windowsPath)), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void StreamTest::WriteWindowsFile(const std::string& windowsPath, const Bytes& bytes) {
  std::filesystem::path host = Host(platform::Utf8FromAnsi(windowsPath));
  std::filesystem::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << bytes;
}

bool StreamTest::WindowsFileExists(const std::string& windowsPath) {
  return std::filesystem::exists(Host(platform::Utf8FromAnsi(windowsPath)));
}

}  // namespace streamtest
