// The program's texts and message boxes: every box carries the caption of the
// installer (string 2110).
#pragma once

#include <string>

#include "platform/base/types.h"

namespace detect {

enum TextId : unsigned {
  kTextPcl5e = 2001,
  kTextPostScript = 2002,
  kTextPclXl = 2003,
  kTextDefaultPrinter = 2004,
  kTextCountdown = 2104,
  kTextTimeout1 = 2105,
  kTextTimeout2 = 2106,
  kTextTimeout3 = 2107,
  kTextTimeout4 = 2108,
  kTextIncomplete = 2109,
  kTextCaption = 2110,
  kTextQueuePort = 2201,
  kTextPort = 2202,
  kTextNoAnswer = 2211,
  kTextNoLogicalPrinter = 2212,
  kTextLogicalPostScript = 2215,
  kTextLogicalPcl5 = 2216,
  kTextLogicalPclXl = 2217,
  kTextCannotDetect = 2218,
  kTextNoPcl = 2219,
  kTextQueueNoPcl = 2220,
  kTextErrorPhd = 2222,
  kTextErrorGetPrinter = 2223,
  kTextErrorOpenPrinter = 2224,
  kTextErrorInstaller = 2225,
  kTextErrorLoadDb = 2226,
  kTextErrorCode = 2227,
  kTextCommitFailed = 2229,
  kTextDetectionJobFailed = 2230,
};

std::string LoadText(unsigned id);
// wsprintf with the text as format.
std::string FormatText(unsigned id, const std::string& first, const std::string& second = {});
int ShowMessage(HWND owner, const std::string& text, UINT type);
inline int ShowMessage(HWND owner, unsigned id, UINT type) { return ShowMessage(owner, LoadText(id), type); }

}  // namespace detect
