// The fonts dialog's sub-dialogs: the install dialog (an open-file dialog on the
// module's template with a hook), the font information dialog and the
// attribute editor of an installed font.
#pragma once

#include <string>
#include <vector>

#include "fontinstaller/installer_records.h"
#include "platform/base/types.h"

namespace fontinstaller {

// "<name> <size> <style>" of a font; a font without a name shows its file name.
std::string FontSummary(const InstalledFontEntry& entry);
std::string FontItemText(const InstalledFontEntry& entry);
std::string FontDescription(const InstalledFontEntry& entry);
std::string LocationText(int32_t location);

// Lowest free id of the location's range among the listed fonts; -1 when none.
int32_t NextFreeFontId(const std::vector<InstalledFontEntry>& list, int32_t location);

void RunFontInstallDialog(HWND owner, InstallerContext* context);
// Dialog 7: the name and family of a font about to be installed; false on Cancel.
bool AskFontInformation(HWND owner, const InstallerContext& context, InstalledFontEntry* entry);
// Dialog 109: edits an installed font and stores what changed; true on OK.
bool EditFontAttributes(HWND owner, InstallerContext* context, const InstalledFontEntry& entry,
                        const std::vector<InstalledFontEntry>& list);

}  // namespace fontinstaller
