// The resource script: what a module carries, read from a text file of our own.
//
//   # A comment runs to the end of the line.
//   strings <language>                  # one string table per language
//     <id> "<text>" ["<more text>"...]  # adjacent strings are joined
//   end
//   version [<language>]                # the version block (resource 1 of RT_VERSION)
//     fileversion 6.310.23.0
//     productversion 6.310.23.0         # defaults to the file version
//     fileflagsmask 0x3F   fileflags 0   fileos VOS_NT_WINDOWS32
//     filetype VFT_DLL     filesubtype 0  # one setting per line
//     strings <language> <code page>    # a string table: "040904b0" for 0x0409 0x04B0
//       <Key> "<value>"
//     end
//     translation <language> <code page> ...  # defaults to the string tables' pairs
//   end
//   file <type> <name> <language> "<path>"    # data taken from a file, relative to the script
//   MENU <name> [<language>]            # a menu (RT_MENU), stored as its text
//     POPUP "<text>"                    # a pop-up menu, up to its END
//       MENUITEM "<text>" <id> [GRAYED] [CHECKED] [DISABLED]
//       MENUITEM SEPARATOR
//     END
//   END
//
// Numbers are decimal or 0x hexadecimal. A language is a number or japanese (0x0411),
// english (0x0409) or neutral (0). A type is a number, an RT_ name (RT_BITMAP,
// RT_RCDATA, ...) or a name; a resource name is a number or a name ("quoted" or a
// bare word). Text is UTF-8 with the escapes \n \r \t \\ \" \xHH and \uXXXX.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace rescomp {

struct ScriptError : std::runtime_error {
  ScriptError(int lineNumber, const std::string& message) : std::runtime_error(message), line(lineNumber) {}
  int line;
};

struct ResourceId {
  bool named = false;
  uint16_t id = 0;
  std::string name;
};

struct StringTable {
  uint16_t language = 0;
  std::map<uint16_t, std::string> strings;  // UTF-8
  int line = 0;
};

struct VersionStrings {
  uint16_t language = 0;
  uint16_t codePage = 0;
  std::vector<std::pair<std::string, std::string>> values;  // key, value (UTF-8)
};

struct VersionInfo {
  uint16_t language = 0;
  uint16_t fileVersion[4] = {0, 0, 0, 0};
  std::optional<std::array<uint16_t, 4>> productVersion;
  uint32_t fileFlagsMask = 0x3F;
  uint32_t fileFlags = 0;
  uint32_t fileOs = 0x00040004;  // VOS_NT_WINDOWS32
  uint32_t fileType = 2;         // VFT_DLL
  uint32_t fileSubtype = 0;
  std::vector<VersionStrings> tables;
  std::vector<std::pair<uint16_t, uint16_t>> translation;  // empty: the tables' pairs
  int line = 0;
};

struct FileResource {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  std::filesystem::path path;
  int line = 0;
};

struct MenuResource {
  ResourceId name;
  uint16_t language = 0;
  std::string text;  // the statements one a line, texts quoted (UTF-8)
  int line = 0;
};

struct Script {
  std::vector<StringTable> stringTables;
  std::optional<VersionInfo> version;
  std::vector<FileResource> files;
  std::vector<MenuResource> menus;
};

// Throws ScriptError with the line of the fault.
Script ParseScript(const std::string& text, const std::filesystem::path& folder);

}  // namespace rescomp
