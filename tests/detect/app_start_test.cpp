// The program's start: its command line, the settings library it binds from
// its own folder, and what the user is told when it cannot start.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "detect/detect_app.h"
#include "platform/ui/message_box.h"
#include "tests/detect/detect_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace detecttest {
namespace {

namespace fs = std::filesystem;

class AppStartTest : public DetectTest {
 protected:
  void SetUp() override {
    DetectTest::SetUp();
    platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& box) {
      boxes_.push_back(box.caption + ": " + box.text);
      return IDOK;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    for (const fs::path& copy : copies_) fs::remove(copy);
    DetectTest::TearDown();
  }

  // Puts a library beside this test program under `name`, as the program's
  // own folder would hold it.
  void PlaceLibrary(const fs::path& from, const std::string& name) {
    const fs::path to = fs::read_symlink("/proc/self/exe").parent_path() / name;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    copies_.push_back(to);
  }

  std::vector<std::string> Run(const std::string& line) {
    boxes_.clear();
    CDetectApp app;
    EXPECT_FALSE(app.InitInstance(line));
    return boxes_;
  }

  std::vector<std::string> boxes_;
  std::vector<fs::path> copies_;
};

const std::string kCaption = "プリンタ インストーラ: ";

TEST_F(AppStartTest, ALineWithoutItsThreePartsEndsSilently) {
  EXPECT_TRUE(Run("scopeod5.exe Lab\"zeldb5.dll").empty());
  EXPECT_TRUE(Run("scopeod5.exe Lab").empty());
}

TEST_F(AppStartTest, AMissingOrIncompleteSettingsLibraryIsReported) {
  EXPECT_EQ(Run("scopeod5.exe Lab\"no-such-settings.dll\"1"),
            std::vector<std::string>{kCaption + "error - LoadDbaseDLL"});
  // One of the ten names missing counts as no library.
  PlaceLibrary(fs::path(ZEL_TEST_MODULE_DIR) / "partial_settings.dll", "partial-settings.dll");
  EXPECT_EQ(Run("scopeod5.exe Lab\"partial-settings.dll\"1"),
            std::vector<std::string>{kCaption + "error - LoadDbaseDLL"});
}

TEST_F(AppStartTest, AnUnknownPrinterIsReportedAndNoWizardRuns) {
  // Under a name of its own, so that no other test program finds it there.
  PlaceLibrary(fs::path(testsupport::DriverDir()) / "zeldb5.dll", "detect-start-settings.dll");
  EXPECT_EQ(Run("scopeod5.exe No Such Printer\"detect-start-settings.dll\"1"),
            (std::vector<std::string>{kCaption + "error - OpenPrinter", kCaption + "error - CPrinterInstaller"}));
}

}  // namespace
}  // namespace detecttest
