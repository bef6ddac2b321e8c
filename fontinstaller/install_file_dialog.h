// The font and macro install dialogs are one dialog over two kinds of file: an
// open-file dialog on the module's template whose hook lists what the folder
// shown offers, refreshed when the folder changes, with buttons that install
// the chosen one on this PC's disk or the printer's disk, edit what it is
// installed as, and open help. A kind gives its list, its description and its
// actions; this holds what the two share.
//
//   struct Kind {
//     struct State { InstallerContext* context; ... };
//     static constexpr int kListId, kHelpTopic; static constexpr WORD kTemplate;
//     static constexpr const char* kFolderKey;
//     static void Start(HWND, const InstallerContext&);     // controls hidden
//     static std::vector<std::string> List(State&);         // the items of the folder shown
//     static bool ShowSelection(HWND, State&);              // false: nothing selected
//     static void Install(HWND, State&); static void Edit(HWND, State&);
//   };
#pragma once

#include <string>
#include <vector>

#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {

namespace installcontrols {
constexpr int kPcDisk = 1027;
constexpr int kPrinterDisk = 1010;
constexpr int kInstall = 1026;
constexpr int kEdit = 1022;
constexpr int kHelp = 1012;
constexpr int kClose = 3;
}  // namespace installcontrols

template <class Kind>
class InstallFileDialog {
 public:
  using State = typename Kind::State;

  static void Run(HWND owner, InstallerContext* context) {
    State state;
    state.context = context;
    RunInstallFileDialog(owner, Kind::kTemplate, Hook, reinterpret_cast<LPARAM>(&state), Kind::kFolderKey);
  }

  // The index of the list's selection within `size` items; -1 for none.
  static int SelectedIndex(HWND dialog, size_t size) {
    const LRESULT index = SendDlgItemMessageA(dialog, Kind::kListId, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index < 0 || static_cast<size_t>(index) >= size) return -1;
    return static_cast<int>(index);
  }

 private:
  static State* StateOf(HWND dialog) { return reinterpret_cast<State*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

  // Lists the folder shown; nothing is selected afterwards.
  static void FillList(HWND dialog, State& state) {
    SendDlgItemMessageA(dialog, Kind::kListId, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : Kind::List(state))
      SendDlgItemMessageA(dialog, Kind::kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    EnableWindow(GetDlgItem(dialog, installcontrols::kEdit), FALSE);
    EnableWindow(GetDlgItem(dialog, installcontrols::kInstall), FALSE);
    SetStatus(dialog, "");
  }

  static UINT_PTR CALLBACK Hook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT folderChanged = RegisterWindowMessageA(LBSELCHSTRINGA);
    State* state = StateOf(dialog);
    if (message == WM_INITDIALOG) {
      const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
      state = reinterpret_cast<State*>(ofn->lCustData);
      SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
      Kind::Start(dialog, *state->context);
      FillList(dialog, *state);
      return TRUE;
    }
    if (!state) return FALSE;
    if (message == folderChanged) {
      FillList(dialog, *state);
      return TRUE;
    }
    if (message == WM_DESTROY) {
      RememberFolder(Kind::kFolderKey, CurrentFolderPath().c_str());
      SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
      return FALSE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    if (id == Kind::kListId) {
      if (HIWORD(wParam) != LBN_SELCHANGE) return FALSE;
      if (Kind::ShowSelection(dialog, *state)) {
        EnableWindow(GetDlgItem(dialog, installcontrols::kEdit), TRUE);
        EnableWindow(GetDlgItem(dialog, installcontrols::kInstall), TRUE);
      }
      return TRUE;
    }
    switch (id) {
      case installcontrols::kInstall: Kind::Install(dialog, *state); return TRUE;
      case installcontrols::kEdit: Kind::Edit(dialog, *state); return TRUE;
      case installcontrols::kHelp: ShowInstallerHelp(dialog, Kind::kHelpTopic, *state->context); return TRUE;
      case installcontrols::kClose: SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); return TRUE;
      default: return FALSE;
    }
  }
};

}  // namespace fontinstaller
