// The macro information dialog and the macro attribute editor.
#include <cstdlib>
#include <cstring>

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

constexpr int kFile = 171;
constexpr int kDescription = 172;
constexpr int kName = 173;
constexpr int kHelp = 1012;
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
  auto* request = reinterpret_cast<NameRequest*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    request = reinterpret_cast<NameRequest*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    CentreDialog(dialog);
    SetDlgItemTextA(dialog, kFile, request->file.c_str());
    SetDlgItemTextA(dialog, kDescription, request->description.c_str());
    SendDlgItemMessageA(dialog, kName, EM_LIMITTEXT, 16, 0);
    SetDlgItemTextA(dialog, kName, request->name.c_str());
    return TRUE;
  }
  if (message != WM_COMMAND || !request) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK:
      if (TakeMacroName(dialog, request->name, &request->name)) EndDialog(dialog, IDOK);
      break;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case kHelp: ShowInstallerHelp(dialog, kHelpMacroInformation, *request->context); break;
    default: break;
  }
  return TRUE;
}

struct EditRequest {
  InstallerContext* context;
  InstalledMacroEntry entry;
  const std::vector<InstalledMacroEntry>* list;
  DWORD flags;  // as the check boxes leave them
};

bool IdInUse(const EditRequest& request, int32_t id) {
  for (const InstalledMacroEntry& other : *request.list) {
    if (other.location == request.entry.location && other.id == id && other.id != request.entry.id) return true;
  }
  return false;
}

// Stores what the editor changed; false when a change could not be stored.
bool StoreChanges(HWND dialog, EditRequest& request, const std::string& name, int32_t id) {
  InstalledMacroEntry& old = request.entry;
  InstalledMacroEntry changed = old;
  CopyField(changed.name, name.c_str());
  changed.id = id;
  changed.flags = request.flags;
  if (id != old.id) changed.flags &= ~kEntryInMemory;  // the printer holds the macro under its old id
  const bool recordChanged = id != old.id || name != old.name || (changed.flags & kEntryResident) != (old.flags & kEntryResident);
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

INT_PTR CALLBACK AttributesProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = reinterpret_cast<EditRequest*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    request = reinterpret_cast<EditRequest*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    CentreDialog(dialog);
    const InstalledMacroEntry& e = request->entry;
    SetDlgItemTextA(dialog, kFile, e.filePath);
    SetDlgItemTextA(dialog, kDescription, MacroDescription(e).c_str());
    SendDlgItemMessageA(dialog, kName, EM_LIMITTEXT, 16, 0);
    SetDlgItemTextA(dialog, kName, e.name);
    ShowEntryIdentity(dialog, *request->context, e.id, e.location, e.flags);
    return TRUE;
  }
  if (message != WM_COMMAND || !request) return FALSE;
  if (ClickMemoryCheck(dialog, LOWORD(wParam), &request->flags)) return TRUE;
  switch (LOWORD(wParam)) {
    case IDOK: {
      std::string name;
      if (!TakeMacroName(dialog, request->entry.name, &name)) break;
      const std::optional<int32_t> id = EditedId(dialog, request->entry.id);
      if (!id) break;
      if (IdInUse(*request, *id)) {
        InstallerBox(dialog, 711, 712, MB_OK | MB_ICONWARNING);
        break;
      }
      StoreChanges(dialog, *request, name, *id);
      EndDialog(dialog, IDOK);
      break;
    }
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case kHelp: ShowInstallerHelp(dialog, kHelpEditMacro, *request->context); break;
    default: break;
  }
  return TRUE;
}

}  // namespace

bool AskMacroName(HWND owner, const InstallerContext& context, const std::string& file,
                  const std::string& description, std::string* name) {
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
  EditRequest request{context, entry, &list, entry.flags};
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(105), owner, AttributesProcedure,
                         reinterpret_cast<LPARAM>(&request)) == IDOK;
}

}  // namespace fontinstaller
