// Installing soft fonts: an open-file dialog on the module's template whose hook
// lists the fonts of the folder shown (the rows of its font directory file, or
// every accepted soft font and cartridge) and installs the one chosen on this
// PC's disk or on the printer's disk.
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/settings_store.h"
#include "fontinstaller/download.h"
#include "fontinstaller/file_names.h"
#include "fontinstaller/font_dialogs.h"
#include "fontinstaller/install_file_dialog.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/soft_font_files.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"
#include "platform/shell/create_directory.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

using namespace installcontrols;
constexpr UINT kCaption = 652;

struct InstallState {
  InstallerContext* context = nullptr;
  std::vector<InstalledFontEntry> fonts;  // in list order; location 1 or 2048
  std::optional<FontDirectory> directory;
  std::string folder;
};

void ListDirectoryFonts(InstallState& state, const std::string& glue) {
  std::optional<std::vector<uint8_t>> text = ReadWholeFile(glue.c_str());
  if (!text) return;
  state.directory = ReadFontDirectory(std::string(text->begin(), text->end()));
  if (!state.directory) return;
  for (size_t i = 0; i < state.directory->rows.size(); ++i) {
    const FontDirectoryRow& row = state.directory->rows[i];
    if (row.kind != kDirectoryFont) continue;
    InstalledFontEntry entry{};
    entry.location = kLocationPcDisk;
    entry.directoryIndex = static_cast<int32_t>(i);
    CopyField(entry.fontName, std::string(row.name, strnlen(row.name, sizeof row.name)).substr(0, 16).c_str());
    CopyField(entry.fontFilePath,
              JoinPath(state.folder, std::string(row.file, strnlen(row.file, sizeof row.file))).c_str());
    entry.bold = std::strcmp(row.weightSuffix, "Bold") == 0 ? 1 : 0;
    entry.italic = std::strcmp(row.slant, "Italic") == 0 ? 1 : 0;
    state.fonts.push_back(entry);
  }
}

