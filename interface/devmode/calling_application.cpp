#include "interface/devmode/calling_application.h"

#include <cstring>
#include <vector>

#include "platform/base/modules.h"
#include "platform/base/version.h"

namespace {

DWORD MajorFileVersion(const char* path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return 0;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return 0;
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO)) return 0;
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  return HIWORD(fixed.dwFileVersionMS);
}

}  // namespace

void StampCallingApplication(XDEVMODE* devmode) {
  if (!devmode) return;
  XDEVMODE_PRIVATE& extra = devmode->dmPrivate;
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(0, path, MAX_PATH);
  std::memset(extra.applicationPath, 0, sizeof extra.applicationPath);
  if (length == 0 || length >= MAX_PATH) {
    extra.applicationMajorVersion = 0;
    return;
  }
  std::memcpy(extra.applicationPath, path, length);
  extra.applicationMajorVersion = MajorFileVersion(path);
}
