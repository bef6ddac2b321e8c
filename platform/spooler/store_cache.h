// The spooler's records as this process sees them, served from memory. Drivers and
// printer data are read on every settings access, so the records are kept per
// process and dropped as a whole when SQLite's data version says another connection
// committed, when the connection was reopened (fork, a new machine root or user), or
// when this process wrote (the data version does not move for a connection's own
// writes). Every access holds a db::Session, whose lock also guards the cache;
// records are handed out as shared snapshots, so a later refresh never pulls them
// from under a caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/base/types.h"

namespace platform::spooler {

struct DriverRecord {
  int64_t id = 0;
  std::u16string name;
  std::u16string environment;
  DWORD version = 0;
  std::u16string driverPath;
  std::u16string dataFile;
  std::u16string configFile;
  std::u16string helpFile;
  std::u16string dependentFiles;  // each name followed by its NUL
  std::u16string monitorName;
  std::u16string defaultDatatype;
  std::u16string hardwareId;  // level 6 only; empty when the driver was added without one
};

struct PrinterRecord {
  int64_t id = 0;
  std::u16string name;
  std::u16string shareName;
  std::u16string port;
  std::u16string driver;
  std::u16string comment;
  std::u16string location;
  std::u16string sepFile;
  std::u16string printProcessor;
  std::u16string datatype;
  std::u16string parameters;
  DWORD attributes = 0;
  DWORD priority = 1;
  DWORD defaultPriority = 0;
  DWORD startTime = 0;
  DWORD untilTime = 0;
  DWORD status = 0;
};

// A user's connection to a shared printer of this machine: a second name for it.
struct ConnectionRecord {
  int64_t id = 0;
  std::string user;
  std::u16string name;  // "\\server\printer"
  int64_t printerId = 0;
};

struct DataValue {
  std::u16string name;  // as first stored
  DWORD type = 0;
  std::vector<BYTE> data;  // strings as UTF-16
};

// One printer's data in enumeration order, with a lookup by folded name.
struct PrinterData {
  std::vector<DataValue> values;
  std::unordered_map<std::u16string, size_t> index;
  const DataValue* Find(std::u16string_view name) const;
};

class StoreCache {
 public:
  // Checks the data version and drops stale records; the session must outlive the cache.
  explicit StoreCache(db::Session& session);

  // Local printers in the order they were added.
  std::vector<std::shared_ptr<const PrinterRecord>> Printers();
  std::shared_ptr<const PrinterRecord> Printer(int64_t id);
  std::shared_ptr<const PrinterRecord> PrinterByName(std::u16string_view name);
  std::shared_ptr<const PrinterRecord> PrinterByShareName(std::u16string_view shareName);
  std::vector<std::shared_ptr<const ConnectionRecord>> Connections(const std::string& user);
  std::shared_ptr<const ConnectionRecord> Connection(const std::string& user, std::u16string_view name);
  std::shared_ptr<const DriverRecord> Driver(std::u16string_view name);
  std::vector<std::shared_ptr<const DriverRecord>> Drivers();
  // Never null: a printer without data has an empty set.
  std::shared_ptr<const PrinterData> Data(int64_t printerId);
  // Null when none is stored. user "" is the printer's global default.
  std::shared_ptr<const std::vector<BYTE>> DevMode(int64_t printerId, const std::string& user);
  // Whether the user may administer the printer.
  bool HasFullAccess(int64_t printerId, const std::string& user);

  // After this process committed a write (call with the session still held).
  static void Invalidate();

 private:
  db::Session& session_;
};

}  // namespace platform::spooler
