// The PCL macros dialog: the installed macros of the printer and the actions on them.
#include <cstdio>
#include <cstring>
#include <vector>

#include "fontinstaller/download.h"
#include "fontinstaller/installed_list_dialog.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/macro_dialogs.h"
#include "platform/base/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

struct MacrosKind {
  using Entry = InstalledMacroEntry;
  static constexpr int kKind = kKindMacros;
  static constexpr int kListId = 1039;
  static constexpr int kHelpTopic = kHelpPclMacros;
  static constexpr UINT kCaption = 664;
  static std::vector<Entry> Read(const char* printerName) { return ReadMacroList(printerName); }
  static std::string ItemText(const Entry& entry) { return MacroItemText(entry); }
  static std::string Description(const Entry& entry) { return MacroDescription(entry); }
  static void Install(HWND dialog, InstallerContext* context) { RunMacroInstallDialog(dialog, context); }
  static void Edit(HWND dialog, ListState<Entry>& state);
  static void Delete(HWND dialog, ListState<Entry>& state);
  static void Download(HWND dialog, ListState<Entry>& state);
  // Macros have no metrics files to bring along.
  static void BeforeUpdate(const InstallerContext&) {}
};

using MacrosDialog = InstalledListDialog<MacrosKind>;
using MacrosState = ListState<InstalledMacroEntry>;
constexpr UINT kCaption = MacrosKind::kCaption;

void Select(HWND dialog, MacrosState& state, int32_t id, int32_t location) {
  for (size_t i = 0; i < state.list.size(); ++i) {
    if (state.list[i].id == id && state.list[i].location == location) {
      SendDlgItemMessageA(dialog, MacrosKind::kListId, LB_SETCURSEL, i, 0);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(MacrosKind::kListId, LBN_SELCHANGE), 0);
      return;
    }
  }
}

}  // namespace

void MacrosKind::Download(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = MacrosDialog::Selected(dialog, state);
  if (!selected) return;
  const InstalledMacroEntry entry = *selected;
  if (!MacrosDialog::MayChangeEntry(dialog, state, entry, 694, false)) return;
  if (InstallerBox(dialog, 663, 719, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  SetStatus(dialog, LoadText(642));
  if (!DownloadMacro(dialog, state.context->printerName, entry, kDownloadToMemory)) {
    SetStatus(dialog, LoadText(640));
    return;
  }
  InstalledMacroEntry loaded = entry;
  loaded.flags |= kEntryInMemory;
  InstalledMacroEntry old = entry;
  UpdateInfoMacro(dialog, state.context->printerName, &old, &loaded, kUpdateMemoryMark, state.context->flags);
  MacrosDialog::ReadList(dialog, state);
  Select(dialog, state, entry.id, entry.location);
  SetStatus(dialog, std::string(entry.name) + LoadText(641));
}

void MacrosKind::Delete(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = MacrosDialog::Selected(dialog, state);
  if (!selected) return;
  InstalledMacroEntry entry = *selected;
  if (!MacrosDialog::MayChangeEntry(dialog, state, entry, 693, true)) return;
  const UINT text = entry.location == kLocationPrinterDisk ? 661 : 660;
  const int answer = InstallerBox(dialog, text, 662, MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION);
  if (answer != IDYES && answer != IDNO) return;
  if (UpdateInfoMacro(dialog, state.context->printerName, &entry, nullptr, kUpdateRemove, state.context->flags) != 1) {
    MacrosDialog::ReadList(dialog, state);
    SetStatus(dialog, LoadText(725));
    return;
  }
  if (answer == IDYES) {
    const bool removed =
        entry.location == kLocationPrinterDisk
            ? deletePCLFile(dialog, entry.name, kKindMacros, state.context->printerName, nullptr, &entry) == 1
            : DeleteFileA(entry.filePath) != FALSE;
    if (!removed) {
      const std::string file = entry.location == kLocationPrinterDisk ? std::string(entry.name) : entry.filePath;
      InstallerBox(dialog, 699, kCaption, MB_OK | MB_ICONERROR, file);
    }
  }
  MacrosDialog::ReadList(dialog, state);
  SetStatus(dialog, "");
}

void MacrosKind::Edit(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = MacrosDialog::Selected(dialog, state);
  if (!selected) return;
  const InstalledMacroEntry entry = *selected;
  if (!MacrosDialog::MayChangeEntry(dialog, state, entry, 696, true)) return;
  if (!EditMacroAttributes(dialog, state.context, entry, state.list)) return;
  MacrosDialog::ReadList(dialog, state);
  SetStatus(dialog, "");
}

std::string MacroItemText(const InstalledMacroEntry& entry) {
  std::string where = LoadText(entry.location == kLocationPrinterDisk ? 675 : 674);
  if (entry.flags & kEntryResident) {
    where += LoadText(676);
  } else if (entry.flags & kEntryInMemory) {
    where += LoadText(677);
  }
  return std::string(entry.name) + "   <" + where + ">" + std::string(40, ' ') + "\t\t\t\t\t\t\t" + entry.filePath +
         "\t" + std::to_string(entry.location);
}

std::string MacroDescription(const InstalledMacroEntry& entry) {
  const std::string where = LoadText(entry.location == kLocationPrinterDisk ? 675 : 674);
  return std::string(entry.name) + " [id=" + std::to_string(entry.id) + ", " + where + ", " + entry.filePath + "]";
}

int32_t NextFreeMacroId(const std::vector<InstalledMacroEntry>& list, int32_t location) {
  const int32_t first = location == kLocationPrinterDisk ? 3000 : 1000;
  for (int32_t id = first; id <= first + 999; ++id) {
    bool used = false;
    for (const InstalledMacroEntry& entry : list) used = used || (entry.id == id && entry.location == location);
    if (!used) return id;
  }
  return -1;
}

INT_PTR RunMacrosDialog(HWND owner, InstallerContext* context) { return MacrosDialog::Run(owner, 103, context); }

}  // namespace fontinstaller
