#include "tools/rescomp/script.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "tools/rescomp/utf.h"

namespace rescomp {
namespace {

struct Token {
  bool quoted = false;
  std::string value;
};

struct Line {
  int number = 0;
  std::vector<Token> tokens;
};

struct Constant {
  const char* name;
  uint32_t value;
};

constexpr Constant kResourceTypes[] = {
    {"RT_CURSOR", 1},      {"RT_BITMAP", 2},   {"RT_ICON", 3},          {"RT_MENU", 4},
    {"RT_DIALOG", 5},      {"RT_STRING", 6},   {"RT_FONTDIR", 7},       {"RT_FONT", 8},
    {"RT_ACCELERATOR", 9}, {"RT_RCDATA", 10},  {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12},
    {"RT_GROUP_ICON", 14}, {"RT_VERSION", 16}, {"RT_HTML", 23},         {"RT_MANIFEST", 24},
};

constexpr Constant kVersionConstants[] = {
    // clang-format off
    {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VS_FF_DEBUG", 0x01},      {"VS_FF_PRERELEASE", 0x02},
    {"VS_FF_PATCHED", 0x04},        {"VS_FF_PRIVATEBUILD", 0x08}, {"VS_FF_INFOINFERRED", 0x10},
    {"VS_FF_SPECIALBUILD", 0x20},   {"VOS_UNKNOWN", 0},         {"VOS_NT", 0x00040000},
    {"VOS__WINDOWS32", 0x04},       {"VOS_NT_WINDOWS32", 0x00040004}, {"VFT_UNKNOWN", 0},
    {"VFT_APP", 1},                 {"VFT_DLL", 2},             {"VFT_DRV", 3},
    {"VFT_FONT", 4},                {"VFT_STATIC_LIB", 7},      {"VFT2_UNKNOWN", 0},
    // clang-format on
    {"VFT2_DRV_PRINTER", 1},
};

constexpr Constant kLanguages[] = {{"japanese", 0x0411}, {"english", 0x0409}, {"neutral", 0}};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads the quoted text that starts at line[i] (the quote); i ends after the closing quote.
std::string ReadQuoted(std::string_view line, size_t& i, int number) {
  std::string out;
  ++i;
  while (i < line.size() && line[i] != '"') {
    char c = line[i++];
    if (c != '\\') {
      out.push_back(c);
      continue;
    }
    if (i >= line.size()) break;
    char escape = line[i++];
    switch (escape) {
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 't': out.push_back('\t'); break;
      case '\\': out.push_back('\\'); break;
      case '"': out.push_back('"'); break;
      case 'x':
      case 'u': {
        const size_t digits = escape == 'x' ? 2 : 4;
        uint32_t value = 0;
        for (size_t k = 0; k < digits; ++k) {
          int digit = i < line.size() ? HexDigit(line[i]) : -1;
          if (digit < 0)
            throw ScriptError(number, std::string("\\") + escape + " needs " + std::to_string(digits) + " hex digits");
          value = value * 16 + static_cast<uint32_t>(digit);
          ++i;
        }
        if (escape == 'x') {
          out.push_back(static_cast<char>(value));
        } else {
          if (value >= 0xD800 && value <= 0xDFFF) throw ScriptError(number, "\\u names half a surrogate pair");
          AppendUtf8(out, value);
        }
        break;
      }
      default: throw ScriptError(number, std::string("unknown escape \\") + escape);
    }
  }
  if (i >= line.size()) throw ScriptError(number, "text not closed by \"");
  ++i;
  return out;
}

std::vector<Token> Tokenize(std::string_view line, int number) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      tokens.push_back({true, ReadQuoted(line, i, number)});
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"' &&
             line[i] != '#') {
        ++i;
      }
      tokens.push_back({false, std::string(line.substr(start, i - start))});
    }
  }
  return tokens;
}

std::optional<uint32_t> Lookup(const Constant* table, size_t size, std::string_view word) {
  for (size_t i = 0; i < size; ++i) {
    if (word == table[i].name) return table[i].value;
  }
  return std::nullopt;
}

template <size_t N>
std::optional<uint32_t> Lookup(const Constant (&table)[N], std::string_view word) {
  return Lookup(table, N, word);
}

bool StartsNumber(std::string_view word) { return !word.empty() && word[0] >= '0' && word[0] <= '9'; }

uint32_t ParseNumber(const Token& token, uint32_t max, int line, const char* what) {
  if (token.quoted || !StartsNumber(token.value))
    throw ScriptError(line, std::string(what) + " must be a number, not '" + token.value + "'");
  errno = 0;
  char* end = nullptr;
  unsigned long long value = std::strtoull(token.value.c_str(), &end, 0);
  if (errno != 0 || *end != '\0') throw ScriptError(line, "'" + token.value + "' is not a number");
  if (value > max) throw ScriptError(line, std::string(what) + " " + token.value + " is too large");
  return static_cast<uint32_t>(value);
}

