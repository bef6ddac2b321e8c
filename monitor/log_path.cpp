#include "monitor/log_path.h"

#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

namespace {

constexpr unsigned kDefaultLogName = 59189;
constexpr size_t kPartLimit = 256;
constexpr size_t kPathLimit = 520;

struct PathParts {
  std::string drive, folder, name, extension;
};

bool Split(const std::string& path, PathParts* parts) {
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    parts->drive = rest.substr(0, 2);
    rest.erase(0, 2);
  }
  const size_t slash = rest.find_last_of("\\/");
  if (slash != std::string::npos) {
    parts->folder = rest.substr(0, slash + 1);
    rest.erase(0, slash + 1);
  }
  const size_t dot = rest.find_last_of('.');
  if (dot != std::string::npos) {
    parts->extension = rest.substr(dot);
    rest.erase(dot);
  }
  parts->name = rest;
  return parts->folder.size() < kPartLimit && parts->name.size() < kPartLimit && parts->extension.size() < kPartLimit;
}

bool Opens(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

bool Make(const std::string& path, DWORD disposition) {
  HANDLE file = OpenMonitorFile(path.c_str(), disposition);
  if (file == INVALID_HANDLE_VALUE || !file) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace

BOOL NormalizeLogPath(std::string* path, BOOL create) {
  if (!path) return FALSE;
  PathParts parts;
  bool usable = Split(*path, &parts);
  if (usable) {
    if (parts.drive.empty() && parts.folder.size() >= 1 && (parts.folder[0] == '\\' || parts.folder[0] == '/') &&
        !(parts.folder.size() >= 2 && (parts.folder[1] == '\\' || parts.folder[1] == '/'))) {
      char current[MAX_PATH] = {};
      if (::GetCurrentDirectoryA(MAX_PATH, current) >= 2 && current[1] == ':') parts.drive.assign(current, 2);
    } else if (parts.drive.empty() && parts.folder.empty()) {
      char folder[MAX_PATH] = {};
      PathParts user;
      usable = GetMonitorUserFolder(folder) && Split(std::string(folder) + "\\", &user);
      parts.drive = user.drive;
      parts.folder = user.folder;
    } else if (!parts.drive.empty() && parts.folder.empty()) {
      parts.folder = "\\";
    }
  }
  if (usable && parts.name.empty()) {
    PathParts fallback;
    Split(monitor::LoadText(kDefaultLogName), &fallback);
    parts.name = fallback.name;
    parts.extension = fallback.extension;
  }
  if (parts.extension.empty() || parts.extension == ".") parts.extension = ".LOG";
  const std::string joined = parts.drive + parts.folder + parts.name + parts.extension;
  usable = usable && joined.size() <= kPathLimit;
  if (usable) {
    *path = joined;
    if (Opens(joined)) return TRUE;
    if (create) {
      if (Make(joined, CREATE_NEW)) return TRUE;
    } else {
      // A trial: only a file made here and now is removed again.
      HANDLE trial = ::CreateFileA(joined.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
      if (trial == INVALID_HANDLE_VALUE) return FALSE;
      ::CloseHandle(trial);
      ::DeleteFileA(joined.c_str());
      return TRUE;
    }
  }
  if (!create) return FALSE;
  char folder[MAX_PATH] = {};
  if (!GetMonitorUserFolder(folder)) return FALSE;
  *path = std::string(folder) + "\\" + monitor::LoadText(kDefaultLogName);
  return Make(*path, OPEN_ALWAYS) ? TRUE : FALSE;
}
