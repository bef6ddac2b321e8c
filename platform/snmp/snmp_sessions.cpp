// Start-up, sessions, sending and receiving. Each session has a UDP socket of
// its own for its requests; while any session is registered, traps come from
// the machine's one trap port through the trap relay (trap_relay.h). A receiver thread of the stand-in reads every
// socket, queues what it reads on the session and posts the session's
// notification message, so replies arrive while the caller's thread pumps its
// messages, as WinSNMP delivers them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/snmp/snmp_tables.h"
#include "platform/snmp/trap_relay.h"
#include "platform/ui/window.h"

namespace platform::snmp {
namespace {

struct Received {
  Address source;
  Address destination;
  std::string community;
  Pdu pdu;
};

struct Session {
  HWND window = 0;
  UINT message = 0;
  int socket = -1;
  Address local;
  bool registered = false;
  std::deque<Received> inbox;
  // Where each request went, by request id: a response is taken only from there,
  // so another sender that guesses an id cannot answer in the agent's place.
  std::map<int32_t, Address> awaited;
};

struct State {
  std::mutex lock;
  int startups = 0;
  smiUINT32 translateMode = SNMPAPI_TRANSLATED;
  std::map<HSNMP_SESSION, Session> sessions;
  HSNMP_SESSION nextSession = 1;
  TrapRelay traps;  // joined while any session is registered
  int wake = -1;    // eventfd: the receiver looks at the socket set again
  std::thread receiver;
  bool stopping = false;
};

State& Shared() {
  static State* state = new State;  // lives until the process ends: the receiver may still run
  return *state;
}

SNMPAPI_STATUS Fail(SNMPAPI_STATUS error) {
  SetSnmpError(error);
  return SNMPAPI_FAILURE;
}

void Wake(State& state) {
  if (state.wake < 0) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(state.wake, &one, sizeof one);
}

std::optional<Address> LocalAddress(int socket) {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&local), &size) != 0) return std::nullopt;
  return Address{local.sin_addr.s_addr, ntohs(local.sin_port)};
}

Address TrapListenAddress() {
  const char* configured = std::getenv("ZEL_SNMP_TRAP_ADDRESS");
  if (configured && *configured) {
    if (const std::optional<Address> address = ParseAddress(configured, 162)) return *address;
  }
  return Address{htonl(INADDR_ANY), 162};
}

// Queues one datagram on the sessions it is for and tells their windows: a
// response to the session whose socket got it, a trap to every registered one
// (with `only`, to that session alone, registered or not).
void Deliver(State& state, int fd, bool isTrap, const uint8_t* data, size_t length, const Address& from,
             HSNMP_SESSION only = 0) {
  std::optional<Decoded> decoded = DecodeMessage(data, length);
  if (!decoded) return;  // not SNMP, or not a version we speak: dropped
  Received received;
  received.source = from;
  received.community = decoded->community;
  received.pdu = std::move(decoded->pdu);
  if (isTrap != (received.pdu.type == static_cast<int32_t>(SNMP_PDU_TRAP))) return;
  std::vector<std::pair<HWND, UINT>> notify;
  std::vector<HSNMP_SESSION> targets;
  {
    std::lock_guard guard(state.lock);
    for (auto& [handle, session] : state.sessions) {
      if (only != 0 && handle != only) continue;
      if (!isTrap && session.socket == fd) {
        const auto request = session.awaited.find(received.pdu.requestId);
        if (request == session.awaited.end() || !(request->second == from)) continue;
        session.awaited.erase(request);
      }
      if (isTrap ? (session.registered || only != 0) : session.socket == fd) {
        Received copy = received;
        copy.destination = isTrap ? state.traps.address() : session.local;
        session.inbox.push_back(std::move(copy));
        notify.emplace_back(session.window, session.message);
        targets.push_back(handle);
      }
    }
  }
  for (size_t i = 0; i < notify.size(); ++i) {
    if (notify[i].first) PostMessageA(notify[i].first, notify[i].second, targets[i], 0);
  }
}

// How often a registrant that does not own the trap port looks whether it may.
constexpr int kTakeOverPollMs = 100;

