// One ini file held in memory: the lines exactly as they were read (so a write
// keeps every comment, blank line and line ending it does not touch) and an
// index of sections and keys matched without regard to case.
//
// The text is ANSI in the process's code page. Sections, keys and values are
// found DBCS-aware: in code page 932 "]" and other ASCII bytes can be the trail
// byte of a double-byte character, so they are never taken for syntax.
//
// Reading rules, as Windows' profile functions have them: blanks around "=" and
// at the ends of a line are dropped; a value enclosed in matching double or single
// quotes loses them; lines starting with ";" are comments; lines before the first
// section are ignored; a duplicate key or section is hidden by the first one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/base/types.h"

namespace platform {

class IniDocument {
 public:
  // Parses ANSI text in the given code page (0 means the process's ANSI code page).
  explicit IniDocument(std::string text = {}, UINT codePage = 0);

  UINT codePage() const { return codePage_; }

  bool HasSection(std::string_view section) const;
  // The value of a key of the (first) section of that name; nothing when the
  // section or key is absent, or the key's line has no "=".
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Section names in file order, each once, as spelled where it first appears.
  std::vector<std::string> SectionNames() const;
  // Key names of a section in file order, each once; nothing when the section is absent.
  std::optional<std::vector<std::string>> KeyNames(std::string_view section) const;
  // "key=value" (or "key" for a line without "=") for each key of a section, each
  // key once with the value a lookup answers; nothing when the section is absent.
  std::optional<std::vector<std::string>> SectionEntries(std::string_view section) const;

  // Edits. Each answers whether the text changed. Names that could not be read
  // back (line breaks anywhere, "=" in a key, "]" in a section name, or a name
  // with nothing but blanks) must be refused by the caller: see IsWritableName.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name, with its keys and comments.
  bool DeleteSection(std::string_view section);

  std::string Text() const;

  enum class NameKind { Section, Key, Value };
  static bool IsWritableName(std::string_view text, NameKind kind, UINT codePage = 0);

 private:
  enum class LineKind { Other, Section, Key };
  struct Line {
    std::string text;  // without the line ending
    std::string eol;   // "\r\n", "\n" or "" (last line without one)
    LineKind kind = LineKind::Other;
    std::string name;                  // section or key name, blanks trimmed
    std::optional<std::string> value;  // key lines: the value as read, if there is "="
  };
  struct Section {
    std::string name;
    size_t header = 0;                                    // line index of the header
    size_t end = 0;                                       // one past its last line
    std::vector<size_t> keys;                             // line index of each key's first occurrence, file order
    std::unordered_map<std::u16string, size_t> keyIndex;  // folded name -> line index
  };

  void Parse(std::string_view text);
  void Reindex();
  Line ParseLine(std::string_view text) const;
  std::u16string Fold(std::string_view name) const;
  const Section* FindSection(std::string_view name) const;
  std::string NewLineEnding() const;

  UINT codePage_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;  // first occurrence of each name only
  std::unordered_map<std::u16string, size_t> sectionIndex_;
};

}  // namespace platform
