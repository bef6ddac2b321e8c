// The fonts dialog and the macros dialog are one dialog over two kinds of
// entry: the installed list, the status line, and the buttons that install,
// edit, delete, load into memory, update from the information file and choose
// it. A kind gives its entry type, its control and string numbers, and its
// actions; this holds what the two share.
//
//   struct Kind {
//     using Entry = ...;
//     static constexpr int kKind, kListId, kHelpTopic; static constexpr UINT kCaption;
//     static std::vector<Entry> Read(const char* printerName);
//     static std::string ItemText(const Entry&); static std::string Description(const Entry&);
//     static void Install(HWND, InstallerContext*);
//     static void Edit(HWND, ListState<Entry>&); static void Delete(HWND, ListState<Entry>&);
//     static void Download(HWND, ListState<Entry>&); static void BeforeUpdate(const InstallerContext&);
//   };
#pragma once

#include <string>
#include <vector>

#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {

template <class Entry>
struct ListState {
  InstallerContext* context = nullptr;
  std::vector<Entry> list;
};

namespace listcontrols {
constexpr int kInstall = 1024;
constexpr int kEdit = 1022;
constexpr int kDelete = 1041;
constexpr int kDownload = 1009;
constexpr int kUpdate = 1037;
constexpr int kChooseFile = 1047;
constexpr int kHelp = 1012;
}  // namespace listcontrols

template <class Kind>
class InstalledListDialog {
 public:
  using Entry = typename Kind::Entry;
  using State = ListState<Entry>;

  static INT_PTR Run(HWND owner, WORD templateId, InstallerContext* context) {
    return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(templateId), owner, Procedure,
                           reinterpret_cast<LPARAM>(context));
  }

  // Reads the list from the stores again; nothing is selected afterwards.
  static void ReadList(HWND dialog, State& state) {
    state.list = Kind::Read(state.context->printerName);
    SendDlgItemMessageA(dialog, Kind::kListId, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : state.list) {
      const std::string item = Kind::ItemText(entry);
      SendDlgItemMessageA(dialog, Kind::kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    for (int id : {listcontrols::kEdit, listcontrols::kDelete, listcontrols::kDownload}) {
      EnableWindow(GetDlgItem(dialog, id), FALSE);
    }
  }

  static const Entry* Selected(HWND dialog, const State& state) {
    const LRESULT index = SendDlgItemMessageA(dialog, Kind::kListId, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || static_cast<size_t>(index) >= state.list.size()) return nullptr;
    return &state.list[static_cast<size_t>(index)];
  }

  // Before a change of a printer-disk entry of a shared file: false ends the
  // action (the lists were stale and are read again, or the file cannot be written).
  static bool MayChangeEntry(HWND dialog, State& state, const Entry& entry, UINT staleTextId, bool writes) {
    const InstallerContext& c = *state.context;
    if (entry.location != kLocationPrinterDisk || !SharesInfoFile(c) || c.infoFilePath[0] == '\0') return true;
    if (!ListsAreCurrent(dialog, c, Kind::kKind, staleTextId, Kind::kCaption)) {
      ReadList(dialog, state);
      SetStatus(dialog, "");
      return false;
    }
    if (writes && !InfoFileWritable(c)) {
      InstallerBox(dialog, 716, Kind::kCaption, MB_OK | MB_ICONERROR);
      return false;
    }
    return true;
  }

 private:
  static void ShowSelection(HWND dialog, const State& state) {
    const Entry* entry = Selected(dialog, state);
    if (!entry) return;
    SetStatus(dialog, Kind::Description(*entry));
    const InstallerContext& c = *state.context;
    const bool onDisk = entry->location == kLocationPrinterDisk;
    const bool changeable = MayChange(c) && (!onDisk || !SharesInfoFile(c) || (c.flags & kFlagChooseInfoFile));
    EnableWindow(GetDlgItem(dialog, listcontrols::kEdit), changeable);
    EnableWindow(GetDlgItem(dialog, listcontrols::kDelete), changeable);
    EnableWindow(GetDlgItem(dialog, listcontrols::kDownload), MayChange(c) && !onDisk);
  }

  static void EnableInfoFileButtons(HWND dialog, const InstallerContext& c) {
    const bool chooses = MayChange(c) && (c.flags & kFlagChooseInfoFile);
    EnableWindow(GetDlgItem(dialog, listcontrols::kUpdate), chooses && c.infoFilePath[0] != '\0');
    EnableWindow(GetDlgItem(dialog, listcontrols::kChooseFile), chooses);
  }

  static void UpdateFromInfoFile(HWND dialog, State& state) {
    Kind::BeforeUpdate(*state.context);
    SyncInfoFile(dialog, state.context->printerName, state.context->flags);
    ReadList(dialog, state);
    SetStatus(dialog, "");
    InstallerBox(dialog, 723, 722, MB_OK | MB_ICONINFORMATION);
  }

  static void Initialise(HWND dialog, State& state) {
    CentreDialog(dialog);
    const InstallerContext& c = *state.context;
    EnableWindow(GetDlgItem(dialog, listcontrols::kInstall), MayChange(c));
    if (SharesInfoFile(c)) {
      EnableInfoFileButtons(dialog, c);
      SyncInfoFile(dialog, c.printerName, c.flags);
    } else {
      ShowWindow(GetDlgItem(dialog, listcontrols::kUpdate), SW_HIDE);
      ShowWindow(GetDlgItem(dialog, listcontrols::kChooseFile), SW_HIDE);
    }
    ReadList(dialog, state);
  }

  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
      state = new State;
      state->context = reinterpret_cast<InstallerContext*>(lParam);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      Initialise(dialog, *state);
      return TRUE;
    }
    if (message == WM_DESTROY) {
      delete state;
      SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
      return FALSE;
    }
    if (message != WM_COMMAND || !state) return FALSE;
    const int id = LOWORD(wParam);
    if (id == Kind::kListId) {
      if (HIWORD(wParam) == LBN_SELCHANGE) ShowSelection(dialog, *state);
      return TRUE;
    }
    switch (id) {
      case listcontrols::kInstall:
        Kind::Install(dialog, state->context);
        ReadList(dialog, *state);
        break;
      case listcontrols::kEdit: Kind::Edit(dialog, *state); break;
      case listcontrols::kDelete: Kind::Delete(dialog, *state); break;
      case listcontrols::kDownload: Kind::Download(dialog, *state); break;
      case listcontrols::kUpdate: UpdateFromInfoFile(dialog, *state); break;
      case listcontrols::kChooseFile:
        if (RunInfoFileDialog(dialog, state->context) == 1) ReadList(dialog, *state);
        EnableInfoFileButtons(dialog, *state->context);
        break;
      case listcontrols::kHelp: ShowInstallerHelp(dialog, Kind::kHelpTopic, *state->context); break;
      case IDCANCEL:
        ShowInstallerHelp(dialog, kHelpClose, *state->context);
        EndDialog(dialog, IDCANCEL);
        break;
      default: break;
    }
    return TRUE;
  }
};

}  // namespace fontinstaller
