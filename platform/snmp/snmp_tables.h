// The handle tables of the SNMP stand-in: entities, contexts, PDUs and lists are
// values kept under 32-bit handles, one table per kind, shared by the process.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/snmp/snmp_message.h"
#include "platform/snmp/winsnmp.h"

namespace platform::snmp {

struct Entity {
  Address address;
  std::string text;  // as made, or the sender's dotted address
};

template <class T>
class HandleTable {
 public:
  uint32_t Insert(T value) {
    std::lock_guard guard(lock_);
    const uint32_t handle = next_++;
    items_.emplace(handle, std::move(value));
    return handle;
  }
  std::optional<T> Find(uint32_t handle) const {
    std::lock_guard guard(lock_);
    const auto found = items_.find(handle);
    if (found == items_.end()) return std::nullopt;
    return found->second;
  }
  bool Erase(uint32_t handle) {
    std::lock_guard guard(lock_);
    return items_.erase(handle) != 0;
  }
  void Clear() {
    std::lock_guard guard(lock_);
    items_.clear();
  }

 private:
  mutable std::mutex lock_;
  std::map<uint32_t, T> items_;
  uint32_t next_ = 1;
};

HandleTable<Entity>& Entities();
HandleTable<std::string>& Contexts();
HandleTable<Pdu>& Pdus();
HandleTable<std::vector<VarBind>>& Lists();

// The calling thread's last error; every failing call sets it.
void SetSnmpError(SNMPAPI_STATUS error);
// Whether SnmpStartup is in force.
bool SnmpStarted();

// Queues one datagram for a session as the receiver thread does with one it
// reads: a response as come to the session's own socket from `from` (taken only
// from where a request with its id went), a trap as the trap port hands it on
// (to this session, registered or not), and tells the session's window. For
// tests and fuzz targets that drive reply and trap handling without a network.
// False when there is no such session.
bool DeliverDatagram(HSNMP_SESSION session, bool isTrap, const uint8_t* data, size_t length, const Address& from);

// "a.b.c.d" or "a.b.c.d:port"; nothing for any other text.
std::optional<Address> ParseAddress(const std::string& text, uint16_t defaultPort);
std::string AddressText(const Address& address);

}  // namespace platform::snmp