void ReceiverLoop(State* state) {
  std::vector<uint8_t> buffer(65536);
  for (;;) {
    std::vector<pollfd> fds;
    size_t firstTrapFd = 0;
    int timeout = -1;
    {
      std::lock_guard guard(state->lock);
      if (state->stopping) return;
      fds.push_back(pollfd{state->wake, POLLIN, 0});
      for (const auto& [handle, session] : state->sessions) fds.push_back(pollfd{session.socket, POLLIN, 0});
      firstTrapFd = fds.size();
      for (const int fd : state->traps.Descriptors()) fds.push_back(pollfd{fd, POLLIN, 0});
      if (state->traps.joined() && !state->traps.owner()) timeout = kTakeOverPollMs;
    }
    if (poll(fds.data(), fds.size(), timeout) < 0) continue;
    if (fds[0].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(state->wake, &count, sizeof count);
    }
    for (size_t i = 1; i < firstTrapFd; ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      for (;;) {
        sockaddr_in from{};
        socklen_t size = sizeof from;
        // A socket closed meanwhile fails the read; a number reused since belongs
        // to another socket of this stand-in, whose datagram goes to its session.
        const ssize_t got =
            recvfrom(fds[i].fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
        if (got < 0) break;
        Deliver(*state, fds[i].fd, false, buffer.data(), static_cast<size_t>(got),
                Address{from.sin_addr.s_addr, ntohs(from.sin_port)});
      }
    }
    std::vector<TrapDatagram> traps;
    {
      std::lock_guard guard(state->lock);
      for (size_t i = firstTrapFd; i < fds.size(); ++i) {
        if (!(fds[i].revents & POLLIN)) continue;
        for (TrapDatagram& trap : state->traps.Read(fds[i].fd)) traps.push_back(std::move(trap));
      }
      state->traps.TryTakeOver();
    }
    for (const TrapDatagram& trap : traps) Deliver(*state, -1, true, trap.bytes.data(), trap.bytes.size(), trap.source);
  }
}

void StartReceiver(State& state) {
  if (state.receiver.joinable()) return;
  state.wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  state.stopping = false;
  state.receiver = std::thread(ReceiverLoop, &state);
}

// Called with the lock held; the lock is given up while the thread ends.
void StopReceiver(State& state, std::unique_lock<std::mutex>& guard) {
  if (!state.receiver.joinable()) return;
  state.stopping = true;
  Wake(state);
  std::thread receiver = std::move(state.receiver);
  guard.unlock();
  receiver.join();
  guard.lock();
  close(state.wake);
  state.wake = -1;
}

void LeaveTrapsIfUnregistered(State& state) {
  for (const auto& [handle, session] : state.sessions) {
    if (session.registered) return;
  }
  state.traps.Leave();
}

}  // namespace

bool DeliverDatagram(HSNMP_SESSION handle, bool isTrap, const uint8_t* data, size_t length, const Address& from) {
  State& state = Shared();
  int fd = -1;
  {
    std::lock_guard guard(state.lock);
    const auto found = state.sessions.find(handle);
    if (found == state.sessions.end()) return false;
    if (!isTrap) fd = found->second.socket;
  }
  Deliver(state, fd, isTrap, data, length, from, handle);
  return true;
}

bool SnmpStarted() {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  return state.startups > 0;
}

}  // namespace platform::snmp

using namespace platform::snmp;

SNMPAPI_STATUS SnmpStartup(smiLPUINT32 majorVersion, smiLPUINT32 minorVersion, smiLPUINT32 level,
                           smiLPUINT32 translateMode, smiLPUINT32 retransmitMode) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  ++state.startups;
  if (majorVersion) *majorVersion = 2;
  if (minorVersion) *minorVersion = 0;
  if (level) *level = 2;
  if (translateMode) *translateMode = state.translateMode;
  if (retransmitMode) *retransmitMode = SNMPAPI_OFF;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpCleanup(void) {
  State& state = Shared();
  std::unique_lock guard(state.lock);
  if (state.startups == 0) return Fail(SNMPAPI_NOT_INITIALIZED);
  if (--state.startups > 0) return SNMPAPI_SUCCESS;
  StopReceiver(state, guard);
  for (auto& [handle, session] : state.sessions) close(session.socket);
  state.sessions.clear();
  state.traps.Leave();
  state.translateMode = SNMPAPI_TRANSLATED;
  Entities().Clear();
  Contexts().Clear();
  Pdus().Clear();
  Lists().Clear();
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSetTranslateMode(smiUINT32 mode) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  if (state.startups == 0) return Fail(SNMPAPI_NOT_INITIALIZED);
  if (mode > SNMPAPI_UNTRANSLATED_V2) return Fail(SNMPAPI_MODE_INVALID);
  state.translateMode = mode;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpGetTranslateMode(smiLPUINT32 mode) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  if (state.startups == 0) return Fail(SNMPAPI_NOT_INITIALIZED);
  if (mode) *mode = state.translateMode;
  return SNMPAPI_SUCCESS;
}

