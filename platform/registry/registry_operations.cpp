#include "platform/registry/registry_operations.h"

#include <sqlite3.h>

#include "platform/registry/registry_keys.h"

namespace platform::registry {
namespace {

constexpr size_t kMaxValueNameChars = 16383;

bool Allows(const KeyRef& ref, REGSAM right) { return (ref.access & right) == right; }

}  // namespace

LONG ErrorFromDatabase(const db::Error& error) {
  switch (error.code() & 0xFF) {
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_NOMEM: return ERROR_OUTOFMEMORY;
    default: return ERROR_REGISTRY_IO_FAILED;
  }
}

LONG CreateKey(HKEY key, std::u16string_view subKey, DWORD options, REGSAM desired, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  if (options & ~DWORD{REG_OPTION_VOLATILE}) return ERROR_INVALID_PARAMETER;
  std::vector<std::u16string> names;
  if (LONG status = SplitKeyPath(subKey, names)) return status;

  db::Session session;
  KeyRef base;
  if (LONG status = ResolveKey(session, key, base)) return status;
  std::optional<KeyId> found;
  {
    // Most calls open a key that exists: that needs no write lock.
    ReadScope read(session);
    if (!KeyExists(session, base.id)) return ERROR_KEY_DELETED;
    found = FindPath(session, base.id, names);
  }
  bool created = false;
  if (!found) {
    if (!Allows(base, KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    WriteScope write(session);
    if (!KeyExists(session, base.id)) return ERROR_KEY_DELETED;
    found = CreatePath(session, base.id, names, &created);
    write.Commit();
  }
  *result = OpenKeyHandle(*found, desired);
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LONG OpenKey(HKEY key, std::u16string_view subKey, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = 0;
  std::vector<std::u16string> names;
  if (LONG status = SplitKeyPath(subKey, names)) return status;

  db::Session session;
  KeyRef base;
  if (LONG status = ResolveKey(session, key, base)) return status;
  ReadScope read(session);
  if (!KeyExists(session, base.id)) return ERROR_KEY_DELETED;
  std::optional<KeyId> found = FindPath(session, base.id, names);
  if (!found) return ERROR_FILE_NOT_FOUND;
  *result = OpenKeyHandle(*found, desired);
  return ERROR_SUCCESS;
}

LONG DeleteKey(HKEY key, std::u16string_view subKey) {
  std::vector<std::u16string> names;
  if (LONG status = SplitKeyPath(subKey, names)) return status;

  db::Session session;
  KeyRef base;
  if (LONG status = ResolveKey(session, key, base)) return status;
  WriteScope write(session);
  if (!KeyExists(session, base.id)) return ERROR_KEY_DELETED;
  std::optional<KeyId> target = FindPath(session, base.id, names);
  if (!target) return ERROR_FILE_NOT_FOUND;
  // As on Windows: only a leaf goes, and hives stay.
  if (IsHiveKey(session, *target) || SubkeyCount(session, *target) > 0) return ERROR_ACCESS_DENIED;
  RemoveKey(session, *target);
  write.Commit();
  return ERROR_SUCCESS;
}

LONG ReadValue(HKEY key, std::u16string_view name, StoredValue& value) {
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  ReadScope read(session);
  if (!KeyExists(session, ref.id)) return ERROR_KEY_DELETED;
  std::optional<StoredValue> found = FindValue(session, ref.id, name);
  if (!found) return ERROR_FILE_NOT_FOUND;
  value = std::move(*found);
  return ERROR_SUCCESS;
}

LONG WriteValue(HKEY key, std::u16string_view name, DWORD type, const std::vector<uint8_t>& data) {
  if (name.size() > kMaxValueNameChars) return ERROR_INVALID_PARAMETER;
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  WriteScope write(session);
  if (!KeyExists(session, ref.id)) return ERROR_KEY_DELETED;
  PutValue(session, ref.id, name, type, data);
  write.Commit();
  return ERROR_SUCCESS;
}

LONG DeleteValue(HKEY key, std::u16string_view name) {
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  WriteScope write(session);
  if (!KeyExists(session, ref.id)) return ERROR_KEY_DELETED;
  if (!RemoveValue(session, ref.id, name)) return ERROR_FILE_NOT_FOUND;
  write.Commit();
  return ERROR_SUCCESS;
}

LONG ValueByIndex(HKEY key, DWORD index, StoredValue& value) {
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  ReadScope read(session);
  if (!KeyExists(session, ref.id)) return ERROR_KEY_DELETED;
  std::optional<StoredValue> found = ValueAt(session, ref.id, index);
  if (!found) return ERROR_NO_MORE_ITEMS;
  value = std::move(*found);
  return ERROR_SUCCESS;
}

LONG SubkeyByIndex(HKEY key, DWORD index, KeyRecord& subkey) {
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  ReadScope read(session);
  if (!KeyExists(session, ref.id)) return ERROR_KEY_DELETED;
  std::optional<KeyRecord> found = SubkeyAt(session, ref.id, index);
  if (!found) return ERROR_NO_MORE_ITEMS;
  subkey = std::move(*found);
  return ERROR_SUCCESS;
}

LONG SummarizeKey(HKEY key, KeySummary& summary) {
  db::Session session;
  KeyRef ref;
  if (LONG status = ResolveKey(session, key, ref)) return status;
  if (!Allows(ref, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  ReadScope read(session);
  std::optional<KeyRecord> record = FindKey(session, ref.id);
  if (!record) return ERROR_KEY_DELETED;
  summary.lastWrite = record->lastWrite;
  summary.subkeyNames.clear();
  for (KeyRecord& subkey : Subkeys(session, ref.id)) summary.subkeyNames.push_back(std::move(subkey.name));
  summary.values = Values(session, ref.id);
  return ERROR_SUCCESS;
}

LONG FlushKey(HKEY key) {
  // Every write is committed when its call returns: there is nothing left to flush.
  db::Session session;
  KeyRef ref;
  return ResolveKey(session, key, ref);
}

void ReportKeyInfo(const KeyMeasures& measures, LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                   LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes, LPDWORD securityDescriptorBytes,
                   PFILETIME lastWriteTime) {
  if (subKeys) *subKeys = static_cast<DWORD>(measures.subkeys);
  if (maxSubKeyChars) *maxSubKeyChars = static_cast<DWORD>(measures.longestSubkey);
  if (maxClassChars) *maxClassChars = 0;  // keys carry no class here
  if (values) *values = static_cast<DWORD>(measures.values);
  if (maxValueNameChars) *maxValueNameChars = static_cast<DWORD>(measures.longestValueName);
  if (maxValueBytes) *maxValueBytes = static_cast<DWORD>(measures.longestData);
  if (securityDescriptorBytes) *securityDescriptorBytes = 0;
  StoreFileTime(measures.lastWrite, lastWriteTime);
}

void StoreFileTime(int64_t ticks, PFILETIME time) {
  if (!time) return;
  time->dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  time->dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
}

}  // namespace platform::registry
