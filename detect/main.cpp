// scopeod5.exe: detection and set-up of one printer queue.
#include <cstdlib>
#include <string>

#include "detect/detect_app.h"
#include "platform/ui/ui_script.h"

namespace {

// The Windows command line: as the starter wrote it when a program of the
// machine started this one, else the arguments joined again.
std::string CommandLine(int argc, char** argv) {
  if (const char* line = std::getenv("ZEL_COMMAND_LINE")) return line;
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string argument = argv[i];
    if (i == 0 && argument.find(' ') != std::string::npos) argument = '"' + argument + '"';
    if (i) line += ' ';
    line += argument;
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // The program's command line is fixed by its starter, so a scripted user is
  // named by the machine: a variable that holds the script file's path.
  platform::ui::UiScript script;
  const char* scriptFile = std::getenv("ZEL_UI_SCRIPT");
  if (scriptFile && *scriptFile) {
    if (!script.LoadFile(scriptFile)) {
      std::fprintf(stderr, "%s\n", script.error().c_str());
      return 2;
    }
    script.Install();
  }
  CDetectApp app;
  app.InitInstance(CommandLine(argc, argv));
  if (scriptFile && *scriptFile) {
    script.Finish();
    script.Uninstall();
    if (script.failed()) {
      std::fprintf(stderr, "%s\n", script.error().c_str());
      return 3;
    }
  }
  return 0;
}
