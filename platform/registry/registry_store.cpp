#include "platform/registry/registry_store.h"

#include <sqlite3.h>

#include <chrono>

#include "platform/base/codepage.h"

namespace platform::registry {
namespace {

// Names are kept as UTF-8 text (readable with the sqlite3 shell); "folded" is the
// case-folded form every lookup matches on, so "Software" and "SOFTWARE" are one key.
// Value order is an explicit column: a delete leaves a gap, so the later values
// move down one index, and an overwrite keeps its position.
[[maybe_unused]] const bool kSchemaRegistered = [] {
  db::RegisterSchema("registry",
                     "CREATE TABLE IF NOT EXISTS reg_keys ("
                     "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
                     "  hive TEXT NOT NULL,"
                     "  parent INTEGER NOT NULL,"
                     "  name TEXT NOT NULL,"
                     "  folded TEXT NOT NULL,"
                     "  last_write INTEGER NOT NULL);"
                     "CREATE UNIQUE INDEX IF NOT EXISTS reg_keys_by_name ON reg_keys(parent, folded, hive);"
                     "CREATE TABLE IF NOT EXISTS reg_values ("
                     "  key INTEGER NOT NULL REFERENCES reg_keys(id) ON DELETE CASCADE,"
                     "  ord INTEGER NOT NULL,"
                     "  name TEXT NOT NULL,"
                     "  folded TEXT NOT NULL,"
                     "  type INTEGER NOT NULL,"
                     "  data BLOB NOT NULL,"
                     "  UNIQUE (key, folded));"
                     "CREATE INDEX IF NOT EXISTS reg_values_by_order ON reg_values(key, ord);");
  return true;
}();

std::string Utf8(std::u16string_view text) { return Utf8FromUtf16(text); }
std::string Folded(std::u16string_view name) { return Utf8FromUtf16(FoldCase(name)); }

int64_t FileTimeNow() {
  using namespace std::chrono;
  constexpr int64_t kUnixEpochIn1601Ticks = 116444736000000000LL;
  int64_t ticks = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
  return ticks + kUnixEpochIn1601Ticks;
}

KeyRecord KeyFromRow(const db::Statement& stmt) {
  KeyRecord record;
  record.id = stmt.Int(0);
  record.parent = stmt.Int(1);
  record.name = Utf16FromUtf8(stmt.Text(2));
  record.lastWrite = stmt.Int(3);
  record.tree = stmt.Text(4);
  return record;
}

StoredValue ValueFromRow(const db::Statement& stmt) {
  StoredValue value;
  value.name = Utf16FromUtf8(stmt.Text(0));
  value.type = static_cast<DWORD>(stmt.Int(1));
  value.data = stmt.Blob(2);
  return value;
}

std::string TreeOf(db::Session& session, KeyId key) {
  db::Statement stmt(session, "SELECT hive FROM reg_keys WHERE id = ?1");
  stmt.Bind(1, key);
  return stmt.Step() ? stmt.Text(0) : std::string();
}

}  // namespace

WriteScope::WriteScope(db::Session& session) {
  if (sqlite3_get_autocommit(session.handle())) transaction_.emplace(session);
}

WriteScope::~WriteScope() = default;

void WriteScope::Commit() {
  if (transaction_) transaction_->Commit();
}

ReadScope::ReadScope(db::Session& session) : session_(session) {
  if (sqlite3_get_autocommit(session.handle())) {
    session.Exec("BEGIN");
    owns_ = true;
  }
}

ReadScope::~ReadScope() {
  // Nothing was written: ending the read can only release the snapshot.
  if (owns_) sqlite3_exec(session_.handle(), "COMMIT", nullptr, nullptr, nullptr);
}

KeyId EnsureTreeRoot(db::Session& session, const char* tree) {
  {
    db::Statement find(session, "SELECT id FROM reg_keys WHERE parent = 0 AND folded = '' AND hive = ?1");
    find.Bind(1, tree);
    if (find.Step()) return find.Int(0);
  }
  WriteScope scope(session);
  db::Statement add(session,
                    "INSERT OR IGNORE INTO reg_keys (hive, parent, name, folded, last_write) "
                    "VALUES (?1, 0, '', '', ?2)");
  add.Bind(1, tree).Bind(2, FileTimeNow());
  add.Step();
  db::Statement find(session, "SELECT id FROM reg_keys WHERE parent = 0 AND folded = '' AND hive = ?1");
  find.Bind(1, tree);
  if (!find.Step()) throw db::Error(SQLITE_INTERNAL, std::string("registry tree missing: ") + tree);
  KeyId id = find.Int(0);
  scope.Commit();
  return id;
}

bool KeyExists(db::Session& session, KeyId key) {
  db::Statement stmt(session, "SELECT 1 FROM reg_keys WHERE id = ?1");
  stmt.Bind(1, key);
  return stmt.Step();
}

std::optional<KeyRecord> FindKey(db::Session& session, KeyId key) {
  db::Statement stmt(session, "SELECT id, parent, name, last_write, hive FROM reg_keys WHERE id = ?1");
  stmt.Bind(1, key);
  if (!stmt.Step()) return std::nullopt;
  return KeyFromRow(stmt);
}

std::optional<KeyId> FindSubkey(db::Session& session, KeyId parent, std::u16string_view name) {
  db::Statement stmt(session, "SELECT id FROM reg_keys WHERE parent = ?1 AND folded = ?2");
  stmt.Bind(1, parent).Bind(2, Folded(name));
  if (!stmt.Step()) return std::nullopt;
  return stmt.Int(0);
}

KeyId AddSubkey(db::Session& session, KeyId parent, std::u16string_view name) {
  std::string tree = TreeOf(session, parent);
  if (tree.empty()) throw db::Error(SQLITE_CONSTRAINT, "registry: parent key is gone");
  int64_t now = FileTimeNow();
  db::Statement add(session,
                    "INSERT INTO reg_keys (hive, parent, name, folded, last_write) VALUES (?1, ?2, ?3, ?4, ?5)");
  add.Bind(1, tree).Bind(2, parent).Bind(3, Utf8(name)).Bind(4, Folded(name)).Bind(5, now);
  add.Step();
  KeyId id = session.LastInsertRowId();
  TouchKey(session, parent);
  return id;
}

void RemoveKey(db::Session& session, KeyId key) {
  std::optional<KeyRecord> record = FindKey(session, key);
  if (!record) return;
  db::Statement values(session, "DELETE FROM reg_values WHERE key = ?1");
  values.Bind(1, key);
  values.Step();
  db::Statement remove(session, "DELETE FROM reg_keys WHERE id = ?1");
  remove.Bind(1, key);
  remove.Step();
  if (record->parent != 0) TouchKey(session, record->parent);
}

std::optional<KeyId> FindPath(db::Session& session, KeyId base, const std::vector<std::u16string>& names) {
  KeyId key = base;
  for (const std::u16string& name : names) {
    std::optional<KeyId> next = FindSubkey(session, key, name);
    if (!next) return std::nullopt;
    key = *next;
  }
  return key;
}

KeyId CreatePath(db::Session& session, KeyId base, const std::vector<std::u16string>& names, bool* created) {
  KeyId key = base;
  bool added = false;
  for (const std::u16string& name : names) {
    std::optional<KeyId> next = FindSubkey(session, key, name);
    added = !next;
    key = next ? *next : AddSubkey(session, key, name);
  }
  if (created) *created = added;
  return key;
}

int64_t SubkeyCount(db::Session& session, KeyId key) {
  db::Statement stmt(session, "SELECT COUNT(*) FROM reg_keys WHERE parent = ?1");
  stmt.Bind(1, key);
  stmt.Step();
  return stmt.Int(0);
}

std::optional<KeyRecord> SubkeyAt(db::Session& session, KeyId parent, int64_t index) {
  db::Statement stmt(session,
                     "SELECT id, parent, name, last_write, hive FROM reg_keys WHERE parent = ?1 "
                     "ORDER BY folded, id LIMIT 1 OFFSET ?2");
  stmt.Bind(1, parent).Bind(2, index);
  if (!stmt.Step()) return std::nullopt;
  return KeyFromRow(stmt);
}

std::vector<KeyRecord> Subkeys(db::Session& session, KeyId parent) {
  db::Statement stmt(session,
                     "SELECT id, parent, name, last_write, hive FROM reg_keys WHERE parent = ?1 ORDER BY folded, id");
  stmt.Bind(1, parent);
  std::vector<KeyRecord> keys;
  while (stmt.Step()) keys.push_back(KeyFromRow(stmt));
  return keys;
}

std::optional<StoredValue> FindValue(db::Session& session, KeyId key, std::u16string_view name) {
  db::Statement stmt(session, "SELECT name, type, data FROM reg_values WHERE key = ?1 AND folded = ?2");
  stmt.Bind(1, key).Bind(2, Folded(name));
  if (!stmt.Step()) return std::nullopt;
  return ValueFromRow(stmt);
}

void PutValue(db::Session& session, KeyId key, std::u16string_view name, DWORD type, const std::vector<uint8_t>& data) {
  db::Statement update(session, "UPDATE reg_values SET type = ?3, data = ?4 WHERE key = ?1 AND folded = ?2");
  update.Bind(1, key).Bind(2, Folded(name)).Bind(3, int64_t{type}).BindBlob(4, data.data(), data.size());
  update.Step();
  if (session.Changes() == 0) {
    db::Statement add(session,
                      "INSERT INTO reg_values (key, ord, name, folded, type, data) "
                      "VALUES (?1, (SELECT COALESCE(MAX(ord), 0) + 1 FROM reg_values WHERE key = ?1), "
                      "?2, ?3, ?4, ?5)");
    add.Bind(1, key).Bind(2, Utf8(name)).Bind(3, Folded(name)).Bind(4, int64_t{type});
    add.BindBlob(5, data.data(), data.size());
    add.Step();
  }
  TouchKey(session, key);
}

bool RemoveValue(db::Session& session, KeyId key, std::u16string_view name) {
  db::Statement remove(session, "DELETE FROM reg_values WHERE key = ?1 AND folded = ?2");
  remove.Bind(1, key).Bind(2, Folded(name));
  remove.Step();
  if (session.Changes() == 0) return false;
  TouchKey(session, key);
  return true;
}

std::optional<StoredValue> ValueAt(db::Session& session, KeyId key, int64_t index) {
  db::Statement stmt(session, "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY ord LIMIT 1 OFFSET ?2");
  stmt.Bind(1, key).Bind(2, index);
  if (!stmt.Step()) return std::nullopt;
  return ValueFromRow(stmt);
}

std::vector<StoredValue> Values(db::Session& session, KeyId key) {
  db::Statement stmt(session, "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY ord");
  stmt.Bind(1, key);
  std::vector<StoredValue> values;
  while (stmt.Step()) values.push_back(ValueFromRow(stmt));
  return values;
}

void TouchKey(db::Session& session, KeyId key) {
  db::Statement stmt(session, "UPDATE reg_keys SET last_write = ?2 WHERE id = ?1");
  stmt.Bind(1, key).Bind(2, FileTimeNow());
  stmt.Step();
}

}  // namespace platform::registry
