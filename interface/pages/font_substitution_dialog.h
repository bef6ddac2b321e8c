// The font substitution table dialog: the display's TrueType faces on the left,
// each with the printer font that prints it, the printer's faces on the right
// (the first entry downloads the TrueType font instead). OK stores the pairs for
// the printer and its language and tells the graphics library.
#pragma once

#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "controls/dialog_base.h"
#include "interface/pages/font_substitution_table.h"
#include "model/model_record.h"

class OrbaMainDlg;

class FontSubstitutionTableDialog : public controls::CMyDialog {
 public:
  FontSubstitutionTableDialog(OrbaMainDlg* sheet, CWnd* parent);

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnLeftSelection();
  void OnRightSelection();
  void OnDefaults();
  void OnDestroy();

  OrbaMainDlg* m_sheet = nullptr;
  XDEVMODE* m_settings = nullptr;
  std::string m_printerName;
  const ModelRecord* m_model = nullptr;
  PclFontList* m_fonts = nullptr;
  std::vector<FontSubstitutionEntry> m_table;

  DECLARE_MESSAGE_MAP()

 private:
  void FillTrueTypeFaces();
  // The index in the right list of the entry whose text is the face, 0 when none.
  int PartnerOf(const std::string& face);
  std::string RightText(int index);
  void SetLeftItem(int index, const std::string& face, int partner);
};
