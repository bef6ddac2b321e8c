// The macros dialog's sub-dialogs: the install dialog (an open-file dialog on the
// module's template with a hook), the macro information dialog that asks for a
// name, and the attribute editor of an installed macro.
#pragma once

#include <string>
#include <vector>

#include "fontinstaller/installer_records.h"
#include "platform/base/types.h"

namespace fontinstaller {

// The list box line and the status line of an installed macro.
std::string MacroItemText(const InstalledMacroEntry& entry);
std::string MacroDescription(const InstalledMacroEntry& entry);

// Lowest free id of the location's range among the listed macros; -1 when none.
int32_t NextFreeMacroId(const std::vector<InstalledMacroEntry>& list, int32_t location);

// Runs the install dialog; the caller reads its list again afterwards.
void RunMacroInstallDialog(HWND owner, InstallerContext* context);
// Asks for a macro's name (dialog 111); false on Cancel. name is in and out.
bool AskMacroName(HWND owner, const InstallerContext& context, const std::string& file, const std::string& description,
                  std::string* name);
// Edits an installed macro (dialog 105) and stores what changed; true on OK.
bool EditMacroAttributes(HWND owner, InstallerContext* context, const InstalledMacroEntry& entry,
                         const std::vector<InstalledMacroEntry>& list);

}  // namespace fontinstaller
