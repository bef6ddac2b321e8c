#include "interface/util/detection_command.h"

#include "platform/base/modules.h"

namespace {
constexpr const char* kDetectionProgram = "scopeod5.exe";
constexpr const char* kSettingsLibrary = "zeldb5.dll";
}  // namespace

std::string DetectionProgramPath(HMODULE library) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(library, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::string folder(path, length);
  const size_t slash = folder.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  return folder.substr(0, slash + 1) + kDetectionProgram;
}

std::string DetectionCommandLine(HMODULE library, const char* printerName) {
  const std::string program = DetectionProgramPath(library);
  if (program.empty()) return {};
  // Quoted, so that a driver folder with blanks still names the program whole.
  return "\"" + program + "\" " + (printerName ? printerName : "") + "\"" + kSettingsLibrary + "\"1";
}
