// The application object of the class library, as much of it as a library needs.
// A library has one such object, a global constructed when the module is loaded.
// The loader starts and stops it through the module's DllMain, which
// ZEL_LIBRARY_APP_ENTRY(object) defines: InitInstance runs when the module is
// loaded (a zero answer fails the load) and ExitInstance when it is unloaded.
#pragma once

#include <string>

#include "platform/base/modules.h"
#include "platform/base/types.h"

class CWinApp;

namespace platform::ui {

// The module entry of a library with an application object: keeps the instance
// handle and runs InitInstance at DLL_PROCESS_ATTACH, ExitInstance at
// DLL_PROCESS_DETACH. An object whose start failed is not stopped: it set up nothing
// that an exit could take down.
BOOL RunLibraryApp(CWinApp& app, HINSTANCE instance, DWORD reason);

}  // namespace platform::ui

class CWinApp {
 public:
  // A null name takes the module's file name without its extension at start.
  explicit CWinApp(LPCSTR appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Nonzero when the module may be used; the base answers TRUE.
  virtual BOOL InitInstance();
  // The exit code; the base answers 0.
  virtual int ExitInstance();

  // The module that holds the object; 0 until it starts.
  HINSTANCE m_hInstance = 0;
  LPCSTR m_pszAppName = nullptr;

 private:
  friend BOOL platform::ui::RunLibraryApp(CWinApp& app, HINSTANCE instance, DWORD reason);
  std::string appName_;
  bool started_ = false;
};

// Defines the module's DllMain for its one application object.
#define ZEL_LIBRARY_APP_ENTRY(app)                                                 \
  ZEL_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) { \
    return ::platform::ui::RunLibraryApp((app), instance, reason);                 \
  }
