#include "monitor/monitor_help.h"

#include <strings.h>
#include <cstdio>

#include "common/settings_store.h"
#include "monitor/monitor_settings.h"
#include "platform/base/module_folder.h"
#include "platform/base/processes.h"
#include "platform/spooler/spooler.h"
#include "platform/ui/help.h"
#include "platform/ui/user.h"

namespace {

struct Topic {
  unsigned dialog;
  unsigned context;
  const char* page;
};
constexpr Topic kTopics[] = {
    {102, 1, "%s::/dir/idh_main_dialog.htm"},       {145, 38, "%s::/dir/idh_event_configuration.htm"},
    {155, 40, "%s::/dir/idh_event_settings.htm"},   {160, 39, "%s::/dir/idh_event_information.htm"},
    {165, 41, "%s::/dir/idh_monitor_settings.htm"},
};
constexpr Topic kOtherTopic = {0, 37, "%s::/dir/idh_main_dialog.htm"};

}  // namespace

void SplitHelpPath(std::string* folder, std::string* fileName, const std::string& path) {
  const size_t cut = path.find_last_of("\\:");
  if (folder) *folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  if (fileName) *fileName = cut == std::string::npos ? path : path.substr(cut + 1);
}

int ShowMonitorHelp(const std::string& printerName, unsigned dialogId) {
  std::string name;
  HANDLE printer = 0;
  if (OpenPrinterA(const_cast<char*>(printerName.c_str()), &printer, nullptr)) {
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    if (monitor::Db().GetString(printer, kStoreModelDescription, "General", "PrinterMonitorHelp", buffer, &size) == 0 &&
        buffer[0]) {
      name = buffer;
    } else {
      name = "vigilod5.hlp";
    }
    ClosePrinter(printer);
  }
  if (name.size() < 5) return static_cast<int>(name.size());
  const std::string folder = platform::ModuleFolder(0);
  Topic topic = kOtherTopic;
  for (const Topic& t : kTopics) {
    if (t.dialog == dialogId) topic = t;
  }
  if (strcasecmp(name.c_str() + name.size() - 3, "chm") != 0) {
    return WinHelpA(GetFocus(), (folder + name).c_str(), HELP_CONTEXT, topic.context);
  }
  char page[600] = {};
  std::snprintf(page, sizeof page, topic.page, name.c_str());
  // The folder and page are one argument, quoted, so a folder with blanks stays whole.
  return static_cast<int>(WinExec(("hh.exe \"" + folder + page + "\"").c_str(), SW_SHOW));
}
