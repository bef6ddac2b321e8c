// Installing macros: an open-file dialog on the module's template whose hook
// lists every readable file of the folder shown and installs the one chosen on
// this PC's disk or on the printer's disk.
#include <cstring>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "fontinstaller/file_names.h"
#include "fontinstaller/download.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/macro_dialogs.h"
#include "fontinstaller/macro_names.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/shell/create_directory.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

constexpr int kList = 1039;
constexpr int kPcDisk = 1027;
constexpr int kPrinterDisk = 1010;
constexpr int kInstall = 1026;
constexpr int kEdit = 1022;
constexpr int kHelp = 1012;
constexpr int kClose = 3;
constexpr char kFolderKey[] = "PCLMacro";

struct InstallState {
  InstallerContext* context = nullptr;
  std::vector<std::string> files;  // full paths, in list order
  std::string chosenName;          // a name given through the edit button
};

InstallState* StateOf(HWND dialog) { return reinterpret_cast<InstallState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

bool CanBeOpened(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  CloseHandle(file);
  return true;
}

// The name a macro is offered under: its file name, cut to 16 characters.
std::string OfferedName(const std::string& path) { return FileNamePart(path).substr(0, 16); }

void FillList(HWND dialog, InstallState& state) {
  state.files.clear();
  state.chosenName.clear();
  SendDlgItemMessageA(dialog, kList, LB_RESETCONTENT, 0, 0);
  const std::string folder = CurrentFolderPath();
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const std::string path = JoinPath(folder, found.cFileName);
      if (!CanBeOpened(path)) continue;
      state.files.push_back(path);
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  for (const std::string& path : state.files) {
    const std::string item = OfferedName(path) + "\t\t\t\t\t\t\t" + FileNamePart(path);
    SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  EnableWindow(GetDlgItem(dialog, kEdit), FALSE);
  EnableWindow(GetDlgItem(dialog, kInstall), FALSE);
  SetStatus(dialog, "");
}

const std::string* SelectedFile(HWND dialog, const InstallState& state) {
  const LRESULT index = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR || static_cast<size_t>(index) >= state.files.size()) return nullptr;
  return &state.files[static_cast<size_t>(index)];
}

std::string MacrosFolder() {
  char folder[MAX_PATH] = {};
  if (InstallerSettings().GetPath(kFolderUserPclMacros, folder, sizeof folder) != ERROR_SUCCESS) return {};
  return std::string(folder, strnlen(folder, sizeof folder));
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Copies the macro into the folder unless it is already the file there; read-only
// is cleared so a later install or delete can replace it.
bool CopyIntoFolder(const std::string& source, const std::string& target) {
  if (lstrcmpiA(source.c_str(), target.c_str()) == 0) return true;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return false;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

void Install(HWND dialog, InstallState& state) {
  const std::string* selected = SelectedFile(dialog, state);
  if (!selected) return;
  const std::string source = *selected;
  InstallerContext& c = *state.context;
  const int32_t location = IsDlgButtonChecked(dialog, kPrinterDisk) == BST_CHECKED ? kLocationPrinterDisk : kLocationPcDisk;
  const bool shared = location == kLocationPrinterDisk && SharesInfoFile(c);
  if (shared && !InfoFileWritable(c)) {
    InstallerBox(dialog, 716, 664, MB_OK | MB_ICONERROR);
    return;
  }
  const std::string folder = MacrosFolder();
  const std::string target = JoinPath(folder, FileNamePart(source));
  const std::string recorded = location == kLocationPcDisk ? target : source;
  std::vector<InstalledMacroEntry> list = ReadMacroList(c.printerName);
  for (const InstalledMacroEntry& entry : list) {
    if (entry.location == location && lstrcmpiA(entry.filePath, recorded.c_str()) == 0) {
      InstallerBox(dialog, location == kLocationPcDisk ? 683 : 684, 685, MB_OK | MB_ICONINFORMATION);
      return;
    }
  }
  std::string name = state.chosenName.empty() ? OfferedName(source) : state.chosenName;
  if (CheckMacroName(name) != MacroNameCheck::kValid) name.clear();
  if (!AskMacroName(dialog, c, source, name + " [" + source + "]", &name)) return;
  const int32_t id = NextFreeMacroId(list, location);
  if (id < 0) {
    InstallerBox(dialog, 713, 685, MB_OK | MB_ICONWARNING);
    return;
  }

  bool copied = false;
  if (location == kLocationPcDisk) {
    if (folder.empty()) return;
    if (!FolderExists(folder) && SHCreateDirectoryExA(dialog, folder.c_str(), nullptr) != 0 && !FolderExists(folder)) {
      if (MessageBoxA(dialog, LoadText(669).c_str(), folder.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
      if (SHCreateDirectoryExA(dialog, folder.c_str(), nullptr) != 0 && !FolderExists(folder)) {
        InstallerBox(dialog, 670, 702, MB_OK | MB_ICONERROR);
        return;
      }
    }
    if (!CopyIntoFolder(source, target)) {
      InstallerBox(dialog, 725, 702, MB_OK | MB_ICONERROR);
      return;
    }
    copied = lstrcmpiA(source.c_str(), target.c_str()) != 0;
  }

  InstalledMacroEntry entry{};
  entry.id = id;
  entry.location = location;
  CopyField(entry.name, name.c_str());
  CopyField(entry.filePath, recorded.c_str());
  if (location == kLocationPrinterDisk) {
    SetStatus(dialog, LoadText(642));
    if (!DownloadMacro(dialog, c.printerName, entry, kDownloadToDisk)) {
      SetStatus(dialog, LoadText(725));
      return;
    }
  }
  if (UpdateInfoMacro(dialog, c.printerName, &entry, nullptr, kUpdateAdd, c.flags) != 1) {
    // Nothing recorded: no copy of the file stays behind either.
    if (copied) DeleteFileA(target.c_str());
    SetStatus(dialog, LoadText(725));
    return;
  }
  SetStatus(dialog, name + LoadText(680));
  InstallerBox(dialog, 691, 697, MB_OK | MB_ICONINFORMATION);
}

void EditName(HWND dialog, InstallState& state) {
  const std::string* selected = SelectedFile(dialog, state);
  if (!selected) return;
  std::string name = state.chosenName.empty() ? OfferedName(*selected) : state.chosenName;
  if (AskMacroName(dialog, *state.context, *selected, name + " [" + *selected + "]", &name)) state.chosenName = name;
}

UINT_PTR CALLBACK InstallHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT folderChanged = RegisterWindowMessageA(LBSELCHSTRINGA);
  InstallState* state = StateOf(dialog);
  if (message == WM_INITDIALOG) {
    const auto* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    state = reinterpret_cast<InstallState*>(ofn->lCustData);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    InitInstallDialog(dialog, *state->context, {1041, 1043});
    FillList(dialog, *state);
    return TRUE;
  }
  if (!state) return FALSE;
  if (message == folderChanged) {
    FillList(dialog, *state);
    return TRUE;
  }
  if (message == WM_DESTROY) {
    RememberFolder(kFolderKey, CurrentFolderPath().c_str());
    SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kList:
      if (HIWORD(wParam) != LBN_SELCHANGE) return FALSE;
      if (const std::string* file = SelectedFile(dialog, *state)) {
        state->chosenName.clear();
        SetStatus(dialog, OfferedName(*file) + " [" + *file + "]");
        EnableWindow(GetDlgItem(dialog, kEdit), TRUE);
        EnableWindow(GetDlgItem(dialog, kInstall), TRUE);
      }
      return TRUE;
    case kInstall: Install(dialog, *state); return TRUE;
    case kEdit: EditName(dialog, *state); return TRUE;
    case kHelp: ShowInstallerHelp(dialog, kHelpInstallMacros, *state->context); return TRUE;
    case kClose: SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void RunMacroInstallDialog(HWND owner, InstallerContext* context) {
  InstallState state;
  state.context = context;
  RunInstallFileDialog(owner, 114, InstallHook, reinterpret_cast<LPARAM>(&state), kFolderKey);
}

}  // namespace fontinstaller
