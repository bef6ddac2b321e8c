#include "interface/records/file_version.h"

#include <cstring>
#include <new>
#include <vector>

int ReadFileVersion(const char* path, VS_FIXEDFILEINFO* info) {
  if (!path || !info) return 0;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return 0;
  std::vector<BYTE> block;
  try {
    block.resize(size);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return 0;
  void* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO)) return 0;
  std::memcpy(info, fixed, sizeof(VS_FIXEDFILEINFO));
  return 1;
}
