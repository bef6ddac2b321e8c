// One detection run: the trap session on the detection dialog's window, the
// job sent through the queue, the answer matched, and the printer's language
// asked for the logical printer found (also used alone by the address page).
#pragma once

#include <string>

#include "query/snmp_session.h"

// Codes of SavePortAndQueryEmulation besides the language codes (140, 259,
// 16384, and 16 or 32 for other languages).
enum EmulationCode : int {
  kEmulationFailed = -1,
  kEmulationNoLogicalPrinter = 10,
  kEmulationNoSuchName = 11,
};

class DetectionSession {
 public:
  DetectionSession(std::string printer, int snmp) : printerName(std::move(printer)), snmpAvailable(snmp) {}
  ~DetectionSession() { Close(); }
  DetectionSession(const DetectionSession&) = delete;
  DetectionSession& operator=(const DetectionSession&) = delete;

  // Starts trap reception on the owner's window and prints the job. False when
  // any of it failed.
  bool SendDetectionJob(HWND owner);
  // After the owner received a trap into the trap session (SnmpOnTrap).
  void MatchDetectionTrap();
  void Close();
  // Writes address, protocol, logical printer and monitoring on, then asks the
  // printer's language for the logical printer.
  int SavePortAndQueryEmulation(int protocol, const std::string& address, const std::string& logical);
  // True while the language is being asked: the owner's timer must not end the
  // run under the running request.
  bool busy() const { return busy_; }

  HWND ownerWindow = 0;
  std::string printerName;
  int snmpAvailable = 0;
  int jobNumber = -1;
  std::string hostAddress;
  SnmpSession trapSession{};
  SnmpSession emulationSession{};
  int found = 0;
  int protocol = 0;
  std::string ipAddress;
  std::string ipxAddress;
  std::string logicalPrinter;
  int emulation = -1;
  // Set when SendDetectionJob failed at printing, not at listening.
  bool jobNotPrinted = false;

 private:
  bool busy_ = false;
};
