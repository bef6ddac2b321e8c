#include "detect/printer_installer.h"

#include <strings.h>

#include <vector>

#include "common/settings_store.h"
#include "detect/address_rules.h"
#include "detect/messages.h"
#include "platform/base/errors.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/message_box.h"
#include "query/query_settings.h"
#include "query/trap_reception.h"

namespace {

constexpr char kSection[] = "Printer";
constexpr int kUpdateConfigEscape = 20000;
constexpr DWORD kFirstCounter = 5;

// Opened with all access for the wizard's reads and writes; closed with the object.
class PrinterHandle {
 public:
  PrinterHandle(const std::string& name, DWORD access) {
    std::string copy = name;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, access};
    if (!OpenPrinterA(copy.data(), &handle_, access ? &defaults : nullptr)) handle_ = 0;
  }
  ~PrinterHandle() {
    if (handle_) ClosePrinter(handle_);
  }
  PrinterHandle(const PrinterHandle&) = delete;
  PrinterHandle& operator=(const PrinterHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = 0;
};

std::optional<std::string> ReadText(HANDLE printer, const char* key) {
  char text[256] = {};
  DWORD size = sizeof text;
  if (QuerySettings().GetString(printer, kStorePrinterData, kSection, key, text, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(text);
}

std::optional<DWORD> ReadNumber(HANDLE printer, const char* key) {
  DWORD value = 0;
  if (QuerySettings().GetDword(printer, kStorePrinterData, kSection, key, &value) != ERROR_SUCCESS) return std::nullopt;
  return value;
}

bool WriteText(HANDLE printer, const char* key, const std::string& value) {
  return QuerySettings().SetString(printer, kStorePrinterData, kSection, key, value.c_str()) == ERROR_SUCCESS;
}

bool WriteNumber(HANDLE printer, const char* key, DWORD value) {
  return QuerySettings().SetDword(printer, kStorePrinterData, kSection, key, value) == ERROR_SUCCESS;
}

// An absent value is already what a delete asks for.
bool Delete(HANDLE printer, const char* key) {
  const DWORD rc = QuerySettings().DeleteData(printer, kStorePrinterData, kSection, key);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

int LanguageFlagsOf(const std::string& name) {
  static const struct {
    const char* name;
    int flags;
  } kNames[] = {{"PS3", kPdlPostScriptMask}, {"PS2", kPdlPostScriptMask}, {"PS1", kPdlPostScriptMask},
                {"PS", kPdlPostScriptMask},  {"PCL5SI", kPdlPcl5Mask},    {"PCL5E", kPdlPcl5Mask},
                {"PCL5", kPdlPcl5Mask},      {"PCL", kPdlPcl5Mask},       {"PCLXL", kPdlPclXl}};
  for (const auto& entry : kNames)
    if (strcasecmp(entry.name, name.c_str()) == 0) return entry.flags;
  return 0;
}

int ModelLanguageFlags(HANDLE printer) {
  const SettingsFunctions& db = QuerySettings();
  DBENUM* names = nullptr;
  if (db.EnumOpen(printer, kStoreModelDescription, "PDL", &names) != ERROR_SUCCESS || !names) return 0;
  int flags = 0;
  while (true) {
    char key[256] = {};
    DWORD size = sizeof key;
    if (db.EnumNext(names, key, &size) != ERROR_SUCCESS) break;
    char value[256] = {};
    DWORD valueSize = sizeof value;
    if (db.GetString(printer, kStoreModelDescription, "PDL", key, value, &valueSize) == ERROR_SUCCESS)
      flags |= LanguageFlagsOf(value);
  }
  db.EnumClose(names);
  return flags;
}

// PRINTER_INFO_2 in a buffer the spooler sized.
bool ReadPrinterInfo(HANDLE printer, std::vector<BYTE>* buffer) {
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  for (int attempt = 0; attempt < 3 && needed; ++attempt) {
    buffer->assign(needed, 0);
    if (GetPrinterA(printer, 2, buffer->data(), needed, &needed)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
  }
  return false;
}

bool DefaultMonitorFor(const std::string& port) {
  if (IsIpPortName(port) || port.rfind("\\\\", 0) == 0) return true;
  return !port.empty() && port.back() != ':';
}

bool HostHasAddress() {
  char text[64] = {};
  GetLocalHostAddressText(text, sizeof text);
  return std::string(text) != "none" && text[0];
}

}  // namespace

PrinterSettingsSnapshot ReadSettingsSnapshot(HANDLE printer) {
  PrinterSettingsSnapshot snapshot;
  snapshot.monitor = ReadNumber(printer, "Monitor");
  snapshot.protocol = ReadText(printer, "Protocol");
  snapshot.ip = ReadText(printer, "IP");
  snapshot.ipx = ReadText(printer, "IPX");
  snapshot.logicalPrinter = ReadText(printer, "VPName");
  snapshot.pdl = ReadNumber(printer, "PDL");
  return snapshot;
}

bool WriteSettingsSnapshot(HANDLE printer, const PrinterSettingsSnapshot& snapshot) {
  bool ok = true;
  auto text = [&](const char* key, const std::optional<std::string>& value) {
    ok = (value ? WriteText(printer, key, *value) : Delete(printer, key)) && ok;
  };
  auto number = [&](const char* key, const std::optional<DWORD>& value) {
    ok = (value ? WriteNumber(printer, key, *value) : Delete(printer, key)) && ok;
  };
  number("Monitor", snapshot.monitor);
  text("Protocol", snapshot.protocol);
  text("IP", snapshot.ip);
  text("IPX", snapshot.ipx);
  text("VPName", snapshot.logicalPrinter);
  number("PDL", snapshot.pdl);
  return ok;
}

bool CPrinterInstaller::SetUp(int notifyFlag, int snmpFlag) {
  if (!ReadPrinterState(snmpFlag)) return false;
  notify = notifyFlag;
  snmpAvailable = snmpFlag;
  return true;
}

bool CPrinterInstaller::ReadPrinterState(int snmpFlag) {
  PrinterHandle printer(printerName, PRINTER_ALL_ACCESS);
  if (!printer.get()) {
    detect::ShowMessage(0, detect::kTextErrorOpenPrinter, MB_OK);
    return false;
  }
  snapshot = ReadSettingsSnapshot(printer.get());
  pdlFlags = ModelLanguageFlags(printer.get());
  if (!pdlFlags) {
    detect::ShowMessage(0, detect::kTextErrorPhd, MB_OK);
    return false;
  }
  std::vector<BYTE> info;
  if (!ReadPrinterInfo(printer.get(), &info)) {
    detect::ShowMessage(0, detect::kTextErrorGetPrinter, MB_OK);
    return false;
  }
  const auto* description = reinterpret_cast<const PRINTER_INFO_2A*>(info.data());
  bool defaultMonitor = false;
  if (description->Attributes & PRINTER_ATTRIBUTE_NETWORK) {
    networkQueue = 1;
  } else if ((description->Attributes & PRINTER_ATTRIBUTE_LOCAL) && description->pPortName) {
    defaultMonitor = DefaultMonitorFor(description->pPortName);
  }
  if (description->pPortName) portName = description->pPortName;

  DWORD snmpCapable = 0;
  if (snmpFlag &&
      QuerySettings().GetDword(printer.get(), kStoreModelDescription, "General", "SNMPCapable", &snmpCapable) ==
          ERROR_SUCCESS &&
      snmpCapable && HostHasAddress())
    capabilityFlags |= kCapabilityIp;

  if (capabilityFlags) {
    monitor = snapshot.monitor ? (*snapshot.monitor != 0) : defaultMonitor;
    if (monitor && snapshot.protocol && !snapshot.protocol->empty()) {
      if (*snapshot.protocol == "IPX" && (capabilityFlags & kCapabilityIpx)) {
        ipxAddress = snapshot.ipx.value_or("");
        protocol = 1;
      } else if (*snapshot.protocol != "IPX" && (capabilityFlags & kCapabilityIp)) {
        ipAddress = snapshot.ip.value_or("");
        protocol = 0;
      }
    }
    // The logical printer is offered again even when monitoring was off.
    logicalPrinter = snapshot.logicalPrinter.value_or("");
    if (snapshot.pdl) pdl = static_cast<int>(*snapshot.pdl);
    if (protocol == -1) protocol = (capabilityFlags & kCapabilityIp) ? 0 : 1;
  }
  savedMonitor = monitor;
  savedPdl = pdl;
  return true;
}

bool CPrinterInstaller::WriteAnswers(HANDLE printer) const {
  bool ok = true;
  // Without the address pages the user was never asked about monitoring: what
  // the queue holds stays as it is.
  if (capabilityFlags) {
    if (monitor) {
      ok = WriteNumber(printer, "Monitor", 1) && ok;
      if (protocol == 0) {
        ok =
            WriteText(printer, "Protocol", "IP") && WriteText(printer, "IP", ipAddress) && Delete(printer, "IPX") && ok;
      } else if (protocol == 1) {
        ok = WriteText(printer, "Protocol", "IPX") && WriteText(printer, "IPX", ipxAddress) && Delete(printer, "IP") &&
             ok;
      }
      ok = WriteText(printer, "VPName", logicalPrinter) && ok;
    } else {
      ok = WriteNumber(printer, "Monitor", 0) && Delete(printer, "Protocol") && Delete(printer, "IP") &&
           Delete(printer, "IPX") && Delete(printer, "VPName") && ok;
    }
  }
  return WriteNumber(printer, "PDL", static_cast<DWORD>(pdl)) && ok;
}

bool CPrinterInstaller::CommitSettings() {
  {
    PrinterHandle printer(printerName, PRINTER_ALL_ACCESS);
    if (!printer.get() || !WriteAnswers(printer.get())) return false;
    if ((capabilityFlags && monitor != savedMonitor) || pdl != savedPdl) {
      const std::optional<DWORD> counter = ReadNumber(printer.get(), "Cfg");
      const DWORD base = counter && *counter ? *counter : kFirstCounter;
      if (!WriteNumber(printer.get(), "Cfg", base + 1)) return false;
    }
  }
  if (notify) {
    // The graphics library also reloads on its own when "Cfg" changed, so a
    // device context that cannot be made here loses nothing that was saved.
    if (HDC dc = CreateDCA("WINSPOOL", printerName.c_str(), nullptr, nullptr)) {
      ExtEscape(dc, kUpdateConfigEscape, 0, nullptr, 0, nullptr);
      DeleteDC(dc);
    }
  }
  return true;
}

bool CPrinterInstaller::RestoreSettings() {
  PrinterHandle printer(printerName, PRINTER_ALL_ACCESS);
  return printer.get() && WriteSettingsSnapshot(printer.get(), snapshot);
}

void CPrinterInstaller::PushPage(int pageId) {
  if (historyTop + 1 >= static_cast<int>(history.size())) return;
  history[static_cast<size_t>(++historyTop)] = pageId;
}

int CPrinterInstaller::PopPage() {
  if (historyTop < 0) return -1;
  return history[static_cast<size_t>(historyTop--)];
}
