// The driver's tabbed settings dialog over a copy of a caller's device mode: six
// settings pages, the profile combo and the profiles button for a document, the
// information page alone for the device. Pages reach it as their owner and keep
// its working settings up to date as the user edits; OK hands them back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "controls/tab_dialog.h"
#include "interface/profiles/profile_store.h"
#include "interface/records/watermark_store.h"
#include "model/model_record.h"

class OrbaMainDlg : public controls::DP_ListBoxTabDialog {
 public:
  OrbaMainDlg(CWnd* parent, HANDLE printer, BOOL documentMode);
  ~OrbaMainDlg() override;

  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  // Called by every page after each change of the working settings: the combo
  // shows the profile only while the settings still equal it.
  void UpdateProfileSelection();
  // Loads the profile names of the printer for the working settings' language.
  int LoadProfileNames();
  // The combo refilled from the store, the remembered profile selected again by name.
  void FillProfileCombo();
  // Loads the named profile over the working settings; false without a model record.
  bool ApplyProfile(const char* name);
  std::string SelectedProfileName() const { return m_selectedProfile; }
  void SetSelectedProfile(const std::string& name) { m_selectedProfile = name; }

  void OnHelp();
  LRESULT OnCommandHelp(WPARAM, LPARAM);
  // Opens the model's help file (the driver's own when the model names none)
  // at the topic of a page or dialog template.
  void ShowHelp(UINT topic);
  void OnProfiles();
  void OnProfileChange();
  void OnOKButton() { OnOK(); }

  XDEVMODE m_savedSettings{};
  XDEVMODE m_workingSettings{};
  WatermarkRecord* m_watermarks = nullptr;
  WORD m_watermarkCount = 0;
  CComboBox m_profileCombo;
  std::vector<ProfileName> m_profileNames;
  HANDLE m_printer = 0;
  BOOL m_restricted = FALSE;
  void* m_pageBuffer1 = nullptr;
  void* m_pageBuffer2 = nullptr;
  BOOL m_documentMode = FALSE;
  std::string m_printerName;  // ANSI, from the working settings

  DECLARE_MESSAGE_MAP()

 private:
  void FreePageBuffers();
  // The profile the settings were last made equal to, by name: list positions
  // move when profiles are added or deleted, a name does not.
  std::string m_selectedProfile;
};

// 1 when the user closed the dialog with OK (output = the edited settings); 0
// otherwise (output = input). Input and output may be one buffer.
int RunPropertiesSheet(HANDLE printer, HWND parent, const XDEVMODE* input, XDEVMODE* output, BOOL restricted,
                       BOOL documentMode);

// The sheet a page lives in (its owner), or null for a page outside one.
OrbaMainDlg* SheetOfPage(controls::DP_ListBoxTabDialogItem* page);
