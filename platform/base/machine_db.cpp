#include "platform/base/machine_db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pthread.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <unordered_map>

#include "platform/base/machine.h"

namespace platform::db {
namespace {

// The process id, refreshed in a forked child: asked on every session, and a
// system call each time would cost more than the lookups it guards.
std::atomic<pid_t> g_pid{0};

pid_t CurrentPid() {
  static const bool registered = [] {
    g_pid = getpid();
    pthread_atfork(nullptr, nullptr, [] { g_pid = getpid(); });
    return true;
  }();
  (void)registered;
  return g_pid.load(std::memory_order_relaxed);
}

// The machine's change stamp: a 32-bit counter in a small shared file beside the
// database, raised to odd when any connection of any process starts to commit and
// to the next even value once the commit is in the database. Caches compare it
// without a system call or a query, so a read served from memory costs a lookup.
uint32_t* MapChangeStamp(const std::filesystem::path& root) {
  std::string file = (root / "machine.stamp").string();
  int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || (info.st_size < 4096 && ::ftruncate(fd, 4096) != 0)) {
    ::close(fd);
    return nullptr;
  }
  void* map = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);
  return map == MAP_FAILED ? nullptr : static_cast<uint32_t*>(map);
}

void RaiseStamp(uint32_t* stamp, bool toOdd) {
  if (!stamp) return;
  uint32_t current = __atomic_load_n(stamp, __ATOMIC_ACQUIRE);
  for (;;) {
    uint32_t next = toOdd ? ((current + 1) | 1u) : ((current | 1u) + 1);
    if (__atomic_compare_exchange_n(stamp, &current, next, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) return;
  }
}

struct ConnectionState {
  std::recursive_mutex mutex;
  sqlite3* db = nullptr;
  uint32_t* stamp = nullptr;
  // Set when this connection raised the stamp to odd for a commit, cleared when
  // it brought it back to even.
  bool commitOpen = false;
  int64_t uncachable = 0;
  // Prepared statements kept for reuse, by their SQL text: preparing costs more
  // than running most of the store's queries.
  std::unordered_map<std::string, std::vector<sqlite3_stmt*>> idle;
  pid_t owner = 0;
  unsigned generation = 0;
  std::map<std::string, std::string> schemas;
  std::map<std::string, bool> applied;
};

int OnCommitStart(void* arg) {
  auto* state = static_cast<ConnectionState*>(arg);
  state->commitOpen = true;
  RaiseStamp(state->stamp, true);
  return 0;  // go on with the commit
}

void CloseCommit(ConnectionState& state) {
  state.commitOpen = false;
  RaiseStamp(state.stamp, false);
}

void OnRollback(void* arg) { CloseCommit(*static_cast<ConnectionState*>(arg)); }

// Runs after every commit that wrote pages, in WAL mode. It replaces SQLite's
// automatic checkpointing, so it checkpoints as that would.
int OnCommitDone(void* arg, sqlite3* db, const char* name, int pages) {
  CloseCommit(*static_cast<ConnectionState*>(arg));
  if (pages >= 1000) sqlite3_wal_checkpoint_v2(db, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  return SQLITE_OK;
}

// A commit that wrote nothing (a schema already in place, an update that matched
// no row) passes the commit hook but never reaches the WAL hook: once the
// connection is out of its transaction, the commit is over either way. Raising
// the stamp then is safe even while another process commits: that commit raises
// it again when its data is in, so nothing read before is kept past it.
void SettleCommit(ConnectionState& state, sqlite3* db) {
  if (state.commitOpen && db == state.db && sqlite3_get_autocommit(db)) CloseCommit(state);
}

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
  SettleCommit(State(), db);
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
      SettleCommit(state, state.db);
      throw;
    }
    state.applied[name] = true;
  }
}

sqlite3* OpenLocked(ConnectionState& state) {
  unsigned generation = MachineGeneration();
  pid_t pid = CurrentPid();
  if (state.db && state.owner == pid && state.generation == generation) {
    ApplySchemas(state);
    return state.db;
  }
  if (state.db && state.owner == pid) {
    for (auto& [sql, statements] : state.idle) {
      for (sqlite3_stmt* stmt : statements) sqlite3_finalize(stmt);
    }
    sqlite3_close_v2(state.db);
  }
  // A connection inherited through fork() must not be touched in the child: drop it.
  state.idle.clear();
  state.db = nullptr;
  if (state.stamp) ::munmap(state.stamp, 4096);
  state.stamp = nullptr;
  state.applied.clear();

  std::filesystem::path root = MachineRoot();
  std::error_code ec;
  std::filesystem::create_directories(root, ec);
  std::string file = (root / "machine.db").string();
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
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
  state.stamp = MapChangeStamp(root);
  state.commitOpen = false;
  state.db = db;
  sqlite3_commit_hook(db, OnCommitStart, &state);
  sqlite3_rollback_hook(db, OnRollback, &state);
  sqlite3_wal_hook(db, OnCommitDone, &state);
  state.owner = pid;
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
  ConnectionState& state = State();
  if (!state.stamp) {
    // No shared stamp (the file could not be mapped): SQLite's own counter, which
    // does not see this connection's writes, so callers also drop caches on their own.
    static const char kSql[] = "PRAGMA data_version";
    Statement stmt(*this, kSql);
    stmt.Step();
    return stmt.Int(0);
  }
  uint32_t stamp = __atomic_load_n(state.stamp, __ATOMIC_ACQUIRE);
  // Odd: a commit is under way somewhere; nothing read now may be kept.
  if (stamp & 1u) return -(++state.uncachable);
  return stamp;
}

void Session::Exec(const char* sql) { ExecOn(db_, sql); }

int64_t Session::LastInsertRowId() { return sqlite3_last_insert_rowid(db_); }

int Session::Changes() { return sqlite3_changes(db_); }

Transaction::Transaction(Session& session) : session_(session) { session_.Exec("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (!done_) {
    sqlite3_exec(session_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    SettleCommit(State(), session_.handle());
  }
}

void Transaction::Commit() {
  session_.Exec("COMMIT");
  done_ = true;
}

Statement::Statement(Session& session, const char* sql) : session_(session), sql_(sql) {
  auto& idle = State().idle[sql_];
  if (!idle.empty()) {
    stmt_ = idle.back();
    idle.pop_back();
    return;
  }
  Check(session.handle(), sqlite3_prepare_v3(session.handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr),
        sql);
}

Statement::~Statement() {
  // Back to the pool, reset, for the next query of the same text on this connection.
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
  State().idle[sql_].push_back(stmt_);
}

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
  if (rc != SQLITE_ROW) SettleCommit(State(), session_.handle());
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
