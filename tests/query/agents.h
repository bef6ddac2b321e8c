// The printer's SNMP agents the query tests talk to over 127.0.0.1:
// - NetSnmpAgent runs net-snmp's snmpd as a child on a free port, its printer
//   objects served from a table file by printer_agent.py (pass_persist), with
//   the read community "quokka" and the write community "pilvark";
// - ScriptedAgent answers from a table in this process (net-snmp's codec on a
//   plain socket), for what snmpd cannot do: NULL values, replies held back or
//   never sent.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace querytest {

// "snmpd" from the PATH or /usr/sbin; empty when it is not installed.
std::string FindProgram(const std::string& name);

class NetSnmpAgent {
 public:
  // table: lines "OID TYPE VALUE" (pass_persist types).
  bool Start(const std::filesystem::path& folder, const std::string& table);
  void Stop();
  ~NetSnmpAgent() { Stop(); }
  int port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  // The requests printer_agent.py received, one "get OID", "getnext OID" or "set
  // OID TYPE VALUE" a line, and the table as it is now.
  std::vector<std::string> Requests() const;
  void ClearRequests() const;
  std::string Table() const;

 private:
  pid_t pid_ = 0;
  int port_ = 0;
  std::filesystem::path folder_;
};

struct ScriptedValue {
  int type = 5;  // ASN type; 5 NULL
  long number = 0;
  std::string octets;
};

class ScriptedAgent {
 public:
  ScriptedAgent();
  ~ScriptedAgent();
  int port() const { return port_; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }
  void Set(const std::string& oid, ScriptedValue value);
  // The next `count` requests are answered only after `delayMs`.
  void DelayReplies(int count, int delayMs);
  // Requests are read and never answered.
  void Silence(bool silent) { silent_ = silent; }
  std::vector<std::string> Requests();
  std::vector<int> RequestIds();

 private:
  void Run();
  int socket_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> silent_{false};
  std::mutex lock_;
  std::map<std::vector<unsigned long>, ScriptedValue> values_;
  std::vector<std::string> requests_;
  std::vector<int> requestIds_;
  int delayed_ = 0;
  int delayMs_ = 0;
  std::thread thread_;
};

// Whether some process has a UDP socket bound to 127.0.0.1:port.
bool UdpPortBound(int port);
// A free UDP port on 127.0.0.1 (bound and released).
int FreeUdpPort();
// A UDP socket bound to 127.0.0.1 on a port of its own, and that port.
int LoopbackUdpSocket(int* port);
// Runs net-snmp's trap sender (community "quokka") towards 127.0.0.1:port with
// the arguments after the version and the destination; true when it succeeded.
bool SendTrap(int port, const std::string& version, std::vector<std::string> rest);

}  // namespace querytest
