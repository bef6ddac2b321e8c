// The registry's tables in the machine database. Two trees: "HKLM" (the machine)
// and "HKU" (one child per user hive). Key ids are never reused, so a handle to a
// deleted key can never reach a key created later under the same name.
// Every function here throws db::Error; the Win32 layer turns that into a code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/machine_db.h"
#include "platform/base/types.h"

namespace platform::registry {

using KeyId = int64_t;

inline constexpr const char* kMachineTree = "HKLM";
inline constexpr const char* kUsersTree = "HKU";

struct StoredValue {
  std::u16string name;
  DWORD type = 0;
  std::vector<uint8_t> data;
};

struct KeyRecord {
  KeyId id = 0;
  KeyId parent = 0;  // 0 for the root of a tree
  std::string tree;  // kMachineTree or kUsersTree
  std::u16string name;
  int64_t lastWrite = 0;  // FILETIME ticks
};

// A write: BEGIN IMMEDIATE ... COMMIT through db::Transaction, or part of the
// caller's transaction when the connection is already inside one.
class WriteScope {
 public:
  explicit WriteScope(db::Session& session);
  ~WriteScope();
  WriteScope(const WriteScope&) = delete;
  WriteScope& operator=(const WriteScope&) = delete;
  void Commit();

 private:
  std::optional<db::Transaction> transaction_;
};

// A read of several statements sees one snapshot of the database.
class ReadScope {
 public:
  explicit ReadScope(db::Session& session);
  ~ReadScope();
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;

 private:
  db::Session& session_;
  bool owns_ = false;
};

// Root key of a tree; created (in a transaction of its own) on first use.
KeyId EnsureTreeRoot(db::Session& session, const char* tree);

bool KeyExists(db::Session& session, KeyId key);
std::optional<KeyRecord> FindKey(db::Session& session, KeyId key);
std::optional<KeyId> FindSubkey(db::Session& session, KeyId parent, std::u16string_view name);
// Adds a subkey that does not exist yet; the caller holds a write scope.
KeyId AddSubkey(db::Session& session, KeyId parent, std::u16string_view name);
// Removes a key that has no subkeys, with its values; the caller holds a write scope.
void RemoveKey(db::Session& session, KeyId key);
// Walks a path of subkey names from base: the key at its end, or nothing when a level is missing.
std::optional<KeyId> FindPath(db::Session& session, KeyId base, const std::vector<std::u16string>& names);
// Walks a path, adding the missing levels; the caller holds a write scope.
// *created tells whether the last level was added.
KeyId CreatePath(db::Session& session, KeyId base, const std::vector<std::u16string>& names, bool* created);
int64_t SubkeyCount(db::Session& session, KeyId key);
// Subkeys in the order Windows lists them: by name, without regard to case.
std::optional<KeyRecord> SubkeyAt(db::Session& session, KeyId parent, int64_t index);
std::vector<KeyRecord> Subkeys(db::Session& session, KeyId parent);

std::optional<StoredValue> FindValue(db::Session& session, KeyId key, std::u16string_view name);
// Adds the value at the end of the key's list, or overwrites it in place (its
// position and stored name stay); the caller holds a write scope.
void PutValue(db::Session& session, KeyId key, std::u16string_view name, DWORD type, const std::vector<uint8_t>& data);
// False when the key has no such value; the caller holds a write scope.
bool RemoveValue(db::Session& session, KeyId key, std::u16string_view name);
// Values in the order they were first written.
std::optional<StoredValue> ValueAt(db::Session& session, KeyId key, int64_t index);
std::vector<StoredValue> Values(db::Session& session, KeyId key);

// Marks the key as written now (RegQueryInfoKey, RegEnumKeyEx report it).
void TouchKey(db::Session& session, KeyId key);

}  // namespace platform::registry
