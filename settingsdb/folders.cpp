// The package's folder tree on the Windows drive and the shared files of the
// status monitor and the SNMP library.
#include <cstdio>
#include <cstring>
#include <string>

#include "common/settings_store.h"
#include "platform/base/codepage.h"
#include "platform/base/debug.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/shell/folders.h"

namespace {

constexpr const char* kFolders[] = {
    "$Nardo Driver",
    "$Nardo Driver\\D5",
    "$Nardo Driver\\D5\\DBase",
    "$Nardo Driver\\D5\\Fonts",
    "$Nardo Driver\\D5\\Fonts\\PCL",
    "$Nardo Driver\\D5\\Fonts\\PCL\\Disk",
};

constexpr const char* kSharedFiles[] = {"PRMONSET.INI", "VPT.INI", "EVTCFG.TMP", "PRMONSET.TMP", "NTF.TMP"};

// Joins a folder and a name with one backslash (DBCS-aware: a 0x5C trail byte
// at the end of the folder is not a separator).
std::string Join(const std::string& folder, const char* name) {
  std::string path = folder;
  if (!path.empty() && platform::FindLastCharAnsi(path, '\\') != path.size() - 1) path += '\\';
  path += name;
  return path;
}

// The root of the Windows directory's drive, "C:".
std::string DriveRoot() {
  char windows[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(windows, sizeof windows);
  if (length == 0 || length >= sizeof windows) return "C:";
  std::string path(windows, length);
  return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : path;
}

bool UserFolder(const char* rest, std::string& path) {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(0, CSIDL_APPDATA, 0, SHGFP_TYPE_CURRENT, folder))) return false;
  if (!PathAppendA(folder, "Quelm") || !PathAppendA(folder, rest)) return false;
  path = folder;
  return true;
}

}  // namespace

ZEL_EXPORT DWORD DBSetupFolders(void) {
  std::string root = DriveRoot();
  for (const char* folder : kFolders) {
    std::string path = Join(root, folder);
    CreateDirectoryA(path.c_str(), nullptr);  // an existing folder stays
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  }

  // Every account (the spooler's, each user's status monitor) must be able to
  // write the shared files: they get a NULL discretionary access list.
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) {
    return ERROR_SUCCESS;
  }
  SECURITY_ATTRIBUTES security = {sizeof security, &descriptor, TRUE};

  std::string dbase = Join(root, "$Nardo Driver\\D5\\DBase");
  for (const char* file : kSharedFiles) {
    std::string path = Join(dbase, file);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE | GENERIC_ALL, FILE_SHARE_WRITE, &security, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, 0);
    if (handle == INVALID_HANDLE_VALUE) {
      char trace[1024];
      std::snprintf(trace, sizeof trace, "DBSetupFolder, CreateFile %s\nReturned error: %u\n", path.c_str(),
                    static_cast<unsigned>(GetLastError()));
      OutputDebugStringA(trace);
      continue;
    }
    CloseHandle(handle);
  }
  return ERROR_SUCCESS;
}

ZEL_EXPORT DWORD DBGetPath(int32_t selector, char* buffer, DWORD size) {
  std::string path;
  switch (selector) {
    case kFolderDBase: path = Join(DriveRoot(), "$Nardo Driver\\D5\\DBase"); break;
    case kFolderPclDiskFonts: path = Join(DriveRoot(), "$Nardo Driver\\D5\\Fonts\\PCL\\Disk"); break;
    case kFolderUserPclFonts:
      if (!UserFolder("$Nardo Driver\\D5\\Fonts\\PCL", path)) return ERROR_PATH_NOT_FOUND;
      break;
    case kFolderUserPclMacros:
      if (!UserFolder("$Nardo Driver\\D5\\Macros\\PCL", path)) return ERROR_PATH_NOT_FOUND;
      break;
    default: path = Join(DriveRoot(), "$Nardo Driver\\D5"); break;
  }
  if (!buffer || path.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return ERROR_SUCCESS;
}
