// Printer data: typed values by name, kept with the printer. The ANSI and wide calls
// address one set of names; strings are kept as UTF-16 and the ANSI calls convert
// them through the process's code page and count ANSI bytes. Reads are served from
// the store cache, so a settings read costs a lookup.
#include <algorithm>
#include <cstring>

#include "platform/spooler/api_guard.h"
#include "platform/spooler/char_width.h"
#include "platform/spooler/printer_handle.h"
#include "platform/spooler/spooler.h"
#include "platform/spooler/store_cache.h"
#include "platform/spooler/store_schema.h"

namespace platform::spooler {
namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// A stored value as the caller's width sees it.
template <class Char>
std::vector<BYTE> DataOut(const DataValue& value) {
  if (!kIsAnsi<Char> || !IsStringType(value.type)) return value.data;
  std::string ansi = FromUtf16(Utf16FromBytes(value.data.data(), value.data.size()));
  return std::vector<BYTE>(ansi.begin(), ansi.end());
}

template <class Char>
size_t DataOutSize(const DataValue& value) {
  if (!kIsAnsi<Char> || !IsStringType(value.type)) return value.data.size();
  return DataOut<Char>(value).size();
}

template <class Char>
size_t NameOutBytes(const DataValue& value) {
  return (TextOut<Char>(value.name).size() + 1) * sizeof(Char);
}

// The printer's data for a read through the handle; null with the error otherwise.
std::shared_ptr<const PrinterData> ReadData(HANDLE printerHandle, DWORD& error) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  db::Session session;
  StoreCache cache(session);
  if (!cache.Printer(handle->printerId)) {
    error = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  return cache.Data(handle->printerId);
}

// The handle's printer for a change: it must still be there and the user may change it.
DWORD CheckWritable(HANDLE printerHandle, int64_t& printerId) {
  auto handle = LookupPrinterHandle(printerHandle);
  if (!handle) return ERROR_INVALID_HANDLE;
  db::Session session;
  StoreCache cache(session);
  if (!cache.Printer(handle->printerId)) return ERROR_INVALID_HANDLE;
  if (!cache.HasFullAccess(handle->printerId, handle->user)) return ERROR_ACCESS_DENIED;
  printerId = handle->printerId;
  return ERROR_SUCCESS;
}

bool PrinterExists(db::Session& session, int64_t printerId) {
  db::Statement exists(session, "SELECT 1 FROM spl_printers WHERE id = ?");
  exists.Bind(1, printerId);
  return exists.Step();
}

template <class Char>
DWORD Get(HANDLE printerHandle, const Char* valueName, DWORD* type, BYTE* data, DWORD size, DWORD* needed) {
  if (!valueName || !needed) return ERROR_INVALID_PARAMETER;
  DWORD error = ERROR_SUCCESS;
  std::shared_ptr<const PrinterData> values = ReadData(printerHandle, error);
  if (!values) return error;
  const DataValue* value = values->Find(*TextArg(valueName));
  if (!value) return ERROR_FILE_NOT_FOUND;

  std::vector<BYTE> bytes = DataOut<Char>(*value);
  *needed = static_cast<DWORD>(bytes.size());
  if (type) *type = value->type;
  if (size < bytes.size()) return ERROR_MORE_DATA;
  if (!bytes.empty()) {
    if (!data) return ERROR_INVALID_PARAMETER;
    std::memcpy(data, bytes.data(), bytes.size());
  }
  return ERROR_SUCCESS;
}

template <class Char>
DWORD Set(HANDLE printerHandle, const Char* valueName, DWORD type, const BYTE* data, DWORD size) {
  if (!valueName || (!data && size > 0)) return ERROR_INVALID_PARAMETER;
  int64_t printerId = 0;
  if (DWORD code = CheckWritable(printerHandle, printerId)) return code;
  std::u16string name = *TextArg(valueName);
  std::vector<BYTE> bytes;
  if (kIsAnsi<Char> && IsStringType(type)) {
    bytes = Utf16Bytes(ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)));
  } else if (size > 0) {
    bytes.assign(data, data + size);
  }
  std::vector<BYTE> key = DataNameKey(name);
  std::vector<BYTE> storedName = Utf16Bytes(name);

  db::Session session;
  db::Transaction transaction(session);
  if (!PrinterExists(session, printerId)) return ERROR_INVALID_HANDLE;
  // Overwriting keeps the value's place in the order and the case of its name.
  db::Statement update(session, "UPDATE spl_printer_data SET type = ?, data = ? WHERE printer_id = ? AND name_key = ?");
  update.Bind(1, int64_t{type}).BindBlob(2, bytes.data(), bytes.size()).Bind(3, printerId);
  update.BindBlob(4, key.data(), key.size());
  update.Step();
  if (session.Changes() == 0) {
    db::Statement insert(session,
                         "INSERT INTO spl_printer_data(printer_id, name_key, name, seq, type, data)"
                         " VALUES(?1, ?2, ?3,"
                         " (SELECT COALESCE(MAX(seq), 0) + 1 FROM spl_printer_data WHERE printer_id = ?1), ?4, ?5)");
    insert.Bind(1, printerId).BindBlob(2, key.data(), key.size()).BindBlob(3, storedName.data(), storedName.size());
    insert.Bind(4, int64_t{type}).BindBlob(5, bytes.data(), bytes.size());
    insert.Step();
  }
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

