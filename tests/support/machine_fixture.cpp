#include "tests/support/machine_fixture.h"

#include <cstdlib>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"

namespace testsupport {

void FreshMachine::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
  platform::SetMachineRoot(root_);
  platform::SetCurrentUser("User");
  platform::SetAnsiCodePage(932);
  platform::EnsureMachineFolders();
}

void FreshMachine::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path FreshMachine::Host(const std::string& windowsPath) const {
  return platform::HostPathFromWindows(windowsPath).value_or(std::filesystem::path());
}

std::string DriverDir() { return ZEL_DRIVER_DIR; }

}  // namespace testsupport