// A number, a known constant, or constants joined by '|'.
uint32_t ParseVersionValue(const Token& token, int line) {
  if (!token.quoted && !StartsNumber(token.value)) {
    uint32_t value = 0;
    size_t start = 0;
    while (start <= token.value.size()) {
      size_t bar = token.value.find('|', start);
      if (bar == std::string::npos) bar = token.value.size();
      std::string_view word = std::string_view(token.value).substr(start, bar - start);
      auto constant = Lookup(kVersionConstants, word);
      if (!constant) throw ScriptError(line, "unknown constant '" + std::string(word) + "'");
      value |= *constant;
      start = bar + 1;
    }
    return value;
  }
  return ParseNumber(token, 0xFFFFFFFFu, line, "the value");
}

uint16_t ParseLanguage(const Token& token, int line) {
  if (!token.quoted && !StartsNumber(token.value)) {
    if (auto language = Lookup(kLanguages, token.value)) return static_cast<uint16_t>(*language);
    throw ScriptError(line, "unknown language '" + token.value + "'");
  }
  return static_cast<uint16_t>(ParseNumber(token, 0xFFFF, line, "a language"));
}

ResourceId ParseName(const Token& token, int line) {
  if (!token.quoted && StartsNumber(token.value)) {
    uint32_t id = ParseNumber(token, 0xFFFF, line, "an id");
    if (id == 0) throw ScriptError(line, "resource ids start at 1");
    return ResourceId{false, static_cast<uint16_t>(id), {}};
  }
  if (token.value.empty()) throw ScriptError(line, "a resource name cannot be empty");
  // Lookups read "#123" as the number 123, so such a name could never be found.
  if (token.value[0] == '#') throw ScriptError(line, "a resource name cannot start with '#'");
  if (!IsValidUtf8(token.value)) throw ScriptError(line, "the name is not valid UTF-8");
  return ResourceId{true, 0, token.value};
}

ResourceId ParseType(const Token& token, int line) {
  if (!token.quoted) {
    if (auto type = Lookup(kResourceTypes, token.value)) return ResourceId{false, static_cast<uint16_t>(*type), {}};
  }
  return ParseName(token, line);
}

std::array<uint16_t, 4> ParseDottedVersion(const Token& token, int line) {
  std::array<uint16_t, 4> parts{};
  size_t count = 0;
  size_t start = 0;
  const std::string& text = token.value;
  while (start <= text.size()) {
    size_t end = text.find_first_of(".,", start);
    if (end == std::string::npos) end = text.size();
    if (count == 4) throw ScriptError(line, "a version has at most four parts");
    parts[count++] =
        static_cast<uint16_t>(ParseNumber({false, text.substr(start, end - start)}, 0xFFFF, line, "a version part"));
    start = end + 1;
  }
  return parts;
}

std::string JoinText(const std::vector<Token>& tokens, size_t first, int line) {
  if (first >= tokens.size()) throw ScriptError(line, "text expected");
  std::string text;
  for (size_t i = first; i < tokens.size(); ++i) {
    if (!tokens[i].quoted) throw ScriptError(line, "text must be \"quoted\", found '" + tokens[i].value + "'");
    text += tokens[i].value;
  }
  if (!IsValidUtf8(text)) throw ScriptError(line, "the text is not valid UTF-8");
  return text;
}

void Expect(const Line& line, size_t count, const char* usage) {
  if (line.tokens.size() != count) throw ScriptError(line.number, std::string("usage: ") + usage);
}

bool IsKeyword(const Token& token, const char* keyword) { return !token.quoted && token.value == keyword; }

class Parser {
 public:
  Parser(std::vector<Line> lines, std::filesystem::path folder)
      : lines_(std::move(lines)), folder_(std::move(folder)) {}

  Script Run() {
    while (next_ < lines_.size()) {
      const Line& line = lines_[next_++];
      const Token& keyword = line.tokens[0];
      if (IsKeyword(keyword, "strings")) {
        ParseStrings(line);
      } else if (IsKeyword(keyword, "version")) {
        ParseVersion(line);
      } else if (IsKeyword(keyword, "file")) {
        ParseFile(line);
      } else if (IsKeyword(keyword, "MENU")) {
        ParseMenu(line);
      } else {
        throw ScriptError(line.number, "unknown directive '" + keyword.value + "'");
      }
    }
    return std::move(script_);
  }

