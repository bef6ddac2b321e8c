// The machine database: the registry and the spooler's stores live in one SQLite
// file in the machine root (WAL, a busy timeout, one transaction per write), so
// several processes can read and write at once and a crash never leaves half a value.
#pragma once

#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace platform::db {

class Error : public std::runtime_error {
 public:
  Error(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Holds the process's connection for the caller's scope (recursive within a thread).
// The connection is opened on first use, reopened after a fork or a change of
// machine root, and every registered schema is applied to it.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  sqlite3* handle() const { return db_; }
  // The machine's change stamp: changes whenever any connection, of this process
  // or another, commits a write, so caches of hot reads know when to refresh. A
  // negative value is never repeated: nothing read while it is given may be cached.
  int64_t DataVersion();
  void Exec(const char* sql);
  int64_t LastInsertRowId();
  int Changes();

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  sqlite3* db_;
};

// BEGIN IMMEDIATE ... COMMIT; rolled back unless Commit() was called.
class Transaction {
 public:
  explicit Transaction(Session& session);
  ~Transaction();
  void Commit();

 private:
  Session& session_;
  bool done_ = false;
};

class Statement {
 public:
  Statement(Session& session, const char* sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(int index, int64_t value);
  Statement& Bind(int index, std::string_view text);
  Statement& BindBlob(int index, const void* data, size_t size);
  Statement& BindNull(int index);
  // True while a row is available.
  bool Step();
  void Reset();
  int64_t Int(int column) const;
  std::string Text(int column) const;
  std::vector<uint8_t> Blob(int column) const;
  bool IsNull(int column) const;

 private:
  Session& session_;
  std::string sql_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A store adds its tables once per connection ("CREATE TABLE IF NOT EXISTS ...").
void RegisterSchema(const char* name, const char* sql);

}  // namespace platform::db
