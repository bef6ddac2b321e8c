// What the whole monitor shares: the six settings functions bound from
// zeldb5.dll at start, the texts of its string table, and the clock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/settings_binding.h"

namespace monitor {

// The bound settings functions; calls through unbound ones answer an error.
const SettingsFunctions& Db();
void SetDb(const SettingsFunctions& functions);

// A text of the program's string table (ANSI code page); empty when missing.
std::string LoadText(unsigned id);

// Seconds since 1970. Tests move the clock; the monitor only reads it here.
int64_t Now();
void SetClockForTesting(std::function<int64_t()> clock);

// The printer this process monitors (from its command line); the model-bound
// event agents read its model at every match.
const std::string& MonitoredPrinter();
void SetMonitoredPrinter(const std::string& name);

// Set while an archive is written with defaults after a failed load: agents
// then store their default enabled flags.
bool ResettingDefaults();
void SetResettingDefaults(bool on);

// The debugger trace of the monitor's progress and errors.
void Trace(const std::string& text);

}  // namespace monitor
