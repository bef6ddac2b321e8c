// The installer's module as the driver loads it: by file name, binding the
// settings library beside it at load, with its functions exported by name.
#include <gtest/gtest.h>

#include <filesystem>

#include "fontinstaller/installer_module.h"
#include "fontinstaller/installer_records.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "tests/fontinstaller/installer_test_support.h"

namespace installertest {
namespace {

namespace fs = std::filesystem;

std::string WindowsPathOf(const fs::path& host) { return platform::AnsiFromUtf8(platform::WindowsPathFromHost(host)); }

class InstallerModuleTest : public InstallerTest {
 protected:
  // A copy of the built module in a folder of its own, with the settings library given (or none).
  std::string CopyInto(const fs::path& folder, const fs::path& settingsLibrary) {
    fs::create_directories(folder);
    fs::copy_file(fs::path(ZEL_DRIVER_DIR) / "kovpcl32d5.dll", folder / "kovpcl32d5.dll",
                  fs::copy_options::overwrite_existing);
    if (!settingsLibrary.empty()) {
      fs::copy_file(settingsLibrary, folder / "zeldb5.dll", fs::copy_options::overwrite_existing);
    }
    return WindowsPathOf(folder / "kovpcl32d5.dll");
  }
};

TEST_F(InstallerModuleTest, LoadsBesideTheSettingsLibraryAndExportsItsFunctions) {
  const std::string path = WindowsPathOf(fs::path(ZEL_DRIVER_DIR) / "kovpcl32d5.dll");
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  for (const char* name : {"EndEnumIniEntries", "EndPrintJob", "EnumIniEntries", "GetInfoFile", "InitEnumIniEntries",
                           "SendString", "StartPrintJob", "UpdateInfoFont", "UpdateInfoMacro", "deletePCLFile",
                           "parseCartIniEntry", "parseFontIniEntry", "parseMacroIniEntry"}) {
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  }
  // Nothing of the code behind the exports leaks out.
  EXPECT_EQ(GetProcAddress(module, "SyncInfoFile"), nullptr);

  // An export answers through the module's own bound settings library.
  using ParseMacro = int (*)(const char*, char*, fontinstaller::InstalledMacroEntry*);
  auto parse = reinterpret_cast<ParseMacro>(GetProcAddress(module, "parseMacroIniEntry"));
  ASSERT_NE(parse, nullptr);
  fontinstaller::InstalledMacroEntry entry{};
  char value[] = "0,LOGO,C:\\logo.mac";
  EXPECT_EQ(parse("12", value, &entry), 1);
  EXPECT_EQ(entry.id, 12);
  EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(InstallerModuleTest, LoadFailsWithoutEveryNameItNeeds) {
  const fs::path base = root() / "modules";
  const std::string lacking =
      CopyInto(base / "without_delete", fs::path(ZEL_TEST_MODULE_DIR) / "without_delete" / "zeldb5.dll");
  EXPECT_EQ(LoadLibraryA(lacking.c_str()), 0u) << "a settings library without DBDeleteData";
  const std::string alone = CopyInto(base / "alone", {});
  EXPECT_EQ(LoadLibraryA(alone.c_str()), 0u) << "no settings library beside it";
}

TEST_F(InstallerModuleTest, ProductVersionIsReadFromTheModulesVersionBlock) {
  // The test program carries the installer's resources.
  EXPECT_EQ(fontinstaller::InstallerProductVersion(false), "6.310.23.0");
  EXPECT_EQ(fontinstaller::InstallerProductVersion(true), "6310230");
}

}  // namespace
}  // namespace installertest
