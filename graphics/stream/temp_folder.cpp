// Where a job's channel files live. The driver's temp folder comes from the
// settings; inside it every document gets a folder of its own, named after the
// process and a per-process counter and made with an exclusive create, so that
// two jobs (in one process or in two) never share or truncate each other's files
// and no one can have placed files there beforehand.
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "common/settings_store.h"
#include "graphics/core/graphics_settings.h"
#include "graphics/core/pdev.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/processes.h"
#include "platform/base/sync.h"

namespace {

// File name extensions in channel order (channel 1, the spooler, has no file).
const char* const kChannelExtensions[kOutputChannelCount] = {"", "pgs", "dwl", "wtm", "pgo", "job", "tab", "psp"};

bool EndsWithBackslash(std::string_view ansi) {
  return !ansi.empty() && platform::FindLastCharAnsi(ansi, '\\') == ansi.size() - 1;
}

// Creates the folder; an existing one is fine.
bool EnsureFolder(const std::string& folder) {
  if (CreateDirectoryA(folder.c_str(), nullptr)) return true;
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

// Creates every missing level of the folder (the per-user temporary folder of a
// fresh machine may not exist yet).
bool EnsureFolderTree(const std::string& folder) {
  for (size_t i = 0; i < folder.size(); i += platform::CharLengthAnsi(folder, i)) {
    if (folder[i] == '\\' && i > 0 && folder[i - 1] != ':') EnsureFolder(folder.substr(0, i));
  }
  return EnsureFolder(folder);
}

bool CopyOut(const std::string& text, char* folder, size_t size) {
  if (text.size() + 1 > size) return false;
  std::memcpy(folder, text.c_str(), text.size() + 1);
  return true;
}

std::atomic<DWORD> g_jobCounter{0};

// Document folders of processes that ended without removing them (killed,
// crashed) hold whole channel files; they are removed once per process and
// temp folder (a forked child is a process of its own). A folder's process is the one of its id that started before the
// folder was last written: a later process given the same id is not it.
void RemoveFoldersOfEndedProcesses(const char* temp) {
  static std::mutex lock;
  static std::set<std::string> swept;
  {
    std::lock_guard guard(lock);
    if (!swept.insert(std::to_string(GetCurrentProcessId()) + ":" + temp).second) return;
  }
  const std::optional<std::filesystem::path> folder = platform::HostPathFromAnsi(temp);
  if (!folder) return;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(*folder, error)) {
    const std::string name = entry.path().filename().string();
    unsigned pid = 0;
    unsigned number = 0;
    char end = 0;
    if (std::sscanf(name.c_str(), "zel%u_%u%c", &pid, &number, &end) != 2 || pid == GetCurrentProcessId()) continue;
    struct stat status {};
    if (::stat(entry.path().c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) continue;
    constexpr int64_t kUnixEpochSeconds = 11'644'473'600;
    const int64_t written = (status.st_mtim.tv_sec + kUnixEpochSeconds) * 10'000'000 + status.st_mtim.tv_nsec / 100;
    if (platform::ProcessRunsSince(pid, written)) continue;
    std::error_code ignored;
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

bool MakeJobFolder(PDEV* pdev) {
  OutputState& output = pdev->output;
  char temp[MAX_PATH];
  if (!GetDriverTempFolder(temp, sizeof temp)) return false;
  RemoveFoldersOfEndedProcesses(temp);
  // A name taken by an earlier process of the same id is skipped, never reused.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const DWORD number = ++g_jobCounter;
    char folder[MAX_PATH];
    if (FormatOut(folder, "%szel%u_%u", temp, GetCurrentProcessId(), number) < 0) return false;
    if (CreateDirectoryA(folder, nullptr)) {
      if (FormatOut(output.jobFolder, "%s\\", folder) < 0) {
        RemoveDirectoryA(folder);
        output.jobFolder[0] = '\0';
        return false;
      }
      output.jobNumber = number;
      return true;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

}  // namespace

BOOL GetDriverTempFolder(char* folder, size_t size) {
  if (folder == nullptr || size == 0) return FALSE;
  folder[0] = '\0';
  char value[MAX_PATH] = {};
  DWORD length = sizeof value;
  if (GraphicsSettings().GetString(0, kStoreUser, "GeneralInformation", "TempDir", value, &length) == 0 &&
      value[0] != '\0') {
    std::string path = value;
    if (!EndsWithBackslash(path)) path += '\\';
    path += "temp";
    if (EnsureFolder(path)) return CopyOut(path + "\\", folder, size) ? TRUE : FALSE;
  }
  // No usable setting: the machine's per-user temporary folder, never a shared
  // folder such as the drive's root.
  char temp[MAX_PATH] = {};
  const DWORD got = GetTempPathA(sizeof temp, temp);
  if (got == 0 || got >= sizeof temp) return FALSE;
  std::string path = temp;
  if (!EndsWithBackslash(path)) path += '\\';
  if (!EnsureFolderTree(path.substr(0, path.size() - 1))) return FALSE;
  return CopyOut(path, folder, size) ? TRUE : FALSE;
}

bool EnsureChannelPath(PDEV* pdev, int index) {
  if (pdev == nullptr || index < 1 || index >= kOutputChannelCount) return false;
  OutputState& output = pdev->output;
  OutputChannel& row = output.channels[index];
  if (row.path[0] != '\0') return true;
  if (output.jobFolder[0] == '\0' && !MakeJobFolder(pdev)) return false;
  return FormatOut(row.path, "%s%u.%s", output.jobFolder, output.jobNumber, kChannelExtensions[index]) >= 0;
}
