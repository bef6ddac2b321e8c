// The detection and set-up program: its whole life is the start-up routine,
// which reads the command line, binds the settings library, runs the set-up
// wizard for the printer and ends.
#pragma once

#include <string>

#include "platform/ui/winapp.h"

class CDetectApp : public CWinApp {
 public:
  CDetectApp() : CWinApp("scopeod5") {}
  // Always false: the program has no message loop of its own.
  using CWinApp::InitInstance;
  BOOL InitInstance(const std::string& commandLine);
};
