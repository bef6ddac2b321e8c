#include "interface/util/detection_command.h"

#include "platform/base/module_folder.h"

namespace {
constexpr const char* kDetectionProgram = "scopeod5.exe";
constexpr const char* kSettingsLibrary = "zeldb5.dll";
}  // namespace

std::string DetectionProgramPath(HMODULE library) {
  const std::string folder = platform::ModuleFolder(library);
  return folder.empty() ? std::string() : folder + kDetectionProgram;
}

std::string DetectionCommandLine(HMODULE library, const char* printerName) {
  const std::string program = DetectionProgramPath(library);
  if (program.empty()) return {};
  // Quoted, so that a driver folder with blanks still names the program whole.
  return "\"" + program + "\" " + (printerName ? printerName : "") + "\"" + kSettingsLibrary + "\"1";
}
