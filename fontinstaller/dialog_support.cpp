// What the installer's dialogs share.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/profile.h"
#include "platform/gdi/screen.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/sound.h"
#include "platform/ui/user.h"

namespace fontinstaller {

namespace {
constexpr int kMostAncestors = 31;
}  // namespace

void CentreDialog(HWND dialog) {
  RECT own{};
  if (!GetWindowRect(dialog, &own)) return;
  HWND reference = 0;
  long widest = -1;
  HWND ancestor = GetParent(dialog);
  for (int level = 0; ancestor && level < kMostAncestors; ++level, ancestor = GetParent(ancestor)) {
    RECT rect{};
    if (GetWindowRect(ancestor, &rect) && rect.right - rect.left > widest) {
      widest = rect.right - rect.left;
      reference = ancestor;
    }
  }
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT area{0, 0, screenWidth, screenHeight};
  if (reference) GetWindowRect(reference, &area);
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) * 2 / 5;
  x = std::max(0, std::min(x, screenWidth - width));
  y = std::max(0, std::min(y, screenHeight - height));
  MoveWindow(dialog, x, y, width, height, FALSE);
}

int InstallerBox(HWND owner, UINT textId, UINT captionId, UINT style, const std::string& argument) {
  std::string text = LoadText(textId);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  const std::string caption = captionId ? LoadText(captionId) : std::string();
  return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

std::string DialogItemText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

std::string CurrentFolderPath() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string InstallerFolder(int which) {
  char folder[MAX_PATH] = {};
  if (InstallerSettings().GetPath(which, folder, sizeof folder) != ERROR_SUCCESS) return {};
  return std::string(folder, strnlen(folder, sizeof folder));
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RunInstallFileDialog(HWND owner, WORD templateId, UINT_PTR(CALLBACK* hook)(HWND, UINT, WPARAM, LPARAM),
                          LPARAM state, const char* folderKey) {
  const std::string folder = ReadRememberedFolder(folderKey);
  char file[260] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = InstallerInstance();
  ofn.lpstrFilter = "*.*\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.Flags = OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_LONGNAMES | OFN_HIDEREADONLY;
  ofn.lCustData = state;
  ofn.lpfnHook = hook;
  ofn.lpTemplateName = MAKEINTRESOURCEA(templateId);
  GetOpenFileNameA(&ofn);
}

void InitInstallDialog(HWND dialog, const InstallerContext& context, std::initializer_list<int> hidden) {
  CentreDialog(dialog);
  for (int id : hidden) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  CheckDlgButton(dialog, 1027, BST_CHECKED);
  const bool diskAllowed =
      MayChange(context) &&
      (!SharesInfoFile(context) || ((context.flags & kFlagChooseInfoFile) && context.infoFilePath[0] != '\0'));
  EnableWindow(GetDlgItem(dialog, 1010), diskAllowed);
}

void ShowNameFields(HWND dialog, const std::string& file, const std::string& description, const std::string& name) {
  CentreDialog(dialog);
  SetDlgItemTextA(dialog, kNameDialogFile, file.c_str());
  SetDlgItemTextA(dialog, kNameDialogDescription, description.c_str());
  SendDlgItemMessageA(dialog, kNameDialogName, EM_LIMITTEXT, 16, 0);
  SetDlgItemTextA(dialog, kNameDialogName, name.c_str());
}

void ShowEntryIdentity(HWND dialog, const InstallerContext& context, int32_t id, int32_t location, DWORD flags) {
  SetDlgItemTextA(dialog, 174, std::to_string(id).c_str());
  const bool onPrinterDisk = location == kLocationPrinterDisk;
  const bool editable = !onPrinterDisk && MayChange(context);
  EnableWindow(GetDlgItem(dialog, 173), editable);
  EnableWindow(GetDlgItem(dialog, 174), editable);
  ShowMemoryChecks(dialog, flags, onPrinterDisk && (context.flags & 0x01));
}

namespace {
constexpr int kInMemoryCheck = 1038;
constexpr int kResidentCheck = 1007;
constexpr int kIdEdit = 174;
}  // namespace

void ShowMemoryChecks(HWND dialog, DWORD flags, bool showResident) {
  CheckDlgButton(dialog, kInMemoryCheck, (flags & (kEntryInMemory | kEntryResident)) ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(dialog, kInMemoryCheck), (flags & kEntryInMemory) && !(flags & kEntryResident));
  CheckDlgButton(dialog, kResidentCheck, (flags & kEntryResident) ? BST_CHECKED : BST_UNCHECKED);
  ShowWindow(GetDlgItem(dialog, kResidentCheck), showResident ? SW_SHOW : SW_HIDE);
}

bool ClickMemoryCheck(HWND dialog, int control, DWORD* flags) {
  if (control == kInMemoryCheck) {
    // Once unticked, the mark goes: nothing is put into memory from here.
    *flags &= ~kEntryInMemory;
    CheckDlgButton(dialog, kInMemoryCheck, BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, kInMemoryCheck), FALSE);
    return true;
  }
  if (control != kResidentCheck) return false;
  if (IsDlgButtonChecked(dialog, kResidentCheck) == BST_CHECKED) {
    *flags |= kEntryResident;
    CheckDlgButton(dialog, kInMemoryCheck, BST_CHECKED);
    EnableWindow(GetDlgItem(dialog, kInMemoryCheck), FALSE);
  } else {
    *flags &= ~kEntryResident;
  }
  return true;
}

std::optional<int32_t> EditedId(HWND dialog, int32_t oldId) {
  const std::string text = DialogItemText(dialog, kIdEdit);
  char* end = nullptr;
  const long id = std::strtol(text.c_str(), &end, 10);
  if (!text.empty() && *end == '\0' && IsPclId(id)) return static_cast<int32_t>(id);
  MessageBeep(MB_OK);
  SetDlgItemTextA(dialog, kIdEdit, std::to_string(oldId).c_str());
  return std::nullopt;
}

void SetStatus(HWND dialog, const std::string& text) { SetDlgItemTextA(dialog, 1019, text.c_str()); }

bool MayChange(const InstallerContext& context) { return (context.flags & kFlagsMayChange) != 0; }
bool SharesInfoFile(const InstallerContext& context) { return (context.flags & kFlagSharedInfoFile) != 0; }

bool InfoFileWritable(const InstallerContext& context) {
  if (context.infoFilePath[0] == '\0') return false;
  HANDLE file = CreateFileA(context.infoFilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  CloseHandle(file);
  return true;
}

bool ListsAreCurrent(HWND owner, const InstallerContext& context, int kind, UINT staleTextId, UINT captionId) {
  const char* section = kind == kKindMacros ? "Macros" : "Fonts";
  const int fileCounter =
      static_cast<int>(GetPrivateProfileIntA(section, "ChangeCounter", static_cast<UINT>(-1), context.infoFilePath));
  if (fileCounter < 0) {
    InstallerBox(owner, 698, captionId, MB_OK | MB_ICONWARNING, context.infoFilePath);
    return false;
  }
  const long printerCounter = ReadChangeCounter(context.printerName, kind);
  if (printerCounter < 0) {
    InstallerBox(owner, 698, captionId, MB_OK | MB_ICONWARNING, "ChangeCounter");
    return false;
  }
  if (printerCounter == fileCounter) return true;
  InstallerBox(owner, staleTextId, captionId, MB_OK | MB_ICONINFORMATION);
  SyncInfoFile(owner, context.printerName, context.flags);
  return false;
}

}  // namespace fontinstaller
