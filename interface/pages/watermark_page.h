// The watermark page: the user's list of named watermarks (kept by the sheet,
// stored per user when the sheet closes with OK), the look of the one chosen,
// whether it prints on the first page only and behind the page, and a preview
// of it on the sheet. The chosen watermark travels in the settings as a copy.
#pragma once

#include <string>

#include "common/xdevmode.h"
#include "controls/spin_button.h"
#include "controls/tab_dialog.h"
#include "interface/pages/pcl_font_cache.h"

class OrbaMainDlg;

class WmarkDlg : public controls::DP_ListBoxTabDialogItem {
 public:
  WmarkDlg();

  void DescribeTab() override;
  void UpdateControls() override;
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* exchange) override;

  void OnListSelection();
  void OnAdd();
  void OnDelete();
  void OnTextChange();
  void OnTextFocusLost();
  void OnFaceChange();
  void OnStyleChange();
  void OnSizeChange();
  void OnSizeFocusLost();
  void OnAngleChange();
  void OnShadeChange();
  void OnFirstPageOnly();
  void OnBackground();
  void OnOutline();
  void OnCentred();
  void OnRelative();
  void OnXOffsetChange();
  void OnYOffsetChange();
  void OnXOffsetFocusLost();
  void OnYOffsetFocusLost();
  void OnDestroy();
  void OnPaint();

  // The record being edited, or null.
  WatermarkRecord* CurrentRecord();
  // Draws the preview of the record on the paper of the settings into a square
  // bitmap of one pixel per hundredth of an inch (its side in *side); null when
  // the paper has no size. The caller deletes the bitmap.
  HBITMAP DrawPreview(const WatermarkRecord& record, int* side);

  controls::SpinButton m_spins[10];
  controls::CArrowEdit m_angleEdit;
  controls::CArrowEdit m_shadeEdit;
  CListBox m_list;
  int m_current = -1;     // index of the record being edited in the sheet's list
  DWORD m_faceFlags = 0;  // font type of the current face (DEVICE_FONTTYPE for a printer font)
  PclFontList* m_fonts = nullptr;

  DECLARE_MESSAGE_MAP()

 private:
  OrbaMainDlg* Sheet();
  XDEVMODE* Settings();
  bool PostScriptJob();
  bool Restricted();
  void FillFaces();
  void SelectRecord();
  void FaceChange();
  void OffsetChange(int editId, bool horizontal);
  void OffsetFocusLost(int editId, bool horizontal);
  // The text the record had when it became current or was last accepted: a
  // name another watermark already has is taken back to it.
  bool AcceptText();
  // Whether a record other than the current one has the name.
  bool TakenByAnother(const std::string& text);
  void SetText(int id, const std::string& text);
  std::string Text(int id);
  void CommonTail();
  void EnableEditing(bool enable);

  bool filling_ = false;  // the page itself is writing the controls
  std::string acceptedText_;
};
