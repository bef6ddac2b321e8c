#include "shellext/printer_queries.h"

#include <cstring>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/module_folder.h"
#include "platform/registry/registry.h"
#include "platform/spooler/spooler.h"

namespace shellext {
namespace {

constexpr int kAttempts = 3;

// Calls `query(buffer, size, &needed)` until the record fits, at most three times.
template <class Query>
std::vector<BYTE> ReadRecord(Query query) {
  std::vector<BYTE> buffer;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    DWORD needed = 0;
    if (query(buffer.empty() ? nullptr : buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) return buffer;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return {};
    buffer.assign(needed, 0);
  }
  return {};
}

std::string Text(const char* text) { return text ? text : ""; }

}  // namespace

OpenedPrinter::OpenedPrinter(const std::string& name, DWORD access) {
  std::string copy = name;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
  if (!OpenPrinterA(copy.data(), &handle_, access ? &defaults : nullptr)) handle_ = 0;
}

OpenedPrinter::~OpenedPrinter() {
  if (handle_) ClosePrinter(handle_);
}

std::string DriverDataFile(HANDLE printer) {
  std::vector<BYTE> record = ReadRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return GetPrinterDriverA(printer, nullptr, 2, buffer, size, needed);
  });
  if (record.empty()) return {};
  return Text(reinterpret_cast<const DRIVER_INFO_2A*>(record.data())->pDataFile);
}

std::string FolderOf(const std::string& path) { return platform::FolderOfPath(path); }

std::string GetDriverHardwareId(HANDLE printer) {
  std::vector<BYTE> record = ReadRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return GetPrinterDriverA(printer, nullptr, 6, buffer, size, needed);
  });
  if (record.empty()) return {};
  return Text(reinterpret_cast<const DRIVER_INFO_6A*>(record.data())->pszHardwareID);
}

std::optional<PrinterInfo4> ReadPrinterInfo4(HANDLE printer) {
  std::vector<BYTE> record = ReadRecord(
      [&](BYTE* buffer, DWORD size, DWORD* needed) { return GetPrinterA(printer, 4, buffer, size, needed); });
  if (record.empty()) return std::nullopt;
  const auto* info = reinterpret_cast<const PRINTER_INFO_4A*>(record.data());
  return PrinterInfo4{Text(info->pPrinterName), info->Attributes};
}

std::optional<DWORD> ReadPrinterDword(HANDLE printer, const char* valueName) {
  std::string name = valueName;
  DWORD type = 0;
  DWORD value = 0;
  DWORD needed = 0;
  if (GetPrinterDataA(printer, name.data(), &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || needed != sizeof value) {
    return std::nullopt;
  }
  return value;
}

std::vector<LocalQueue> EnumerateLocalQueues() {
  DWORD count = 0;
  std::vector<BYTE> record = ReadRecord([&](BYTE* buffer, DWORD size, DWORD* needed) {
    return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, buffer, size, needed, &count);
  });
  std::vector<LocalQueue> queues;
  const auto* infos = reinterpret_cast<const PRINTER_INFO_2A*>(record.data());
  for (DWORD i = 0; !record.empty() && i < count; ++i) {
    queues.push_back(LocalQueue{Text(infos[i].pPrinterName), Text(infos[i].pPortName), Text(infos[i].pDriverName)});
  }
  return queues;
}

std::optional<LocalQueue> FindQueuePortAndDriver(const std::vector<LocalQueue>& queues, const std::string& name) {
  for (const LocalQueue& queue : queues) {
    if (platform::EqualsNoCaseAnsi(queue.name, name) && !queue.port.empty() && !queue.driver.empty()) return queue;
  }
  return std::nullopt;
}

std::vector<std::string> CollectQueuesOfDevice(const std::vector<LocalQueue>& queues, const LocalQueue& device) {
  std::vector<std::string> names;
  for (auto it = queues.rbegin(); it != queues.rend(); ++it) {
    if (platform::EqualsNoCaseAnsi(it->port, device.port) && platform::EqualsNoCaseAnsi(it->driver, device.driver)) {
      names.push_back(it->name);
    }
  }
  return names;
}

}  // namespace shellext
