// Where a job's channel files live. The driver's temp folder comes from the
// settings; inside it every document gets a folder of its own, named after the
// process and a per-process counter and made with an exclusive create, so that
// two jobs (in one process or in two) never share or truncate each other's files
// and no one can have placed files there beforehand.
#include <atomic>
#include <cstring>
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

bool MakeJobFolder(PDEV* pdev) {
  OutputState& output = pdev->output;
  char temp[MAX_PATH];
  if (!GetDriverTempFolder(temp, sizeof temp)) return false;
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
