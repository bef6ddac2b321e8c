// Reading a model description's sections the way the host needs them: the
// entries of one section, and the largest number a numbered list of units
// (staple positions, punch and fold units) lets an option choose.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace printhost {

// The key=value entries of the section (its name without brackets, any case),
// keys and values trimmed; empty when the file or the section is missing.
std::vector<std::pair<std::string, std::string>> ModelSectionEntries(const std::filesystem::path& modelDescription,
                                                                     const std::string& section);

// The largest decimal key of the section: the highest unit number the model
// has. Nothing when the model lists no such unit.
std::optional<long> HighestUnitNumber(const std::filesystem::path& modelDescription, const std::string& section);

}  // namespace printhost
