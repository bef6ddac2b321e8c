// Installing macros: an open-file dialog on the module's template whose hook
// lists every readable file of the folder shown and installs the one chosen on
// this PC's disk or on the printer's disk.
#include <cstring>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "fontinstaller/download.h"
#include "fontinstaller/file_names.h"
#include "fontinstaller/install_file_dialog.h"
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

using namespace installcontrols;

struct InstallState {
  InstallerContext* context = nullptr;
  std::vector<std::string> files;  // full paths, in list order
  std::string chosenName;          // a name given through the edit button
};

bool CanBeOpened(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  CloseHandle(file);
  return true;
}

// The name a macro is offered under: its file name, cut to 16 characters.
std::string OfferedName(const std::string& path) { return FileNamePart(path).substr(0, 16); }

std::vector<std::string> ListFiles(InstallState& state) {
  state.files.clear();
  state.chosenName.clear();
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
  std::vector<std::string> items;
  for (const std::string& path : state.files)
    items.push_back(OfferedName(path) + "\t\t\t\t\t\t\t" + FileNamePart(path));
  return items;
}

const std::string* SelectedFile(HWND dialog, const InstallState& state);

// Copies the macro into the folder unless it is already the file there; read-only
// is cleared so a later install or delete can replace it.
bool CopyIntoFolder(const std::string& source, const std::string& target) {
  if (lstrcmpiA(source.c_str(), target.c_str()) == 0) return true;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return false;
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

void InstallMacro(HWND dialog, InstallState& state) {
  const std::string* selected = SelectedFile(dialog, state);
  if (!selected) return;
  const std::string source = *selected;
  InstallerContext& c = *state.context;
  const int32_t location =
      IsDlgButtonChecked(dialog, kPrinterDisk) == BST_CHECKED ? kLocationPrinterDisk : kLocationPcDisk;
  const bool shared = location == kLocationPrinterDisk && SharesInfoFile(c);
  if (shared && !InfoFileWritable(c)) {
    InstallerBox(dialog, 716, 664, MB_OK | MB_ICONERROR);
    return;
  }
  const std::string folder = InstallerFolder(kFolderUserPclMacros);
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

struct MacroFiles {
  using State = InstallState;
  static constexpr int kListId = 1039;
  static constexpr int kHelpTopic = kHelpInstallMacros;
  static constexpr WORD kTemplate = 114;
  static constexpr const char* kFolderKey = "PCLMacro";
  static void Start(HWND dialog, const InstallerContext& context) { InitInstallDialog(dialog, context, {1041, 1043}); }
  static std::vector<std::string> List(State& state) { return ListFiles(state); }
  static bool ShowSelection(HWND dialog, State& state) {
    const std::string* file = SelectedFile(dialog, state);
    if (!file) return false;
    state.chosenName.clear();
    SetStatus(dialog, OfferedName(*file) + " [" + *file + "]");
    return true;
  }
  static void Install(HWND dialog, State& state) { InstallMacro(dialog, state); }
  static void Edit(HWND dialog, State& state) { EditName(dialog, state); }
};

const std::string* SelectedFile(HWND dialog, const InstallState& state) {
  const int index = InstallFileDialog<MacroFiles>::SelectedIndex(dialog, state.files.size());
  return index < 0 ? nullptr : &state.files[static_cast<size_t>(index)];
}

}  // namespace

void RunMacroInstallDialog(HWND owner, InstallerContext* context) {
  InstallFileDialog<MacroFiles>::Run(owner, context);
}

}  // namespace fontinstaller
