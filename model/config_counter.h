// The printer's configuration counter "Printer"/"Cfg" (printer data): every writer
// of a printer's configuration increments it, and every cache of the model record
// reloads when it differs from the value the record was loaded with.
#pragma once

#include "common/settings_binding.h"

// The value writers start from when the counter is missing or zero, so that the
// first increment stores 6 and a loaded record never carries the stamp 0.
constexpr DWORD kConfigCounterBase = 5;

// Reads the counter (missing or zero counts as kConfigCounterBase), stores it plus
// one and answers the store's code; *stored (optional) receives the value written.
// The counter never wraps to 0, which would read as "missing".
DWORD IncrementConfigCounter(const SettingsFunctions& settings, HANDLE printer, DWORD* stored = nullptr);
