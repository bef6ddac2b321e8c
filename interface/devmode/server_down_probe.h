// Whether the print server behind a network printer answers. A document's
// settings of a printer whose server is down cannot be shown, and the model-record
// cache does not try to reload from it while it is marked down.
#pragma once

#include "platform/base/types.h"

// The per-user mark (settings section named by the printer, number
// "bServerDown") that the probe leaves.
inline constexpr char kServerDownKey[] = "bServerDown";

// The server counts as down when its name is not empty and the enumeration of its
// shared printers (level 5) fails or does not list the printer (the names compared
// without regard to case). Stores the answer as the mark (1 down, 0 up) and
// returns it. A probe that cannot be made for want of memory proves nothing: it
// answers "up" and leaves the mark as it was.
bool ProbeServerDown(HANDLE printer, const char* printerName, const char* serverName);
