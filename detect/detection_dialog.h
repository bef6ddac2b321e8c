// The detection dialog: prints the detection job and counts down a minute
// while it waits for the printer's answer; and the dialog that offers to try
// again after a time-out.
#pragma once

#include <string>

#include "platform/ui/user.h"

enum DetectionResult : int {
  kDetectionCancelled = 2,
  kDetectionCannotStart = 3,  // no trap reception or no address of this host
  kDetectionTimedOut = 4,
  kDetectionJobFailed = 5,  // the job did not reach the printer
  kDetectionFound = 6,
};

struct DetectionOutcome {
  int protocol = 0;
  std::string ipAddress;
  std::string ipxAddress;
  std::string logicalPrinter;
  int emulation = -1;
};

int RunDetectionDialog(HWND parent, const std::string& printerName, int snmpAvailable, DetectionOutcome* outcome);
// IDOK to try again, IDCANCEL to stop.
int RunDetectionFailedDialog(HWND parent);

// What the countdown shows after `elapsed` seconds: the bar's percent and the
// seconds left.
struct CountdownStep {
  bool timedOut = false;
  int percent = 0;
  int secondsLeft = 0;
};
CountdownStep CountdownAt(long long elapsed);
