// The registry entries that tell the shell about the extension, written by the
// printer set-up and again when the driver's version changed.
#include <cstring>
#include <optional>

#include "platform/base/modules.h"
#include "platform/base/os_version.h"
#include "platform/registry/registry.h"
#include "tests/shellext/shellext_fixture.h"

namespace shellexttest {
namespace {

constexpr char kClassKey[] = "CLSID\\{5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}";
constexpr char kClassText[] = "{5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}";

// The REG_SZ value, its stored size checked to count the terminator; nothing
// when the key or value is missing.
std::optional<std::string> ClassesValue(const std::string& path, const char* name) {
  HKEY key = 0;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  char text[512] = {};
  DWORD type = 0;
  DWORD size = sizeof text;
  const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  EXPECT_EQ(type, DWORD(REG_SZ)) << path;
  EXPECT_EQ(size, std::strlen(text) + 1) << path;
  return std::string(text);
}

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module, path, sizeof path);
  return path;
}

void ExpectRegistered(HMODULE module, const std::string& handlerKey) {
  EXPECT_EQ(ClassesValue(kClassKey, nullptr), "Calyxon Shell Extension 3D5");
  EXPECT_EQ(ClassesValue(std::string(kClassKey) + "\\InProcServer32", nullptr), ModulePath(module));
  EXPECT_EQ(ClassesValue(std::string(kClassKey) + "\\InProcServer32", "ThreadingModel"), "Apartment");
  EXPECT_EQ(ClassesValue(handlerKey, nullptr), "CalyxonContextMenu3D5");
  EXPECT_EQ(ClassesValue(handlerKey + "\\CalyxonContextMenu3D5", nullptr), kClassText);
}

void SetStoredDriverVersion(const char* version) {
  HKEY key = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TOVK\\Calyxon\\3D5\\Local", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, "DriverVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 static_cast<DWORD>(std::strlen(version) + 1));
  RegCloseKey(key);
}

std::string HandlerEntry() { return std::string(kDeviceHandlerKey) + "\\CalyxonContextMenu3D5"; }

TEST_F(ShellExtTest, PrinterSetUpRegistersTheHandlerUnderTheDevicesHardwareId) {
  Install("Menu");
  ExpectRegistered(module, kDeviceHandlerKey);
}

TEST_F(ShellExtTest, BeforeVersion61TheHandlerHangsUnderThePrintersFolder) {
  Install("Menu");
  platform::SetReportedWindowsVersion(6, 0);
  EXPECT_EQ(registerExtension("Menu"), S_OK);
  ExpectRegistered(module, "Printers\\shellex\\ContextMenuHandlers");
}

TEST_F(ShellExtTest, ADriverWithoutHardwareIdRegistersNothing) {
  Install("Bare", "FILE:", "");
  EXPECT_EQ(registerExtension("Bare"), E_FAIL);
  EXPECT_EQ(ClassesValue(kClassKey, nullptr), std::nullopt);
  EXPECT_EQ(registerExtension("No such printer"), E_FAIL);
}

TEST_F(ShellExtTest, AnotherDriverVersionRegistersAgainBeforeTheMenu) {
  Install("Menu");
  SetPrinterDword("Menu", "Printer_Monitor", 1);
  ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, HandlerEntry().c_str()), ERROR_SUCCESS);

  // The same version: nothing is written.
  IContextMenu* handler = MenuHandlerFor("Menu");
  ASSERT_NE(handler, nullptr);
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL)), 1);
  EXPECT_EQ(ClassesValue(HandlerEntry(), nullptr), std::nullopt);

  SetStoredDriverVersion("6.300.1.0");
  EXPECT_EQ(HRESULT_CODE(handler->QueryContextMenu(menu, 0, 1, 100, CMF_NORMAL)), 1);
  EXPECT_EQ(ClassesValue(HandlerEntry(), nullptr), kClassText);
  DestroyMenu(menu);
  handler->Release();
}

}  // namespace
}  // namespace shellexttest
