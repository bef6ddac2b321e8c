#include "interface/util/context_help.h"

#include <cstring>
#include <string>

#include "interface/util/library_folder.h"
#include "platform/base/codepage.h"
#include "platform/base/processes.h"
#include "platform/ui/help.h"
#include "platform/ui/user.h"

namespace {

constexpr HelpTopic kTopics[] = {
    {104, 196, "%s::/dir/idh_edit_replace_sheets.htm"},
    {121, 2, "%s::/dir/idh_document.htm"},
    {123, 3, "%s::/dir/idh_image.htm"},
    {124, 4, "%s::/dir/idh_job_options.htm"},
    {125, 5, "%s::/dir/idh_advanced.htm"},
    {126, 6, "%s::/dir/idh_fonts.htm"},
    {128, 7, "%s::/dir/idh_device_opt.htm"},
    {138, 195, "%s::/dir/idh_forms.htm"},
    {144, 8, "%s::/dir/idh_general.htm"},
    {164, 162, "%s::/dir/idh_finisher.htm"},
    {206, 169, "%s::/dir/idh_separators.htm"},
    {220, 171, "%s::/dir/idh_extra_pages.htm"},
    {432, 162, "%s::/dir/idh_finisher.htm"},
    {445, 98, "%s::/dir/idh_bind_margin.htm"},
    {8911, 97, "%s::/dir/idh_custom_paper_size.htm"},
    {8913, 156, "%s::/dir/idh_profiles.htm"},
};
constexpr HelpTopic kOverview{0, 0, "%s::/dir/idh_printer_driver.htm"};

constexpr size_t kShortestName = 5;

bool IsCompiledHelp(const std::string& name) {
  return name.size() >= 3 && platform::EqualsNoCaseAnsi(std::string_view(name).substr(name.size() - 3), "chm");
}

std::string PageOf(const HelpTopic& row, const std::string& file) {
  std::string page = row.page;
  page.replace(page.find("%s"), 2, file);
  return page;
}

}  // namespace

const HelpTopic& FindHelpTopic(UINT topic) {
  for (const HelpTopic& row : kTopics)
    if (row.topic == topic) return row;
  return kOverview;
}

void ShowContextHelp(const char* helpFile, UINT topic) {
  if (!helpFile) return;
  const std::string name = helpFile;
  if (name.size() < kShortestName || name.find('"') != std::string::npos) return;
  const HelpTopic& row = FindHelpTopic(topic);
  const std::string folder = LibraryFolder();
  if (!IsCompiledHelp(name)) {
    WinHelpA(GetActiveWindow(), (folder + name).c_str(), HELP_CONTEXT, row.contextId);
    return;
  }
  // Quoted as one argument: the driver's folder may hold blanks.
  const std::string command = "hh.exe \"" + folder + PageOf(row, name) + "\"";
  WinExec(command.c_str(), SW_SHOW);
}
