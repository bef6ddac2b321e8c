// Printer drivers: the files a printer's driver is made of, by driver name.
#include <cstring>
#include <string>

#include "platform/base/machine.h"
#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/info_packer.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/printer_names.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

template <class Char>
struct DriverInfo;
template <>
struct DriverInfo<CHAR> {
  using Level2 = DRIVER_INFO_2A;
  using Level3 = DRIVER_INFO_3A;
  using Level6 = DRIVER_INFO_6A;
};
template <>
struct DriverInfo<WCHAR> {
  using Level2 = DRIVER_INFO_2W;
  using Level3 = DRIVER_INFO_3W;
  using Level6 = DRIVER_INFO_6W;
};

// A bare file name lies in the driver folder, where the set-up copied it.
std::u16string FullDriverPath(std::u16string path) {
  if (path.empty() || path.find_first_of(u"\\/:") != std::u16string::npos) return path;
  return Utf16FromUtf8(PrinterDriverDirectory()) + u"\\" + path;
}

// A list of names, each with its NUL, up to the empty name that closes it.
template <class Char>
std::u16string MultiTextArg(const Char* list) {
  std::u16string result;
  if (!list) return result;
  while (*list) {
    const Char* end = list;
    while (*end) ++end;
    result += TextArgOrEmpty(list);
    result.push_back(0);
    list = end + 1;
  }
  return result;
}