HSNMP_SESSION SnmpOpen(HWND window, UINT message) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  if (state.startups == 0) return Fail(SNMPAPI_NOT_INITIALIZED);
  if (!IsWindow(window)) return Fail(SNMPAPI_HWND_INVALID);
  Session session;
  session.window = window;
  session.message = message;
  session.socket = OpenUdpSocket(Address{htonl(INADDR_ANY), 0});
  if (session.socket < 0) return Fail(SNMPAPI_TL_RESOURCE_ERROR);
  session.local = LocalAddress(session.socket).value_or(Address{});
  const HSNMP_SESSION handle = state.nextSession++;
  state.sessions.emplace(handle, std::move(session));
  StartReceiver(state);
  Wake(state);
  return handle;
}

SNMPAPI_STATUS SnmpClose(HSNMP_SESSION handle) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  const auto found = state.sessions.find(handle);
  if (found == state.sessions.end()) return Fail(SNMPAPI_SESSION_INVALID);
  close(found->second.socket);
  state.sessions.erase(found);
  LeaveTrapsIfUnregistered(state);
  Wake(state);
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpSendMsg(HSNMP_SESSION handle, HSNMP_ENTITY, HSNMP_ENTITY destination, HSNMP_CONTEXT context,
                           HSNMP_PDU pduHandle) {
  const std::optional<Entity> target = Entities().Find(destination);
  if (!target) return Fail(SNMPAPI_ENTITY_INVALID);
  const std::optional<std::string> community = Contexts().Find(context);
  if (!community) return Fail(SNMPAPI_CONTEXT_INVALID);
  const std::optional<Pdu> pdu = Pdus().Find(pduHandle);
  if (!pdu) return Fail(SNMPAPI_PDU_INVALID);
  const std::optional<std::vector<uint8_t>> datagram = EncodeMessage(*pdu, *community);
  if (!datagram) return Fail(SNMPAPI_PDU_INVALID);
  State& state = Shared();
  std::lock_guard guard(state.lock);
  const auto found = state.sessions.find(handle);
  if (found == state.sessions.end()) return Fail(SNMPAPI_SESSION_INVALID);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = target->address.ip;
  to.sin_port = htons(target->address.port);
  const ssize_t sent =
      sendto(found->second.socket, datagram->data(), datagram->size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  if (sent < 0) return Fail(errno == EMSGSIZE ? SNMPAPI_TL_PDU_TOO_BIG : SNMPAPI_TL_UNDELIVERABLE);
  // Requests never answered are forgotten, lowest id first, past a bound.
  constexpr size_t kAwaitedBound = 256;
  std::map<int32_t, Address>& awaited = found->second.awaited;
  if (awaited.size() >= kAwaitedBound) awaited.erase(awaited.begin());
  awaited[pdu->requestId] = target->address;
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpRecvMsg(HSNMP_SESSION handle, LPHSNMP_ENTITY source, LPHSNMP_ENTITY destination,
                           LPHSNMP_CONTEXT context, LPHSNMP_PDU pdu) {
  Received received;
  {
    State& state = Shared();
    std::lock_guard guard(state.lock);
    const auto found = state.sessions.find(handle);
    if (found == state.sessions.end()) return Fail(SNMPAPI_SESSION_INVALID);
    if (found->second.inbox.empty()) return Fail(SNMPAPI_NOOP);
    received = std::move(found->second.inbox.front());
    found->second.inbox.pop_front();
  }
  // The sender is named by its address alone, as a trap's sender is shown.
  if (source) *source = Entities().Insert(Entity{received.source, AddressText(received.source)});
  if (destination) *destination = Entities().Insert(Entity{received.destination, AddressText(received.destination)});
  if (context) *context = Contexts().Insert(received.community);
  if (pdu) *pdu = Pdus().Insert(std::move(received.pdu));
  return SNMPAPI_SUCCESS;
}

SNMPAPI_STATUS SnmpRegister(HSNMP_SESSION handle, HSNMP_ENTITY, HSNMP_ENTITY, HSNMP_CONTEXT, smiLPCOID,
                            smiUINT32 stateWanted) {
  State& state = Shared();
  std::lock_guard guard(state.lock);
  const auto found = state.sessions.find(handle);
  if (found == state.sessions.end()) return Fail(SNMPAPI_SESSION_INVALID);
  if (stateWanted != SNMPAPI_ON && stateWanted != SNMPAPI_OFF) return Fail(SNMPAPI_MODE_INVALID);
  if (stateWanted == SNMPAPI_OFF) {
    found->second.registered = false;
    LeaveTrapsIfUnregistered(state);
    Wake(state);
    return SNMPAPI_SUCCESS;
  }
  if (!state.traps.joined()) {
    const int error = state.traps.Join(TrapListenAddress());
    if (error != 0) return Fail(error == EADDRINUSE ? SNMPAPI_TL_IN_USE : SNMPAPI_TL_RESOURCE_ERROR);
  }
  found->second.registered = true;
  Wake(state);
  return SNMPAPI_SUCCESS;
}
