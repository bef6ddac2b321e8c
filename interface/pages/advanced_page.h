// The advanced page: the job's printer language, and for PostScript jobs the
// data encoding, the job separator (Ctrl-D), error printing and the time-outs;
// for every job the compression, spooling as a metafile, clearing the printer's
// memory after each page and the memory the driver may use.
#pragma once

#include "controls/spin_button.h"
#include "controls/tab_dialog.h"

class AdvancedDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  AdvancedDlg();

  void DescribeTab() override;
  void UpdateControls() override;
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

  void OnDataFormat();
  void OnCompression();
  void OnJobSeparator();
  void OnErrorPrinting();
  void OnJobTimeout();
  void OnWaitTimeout();
  void OnPrinterTimeouts();
  void OnMetafileSpooling();
  void OnClearMemory();
  void OnMemoryTyped();
  void OnMemoryDone();

  controls::SpinButton m_jobTimeoutUp;
  controls::SpinButton m_jobTimeoutDown;
  controls::SpinButton m_waitTimeoutUp;
  controls::SpinButton m_waitTimeoutDown;
  controls::CArrowEdit m_waitTimeoutEdit;
  controls::CArrowEdit m_jobTimeoutEdit;

  DECLARE_MESSAGE_MAP()

 private:
  void ApplyTimeoutChoice(bool printers);
  void SetEditText(int id, const std::string& text);
  void MemoryTyped(bool leaving);
  bool filling_ = false;
};
