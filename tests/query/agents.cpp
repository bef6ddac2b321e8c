#include "tests/query/agents.h"

#include <arpa/inet.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

extern char** environ;

namespace querytest {

bool UdpPortBound(int port) {
  // A socket is bound once it shows in the kernel's table.
  std::ifstream udp("/proc/net/udp");
  char wanted[16];
  std::snprintf(wanted, sizeof wanted, ":%04X", port);
  std::string line;
  while (std::getline(udp, line)) {
    if (line.find(std::string("0100007F") + wanted) != std::string::npos) return true;
  }
  return false;
}

namespace {

std::vector<unsigned long> ParseOid(const std::string& text) {
  std::vector<unsigned long> parts;
  std::stringstream in(text[0] == '.' ? text.substr(1) : text);
  std::string part;
  while (std::getline(in, part, '.')) parts.push_back(std::stoul(part));
  return parts;
}

std::string OidText(const oid* name, size_t length) {
  std::string text;
  for (size_t i = 0; i < length; ++i) text += (i ? "." : "") + std::to_string(name[i]);
  return text;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  for (const char* folder : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

int LoopbackUdpSocket(int* port) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  if (port) *port = ntohs(address.sin_port);
  return fd;
}

int FreeUdpPort() {
  int port = 0;
  close(LoopbackUdpSocket(&port));
  return port;
}

bool SendTrap(int port, const std::string& version, std::vector<std::string> rest) {
  const std::string program = FindProgram("snmptrap");
  if (program.empty()) return false;
  std::vector<std::string> args = {program, "-v",           version, "-c", "quokka",
                                   "-M",    "/nonexistent", "-m",    "",   "127.0.0.1:" + std::to_string(port)};
  args.insert(args.end(), rest.begin(), rest.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool NetSnmpAgent::Start(const std::filesystem::path& folder, const std::string& table) {
  const std::string snmpd = FindProgram("snmpd");
  if (snmpd.empty()) return false;
  folder_ = folder;
  std::filesystem::create_directories(folder_);
  std::ofstream(folder_ / "table.txt") << table;
  std::ofstream(folder_ / "requests.log").close();
  const std::string script = std::string(ZEL_SOURCE_DIR) + "/tests/query/printer_agent.py";
  const std::string handler =
      "/usr/bin/python3 " + script + " " + (folder_ / "table.txt").string() + " " + (folder_ / "requests.log").string();
  {
    std::ofstream conf(folder_ / "snmpd.conf");
    conf << "rocommunity quokka 127.0.0.1\n"
         << "rwcommunity pilvark 127.0.0.1\n";
    for (const char* subtree : {".1.3.6.1.4.1.4417", ".1.3.6.1.2.1.43", ".1.3.6.1.2.1.25.3"}) {
      conf << "pass_persist " << subtree << " " << handler << "\n";
    }
  }
  port_ = FreeUdpPort();
  const std::string conf = (folder_ / "snmpd.conf").string();
  const std::string log = (folder_ / "snmpd.log").string();
  const std::string pidFile = (folder_ / "snmpd.pid").string();
  const std::string endpoint = "udp:127.0.0.1:" + std::to_string(port_);
  // Only the configured objects: the agent's own host resources stay out.
  // clang-format off
  std::vector<std::string> args = {snmpd, "-f", "-Lf", log, "-C", "-c", conf, "-M", "/nonexistent", "-m", "",
                                   "-p", pidFile,
                                   "-I", "-hr_device,hr_system,hr_storage,hr_proc,hr_network,hr_print,hr_disk,"
                                         "hr_partition,hr_filesys,hr_swrun,hr_swinst",
                                   // clang-format on
                                   endpoint};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string persistent = "SNMP_PERSISTENT_DIR=" + (folder_ / "persist").string();
  std::vector<std::string> env = {persistent, "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  if (posix_spawn(&pid_, snmpd.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    pid_ = 0;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (UdpPortBound(port_)) return true;
    usleep(20000);
  }
  Stop();
  return false;
}

void NetSnmpAgent::Stop() {
  if (pid_ == 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = 0;
}

std::vector<std::string> NetSnmpAgent::Requests() const {
  std::vector<std::string> lines;
  std::ifstream in(folder_ / "requests.log");
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void NetSnmpAgent::ClearRequests() const { std::ofstream(folder_ / "requests.log", std::ios::trunc).close(); }

std::string NetSnmpAgent::Table() const {
  std::ifstream in(folder_ / "table.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

ScriptedAgent::ScriptedAgent() {
  socket_ = LoopbackUdpSocket(&port_);
  thread_ = std::thread([this] { Run(); });
}

ScriptedAgent::~ScriptedAgent() {
  stop_ = true;
  thread_.join();
  close(socket_);
}

void ScriptedAgent::Set(const std::string& oid, ScriptedValue value) {
  std::lock_guard guard(lock_);
  values_[ParseOid(oid)] = std::move(value);
}

void ScriptedAgent::DelayReplies(int count, int delayMs) {
  std::lock_guard guard(lock_);
  delayed_ = count;
  delayMs_ = delayMs;
}

std::vector<std::string> ScriptedAgent::Requests() {
  std::lock_guard guard(lock_);
  return requests_;
}

std::vector<int> ScriptedAgent::RequestIds() {
  std::lock_guard guard(lock_);
  return requestIds_;
}

void ScriptedAgent::Run() {
  struct Pending {
    std::chrono::steady_clock::time_point due;
    std::vector<u_char> datagram;
    sockaddr_in to;
  };
  std::vector<Pending> pending;
  std::vector<u_char> buffer(65536);
  while (!stop_) {
    for (auto it = pending.begin(); it != pending.end();) {
      if (std::chrono::steady_clock::now() < it->due) {
        ++it;
        continue;
      }
      sendto(socket_, it->datagram.data(), it->datagram.size(), 0, reinterpret_cast<sockaddr*>(&it->to), sizeof it->to);
      it = pending.erase(it);
    }
    pollfd fd{socket_, POLLIN, 0};
    if (poll(&fd, 1, 10) <= 0) continue;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t got =
        recvfrom(socket_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (got <= 0) continue;
    netsnmp_session session;
    snmp_sess_init(&session);
    netsnmp_pdu* request = static_cast<netsnmp_pdu*>(calloc(1, sizeof(netsnmp_pdu)));
    if (snmp_parse(nullptr, &session, request, buffer.data(), static_cast<size_t>(got)) != 0 || !request->variables) {
      snmp_free_pdu(request);
      continue;
    }
    netsnmp_pdu* reply = snmp_pdu_create(SNMP_MSG_RESPONSE);
    reply->reqid = request->reqid;
    reply->version = request->version;
    int delay = 0;
    {
      std::lock_guard guard(lock_);
      const netsnmp_variable_list* var = request->variables;
      std::vector<unsigned long> name(var->name, var->name + var->name_length);
      requests_.push_back((request->command == SNMP_MSG_GETNEXT ? "getnext "
                           : request->command == SNMP_MSG_SET   ? "set "
                                                                : "get ") +
                          OidText(var->name, var->name_length));
      requestIds_.push_back(static_cast<int>(request->reqid));
      auto found = request->command == SNMP_MSG_GETNEXT ? values_.upper_bound(name) : values_.find(name);
      if (request->command == SNMP_MSG_SET) {
        values_[name] = ScriptedValue{var->type, var->val.integer ? *var->val.integer : 0,
                                      std::string(reinterpret_cast<const char*>(var->val.string), var->val_len)};
        found = values_.find(name);
      }
      if (found == values_.end()) {
        reply->errstat = SNMP_ERR_NOSUCHNAME;
        reply->errindex = 1;
        snmp_add_null_var(reply, var->name, var->name_length);
      } else {
        const std::vector<oid> replyName(found->first.begin(), found->first.end());
        const ScriptedValue& value = found->second;
        if (value.type == ASN_OCTET_STR || value.type == ASN_IPADDRESS) {
          snmp_pdu_add_variable(reply, replyName.data(), replyName.size(), static_cast<u_char>(value.type),
                                value.octets.data(), value.octets.size());
        } else if (value.type == ASN_NULL) {
          snmp_add_null_var(reply, replyName.data(), replyName.size());
        } else {
          long number = value.number;
          snmp_pdu_add_variable(reply, replyName.data(), replyName.size(), static_cast<u_char>(value.type), &number,
                                sizeof number);
        }
      }
      if (delayed_ > 0) {
        --delayed_;
        delay = delayMs_;
      }
    }
    snmp_free_pdu(request);
    if (silent_) {
      snmp_free_pdu(reply);
      continue;
    }
    session.version = reply->version;
    std::string community = "quokka";
    session.community = reinterpret_cast<u_char*>(community.data());
    session.community_len = community.size();
    size_t size = 2048, used = 0;
    u_char* packet = static_cast<u_char*>(malloc(size));
    if (snmp_build(&packet, &size, &used, &session, reply) == 0) {
      pending.push_back(Pending{std::chrono::steady_clock::now() + std::chrono::milliseconds(delay),
                                std::vector<u_char>(packet + size - used, packet + size), from});
    }
    free(packet);
    snmp_free_pdu(reply);
  }
}

}  // namespace querytest
