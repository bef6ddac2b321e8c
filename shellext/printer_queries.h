// What the extension asks the spooler about a printer. Buffers are sized by the
// spooler's answer and asked again (at most three times) when the record grew
// meanwhile.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace shellext {

// A printer opened by name for one request, closed when it goes.
class OpenedPrinter {
 public:
  // access 0: the default access.
  OpenedPrinter(const std::string& name, DWORD access);
  ~OpenedPrinter();
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
  explicit operator bool() const { return handle_ != 0; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

// The data file of the printer's driver (DRIVER_INFO_2); empty when unknown.
std::string DriverDataFile(HANDLE printer);
// The folder of a path, with its closing backslash; empty for a bare name.
std::string FolderOf(const std::string& path);
// The hardware id of the printer's driver (DRIVER_INFO_6); empty when it has none.
std::string GetDriverHardwareId(HANDLE printer);

struct PrinterInfo4 {
  std::string name;
  DWORD attributes = 0;
};
std::optional<PrinterInfo4> ReadPrinterInfo4(HANDLE printer);

// The printer's own DWORD value (no section); nothing when absent or not a DWORD.
std::optional<DWORD> ReadPrinterDword(HANDLE printer, const char* valueName);

struct LocalQueue {
  std::string name;
  std::string port;
  std::string driver;
};
// The local printers in the spooler's order.
std::vector<LocalQueue> EnumerateLocalQueues();
// The port and driver of the named queue, when it has both.
std::optional<LocalQueue> FindQueuePortAndDriver(const std::vector<LocalQueue>& queues, const std::string& name);
// Every queue with the device's port and driver, last enumerated first.
std::vector<std::string> CollectQueuesOfDevice(const std::vector<LocalQueue>& queues, const LocalQueue& device);

}  // namespace shellext
