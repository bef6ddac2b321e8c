// Pieces the printer calls share: opening a handle, the device-mode argument of a
// call, and the writes that go with adding and removing a printer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/base/types.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/devmode.h"

namespace platform::spooler {

// A handle for the current user to a printer already found.
HANDLE OpenPrinterHandle(int64_t printerId, std::u16string server, DWORD desiredAccess, std::u16string datatype,
                         std::vector<BYTE> devMode);

// The rights only a user with full access gets: administer, delete, change security.
bool AsksForAdministration(DWORD desiredAccess);

// A caller's device mode in the stored wide form: nothing for NULL, an empty record
// for one the stores refuse (a public part shorter than its fields).
template <class Char>
std::optional<std::vector<BYTE>> DevModeArgument(const void* devMode) {
  if (!devMode) return std::nullopt;
  if constexpr (kIsAnsi<Char>) {
    return DevModeWFromA(static_cast<const DEVMODEA*>(devMode));
  } else {
    return CopyDevModeW(static_cast<const DEVMODEW*>(devMode));
  }
}

// Inside the caller's transaction: stores the device mode of the printer (user ""
// for the global default) or, given none, removes it.
void WriteDevMode(db::Session& session, int64_t printerId, const std::string& user,
                  const std::optional<std::vector<BYTE>>& devModeW);

// The configuration module of a driver (a Windows path); empty when there is no such driver.
class StoreCache;
std::u16string ConfigFileOfDriver(StoreCache& cache, const std::u16string& driverName);

// Inside the caller's transaction: removes the printer and all that is kept with it.
void RemovePrinterRows(db::Session& session, int64_t printerId);

}  // namespace platform::spooler
