// The printer's agent: its address text and the addressing of a request to it.
#include <strings.h>

#include <cstring>
#include <string>

#include "query/query_settings.h"
#include "query/snmp_request.h"

namespace {

// The community of the printer's trap-host table; every other request goes with
// the session's community.
const char kWriteCommunity[] = {'p', 'i', 'l', 'v', 'a', 'r', 'k', 0};

void CopyCut(char* out, DWORD size, const std::string& text) {
  if (!out || size == 0) return;
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), count);
  out[count] = 0;
}

}  // namespace

void GetAgentAddress(LPCSTR printerName, char* address, DWORD size) {
  if (!address || size == 0) return;
  address[0] = 0;
  if (!printerName) return;
  if (printerName[0] == '@') {
    CopyCut(address, size, printerName + 1);
    return;
  }
  OpenedPrinter printer(printerName, false);
  if (!printer.ok()) return;
  std::string protocol;
  if (!ReadPrinterSetting(printer.handle(), "Protocol", 8, &protocol)) protocol = "IP";
  std::string text;
  if (!ReadPrinterSetting(printer.handle(), strcasecmp(protocol.c_str(), "IPX") == 0 ? "IPX" : "IP", 32, &text)) {
    return;
  }
  CopyCut(address, size, text);
}

int SnmpOpenAgent(LPCSTR printerName, SnmpSession* session, HSNMP_ENTITY* source, HSNMP_ENTITY* destination,
                  HSNMP_CONTEXT* context, BOOL writeCommunity) {
  if (source) *source = 0;
  if (destination) *destination = 0;
  if (context) *context = 0;
  if (!printerName || !session || !destination || !context) return SNMP_RESULT_FAILED;
  char address[33] = {};
  GetAgentAddress(printerName, address, sizeof address);
  *destination = SnmpStrToEntity(session->session, address);
  if (*destination == 0) return SNMP_RESULT_FAILED;
  const char* community = writeCommunity ? kWriteCommunity : session->community;
  smiOCTETS octets{static_cast<smiUINT32>(strnlen(community, sizeof session->community)),
                   reinterpret_cast<smiLPBYTE>(const_cast<char*>(community))};
  *context = SnmpStrToContext(session->session, &octets);
  if (*context == 0) {
    SnmpFreeEntity(*destination);
    *destination = 0;
    return SNMP_RESULT_FAILED;
  }
  return SNMP_RESULT_OK;
}

void SnmpCloseAgent(HSNMP_ENTITY source, HSNMP_ENTITY destination, HSNMP_CONTEXT context) {
  if (source) SnmpFreeEntity(source);
  if (destination) SnmpFreeEntity(destination);
  if (context) SnmpFreeContext(context);
}

AgentScope::AgentScope(LPCSTR printerName, SnmpSession* session, bool writeCommunity) : session_(session) {
  if (!session_) return;
  result_ = SnmpOpenAgent(printerName, session, &source_, &destination_, &context_, writeCommunity ? TRUE : FALSE);
  previous_ = session_->current;
  exchange_ = SnmpExchange{context_, source_, destination_, nullptr, 0};
  session_->current = &exchange_;
}

AgentScope::~AgentScope() {
  if (!session_) return;
  session_->current = previous_;
  SnmpCloseAgent(source_, destination_, context_);
}
