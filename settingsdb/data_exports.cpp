// The data calls of the settings library: one address, three stores. Every call
// opens what it needs and closes it before it returns; nothing is kept between calls.
#include <new>
#include <string>

#include "common/settings_store.h"
#include "platform/base/errors.h"
#include "settingsdb/address.h"
#include "settingsdb/data_file_store.h"
#include "settingsdb/printer_data_store.h"
#include "settingsdb/registry_store.h"

using namespace settingsdb;

namespace {

bool IsRegistry(Store store) { return store == Store::UserRegistry || store == Store::MachineRegistry; }

// Arguments every data call needs; a negative kind is no kind at all.
DWORD CheckAddress(int32_t kind, const char* section, const char* key) {
  if (!section || !key || StoreOf(kind) == Store::Invalid) return ERROR_INVALID_PARAMETER;
  return ERROR_SUCCESS;
}

template <class Call>
DWORD Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return ERROR_OUTOFMEMORY;
  }
}

DWORD ReadNumber(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD* value) {
  if (DWORD rc = CheckAddress(kind, section, key)) return rc;
  if (!value) return ERROR_INVALID_PARAMETER;
  Store store = StoreOf(kind);
  return Guarded([&]() -> DWORD {
    switch (store) {
      case Store::PrinterData: {
        std::string name;
        if (!PrinterValueName(section, key, name)) return ERROR_INVALID_PARAMETER;
        return printer_data::GetNumber(printer, name, value);
      }
      case Store::DataFile: return data_file::GetNumber(printer, section, key, value);
      case Store::None: return ERROR_SUCCESS;
      default: return registry_store::GetNumber(store, section, key, value);
    }
  });
}

DWORD ReadText(HANDLE printer, int32_t kind, const char* section, const char* key, BYTE* buffer, DWORD* size,
               bool asString) {
  if (DWORD rc = CheckAddress(kind, section, key)) return rc;
  if (!size || (!buffer && *size > 0)) return ERROR_INVALID_PARAMETER;
  Store store = StoreOf(kind);
  char* text = reinterpret_cast<char*>(buffer);
  return Guarded([&]() -> DWORD {
    switch (store) {
      case Store::PrinterData: {
        std::string name;
        if (!PrinterValueName(section, key, name)) return ERROR_INVALID_PARAMETER;
        return asString ? printer_data::GetString(printer, name, text, size)
                        : printer_data::GetData(printer, name, buffer, size);
      }
      case Store::DataFile: return data_file::GetString(printer, section, key, text, size);
      case Store::None: return ERROR_SUCCESS;
      default:
        return asString ? registry_store::GetString(store, section, key, text, size)
                        : registry_store::GetData(store, section, key, buffer, size);
    }
  });
}

enum class WriteKind { Number, String, Data };

DWORD Write(HANDLE printer, int32_t kind, const char* section, const char* key, WriteKind what, DWORD number,
            const void* data, DWORD count) {
  if (DWORD rc = CheckAddress(kind, section, key)) return rc;
  if (what != WriteKind::Number && !data && (what == WriteKind::String || count > 0)) return ERROR_INVALID_PARAMETER;
  Store store = StoreOf(kind);
  if (store == Store::None) return ERROR_SUCCESS;
  if (store == Store::DataFile) return ERROR_ACCESS_DENIED;  // the model description is read-only
  const BYTE* bytes = static_cast<const BYTE*>(data);
  const char* text = static_cast<const char*>(data);
  return Guarded([&]() -> DWORD {
    if (store == Store::PrinterData) {
      std::string name;
      if (!PrinterValueName(section, key, name)) return ERROR_INVALID_PARAMETER;
      switch (what) {
        case WriteKind::Number: return printer_data::SetNumber(printer, name, number);
        case WriteKind::String: return printer_data::SetString(printer, name, text);
        case WriteKind::Data: return printer_data::SetData(printer, name, bytes, count);
      }
    }
    switch (what) {
      case WriteKind::Number: return registry_store::SetNumber(store, section, key, number);
      case WriteKind::String: return registry_store::SetString(store, section, key, text);
      case WriteKind::Data: return registry_store::SetData(store, section, key, bytes, count);
    }
    return ERROR_INVALID_PARAMETER;
  });
}

}  // namespace

ZEL_EXPORT DWORD DBGetData(HANDLE printer, int32_t kind, const char* section, const char* key, BYTE* buffer,
                           DWORD* size) {
  return ReadText(printer, kind, section, key, buffer, size, false);
}

ZEL_EXPORT DWORD DBGetString(HANDLE printer, int32_t kind, const char* section, const char* key, char* buffer,
                             DWORD* size) {
  return ReadText(printer, kind, section, key, reinterpret_cast<BYTE*>(buffer), size, true);
}

ZEL_EXPORT DWORD DBGetDword(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD* value) {
  return ReadNumber(printer, kind, section, key, value);
}

ZEL_EXPORT DWORD DBGetInt(HANDLE printer, int32_t kind, const char* section, const char* key, int32_t* value) {
  return ReadNumber(printer, kind, section, key, reinterpret_cast<DWORD*>(value));
}

ZEL_EXPORT DWORD DBGetShort(HANDLE printer, int32_t kind, const char* section, const char* key, int16_t* value) {
  if (!value) return ERROR_INVALID_PARAMETER;
  DWORD number = 0;
  DWORD rc = ReadNumber(printer, kind, section, key, &number);
  // Only a successful read (or the -1 a model description reports for a missing
  // key) reaches the caller's short; a failed read leaves it as it was.
  if (rc == ERROR_SUCCESS || (rc == ERROR_NO_DATA && StoreOf(kind) == Store::DataFile)) {
    *value = static_cast<int16_t>(number & 0xFFFF);
  }
  return rc;
}

ZEL_EXPORT DWORD DBSetData(HANDLE printer, int32_t kind, const char* section, const char* key, const BYTE* data,
                           DWORD count) {
  return Write(printer, kind, section, key, WriteKind::Data, 0, data, count);
}

ZEL_EXPORT DWORD DBSetString(HANDLE printer, int32_t kind, const char* section, const char* key, const char* text) {
  return Write(printer, kind, section, key, WriteKind::String, 0, text, 0);
}

ZEL_EXPORT DWORD DBSetDword(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD value) {
  return Write(printer, kind, section, key, WriteKind::Number, value, nullptr, 0);
}

ZEL_EXPORT DWORD DBDeleteData(HANDLE printer, int32_t kind, const char* section, const char* key) {
  if (DWORD rc = CheckAddress(kind, section, key)) return rc;
  Store store = StoreOf(kind);
  if (store == Store::None) return ERROR_SUCCESS;
  if (store == Store::DataFile) return ERROR_ACCESS_DENIED;
  return Guarded([&]() -> DWORD {
    if (IsRegistry(store)) return registry_store::Delete(store, section, key);
    std::string name;
    if (!PrinterValueName(section, key, name)) return ERROR_INVALID_PARAMETER;
    return printer_data::Delete(printer, name);
  });
}

ZEL_EXPORT DWORD DBDeleteSection(HANDLE printer, int32_t kind, const char* section) {
  if (!section || StoreOf(kind) == Store::Invalid) return ERROR_INVALID_PARAMETER;
  Store store = StoreOf(kind);
  if (store == Store::None) return ERROR_SUCCESS;
  if (store == Store::DataFile) return ERROR_ACCESS_DENIED;
  return Guarded([&]() -> DWORD {
    if (IsRegistry(store)) return registry_store::DeleteSection(store, section);
    return printer_data::DeleteSection(printer, section);
  });
}