 private:
  // The next line of a block; the block's own line is named when the script ends first.
  const Line& BlockLine(const Line& opening) {
    if (next_ >= lines_.size()) throw ScriptError(opening.number, "'" + opening.tokens[0].value + "' has no 'end'");
    return lines_[next_++];
  }

  void ParseStrings(const Line& opening) {
    Expect(opening, 2, "strings <language>");
    const uint16_t language = ParseLanguage(opening.tokens[1], opening.number);
    StringTable* table = nullptr;
    for (StringTable& existing : script_.stringTables) {
      if (existing.language == language) table = &existing;
    }
    if (!table) {
      script_.stringTables.push_back(StringTable{language, {}, opening.number});
      table = &script_.stringTables.back();
    }
    for (;;) {
      const Line& line = BlockLine(opening);
      if (IsKeyword(line.tokens[0], "end")) {
        Expect(line, 1, "end");
        return;
      }
      const uint16_t id = static_cast<uint16_t>(ParseNumber(line.tokens[0], 0xFFFF, line.number, "a string id"));
      std::string text = JoinText(line.tokens, 1, line.number);
      if (text.size() > 0xFFFF) throw ScriptError(line.number, "the string is longer than 65535 bytes");
      if (!table->strings.emplace(id, std::move(text)).second) {
        throw ScriptError(line.number, "string " + std::to_string(id) + " is already in this language's table");
      }
    }
  }

  void ParseVersion(const Line& opening) {
    if (opening.tokens.size() > 2) throw ScriptError(opening.number, "usage: version [<language>]");
    if (script_.version) throw ScriptError(opening.number, "a module has one version block");
    VersionInfo version;
    version.line = opening.number;
    if (opening.tokens.size() == 2) version.language = ParseLanguage(opening.tokens[1], opening.number);
    for (;;) {
      const Line& line = BlockLine(opening);
      const Token& keyword = line.tokens[0];
      const int n = line.number;
      if (IsKeyword(keyword, "end")) {
        Expect(line, 1, "end");
        break;
      } else if (IsKeyword(keyword, "fileversion")) {
        Expect(line, 2, "fileversion <a.b.c.d>");
        auto parts = ParseDottedVersion(line.tokens[1], n);
        std::copy(parts.begin(), parts.end(), version.fileVersion);
      } else if (IsKeyword(keyword, "productversion")) {
        Expect(line, 2, "productversion <a.b.c.d>");
        version.productVersion = ParseDottedVersion(line.tokens[1], n);
      } else if (IsKeyword(keyword, "fileflagsmask")) {
        Expect(line, 2, "fileflagsmask <value>");
        version.fileFlagsMask = ParseVersionValue(line.tokens[1], n);
      } else if (IsKeyword(keyword, "fileflags")) {
        Expect(line, 2, "fileflags <value>");
        version.fileFlags = ParseVersionValue(line.tokens[1], n);
      } else if (IsKeyword(keyword, "fileos")) {
        Expect(line, 2, "fileos <value>");
        version.fileOs = ParseVersionValue(line.tokens[1], n);
      } else if (IsKeyword(keyword, "filetype")) {
        Expect(line, 2, "filetype <value>");
        version.fileType = ParseVersionValue(line.tokens[1], n);
      } else if (IsKeyword(keyword, "filesubtype")) {
        Expect(line, 2, "filesubtype <value>");
        version.fileSubtype = ParseVersionValue(line.tokens[1], n);
      } else if (IsKeyword(keyword, "strings")) {
        ParseVersionStrings(line, version);
      } else if (IsKeyword(keyword, "translation")) {
        if (line.tokens.size() < 3 || line.tokens.size() % 2 == 0) {
          throw ScriptError(n, "usage: translation <language> <code page> [<language> <code page>...]");
        }
        for (size_t i = 1; i + 1 < line.tokens.size(); i += 2) {
          version.translation.emplace_back(
              ParseLanguage(line.tokens[i], n),
              static_cast<uint16_t>(ParseNumber(line.tokens[i + 1], 0xFFFF, n, "a code page")));
        }
      } else {
        throw ScriptError(n, "unknown version setting '" + keyword.value + "'");
      }
    }
    script_.version = std::move(version);
  }

