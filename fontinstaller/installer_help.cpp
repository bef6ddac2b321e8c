// Help of the installer's dialogs: a help file of the old kind through WinHelp,
// a compiled HTML help file through its viewer, both from the module's folder.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/processes.h"
#include "platform/ui/help.h"
#include "platform/ui/user.h"

namespace fontinstaller {

namespace {

const char* TopicPage(int topic) {
  switch (topic) {
    case 2: return "idh_pcl_fonts.htm";
    case 3: return "idh_pcl_macros.htm";
    case 10: return "idh_edit_installed_font.htm";
    case 17: return "idh_edit_installed_macro.htm";
    case 23: return "idh_install_pcl_fonts.htm";
    case 28: return "idh_install_pcl_macros.htm";
    case 36: return "idh_configure.htm";
    case 46: return "idh_font_information.htm";
    case 47: return "idh_macro_information.htm";
    default: return nullptr;
  }
}

bool EndsInChm(const std::string& name) {
  if (name.size() < 3) return false;
  std::string end = name.substr(name.size() - 3);
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == "chm";
}

}  // namespace

void ShowInstallerHelp(HWND owner, int topic, const InstallerContext& context) {
  const std::string file(context.helpFile, strnlen(context.helpFile, sizeof context.helpFile));
  if (file.size() < 5) return;
  const std::string path = InstallerFolder() + file;
  if (!EndsInChm(file)) {
    if (topic < 0) {
      WinHelpA(owner, path.c_str(), HELP_QUIT, 0);
    } else {
      WinHelpA(owner, path.c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(topic));
    }
    return;
  }
  if (topic < 0) return;
  const char* page = TopicPage(topic);
  if (!page) return;
  // One argument, quoted: the module's folder may hold blanks.
  const std::string commandLine = "hh.exe \"" + path + "::/dir/" + page + "\"";
  WinExec(commandLine.c_str(), SW_SHOW);
}

}  // namespace fontinstaller
