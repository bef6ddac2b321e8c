// vigilod5.exe: the status monitor of one printer queue.
#include <cstdio>
#include <cstdlib>

#include "monitor/main_status_dialog.h"
#include "monitor/monitor_app.h"
#include "platform/base/processes.h"
#include "platform/ui/ui_script.h"

int main() {
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
  // The line as the starter wrote it: a printer name with two blanks in a row
  // is the name of another queue once the arguments are joined again.
  PM_CPrintMonitorApp app(CreateMainStatusWindow);
  app.InitInstance(GetCommandLineA());
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
