#include "graphics/stream/map_data_file.h"

#include "platform/base/errors.h"
#include "platform/base/file_mapping.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"

void UnmapDataFile(HANDLE* file, HANDLE* mapping, const void** view) {
  const DWORD error = GetLastError();  // the caller may want the reason of a failed map
  if (view != nullptr && *view != nullptr) UnmapViewOfFile(*view);
  if (mapping != nullptr && *mapping != 0) CloseHandle(*mapping);
  if (file != nullptr && *file != 0 && *file != INVALID_HANDLE_VALUE) CloseHandle(*file);
  if (view != nullptr) *view = nullptr;
  if (mapping != nullptr) *mapping = 0;
  if (file != nullptr) *file = 0;
  SetLastError(error);
}

int MapDataFile(const WCHAR* path, HANDLE* file, HANDLE* mapping, const void** view, DWORD* size) {
  if (file == nullptr || mapping == nullptr || view == nullptr) return 0;
  *file = 0;
  *mapping = 0;
  *view = nullptr;
  if (path == nullptr) return 0;
  try {
    HANDLE opened = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (opened == INVALID_HANDLE_VALUE || opened == 0) return 0;
    *file = opened;
    DWORD fileSize = 0;
    if (size != nullptr) {
      DWORD high = 0;
      SetLastError(ERROR_SUCCESS);
      const DWORD low = GetFileSize(opened, &high);
      if ((low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) || high != 0) {
        if (high != 0) SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        UnmapDataFile(file, mapping, view);
        return 0;
      }
      fileSize = low;
    }
    *mapping = CreateFileMappingW(opened, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (*mapping == 0) {
      UnmapDataFile(file, mapping, view);
      return 0;
    }
    *view = MapViewOfFile(*mapping, FILE_MAP_READ, 0, 0, 0);
    if (*view == nullptr) {
      UnmapDataFile(file, mapping, view);
      return 0;
    }
    if (size != nullptr) *size = fileSize;
    return 1;
  } catch (...) {
    UnmapDataFile(file, mapping, view);
    return 0;
  }
}
