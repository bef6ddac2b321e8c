#include "detect/messages.h"
#include "detect/wizard_page.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kLanguageCombo = 1004;

struct Language {
  int code;
  unsigned text;
};
// In the order the list shows them.
constexpr Language kLanguages[] = {
    {kPdlPostScriptMask, detect::kTextPostScript}, {kPdlPcl5Mask, detect::kTextPcl5e}, {kPdlPclXl, detect::kTextPclXl}};

std::string NameOf(int code) {
  if (code & kPdlPcl5Mask) return detect::LoadText(detect::kTextPcl5e);
  if (code & kPdlPclXl) return detect::LoadText(detect::kTextPclXl);
  return detect::LoadText(detect::kTextPostScript);
}

}  // namespace

void CSelectEmulDlg::OnInit() {
  SetItemText(1020, detect::LoadText(sheet_->networkQueue ? detect::kTextQueuePort : detect::kTextPort));
  SetItemText(1005, sheet_->printerName);
  SetItemText(1006, sheet_->portName);
  // The default-printer question is not acted on; it starts at "no".
  CheckDlgButton(window(), 1008, BST_CHECKED);
}

void CSelectEmulDlg::OnSetActive() {
  SetButtons(sheet_->capabilityFlags ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_NEXT);
  HWND combo = Item(kLanguageCombo);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  int selected = sheet_->pdl;
  bool answered = false;
  for (const Language& language : kLanguages) {
    if (sheet_->emulation == language.code) {
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(detect::LoadText(language.text).c_str()));
      selected = language.code;
      answered = true;
    }
  }
  if (!answered) {
    for (const Language& language : kLanguages)
      if (sheet_->ModelHas(language.code))
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(detect::LoadText(language.text).c_str()));
  }
  const std::string name = NameOf(selected);
  const LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str()));
  SendMessageA(combo, CB_SETCURSEL, index == CB_ERR ? 0 : static_cast<WPARAM>(index), 0);
}

LRESULT CSelectEmulDlg::OnNext() {
  SetButtons(0);
  const std::string chosen = ItemText(kLanguageCombo);
  const int previousPdl = sheet_->pdl;
  // clang-format off
  if (chosen == detect::LoadText(detect::kTextPcl5e)) sheet_->pdl = kPdlPcl5Mask;
  else if (chosen == detect::LoadText(detect::kTextPclXl)) sheet_->pdl = kPdlPclXl;
  else sheet_->pdl = kPdlPostScriptMask;
  // clang-format on
  if (!sheet_->CommitSettings()) {
    // Nothing is lost: the user can try again or cancel, which puts the
    // queue's settings back.
    sheet_->pdl = previousPdl;
    detect::ShowMessage(window(), detect::kTextCommitFailed, MB_OK | MB_ICONEXCLAMATION);
    SetButtons(sheet_->capabilityFlags ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_NEXT);
    return -1;
  }
  sheet_->PushPage(pageId());
  return kPageGoodbye;
}
