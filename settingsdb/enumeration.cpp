// DBEnumOpen and friends: the key names of one section, collected once into a
// block the caller walks with DBEnumNext.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "platform/base/errors.h"
#include "settingsdb/address.h"
#include "settingsdb/data_file_store.h"
#include "settingsdb/printer_data_store.h"
#include "settingsdb/registry_store.h"

using namespace settingsdb;

namespace {

DWORD CollectKeys(HANDLE printer, Store store, const char* section, std::vector<std::string>& keys) {
  switch (store) {
    case Store::PrinterData: return printer_data::ListKeys(printer, section, keys);
    case Store::UserRegistry:
    case Store::MachineRegistry: return registry_store::ListKeys(store, section, keys);
    case Store::DataFile: return data_file::ListKeys(printer, section, keys);
    default: return ERROR_SUCCESS;  // no store: an empty list
  }
}

DWORD BuildEnumeration(const std::vector<std::string>& keys, DBENUM* enumeration) {
  size_t total = 0;
  for (const std::string& key : keys) total += key.size() + 1;
  if (total > 0xFFFFFFFFu) return ERROR_OUTOFMEMORY;
  if (total == 0) return ERROR_SUCCESS;
  char* names = static_cast<char*>(std::malloc(total));
  if (!names) return ERROR_OUTOFMEMORY;
  char* cursor = names;
  for (const std::string& key : keys) {
    std::memcpy(cursor, key.c_str(), key.size() + 1);
    cursor += key.size() + 1;
  }
  enumeration->names = names;
  enumeration->size = static_cast<DWORD>(total);
  return ERROR_SUCCESS;
}

}  // namespace

ZEL_EXPORT DWORD DBEnumOpen(HANDLE printer, int32_t kind, const char* section, DBENUM** out) {
  if (!section || !out) {
    if (out) *out = nullptr;
    return ERROR_INVALID_PARAMETER;
  }
  *out = nullptr;
  Store store = StoreOf(kind);
  if (store == Store::Invalid) return ERROR_INVALID_PARAMETER;
  auto* enumeration = static_cast<DBENUM*>(std::calloc(1, sizeof(DBENUM)));
  if (!enumeration) return ERROR_OUTOFMEMORY;
  DWORD rc;
  try {
    std::vector<std::string> keys;
    rc = CollectKeys(printer, store, section, keys);
    if (rc == ERROR_SUCCESS) rc = BuildEnumeration(keys, enumeration);
  } catch (const std::bad_alloc&) {
    rc = ERROR_OUTOFMEMORY;
  }
  if (rc != ERROR_SUCCESS) {
    std::free(enumeration->names);
    std::free(enumeration);
    return rc;
  }
  *out = enumeration;
  return ERROR_SUCCESS;
}

ZEL_EXPORT DWORD DBEnumNext(DBENUM* enumeration, char* buffer, DWORD* size) {
  if (!enumeration || !size) return ERROR_INVALID_PARAMETER;
  if (enumeration->pos >= enumeration->size || !enumeration->names) return ERROR_NO_MORE_ITEMS;
  const char* name = enumeration->names + enumeration->pos;
  DWORD need = static_cast<DWORD>(std::strlen(name) + 1);
  if (*size < need) {
    *size = need;
    return ERROR_INSUFFICIENT_BUFFER;
  }
  if (!buffer) return ERROR_INVALID_PARAMETER;
  std::memcpy(buffer, name, need);
  enumeration->pos += need;
  return ERROR_SUCCESS;
}

ZEL_EXPORT DWORD DBEnumReset(DBENUM* enumeration) {
  if (!enumeration) return ERROR_INVALID_PARAMETER;
  enumeration->pos = 0;
  return ERROR_SUCCESS;
}

ZEL_EXPORT DWORD DBEnumClose(DBENUM* enumeration) {
  if (!enumeration) return ERROR_INVALID_PARAMETER;
  std::free(enumeration->names);
  std::free(enumeration);
  return ERROR_SUCCESS;
}
