#include "platform/ui/winapp.h"

#include "platform/base/codepage.h"

CWinApp::CWinApp(LPCSTR appName) {
  if (appName) {
    appName_ = appName;
    m_pszAppName = appName_.c_str();
  }
}

CWinApp::~CWinApp() = default;

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

namespace platform::ui {
namespace {

// The file name of the module without folder and extension, in the ANSI code page.
std::string ModuleTitle(HINSTANCE instance) {
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(instance, path, MAX_PATH) == 0) return {};
  std::string_view text(path);
  const size_t slash = FindLastCharAnsi(text, '\\');
  if (slash != std::string_view::npos) text.remove_prefix(slash + 1);
  const size_t dot = FindLastCharAnsi(text, '.');
  if (dot != std::string_view::npos && dot > 0) text = text.substr(0, dot);
  return std::string(text);
}

}  // namespace

BOOL RunLibraryApp(CWinApp& app, HINSTANCE instance, DWORD reason) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      app.m_hInstance = instance;
      if (!app.m_pszAppName) {
        app.appName_ = ModuleTitle(instance);
        app.m_pszAppName = app.appName_.c_str();
      }
      app.started_ = app.InitInstance() != FALSE;
      return app.started_ ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
      // The dynamic linker may keep a module's statics across an unload and a
      // later load, so the object must be ready to start again.
      if (app.started_) {
        app.started_ = false;
        app.ExitInstance();
      }
      return TRUE;
    default: return TRUE;
  }
}

}  // namespace platform::ui
