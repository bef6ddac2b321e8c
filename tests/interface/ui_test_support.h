// Shared by the user-interface library's tests: where the built modules are, their
// Windows paths, printers to work with, and a process set up as the library sets
// itself up (instance handle, bound settings library, font-list lock) for the
// routines the tests run in their own process.
#pragma once

#include <filesystem>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/types.h"
#include "tests/support/machine_fixture.h"

namespace uitest {

inline std::filesystem::path BuiltModule(const std::string& name) {
  return std::filesystem::path(ZEL_DRIVER_DIR) / name;
}

// The ANSI Windows path of a host path, as LoadLibraryA takes it.
inline std::string AnsiWindowsPath(const std::filesystem::path& host) {
  return platform::AnsiFromUtf8(platform::WindowsPathFromHost(host));
}

// ANSI text of UTF-8 written in a test.
inline std::string A(const std::string& utf8) { return platform::AnsiFromUtf8(utf8); }
inline std::string U(const std::string& ansi) { return platform::Utf8FromAnsi(ansi); }

// Installs a printer from data/models/<model> and opens it with all access; 0 on failure.
HANDLE InstallPrinter(const std::string& model, const std::string& printerName);

// A fresh machine, and the library's state as its start leaves it, made from the
// built zeluid5.dll (read as a data file for its resources and version) and the
// zeldb5.dll beside it.
class UiCoreTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  HMODULE library_ = 0;
  HMODULE settingsModule_ = 0;

 private:
  bool lockReady_ = false;
};

}  // namespace uitest
