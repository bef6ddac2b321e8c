// An open printer: what OpenPrinter, AddPrinter and the UNC forms hand out, and how
// the printer looks through it. A printer opened through a server name (a
// connection, or "\\server\printer" of this machine) shows the qualified name, the
// server and the network attribute, as a remote queue does on Windows.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/handles.h"
#include "platform/base/types.h"
#include "platform/spooler/store_cache.h"

namespace platform::spooler {

class SpoolJob;

class PrinterHandle : public KernelObject {
 public:
  int64_t printerId = 0;
  std::u16string server;  // "\\server" when opened through a server name, else empty
  std::string user;       // who opened it: per-user device modes belong to this user
  DWORD desiredAccess = 0;
  std::u16string datatype;    // from PRINTER_DEFAULTS, for jobs
  std::vector<BYTE> devMode;  // from PRINTER_DEFAULTS (wide), for jobs
  // The document being written through this handle, StartDocPrinter to EndDocPrinter.
  std::mutex jobMutex;
  std::shared_ptr<SpoolJob> job;
};

// The handle's object, or null when it is no printer handle.
std::shared_ptr<PrinterHandle> LookupPrinterHandle(HANDLE handle);

// A printer as a caller sees it through a handle or an enumeration.
struct PrinterView {
  std::shared_ptr<const PrinterRecord> printer;
  std::u16string name;
  std::u16string server;  // empty for a local view
  DWORD attributes = 0;
  std::shared_ptr<const std::vector<BYTE>> globalDevMode;  // level 8
  std::shared_ptr<const std::vector<BYTE>> userDevMode;    // level 9
  DWORD jobs = 0;
};

// server empty: the local view; else the view through that server name.
PrinterView MakeView(std::shared_ptr<const PrinterRecord> printer, const std::u16string& server);

}  // namespace platform::spooler
