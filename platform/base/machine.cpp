#include "platform/base/machine.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/base/codepage.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

struct MachineState {
  std::mutex mutex;
  fs::path root;
  std::string user;
  UiLanguage language = UiLanguage::Japanese;
  bool initialised = false;
  std::atomic<unsigned> generation{1};
};

MachineState& State() {
  static MachineState* state = new MachineState;
  return *state;
}

fs::path DefaultRoot() {
  if (const char* env = std::getenv("ZEL_MACHINE_ROOT"); env && *env) return fs::path(env);
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "zel-machine";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local/share/zel-machine";
  return fs::temp_directory_path() / "zel-machine";
}

void InitialiseLocked(MachineState& state) {
  if (state.initialised) return;
  state.root = fs::absolute(DefaultRoot());
  const char* user = std::getenv("ZEL_USER");
  state.user = (user && *user) ? user : "User";
  const char* language = std::getenv("ZEL_LANGUAGE");
  state.language =
      (language && (language[0] == 'e' || language[0] == 'E')) ? UiLanguage::English : UiLanguage::Japanese;
  state.initialised = true;
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    // UTF-8 never has 0x5C or 0x2F inside a multi-byte character, so a byte split is safe here.
    if (c == '\\' || c == '/') {
      if (!current.empty()) parts.push_back(std::move(current));
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(std::move(current));
  return parts;
}

// Appends components, each matched against what exists without regard to case.
fs::path ResolveComponents(fs::path base, const std::vector<std::string>& parts) {
  // Most paths name what exists with its exact case: one look settles those.
  bool plain = true;
  fs::path exactPath = base;
  for (const std::string& part : parts) {
    if (part == "." || part == "..") {
      plain = false;
      break;
    }
    exactPath /= part;
  }
  std::error_code exactError;
  if (plain && fs::exists(fs::symlink_status(exactPath, exactError))) return exactPath;
  bool exists = true;
  for (const std::string& part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (base.has_parent_path() && base != base.root_path()) base = base.parent_path();
      continue;
    }
    fs::path exact = base / fs::path(part);
    std::error_code ec;
    if (!exists || fs::exists(fs::symlink_status(exact, ec))) {
      base = exact;
      continue;
    }
    fs::path found;
    if (fs::is_directory(base, ec)) {
      for (const auto& entry : fs::directory_iterator(base, ec)) {
        if (EqualsNoCaseUtf8(entry.path().filename().string(), part)) {
          found = entry.path();
          break;
        }
      }
    }
    if (found.empty()) {
      exists = false;  // the rest are new names: keep them as given
      base = exact;
    } else {
      base = found;
    }
  }
  return base;
}

}  // namespace

fs::path MachineRoot() {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  return state.root;
}

void SetMachineRoot(const fs::path& root) {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  state.root = fs::absolute(root);
  state.generation.fetch_add(1);
}

unsigned MachineGeneration() { return State().generation.load(); }

std::string CurrentUser() {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  return state.user;
}

void SetCurrentUser(std::string user) {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  state.user = std::move(user);
  state.generation.fetch_add(1);
}

UiLanguage CurrentUiLanguage() {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  return state.language;
}

void SetUiLanguage(UiLanguage language) {
  MachineState& state = State();
  std::lock_guard lock(state.mutex);
  InitialiseLocked(state);
  state.language = language;
}

std::optional<fs::path> DriveFolder(char driveLetter) {
  if (driveLetter == 'c' || driveLetter == 'C') return MachineRoot() / "drive_c";
  if (driveLetter == 'z' || driveLetter == 'Z') return fs::path("/");
  return std::nullopt;
}

std::optional<fs::path> HostPathFromWindows(std::string_view path) {
  if (path.empty()) return std::nullopt;
  if (path.front() == '/') return ResolveComponents(fs::path("/"), SplitComponents(path));
  if (path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/')) {
    return std::nullopt;  // UNC paths name other machines
  }
  if (path.size() >= 2 && path[1] == ':') {
    auto drive = DriveFolder(path[0]);
    if (!drive) return std::nullopt;
    return ResolveComponents(*drive, SplitComponents(path.substr(2)));
  }
  if (path.front() == '\\') {  // root of the current drive
    std::string current = WindowsPathFromHost(fs::current_path());
    auto drive = DriveFolder(current[0]);
    return ResolveComponents(*drive, SplitComponents(path));
  }
  return ResolveComponents(fs::current_path(), SplitComponents(path));
}

std::string WindowsPathFromHost(const fs::path& hostPath) {
  fs::path absolute = fs::absolute(hostPath).lexically_normal();
  fs::path driveC = (MachineRoot() / "drive_c").lexically_normal();
  std::string prefix;
  fs::path relative;
  auto [rootEnd, pathIt] = std::mismatch(driveC.begin(), driveC.end(), absolute.begin(), absolute.end());
  if (rootEnd == driveC.end() || (std::next(rootEnd) == driveC.end() && rootEnd->empty())) {
    prefix = "C:";
    for (auto it = pathIt; it != absolute.end(); ++it) relative /= *it;
  } else {
    prefix = "Z:";
    relative = absolute.relative_path();
  }
  std::string out = prefix;
  for (const auto& part : relative) {
    if (part.empty()) continue;
    out += '\\';
    out += part.string();
  }
  if (out.size() == 2) out += '\\';
  return out;
}

std::string WindowsDirectory() { return "C:\\Windows"; }
std::string SystemDirectory() { return "C:\\Windows\\System32"; }
std::string PrinterDriverDirectory() { return "C:\\Windows\\System32\\spool\\drivers\\x64\\3"; }
std::string UserProfileDirectory() { return "C:\\Users\\" + CurrentUser(); }
std::string AppDataDirectory() { return UserProfileDirectory() + "\\AppData\\Roaming"; }
std::string TempDirectory() { return UserProfileDirectory() + "\\AppData\\Local\\Temp"; }

void EnsureMachineFolders() {
  for (const std::string& folder : {SystemDirectory(), PrinterDriverDirectory(), AppDataDirectory(), TempDirectory(),
                                    std::string("C:\\Windows\\Temp")}) {
    if (auto host = HostPathFromWindows(folder)) {
      std::error_code ec;
      fs::create_directories(*host, ec);
    }
  }
}

}  // namespace platform