template <class Char>
DWORD AddDriver(const Char* server, DWORD level, const BYTE* info) {
  if (DWORD code = CheckServerArgument(TextArg(server))) return code;
  if (level != 2 && level != 3 && level != 6) return ERROR_INVALID_LEVEL;
  if (!info) return ERROR_INVALID_PARAMETER;

  DriverRecord driver;
  const auto* level2 = reinterpret_cast<const typename DriverInfo<Char>::Level2*>(info);
  driver.version = level2->cVersion;
  driver.name = TextArgOrEmpty(level2->pName);
  driver.environment = TextArgOrEmpty(level2->pEnvironment);
  if (driver.environment.empty()) driver.environment = std::u16string(kEnvironment);
  driver.driverPath = FullDriverPath(TextArgOrEmpty(level2->pDriverPath));
  driver.dataFile = FullDriverPath(TextArgOrEmpty(level2->pDataFile));
  driver.configFile = FullDriverPath(TextArgOrEmpty(level2->pConfigFile));
  if (level >= 3) {
    const auto* level3 = reinterpret_cast<const typename DriverInfo<Char>::Level3*>(info);
    driver.helpFile = FullDriverPath(TextArgOrEmpty(level3->pHelpFile));
    driver.dependentFiles = MultiTextArg(level3->pDependentFiles);
    driver.monitorName = TextArgOrEmpty(level3->pMonitorName);
    driver.defaultDatatype = TextArgOrEmpty(level3->pDefaultDataType);
  }
  if (level == 6) {
    driver.hardwareId = TextArgOrEmpty(reinterpret_cast<const typename DriverInfo<Char>::Level6*>(info)->pszHardwareID);
  }
  if (driver.name.empty() || driver.driverPath.empty() || driver.dataFile.empty() || driver.configFile.empty()) {
    return ERROR_INVALID_PARAMETER;
  }

  // Adding a driver that is there already replaces its files, as an upgrade does.
  db::Session session;
  db::Transaction transaction(session);
  db::Statement upsert(session,
                       "INSERT INTO spl_drivers(name_key, name, environment, version, driver_path, data_file,"
                       " config_file, help_file, dependent_files, monitor_name, default_datatype)"
                       " VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                       " ON CONFLICT(name_key) DO UPDATE SET name = excluded.name,"
                       " environment = excluded.environment, version = excluded.version,"
                       " driver_path = excluded.driver_path, data_file = excluded.data_file,"
                       " config_file = excluded.config_file, help_file = excluded.help_file,"
                       " dependent_files = excluded.dependent_files, monitor_name = excluded.monitor_name,"
                       " default_datatype = excluded.default_datatype");
  std::vector<BYTE> dependent = Utf16Bytes(driver.dependentFiles);
  upsert.Bind(1, NameKey(driver.name))
      .Bind(2, StoredText(driver.name))
      .Bind(3, StoredText(driver.environment))
      .Bind(4, static_cast<int64_t>(driver.version))
      .Bind(5, StoredText(driver.driverPath))
      .Bind(6, StoredText(driver.dataFile))
      .Bind(7, StoredText(driver.configFile))
      .Bind(8, StoredText(driver.helpFile))
      .BindBlob(9, dependent.data(), dependent.size())
      .Bind(10, StoredText(driver.monitorName))
      .Bind(11, StoredText(driver.defaultDatatype));
  upsert.Step();
  // A driver added again without a hardware id no longer has one.
  db::Statement hardware(session, driver.hardwareId.empty()
                                      ? "DELETE FROM spl_driver_hardware_ids WHERE name_key = ?"
                                      : "INSERT INTO spl_driver_hardware_ids(name_key, hardware_id) VALUES(?, ?)"
                                        " ON CONFLICT(name_key) DO UPDATE SET hardware_id = excluded.hardware_id");
  hardware.Bind(1, NameKey(driver.name));
  if (!driver.hardwareId.empty()) hardware.Bind(2, StoredText(driver.hardwareId));
  hardware.Step();
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

template <class Char>
DWORD DeleteDriver(const Char* server, const Char* environment, const Char* driverName) {
  if (DWORD code = CheckServerArgument(TextArg(server))) return code;
  std::u16string name = TextArgOrEmpty(driverName);
  std::u16string wantedEnvironment = TextArgOrEmpty(environment);
  if (name.empty()) return ERROR_INVALID_PARAMETER;

  db::Session session;
  db::Transaction transaction(session);
  db::Statement driver(session, "SELECT environment FROM spl_drivers WHERE name_key = ?");
  driver.Bind(1, NameKey(name));
  if (!driver.Step()) return ERROR_UNKNOWN_PRINTER_DRIVER;
  if (!wantedEnvironment.empty() && !EqualsNoCase(wantedEnvironment, TextFromStored(driver.Text(0)))) {
    return ERROR_UNKNOWN_PRINTER_DRIVER;
  }
  // Printer records keep the driver name as given; compare it folded.
  db::Statement inUse(session, "SELECT driver FROM spl_printers");
  while (inUse.Step()) {
    if (NameKey(TextFromStored(inUse.Text(0))) == NameKey(name)) return ERROR_PRINTER_DRIVER_IN_USE;
  }
  db::Statement remove(session, "DELETE FROM spl_drivers WHERE name_key = ?");
  remove.Bind(1, NameKey(name));
  remove.Step();
  db::Statement removeHardware(session, "DELETE FROM spl_driver_hardware_ids WHERE name_key = ?");
  removeHardware.Bind(1, NameKey(name));
  removeHardware.Step();
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

template <class Char>
DWORD GetDriver(HANDLE printerHandle, const Char* environment, DWORD level, BYTE* buffer, DWORD cbBuf,
                DWORD* pcbNeeded) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (level != 2 && level != 3 && level != 6) return ERROR_INVALID_LEVEL;
  std::u16string wantedEnvironment = TextArgOrEmpty(environment);

  db::Session session;
  StoreCache cache(session);
  auto printer = cache.Printer(handle->printerId);
  if (!printer) return ERROR_INVALID_HANDLE;
  auto driver = cache.Driver(printer->driver);
  if (!driver) return ERROR_UNKNOWN_PRINTER_DRIVER;
  if (!wantedEnvironment.empty() && !EqualsNoCase(wantedEnvironment, driver->environment)) {
    return ERROR_UNKNOWN_PRINTER_DRIVER;
  }

  auto fillCommon = [&](InfoPacker& packer, auto& info) {
    info.cVersion = driver->version;
    info.pName = packer.Text<Char>(driver->name);
    info.pEnvironment = packer.Text<Char>(driver->environment);
    info.pDriverPath = packer.Text<Char>(driver->driverPath);
    info.pDataFile = packer.Text<Char>(driver->dataFile);
    info.pConfigFile = packer.Text<Char>(driver->configFile);
  };
  if (level == 2) {
    return PackRecords<typename DriverInfo<Char>::Level2>(
        buffer, cbBuf, pcbNeeded, 1, [&](InfoPacker& packer, size_t, auto& info) { fillCommon(packer, info); });
  }
  auto fillLevel3 = [&](InfoPacker& packer, auto& info) {
    fillCommon(packer, info);
    info.pHelpFile = packer.Text<Char>(driver->helpFile);
    info.pDependentFiles = packer.MultiText<Char>(driver->dependentFiles);
    info.pMonitorName = packer.Text<Char>(driver->monitorName);
    info.pDefaultDataType = packer.Text<Char>(driver->defaultDatatype);
  };
  if (level == 3) {
    return PackRecords<typename DriverInfo<Char>::Level3>(
        buffer, cbBuf, pcbNeeded, 1, [&](InfoPacker& packer, size_t, auto& info) { fillLevel3(packer, info); });
  }
  return PackRecords<typename DriverInfo<Char>::Level6>(
      buffer, cbBuf, pcbNeeded, 1, [&](InfoPacker& packer, size_t, auto& info) {
        fillLevel3(packer, info);
        info.pszzPreviousNames = packer.MultiText<Char>(std::u16string());
        info.pszMfgName = packer.Text<Char>(std::u16string());
        info.pszOEMUrl = packer.Text<Char>(std::u16string());
        info.pszHardwareID = packer.Text<Char>(driver->hardwareId);
        info.pszProvider = packer.Text<Char>(std::u16string());
      });
}

template <class Char>
DWORD GetDriverDirectory(const Char* server, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* pcbNeeded) {
  if (DWORD code = CheckServerArgument(TextArg(server))) return code;
  if (level != 1) return ERROR_INVALID_LEVEL;
  if (!pcbNeeded) return ERROR_INVALID_PARAMETER;
  std::basic_string<Char> folder = TextOut<Char>(Utf16FromUtf8(PrinterDriverDirectory()));
  size_t needed = (folder.size() + 1) * sizeof(Char);
  *pcbNeeded = static_cast<DWORD>(needed);
  if (cbBuf < needed) return ERROR_INSUFFICIENT_BUFFER;
  if (!buffer) return ERROR_INVALID_USER_BUFFER;
  std::memcpy(buffer, folder.c_str(), needed);
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

BOOL AddPrinterDriverA(LPSTR pName, DWORD Level, LPBYTE pDriverInfo) {
  return GuardBool([&] { return AddDriver(pName, Level, pDriverInfo); });
}

BOOL AddPrinterDriverW(LPWSTR pName, DWORD Level, LPBYTE pDriverInfo) {
  return GuardBool([&] { return AddDriver(pName, Level, pDriverInfo); });
}

BOOL DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName) {
  return GuardBool([&] { return DeleteDriver(pName, pEnvironment, pDriverName); });
}

BOOL DeletePrinterDriverW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pDriverName) {
  return GuardBool([&] { return DeleteDriver(pName, pEnvironment, pDriverName); });
}

BOOL GetPrinterDriverA(HANDLE hPrinter, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                       LPDWORD pcbNeeded) {
  return GuardBool([&] { return GetDriver(hPrinter, pEnvironment, Level, pDriverInfo, cbBuf, pcbNeeded); });
}

BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                       LPDWORD pcbNeeded) {
  return GuardBool([&] { return GetDriver(hPrinter, pEnvironment, Level, pDriverInfo, cbBuf, pcbNeeded); });
}

BOOL GetPrinterDriverDirectoryA(LPSTR pName, LPSTR, DWORD Level, LPBYTE pDriverDirectory, DWORD cbBuf,
                                LPDWORD pcbNeeded) {
  return GuardBool([&] { return GetDriverDirectory(pName, Level, pDriverDirectory, cbBuf, pcbNeeded); });
}

BOOL GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR, DWORD Level, LPBYTE pDriverDirectory, DWORD cbBuf,
                                LPDWORD pcbNeeded) {
  return GuardBool([&] { return GetDriverDirectory(pName, Level, pDriverDirectory, cbBuf, pcbNeeded); });
}
