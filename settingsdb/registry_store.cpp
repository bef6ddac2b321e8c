#include "settingsdb/registry_store.h"

#include <cstring>

#include "platform/base/errors.h"
#include "platform/registry/registry.h"

namespace settingsdb::registry_store {
namespace {

// The section's key, opened with create semantics (a read creates a missing
// section key, as callers have always seen) and closed when the scope ends.
class SectionKey {
 public:
  SectionKey(Store store, const char* section, REGSAM access) {
    std::string path = RegistryKeyPath(section);
    rc_ = RegCreateKeyExA(RegistryHive(store), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                          &key_, nullptr);
  }
  ~SectionKey() {
    if (rc_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  SectionKey(const SectionKey&) = delete;
  SectionKey& operator=(const SectionKey&) = delete;
  LONG status() const { return rc_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = 0;
  LONG rc_;
};

DWORD Query(Store store, const char* section, const char* key, BYTE* buffer, DWORD* size, DWORD wantedType) {
  SectionKey sectionKey(store, section, KEY_READ);
  if (sectionKey.status() != ERROR_SUCCESS) return static_cast<DWORD>(sectionKey.status());
  DWORD type = 0;
  LONG rc = RegQueryValueExA(sectionKey.get(), key, nullptr, &type, buffer, size);
  if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
  if (wantedType != REG_NONE && type != wantedType) return ERROR_INVALID_DATATYPE;
  return ERROR_SUCCESS;
}

DWORD Store_(Store store, const char* section, const char* key, DWORD type, const BYTE* data, DWORD count) {
  SectionKey sectionKey(store, section, KEY_WRITE);
  if (sectionKey.status() != ERROR_SUCCESS) return static_cast<DWORD>(sectionKey.status());
  return static_cast<DWORD>(RegSetValueExA(sectionKey.get(), key, 0, type, data, count));
}

}  // namespace

DWORD GetNumber(Store store, const char* section, const char* key, DWORD* value) {
  DWORD number = 0;
  DWORD size = sizeof number;
  DWORD rc = Query(store, section, key, reinterpret_cast<BYTE*>(&number), &size, REG_DWORD);
  if (rc == ERROR_SUCCESS) *value = number;
  return rc;
}

DWORD GetString(Store store, const char* section, const char* key, char* buffer, DWORD* size) {
  return Query(store, section, key, reinterpret_cast<BYTE*>(buffer), size, REG_SZ);
}

DWORD GetData(Store store, const char* section, const char* key, BYTE* buffer, DWORD* size) {
  return Query(store, section, key, buffer, size, REG_NONE);
}

DWORD SetNumber(Store store, const char* section, const char* key, DWORD value) {
  return Store_(store, section, key, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

DWORD SetString(Store store, const char* section, const char* key, const char* text) {
  return Store_(store, section, key, REG_SZ, reinterpret_cast<const BYTE*>(text),
                static_cast<DWORD>(std::strlen(text) + 1));
}

DWORD SetData(Store store, const char* section, const char* key, const BYTE* data, DWORD count) {
  return Store_(store, section, key, REG_BINARY, data, count);
}

DWORD Delete(Store store, const char* section, const char* key) {
  SectionKey sectionKey(store, section, KEY_WRITE);
  if (sectionKey.status() != ERROR_SUCCESS) return static_cast<DWORD>(sectionKey.status());
  return static_cast<DWORD>(RegDeleteValueA(sectionKey.get(), key));
}

DWORD ListKeys(Store store, const char* section, std::vector<std::string>& keys) {
  SectionKey sectionKey(store, section, KEY_READ);
  if (sectionKey.status() != ERROR_SUCCESS) return static_cast<DWORD>(sectionKey.status());
  DWORD valueCount = 0;
  DWORD longestName = 0;
  LONG rc = RegQueryInfoKeyA(sectionKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                             &longestName, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
  std::vector<char> name(static_cast<size_t>(longestName) * 2 + 2);
  for (DWORD index = 0; index < valueCount; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    rc = RegEnumValueA(sectionKey.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;  // another writer removed values meanwhile
    if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
    keys.emplace_back(name.data(), length);
  }
  return ERROR_SUCCESS;
}

DWORD DeleteSection(Store store, const char* section) {
  HKEY base = 0;
  std::string basePath = RegistryBasePath();
  LONG rc = RegOpenKeyExA(RegistryHive(store), basePath.c_str(), 0, KEY_WRITE, &base);
  if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
  rc = RegDeleteKeyA(base, section);
  RegCloseKey(base);
  return static_cast<DWORD>(rc);
}

}  // namespace settingsdb::registry_store
