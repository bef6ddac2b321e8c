#include "model/settings_text.h"

#include <cstring>
#include <vector>

namespace modelsettings {

std::optional<std::string> ReadText(const SettingsFunctions& settings, HANDLE printer, int32_t kind,
                                    const char* section, const char* key, DWORD bufferSize, bool refuseCut) {
  // Emptied before every read, so a failed read never leaves an earlier value.
  std::vector<char> buffer(bufferSize, 0);
  DWORD size = bufferSize;
  if (settings.GetString(printer, kind, section, key, buffer.data(), &size) != ERROR_SUCCESS) return std::nullopt;
  buffer.back() = 0;
  size_t length = std::strlen(buffer.data());
  if (refuseCut && length + 1 >= bufferSize) return std::nullopt;
  return std::string(buffer.data(), length);
}

std::optional<std::vector<std::string>> SectionKeys(const SettingsFunctions& settings, HANDLE printer, int32_t kind,
                                                    const char* section) {
  DBENUM* enumeration = nullptr;
  if (settings.EnumOpen(printer, kind, section, &enumeration) != ERROR_SUCCESS || !enumeration) {
    if (enumeration) settings.EnumClose(enumeration);
    return std::nullopt;
  }
  std::vector<std::string> keys;
  std::vector<char> name(256);
  for (;;) {
    DWORD size = static_cast<DWORD>(name.size());
    DWORD rc = settings.EnumNext(enumeration, name.data(), &size);
    if (rc == ERROR_INSUFFICIENT_BUFFER && size > name.size()) {
      // The position stays on a name that does not fit: take it with a larger
      // buffer instead of asking for it again and again.
      name.resize(size);
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    name.back() = 0;
    keys.emplace_back(name.data());
  }
  settings.EnumClose(enumeration);
  return keys;
}

bool ForEachSectionValue(const SettingsFunctions& settings, HANDLE printer, int32_t kind, const char* section,
                         const SectionVisitor& visit) {
  std::optional<std::vector<std::string>> keys = SectionKeys(settings, printer, kind, section);
  if (!keys) return false;
  for (const std::string& key : *keys) {
    std::optional<std::string> value = ReadText(settings, printer, kind, section, key.c_str(), kValueBuffer, true);
    if (!value) continue;
    if (!visit(key, *value)) break;
  }
  return true;
}

}  // namespace modelsettings
