// The printer information file dialog, shared by the fonts and macros dialogs:
// none, an existing file to share, or a new one.
#include <cstring>
#include <string>

#include "common/settings_store.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/files.h"
#include "platform/base/profile.h"
#include "platform/shell/folders.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

constexpr int kFileEdit = 1050;
constexpr int kNoneCheck = 1044;
constexpr int kBrowse = 1049;
constexpr int kVersion = 1013;
constexpr int kHelp = 1012;
constexpr UINT kCaption = 704;

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

void ShowNone(HWND dialog, bool none) {
  CheckDlgButton(dialog, kNoneCheck, none ? BST_CHECKED : BST_UNCHECKED);
  if (none) SetDlgItemTextA(dialog, kFileEdit, "");
  EnableWindow(GetDlgItem(dialog, kFileEdit), !none);
  EnableWindow(GetDlgItem(dialog, kBrowse), !none);
}

void Browse(HWND dialog) {
  std::string filter = LoadText(648);
  const char separator = filter.empty() ? '|' : filter.back();
  for (char& c : filter) {
    if (c == separator) c = '\0';
  }
  filter.push_back('\0');
  const std::string title = LoadText(649);
  char file[260] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = title.c_str();
  ofn.lpstrDefExt = "pri";
  ofn.Flags = OFN_HIDEREADONLY | OFN_LONGNAMES;
  if (GetOpenFileNameA(&ofn)) SetDlgItemTextA(dialog, kFileEdit, file);
}

// The metrics files a shared file names, brought into this PC's folder for
// printer-disk fonts. Only plain names are taken: the file is written by others.
void CopyNamedMetrics(const std::string& infoFile) {
  char folder[MAX_PATH] = {};
  if (InstallerSettings().GetPath(kFolderPclDiskFonts, folder, sizeof folder) != ERROR_SUCCESS) return;
  CreateDirectoryA(folder, nullptr);
  const std::string from = FolderOf(infoFile);
  HGLOBAL enumeration = InitEnumIniEntries(infoFile.c_str(), "Fonts");
  if (!enumeration) return;
  char key[64];
  char value[1024];
  while (EnumIniEntries(enumeration, key, sizeof key, value, sizeof value)) {
    InstalledFontEntry entry{};
    if (key[0] == '\0' || !parseFontIniEntry(key, value, &entry)) continue;
    const std::string name = entry.pfmFileName;
    CopyFileA((from + "\\" + name).c_str(), (std::string(folder) + "\\" + name).c_str(), FALSE);
  }
  EndEnumIniEntries(enumeration);
}

// A new shared file starts with this PC's printer-disk lists, so choosing it
// loses none of them.
bool SeedNewFile(const std::string& path, const char* printerName) {
  if (!WritePrivateProfileStringA("Fonts", "ChangeCounter", "0", path.c_str()) ||
      !WritePrivateProfileStringA("Macros", "ChangeCounter", "0", path.c_str())) {
    return false;
  }
  char folder[MAX_PATH] = {};
  const bool haveMetrics = InstallerSettings().GetPath(kFolderPclDiskFonts, folder, sizeof folder) == ERROR_SUCCESS;
  for (const InstalledFontEntry& font : ReadFontList(printerName)) {
    if (font.location != kLocationPrinterDisk) continue;
    const std::string text = std::to_string(font.flags) + "," + font.pfmFileName + "," + font.fontFilePath;
    WritePrivateProfileStringA("Fonts", std::to_string(font.id).c_str(), text.c_str(), path.c_str());
    if (haveMetrics) {
      CopyFileA((std::string(folder) + "\\" + font.pfmFileName).c_str(),
                (FolderOf(path) + "\\" + font.pfmFileName).c_str(), FALSE);
    }
  }
  for (const InstalledMacroEntry& macro : ReadMacroList(printerName)) {
    if (macro.location != kLocationPrinterDisk) continue;
    const std::string text = std::to_string(macro.flags) + "," + macro.name + "," + macro.filePath;
    WritePrivateProfileStringA("Macros", std::to_string(macro.id).c_str(), text.c_str(), path.c_str());
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  return true;
}

// OK: false when the dialog stays.
bool TakeChoice(HWND dialog, InstallerContext* context) {
  if (IsDlgButtonChecked(dialog, kNoneCheck) == BST_CHECKED) {
    SetInfoFilePath(context->printerName, nullptr);
    ClearPrinterDiskList(context->printerName, kKindFonts);
    ClearPrinterDiskList(context->printerName, kKindMacros);
    context->infoFilePath[0] = '\0';
    return true;
  }
  std::string path = DialogItemText(dialog, kFileEdit);
  if (path.empty()) return false;
  if (path.find('\\') == std::string::npos && path.find(':') == std::string::npos) {
    char documents[MAX_PATH] = {};
    if (SHGetFolderPathA(0, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, 0, 0, documents) == 0) {
      path = std::string(documents) + "\\" + path;
    }
  }
  const DWORD attributes = GetFileAttributesA(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists) {
    InstallerContext probe = *context;
    CopyField(probe.infoFilePath, path.c_str());
    if (!InfoFileWritable(probe)) {
      InstallerBox(dialog, 724, kCaption, MB_OK | MB_ICONERROR, path);
      return false;
    }
    CopyNamedMetrics(path);
    // The file's lists replace this PC's printer-disk lists.
    ClearPrinterDiskList(context->printerName, kKindFonts);
    ClearPrinterDiskList(context->printerName, kKindMacros);
  } else {
    if (!MayChange(*context)) {
      InstallerBox(dialog, 707, kCaption, MB_OK | MB_ICONWARNING, path);
      return false;
    }
    if (InstallerBox(dialog, 708, kCaption, MB_OKCANCEL | MB_ICONQUESTION, path) != IDOK) return false;
    if (!SeedNewFile(path, context->printerName)) {
      DeleteFileA(path.c_str());
      InstallerBox(dialog, 709, kCaption, MB_OK | MB_ICONERROR, path);
      return false;
    }
  }
  SetInfoFilePath(context->printerName, path.c_str());
  CopyField(context->infoFilePath, path.c_str());
  SyncInfoFile(dialog, context->printerName, context->flags);
  return true;
}

INT_PTR CALLBACK InfoFileProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* context = DialogData<InstallerContext>(dialog, message, lParam);
  if (message == WM_INITDIALOG) {
    CentreDialog(dialog);
    SetDlgItemTextA(dialog, kFileEdit, context->infoFilePath);
    ShowNone(dialog, context->infoFilePath[0] == '\0');
    return TRUE;
  }
  if (message != WM_COMMAND || !context) return FALSE;
  switch (LOWORD(wParam)) {
    case kNoneCheck: ShowNone(dialog, IsDlgButtonChecked(dialog, kNoneCheck) == BST_CHECKED); break;
    case kBrowse: Browse(dialog); break;
    case kVersion: RunVersionDialog(dialog); break;
    case kHelp: ShowInstallerHelp(dialog, kHelpConfigure, *context); break;
    case IDOK:
      if (TakeChoice(dialog, context)) EndDialog(dialog, 1);
      break;
    case IDCANCEL:
      ShowInstallerHelp(dialog, kHelpClose, *context);
      EndDialog(dialog, 2);
      break;
    default: break;
  }
  return TRUE;
}

}  // namespace

INT_PTR RunInfoFileDialog(HWND owner, InstallerContext* context) {
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(110), owner, InfoFileProcedure,
                         reinterpret_cast<LPARAM>(context));
}

}  // namespace fontinstaller
