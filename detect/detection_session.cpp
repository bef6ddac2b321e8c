#include "detect/detection_session.h"

#include <cstring>

#include "common/settings_store.h"
#include "detect/detection_job.h"
#include "detect/trap_match.h"
#include "platform/base/errors.h"
#include "platform/spooler/spooler.h"
#include "query/query_ids.h"
#include "query/query_settings.h"
#include "query/trap_reception.h"

namespace {

constexpr int kLanguageQuery = 16;
constexpr char kWriteCommunity[] = {'p', 'i', 'l', 'v', 'a', 'r', 'k', '\0'};

std::string LocalAddressText() {
  char text[64] = {};
  GetLocalHostAddressText(text, sizeof text);
  const std::string address = text;
  return address == "none" ? std::string() : address;
}

}  // namespace

bool DetectionSession::SendDetectionJob(HWND owner) {
  jobNotPrinted = false;
  if (!owner || !snmpAvailable) return false;
  ownerWindow = owner;
  trapSession = SnmpSession{};
  trapSession.window = owner;
  trapSession.instance = 0;
  std::strcpy(trapSession.community, SNMP_READ_COMMUNITY);
  trapSession.notificationMessage = SNMP_MSG_TRAP;
  if (SnmpCreateSessionWindow(&trapSession) != SNMP_RESULT_OK) return false;
  if (SnmpTrapControl(kTrapRegister, nullptr, &trapSession) != 1) return false;
  hostAddress = LocalAddressText();
  if (hostAddress.empty()) return false;
  jobNumber = DetectionJobNumber();
  jobNotPrinted = !SendRawToPrinter(printerName, DetectionJobBytes(hostAddress, jobNumber));
  return !jobNotPrinted;
}

void DetectionSession::MatchDetectionTrap() {
  if (!ownerWindow || !snmpAvailable || found || busy_ || trapSession.lastTrap.kind == 0) return;
  const std::optional<DetectionAnswer> answer = MatchDetectionAnswer(trapSession.lastTrap, hostAddress, jobNumber);
  if (!answer) return;
  // Taken before the language is asked: the request pumps messages, and a
  // second copy of the answer arriving meanwhile must not start another.
  found = 1;
  protocol = answer->protocol;
  (protocol == 0 ? ipAddress : ipxAddress) = answer->address;
  logicalPrinter = answer->logicalPrinter;
  emulation = SavePortAndQueryEmulation(protocol, answer->address, logicalPrinter);
}

void DetectionSession::Close() {
  if (ownerWindow && snmpAvailable) {
    SnmpTrapControl(kTrapUnregister, nullptr, &trapSession);
    SnmpDestroySessionWindow(&trapSession);
    trapSession = SnmpSession{};
  }
  ownerWindow = 0;
}

int DetectionSession::SavePortAndQueryEmulation(int protocolChoice, const std::string& address,
                                                const std::string& logical) {
  if (protocolChoice != 0 && protocolChoice != 1) return kEmulationFailed;
  {
    HANDLE printer = 0;
    std::string name = printerName;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterA(name.data(), &printer, &defaults)) return kEmulationFailed;
    const char* key = protocolChoice == 0 ? "IP" : "IPX";
    const SettingsFunctions& db = QuerySettings();
    const bool written =
        db.SetString(printer, kStorePrinterData, "Printer", key, address.c_str()) == ERROR_SUCCESS &&
        db.SetString(printer, kStorePrinterData, "Printer", "Protocol", key) == ERROR_SUCCESS &&
        db.SetString(printer, kStorePrinterData, "Printer", "VPName", logical.c_str()) == ERROR_SUCCESS &&
        db.SetDword(printer, kStorePrinterData, "Printer", "Monitor", 1) == ERROR_SUCCESS;
    ClosePrinter(printer);
    if (!written) return kEmulationFailed;
  }
  busy_ = true;
  emulationSession = SnmpSession{};
  emulationSession.notificationMessage = SNMP_MSG_REPLY;
  std::strcpy(emulationSession.community, kWriteCommunity);
  int code = kEmulationFailed;
  if (SnmpCreateSessionWindow(&emulationSession) == SNMP_RESULT_OK) {
    int32_t language = 0;
    // clang-format off
    const int status = SnmpQueryB(kLanguageQuery, printerName.c_str(), logical.c_str(), &emulationSession, &language,
                                  sizeof language);
    if (status == SNMP_RESULT_OK) code = language;
    else if (status == SNMP_RESULT_NO_LOGICAL_PRINTER) code = kEmulationNoLogicalPrinter;
    else if (status == SNMP_RESULT_NO_SUCH_NAME) code = kEmulationNoSuchName;
    // clang-format on
  }
  SnmpDestroySessionWindow(&emulationSession);
  emulationSession = SnmpSession{};
  busy_ = false;
  return code;
}
