#include "platform/spooler/store_cache.h"

#include <pthread.h>
#include <sqlite3.h>

#include <atomic>
#include <map>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

struct CacheState {
  // The connection the cached records were read through: data versions of
  // different connections cannot be compared.
  unsigned forks = 0;
  unsigned generation = 0;
  sqlite3* connection = nullptr;
  int64_t version = -1;

  bool tablesLoaded = false;
  std::vector<std::shared_ptr<const PrinterRecord>> printers;
  std::unordered_map<int64_t, std::shared_ptr<const PrinterRecord>> printerById;
  std::unordered_map<std::string, std::shared_ptr<const PrinterRecord>> printerByKey;
  std::unordered_map<std::string, std::shared_ptr<const PrinterRecord>> printerByShareKey;
  std::vector<std::shared_ptr<const ConnectionRecord>> connections;
  std::vector<std::shared_ptr<const DriverRecord>> drivers;
  std::unordered_map<std::string, std::shared_ptr<const DriverRecord>> driverByKey;
  std::map<std::pair<int64_t, std::string>, bool> access;

  std::unordered_map<int64_t, std::shared_ptr<const PrinterData>> data;
  // A null entry remembers that no device mode is stored.
  std::map<std::pair<int64_t, std::string>, std::shared_ptr<const std::vector<BYTE>>> devModes;

  void Clear() {
    tablesLoaded = false;
    printers.clear();
    printerById.clear();
    printerByKey.clear();
    printerByShareKey.clear();
    connections.clear();
    drivers.clear();
    driverByKey.clear();
    access.clear();
    data.clear();
    devModes.clear();
  }
};

CacheState& State() {
  static CacheState* state = new CacheState;
  return *state;
}

// Counts the forks this process is a child of, so the cache knows without a
// system call per read that the records came from another process's connection.
std::atomic<unsigned> forkCount{0};

unsigned ForkCount() {
  static const bool registered = pthread_atfork(nullptr, nullptr, [] { forkCount.fetch_add(1); }) == 0;
  (void)registered;
  return forkCount.load();
}

std::u16string Text(const db::Statement& row, int column) { return TextFromStored(row.Text(column)); }

DWORD Dword(const db::Statement& row, int column) { return static_cast<DWORD>(row.Int(column)); }

void LoadTables(db::Session& session, CacheState& state) {
  db::Statement printers(session,
                         "SELECT id, name, share_name, port, driver, comment, location, sep_file, print_processor,"
                         " datatype, parameters, attributes, priority, default_priority, start_time, until_time,"
                         " status FROM spl_printers ORDER BY id");
  while (printers.Step()) {
    auto record = std::make_shared<PrinterRecord>();
    record->id = printers.Int(0);
    record->name = Text(printers, 1);
    record->shareName = Text(printers, 2);
    record->port = Text(printers, 3);
    record->driver = Text(printers, 4);
    record->comment = Text(printers, 5);
    record->location = Text(printers, 6);
    record->sepFile = Text(printers, 7);
    record->printProcessor = Text(printers, 8);
    record->datatype = Text(printers, 9);
    record->parameters = Text(printers, 10);
    record->attributes = Dword(printers, 11);
    record->priority = Dword(printers, 12);
    record->defaultPriority = Dword(printers, 13);
    record->startTime = Dword(printers, 14);
    record->untilTime = Dword(printers, 15);
    record->status = Dword(printers, 16);
    state.printers.push_back(record);
    state.printerById[record->id] = record;
    state.printerByKey[NameKey(record->name)] = record;
    if (!record->shareName.empty()) state.printerByShareKey[NameKey(record->shareName)] = record;
  }

  db::Statement connections(session, "SELECT id, user, name, printer_id FROM spl_connections ORDER BY id");
  while (connections.Step()) {
    auto record = std::make_shared<ConnectionRecord>();
    record->id = connections.Int(0);
    record->user = connections.Text(1);
    record->name = Text(connections, 2);
    record->printerId = connections.Int(3);
    state.connections.push_back(record);
  }

  db::Statement drivers(session,
                        "SELECT d.id, d.name, d.environment, d.version, d.driver_path, d.data_file, d.config_file,"
                        " d.help_file, d.dependent_files, d.monitor_name, d.default_datatype,"
                        " COALESCE(h.hardware_id, '') FROM spl_drivers d"
                        " LEFT JOIN spl_driver_hardware_ids h ON h.name_key = d.name_key ORDER BY d.id");
  while (drivers.Step()) {
    auto record = std::make_shared<DriverRecord>();
    record->id = drivers.Int(0);
    record->name = Text(drivers, 1);
    record->environment = Text(drivers, 2);
    record->version = Dword(drivers, 3);
    record->driverPath = Text(drivers, 4);
    record->dataFile = Text(drivers, 5);
    record->configFile = Text(drivers, 6);
    record->helpFile = Text(drivers, 7);
    std::vector<BYTE> dependent = drivers.Blob(8);
    record->dependentFiles = Utf16FromBytes(dependent.data(), dependent.size());
    record->monitorName = Text(drivers, 9);
    record->defaultDatatype = Text(drivers, 10);
    record->hardwareId = Text(drivers, 11);
    state.drivers.push_back(record);
    state.driverByKey[NameKey(record->name)] = record;
  }

  db::Statement access(session, "SELECT printer_id, user, full_access FROM spl_access");
  while (access.Step()) state.access[{access.Int(0), access.Text(1)}] = access.Int(2) != 0;

  state.tablesLoaded = true;
}

