#include "tools/machinesetup/printer_install.h"

#include <dlfcn.h>

#include <system_error>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/machine.h"
#include "platform/base/profile.h"
#include "platform/spooler/spooler.h"

namespace fs = std::filesystem;

namespace machinesetup {

std::string DriverNameOf(const fs::path& modelDescription) {
  std::string file = platform::AnsiFromUtf8(platform::WindowsPathFromHost(modelDescription));
  char name[128] = {};
  GetPrivateProfileStringA("General", "ModelName", "", name, sizeof name, file.c_str());
  return name;
}

std::string BuiltDriverFolder() {
  // The platform library lies in the driver folder beside the deliverables.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&GetLastError), &info) == 0 || !info.dli_fname) return {};
  return platform::AnsiFromUtf8(platform::WindowsPathFromHost(fs::path(info.dli_fname).parent_path()));
}

bool InstallPrinter(const PrinterSpec& spec, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(spec.modelDescription, ec)) {
    error = "model description not found: " + spec.modelDescription.string();
    return false;
  }
  std::string driverName = DriverNameOf(spec.modelDescription);
  if (driverName.empty()) {
    error = "the model description has no [General] ModelName";
    return false;
  }
  platform::EnsureMachineFolders();

  // The spooler keeps its own copy of a driver's data file in the driver folder.
  std::string driverDirectory = platform::AnsiFromUtf8(platform::PrinterDriverDirectory());
  std::string dataFile = driverDirectory + "\\" + platform::AnsiFromUtf8(spec.modelDescription.filename().string());
  std::string source = platform::AnsiFromUtf8(platform::WindowsPathFromHost(spec.modelDescription));
  if (!CopyFileA(source.c_str(), dataFile.c_str(), FALSE)) {
    error = "cannot copy the model description (error " + std::to_string(GetLastError()) + ")";
    return false;
  }

  std::string driverPath = spec.graphicsLibrary.empty() ? spec.driverFolder + "\\zelkerd5.dll" : spec.graphicsLibrary;
  std::string configFile = spec.driverFolder + "\\zeluid5.dll";
  char environment[] = "Windows x64";
  DRIVER_INFO_2A driver{};
  driver.cVersion = 2;
  driver.pName = driverName.data();
  driver.pEnvironment = environment;
  driver.pDriverPath = driverPath.data();
  driver.pDataFile = dataFile.data();
  driver.pConfigFile = configFile.data();
  // A hardware id comes with level 6, which carries level 2's files first.
  std::string hardwareId = spec.hardwareId;
  DRIVER_INFO_6A withId{};
  withId.cVersion = driver.cVersion;
  withId.pName = driver.pName;
  withId.pEnvironment = driver.pEnvironment;
  withId.pDriverPath = driver.pDriverPath;
  withId.pDataFile = driver.pDataFile;
  withId.pConfigFile = driver.pConfigFile;
  withId.pszHardwareID = hardwareId.data();
  const DWORD level = hardwareId.empty() ? 2 : 6;
  LPBYTE info = hardwareId.empty() ? reinterpret_cast<LPBYTE>(&driver) : reinterpret_cast<LPBYTE>(&withId);
  if (!AddPrinterDriverA(nullptr, level, info) && GetLastError() != ERROR_PRINTER_DRIVER_ALREADY_INSTALLED) {
    error = "cannot add the driver (error " + std::to_string(GetLastError()) + ")";
    return false;
  }

  std::string printerName = spec.printerName;
  std::string port = spec.port;
  char processor[] = "winprint";
  char datatype[] = "RAW";
  PRINTER_INFO_2A printer{};
  printer.pPrinterName = printerName.data();
  printer.pPortName = port.data();
  printer.pDriverName = driverName.data();
  printer.pPrintProcessor = processor;
  printer.pDatatype = datatype;
  printer.Attributes = PRINTER_ATTRIBUTE_LOCAL;
  HANDLE handle = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
  if (!handle) {
    error = "cannot add the printer (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  ClosePrinter(handle);
  return true;
}

}  // namespace machinesetup
