#include "platform/base/ini_document.h"

#include "platform/base/codepage.h"

namespace platform {
namespace {

// None of these bytes can be the trail byte of a double-byte character (trail
// bytes start at 0x40), so trimming them byte by byte is safe.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Position of the first c that is a character of its own, not a trail byte.
size_t FindChar(std::string_view text, char c, UINT codePage) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == c) return i;
    if (i + 1 < text.size() && IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i]))) ++i;
  }
  return std::string_view::npos;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

IniDocument::IniDocument(std::string text, UINT codePage) : codePage_(codePage ? codePage : AnsiCodePage()) {
  Parse(text);
}

std::u16string IniDocument::Fold(std::string_view name) const { return FoldCase(ToUtf16(Trim(name), codePage_)); }

IniDocument::Line IniDocument::ParseLine(std::string_view text) const {
  Line line;
  line.text = std::string(text);
  std::string_view body = Trim(text);
  if (body.empty() || body.front() == ';') return line;
  if (body.front() == '[') {
    size_t close = FindChar(body, ']', codePage_);
    if (close == std::string_view::npos) return line;  // no closing bracket: not a header
    line.kind = LineKind::Section;
    line.name = std::string(Trim(body.substr(1, close - 1)));
    return line;
  }
  size_t equals = FindChar(body, '=', codePage_);
  std::string_view name = Trim(body.substr(0, equals));
  if (name.empty()) return line;
  line.kind = LineKind::Key;
  line.name = std::string(name);
  if (equals != std::string_view::npos) line.value = Unquote(Trim(body.substr(equals + 1)));
  return line;
}

void IniDocument::Parse(std::string_view text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t newline = text.find('\n', start);
    std::string_view content;
    std::string eol;
    if (newline == std::string_view::npos) {
      content = text.substr(start);
      start = text.size();
    } else {
      content = text.substr(start, newline - start);
      eol = "\n";
      if (!content.empty() && content.back() == '\r') {
        content.remove_suffix(1);
        eol = "\r\n";
      }
      start = newline + 1;
    }
    Line line = ParseLine(content);
    line.eol = std::move(eol);
    lines_.push_back(std::move(line));
  }
  Reindex();
}

void IniDocument::Reindex() {
  constexpr size_t kNone = static_cast<size_t>(-1);
  sections_.clear();
  sectionIndex_.clear();
  // The section the following lines belong to; kNone before the first header and
  // inside a later duplicate, whose keys the first occurrence hides.
  size_t current = kNone;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::Section) {
      if (current != kNone) sections_[current].end = i;
      current = kNone;
      std::u16string folded = Fold(line.name);
      if (sectionIndex_.count(folded)) continue;
      current = sections_.size();
      sectionIndex_.emplace(std::move(folded), current);
      sections_.push_back(Section{line.name, i, i + 1, {}, {}});
    } else if (line.kind == LineKind::Key && current != kNone) {
      Section& section = sections_[current];
      if (section.keyIndex.emplace(Fold(line.name), i).second) section.keys.push_back(i);
    }
  }
  if (current != kNone) sections_[current].end = lines_.size();
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  auto it = sectionIndex_.find(Fold(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

std::optional<std::string> IniDocument::Value(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  auto it = found->keyIndex.find(Fold(key));
  if (it == found->keyIndex.end()) return std::nullopt;
  return lines_[it->second].value;
}

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const Section& section : sections_) names.push_back(section.name);
  return names;
}

std::optional<std::vector<std::string>> IniDocument::KeyNames(std::string_view section) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  std::vector<std::string> names;
  names.reserve(found->keys.size());
  for (size_t line : found->keys) names.push_back(lines_[line].name);
  return names;
}

std::optional<std::vector<std::string>> IniDocument::SectionEntries(std::string_view section) const {
  const Section* found = FindSection(section);
  if (!found) return std::nullopt;
  std::vector<std::string> entries;
  entries.reserve(found->keys.size());
  for (size_t index : found->keys) {
    const Line& line = lines_[index];
    entries.push_back(line.value ? line.name + "=" + *line.value : line.name);
  }
  return entries;
}

std::string IniDocument::NewLineEnding() const {
  for (const Line& line : lines_) {
    if (!line.eol.empty()) return line.eol;
  }
  return "\r\n";
}

bool IniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  std::string sectionName(Trim(section));
  std::string keyName(Trim(key));
  std::string eol = NewLineEnding();
  const Section* found = FindSection(sectionName);
  if (found) {
    auto it = found->keyIndex.find(Fold(keyName));
    if (it != found->keyIndex.end()) {
      Line& line = lines_[it->second];
      // The key keeps the spelling it has in the file; only its value changes.
      if (line.value && *line.value == value) return false;  // reads back the same: leave the line
      Line replaced = ParseLine(line.name + "=" + std::string(value));
      replaced.eol = line.eol;
      line = std::move(replaced);
      Reindex();
      return true;
    }
    // A new key goes after the section's last key (or its header), ahead of the
    // blank lines and comments that lead to the next section.
    size_t insertAt = found->header + 1;
    for (size_t i = found->header + 1; i < found->end; ++i) {
      if (lines_[i].kind == LineKind::Key) insertAt = i + 1;
    }
    if (lines_[insertAt - 1].eol.empty()) lines_[insertAt - 1].eol = eol;
    Line line = ParseLine(keyName + "=" + std::string(value));
    line.eol = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
    Reindex();
    return true;
  }
  if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
  Line header = ParseLine("[" + sectionName + "]");
  header.eol = eol;
  Line line = ParseLine(keyName + "=" + std::string(value));
  line.eol = eol;
  lines_.push_back(std::move(header));
  lines_.push_back(std::move(line));
  Reindex();
  return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const Section* found = FindSection(section);
  if (!found) return false;
  // Every line of that key in the section goes, so a duplicate cannot surface.
  std::u16string folded = Fold(key);
  bool changed = false;
  for (size_t i = found->end; i-- > found->header + 1;) {
    if (lines_[i].kind == LineKind::Key && Fold(lines_[i].name) == folded) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      changed = true;
    }
  }
  if (changed) Reindex();
  return changed;
}

bool IniDocument::DeleteSection(std::string_view section) {
  std::u16string folded = Fold(section);
  std::vector<Line> kept;
  kept.reserve(lines_.size());
  bool inDeleted = false;
  bool changed = false;
  for (Line& line : lines_) {
    if (line.kind == LineKind::Section) inDeleted = Fold(line.name) == folded;
    if (inDeleted) {
      changed = true;
      continue;
    }
    kept.push_back(std::move(line));
  }
  lines_ = std::move(kept);
  Reindex();
  return changed;
}

std::string IniDocument::Text() const {
  std::string text;
  for (const Line& line : lines_) {
    text += line.text;
    text += line.eol;
  }
  return text;
}

bool IniDocument::IsWritableName(std::string_view text, NameKind kind, UINT codePage) {
  if (codePage == 0) codePage = AnsiCodePage();
  if (text.find('\n') != std::string_view::npos || text.find('\r') != std::string_view::npos) return false;
  if (text.find('\0') != std::string_view::npos) return false;
  if (kind == NameKind::Value) return true;
  std::string_view name = Trim(text);
  if (name.empty()) return false;
  if (kind == NameKind::Section) return FindChar(name, ']', codePage) == std::string_view::npos;
  // A key must read back as itself: not a comment or a section header, no "=".
  return name.front() != ';' && name.front() != '[' && FindChar(name, '=', codePage) == std::string_view::npos;
}

}  // namespace platform
