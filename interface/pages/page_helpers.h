// What the document-mode settings pages share: the sheet's working settings and
// model, the printer-language tests of a job, and the small control chores of a
// refresh (show, enable, check, fill a combo, finish with the restricted mode,
// the profile selection and the model's hidden controls).
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/xdevmode.h"
#include "controls/tab_dialog.h"
#include "model/model_record.h"

namespace pages {

// The sheet's working settings; null for a page outside a sheet.
XDEVMODE* WorkingSettings(controls::DP_ListBoxTabDialogItem* page);
// The printer's model record for the sheet; null without a sheet or a model.
ModelRecord* SheetModel(controls::DP_ListBoxTabDialogItem* page);
HANDLE SheetPrinter(controls::DP_ListBoxTabDialogItem* page);
bool SheetRestricted(controls::DP_ListBoxTabDialogItem* page);
// Brings the sheet's profile combo up to date after a change of the settings.
void SettingsChanged(controls::DP_ListBoxTabDialogItem* page);

// PCL 5 or PCL XL, respectively PCL 5 alone; IsPostScriptJob is common/xdevmode.h's.
inline bool IsPclJob(const XDEVMODE& s) { return IsPclFamilyPdl(s.dmPrivate._nPDL); }
inline bool IsPcl5Job(const XDEVMODE& s) { return (s.dmPrivate._nPDL & kPdlPcl5Mask) != 0; }

void ShowItem(CWnd* page, int id, bool show);
void ShowItems(CWnd* page, std::initializer_list<int> ids, bool show);
void EnableItem(CWnd* page, int id, bool enable);
void EnableItems(CWnd* page, std::initializer_list<int> ids, bool enable);
void CheckItem(CWnd* page, int id, bool checked);
bool IsItemChecked(CWnd* page, int id);
std::string ItemText(CWnd* page, int id);
void SetItemText(CWnd* page, int id, const std::string& text);
void LimitItemText(CWnd* page, int id, UINT characters);

using ComboEntries = std::vector<std::pair<std::string, DWORD_PTR>>;
// Empties the combo and adds the entries with their item data.
void FillCombo(CWnd* page, int id, const ComboEntries& entries);
// Selects the entry whose data is `value`. When none has it the first entry is
// selected and its data answered, so that the caller stores what the page shows;
// an empty combo answers `value`.
DWORD_PTR SelectComboData(CWnd* page, int id, DWORD_PTR value);
// The item data of the selected entry; `fallback` when nothing is selected.
DWORD_PTR SelectedComboData(CWnd* page, int id, DWORD_PTR fallback);

// The end of every page's refresh: in restricted mode every child but `kept` is
// disabled, then (when asked) the profile selection is brought up to date, and
// the controls the model hides for this page are hidden.
void FinishRefresh(controls::DP_ListBoxTabDialogItem* page, std::initializer_list<int> kept, bool updateProfile);

// A numeric-text check of the custom-size and memory edits: not empty, not a
// lone ".", only digits and ".".
bool IsPlainNumberText(const std::string& text);
// The unsigned value of an edit's leading digits; 0 when there are none, and at
// most `ceiling` when it is larger.
unsigned long LeadingUnsigned(const std::string& text, unsigned long ceiling);

// A text of the system in UTF-8, in the process's code page for the controls.
std::string UiText(const char* utf8);

}  // namespace pages
