// A page of the set-up wizard: one object per page, bound to the page's window
// when the sheet makes it, hearing the sheet's notifications as calls.
#pragma once

#include <string>

#include "detect/printer_installer.h"
#include "monitor/controls/animated_icon.h"
#include "platform/ui/prsht.h"

enum WizardPageId : int {
  kPageAskMonitor = 106,
  kPageLanguage = 107,
  kPageAddress = 108,
  kPageGoodbye = 109,
};

class WizardPage {
 public:
  WizardPage(CPrinterInstaller* sheet, int pageId) : sheet_(sheet), pageId_(pageId) {}
  virtual ~WizardPage() = default;
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;

  // The page's description for the sheet; its procedure finds this object.
  PROPSHEETPAGEA Description(HINSTANCE instance);
  int pageId() const { return pageId_; }
  HWND window() const { return window_; }

 protected:
  virtual void OnInit() {}
  virtual void OnSetActive() {}
  // 0 the next page in order, -1 stay, else a page id.
  virtual LRESULT OnNext() { return 0; }
  virtual LRESULT OnBack();
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual INT_PTR OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return FALSE; }
  // True when the wizard may close.
  virtual void OnFinish() {}

  HWND Sheet() const { return GetParent(window_); }
  void SetButtons(LPARAM buttons) { PostMessageA(Sheet(), PSM_SETWIZBUTTONS, 0, buttons); }
  HWND Item(int id) const { return GetDlgItem(window_, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const std::string& text) { SetDlgItemTextA(window_, id, text.c_str()); }
  // Cancel on any page: the queue's settings as they were found.
  void RestoreOnCancel();

  CPrinterInstaller* sheet_;

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnNotify(const NMHDR* header);

  int pageId_;
  HWND window_ = 0;
};

// The two simple pages.
class CAskMonitorDlg : public WizardPage {
 public:
  explicit CAskMonitorDlg(CPrinterInstaller* sheet) : WizardPage(sheet, kPageAskMonitor) {}

 protected:
  void OnSetActive() override;
  LRESULT OnNext() override;
};

class CGoodbyeDlg : public WizardPage {
 public:
  explicit CGoodbyeDlg(CPrinterInstaller* sheet) : WizardPage(sheet, kPageGoodbye) {}

 protected:
  void OnInit() override;
  void OnSetActive() override;
  void OnTimer(UINT_PTR id) override;
  void OnFinish() override;

 private:
  monitor::DP_CAnimatedIcon icon_;
};

// The language page commits everything.
class CSelectEmulDlg : public WizardPage {
 public:
  explicit CSelectEmulDlg(CPrinterInstaller* sheet) : WizardPage(sheet, kPageLanguage) {}

 protected:
  void OnInit() override;
  void OnSetActive() override;
  LRESULT OnNext() override;
};
