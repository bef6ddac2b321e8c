// Reading a model description's keys and sections through the bound settings
// functions, with buffers that never let a long value pass for a short one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_binding.h"

namespace modelsettings {

// Buffer sizes: table values get room for far longer records than any
// description holds, so that a value is either read whole or refused; single
// keys of "General", "Memory" and "VariableSize" are numbers and short names.
constexpr DWORD kValueBuffer = 1024;
constexpr DWORD kSingleKeyBuffer = 260;

// The text of one setting; nothing when the store answers an error. With
// refuseCut, a value that fills the whole buffer (and so may have been cut) is
// treated as unreadable.
std::optional<std::string> ReadText(const SettingsFunctions& settings, HANDLE printer, int32_t kind,
                                    const char* section, const char* key, DWORD bufferSize, bool refuseCut);

// Calls visit(key, value) for each key of a section, in the store's order, until
// visit answers false. Keys whose value cannot be read whole are passed over.
// Answers false when the section cannot be enumerated.
using SectionVisitor = std::function<bool(const std::string& key, const std::string& value)>;
bool ForEachSectionValue(const SettingsFunctions& settings, HANDLE printer, int32_t kind, const char* section,
                         const SectionVisitor& visit);

// The key names of a section (empty when it cannot be enumerated).
std::optional<std::vector<std::string>> SectionKeys(const SettingsFunctions& settings, HANDLE printer, int32_t kind,
                                                    const char* section);

}  // namespace modelsettings
