// Which process is which, for things a process leaves behind (queue rows, temp
// folders, hidden copies): an id alone is given again to later processes, so a
// process is named by its id and its start time, read from /proc.
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/base/processes.h"

namespace platform {
namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;        // FILETIME: 100 ns
constexpr int64_t kUnixEpochSeconds = 11'644'473'600;  // 1601 to 1970
// The boot time the kernel reports moves with clock corrections and is kept
// in whole seconds, so two readings of one start time may differ by this much.
constexpr int64_t kStartTolerance = 2 * kTicksPerSecond;

std::optional<int64_t> BootTimeSeconds() {
  std::ifstream stat("/proc/stat");
  std::string key;
  while (stat >> key) {
    if (key == "btime") {
      int64_t seconds = 0;
      if (stat >> seconds) return seconds;
      return std::nullopt;
    }
    stat.ignore(1 << 20, '\n');
  }
  return std::nullopt;
}

}  // namespace

std::optional<int64_t> ProcessStartTime(DWORD processId) {
  if (processId == 0) return std::nullopt;
  std::ifstream file("/proc/" + std::to_string(processId) + "/stat");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  // The program name in parentheses may hold blanks and parentheses itself.
  const size_t nameEnd = line.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(nameEnd + 1));
  std::string state;
  fields >> state;
  if (state.empty() || state == "Z" || state == "X" || state == "x") return std::nullopt;
  // Field 22 of the line, the start in clock ticks since boot; `state` was field 3.
  std::string field;
  for (int index = 4; index <= 22; ++index) {
    if (!(fields >> field)) return std::nullopt;
  }
  const long long sinceBoot = std::strtoll(field.c_str(), nullptr, 10);
  const long hz = ::sysconf(_SC_CLK_TCK);
  static const std::optional<int64_t> bootTime = BootTimeSeconds();
  if (!bootTime || hz <= 0) return std::nullopt;
  return (*bootTime + kUnixEpochSeconds) * kTicksPerSecond + sinceBoot * (kTicksPerSecond / hz);
}

bool ProcessRuns(DWORD processId, int64_t startTime) {
  const std::optional<int64_t> started = ProcessStartTime(processId);
  return started && std::llabs(*started - startTime) <= kStartTolerance;
}

bool ProcessRunsSince(DWORD processId, int64_t time) {
  const std::optional<int64_t> started = ProcessStartTime(processId);
  return started && *started <= time + kStartTolerance;
}

}  // namespace platform
