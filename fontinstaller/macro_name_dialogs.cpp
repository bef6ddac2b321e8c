// The macro information dialog and the macro attribute editor.
#include <cstdlib>
#include <cstring>

#include "fontinstaller/entry_attributes_dialog.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/macro_dialogs.h"
#include "fontinstaller/macro_names.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/sound.h"
#include "platform/ui/user.h"

namespace fontinstaller {
namespace {

constexpr int kName = kNameDialogName;
constexpr UINT kCaption = 697;

// The name typed, when the rule takes it; otherwise the user is told (or hears)
// why and the old name is back in the edit when it was empty.
bool TakeMacroName(HWND dialog, const std::string& oldName, std::string* name) {
  const std::string typed = DialogItemText(dialog, kName);
  switch (CheckMacroName(typed)) {
    case MacroNameCheck::kValid: *name = typed; return true;
    case MacroNameCheck::kNotSingleByte: InstallerBox(dialog, 3, kCaption, MB_OK | MB_ICONWARNING); return false;
    case MacroNameCheck::kForbidden: InstallerBox(dialog, 2, kCaption, MB_OK | MB_ICONWARNING); return false;
    case MacroNameCheck::kEmpty:
    case MacroNameCheck::kTooLong:
      MessageBeep(MB_OK);
      SetDlgItemTextA(dialog, kName, oldName.c_str());
      return false;
  }
  return false;
}

struct NameRequest {
  const InstallerContext* context;
  std::string file;
  std::string description;
  std::string name;
};

INT_PTR CALLBACK InformationProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = DialogData<NameRequest>(dialog, message, lParam);
  if (message == WM_INITDIALOG) {
    ShowNameFields(dialog, request->file, request->description, request->name);
    return TRUE;
  }
  if (message != WM_COMMAND || !request) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      if (TakeMacroName(dialog, request->name, &request->name)) EndDialog(dialog, IDOK);
      break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case kNameDialogHelp: ShowInstallerHelp(dialog, kHelpMacroInformation, *request->context); break;
    default: break;
  }
  return TRUE;
}

// Stores what the editor changed; false when a change could not be stored.
bool StoreChanges(HWND dialog, EntryEditRequest<InstalledMacroEntry>& request, const std::string& name, int32_t id) {
  InstalledMacroEntry& old = request.entry;
  InstalledMacroEntry changed = old;
  CopyField(changed.name, name.c_str());
  changed.id = id;
  changed.flags = request.flags;
  if (id != old.id) changed.flags &= ~kEntryInMemory;  // the printer holds the macro under its old id
  const bool recordChanged =
      id != old.id || name != old.name || (changed.flags & kEntryResident) != (old.flags & kEntryResident);
  const DWORD flags = request.context->flags;
  bool stored = true;
  if (recordChanged) {
    stored = UpdateInfoMacro(dialog, request.context->printerName, &old, &changed, kUpdateChange, flags) == 1;
  }
  if (stored && id == old.id && (changed.flags & kEntryInMemory) != (old.flags & kEntryInMemory)) {
    stored = UpdateInfoMacro(dialog, request.context->printerName, &old, &changed, kUpdateMemoryMark, flags) == 1;
  }
  if (stored) old = changed;
  return stored;
}

struct MacroAttributes {
  using Entry = InstalledMacroEntry;
  static constexpr WORD kTemplate = 105;
  static constexpr int kHelpTopic = kHelpEditMacro;
  static void Show(HWND dialog, const Entry& e) { ShowNameFields(dialog, e.filePath, MacroDescription(e), e.name); }
  static bool TakeName(HWND dialog, const Entry& e, std::string* name) { return TakeMacroName(dialog, e.name, name); }
  static void Store(HWND dialog, EntryEditRequest<Entry>& request, const std::string& name, int32_t id) {
    StoreChanges(dialog, request, name, id);
  }
};

}  // namespace

bool AskMacroName(HWND owner, const InstallerContext& context, const std::string& file, const std::string& description,
                  std::string* name) {
  NameRequest request{&context, file, description, *name};
  if (DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(111), owner, InformationProcedure,
                      reinterpret_cast<LPARAM>(&request)) != IDOK) {
    return false;
  }
  *name = request.name;
  return true;
}

bool EditMacroAttributes(HWND owner, InstallerContext* context, const InstalledMacroEntry& entry,
                         const std::vector<InstalledMacroEntry>& list) {
  return EntryAttributesDialog<MacroAttributes>::Run(owner, context, entry, list);
}

}  // namespace fontinstaller
