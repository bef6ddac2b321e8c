// The open dialog. Without a template the process's file-dialog handler answers
// it; with one, the caller's template runs as a modal dialog with the old-style
// folder list, drive combo and file name edit, and the caller's hook beside it.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/files.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace {

constexpr int kFileNameEdit = 1152;
constexpr int kFolderText = 1088;
constexpr int kFolderList = 1121;
constexpr int kDriveCombo = 1137;

std::mutex& StateLock() {
  static std::mutex lock;
  return lock;
}
std::map<HWND, LPOPENFILENAMEA>& Dialogs() {
  static std::map<HWND, LPOPENFILENAMEA> dialogs;
  return dialogs;
}
LPOPENFILENAMEA RequestOf(HWND dialog) {
  std::lock_guard<std::mutex> guard(StateLock());
  auto found = Dialogs().find(dialog);
  return found == Dialogs().end() ? nullptr : found->second;
}

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string("C:\\");
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(Joined(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

void ShowFolder(HWND dialog) {
  const std::string folder = CurrentFolder();
  SetDlgItemTextA(dialog, kFolderText, folder.c_str());
  SendDlgItemMessageA(dialog, kFolderList, LB_RESETCONTENT, 0, 0);
  if (folder.size() > 3) SendDlgItemMessageA(dialog, kFolderList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[..]"));
  for (const std::string& name : SubFolders(folder)) {
    const std::string item = "[" + name + "]";
    SendDlgItemMessageA(dialog, kFolderList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void NotifyHook(HWND dialog, LPOPENFILENAMEA ofn, int control, int index) {
  if (!(ofn->Flags & OFN_ENABLEHOOK) || !ofn->lpfnHook) return;
  static const UINT selectionChanged = RegisterWindowMessageA(LBSELCHSTRINGA);
  ofn->lpfnHook(dialog, selectionChanged, static_cast<WPARAM>(control),
                MAKELPARAM(static_cast<WORD>(index), static_cast<WORD>(CD_LBSELCHANGE)));
}

void OpenChosenFolder(HWND dialog, LPOPENFILENAMEA ofn) {
  const LRESULT index = SendDlgItemMessageA(dialog, kFolderList, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  char item[MAX_PATH + 2] = {};
  if (SendDlgItemMessageA(dialog, kFolderList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0) >= MAX_PATH) return;
  SendDlgItemMessageA(dialog, kFolderList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item));
  std::string name = item;
  if (name.size() < 3 || name.front() != '[' || name.back() != ']') return;
  name = name.substr(1, name.size() - 2);
  std::string folder = CurrentFolder();
  if (name == "..") {
    const size_t cut = folder.find_last_of('\\', folder.size() > 3 ? folder.size() - 2 : 0);
    folder = cut == std::string::npos || cut < 2 ? folder.substr(0, 3) : folder.substr(0, cut == 2 ? 3 : cut);
  } else {
    folder = Joined(folder, name);
  }
  if (!SetCurrentDirectoryA(folder.c_str())) return;
  ShowFolder(dialog);
  NotifyHook(dialog, ofn, kFolderList, static_cast<int>(index));
}

void OpenDriveRoot(HWND dialog, LPOPENFILENAMEA ofn) {
  if (!SetCurrentDirectoryA("C:\\")) return;
  ShowFolder(dialog);
  NotifyHook(dialog, ofn, kDriveCombo, 0);
}

// OK with a file name: the name joined to the folder shown, when it fits the
// caller's buffer (and exists when asked to).
bool TakeFileName(HWND dialog, LPOPENFILENAMEA ofn) {
  char typed[MAX_PATH] = {};
  GetDlgItemTextA(dialog, kFileNameEdit, typed, sizeof typed);
  if (typed[0] == '\0') return false;
  const std::string name = typed;
  const bool absolute = name.size() > 2 && name[1] == ':';
  const std::string path = absolute ? name : Joined(CurrentFolder(), name);
  if ((ofn->Flags & OFN_FILEMUSTEXIST) && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  if (!ofn->lpstrFile || path.size() + 1 > ofn->nMaxFile) return false;
  path.copy(ofn->lpstrFile, path.size());
  ofn->lpstrFile[path.size()] = '\0';
  const size_t slash = path.find_last_of('\\');
  ofn->nFileOffset = static_cast<WORD>(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = path.rfind('.');
  ofn->nFileExtension = static_cast<WORD>(dot != std::string::npos && dot > ofn->nFileOffset ? dot + 1 : path.size());
  return true;
}

INT_PTR CALLBACK OpenDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* ofn = reinterpret_cast<LPOPENFILENAMEA>(lParam);
    {
      std::lock_guard<std::mutex> guard(StateLock());
      Dialogs()[dialog] = ofn;
    }
    if (ofn->lpstrTitle) SetWindowTextA(dialog, ofn->lpstrTitle);
    if (ofn->lpstrInitialDir && *ofn->lpstrInitialDir) SetCurrentDirectoryA(ofn->lpstrInitialDir);
    SendDlgItemMessageA(dialog, kDriveCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[-c-]"));
    SendDlgItemMessageA(dialog, kDriveCombo, CB_SETCURSEL, 0, 0);
    ShowFolder(dialog);
    if ((ofn->Flags & OFN_ENABLEHOOK) && ofn->lpfnHook) return ofn->lpfnHook(dialog, message, wParam, lParam);
    return TRUE;
  }
  LPOPENFILENAMEA ofn = RequestOf(dialog);
  if (!ofn) return FALSE;
  const bool hooked = (ofn->Flags & OFN_ENABLEHOOK) && ofn->lpfnHook;
  if (hooked && ofn->lpfnHook(dialog, message, wParam, lParam)) return TRUE;
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == kFolderList && code == LBN_SELCHANGE) OpenChosenFolder(dialog, ofn);
      if (id == kDriveCombo && code == CBN_SELCHANGE) OpenDriveRoot(dialog, ofn);
      if (id == IDOK && TakeFileName(dialog, ofn)) EndDialog(dialog, TRUE);
      if (id == IDCANCEL) EndDialog(dialog, FALSE);
      return TRUE;
    }
    case WM_DESTROY: {
      std::lock_guard<std::mutex> guard(StateLock());
      Dialogs().erase(dialog);
      return FALSE;
    }
    default: return FALSE;
  }
}

}  // namespace

ZEL_EXTERN_C BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
  if (!lpofn) return FALSE;
  if (!(lpofn->Flags & OFN_ENABLETEMPLATE) || !lpofn->lpTemplateName) return platform::AskFileDialogHandler(lpofn);
  const INT_PTR result = DialogBoxParamA(lpofn->hInstance, lpofn->lpTemplateName, lpofn->hwndOwner, OpenDialogProcedure,
                                         reinterpret_cast<LPARAM>(lpofn));
  return result == TRUE ? TRUE : FALSE;
}
