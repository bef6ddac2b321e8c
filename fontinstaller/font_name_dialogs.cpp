// The font information dialog and the font attribute editor.
#include <cstdlib>
#include <cstring>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "fontinstaller/font_dialogs.h"
#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "fontinstaller/soft_font_files.h"
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
constexpr int kFirstFamily = 177;  // Roman, Swiss, Modern, Script, Decorative, Don't care
constexpr int kFamilies[] = {16, 32, 48, 64, 80, 0};

void ShowFamily(HWND dialog, int family) {
  for (int i = 0; i < 6; ++i) {
    CheckDlgButton(dialog, kFirstFamily + i, kFamilies[i] == family ? BST_CHECKED : BST_UNCHECKED);
  }
  if (family % 16 != 0 || family > 80) CheckDlgButton(dialog, kFirstFamily + 5, BST_CHECKED);
}

int ChosenFamily(HWND dialog) {
  for (int i = 0; i < 6; ++i) {
    if (IsDlgButtonChecked(dialog, kFirstFamily + i) == BST_CHECKED) return kFamilies[i];
  }
  return 0;
}

void ShowCommon(HWND dialog, const InstalledFontEntry& entry) {
  CentreDialog(dialog);
  SetDlgItemTextA(dialog, kFile, entry.fontFilePath);
  SetDlgItemTextA(dialog, kDescription, FontDescription(entry).c_str());
  SendDlgItemMessageA(dialog, kName, EM_LIMITTEXT, 16, 0);
  SetDlgItemTextA(dialog, kName, entry.fontName);
  ShowFamily(dialog, entry.family);
}

// The name typed; an empty one is refused with its box and the old name is back.
bool TakeFontName(HWND dialog, const char* oldName, std::string* name) {
  *name = DialogItemText(dialog, kName);
  if (!name->empty()) return true;
  InstallerBox(dialog, 600, 701, MB_OK | MB_ICONWARNING);
  SetDlgItemTextA(dialog, kName, oldName);
  return false;
}

struct InformationRequest {
  const InstallerContext* context;
  InstalledFontEntry* entry;
};

INT_PTR CALLBACK InformationProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = reinterpret_cast<InformationRequest*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    request = reinterpret_cast<InformationRequest*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    ShowCommon(dialog, *request->entry);
    return TRUE;
  }
  if (message != WM_COMMAND || !request) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: {
      std::string name;
      if (!TakeFontName(dialog, request->entry->fontName, &name)) break;
      CopyField(request->entry->fontName, name.c_str());
      request->entry->family = ChosenFamily(dialog);
      EndDialog(dialog, IDOK);
      break;
    }
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case kHelp: ShowInstallerHelp(dialog, kHelpFontInformation, *request->context); break;
    default: break;
  }
  return TRUE;
}

struct EditRequest {
  InstallerContext* context;
  InstalledFontEntry entry;
  const std::vector<InstalledFontEntry>* list;
  DWORD flags;
};

// Name and family live in the font's metrics file too: the stored record is built from it.
bool RewriteMetrics(const InstalledFontEntry& entry, const std::string& name, int family) {
  char folder[MAX_PATH] = {};
  const int which = entry.location == kLocationPrinterDisk ? kFolderPclDiskFonts : kFolderUserPclFonts;
  if (InstallerSettings().GetPath(which, folder, sizeof folder) != ERROR_SUCCESS) return false;
  const std::string path = std::string(folder) + "\\" + entry.pfmFileName;
  std::optional<std::vector<uint8_t>> bytes = ReadWholeFile(path.c_str());
  if (!bytes) return false;
  std::optional<fontrecord::MetricsBlock> block = fontrecord::MetricsBlock::FromBytes(bytes->data(), bytes->size());
  if (!block || !block->IsValid()) return false;
  block->SetText(fontrecord::offset::kFaceName, 32, name.substr(0, 31));
  block->SetU8(fontrecord::offset::kPitchAndFamily, static_cast<uint8_t>(family));
  return WriteNewFile(path.c_str(), block->data(), block->size());
}

void StoreChanges(HWND dialog, EditRequest& request, const std::string& name, int family, int32_t id) {
  InstalledFontEntry& old = request.entry;
  InstalledFontEntry changed = old;
  CopyField(changed.fontName, name.c_str());
  changed.family = family;
  changed.id = id;
  changed.flags = request.flags;
  if (id != old.id) changed.flags &= ~kEntryInMemory;
  const bool metricsChanged = name != old.fontName || family != old.family;
  if (metricsChanged && !RewriteMetrics(old, name, family)) return;
  const bool recordChanged =
      metricsChanged || id != old.id || (changed.flags & kEntryResident) != (old.flags & kEntryResident);
  const DWORD flags = request.context->flags;
  if (recordChanged && UpdateInfoFont(dialog, request.context->printerName, &old, &changed, kUpdateChange, flags) != 1) {
    return;
  }
  if (id == old.id && (changed.flags & kEntryInMemory) != (old.flags & kEntryInMemory)) {
    UpdateInfoFont(dialog, request.context->printerName, &old, &changed, kUpdateMemoryMark, flags);
  }
}

INT_PTR CALLBACK AttributesProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* request = reinterpret_cast<EditRequest*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
  if (message == WM_INITDIALOG) {
    request = reinterpret_cast<EditRequest*>(lParam);
    SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    const InstalledFontEntry& e = request->entry;
    ShowCommon(dialog, e);
    ShowEntryIdentity(dialog, *request->context, e.id, e.location, e.flags);
    return TRUE;
  }
  if (message != WM_COMMAND || !request) return FALSE;
  if (ClickMemoryCheck(dialog, LOWORD(wParam), &request->flags)) return TRUE;
  switch (LOWORD(wParam)) {
    case IDOK: {
      std::string name;
      if (!TakeFontName(dialog, request->entry.fontName, &name)) break;
      const std::optional<int32_t> id = EditedId(dialog, request->entry.id);
      if (!id) break;
      bool used = false;
      for (const InstalledFontEntry& other : *request->list) {
        used = used || (other.location == request->entry.location && other.id == *id && other.id != request->entry.id);
      }
      if (used) {
        InstallerBox(dialog, 711, 712, MB_OK | MB_ICONWARNING);
        break;
      }
      StoreChanges(dialog, *request, name, ChosenFamily(dialog), *id);
      EndDialog(dialog, IDOK);
      break;
    }
    case IDCANCEL: EndDialog(dialog, IDCANCEL); break;
    case kHelp: ShowInstallerHelp(dialog, kHelpEditFont, *request->context); break;
    default: break;
  }
  return TRUE;
}

}  // namespace

bool AskFontInformation(HWND owner, const InstallerContext& context, InstalledFontEntry* entry) {
  InstalledFontEntry working = *entry;
  InformationRequest request{&context, &working};
  if (DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(7), owner, InformationProcedure,
                      reinterpret_cast<LPARAM>(&request)) != IDOK) {
    return false;
  }
  *entry = working;
  return true;
}

bool EditFontAttributes(HWND owner, InstallerContext* context, const InstalledFontEntry& entry,
                        const std::vector<InstalledFontEntry>& list) {
  EditRequest request{context, entry, &list, entry.flags};
  return DialogBoxParamA(InstallerInstance(), MAKEINTRESOURCEA(109), owner, AttributesProcedure,
                         reinterpret_cast<LPARAM>(&request)) == IDOK;
}

}  // namespace fontinstaller
