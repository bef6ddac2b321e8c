// The profiles dialog over the settings dialog: add the current settings under a
// new name, overwrite or delete a profile, load one and close.
#pragma once

#include "controls/dialog_base.h"

class OrbaMainDlg;

class ProfilesDlg : public controls::CMyDialog {
 public:
  explicit ProfilesDlg(OrbaMainDlg* sheet);

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

  void OnSelChange();
  void OnAdd();
  void OnDelete();
  void OnOverwrite();
  void OnLoad();
  void OnClose();
  void OnHelp();

  CListBox m_list;
  WORD m_nameIndex = 0;
  WORD m_nameCount = 0;

  DECLARE_MESSAGE_MAP()

 private:
  void FillList();
  void ApplyRestriction();
  // The selected entry's name, or empty when nothing usable is selected.
  std::string SelectedName() const;
  OrbaMainDlg* sheet_;
};
