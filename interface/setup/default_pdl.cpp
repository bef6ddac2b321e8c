#include "interface/setup/default_pdl.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "model/settings_text.h"
#include "platform/base/codepage.h"

namespace {

// The kinds of language a model lists, and the printer-language word of each.
enum LanguageKind : int { kKindPostScript = 0, kKindPcl = 1, kKindPclXl = 2, kKindCount = 3 };

struct LanguageName {
  const char* name;
  LanguageKind kind;
};

constexpr LanguageName kLanguageNames[] = {
    {"PS3", kKindPostScript}, {"PS2", kKindPostScript}, {"PS1", kKindPostScript},
    {"PS", kKindPostScript},  {"PCL5SI", kKindPcl},     {"PCL5E", kKindPcl},
    {"PCL5", kKindPcl},       {"PCL", kKindPcl},        {"PCLXL", kKindPclXl},
};

constexpr WORD kKindPdl[kKindCount] = {kPdlPs3, kPdlPcl5si, kPdlPclXl};

std::optional<LanguageKind> KindOf(const std::string& language) {
  for (const LanguageName& entry : kLanguageNames) {
    if (platform::EqualsNoCaseAnsi(language, entry.name)) return entry.kind;
  }
  return std::nullopt;
}

// A whole decimal number (an optional sign, then digits), blanks around it allowed.
std::optional<long> DecimalNumber(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

WORD ChooseDefaultPdl(const PdlSectionEntries& entries) {
  std::optional<long> defaultNumber;
  for (const auto& [key, value] : entries) {
    if (platform::EqualsNoCaseAnsi(key, "Default")) {
      defaultNumber = DecimalNumber(value);
      break;
    }
  }
  if (!defaultNumber) return kPdlPcl5si;
  for (const auto& [key, value] : entries) {
    if (platform::EqualsNoCaseAnsi(key, "Default") || DecimalNumber(key) != defaultNumber) continue;
    if (const std::optional<LanguageKind> kind = KindOf(value)) return kKindPdl[*kind];
  }
  return kPdlPcl5si;
}

PdlSectionEntries ReadPdlSection(const SettingsFunctions& settings, HANDLE printer) {
  PdlSectionEntries entries;
  modelsettings::ForEachSectionValue(settings, printer, kStoreModelDescription, "PDL",
                                     [&](const std::string& key, const std::string& value) {
                                       entries.emplace_back(key, value);
                                       return true;
                                     });
  return entries;
}