void ListFolderFonts(InstallState& state) {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(JoinPath(state.folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (found.nFileSizeLow == 0 && found.nFileSizeHigh == 0)) {
      continue;
    }
    const std::string path = JoinPath(state.folder, found.cFileName);
    InstalledFontEntry entry{};
    entry.directoryIndex = -1;
    CopyField(entry.fontFilePath, path.c_str());
    if (ReadFontHeader(&entry, path.c_str())) {
      entry.location = kLocationPcDisk;
      state.fonts.push_back(entry);
    } else if (ReadCartridgeHeader(path.c_str(), &entry)) {
      entry.location = kLocationCartridge;
      state.fonts.push_back(entry);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

std::vector<std::string> ListFonts(InstallState& state) {
  state.fonts.clear();
  state.directory.reset();
  state.folder = CurrentFolderPath();
  const std::string glue = JoinPath(state.folder, "glue.txt");
  if (GetFileAttributesA(glue.c_str()) != INVALID_FILE_ATTRIBUTES) {
    ListDirectoryFonts(state, glue);
  } else {
    ListFolderFonts(state);
  }
  std::vector<std::string> items;
  for (const InstalledFontEntry& entry : state.fonts)
    items.push_back(FontSummary(entry) + "\t\t\t\t\t\t\t" + FileNamePart(entry.fontFilePath));
  return items;
}

InstalledFontEntry* SelectedFont(HWND dialog, InstallState& state);

std::string InstallDescription(const InstalledFontEntry& entry) {
  if (entry.location == kLocationCartridge) return std::string(entry.fontName) + " [cartridge]";
  const UINT orientation = entry.orientation == 1 ? 28 : entry.orientation == 2 ? 29 : 38;
  return FontSummary(entry) + " [" + LoadText(orientation) + ", " + entry.fontFilePath + "]";
}

// A font whose names would not read back from a record, or whose glyphs claim
// more than PCL allows or their data holds, is no font to install.
bool SoundFont(const InstalledFontEntry& entry, const std::string& pfm, const std::string& recorded) {
  if (!IsPlainRecordFileName(pfm) || recorded.find_first_of(",;") != std::string::npos) return false;
  if (entry.location == kLocationCartridge || entry.directoryIndex >= 0) return true;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(entry.fontFilePath);
  return bytes && BuildPrinterDiskCopy(*bytes).has_value();
}

// Files written by an install that did not complete.
struct Written {
  std::vector<std::string> paths;
  void Add(const std::string& path) { paths.push_back(path); }
  void RemoveAll() {
    for (const std::string& path : paths) {
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    paths.clear();
  }
};

void InstallFont(HWND dialog, InstallState& state) {
  InstalledFontEntry* selected = SelectedFont(dialog, state);
  if (!selected) return;
  InstalledFontEntry entry = *selected;
  InstallerContext& c = *state.context;
  if (entry.location != kLocationCartridge && IsDlgButtonChecked(dialog, kPrinterDisk) == BST_CHECKED) {
    entry.location = kLocationPrinterDisk;
  }
  const bool toDisk = entry.location == kLocationPrinterDisk;
  if (toDisk && SharesInfoFile(c) && !InfoFileWritable(c)) {
    InstallerBox(dialog, 716, kCaption, MB_OK | MB_ICONERROR);
    return;
  }
  const std::string source = entry.fontFilePath;
  const std::string fileName = FileNamePart(source);
  const size_t dot = fileName.rfind('.');
  const std::string pfm = (dot == std::string::npos ? fileName : fileName.substr(0, dot)) + ".pfm";
  const std::string pcFolder = InstallerFolder(kFolderUserPclFonts);
  const std::string metricsFolder = toDisk ? InstallerFolder(kFolderPclDiskFonts) : pcFolder;
  const std::string recorded = toDisk ? source : JoinPath(pcFolder, fileName);
  if (!SoundFont(entry, pfm, recorded)) {
    InstallerBox(dialog, 727, 687, MB_OK | MB_ICONERROR);
    return;
  }
  std::vector<InstalledFontEntry> list = ReadFontList(c.printerName);
  const InstalledFontEntry* replaced = nullptr;
  for (const InstalledFontEntry& other : list) {
    if (other.location != entry.location) continue;
    if (lstrcmpiA(FileNamePart(other.fontFilePath).c_str(), fileName.c_str()) == 0) {
      InstallerBox(dialog, toDisk ? 682 : 681, 686, MB_OK | MB_ICONINFORMATION);
      return;
    }
    if (lstrcmpiA(other.pfmFileName, pfm.c_str()) == 0) replaced = &other;
  }
  if (replaced && InstallerBox(dialog, 726, 687, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
  if (entry.fontName[0] == '\0' && entry.directoryIndex < 0) {
    if (InstallerBox(dialog, 599, 687, MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    if (!AskFontInformation(dialog, c, &entry)) return;
  }
  const int32_t id = replaced ? replaced->id : NextFreeFontId(list, entry.location);
  if (id < 0) {
    InstallerBox(dialog, 713, 687, MB_OK | MB_ICONWARNING);
    return;
  }
  if (metricsFolder.empty() ||
      (!FolderExists(metricsFolder) && SHCreateDirectoryExA(dialog, metricsFolder.c_str(), nullptr) != 0 &&
       !FolderExists(metricsFolder))) {
    InstallerBox(dialog, 670, 702, MB_OK | MB_ICONERROR);
    SetStatus(dialog, LoadText(725));
    return;
  }
  // The metrics go to a name of their own until the font is recorded, so a
  // failed replace leaves the installed font as it was.
  const std::string metrics = JoinPath(metricsFolder, pfm);
  const std::string staged = metrics + ".new";
  Written written;
  const int mode = entry.directoryIndex >= 0 ? 1 : 0;
  if (!WriteMetricsFile(&entry, staged.c_str(), mode, state.directory ? &*state.directory : nullptr,
                        state.folder.c_str())) {
    InstallerBox(dialog, 654, 687, MB_OK | MB_ICONERROR);
    SetStatus(dialog, LoadText(725));
    return;
  }
  written.Add(staged);
  if (!toDisk && lstrcmpiA(source.c_str(), recorded.c_str()) != 0) {
    SetFileAttributesA(recorded.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!CopyFileA(source.c_str(), recorded.c_str(), FALSE)) {
      written.RemoveAll();
      SetStatus(dialog, LoadText(725));
      return;
    }
    SetFileAttributesA(recorded.c_str(), FILE_ATTRIBUTE_NORMAL);
    written.Add(recorded);
  }
  if (toDisk) {
    SetStatus(dialog, LoadText(642));
    const std::string temp = JoinPath(metricsFolder, "temp");
    InstalledFontEntry sent = entry;
    sent.id = id;
    const bool converted = ConvertForPrinterDisk(temp.c_str(), &entry) == 1;
    const bool downloaded = converted && DownloadFont(dialog, c.printerName, sent, temp.c_str(), kDownloadToDisk) == 1;
    DeleteFileA(temp.c_str());
    if (!downloaded) {
      if (!converted) InstallerBox(dialog, 717, 687, MB_OK | MB_ICONERROR);
      written.RemoveAll();
      SetStatus(dialog, LoadText(725));
      return;
    }
  }
  // The stored record is built from the metrics file under its final name.
  InstalledFontEntry previous{};
  if (replaced) {
    previous = *replaced;
    UpdateInfoFont(dialog, c.printerName, &previous, nullptr, kUpdateRemove, c.flags);
  }
  SetFileAttributesA(metrics.c_str(), FILE_ATTRIBUTE_NORMAL);
  const bool kept = GetFileAttributesA(metrics.c_str()) != INVALID_FILE_ATTRIBUTES;
  const std::string saved = metrics + ".old";
  if (kept) MoveFileExA(metrics.c_str(), saved.c_str(), MOVEFILE_REPLACE_EXISTING);
  MoveFileExA(staged.c_str(), metrics.c_str(), MOVEFILE_REPLACE_EXISTING);
  written.paths.front() = metrics;
  entry.id = id;
  entry.flags = 0;
  CopyField(entry.pfmFileName, pfm.c_str());
  CopyField(entry.fontFilePath, recorded.c_str());
  if (UpdateInfoFont(dialog, c.printerName, &entry, nullptr, kUpdateAdd, c.flags) != 1) {
    written.RemoveAll();
    if (kept) MoveFileExA(saved.c_str(), metrics.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (replaced) UpdateInfoFont(dialog, c.printerName, &previous, nullptr, kUpdateAdd, c.flags);
    SetStatus(dialog, LoadText(725));
    return;
  }
  if (kept) DeleteFileA(saved.c_str());
  if (toDisk && SharesInfoFile(c)) {
    const std::string infoFile = c.infoFilePath;
    const std::string shared = JoinPath(infoFile.substr(0, infoFile.find_last_of('\\')), pfm);
    if (!CopyFileA(metrics.c_str(), shared.c_str(), FALSE)) {
      InstallerBox(dialog, 672, 687, MB_OK | MB_ICONERROR);
    }
  }
  SetStatus(dialog, FontSummary(entry) + LoadText(680));
  if (!replaced) InstallerBox(dialog, 691, 687, MB_OK | MB_ICONINFORMATION);
}

struct FontFiles {
  using State = InstallState;
  static constexpr int kListId = 1029;
  static constexpr int kHelpTopic = kHelpInstallFonts;
  static constexpr WORD kTemplate = 112;
  static constexpr const char* kFolderKey = "PCLFont";
  static void Start(HWND dialog, const InstallerContext& context) {
    InitInstallDialog(dialog, context, {1041, 1043, 1015});
  }
  static std::vector<std::string> List(State& state) { return ListFonts(state); }
  static bool ShowSelection(HWND dialog, State& state) {
    const InstalledFontEntry* font = SelectedFont(dialog, state);
    if (!font) return false;
    SetStatus(dialog, InstallDescription(*font));
    if (font->location == kLocationCartridge) {
      // A cartridge is listed on this PC only.
      CheckDlgButton(dialog, kPcDisk, BST_CHECKED);
      CheckDlgButton(dialog, kPrinterDisk, BST_UNCHECKED);
      EnableWindow(GetDlgItem(dialog, kPrinterDisk), FALSE);
    }
    return true;
  }
  static void Install(HWND dialog, State& state) { InstallFont(dialog, state); }
  static void Edit(HWND dialog, State& state) {
    if (InstalledFontEntry* font = SelectedFont(dialog, state)) AskFontInformation(dialog, *state.context, font);
  }
};

InstalledFontEntry* SelectedFont(HWND dialog, InstallState& state) {
  const int index = InstallFileDialog<FontFiles>::SelectedIndex(dialog, state.fonts.size());
  return index < 0 ? nullptr : &state.fonts[static_cast<size_t>(index)];
}

}  // namespace

void RunFontInstallDialog(HWND owner, InstallerContext* context) { InstallFileDialog<FontFiles>::Run(owner, context); }

}  // namespace fontinstaller
