// vigilod5.exe: the status monitor of one printer queue.
#include <string>

#include "monitor/main_status_dialog.h"
#include "monitor/monitor_app.h"

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
  PM_CPrintMonitorApp app(CreateMainStatusWindow);
  app.InitInstance(line);
  return app.ExitInstance();
}
