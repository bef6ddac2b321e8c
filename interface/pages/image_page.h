// The image page: resolution, scaling, the image inversions (colours to black,
// negative, mirror) with a picture of their combination, the printable area with
// its picture, and for PostScript jobs the halftone screen.
#pragma once

#include "controls/spin_button.h"
#include "controls/tab_dialog.h"

class ImageDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  ImageDlg();

  void DescribeTab() override;
  void UpdateControls() override;
  void DoDataExchange(CDataExchange* exchange) override;
  BOOL OnInitDialog() override;

  void OnResolution();
  void OnScale();
  void OnScaleDone() {}
  void OnImageOption();
  void OnStandardMargins();
  void OnBookBinding();
  void OnNoMargins();
  void OnVectorGraphics();
  void OnRasterGraphics();
  void OnPrinterScreen();
  void OnOwnScreen();
  void OnFrequency();
  void OnAngle();

  controls::SpinButton m_scaleUp;
  controls::SpinButton m_scaleDown;
  controls::PictureButton m_imagePicture;
  controls::PictureButton m_marginPicture;
  controls::SpinButton m_frequencyUp;
  controls::SpinButton m_frequencyDown;
  controls::SpinButton m_angleUp;
  controls::SpinButton m_angleDown;
  controls::CArrowEdit m_scaleEdit;
  controls::CArrowEdit m_frequencyEdit;
  controls::CArrowEdit m_angleEdit;

  DECLARE_MESSAGE_MAP()

 private:
  void ShowImagePicture();
  void ShowMargin(WORD marginType);
  void SetEditText(int id, const std::string& text);
  void ScreenChanged();
  bool filling_ = false;
};
