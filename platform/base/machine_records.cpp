#include "platform/base/machine_records.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/base/machine.h"

namespace platform {
namespace {

std::filesystem::path RecordsFile(const std::string& fileName) { return MachineRoot() / "records" / fileName; }

// Tabs and line ends inside a field would break the one-line record.
std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

}  // namespace

void AppendMachineRecord(const std::string& fileName, const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i ? "\t" : "") + Field(fields[i]);
  std::error_code error;
  std::filesystem::create_directories(RecordsFile(fileName).parent_path(), error);
  // One write of a whole line in append mode: records of several processes
  // interleave by line, never inside one.
  std::ofstream out(RecordsFile(fileName), std::ios::app | std::ios::binary);
  out << line + "\n" << std::flush;
}

std::vector<std::vector<std::string>> ReadMachineRecords(const std::string& fileName) {
  std::vector<std::vector<std::string>> records;
  std::ifstream in(RecordsFile(fileName), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    // A last empty field leaves no text after its tab.
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    records.push_back(std::move(fields));
  }
  return records;
}

}  // namespace platform
