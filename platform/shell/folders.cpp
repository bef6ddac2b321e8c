#include "platform/shell/folders.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/machine.h"

namespace {

bool FolderFor(int folder, std::string& utf8) {
  switch (folder & 0xFF) {
    case CSIDL_APPDATA: utf8 = platform::AppDataDirectory(); return true;
    case CSIDL_LOCAL_APPDATA: utf8 = platform::UserProfileDirectory() + "\\AppData\\Local"; return true;
    case CSIDL_PERSONAL: utf8 = platform::UserProfileDirectory() + "\\Documents"; return true;
    case CSIDL_PROFILE: utf8 = platform::UserProfileDirectory(); return true;
    case CSIDL_COMMON_APPDATA: utf8 = "C:\\ProgramData"; return true;
    case CSIDL_WINDOWS: utf8 = platform::WindowsDirectory(); return true;
    case CSIDL_SYSTEM: utf8 = platform::SystemDirectory(); return true;
    default: return false;
  }
}

// Answers the folder when it exists (or was created on request).
HRESULT ResolveFolder(int folder, std::string& utf8) {
  if (!FolderFor(folder, utf8)) return E_INVALIDARG;
  auto host = platform::HostPathFromWindows(utf8);
  std::error_code ec;
  if (!host) return E_FAIL;
  if (!std::filesystem::is_directory(*host, ec)) {
    if (!(folder & CSIDL_FLAG_CREATE)) return static_cast<HRESULT>(0x80070002);  // file not found
    std::filesystem::create_directories(*host, ec);
    if (ec) return E_FAIL;
  }
  return S_OK;
}

bool EndsWithBackslash(const std::string& ansi) {
  return !ansi.empty() && platform::FindLastCharAnsi(ansi, '\\') == ansi.size() - 1;
}

}  // namespace

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = 0;
  std::string utf8;
  HRESULT result = ResolveFolder(folder, utf8);
  if (FAILED(result)) return result;
  std::string ansi = platform::AnsiFromUtf8(utf8);
  if (ansi.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, ansi.c_str(), ansi.size() + 1);
  return S_OK;
}

HRESULT SHGetFolderPathW(HWND, int folder, HANDLE, DWORD, LPWSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = 0;
  std::string utf8;
  HRESULT result = ResolveFolder(folder, utf8);
  if (FAILED(result)) return result;
  std::u16string wide = platform::Utf16FromUtf8(utf8);
  if (wide.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
  return S_OK;
}

BOOL PathAppendA(LPSTR path, LPCSTR more) {
  if (!path || !more) return FALSE;
  std::string result(path);
  std::string tail(more);
  while (!tail.empty() && tail.front() == '\\') tail.erase(0, 1);
  if (!result.empty() && !EndsWithBackslash(result) && !tail.empty()) result += '\\';
  result += tail;
  if (result.size() >= MAX_PATH) return FALSE;  // the caller's buffer holds MAX_PATH
  std::memcpy(path, result.c_str(), result.size() + 1);
  return TRUE;
}

LPSTR PathAddBackslashA(LPSTR path) {
  if (!path) return nullptr;
  std::string text(path);
  if (EndsWithBackslash(text)) return path + text.size();
  if (text.size() + 1 >= MAX_PATH) return nullptr;
  path[text.size()] = '\\';
  path[text.size() + 1] = 0;
  return path + text.size() + 1;
}

BOOL PathRemoveFileSpecA(LPSTR path) {
  if (!path) return FALSE;
  std::string text(path);
  size_t slash = platform::FindLastCharAnsi(text, '\\');
  if (slash == std::string::npos) {
    bool changed = !text.empty();
    path[0] = 0;
    return changed ? TRUE : FALSE;
  }
  // Keep the backslash of a drive's root ("C:\").
  size_t cut = (slash == 2 && text.size() > 1 && text[1] == ':') || slash == 0 ? slash + 1 : slash;
  if (cut >= text.size()) return FALSE;
  path[cut] = 0;
  return TRUE;
}

LPSTR PathFindFileNameA(LPCSTR path) {
  if (!path) return nullptr;
  std::string text(path);
  size_t slash = platform::FindLastCharAnsi(text, '\\');
  size_t colon = platform::FindLastCharAnsi(text, ':');
  size_t start = 0;
  if (slash != std::string::npos && slash + 1 < text.size())
    start = slash + 1;
  else if (colon != std::string::npos && slash == std::string::npos)
    start = colon + 1;
  return const_cast<LPSTR>(path + start);
}

BOOL PathFileExistsA(LPCSTR path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE; }