  void ParseVersionStrings(const Line& opening, VersionInfo& version) {
    Expect(opening, 3, "strings <language> <code page>");
    VersionStrings table;
    table.language = ParseLanguage(opening.tokens[1], opening.number);
    table.codePage = static_cast<uint16_t>(ParseNumber(opening.tokens[2], 0xFFFF, opening.number, "a code page"));
    for (const VersionStrings& other : version.tables) {
      if (other.language == table.language && other.codePage == table.codePage) {
        throw ScriptError(opening.number, "the version block already has a table for this language and code page");
      }
    }
    for (;;) {
      const Line& line = BlockLine(opening);
      if (IsKeyword(line.tokens[0], "end")) {
        Expect(line, 1, "end");
        break;
      }
      const std::string& key = line.tokens[0].value;
      if (key.empty() || !IsValidUtf8(key)) throw ScriptError(line.number, "a version string needs a name");
      for (const auto& [existing, value] : table.values) {
        if (existing == key) throw ScriptError(line.number, "'" + key + "' is already in this table");
      }
      table.values.emplace_back(key, JoinText(line.tokens, 1, line.number));
    }
    version.tables.push_back(std::move(table));
  }

  void ParseFile(const Line& line) {
    Expect(line, 5, "file <type> <name> <language> \"<path>\"");
    FileResource file;
    file.line = line.number;
    file.type = ParseType(line.tokens[1], line.number);
    if (!file.type.named && (file.type.id == 6 || file.type.id == 16)) {
      throw ScriptError(line.number, "string tables and the version come from 'strings' and 'version' blocks");
    }
    file.name = ParseName(line.tokens[2], line.number);
    file.language = ParseLanguage(line.tokens[3], line.number);
    file.path = folder_ / std::filesystem::path(line.tokens[4].value);
    script_.files.push_back(std::move(file));
  }

  static std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
      if (c == '"' || c == '\\') quoted.push_back('\\');
      if (c == '\n') {
        quoted += "\\n";
        continue;
      }
      if (c == '\t') {
        quoted += "\\t";
        continue;
      }
      quoted.push_back(c);
    }
    return quoted + "\"";
  }

  void ParseMenu(const Line& opening) {
    if (opening.tokens.size() < 2 || opening.tokens.size() > 3) {
      throw ScriptError(opening.number, "usage: MENU <name> [<language>]");
    }
    MenuResource menu;
    menu.line = opening.number;
    menu.name = ParseName(opening.tokens[1], opening.number);
    if (opening.tokens.size() == 3) menu.language = ParseLanguage(opening.tokens[2], opening.number);
    int depth = 0;  // open POPUPs
    int items = 0;
    for (;;) {
      const Line& line = BlockLine(opening);
      const Token& keyword = line.tokens[0];
      const int n = line.number;
      if (IsKeyword(keyword, "END")) {
        Expect(line, 1, "END");
        if (depth == 0) break;
        --depth;
        menu.text += "END\n";
      } else if (IsKeyword(keyword, "POPUP")) {
        if (line.tokens.size() != 2 || !line.tokens[1].quoted) throw ScriptError(n, "usage: POPUP \"<text>\"");
        ++depth;
        ++items;
        menu.text += "POPUP " + Quote(line.tokens[1].value) + "\n";
      } else if (IsKeyword(keyword, "MENUITEM")) {
        ++items;
        if (line.tokens.size() == 2 && IsKeyword(line.tokens[1], "SEPARATOR")) {
          menu.text += "MENUITEM SEPARATOR\n";
          continue;
        }
        if (line.tokens.size() < 3 || !line.tokens[1].quoted) {
          throw ScriptError(n, "usage: MENUITEM \"<text>\" <id> [GRAYED] [CHECKED] [DISABLED]");
        }
        const uint32_t id = ParseNumber(line.tokens[2], 0xFFFF, n, "a command id");
        std::string statement = "MENUITEM " + Quote(line.tokens[1].value) + " " + std::to_string(id);
        for (size_t i = 3; i < line.tokens.size(); ++i) {
          const Token& option = line.tokens[i];
          if (!IsKeyword(option, "GRAYED") && !IsKeyword(option, "CHECKED") && !IsKeyword(option, "DISABLED")) {
            throw ScriptError(n, "unknown menu item option '" + option.value + "'");
          }
          statement += " " + option.value;
        }
        menu.text += statement + "\n";
      } else {
        throw ScriptError(n, "unknown menu statement '" + keyword.value + "'");
      }
    }
    if (items == 0) throw ScriptError(opening.number, "the menu has no items");
    script_.menus.push_back(std::move(menu));
  }

  std::vector<Line> lines_;
  std::filesystem::path folder_;
  size_t next_ = 0;
  Script script_;
};

}  // namespace

Script ParseScript(const std::string& text, const std::filesystem::path& folder) {
  std::string_view rest = text;
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);  // a UTF-8 byte order mark
  std::vector<Line> lines;
  int number = 0;
  while (!rest.empty()) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    ++number;
    std::vector<Token> tokens = Tokenize(line, number);
    if (!tokens.empty()) lines.push_back(Line{number, std::move(tokens)});
  }
  return Parser(std::move(lines), folder).Run();
}

}  // namespace rescomp
