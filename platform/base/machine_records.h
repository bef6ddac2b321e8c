// Records of what a Windows machine would have shown or opened (help viewers,
// documents): one tab-separated line per record in a file under the machine
// root's "records" folder, which every process of the machine appends to.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Appends one record; tabs and line ends inside a field become blanks.
void AppendMachineRecord(const std::string& fileName, const std::vector<std::string>& fields);
// The records of the file so far, oldest first, each split into its fields.
std::vector<std::vector<std::string>> ReadMachineRecords(const std::string& fileName);

}  // namespace platform
