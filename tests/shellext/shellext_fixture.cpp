#include "tests/shellext/shellext_fixture.h"

#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/base/os_version.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace shellexttest {
namespace {

template <class Function>
Function Bind(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

void ShellExtTest::SetUp() {
  FreshMachine::SetUp();
  platform::SetUiLanguage(platform::UiLanguage::English);
  platform::SetShellHandler([this](const platform::ShellRequest& request) {
    requests.push_back(request);
    return HINSTANCE(42);
  });
  module = LoadLibraryA((machinesetup::BuiltDriverFolder() + "\\zelshexd5.dll").c_str());
  ASSERT_NE(module, 0u) << GetLastError();
  getClassObject = Bind<PFN_DllGetClassObject>(module, "DllGetClassObject");
  canUnloadNow = Bind<PFN_DllCanUnloadNow>(module, "DllCanUnloadNow");
  registerExtension = Bind<HRESULT (*)(const char*)>(module, "RegisterShellExtension");
  ASSERT_TRUE(getClassObject && canUnloadNow && registerExtension);
}

void ShellExtTest::TearDown() {
  platform::SetShellHandler(nullptr);
  platform::SetReportedWindowsVersion(0, 0);
  platform::SetUiLanguage(platform::UiLanguage::Japanese);
  if (module) FreeLibrary(module);
  FreshMachine::TearDown();
}

void ShellExtTest::Install(const std::string& name, const std::string& port, const std::string& hardwareId) {
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data/models/nardo-m3020.ini";
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.port = port;
  spec.hardwareId = hardwareId;
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
}

std::string ShellExtTest::DataFile(const std::string& printer) {
  std::string name = printer;
  HANDLE handle = 0;
  if (!OpenPrinterA(name.data(), &handle, nullptr)) return {};
  DWORD needed = 0;
  GetPrinterDriverA(handle, nullptr, 2, nullptr, 0, &needed);
  std::vector<BYTE> buffer(needed);
  std::string file;
  if (needed && GetPrinterDriverA(handle, nullptr, 2, buffer.data(), needed, &needed)) {
    file = reinterpret_cast<DRIVER_INFO_2A*>(buffer.data())->pDataFile;
  }
  ClosePrinter(handle);
  return file;
}

std::string ShellExtTest::DataFolder(const std::string& printer) {
  const std::string file = DataFile(printer);
  return file.substr(0, file.find_last_of('\\') + 1);
}

void ShellExtTest::SetModelValue(const std::string& printer, const char* section, const char* key, const char* value) {
  ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, DataFile(printer).c_str()));
}

void ShellExtTest::SetPrinterDword(const std::string& printer, const std::string& valueName, DWORD value) {
  std::string name = printer;
  std::string value_name = valueName;
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(name.data(), &handle, &defaults));
  EXPECT_EQ(SetPrinterDataA(handle, value_name.data(), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value),
            DWORD(ERROR_SUCCESS));
  ClosePrinter(handle);
}

void ShellExtTest::DeletePrinterValue(const std::string& printer, const std::string& valueName) {
  std::string name = printer;
  std::string value_name = valueName;
  HANDLE handle = 0;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  ASSERT_TRUE(OpenPrinterA(name.data(), &handle, &defaults));
  DeletePrinterDataA(handle, value_name.data());
  ClosePrinter(handle);
}

void ShellExtTest::OfferEveryEntry(const std::string& printer) {
  SetModelValue(printer, "General", "Readme", "readme.txt");
  SetModelValue(printer, "Features", "QuickTabs", "1");
  SetPrinterDword(printer, "Printer_Monitor", 1);
}

IContextMenu* ShellExtTest::MenuHandler(const std::vector<platform::ShellItemProperties>& items, HRESULT* initResult) {
  IClassFactory* factory = nullptr;
  GUID clsid{};
  platform::GuidFromText("{5D1C0B7A-93E2-4F6B-8A41-2C7E9B305F18}", clsid);
  if (FAILED(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
  IShellExtInit* init = nullptr;
  HRESULT result = factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init));
  factory->Release();
  if (FAILED(result)) return nullptr;
  IDataObject* data = platform::CreateShellItemsDataObject(items);
  result = init->Initialize(nullptr, data, 0);
  data->Release();
  if (initResult) *initResult = result;
  IContextMenu* handler = nullptr;
  if (SUCCEEDED(result)) init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&handler));
  init->Release();
  return handler;
}

HRESULT ShellExtTest::Invoke(IContextMenu* handler, UINT_PTR offset) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return handler->InvokeCommand(&info);
}

std::vector<std::string> ShellExtTest::Describe(HMENU menu, int depth) {
  std::vector<std::string> lines;
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state != static_cast<UINT>(-1) && (state & MF_SEPARATOR)) {
      lines.push_back(indent + "----");
      continue;
    }
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
    std::string shown;
    for (const char* c = text; *c; ++c) {
      if (*c != '&') shown += *c;
    }
    if (HMENU sub = GetSubMenu(menu, i)) {
      lines.push_back(indent + shown);
      for (const std::string& line : Describe(sub, depth + 1)) lines.push_back(line);
    } else {
      lines.push_back(indent + shown + " [" + std::to_string(GetMenuItemID(menu, i)) + "]");
    }
  }
  return lines;
}

}  // namespace shellexttest
