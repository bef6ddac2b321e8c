// A fresh machine for the output-stream tests: zero PDEVs with an output buffer,
// a recording stand-in for the spooler's write (what channel 1 receives, call by
// call, with a policy for short and failing writes), and, when a test asks, a
// printer on a file port with an open spooler job and the settings library.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "graphics/stream/output.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace streamtest {

using Bytes = std::string;

// What the recording spooler does with a write.
struct SpoolerPolicy {
  DWORD maxPerCall = 0xFFFFFFFF;  // takes at most this many bytes per call (answering TRUE)
  int64_t failAfter = -1;         // from this total on, it takes nothing more and answers FALSE
  bool forward = false;           // passes what it takes on to the real WritePrinter
  // Called after each accepted write (a test's way to act in the middle of a copy).
  void (*afterWrite)(const Bytes& received) = nullptr;
};

struct SpoolerRecord {
  SpoolerPolicy policy;
  Bytes received;
  std::vector<DWORD> calls;  // the length offered by each call
};

// The recording spooler of the running test.
SpoolerRecord& Spooler();

class StreamTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A zero PDEV with its output buffer; the PDEV is freed (and its files
  // deleted) at the end of the test.
  PDEV* NewPdev(HANDLE printer = 0);
  // Everything channel 1 got so far, after a flush of the PDEV.
  Bytes Sent(PDEV* pdev);

  // Loads the settings library and hands it to the graphics library.
  void BindSettings();
  // Installs a printer whose port is the file C:\Ports\<portFile>, opens it and
  // answers the handle (closed at the end of the test).
  HANDLE InstallPrinterOnFile(const std::string& name, const std::string& portFile);
  // Starts a spooler job on the printer: its id.
  DWORD StartJob(HANDLE printer);
  // The bytes that reached the port file.
  Bytes PortFile(const std::string& portFile);
  // Contents of a file named by a Windows path; "" when missing.
  Bytes ReadWindowsFile(const std::string& windowsPath);
  void WriteWindowsFile(const std::string& windowsPath, const Bytes& bytes);
  bool WindowsFileExists(const std::string& windowsPath);

  testsupport::SettingsLibrary db;

 private:
  std::vector<std::unique_ptr<PDEV>> pdevs_;
  std::vector<HANDLE> printers_;
  bool settingsBound_ = false;
};

// Pseudo-random bytes, the same for the same seed.
Bytes Payload(size_t size, uint32_t seed);

}  // namespace streamtest
