// Requests of the multi-object items, made on the session's current exchange
// (an AgentScope): values owned until the end of the scope, integer reads and
// writes, a GETNEXT cursor.
#pragma once

#include <string>

#include "query/snmp_request.h"

// A value descriptor freed at the end of its scope.
struct OwnedValue {
  smiVALUE value{};
  OwnedValue() { value.syntax = SNMP_SYNTAX_NULL; }
  ~OwnedValue() { FreeValue(&value); }
  OwnedValue(const OwnedValue&) = delete;
  OwnedValue& operator=(const OwnedValue&) = delete;
  bool IsInteger() const {
    return value.syntax == SNMP_SYNTAX_INT || value.syntax == SNMP_SYNTAX_TIMETICKS ||
           value.syntax == SNMP_SYNTAX_UINT32;
  }
  bool IsOctets() const { return value.syntax == SNMP_SYNTAX_OCTETS; }
  int32_t Number() const { return value.value.sNumber; }
  std::string Text() const {
    if (!IsOctets() || !value.value.string.ptr) return {};
    return std::string(reinterpret_cast<const char*>(value.value.string.ptr), value.value.string.len);
  }
};

// An OID descriptor freed at the end of its scope.
struct OwnedOid {
  smiOID oid{};
  OwnedOid() = default;
  explicit OwnedOid(const char* text) { SnmpStrToOid(text, &oid); }
  ~OwnedOid() { FreeOid(&oid); }
  OwnedOid(const OwnedOid&) = delete;
  OwnedOid& operator=(const OwnedOid&) = delete;
  bool ok() const { return oid.ptr != nullptr; }
};

inline int GetObject(SnmpSession* session, const std::string& object, OwnedValue& out) {
  FreeValue(&out.value);
  return SnmpGetRequest(nullptr, object.c_str(), nullptr, &out.value, session);
}

inline int SetInteger(SnmpSession* session, const std::string& object, int32_t number) {
  smiVALUE value{};
  value.syntax = SNMP_SYNTAX_INT;
  value.value.sNumber = number;
  return SnmpSetRequest(nullptr, object.c_str(), nullptr, &value, session);
}

// A GETNEXT walk's bounded step count: no table of a printer is this long.
constexpr int kMaxWalkSteps = 1024;

inline bool IsNoSuchName(int result) { return result == SNMP_RESULT_NO_SUCH_NAME; }
// A GETNEXT step that left the subtree (or met the end of the agent's view).
inline bool WalkEnded(int result) {
  return result == (SNMP_RESULT_OK | SNMP_RESULT_OUTSIDE_SUBTREE) || IsNoSuchName(result);
}

inline std::string Join(const char* prefix, long number) { return prefix + std::to_string(number); }
