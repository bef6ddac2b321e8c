// Whether a trap is the printer's answer to this host's detection job, and what
// it tells: the printer's address and logical printer.
#pragma once

#include <optional>
#include <string>

#include "query/trap_record.h"

struct DetectionAnswer {
  int protocol = 0;  // 0 IP, 1 IPX
  std::string address;
  std::string logicalPrinter;
};

// A kind-1 trap whose quoted attribute names "DetectJob", this host and this
// job number (so another host's detection, or an older job of this host, is not
// taken). An IP sender must name a logical printer.
std::optional<DetectionAnswer> MatchDetectionAnswer(const SnmpTrapRecord& trap, const std::string& hostAddress,
                                                    int jobNumber);
