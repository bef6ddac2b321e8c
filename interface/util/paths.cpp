#include "interface/util/paths.h"

#include <cstring>
#include <string>
#include <string_view>

#include "platform/base/codepage.h"

namespace {

// Copies text and its NUL when they fit; else leaves an empty buffer.
bool CopyWhole(char* buffer, size_t size, std::string_view text) {
  if (!buffer) return true;
  if (text.size() + 1 > size) {
    if (size > 0) buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return true;
}

// Whether the text's last character is the single-byte character c.
bool EndsWithChar(std::string_view text, char c) {
  return !text.empty() && platform::FindLastCharAnsi(text, c) == text.size() - 1;
}

}  // namespace

char* JoinPath(char* buffer, size_t size, const char* folder, const char* name) {
  if (!buffer) return nullptr;
  if (!folder || !name) {
    if (size > 0) buffer[0] = '\0';
    return nullptr;
  }
  // Built aside first: the folder or the name may be the buffer itself.
  std::string path(folder);
  if (!path.empty() && !EndsWithChar(path, '\\')) path += '\\';
  path += name;
  return CopyWhole(buffer, size, path) ? buffer : nullptr;
}

bool SplitPath(char* folder, size_t folderSize, char* name, size_t nameSize, const char* path) {
  const std::string_view text(path ? path : "");
  const size_t backslash = platform::FindLastCharAnsi(text, '\\');
  const size_t colon = platform::FindLastCharAnsi(text, ':');
  size_t separator = std::string_view::npos;
  if (backslash != std::string_view::npos) separator = backslash;
  if (colon != std::string_view::npos && (separator == std::string_view::npos || colon > separator)) separator = colon;

  std::string_view folderPart;
  std::string_view namePart = text;
  if (separator != std::string_view::npos) {
    if (separator > 0) folderPart = text.substr(0, separator + 1);
    namePart = text.substr(separator + 1);
  }
  // Both outputs are taken from the path before either is written: one of them
  // may be the path's own buffer.
  const std::string folderCopy(folderPart);
  const std::string nameCopy(namePart);
  const bool folderFits = CopyWhole(folder, folderSize, folderCopy);
  const bool nameFits = CopyWhole(name, nameSize, nameCopy);
  return folderFits && nameFits;
}
