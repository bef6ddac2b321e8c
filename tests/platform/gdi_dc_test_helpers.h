// The device-context tests' machine: printers whose driver entries name the
// recording graphics and user-interface libraries, and the calls they recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/driver_functions.h"
#include "platform/spooler/spooler.h"
#include "tests/platform/module_test_helpers.h"
#include "tests/support/machine_fixture.h"

namespace dctest {

inline const char* const kMissingInterface = "C:\\Drivers\\missing_config.dll";

class DeviceContextTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override {
    FreshMachine::SetUp();
    if (!std::filesystem::exists(moduletest::ModuleFile("recording_driver.dll")))
      GTEST_SKIP() << "recording driver not built";
  }

  // A printer whose driver entry names `graphicsLibrary` (a fixture module or a
  // Windows path) and `interfaceLibrary`.
  void AddPrinter(const std::string& printer, const std::string& graphicsLibrary,
                  const std::string& interfaceLibrary = kMissingInterface) {
    std::string driverName = printer + " Driver";
    std::string environment = "Windows x64";
    std::string driverPath = graphicsLibrary.find('\\') == std::string::npos
                                 ? moduletest::ZPath(moduletest::ModuleFile(graphicsLibrary))
                                 : graphicsLibrary;
    std::string dataFile = "C:\\Drivers\\model.ini";
    std::string config = interfaceLibrary.find('\\') == std::string::npos
                             ? moduletest::ZPath(moduletest::ModuleFile(interfaceLibrary))
                             : interfaceLibrary;
    DRIVER_INFO_2A driver{2, driverName.data(), environment.data(), driverPath.data(), dataFile.data(), config.data()};
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) << GetLastError();
    std::string name = printer;
    std::string port = "LPT1:";
    PRINTER_INFO_2A info{};
    info.pPrinterName = name.data();
    info.pPortName = port.data();
    info.pDriverName = driverName.data();
    info.Priority = 1;
    HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    ASSERT_NE(handle, 0u) << GetLastError();
    ClosePrinter(handle);
  }

  static std::vector<BYTE> DevMode(SHORT orientation) {
    std::vector<BYTE> bytes(sizeof(DEVMODEW), 0);
    auto* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = sizeof(DEVMODEW);
    dm->dmFields = DM_ORIENTATION;
    dm->dmOrientation = orientation;
    return bytes;
  }

  static HDC Create(const std::u16string& printer, const std::vector<BYTE>& devMode) {
    return CreateDCW(u"WINSPOOL", printer.c_str(), nullptr,
                     devMode.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(devMode.data()));
  }

  std::string JobFile(const std::string& windowsPath) {
    std::ifstream in(Host(windowsPath), std::ios::binary);
    if (!in) return "<none>";
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The traces of the recording libraries ("rec: " and "ui: "), with PDEV numbers
  // renamed A, B, ... in order of appearance so that runs compare equal.
  std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    std::map<std::string, char> names;
    static const std::regex pdev("pdev([0-9]+)");
    for (const std::string& line : traces_.Take()) {
      if (line.rfind("rec: ", 0) != 0 && line.rfind("ui: ", 0) != 0) continue;
      std::string renamed;
      auto last = line.cbegin();
      for (std::sregex_iterator it(line.begin(), line.end(), pdev), end; it != end; ++it) {
        renamed.append(last, line.cbegin() + it->position());
        auto [entry, added] = names.emplace(it->str(), static_cast<char>('A' + names.size()));
        renamed += std::string("pdev") + entry->second;
        last = line.cbegin() + it->position() + it->length();
      }
      renamed.append(last, line.cend());
      calls.push_back(renamed);
    }
    return calls;
  }
  std::vector<std::string> TraceLines() { return traces_.Take(); }

  moduletest::TraceRecorder traces_;
};

}  // namespace dctest
