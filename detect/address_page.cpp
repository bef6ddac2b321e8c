#include "detect/address_page.h"

#include <strings.h>

#include "detect/address_rules.h"
#include "detect/detection_dialog.h"
#include "detect/detection_session.h"
#include "detect/messages.h"
#include "platform/base/format.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int kNoticeDialog = 112;
constexpr int kLongestLogicalPrinter = 31;
constexpr size_t kOctetDigits = 3;

INT_PTR CALLBACK NoticeProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

void CGetAddressDlg::OnInit() {
  EnableWindow(Item(kIpRadio), (sheet_->capabilityFlags & kCapabilityIp) ? TRUE : FALSE);
  EnableWindow(Item(kIpxRadio), (sheet_->capabilityFlags & kCapabilityIpx) ? TRUE : FALSE);
  SetItemText(1020, detect::LoadText(sheet_->networkQueue ? detect::kTextQueuePort : detect::kTextPort));
  SetItemText(1006, sheet_->portName);
  lastResult_ = 0;
  // Digits only (the edits' own style) and three of them.
  for (int id = kFirstOctet; id <= kLastOctet; ++id) SendMessageA(Item(id), EM_LIMITTEXT, kOctetDigits, 0);
  const auto octets = ParseDottedQuad(sheet_->ipAddress);
  if (!octets || (*octets)[0] == 0) sheet_->ipAddress.clear();

  HWND combo = Item(kLogicalPrinterCombo);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  if (sheet_->ModelHas(kPdlPostScriptMask))
    SelectLogicalPrinter(detect::LoadText(detect::kTextLogicalPostScript), false);
  if (sheet_->ModelHas(kPdlPcl5Mask)) SelectLogicalPrinter(detect::LoadText(detect::kTextLogicalPcl5), false);
  if (sheet_->ModelHas(kPdlPclXl)) SelectLogicalPrinter(detect::LoadText(detect::kTextLogicalPclXl), false);
  SelectLogicalPrinter(sheet_->logicalPrinter, true);

  CheckDlgButton(window(), kIpRadio, sheet_->protocol == 1 ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(window(), kIpxRadio, sheet_->protocol == 1 ? BST_CHECKED : BST_UNCHECKED);
  SetItemText(kIpxEdit, sheet_->ipxAddress);
  if (!sheet_->ipAddress.empty()) FillOctets(sheet_->ipAddress);
  ShowProtocol();
}

void CGetAddressDlg::SelectLogicalPrinter(const std::string& name, bool select) {
  HWND combo = Item(kLogicalPrinterCombo);
  if (name.empty()) return;
  const std::string shown = name.substr(0, kLongestLogicalPrinter);
  LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(shown.c_str()));
  // The suggestions may name one logical printer twice (both PCL families).
  if (index == CB_ERR || !select) index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  if (select) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CGetAddressDlg::FillOctets(const std::string& address) {
  const auto octets = ParseDottedQuad(address);
  for (int i = 0; i < 4; ++i) {
    const int value = octets ? (*octets)[static_cast<size_t>(i)] : -1;
    SetItemText(kFirstOctet + i, value < 0 ? std::string() : std::to_string(value));
  }
}

void CGetAddressDlg::ShowProtocol() {
  const bool ipx = ProtocolShown() == 1;
  ShowWindow(Item(kIpxEdit), ipx ? SW_SHOW : SW_HIDE);
  for (int id = kFirstOctet; id <= kLastOctet; ++id) ShowWindow(Item(id), ipx ? SW_HIDE : SW_SHOW);
}

void CGetAddressDlg::OnSetActive() {
  SetButtons(PSWIZB_BACK | PSWIZB_NEXT);
  sheet_->monitor = 1;
  if (lastResult_ == kDetectionFound) {
    const bool ipx = ProtocolShown() == 1;
    EnableWindow(Item(ipx ? kIpxRadio : kIpRadio), TRUE);
    if (ipx)
      EnableWindow(Item(kIpxEdit), TRUE);
    else
      for (int id = kFirstOctet; id <= kLastOctet; ++id) EnableWindow(Item(id), TRUE);
    EnableWindow(Item(kLogicalPrinterCombo), TRUE);
  }
  lastResult_ = 0;
  EnableWindow(Item(kDetectButton), TRUE);
}

std::string CGetAddressDlg::ComposedIpAddress() const {
  std::string address;
  for (int id = kFirstOctet; id <= kLastOctet; ++id) {
    if (id != kFirstOctet) address += '.';
    address += ItemText(id);
  }
  return address;
}

LRESULT CGetAddressDlg::OnNext() {
  const int protocol = ProtocolShown();
  const std::string ip = protocol == 0 ? ComposedIpAddress() : std::string();
  const std::string ipx = protocol == 1 ? ItemText(kIpxEdit) : std::string();
  const std::string logical = ItemText(kLogicalPrinterCombo);
  const std::string address = protocol == 0 ? ip : ipx;
  const bool valid = !logical.empty() && (protocol == 1 ? !ipx.empty() : IsAcceptableIpAddress(ip));
  bool goOn = true;
  if (!valid) {
    if (detect::ShowMessage(window(), detect::kTextIncomplete, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
      return -1;
    sheet_->monitor = 0;
    emulation_ = -1;
  } else {
    if (lastResult_ != kDetectionFound) {
      EnableWindow(Sheet(), FALSE);
      HWND notice = CreateDialogParamA(0, MAKEINTRESOURCEA(kNoticeDialog), window(), NoticeProcedure, 0);
      if (notice) ShowWindow(notice, SW_SHOW);
      DetectionSession session(sheet_->printerName, sheet_->snmpAvailable);
      emulation_ = session.SavePortAndQueryEmulation(protocol, address, logical);
      if (notice) DestroyWindow(notice);
      EnableWindow(Sheet(), TRUE);
    }
    switch (emulation_) {
      case kEmulationNoLogicalPrinter:
        detect::ShowMessage(window(), detect::FormatText(detect::kTextNoLogicalPrinter, logical), MB_OK);
        return -1;
      case 16:
      case 32: break;
      case kPdlPcl5Mask:
      case kPdlPostScriptMask:
      case kPdlPclXl:
        if (!sheet_->ModelHas(emulation_)) {
          goOn = detect::ShowMessage(window(), detect::FormatText(detect::kTextNoPcl, logical, address), MB_YESNO) ==
                 IDYES;
          if (goOn) emulation_ = -1;
        }
        break;
      case kEmulationFailed:
        detect::ShowMessage(window(), detect::FormatText(detect::kTextNoAnswer, address), MB_OK);
        return -1;
      default:
        emulation_ = -1;
        goOn = detect::ShowMessage(window(),
                                   lastResult_ == kDetectionFound
                                       ? detect::LoadText(detect::kTextQueueNoPcl)
                                       : detect::FormatText(detect::kTextNoPcl, logical, address),
                                   MB_YESNO) == IDYES;
        break;
    }
  }
  if (!goOn) return -1;
  sheet_->protocol = protocol;
  sheet_->ipAddress = ip;
  sheet_->ipxAddress = ipx;
  sheet_->logicalPrinter = logical;
  sheet_->emulation = emulation_;
  sheet_->PushPage(pageId());
  SetButtons(0);
  return kPageLanguage;
}

LRESULT CGetAddressDlg::OnBack() {
  sheet_->emulation = -1;
  return WizardPage::OnBack();
}

void CGetAddressDlg::OnCommand(int id, int code) {
  if ((id == kIpRadio || id == kIpxRadio) && code == BN_CLICKED) {
    ShowProtocol();
    SetFocus(Item(ProtocolShown() == 1 ? kIpxEdit : kFirstOctet));
  } else if (id >= kFirstOctet && id < kLastOctet && code == EN_CHANGE) {
    // The third digit typed fills the octet: the next one takes the focus.
    if (GetFocus() == Item(id) && ItemText(id).size() == kOctetDigits) SetFocus(Item(id + 1));
  } else if (id == kDetectButton && code == BN_CLICKED) {
    OnDetect();
  }
}

void CGetAddressDlg::TakeDetection(int protocol, const std::string& ip, const std::string& ipx,
                                   const std::string& logical, int emulation) {
  emulation_ = emulation;
  CheckDlgButton(window(), kIpRadio, protocol == 0 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window(), kIpxRadio, protocol == 1 ? BST_CHECKED : BST_UNCHECKED);
  if (protocol == 0) {
    const auto octets = ParseDottedQuad(ip);
    FillOctets(octets && (*octets)[0] != 0 ? ip : std::string());
  } else {
    SetItemText(kIpxEdit, ipx);
  }
  ShowProtocol();
  ShowWindow(Item(kLogicalPrinterCombo), SW_SHOW);
  SelectLogicalPrinter(logical, true);
  for (int id = kIpRadio; id <= kLogicalPrinterCombo; ++id) EnableWindow(Item(id), FALSE);
}

void CGetAddressDlg::OnDetect() {
  if (!sheet_->snmpAvailable) return;
  while (true) {
    DetectionOutcome outcome;
    const int result = RunDetectionDialog(window(), sheet_->printerName, sheet_->snmpAvailable, &outcome);
    lastResult_ = result;
    switch (result) {
      case kDetectionCancelled: return;
      case kDetectionCannotStart:
        EnableWindow(Item(kDetectButton), FALSE);
        detect::ShowMessage(window(), detect::kTextCannotDetect, MB_OK);
        return;
      case kDetectionJobFailed:
        detect::ShowMessage(window(), detect::kTextDetectionJobFailed, MB_OK | MB_ICONEXCLAMATION);
        return;
      case kDetectionTimedOut:
        if (RunDetectionFailedDialog(window()) == IDOK) continue;
        return;
      case kDetectionFound:
        if (strcasecmp(outcome.logicalPrinter.c_str(), "default") == 0) {
          detect::ShowMessage(window(), detect::kTextDefaultPrinter, MB_OK);
          return;
        }
        TakeDetection(outcome.protocol, outcome.ipAddress, outcome.ipxAddress, outcome.logicalPrinter,
                      outcome.emulation);
        return;
      default: {
        char text[64];
        wsprintfA(text, detect::LoadText(detect::kTextErrorCode).c_str(), result);
        detect::ShowMessage(window(), text, MB_OK);
        return;
      }
    }
  }
}
