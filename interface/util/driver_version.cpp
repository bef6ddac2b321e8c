#include "interface/util/driver_version.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "platform/base/modules.h"
#include "platform/base/text_cut.h"
#include "platform/base/version.h"

namespace {

// The ProductVersion of a module file; nothing when the file has no version
// block or the block has no such text.
bool ReadFileProductVersion(const char* path, std::string& version, bool& hasBlock) {
  hasBlock = false;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return false;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return false;
  hasBlock = true;

  // The first translation names the string table that is read.
  LPVOID value = nullptr;
  UINT valueLength = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &valueLength) || valueLength < 4) {
    return false;
  }
  WORD translation[2];
  std::memcpy(translation, value, sizeof translation);
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\ProductVersion", translation[0], translation[1]);
  if (!VerQueryValueA(block.data(), query, &value, &valueLength) || !value) return false;
  version.assign(static_cast<const char*>(value), strnlen(static_cast<const char*>(value), valueLength));
  return true;
}

// The library's own ProductVersion. A loaded module's file does not change, so
// it is read once per file: every device-mode call asks for it several times,
// and each reading would read the module's whole resource section again.
bool ReadProductVersion(std::string& version, bool& hasBlock) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(LibraryInstance(), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    hasBlock = false;
    return false;
  }
  struct Read {
    bool hasVersion;
    bool hasBlock;
    std::string version;
  };
  static std::mutex lock;
  static std::map<std::string, Read> read;
  std::lock_guard guard(lock);
  auto found = read.find(path);
  if (found == read.end()) {
    Read fresh{};
    fresh.hasVersion = ReadFileProductVersion(path, fresh.version, fresh.hasBlock);
    found = read.emplace(path, std::move(fresh)).first;
  }
  version = found->second.version;
  hasBlock = found->second.hasBlock;
  return found->second.hasVersion;
}

void CopyCut(char* buffer, WORD size, std::string_view text) {
  const size_t kept = platform::CutPoint(text, static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text.data(), kept);
  buffer[kept] = '\0';
}

}  // namespace

int GetDriverVersionString(HANDLE printer, char* buffer, WORD size, int kind) {
  if (!buffer || size < 1) return 0;
  std::string version;
  bool hasBlock = false;
  const bool hasVersion = ReadProductVersion(version, hasBlock);
  if (!hasBlock) return 1;
  switch (kind) {
    case kDriverVersionText:
      if (hasVersion) CopyCut(buffer, size, version);
      break;
    case kDriverVersionCopyright: {
      DWORD length = size;
      // Never hand on what a failed read may have left in the buffer.
      if (LibrarySettings().GetString(printer, kStoreModelDescription, "General", "Copyright", buffer, &length) !=
          ERROR_SUCCESS) {
        buffer[0] = '\0';
      }
      break;
    }
    case kDriverVersionDigits:
      if (hasVersion) {
        std::string digits;
        for (char c : version) {
          if (c != '.') digits += c;
        }
        CopyCut(buffer, size, digits);
      }
      break;
    default: break;
  }
  return 1;
}

WORD GetDriverVersionWord() {
  char text[16] = {};
  GetDriverVersionString(0, text, sizeof text, kDriverVersionText);
  return DriverVersionFromText(text);
}
