#include "controls/dialog_base.h"

#include <cstring>

#include "tests/controls/controls_fixture.h"

using controls::CMyDialog;

namespace {

// A dialog that holds a child dialog of its own: the child's controls are the
// outer dialog's grandchildren.
class OuterDialog : public CMyDialog {
 public:
  OuterDialog() : CMyDialog(200, nullptr) {}
  BOOL OnInitDialog() override {
    nested_.Create(201, this);
    ++initialisations;
    return CMyDialog::OnInitDialog();
  }
  CDialog nested_;
  int initialisations = 0;
};

using DialogBaseTest = ControlsTest;

TEST_F(DialogBaseTest, TheGuiFontReachesDirectChildrenOnly) {
  OuterDialog dialog;
  ASSERT_TRUE(dialog.Create(200, nullptr));
  const HFONT gui = static_cast<HFONT>(dialog.m_font.m_hObject);
  ASSERT_NE(gui, 0u);
  EXPECT_EQ(FaceOf(gui), "MS Shell Dlg");
  // Direct children: the controls and the nested dialog itself.
  EXPECT_EQ(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 11)), gui);
  EXPECT_EQ(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 1)), gui);
  EXPECT_EQ(platform::ui::WindowFont(dialog.nested_.m_hWnd), gui);
  // Grandchildren keep their template's font, the dialog its own.
  EXPECT_EQ(FaceOf(platform::ui::WindowFont(::GetDlgItem(dialog.nested_.m_hWnd, 21))), "Nested Face");
  EXPECT_EQ(FaceOf(platform::ui::WindowFont(dialog.m_hWnd)), "Template Face");
  dialog.DestroyWindow();
}

TEST_F(DialogBaseTest, ReopeningTheSameObjectMakesTheFontOnce) {
  OuterDialog dialog;
  ASSERT_TRUE(dialog.Create(200, nullptr));
  const HGDIOBJ first = dialog.m_font.m_hObject;
  dialog.DestroyWindow();
  ASSERT_TRUE(dialog.Create(200, nullptr));
  EXPECT_EQ(dialog.m_font.m_hObject, first);
  EXPECT_EQ(dialog.initialisations, 2);
  EXPECT_EQ(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 11)), first);
  dialog.DestroyWindow();
}

TEST_F(DialogBaseTest, TheScriptedUserEndsAModalDialog) {
  struct Case {
    int button;  // 0: the user does nothing
    INT_PTR expected;
  };
  for (const Case& c : {Case{IDOK, IDOK}, Case{IDCANCEL, IDCANCEL}, Case{0, IDCANCEL}}) {
    HFONT seen = 0;
    platform::SetDialogHandler([&](const platform::DialogRequest& request) {
      EXPECT_EQ(request.templateName, "#200");
      seen = platform::ui::WindowFont(::GetDlgItem(request.dialog, 11));
      if (c.button) ::SendMessageA(::GetDlgItem(request.dialog, c.button), BM_CLICK, 0, 0);
    });
    OuterDialog dialog;
    EXPECT_EQ(dialog.DoModal(), c.expected) << c.button;
    EXPECT_EQ(seen, dialog.m_font.m_hObject);
    EXPECT_EQ(dialog.m_hWnd, 0u);  // the window is gone after DoModal
  }
}

TEST_F(DialogBaseTest, FreeFunctionsSetAFontOnOneItemOrAllChildren) {
  CMyDialog dialog(200, nullptr);
  ASSERT_TRUE(dialog.Create(200, nullptr));
  CFont font;
  LOGFONTA description{};
  description.lfHeight = -20;
  std::strcpy(description.lfFaceName, "Big");
  font.CreateFontIndirect(&description);
  const HFONT big = static_cast<HFONT>(font.m_hObject);
  controls::SetDialogItemFont(&dialog, 11, big);
  EXPECT_EQ(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 11)), big);
  EXPECT_NE(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 10)), big);
  controls::SetDialogChildrenFont(&dialog, big);
  EXPECT_EQ(platform::ui::WindowFont(::GetDlgItem(dialog.m_hWnd, 10)), big);
  dialog.DestroyWindow();
}

}  // namespace
