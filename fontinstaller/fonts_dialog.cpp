// The PCL fonts dialog: the installed soft fonts of the printer and the actions on them.
#include <cstring>
#include <vector>

#include "common/settings_store.h"
#include "fontinstaller/download.h"
#include "fontinstaller/font_dialogs.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

constexpr int kList = 1029;
constexpr int kInstall = 1024;
constexpr int kEdit = 1022;
constexpr int kDelete = 1041;
constexpr int kDownload = 1009;
constexpr int kUpdate = 1037;
constexpr int kChooseFile = 1047;
constexpr int kHelp = 1012;
constexpr UINT kCaption = 652;

struct FontsState {
  InstallerContext* context = nullptr;
  std::vector<InstalledFontEntry> list;
};

FontsState* StateOf(HWND dialog) { return reinterpret_cast<FontsState*>(GetWindowLongPtrA(dialog, GWLP_USERDATA)); }

void ReadList(HWND dialog, FontsState& state) {
  state.list = ReadFontList(state.context->printerName);
  SendDlgItemMessageA(dialog, kList, LB_RESETCONTENT, 0, 0);
  for (const InstalledFontEntry& entry : state.list) {
    const std::string item = FontItemText(entry);
    SendDlgItemMessageA(dialog, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  for (int id : {kEdit, kDelete, kDownload}) EnableWindow(GetDlgItem(dialog, id), FALSE);
}

const InstalledFontEntry* Selected(HWND dialog, const FontsState& state) {
  const LRESULT index = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR || static_cast<size_t>(index) >= state.list.size()) return nullptr;
  return &state.list[static_cast<size_t>(index)];
}

void ShowSelection(HWND dialog, const FontsState& state) {
  const InstalledFontEntry* entry = Selected(dialog, state);
  if (!entry) return;
  SetStatus(dialog, FontDescription(*entry));
  const InstallerContext& c = *state.context;
  const bool onDisk = entry->location == kLocationPrinterDisk;
  const bool changeable = MayChange(c) && (!onDisk || !SharesInfoFile(c) || (c.flags & kFlagChooseInfoFile));
  EnableWindow(GetDlgItem(dialog, kEdit), changeable);
  EnableWindow(GetDlgItem(dialog, kDelete), changeable);
  EnableWindow(GetDlgItem(dialog, kDownload), MayChange(c) && !onDisk);
}

bool MayChangeEntry(HWND dialog, FontsState& state, const InstalledFontEntry& entry, UINT staleTextId, bool writes) {
  const InstallerContext& c = *state.context;
  if (entry.location != kLocationPrinterDisk || !SharesInfoFile(c) || c.infoFilePath[0] == '\0') return true;
  if (!ListsAreCurrent(dialog, c, kKindFonts, staleTextId, kCaption)) {
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

void Download(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = Selected(dialog, state);
  if (!selected) return;
  InstalledFontEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 688, false)) return;
  if (InstallerBox(dialog, 659, 720, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  SetStatus(dialog, LoadText(642));
  if (!DownloadFont(dialog, state.context->printerName, entry, nullptr, kDownloadToMemory)) {
    SetStatus(dialog, LoadText(640));
    return;
  }
  InstalledFontEntry loaded = entry;
  loaded.flags |= kEntryInMemory;
  UpdateInfoFont(dialog, state.context->printerName, &entry, &loaded, kUpdateMemoryMark, state.context->flags);
  const LRESULT index = SendDlgItemMessageA(dialog, kList, LB_GETCURSEL, 0, 0);
  ReadList(dialog, state);
  SendDlgItemMessageA(dialog, kList, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SetStatus(dialog, FontSummary(entry) + LoadText(641));
}

std::string MetricsFolder(int32_t location) {
  char folder[MAX_PATH] = {};
  const int which = location == kLocationPrinterDisk ? kFolderPclDiskFonts : kFolderUserPclFonts;
  if (InstallerSettings().GetPath(which, folder, sizeof folder) != ERROR_SUCCESS) return {};
  return folder;
}

void Delete(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = Selected(dialog, state);
  if (!selected) return;
  InstalledFontEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 690, true)) return;
  const UINT text = entry.location == kLocationPrinterDisk ? 657 : 656;
  const int answer = InstallerBox(dialog, text, 658, MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION);
  if (answer != IDYES && answer != IDNO) return;
  if (UpdateInfoFont(dialog, state.context->printerName, &entry, nullptr, kUpdateRemove, state.context->flags) != 1) {
    ReadList(dialog, state);
    SetStatus(dialog, LoadText(725));
    return;
  }
  if (answer == IDYES) {
    bool shared = false;
    for (const InstalledFontEntry& other : state.list) {
      shared = shared || (&other != selected && other.location == entry.location &&
                          std::strcmp(other.pfmFileName, entry.pfmFileName) == 0);
    }
    const std::string metrics = MetricsFolder(entry.location) + "\\" + entry.pfmFileName;
    if (!shared && !DeleteFileA(metrics.c_str())) {
      MessageBoxA(dialog, ("Cannot delete PFM file: " + metrics).c_str(), LoadText(686).c_str(), MB_OK | MB_ICONERROR);
    }
    if (entry.location == kLocationPrinterDisk) {
      int id = entry.id;
      deletePCLFile(dialog, entry.fontFilePath, kKindFonts, state.context->printerName, &id, nullptr);
    } else if (!DeleteFileA(entry.fontFilePath)) {
      MessageBoxA(dialog, (std::string("Cannot delete font file: ") + entry.fontFilePath).c_str(),
                  LoadText(686).c_str(), MB_OK | MB_ICONERROR);
    }
  }
  ReadList(dialog, state);
  SetStatus(dialog, "");
}

void Edit(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = Selected(dialog, state);
  if (!selected) return;
  const InstalledFontEntry entry = *selected;
  if (!MayChangeEntry(dialog, state, entry, 689, true)) return;
  if (!EditFontAttributes(dialog, state.context, entry, state.list)) return;
  ReadList(dialog, state);
  SetStatus(dialog, "");
}

void UpdateFromInfoFile(HWND dialog, FontsState& state) {
  // The metrics of the file's fonts come from its folder first.
  const std::string infoFile = state.context->infoFilePath;
  const std::string from = infoFile.substr(0, infoFile.find_last_of('\\'));
  const std::string to = MetricsFolder(kLocationPrinterDisk);
  HGLOBAL enumeration = InitEnumIniEntries(infoFile.c_str(), "Fonts");
  if (enumeration && !to.empty()) {
    char key[64];
    char value[1024];
    while (EnumIniEntries(enumeration, key, sizeof key, value, sizeof value)) {
      InstalledFontEntry listed{};
      if (key[0] == '\0' || !parseFontIniEntry(key, value, &listed)) continue;
      CopyFileA((from + "\\" + listed.pfmFileName).c_str(), (to + "\\" + listed.pfmFileName).c_str(), FALSE);
    }
  }
  if (enumeration) EndEnumIniEntries(enumeration);
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

INT_PTR CALLBACK FontsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  FontsState* state = StateOf(dialog);
  if (message == WM_INITDIALOG) {
    state = new FontsState;
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
      RunFontInstallDialog(dialog, state->context);
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
    case kHelp: ShowInstallerHelp(dialog, kHelpPclFonts, *state->context); break;
    case IDCANCEL:
      ShowInstallerHelp(dialog, kHelpClose, *state->context);
      EndDialog(dialog, IDCANCEL);
      break;
    default: break;
  }
  return TRUE;
}

}  // namespace

std::string LocationText(int32_t location) {
  return LoadText(location == kLocationPrinterDisk ? 675 : location == kLocationCartridge ? 678 : 674);
}

std::string FontSummary(const InstalledFontEntry& entry) {
  std::string name = entry.fontName;
  if (name.empty()) {
    const std::string path = entry.fontFilePath;
    name = "(" + path.substr(path.find_last_of('\\') + 1) + ")";
  }
  const std::string size = entry.pointSize == 0 ? LoadText(679) : std::to_string(entry.pointSize) + "pt";
  std::string style;
  if (entry.bold) style += LoadText(26);
  if (entry.italic) style += LoadText(27);
  return name + " " + size + " " + style;
}

std::string FontItemText(const InstalledFontEntry& entry) {
  std::string where = LocationText(entry.location);
  if (entry.flags & kEntryResident) {
    where += LoadText(676);
  } else if (entry.flags & kEntryInMemory) {
    where += LoadText(677);
  }
  const std::string head = entry.location == kLocationCartridge ? std::string(entry.fontName) : FontSummary(entry);
  return head + "   <" + where + ">\t\t\t\t\t\t\t" + entry.fontFilePath + "\t" + std::to_string(entry.location);
}

std::string FontDescription(const InstalledFontEntry& entry) {
  if (entry.location == kLocationCartridge) return std::string(entry.fontName) + " [cartridge]";
  const UINT orientation = entry.orientation == 1 ? 28 : entry.orientation == 2 ? 29 : 38;
  return FontSummary(entry) + " [id=" + std::to_string(entry.id) + ", " + LoadText(orientation) + ", " +
         LocationText(entry.location) + ", " + entry.fontFilePath + "]";
}

int32_t NextFreeFontId(const std::vector<InstalledFontEntry>& list, int32_t location) {
  const int32_t first = location == kLocationPrinterDisk ? 3000 : 1000;
  for (int32_t id = first; id <= first + 999; ++id) {
    bool used = false;
    for (const InstalledFontEntry& entry : list) used = used || (entry.id == id && entry.location == location);
    if (!used) return id;
  }
  return -1;
}

INT_PTR RunFontsDialog(HWND owner, InstallerContext* context) {
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(106), owner, FontsProcedure,
                         reinterpret_cast<LPARAM>(context));
}

}  // namespace fontinstaller
