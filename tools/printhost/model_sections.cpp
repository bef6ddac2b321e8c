#include "tools/printhost/model_sections.h"

#include <algorithm>
#include <cctype>
#include <fstream>

namespace printhost {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ModelSectionEntries(const std::filesystem::path& modelDescription,
                                                                     const std::string& section) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::ifstream in(modelDescription, std::ios::binary);
  const std::string wanted = "[" + Upper(section) + "]";
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    line = Trimmed(line);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inSection = Upper(line) == wanted;
      continue;
    }
    const size_t equals = line.find('=');
    if (inSection && equals != std::string::npos)
      entries.emplace_back(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
  }
  return entries;
}

std::optional<long> HighestUnitNumber(const std::filesystem::path& modelDescription, const std::string& section) {
  std::optional<long> highest;
  for (const auto& [key, value] : ModelSectionEntries(modelDescription, section)) {
    if (key.empty() || key.size() > 9 ||
        !std::all_of(key.begin(), key.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
      continue;
    highest = std::max(highest.value_or(0), std::stol(key));
  }
  return highest;
}

}  // namespace printhost
