#include "platform/base/machine_db.h"

#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "platform/base/machine.h"

namespace platform::db {
namespace {

struct ConnectionState {
  std::recursive_mutex mutex;
  sqlite3* db = nullptr;
  pid_t owner = 0;
  unsigned generation = 0;
  std::map<std::string, std::string> schemas;
  std::map<std::string, bool> applied;
};

ConnectionState& State() {
  static ConnectionState* state = new ConnectionState;
  return *state;
}

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE) {
    throw Error(rc, std::string(what) + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
  }
}

void ExecOn(sqlite3* db, const char* sql) {
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    throw Error(rc, text);
  }
}

void ApplySchemas(ConnectionState& state) {
  for (const auto& [name, sql] : state.schemas) {
    if (state.applied[name]) continue;
    ExecOn(state.db, "BEGIN IMMEDIATE");
    try {
      ExecOn(state.db, sql.c_str());
      ExecOn(state.db, "COMMIT");
    } catch (...) {
      sqlite3_exec(state.db, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
    state.applied[name] = true;
  }
}

sqlite3* OpenLocked(ConnectionState& state) {
  unsigned generation = MachineGeneration();
  if (state.db && state.owner == getpid() && state.generation == generation) {
    ApplySchemas(state);
    return state.db;
  }
  if (state.db && state.owner == getpid()) sqlite3_close_v2(state.db);
  // A connection inherited through fork() must not be touched in the child: drop it.
  state.db = nullptr;
  state.applied.clear();

  std::filesystem::path root = MachineRoot();
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  std::string file = (root / "machine.db").string();
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  if (rc != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw Error(rc, "open " + file + ": " + message);
  }
  sqlite3_busy_timeout(db, 30000);
  try {
    ExecOn(db, "PRAGMA journal_mode=WAL");
    ExecOn(db, "PRAGMA synchronous=NORMAL");
    ExecOn(db, "PRAGMA foreign_keys=ON");
  } catch (...) {
    sqlite3_close_v2(db);
    throw;
  }
  state.db = db;
  state.owner = getpid();
  state.generation = generation;
  ApplySchemas(state);
  return db;
}

}  // namespace

void RegisterSchema(const char* name, const char* sql) {
  ConnectionState& state = State();
  std::lock_guard lock(state.mutex);
  state.schemas[name] = sql;
  state.applied[name] = false;
}

Session::Session() : lock_(State().mutex), db_(OpenLocked(State())) {}

Session::~Session() = default;

int64_t Session::DataVersion() {
  Statement stmt(*this, "PRAGMA data_version");
  stmt.Step();
  return stmt.Int(0);
}

void Session::Exec(const char* sql) { ExecOn(db_, sql); }

int64_t Session::LastInsertRowId() { return sqlite3_last_insert_rowid(db_); }

int Session::Changes() { return sqlite3_changes(db_); }

Transaction::Transaction(Session& session) : session_(session) { session_.Exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!done_) sqlite3_exec(session_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Commit() {
  session_.Exec("COMMIT");
  done_ = true;
}

Statement::Statement(Session& session, const char* sql) : session_(session) {
  Check(session.handle(), sqlite3_prepare_v2(session.handle(), sql, -1, &stmt_, nullptr), sql);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::Bind(int index, int64_t value) {
  Check(session_.handle(), sqlite3_bind_int64(stmt_, index, value), "bind");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view text) {
  Check(session_.handle(),
        sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT), "bind");
  return *this;
}

Statement& Statement::BindBlob(int index, const void* data, size_t size) {
  static const char empty = 0;
  Check(session_.handle(),
        sqlite3_bind_blob(stmt_, index, size ? data : &empty, static_cast<int>(size), SQLITE_TRANSIENT), "bind");
  return *this;
}

Statement& Statement::BindNull(int index) {
  Check(session_.handle(), sqlite3_bind_null(stmt_, index), "bind");
  return *this;
}

bool Statement::Step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Check(session_.handle(), rc, "step");
  return false;
}

void Statement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

int64_t Statement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string Statement::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size)) : std::string();
}

std::vector<uint8_t> Statement::Blob(int column) const {
  const void* data = sqlite3_column_blob(stmt_, column);
  int size = sqlite3_column_bytes(stmt_, column);
  if (!data || size <= 0) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

bool Statement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

}  // namespace platform::db