template <class Char>
DWORD Enumerate(HANDLE printerHandle, DWORD index, Char* valueName, DWORD nameSize, DWORD* nameNeeded, DWORD* type,
                BYTE* data, DWORD dataSize, DWORD* dataNeeded) {
  if (!nameNeeded || !dataNeeded) return ERROR_INVALID_PARAMETER;
  DWORD error = ERROR_SUCCESS;
  std::shared_ptr<const PrinterData> values = ReadData(printerHandle, error);
  if (!values) return error;

  // The probe: the sizes that hold any of the printer's names and values.
  if (index == 0 && nameSize == 0 && dataSize == 0) {
    if (values->values.empty()) return ERROR_NO_MORE_ITEMS;
    size_t longestName = 0;
    size_t longestData = 0;
    for (const DataValue& value : values->values) {
      longestName = std::max(longestName, NameOutBytes<Char>(value));
      longestData = std::max(longestData, DataOutSize<Char>(value));
    }
    *nameNeeded = static_cast<DWORD>(longestName);
    *dataNeeded = static_cast<DWORD>(longestData);
    return ERROR_SUCCESS;
  }

  if (index >= values->values.size()) return ERROR_NO_MORE_ITEMS;
  const DataValue& value = values->values[index];
  std::basic_string<Char> name = TextOut<Char>(value.name);
  std::vector<BYTE> bytes = DataOut<Char>(value);
  size_t nameBytes = (name.size() + 1) * sizeof(Char);
  *nameNeeded = static_cast<DWORD>(nameBytes);
  *dataNeeded = static_cast<DWORD>(bytes.size());
  if (type) *type = value.type;
  if (nameSize < nameBytes || dataSize < bytes.size()) return ERROR_MORE_DATA;
  if (!valueName || (!data && !bytes.empty())) return ERROR_INVALID_PARAMETER;
  std::memcpy(valueName, name.c_str(), nameBytes);
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  return ERROR_SUCCESS;
}

template <class Char>
DWORD Delete(HANDLE printerHandle, const Char* valueName) {
  if (!valueName) return ERROR_INVALID_PARAMETER;
  int64_t printerId = 0;
  if (DWORD code = CheckWritable(printerHandle, printerId)) return code;
  std::vector<BYTE> key = DataNameKey(*TextArg(valueName));

  db::Session session;
  db::Transaction transaction(session);
  if (!PrinterExists(session, printerId)) return ERROR_INVALID_HANDLE;
  db::Statement remove(session, "DELETE FROM spl_printer_data WHERE printer_id = ? AND name_key = ?");
  remove.Bind(1, printerId).BindBlob(2, key.data(), key.size());
  remove.Step();
  if (session.Changes() == 0) return ERROR_FILE_NOT_FOUND;
  transaction.Commit();
  StoreCache::Invalidate();
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace platform::spooler

using namespace platform::spooler;

DWORD GetPrinterDataA(HANDLE hPrinter, LPSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  return GuardCode([&] { return Get(hPrinter, pValueName, pType, pData, nSize, pcbNeeded); });
}

DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded) {
  return GuardCode([&] { return Get(hPrinter, pValueName, pType, pData, nSize, pcbNeeded); });
}

DWORD SetPrinterDataA(HANDLE hPrinter, LPSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return GuardCode([&] { return Set(hPrinter, pValueName, Type, pData, cbData); });
}

DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return GuardCode([&] { return Set(hPrinter, pValueName, Type, pData, cbData); });
}

DWORD EnumPrinterDataA(HANDLE hPrinter, DWORD dwIndex, LPSTR pValueName, DWORD cbValueName, LPDWORD pcbValueName,
                       LPDWORD pType, LPBYTE pData, DWORD cbData, LPDWORD pcbData) {
  return GuardCode([&] {
    return Enumerate(hPrinter, dwIndex, pValueName, cbValueName, pcbValueName, pType, pData, cbData, pcbData);
  });
}

DWORD EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName, LPDWORD pcbValueName,
                       LPDWORD pType, LPBYTE pData, DWORD cbData, LPDWORD pcbData) {
  return GuardCode([&] {
    return Enumerate(hPrinter, dwIndex, pValueName, cbValueName, pcbValueName, pType, pData, cbData, pcbData);
  });
}

DWORD DeletePrinterDataA(HANDLE hPrinter, LPSTR pValueName) {
  return GuardCode([&] { return Delete(hPrinter, pValueName); });
}

DWORD DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName) {
  return GuardCode([&] { return Delete(hPrinter, pValueName); });
}
