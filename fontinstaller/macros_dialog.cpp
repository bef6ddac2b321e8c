// The PCL macros dialog: the installed macros of the printer and the actions on them.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "fontinstaller/download.h"
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

constexpr int kList = 1039;
constexpr int kInstall = 1024;
constexpr int kEdit = 1022;
constexpr int kDelete = 1041;
constexpr int kDownload = 1009;
constexpr int kUpdate = 1037;
constexpr int kChooseFile = 1047;
constexpr int kHelp = 1012;
constexpr UINT kCaption = 664;

struct MacrosState {
  InstallerContext* context = nullptr;
  std::vector<InstalledMacroEntry> list;
};

MacrosState* StateOf(HWND dialog) { return reinterpret_cast<MacrosState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

void DisableEntryActions(HWND dialog) {
  for (int id : {kEdit, kDelete, kDownload}) EnableWindow(GetDlgItem(dialog, id), FALSE);
}

void ReadList(HWND dialog, MacrosState& state) {
  state.list = ReadMacroList(state.context->printerName);
  SendDlgItemMessageA(dialog, kList, LB_RESETCONTENT, 0, 0);
  for (const InstalledMacroEntry& entry : state.list) {
    const std::string item = MacroItemText(entry);
    SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  DisableEntryActions(dialog);
}

const InstalledMacroEntry* Selected(HWND dialog, const MacrosState& state) {
  const LRESULT index = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR || static_cast<size_t>(index) >= state.list.size()) return nullptr;
  return &state.list[static_cast<size_t>(index)];
}

void Select(HWND dialog, MacrosState& state, int32_t id, int32_t location) {
  for (size_t i = 0; i < state.list.size(); ++i) {
    if (state.list[i].id == id && state.list[i].location == location) {
      SendDlgItemMessageA(dialog, kList, LB_SETCURSEL, i, 0);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kList, LBN_SELCHANGE), 0);
      return;
    }
  }
}

void ShowSelection(HWND dialog, const MacrosState& state) {
  const InstalledMacroEntry* entry = Selected(dialog, state);
  if (!entry) return;
  SetStatus(dialog, MacroDescription(*entry));
  const InstallerContext& c = *state.context;
  const bool onDisk = entry->location == kLocationPrinterDisk;
  const bool changeable = MayChange(c) && (!SharesInfoFile(c) || (c.flags & kFlagChooseInfoFile) || !onDisk);
  EnableWindow(GetDlgItem(dialog, kEdit), changeable);
  EnableWindow(GetDlgItem(dialog, kDelete), changeable);
  EnableWindow(GetDlgItem(dialog, kDownload), MayChange(c) && !onDisk);
}

// The checks before a change of a printer-disk entry of a shared file; false ends the action.
bool MayChangeEntry(HWND dialog, MacrosState& state, const InstalledMacroEntry& entry, UINT staleTextId,
                    bool writes) {
  const InstallerContext& c = *state.context;
  if (entry.location != kLocationPrinterDisk || !SharesInfoFile(c) || c.infoFilePath[0] == '\0') return true;
  if (!ListsAreCurrent(dialog, c, kKindMacros, staleTextId, kCaption)) {
    ReadList(dialog, state);
    SetStatus(dialog, "");
    return false;
  }
  if (writes && !InfoFileWritable(c)) {
    InstallerBox(dialog, 716, kCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void Download(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = Selected(dialog, state);
  if (!selected) return;
  const InstalledMacroEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 694, false)) return;
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
  ReadList(dialog, state);
  Select(dialog, state, entry.id, entry.location);
  SetStatus(dialog, std::string(entry.name) + LoadText(641));
}

void Delete(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = Selected(dialog, state);
  if (!selected) return;
  InstalledMacroEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 693, true)) return;
  const UINT text = entry.location == kLocationPrinterDisk ? 661 : 660;
  const int answer = InstallerBox(dialog, text, 662, MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION);
  if (answer != IDYES && answer != IDNO) return;
  if (UpdateInfoMacro(dialog, state.context->printerName, &entry, nullptr, kUpdateRemove, state.context->flags) != 1) {
    ReadList(dialog, state);
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
  ReadList(dialog, state);
  SetStatus(dialog, "");
}

void Edit(HWND dialog, MacrosState& state) {
  const InstalledMacroEntry* selected = Selected(dialog, state);
  if (!selected) return;
  const InstalledMacroEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 696, true)) return;
  if (!EditMacroAttributes(dialog, state.context, entry, state.list)) return;
  ReadList(dialog, state);
  SetStatus(dialog, "");
}

void UpdateFromInfoFile(HWND dialog, MacrosState& state) {
  SyncInfoFile(dialog, state.context->printerName, state.context->flags);
  ReadList(dialog, state);
  SetStatus(dialog, "");
  InstallerBox(dialog, 723, 722, MB_OK | MB_ICONINFORMATION);
}

void EnableUpdate(HWND dialog, const InstallerContext& c) {
  const bool chooses = MayChange(c) && (c.flags & kFlagChooseInfoFile);
  EnableWindow(GetDlgItem(dialog, kUpdate), chooses && c.infoFilePath[0] != '\0');
  EnableWindow(GetDlgItem(dialog, kChooseFile), chooses);
}

INT_PTR CALLBACK MacrosProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  MacrosState* state = StateOf(dialog);
  if (message == WM_INITDIALOG) {
    state = new MacrosState;
    state->context = reinterpret_cast<InstallerContext*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    CentreDialog(dialog);
    const InstallerContext& c = *state->context;
    EnableWindow(GetDlgItem(dialog, kInstall), MayChange(c));
    if (SharesInfoFile(c)) {
      EnableUpdate(dialog, c);
      SyncInfoFile(dialog, c.printerName, c.flags);
    } else {
      ShowWindow(GetDlgItem(dialog, kUpdate), SW_HIDE);
      ShowWindow(GetDlgItem(dialog, kChooseFile), SW_HIDE);
    }
    ReadList(dialog, *state);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    delete state;
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return FALSE;
  }
  if (message != WM_COMMAND || !state) return FALSE;
  switch (LOWORD(wParam)) {
    case kList:
      if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelection(dialog, *state);
      break;
    case kInstall:
      RunMacroInstallDialog(dialog, state->context);
      ReadList(dialog, *state);
      break;
    case kEdit: Edit(dialog, *state); break;
    case kDelete: Delete(dialog, *state); break;
    case kDownload: Download(dialog, *state); break;
    case kUpdate: UpdateFromInfoFile(dialog, *state); break;
    case kChooseFile:
      if (RunInfoFileDialog(dialog, state->context) == 1) ReadList(dialog, *state);
      EnableUpdate(dialog, *state->context);
      break;
    case kHelp: ShowInstallerHelp(dialog, kHelpPclMacros, *state->context); break;
    case IDCANCEL:
      ShowInstallerHelp(dialog, kHelpClose, *state->context);
      EndDialog(dialog, IDCANCEL);
      break;
    default: break;
  }
  return TRUE;
}

}  // namespace

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

INT_PTR RunMacrosDialog(HWND owner, InstallerContext* context) {
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(103), owner, MacrosProcedure,
                         reinterpret_cast<LPARAM>(context));
}

}  // namespace fontinstaller
