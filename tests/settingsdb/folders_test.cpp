// The package's folders and shared files, and DBGetPath.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "tests/settingsdb/settings_fixture.h"
#include "tools/machinesetup/printer_install.h"

namespace settingstest {
namespace {

const char* const kFolders[] = {
    // clang-format off
    "C:\\$Nardo Driver",           "C:\\$Nardo Driver\\D5",           "C:\\$Nardo Driver\\D5\\DBase",
    "C:\\$Nardo Driver\\D5\\Fonts", "C:\\$Nardo Driver\\D5\\Fonts\\PCL", "C:\\$Nardo Driver\\D5\\Fonts\\PCL\\Disk",
    // clang-format on
};
const char* const kSharedFiles[] = {"PRMONSET.INI", "VPT.INI", "EVTCFG.TMP", "PRMONSET.TMP", "NTF.TMP"};

TEST_F(SettingsStoreTest, SetupCreatesHiddenReadOnlyFoldersAndSharedFiles) {
  ASSERT_EQ(db.SetupFolders(), 0u);
  for (const char* folder : kFolders) {
    SCOPED_TRACE(folder);
    DWORD attributes = GetFileAttributesA(folder);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  }
  for (const char* file : kSharedFiles) {
    std::string path = std::string("C:\\$Nardo Driver\\D5\\DBase\\") + file;
    SCOPED_TRACE(path);
    EXPECT_TRUE(std::filesystem::is_regular_file(Host(path)));
    EXPECT_TRUE(platform::HasNullDacl(path.c_str())) << "every account may write the shared files";
  }
}

TEST_F(SettingsStoreTest, SecondSetupKeepsTheSharedFilesContents) {
  ASSERT_EQ(db.SetupFolders(), 0u);
  std::filesystem::path file = Host("C:\\$Nardo Driver\\D5\\DBase\\PRMONSET.INI");
  { std::ofstream(file) << "[Monitor]\nPoll=30\n"; }
  ASSERT_EQ(db.SetupFolders(), 0u);
  std::stringstream content;
  content << std::ifstream(file).rdbuf();
  EXPECT_EQ(content.str(), "[Monitor]\nPoll=30\n");
}

TEST_F(SettingsStoreTest, PathsBySelector) {
  const std::string appData = "C:\\Users\\User\\AppData\\Roaming\\Quelm\\$Nardo Driver\\D5";
  const struct {
    int selector;
    std::string path;
  } cases[] = {
      {0, "C:\\$Nardo Driver\\D5"},   {1, "C:\\$Nardo Driver\\D5\\DBase"},
      {2, appData + "\\Fonts\\PCL"},  {3, "C:\\$Nardo Driver\\D5\\Fonts\\PCL\\Disk"},
      {4, "C:\\$Nardo Driver\\D5"},   {5, "C:\\$Nardo Driver\\D5"},
      {6, appData + "\\Macros\\PCL"}, {7, "C:\\$Nardo Driver\\D5"},
      {-3, "C:\\$Nardo Driver\\D5"},
  };
  for (const auto& c : cases) {
    char buffer[MAX_PATH];
    EXPECT_EQ(db.GetPath(c.selector, buffer, sizeof buffer), 0u) << c.selector;
    EXPECT_EQ(std::string(buffer), c.path) << c.selector;
  }

  char small[10];
  std::memset(small, 'x', sizeof small);
  EXPECT_EQ(db.GetPath(1, small, sizeof small), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, 'x'));
  char exact[sizeof "C:\\$Nardo Driver\\D5"];
  EXPECT_EQ(db.GetPath(0, exact, sizeof exact), 0u) << "the path with its NUL fits exactly";
  EXPECT_EQ(db.GetPath(0, exact, sizeof exact - 1), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SettingsStoreTest, GetNameFindsThePrinterOfADriver) {
  AddPrinter("Another Printer");
  char name[221] = {};
  EXPECT_EQ(db.GetName("sample model 5", name), 1);
  EXPECT_TRUE(std::string(name) == kPrinterName || std::string(name) == "Another Printer") << name;
  EXPECT_EQ(db.GetName("No Such Driver", name), 0);
}

class EmptyMachine : public testsupport::FreshMachine {};

TEST_F(EmptyMachine, GetNameWithoutPrintersAnswers0) {
  testsupport::SettingsLibrary db;
  ASSERT_TRUE(db.Load(machinesetup::BuiltDriverFolder()));
  char name[221] = {};
  EXPECT_EQ(db.GetName("Sample Model 5", name), 0);
  db.Unload();
}

}  // namespace
}  // namespace settingstest
