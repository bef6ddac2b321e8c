// One trap port for every registered process of the machine. Only one process
// can listen on the trap port, yet several monitors (one per printer queue) and
// the set-up program register at once. The first registrant takes the port's
// owner lock under the machine root, listens on the port and hands every trap,
// with its sender's address, to the other registrants over Unix datagram
// sockets; the others wait on their own socket and take the lock over when the
// owner ends (a dead owner's lock goes with it).
//
// Not thread-safe: the session state's lock guards every call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/snmp/snmp_message.h"

namespace platform::snmp {

struct TrapDatagram {
  Address source;
  std::vector<uint8_t> bytes;
};

// A non-blocking UDP socket bound to the address; -1 with errno set on failure.
int OpenUdpSocket(const Address& bindTo);

class TrapRelay {
 public:
  TrapRelay() = default;
  TrapRelay(const TrapRelay&) = delete;
  TrapRelay& operator=(const TrapRelay&) = delete;
  ~TrapRelay() { Leave(); }

  // Joins the registrants of the trap address: 0 on success, else the errno of
  // what failed (the port when this process had to own it and could not bind it,
  // which is reported; nothing is joined then).
  int Join(const Address& listen);
  void Leave();
  bool joined() const { return relaySocket_ >= 0; }
  bool owner() const { return portSocket_ >= 0; }
  // The address traps are received on.
  const Address& address() const { return address_; }
  // What the receiver polls: the relay socket, and the port while owned.
  std::vector<int> Descriptors() const;
  // Reads what waits on one of the descriptors; traps from the port are handed
  // on to every other registrant first.
  std::vector<TrapDatagram> Read(int fd);
  // A registrant that does not own the port takes it when its owner has gone.
  void TryTakeOver();

 private:
  bool TakePort(bool reportFailure);
  void Forward(const TrapDatagram& datagram);
  std::string SocketName(const std::string& member) const;

  std::string folder_;  // the registrants of this address under the machine root
  std::string key_;     // names this folder's sockets in the abstract namespace
  Address address_;
  int lockFile_ = -1;    // the port's owner lock while owned
  int portSocket_ = -1;  // the UDP trap port while owned
  int relaySocket_ = -1;
  int lastReported_ = 0;  // one report per kind of failure while waiting to take over
};

}  // namespace platform::snmp
