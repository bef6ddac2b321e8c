#include "query/logical_printers.h"

#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/base/profile.h"
#include "query/query_settings.h"
#include "query/snmp_request.h"

namespace {

const char kCountObject[] = "1.3.6.1.4.1.4417.3.2.0";
const char kNameColumn[] = "1.3.6.1.4.1.4417.3.6.1.2.";

std::string VptIniPath() {
  char path[MAX_PATH] = {};
  GetVptIniPath(path, sizeof path);
  return path;
}

std::string AgentSection(LPCSTR printerName) {
  char address[33] = {};
  GetAgentAddress(printerName, address, sizeof address);
  return address;
}

// Both sections of a printer: its queue name and its agent address.
std::vector<std::string> PrinterSections(LPCSTR printerName) {
  std::vector<std::string> sections;
  if (printerName && *printerName) sections.emplace_back(printerName);
  const std::string agent = AgentSection(printerName);
  if (!agent.empty() && (sections.empty() || strcasecmp(agent.c_str(), sections[0].c_str()) != 0)) {
    sections.push_back(agent);
  }
  return sections;
}

std::string RowKey(int row) { return "VP" + std::to_string(row); }

}  // namespace

void GetVptIniPath(char* buffer, DWORD size) {
  if (!buffer || size == 0) return;
  buffer[0] = 0;
  char folder[MAX_PATH] = {};
  if (QuerySettings().GetPath(kFolderDBase, folder, sizeof folder) != 0) return;
  std::snprintf(buffer, size, "%s\\VPT.INI", folder);
}

void WriteLogicalPrinterCount(LPCSTR printerName, int count) {
  const std::string path = VptIniPath();
  const std::string text = std::to_string(count);
  for (const std::string& section : PrinterSections(printerName)) {
    // What a write does not manage stays as it was: the result is not needed.
    WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path.c_str());
    WritePrivateProfileStringA(section.c_str(), "VPTIndex", text.c_str(), path.c_str());
  }
}

void WriteLogicalPrinterName(LPCSTR printerName, const smiOCTETS* name, int row) {
  if (!name) return;
  const std::string path = VptIniPath();
  const std::string text(reinterpret_cast<const char*>(name->ptr), name->ptr ? name->len : 0);
  const std::string key = RowKey(row);
  for (const std::string& section : PrinterSections(printerName)) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(), path.c_str());
  }
}

int FindCachedLogicalPrinterRow(LPCSTR agentAddress, SnmpSession* session, LPCSTR logicalName, int* row) {
  if (!session || session->logicalPrinterCache != 1) return SNMP_RESULT_OK;
  const std::string path = VptIniPath();
  // The walk stores row n under "VP<n>", so a match answers n itself.
  for (int n = 1; n <= LOGICAL_PRINTER_MAX_ROWS; ++n) {
    char value[129] = {};
    GetPrivateProfileStringA(agentAddress ? agentAddress : "", RowKey(n).c_str(), "", value, 129, path.c_str());
    if (value[0] && logicalName && strcasecmp(value, logicalName) == 0) {
      if (row) *row = n;
      return SNMP_RESULT_OK;
    }
  }
  if (row) *row = 0;
  return SNMP_RESULT_NO_LOGICAL_PRINTER;
}

int FindLogicalPrinterRow(LPCSTR printerName, LPCSTR logicalName, int* row, SnmpSession* session) {
  if (!session || !row || !logicalName) return SNMP_RESULT_FAILED;
  const bool refresh = *row == LOGICAL_PRINTER_REFRESH;
  bool setFlag = refresh;
  if (refresh || session->setMode == 1) session->logicalPrinterCache = 0;
  if (session->logicalPrinterCache == 1) {
    const std::string agent = AgentSection(printerName);
    if (FindCachedLogicalPrinterRow(agent.c_str(), session, logicalName, row) == SNMP_RESULT_OK) {
      return SNMP_RESULT_OK;
    }
    // Not in the file: the table may have changed since; the walk below asks it.
  }

  int count = 0;
  {
    AgentScope agent(printerName, session, false);
    if (agent.result() != SNMP_RESULT_OK) return agent.result();
    smiVALUE value{};
    int result = SnmpGetRequest(nullptr, kCountObject, nullptr, &value, session);
    if (result == SNMP_RESULT_OK) {
      if (value.syntax == SNMP_SYNTAX_INT) {
        count = value.value.sNumber;
        WriteLogicalPrinterCount(printerName, count);
      } else {
        result = SNMP_RESULT_FAILED;
      }
    }
    FreeValue(&value);
    if (result != SNMP_RESULT_OK) return result;
  }

  AgentScope agent(printerName, session, false);
  if (agent.result() != SNMP_RESULT_OK) return agent.result();
  *row = 0;
  int lastRow = 0;
  for (int i = 1; i <= count + 4 && i <= LOGICAL_PRINTER_MAX_ROWS; ++i) {
    lastRow = i;
    const std::string object = kNameColumn + std::to_string(i);
    smiVALUE value{};
    const int result = SnmpGetRequest(nullptr, object.c_str(), nullptr, &value, session);
    if (result == SNMP_RESULT_OK && value.syntax == SNMP_SYNTAX_OCTETS) {
      WriteLogicalPrinterName(printerName, &value.value.string, i);
      const std::string name(reinterpret_cast<const char*>(value.value.string.ptr),
                             value.value.string.ptr ? value.value.string.len : 0);
      FreeValue(&value);
      if (strcasecmp(name.c_str(), logicalName) == 0) {
        *row = i;
        break;
      }
      continue;
    }
    // An empty row does not shorten the walk.
    if (result == SNMP_RESULT_OK && value.syntax == SNMP_SYNTAX_NULL) ++count;
    FreeValue(&value);
  }
  const int result = *row != 0 ? SNMP_RESULT_OK : SNMP_RESULT_NO_LOGICAL_PRINTER;
  if (*row == 0 && count < lastRow) setFlag = true;
  if (setFlag) session->logicalPrinterCache = 1;
  return result;
}
