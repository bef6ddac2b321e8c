#include "monitor/monitor_app.h"

#include <chrono>
#include <memory>
#include <vector>

#include "monitor/command_line.h"
#include "monitor/engine.h"
#include "monitor/instance_registry.h"
#include "monitor/monitor_settings.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/modules.h"
#include "platform/base/named_mutex.h"
#include "platform/base/sync.h"
#include "platform/ui/message_box.h"
#include "platform/ui/window.h"
#include "platform/ui/window_finder.h"
#include "query/query_settings.h"

namespace {

constexpr unsigned kMonitorTitle = 104;
constexpr unsigned kPrinterDeleted = 59231;
// The receiver's buffer holds 1023 characters and the end.
constexpr size_t kLongestLine = 1023;
// The whole hand-over to a monitor that holds the printer's lock, however it
// answers: one that is frozen must not hold a new start for ever.
constexpr std::chrono::seconds kHandOverWait{8};
constexpr DWORD kHandOverRetryMs = 50;

template <class Fn>
bool Bind(HMODULE module, const char* name, Fn& member) {
  member = reinterpret_cast<Fn>(GetProcAddress(module, name));
  return member != nullptr;
}

}  // namespace

std::string MainWindowTitle(const std::string& printerName) {
  return monitor::LoadText(kMonitorTitle) + " - " + printerName;
}

HWND FindMonitorWindow(const std::string& commandLine) {
  const std::string printer = PM_CCommandLine(commandLine).GetPrinterName();
  if (printer.empty()) return 0;
  monitor::SetMonitoredPrinter(printer);
  return FindWindowA(nullptr, MainWindowTitle(printer).c_str());
}

bool HandOverCommandLine(HWND window, const std::string& commandLine) {
  if (commandLine.size() > kLongestLine) return false;
  std::vector<char> copy(commandLine.begin(), commandLine.end());
  copy.push_back('\0');
  COPYDATASTRUCT block{0, static_cast<DWORD>(copy.size()), copy.data()};
  return SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block)) == MONITOR_COPYDATA_ACK;
}

bool PM_CPrintMonitorApp::BindSettings() {
  const std::string path = GetModuleFolder() + "zeldb5.dll";
  settings_ = LoadLibraryA(path.c_str());
  if (!settings_) return false;
  SettingsFunctions functions;
  const bool all =
      Bind(settings_, "DBGetDword", functions.getDword) && Bind(settings_, "DBGetInt", functions.getInt) &&
      Bind(settings_, "DBGetString", functions.getString) && Bind(settings_, "DBSetDword", functions.setDword) &&
      Bind(settings_, "DBSetString", functions.setString) && Bind(settings_, "DBGetPath", functions.getPath);
  if (!all) {
    FreeLibrary(settings_);
    settings_ = 0;
    return false;
  }
  functions.loadError = ERROR_PROC_NOT_FOUND;
  monitor::SetDb(functions);
  SetQuerySettings(functions);
  return true;
}

// Held for the life of a printer's monitor: two starts at one moment (neither
// sees a window yet) or a start behind a monitor that does not answer never
// make a second monitor for the printer.
class InstanceLock {
 public:
  explicit InstanceLock(const std::string& printer)
      : handle_(CreateMutexA(nullptr, FALSE, ("PM_Instance_" + printer).c_str())) {}
  ~InstanceLock() {
    if (held_) ReleaseMutex(handle_);
    if (handle_) CloseHandle(handle_);
  }
  bool Take() { return held_ = handle_ && WaitForSingleObject(handle_, 0) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
  bool held_ = false;
};

BOOL PM_CPrintMonitorApp::InitInstance(const std::string& commandLine) {
  if (!BindSettings()) return FALSE;
  if (HWND running = FindMonitorWindow(commandLine)) {
    if (HandOverCommandLine(running, commandLine)) return FALSE;
  }
  InstanceLock lock(PM_CCommandLine(commandLine).GetPrinterName());
  if (!lock.Take()) {
    // Another monitor of this printer is starting: its window comes with its
    // engine, and the line goes to it then.
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (std::chrono::steady_clock::now() < deadline) {
      Sleep(kHandOverRetryMs);
      if (HWND running = FindMonitorWindow(commandLine)) {
        if (HandOverCommandLine(running, commandLine)) return FALSE;
      }
    }
    monitor::Trace("The printer's monitor does not take the command line\n");
    return FALSE;
  }
  std::unique_ptr<PM_CMainWindowHost> window = factory_();
  PM_CCommandLine line(commandLine);
  auto engine = std::make_unique<PM_CEngine>(line);
  if (engine->GetDriverPath().empty()) {
    MessageBoxA(0, monitor::LoadText(kPrinterDeleted).c_str(), monitor::LoadText(kMonitorTitle).c_str(),
                MB_ICONWARNING);
    engine->SetNoSave();
    engine->UnregisterInstance();
    // The empty archive this start made for a printer that is gone would be
    // left behind by every later start: it goes with the entry.
    const std::string idx = engine->IdxFilePath();
    if (!idx.empty()) {
      const HANDLE file = CreateFileA(idx.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
      if (file != INVALID_HANDLE_VALUE) {
        const DWORD size = GetFileSize(file, nullptr);
        CloseHandle(file);
        if (size == 0) DeleteFileA(idx.c_str());
      }
    }
    return FALSE;
  }
  if (!engine->Start()) {
    engine->SetNoSave();
    return FALSE;
  }
  const std::string ini = MonitorIniPath();
  const std::string printer = engine->PrinterName();
  if (FileExists(ini.c_str())) {
    const std::string mode = DP_ReadProfileString(printer.c_str(), "IDXFileMode", ini.c_str());
    DP_WriteProfileString(printer.c_str(), "IDXFileMode", mode == "DP_NONE" || mode == "End" ? "Start" : "Delete",
                          ini.c_str());
  }
  window->RunModal(engine.get());
  // The archive is saved first, "End" after: a run that dies while saving is
  // not taken for one that ended well. The engine closes its sessions and
  // cleans up the SNMP library it started.
  engine.reset();
  if (FileExists(ini.c_str())) DP_WriteProfileString(printer.c_str(), "IDXFileMode", "End", ini.c_str());
  return FALSE;
}

int PM_CPrintMonitorApp::ExitInstance() {
  if (settings_) {
    monitor::SetDb(SettingsFunctions{});
    SetQuerySettings(SettingsFunctions{});
    FreeLibrary(settings_);
    settings_ = 0;
  }
  return 0;
}
