// vigilod5.exe: the status monitor of one printer queue.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "monitor/main_status_dialog.h"
#include "monitor/monitor_app.h"
#include "platform/ui/ui_script.h"

int main(int argc, char** argv) {
  // The Windows command line as the starter wrote it: the arguments joined
  // again, a quoted one (the program's path) quoted again.
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument.find(' ') != std::string::npos && argument.find("_(") == std::string::npos &&
        argument.find("_{") == std::string::npos) {
      argument = '"' + argument + '"';
    }
    if (i) line += ' ';
    line += argument;
  }
  // The command line is fixed by its starter, so a scripted user is named by
  // the machine: a variable that holds the script file's path.
  platform::ui::UiScript script;
  const char* scriptFile = std::getenv("ZEL_UI_SCRIPT");
  const bool scripted = scriptFile && *scriptFile;
  if (scripted) {
    if (!script.LoadFile(scriptFile)) {
      std::fprintf(stderr, "%s\n", script.error().c_str());
      return 2;
    }
    script.Install();
  }
  PM_CPrintMonitorApp app(CreateMainStatusWindow);
  app.InitInstance(line);
  const int result = app.ExitInstance();
  if (scripted) {
    script.Finish();
    script.Uninstall();
    if (script.failed()) {
      std::fprintf(stderr, "%s\n", script.error().c_str());
      return 3;
    }
  }
  return result;
}
