// The font information dialog and the font attribute editor.
#include <cstdlib>
#include <cstring>

#include "common/installed_font_record.h"
#include "common/settings_store.h"
#include "fontinstaller/entry_attributes_dialog.h"
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

constexpr int kName = kNameDialogName;
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
  ShowNameFields(dialog, entry.fontFilePath, FontDescription(entry), entry.fontName);
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
  auto* request = DialogData<InformationRequest>(dialog, message, lParam);
  if (message == WM_INITDIALOG) {
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
    case kNameDialogHelp: ShowInstallerHelp(dialog, kHelpFontInformation, *request->context); break;
    default: break;
  }
  return TRUE;
}

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

void StoreChanges(HWND dialog, EntryEditRequest<InstalledFontEntry>& request, const std::string& name, int family,
                  int32_t id) {
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
  if (recordChanged &&
      UpdateInfoFont(dialog, request.context->printerName, &old, &changed, kUpdateChange, flags) != 1) {
    return;
  }
  if (id == old.id && (changed.flags & kEntryInMemory) != (old.flags & kEntryInMemory)) {
    UpdateInfoFont(dialog, request.context->printerName, &old, &changed, kUpdateMemoryMark, flags);
  }
}

struct FontAttributes {
  using Entry = InstalledFontEntry;
  static constexpr WORD kTemplate = 109;
  static constexpr int kHelpTopic = kHelpEditFont;
  static void Show(HWND dialog, const Entry& e) { ShowCommon(dialog, e); }
  static bool TakeName(HWND dialog, const Entry& e, std::string* name) {
    return TakeFontName(dialog, e.fontName, name);
  }
  static void Store(HWND dialog, EntryEditRequest<Entry>& request, const std::string& name, int32_t id) {
    StoreChanges(dialog, request, name, ChosenFamily(dialog), id);
  }
};

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
  return EntryAttributesDialog<FontAttributes>::Run(owner, context, entry, list);
}

}  // namespace fontinstaller
