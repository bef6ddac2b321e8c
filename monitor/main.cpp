// vigilod5.exe: the status monitor of one printer queue.
#include "monitor/main_status_dialog.h"
#include "monitor/monitor_app.h"
#include "platform/base/processes.h"

int main() {
  // The line as the starter wrote it: a printer name with two blanks in a row
  // is the name of another queue once the arguments are joined again.
  PM_CPrintMonitorApp app(CreateMainStatusWindow);
  app.InitInstance(GetCommandLineA());
  return app.ExitInstance();
}
