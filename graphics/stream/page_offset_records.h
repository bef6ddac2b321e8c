// The page-offset records of a job, kept in memory while the job runs: one
// value per section and key, in the order first recorded. The file the records
// describe is written once, whole, when the stored pages are read back; a file
// rewritten for every record made a long stored job quadratic.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class PageOffsetRecords {
 public:
  void Set(std::string_view section, std::string_view key, int64_t value);
  std::optional<int64_t> Get(std::string_view section, std::string_view key) const;
  void Erase(std::string_view section, std::string_view key);
  // The records as ini text: "[section]" lines, each followed by its
  // "key=value" lines in decimal.
  std::string Text() const;

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, int64_t>> values;
    std::unordered_map<std::string, size_t> index;
  };
  Section* Find(std::string_view section);
  const Section* Find(std::string_view section) const;

  std::vector<Section> sections_;
};