CacheState& Tables(db::Session& session) {
  CacheState& state = State();
  if (!state.tablesLoaded) LoadTables(session, state);
  return state;
}

}  // namespace

const DataValue* PrinterData::Find(std::u16string_view name) const {
  auto it = index.find(FoldCase(name));
  return it == index.end() ? nullptr : &values[it->second];
}

StoreCache::StoreCache(db::Session& session) : session_(session) {
  CacheState& state = State();
  unsigned forks = ForkCount();
  unsigned generation = MachineGeneration();
  if (state.forks != forks || state.generation != generation || state.connection != session.handle()) {
    state.Clear();
    state.forks = forks;
    state.generation = generation;
    state.connection = session.handle();
    state.version = -1;
  }
  // Read before anything is loaded: a write that lands in between only costs a reload.
  int64_t version = session.DataVersion();
  if (version != state.version || version < 0) {
    state.Clear();
    state.version = version;
  }
}

void StoreCache::Invalidate() { State().Clear(); }

std::vector<std::shared_ptr<const PrinterRecord>> StoreCache::Printers() { return Tables(session_).printers; }

std::shared_ptr<const PrinterRecord> StoreCache::Printer(int64_t id) {
  CacheState& state = Tables(session_);
  auto it = state.printerById.find(id);
  return it == state.printerById.end() ? nullptr : it->second;
}

std::shared_ptr<const PrinterRecord> StoreCache::PrinterByName(std::u16string_view name) {
  CacheState& state = Tables(session_);
  auto it = state.printerByKey.find(NameKey(name));
  return it == state.printerByKey.end() ? nullptr : it->second;
}

std::shared_ptr<const PrinterRecord> StoreCache::PrinterByShareName(std::u16string_view shareName) {
  CacheState& state = Tables(session_);
  auto it = state.printerByShareKey.find(NameKey(shareName));
  return it == state.printerByShareKey.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<const ConnectionRecord>> StoreCache::Connections(const std::string& user) {
  std::vector<std::shared_ptr<const ConnectionRecord>> result;
  for (const auto& connection : Tables(session_).connections) {
    if (connection->user == user) result.push_back(connection);
  }
  return result;
}

std::shared_ptr<const ConnectionRecord> StoreCache::Connection(const std::string& user, std::u16string_view name) {
  for (const auto& connection : Tables(session_).connections) {
    if (connection->user == user && EqualsNoCase(connection->name, name)) return connection;
  }
  return nullptr;
}

std::shared_ptr<const DriverRecord> StoreCache::Driver(std::u16string_view name) {
  CacheState& state = Tables(session_);
  auto it = state.driverByKey.find(NameKey(name));
  return it == state.driverByKey.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<const DriverRecord>> StoreCache::Drivers() { return Tables(session_).drivers; }

std::shared_ptr<const PrinterData> StoreCache::Data(int64_t printerId) {
  CacheState& state = State();
  auto it = state.data.find(printerId);
  if (it != state.data.end()) return it->second;

  auto data = std::make_shared<PrinterData>();
  db::Statement values(session_, "SELECT name, type, data FROM spl_printer_data WHERE printer_id = ? ORDER BY seq");
  values.Bind(1, printerId);
  while (values.Step()) {
    DataValue value;
    std::vector<BYTE> name = values.Blob(0);
    value.name = Utf16FromBytes(name.data(), name.size());
    value.type = Dword(values, 1);
    value.data = values.Blob(2);
    data->index[FoldCase(value.name)] = data->values.size();
    data->values.push_back(std::move(value));
  }
  state.data[printerId] = data;
  return data;
}

std::shared_ptr<const std::vector<BYTE>> StoreCache::DevMode(int64_t printerId, const std::string& user) {
  CacheState& state = State();
  auto key = std::make_pair(printerId, user);
  auto it = state.devModes.find(key);
  if (it != state.devModes.end()) return it->second;

  std::shared_ptr<const std::vector<BYTE>> devMode;
  db::Statement row(session_, "SELECT devmode FROM spl_devmodes WHERE printer_id = ? AND user = ?");
  row.Bind(1, printerId).Bind(2, user);
  if (row.Step()) devMode = std::make_shared<const std::vector<BYTE>>(row.Blob(0));
  state.devModes[key] = devMode;
  return devMode;
}

bool StoreCache::HasFullAccess(int64_t printerId, const std::string& user) {
  CacheState& state = Tables(session_);
  auto it = state.access.find({printerId, user});
  return it == state.access.end() || it->second;
}

}  // namespace platform::spooler
