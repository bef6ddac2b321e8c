// Reads one section straight from an ELF file (32-bit or 64-bit, little-endian), so
// a module's resources can be read without loading the module.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace platform {

enum class ElfSectionResult { Found, NoFile, NotElf, NoSection };

ElfSectionResult ReadElfSection(const std::filesystem::path& file, std::string_view sectionName,
                                std::vector<unsigned char>& contents);

}  // namespace platform
