// The set-up wizard's state for one printer queue: what the queue holds at
// start, the answers of the pages, the commit when the user leaves the language
// page and the restore when the user cancels.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "common/pdl_kind.h"
#include "platform/base/types.h"

enum CapabilityFlags : int {
  kCapabilityIp = 1,
  kCapabilityIpx = 2,
};

// The printer data the wizard may change, each present or absent, as found
// before the first write; Cancel puts exactly this back.
struct PrinterSettingsSnapshot {
  std::optional<DWORD> monitor;
  std::optional<std::string> protocol;
  std::optional<std::string> ip;
  std::optional<std::string> ipx;
  std::optional<std::string> logicalPrinter;
  std::optional<DWORD> pdl;
};

class CPrinterInstaller {
 public:
  explicit CPrinterInstaller(std::string printer) : printerName(std::move(printer)) {}

  // Reads the queue's state; false (after its message) when the queue, the
  // model's languages or the queue's description cannot be read.
  bool SetUp(int notify, int snmpAvailable);
  bool ReadPrinterState(int snmpAvailable);
  // Writes the answers; false when the queue cannot be opened or a write fails.
  bool CommitSettings();
  // Puts back the snapshot taken at start; false when that fails.
  bool RestoreSettings();

  void PushPage(int pageId);
  int PopPage();

  bool ModelHas(int code) const { return (pdlFlags & code) != 0; }

  std::string printerName;
  std::string portName;
  int networkQueue = 0;
  int capabilityFlags = 0;
  int monitor = 0;
  int protocol = -1;
  std::string ipAddress;
  std::string ipxAddress;
  std::string logicalPrinter;
  int emulation = -1;
  int pdl = kPdlPcl5Mask;
  int pdlFlags = 0;
  int snmpAvailable = 0;
  int notify = 0;
  int historyTop = -1;
  std::array<int, 5> history{};
  int savedMonitor = 0;
  int savedPdl = kPdlPcl5Mask;
  PrinterSettingsSnapshot snapshot;

 private:
  // With the printer opened for all access.
  bool WriteAnswers(HANDLE printer) const;
};

// The settings as they are now, for the snapshot.
PrinterSettingsSnapshot ReadSettingsSnapshot(HANDLE printer);
bool WriteSettingsSnapshot(HANDLE printer, const PrinterSettingsSnapshot& snapshot);
