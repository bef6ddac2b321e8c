// Every test runs on a fresh stand-in machine of its own, so tests never share state.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testsupport {

// Makes a new empty machine root under the system's temporary folder and points
// the process at it; removes it afterwards.
class FreshMachine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::filesystem::path& root() const { return root_; }
  // Host path of a Windows path on the machine.
  std::filesystem::path Host(const std::string& windowsPath) const;

 private:
  std::filesystem::path root_;
};

// The folder that holds the built deliverables.
std::string DriverDir();

}  // namespace testsupport
