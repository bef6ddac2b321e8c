// The installer's dialogs: plain dialog procedures on the module's templates,
// each keeping its state in a block hung on the window's user data. What they
// share: placement, help, boxes from the string table, the checks before a
// change of the printer-disk lists, and the run's context.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "fontinstaller/installer_records.h"
#include "platform/base/types.h"
#include "platform/ui/user.h"
#include "platform/ui/window.h"

namespace fontinstaller {

// Help topics.
constexpr int kHelpPclFonts = 2;
constexpr int kHelpPclMacros = 3;
constexpr int kHelpEditFont = 10;
constexpr int kHelpEditMacro = 17;
constexpr int kHelpInstallFonts = 23;
constexpr int kHelpInstallMacros = 28;
constexpr int kHelpConfigure = 36;
constexpr int kHelpFontInformation = 46;
constexpr int kHelpMacroInformation = 47;
constexpr int kHelpClose = -1;

// Centres the dialog on the widest of its ancestors (two fifths of the free
// height above it), kept inside the screen.
void CentreDialog(HWND dialog);

// Opens (or, for a negative topic, closes) the help of the run's help file.
void ShowInstallerHelp(HWND owner, int topic, const InstallerContext& context);

// A box with texts of the string table; a text with "%s" takes the argument.
int InstallerBox(HWND owner, UINT textId, UINT captionId, UINT style, const std::string& argument = {});

std::string DialogItemText(HWND dialog, int id);

// The process's current folder (the one the file dialogs show), a path joined
// to a name.
std::string CurrentFolderPath();
std::string JoinPath(const std::string& folder, const std::string& name);
// A folder of DBGetPath (empty when the settings library gives none) and
// whether a folder exists.
std::string InstallerFolder(int which);
bool FolderExists(const std::string& folder);

// Runs an install dialog: the open-file dialog on the module's template with the
// hook, starting in the folder remembered under folderKey; state reaches the
// hook's WM_INITDIALOG as the request's lCustData.
void RunInstallFileDialog(HWND owner, WORD templateId, UINT_PTR(CALLBACK* hook)(HWND, UINT, WPARAM, LPARAM),
                          LPARAM state, const char* folderKey);

// An install dialog's start: centred, the controls it does not use hidden, this
// PC's disk chosen, the printer's disk offered only where the user may change
// what the shared file lists.
void InitInstallDialog(HWND dialog, const InstallerContext& context, std::initializer_list<int> hidden);

// An attribute editor's name (173), id (174) and memory check boxes for an
// installed entry: name and id change only for entries off the printer's disk.
void ShowEntryIdentity(HWND dialog, const InstallerContext& context, int32_t id, int32_t location, DWORD flags);

// The memory check boxes of the attribute editors: 1038 (loaded into memory,
// can only be unticked) and 1007 (loaded as resident, shown on request).
void ShowMemoryChecks(HWND dialog, DWORD flags, bool showResident);
// A click on either; false for other controls.
bool ClickMemoryCheck(HWND dialog, int control, DWORD* flags);
// The id typed into control 174; nothing (after a beep, the old id shown again)
// unless it is a PCL id.
std::optional<int32_t> EditedId(HWND dialog, int32_t oldId);

// The block a dialog procedure keeps on its window: taken from lParam at
// WM_INITDIALOG, read back from the window after.
template <class Data>
Data* DialogData(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    return reinterpret_cast<Data*>(lParam);
  }
  return reinterpret_cast<Data*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// The information dialogs and attribute editors: the file (171), description
// (172) and name (173, at most 16 bytes) of an entry, the dialog centred.
constexpr int kNameDialogFile = 171;
constexpr int kNameDialogDescription = 172;
constexpr int kNameDialogName = 173;
constexpr int kNameDialogHelp = 1012;
void ShowNameFields(HWND dialog, const std::string& file, const std::string& description, const std::string& name);
void SetStatus(HWND dialog, const std::string& text);

bool MayChange(const InstallerContext& context);
bool SharesInfoFile(const InstallerContext& context);
// The information file can be opened for writing.
bool InfoFileWritable(const InstallerContext& context);

// Before a change of an entry on the printer's disk under a shared information
// file: false (the action ends) when the counters cannot be read, or when they
// differ, in which case the staleAction box was shown and the lists synced.
bool ListsAreCurrent(HWND owner, const InstallerContext& context, int kind, UINT staleTextId, UINT captionId);

INT_PTR RunVersionDialog(HWND owner);
// The printer information file dialog; 1 when a choice was taken.
INT_PTR RunInfoFileDialog(HWND owner, InstallerContext* context);
INT_PTR RunMacrosDialog(HWND owner, InstallerContext* context);
INT_PTR RunFontsDialog(HWND owner, InstallerContext* context);

}  // namespace fontinstaller

ZEL_EXPORT int EnterInstaller(HWND owner, LPCSTR printerName, void* reserved, int kind, DWORD flags);
