// The document page: paper size (with a user-defined size in inches or
// millimetres), orientation, fixed orientation, pages per sheet with a border,
// copies and collation, page rotation and job monitoring, and a picture of the
// sheet. Every change goes at once into the sheet's working settings.
#pragma once

#include <string>

#include "common/xdevmode.h"
#include "controls/spin_button.h"
#include "controls/tab_dialog.h"
#include "interface/pages/custom_paper_size.h"

class DocDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  DocDlg();
  ~DocDlg() override;

  void DescribeTab() override;
  void UpdateControls() override;
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

  void OnPaperSize();
  void OnPortrait();
  void OnLandscape();
  void OnPagesPerSheet();
  void OnFixedOrientation();
  void OnCopies();
  void OnCollate();
  void OnJobMonitoring();
  void OnBorder();
  void OnRotatePage();
  void OnInches();
  void OnMillimetres();
  void OnWidthTyped();
  void OnLengthTyped();
  void OnWidthDone();
  void OnLengthDone();
  void OnPaint();

  controls::SpinButton m_copiesUp;
  controls::SpinButton m_copiesDown;
  controls::PictureButton m_collatePicture;
  controls::CArrowEdit m_copiesEdit;
  controls::CArrowEdit m_widthEdit;
  controls::CArrowEdit m_lengthEdit;
  controls::SpinButton m_widthUp;
  controls::SpinButton m_widthDown;
  controls::SpinButton m_lengthUp;
  controls::SpinButton m_lengthDown;
  controls::PictureButton* m_modelPicture = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  void FillCustomSize(XDEVMODE& settings);
  void SetCustomRanges(DWORD unit);
  void ChangeUnit(DWORD unit);
  void SizeTyped(int editId, bool width, bool leaving);
  void CommitCustomSize();
  void InvalidatePreview();
  void SetEditText(int id, const std::string& text);

  pages::CustomSizeLimits limits_;
  int customRow_ = -1;  // the model's user-defined paper row, -1 when it has none
  long width_ = 0;      // thousandths of an inch
  long length_ = 0;
  bool filling_ = false;  // the page itself is writing its edits
};
