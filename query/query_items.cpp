// The two object operations the query items rest on.
#include <strings.h>

#include <cstring>
#include <string>

#include "query/logical_printers.h"
#include "query/query_ids.h"
#include "query/snmp_request.h"

namespace {

bool IsInteger(smiUINT32 syntax) {
  return syntax == SNMP_SYNTAX_INT || syntax == SNMP_SYNTAX_TIMETICKS || syntax == SNMP_SYNTAX_UINT32;
}

bool NamesLogicalPrinter(LPCSTR logicalName) { return logicalName && strcasecmp(logicalName, NO_LOGICAL_PRINTER) != 0; }

// What a get and a set both start with: the item's row, the addressing, the object text.
struct ObjectRequest {
  int result = SNMP_RESULT_OK;
  std::string object;
};

ObjectRequest PrepareRow(LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, LPCSTR objectText) {
  ObjectRequest request;
  if (NamesLogicalPrinter(logicalName)) {
    int row = 0;
    request.result = FindLogicalPrinterRow(printerName, logicalName, &row, session);
    if (request.result != SNMP_RESULT_OK) return request;
    if (objectText) request.object = std::string(objectText) + std::to_string(row);
  } else if (objectText) {
    // No logical printer: the object is complete as given.
    request.object = objectText;
  }
  return request;
}

}  // namespace

int QueryInteger(LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, LPCSTR objectText, int32_t* output) {
  if (!session || !output) return SNMP_RESULT_FAILED;
  const ObjectRequest request = PrepareRow(printerName, logicalName, session, objectText);
  if (request.result != SNMP_RESULT_OK) return request.result;
  AgentScope agent(printerName, session, false);
  if (agent.result() != SNMP_RESULT_OK || !objectText) return agent.result();
  if (session->setMode == 1) {
    smiVALUE value{};
    value.syntax = SNMP_SYNTAX_INT;
    value.value.sNumber = *output;
    return SnmpSetRequest(nullptr, request.object.c_str(), nullptr, &value, session);
  }
  *output = -1;
  smiVALUE value{};
  const int result = SnmpGetRequest(nullptr, request.object.c_str(), nullptr, &value, session);
  if (result == SNMP_RESULT_OK && IsInteger(value.syntax)) *output = value.value.sNumber;
  FreeValue(&value);
  return result;
}

int QueryOctets(LPCSTR printerName, LPCSTR logicalName, SnmpSession* session, LPCSTR objectText, void* output,
                int outputSize) {
  if (!session || !output || outputSize < 0) return SNMP_RESULT_FAILED;
  const ObjectRequest request = PrepareRow(printerName, logicalName, session, objectText);
  if (request.result != SNMP_RESULT_OK) return request.result;
  AgentScope agent(printerName, session, false);
  if (agent.result() != SNMP_RESULT_OK || !objectText) return agent.result();
  BYTE* bytes = static_cast<BYTE*>(output);
  if (session->setMode == 1) {
    smiVALUE value{};
    value.syntax = SNMP_SYNTAX_OCTETS;
    value.value.string.len = static_cast<smiUINT32>(outputSize);
    value.value.string.ptr = bytes;
    return SnmpSetRequest(nullptr, request.object.c_str(), nullptr, &value, session);
  }
  smiVALUE value{};
  const int result = SnmpGetRequest(nullptr, request.object.c_str(), nullptr, &value, session);
  if (result == SNMP_RESULT_OK && value.syntax == SNMP_SYNTAX_OCTETS) {
    const size_t length = value.value.string.len < static_cast<smiUINT32>(outputSize) ? value.value.string.len
                                                                                      : static_cast<size_t>(outputSize);
    if (length) std::memcpy(bytes, value.value.string.ptr, length);
    // Callers read text items as strings: terminated whenever there is room.
    if (length < static_cast<size_t>(outputSize)) bytes[length] = 0;
  }
  FreeValue(&value);
  return result;
}
