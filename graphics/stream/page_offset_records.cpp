#include "graphics/stream/page_offset_records.h"

PageOffsetRecords::Section* PageOffsetRecords::Find(std::string_view section) {
  for (Section& s : sections_)
    if (s.name == section) return &s;
  return nullptr;
}

const PageOffsetRecords::Section* PageOffsetRecords::Find(std::string_view section) const {
  for (const Section& s : sections_)
    if (s.name == section) return &s;
  return nullptr;
}

void PageOffsetRecords::Set(std::string_view section, std::string_view key, int64_t value) {
  Section* s = Find(section);
  if (s == nullptr) {
    sections_.push_back(Section{std::string(section), {}, {}});
    s = &sections_.back();
  }
  const std::string name(key);
  auto [at, added] = s->index.emplace(name, s->values.size());
  if (added) {
    s->values.emplace_back(name, value);
  } else {
    s->values[at->second].second = value;
  }
}

std::optional<int64_t> PageOffsetRecords::Get(std::string_view section, std::string_view key) const {
  const Section* s = Find(section);
  if (s == nullptr) return std::nullopt;
  auto at = s->index.find(std::string(key));
  if (at == s->index.end()) return std::nullopt;
  return s->values[at->second].second;
}

void PageOffsetRecords::Erase(std::string_view section, std::string_view key) {
  Section* s = Find(section);
  if (s == nullptr) return;
  auto at = s->index.find(std::string(key));
  if (at == s->index.end()) return;
  const size_t gone = at->second;
  s->index.erase(at);
  s->values.erase(s->values.begin() + static_cast<std::ptrdiff_t>(gone));
  for (auto& [name, position] : s->index)
    if (position > gone) --position;
}

std::string PageOffsetRecords::Text() const {
  std::string text;
  for (const Section& s : sections_) {
    if (s.values.empty()) continue;
    text += '[';
    text += s.name;
    text += "]\r\n";
    for (const auto& [key, value] : s.values) {
      text += key;
      text += '=';
      text += std::to_string(value);
      text += "\r\n";
    }
  }
  return text;
}
