// The PCL fonts dialog: the installed soft fonts of the printer and the actions on them.
#include <cstring>
#include <vector>

#include "common/settings_store.h"
#include "fontinstaller/download.h"
#include "fontinstaller/font_dialogs.h"
#include "fontinstaller/installed_list_dialog.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/files.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

struct FontsKind {
  using Entry = InstalledFontEntry;
  static constexpr int kKind = kKindFonts;
  static constexpr int kListId = 1029;
  static constexpr int kHelpTopic = kHelpPclFonts;
  static constexpr UINT kCaption = 652;
  static std::vector<Entry> Read(const char* printerName) { return ReadFontList(printerName); }
  static std::string ItemText(const Entry& entry) { return FontItemText(entry); }
  static std::string Description(const Entry& entry) { return FontDescription(entry); }
  static void Install(HWND dialog, InstallerContext* context) { RunFontInstallDialog(dialog, context); }
  static void Edit(HWND dialog, ListState<Entry>& state);
  static void Delete(HWND dialog, ListState<Entry>& state);
  static void Download(HWND dialog, ListState<Entry>& state);
  static void BeforeUpdate(const InstallerContext& context);
};

using FontsDialog = InstalledListDialog<FontsKind>;
using FontsState = ListState<InstalledFontEntry>;

std::string MetricsFolder(int32_t location) {
  char folder[MAX_PATH] = {};
  const int which = location == kLocationPrinterDisk ? kFolderPclDiskFonts : kFolderUserPclFonts;
  if (InstallerSettings().GetPath(which, folder, sizeof folder) != ERROR_SUCCESS) return {};
  return folder;
}

}  // namespace

void FontsKind::Download(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = FontsDialog::Selected(dialog, state);
  if (!selected) return;
  InstalledFontEntry entry = *selected;
  if (!FontsDialog::MayChangeEntry(dialog, state, entry, 688, false)) return;
  if (InstallerBox(dialog, 659, 720, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  SetStatus(dialog, LoadText(642));
  if (!DownloadFont(dialog, state.context->printerName, entry, nullptr, kDownloadToMemory)) {
    SetStatus(dialog, LoadText(640));
    return;
  }
  InstalledFontEntry loaded = entry;
  loaded.flags |= kEntryInMemory;
  UpdateInfoFont(dialog, state.context->printerName, &entry, &loaded, kUpdateMemoryMark, state.context->flags);
  const LRESULT index = SendDlgItemMessageA(dialog, FontsKind::kListId, LB_GETCURSEL, 0, 0);
  FontsDialog::ReadList(dialog, state);
  SendDlgItemMessageA(dialog, FontsKind::kListId, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SetStatus(dialog, FontSummary(entry) + LoadText(641));
}

void FontsKind::Delete(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = FontsDialog::Selected(dialog, state);
  if (!selected) return;
  InstalledFontEntry entry = *selected;
  if (!FontsDialog::MayChangeEntry(dialog, state, entry, 690, true)) return;
  const UINT text = entry.location == kLocationPrinterDisk ? 657 : 656;
  const int answer = InstallerBox(dialog, text, 658, MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_ICONQUESTION);
  if (answer != IDYES && answer != IDNO) return;
  if (UpdateInfoFont(dialog, state.context->printerName, &entry, nullptr, kUpdateRemove, state.context->flags) != 1) {
    FontsDialog::ReadList(dialog, state);
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
  FontsDialog::ReadList(dialog, state);
  SetStatus(dialog, "");
}

void FontsKind::Edit(HWND dialog, FontsState& state) {
  const InstalledFontEntry* selected = FontsDialog::Selected(dialog, state);
  if (!selected) return;
  const InstalledFontEntry entry = *selected;
  if (!FontsDialog::MayChangeEntry(dialog, state, entry, 689, true)) return;
  if (!EditFontAttributes(dialog, state.context, entry, state.list)) return;
  FontsDialog::ReadList(dialog, state);
  SetStatus(dialog, "");
}

// The metrics of the file's fonts come from its folder first.
void FontsKind::BeforeUpdate(const InstallerContext& context) {
  const std::string infoFile = context.infoFilePath;
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
}

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

INT_PTR RunFontsDialog(HWND owner, InstallerContext* context) { return FontsDialog::Run(owner, 106, context); }

}  // namespace fontinstaller
