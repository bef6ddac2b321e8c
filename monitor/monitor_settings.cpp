#include "monitor/monitor_settings.h"

#include <ctime>

#include "platform/base/debug.h"
#include "platform/base/resources.h"

namespace monitor {
namespace {

SettingsFunctions& Bound() {
  static SettingsFunctions functions;
  return functions;
}

std::function<int64_t()>& Clock() {
  static std::function<int64_t()> clock;
  return clock;
}

}  // namespace

const SettingsFunctions& Db() { return Bound(); }
void SetDb(const SettingsFunctions& functions) { Bound() = functions; }

std::string LoadText(unsigned id) {
  char text[1024] = {};
  const int length = LoadStringA(0, id, text, sizeof text);
  return length > 0 ? std::string(text, static_cast<size_t>(length)) : std::string();
}

int64_t Now() { return Clock() ? Clock()() : static_cast<int64_t>(std::time(nullptr)); }
void SetClockForTesting(std::function<int64_t()> clock) { Clock() = std::move(clock); }

}  // namespace monitor

namespace monitor {
namespace {

std::string& Printer() {
  static std::string name;
  return name;
}
bool resetting = false;

}  // namespace

const std::string& MonitoredPrinter() { return Printer(); }
void SetMonitoredPrinter(const std::string& name) { Printer() = name; }
bool ResettingDefaults() { return resetting; }
void SetResettingDefaults(bool on) { resetting = on; }
void Trace(const std::string& text) { OutputDebugStringA(text.c_str()); }

}  // namespace monitor
