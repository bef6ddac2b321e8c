// The address page: the printer's address (four octets, or IPX) and its logical
// printer, typed or found by detection; Next asks the printer's language.
#pragma once

#include <string>

#include "detect/wizard_page.h"

enum AddressPageControl : int {
  kDetectButton = 1009,
  kIpRadio = 1010,
  kIpxRadio = 1011,
  kFirstOctet = 1012,
  kLastOctet = 1015,
  kIpxEdit = 1016,
  kLogicalPrinterCombo = 1017,
};

class CGetAddressDlg : public WizardPage {
 public:
  explicit CGetAddressDlg(CPrinterInstaller* sheet) : WizardPage(sheet, kPageAddress) {}

 protected:
  void OnInit() override;
  void OnSetActive() override;
  LRESULT OnNext() override;
  LRESULT OnBack() override;
  void OnCommand(int id, int code) override;

 private:
  void ShowProtocol();
  void FillOctets(const std::string& address);
  void SelectLogicalPrinter(const std::string& name, bool addWhenMissing);
  std::string ComposedIpAddress() const;
  void OnDetect();
  // The answer of a detection run that found the printer.
  void TakeDetection(int protocol, const std::string& ip, const std::string& ipx, const std::string& logical,
                     int emulation);
  int ProtocolShown() const { return IsDlgButtonChecked(window(), kIpxRadio) == BST_CHECKED ? 1 : 0; }

  int lastResult_ = 0;
  int emulation_ = -1;
};
