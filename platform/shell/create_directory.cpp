#include "platform/shell/create_directory.h"

#include <filesystem>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"

int SHCreateDirectoryExA(HWND /*owner*/, LPCSTR path, LPVOID /*security*/) {
  if (!path || !*path) return ERROR_BAD_PATHNAME;
  const std::optional<std::filesystem::path> host = platform::HostPathFromAnsi(path);
  if (!host) return ERROR_PATH_NOT_FOUND;
  std::error_code ec;
  if (std::filesystem::is_directory(*host, ec)) return ERROR_ALREADY_EXISTS;
  if (std::filesystem::exists(*host, ec)) return ERROR_FILE_EXISTS;
  std::filesystem::create_directories(*host, ec);
  return ec ? ERROR_PATH_NOT_FOUND : ERROR_SUCCESS;
}
