// The window stand-in itself: controls' messages, dialog navigation and the
// display device contexts.
#include <algorithm>
#include <cstring>

#include "tests/controls/controls_fixture.h"

namespace {

class WindowTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    dialog = CreateWindowExA(0, "#32770", "Test", WS_POPUP, 0, 0, 300, 200, 0, 0, 0, nullptr);
    ASSERT_NE(dialog, 0u);
  }
  void TearDown() override {
    DestroyWindow(dialog);
    ControlsTest::TearDown();
  }
  HWND Child(const char* cls, DWORD style, int id, const char* text = "") {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 50, 20, dialog, static_cast<HMENU>(id), 0,
                           nullptr);
  }
  HWND dialog = 0;
};

TEST_F(WindowTest, TreeAndTabOrder) {
  HWND a = Child("EDIT", WS_TABSTOP, 1);
  HWND label = Child("STATIC", 0, 2);
  HWND b = Child("BUTTON", WS_TABSTOP, 3);
  HWND c = Child("BUTTON", WS_TABSTOP | WS_DISABLED, 4);
  EXPECT_EQ(GetParent(a), dialog);
  EXPECT_EQ(GetDlgItem(dialog, 3), b);
  EXPECT_EQ(GetWindow(dialog, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), label);
  EXPECT_EQ(GetNextDlgTabItem(dialog, a, FALSE), b);
  EXPECT_EQ(GetNextDlgTabItem(dialog, b, FALSE), a);  // wraps, skips the disabled one
  EXPECT_EQ(GetNextDlgTabItem(dialog, a, TRUE), b);
  SendMessageA(dialog, WM_NEXTDLGCTL, 0, 0);
  EXPECT_EQ(GetFocus(), a);
  SendMessageA(dialog, WM_NEXTDLGCTL, static_cast<WPARAM>(b), TRUE);
  EXPECT_EQ(GetFocus(), b);
  char name[16];
  GetClassNameA(c, name, sizeof name);
  EXPECT_STREQ(name, "BUTTON");
  DestroyWindow(b);
  EXPECT_EQ(GetFocus(), 0u);
  EXPECT_EQ(GetDlgItem(dialog, 3), 0u);
}

TEST_F(WindowTest, ButtonsClickCheckAndGroup) {
  std::vector<WPARAM> commands;
  static std::vector<WPARAM>* log;
  log = &commands;
  SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(+[](HWND, UINT m, WPARAM w, LPARAM) -> INT_PTR {
                      if (m == WM_COMMAND) log->push_back(w);
                      return FALSE;
                    }));
  HWND push = Child("BUTTON", BS_DEFPUSHBUTTON, 10);
  HWND check = Child("BUTTON", BS_AUTOCHECKBOX, 11);
  HWND r1 = Child("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 12);
  HWND r2 = Child("BUTTON", BS_AUTORADIOBUTTON, 13);
  HWND other = Child("BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, 14);
  EXPECT_EQ(SendMessageA(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  SendMessageA(push, BM_CLICK, 0, 0);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0], MAKEWPARAM(10, BN_CLICKED));
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 11), static_cast<UINT>(BST_CHECKED));
  SendMessageA(check, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 11), static_cast<UINT>(BST_UNCHECKED));
  CheckDlgButton(dialog, 14, BST_CHECKED);
  SendMessageA(r1, BM_CLICK, 0, 0);
  SendMessageA(r2, BM_CLICK, 0, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 12), static_cast<UINT>(BST_UNCHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 13), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 14), static_cast<UINT>(BST_CHECKED));  // another group
  // A press released outside the button is no click.
  const size_t before = commands.size();
  SendMessageA(push, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageA(push, WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
  EXPECT_EQ(commands.size(), before);
  (void)other;
}

TEST_F(WindowTest, ListAndComboMessages) {
  HWND list = Child("LISTBOX", LBS_HASSTRINGS, 20);
  for (const char* text : {"Letter", "A4", "Legal"})
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("B5")), 1);
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("le")), 0);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 0, reinterpret_cast<LPARAM>("le")), 3);
  EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("a4")), 2);
  char text[16];
  SendMessageA(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "B5");
  SendMessageA(list, LB_SETCURSEL, 3, 0);
  SendMessageA(list, LB_DELETESTRING, 1, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  HWND combo = Child("COMBOBOX", CBS_DROPDOWNLIST, 21);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("One"));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Two"));
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(TextOf(combo), "Two");
  EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), -1);
}

TEST_F(WindowTest, DialogItemNumbers) {
  Child("EDIT", 0, 30);
  struct Case {
    const char* text;
    BOOL isSigned;
    UINT value;
    BOOL translated;
  };
  for (const Case& c : {Case{"42", FALSE, 42, TRUE}, Case{" 7 ", FALSE, 7, TRUE},
                        Case{"-3", TRUE, static_cast<UINT>(-3), TRUE}, Case{"-3", FALSE, 0, FALSE},
                        Case{"4x", FALSE, 0, FALSE}, Case{"", FALSE, 0, FALSE}, Case{"99999999999", FALSE, 0, FALSE}}) {
    SetDlgItemTextA(dialog, 30, c.text);
    BOOL translated = -1;
    EXPECT_EQ(GetDlgItemInt(dialog, 30, &translated, c.isSigned), c.value) << c.text;
    EXPECT_EQ(translated, c.translated) << c.text;
  }
  SetDlgItemInt(dialog, 30, 4000000000u, FALSE);
  EXPECT_EQ(TextOf(GetDlgItem(dialog, 30)), "4000000000");
}

TEST_F(WindowTest, MemoryDcsConvertBetweenColourAndMonochrome) {
  HDC screen = GetDC(0);
  HDC colourDC = CreateCompatibleDC(screen);
  HBITMAP colour = CreateBitmap(4, 1, 1, 32, nullptr);
  SelectObject(colourDC, colour);
  const COLORREF pixels[] = {RGB(255, 0, 255), 0x000000, RGB(10, 20, 30), RGB(255, 0, 255)};
  for (int x = 0; x < 4; ++x) SetPixel(colourDC, x, 0, pixels[x]);
  HDC monoDC = CreateCompatibleDC(screen);
  HBITMAP mono = CreateBitmap(4, 1, 1, 1, nullptr);
  SelectObject(monoDC, mono);
  // Colour to monochrome: the source's background colour becomes white.
  SetBkColor(colourDC, RGB(255, 0, 255));
  BitBlt(monoDC, 0, 0, 4, 1, colourDC, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(monoDC, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(monoDC, 1, 0), 0u);
  EXPECT_EQ(GetPixel(monoDC, 2, 0), 0u);
  // Monochrome to colour: black takes the text colour, white the background colour.
  SetTextColor(colourDC, RGB(1, 2, 3));
  SetBkColor(colourDC, RGB(4, 5, 6));
  BitBlt(colourDC, 0, 0, 4, 1, monoDC, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(colourDC, 0, 0), RGB(4, 5, 6));
  EXPECT_EQ(GetPixel(colourDC, 1, 0), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(colourDC, 9, 0), CLR_INVALID);
  BITMAP info{};
  EXPECT_EQ(GetObjectA(mono, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmBitsPixel, 1);
  DeleteDC(colourDC);
  DeleteDC(monoDC);
  DeleteObject(colour);
  DeleteObject(mono);
  ReleaseDC(0, screen);
}

TEST_F(WindowTest, DrawTextWrapsAndPlacesTextByTheFontsMetrics) {
  auto surface = std::make_shared<platform::gdi::PixelSurface>(200, 100, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(surface, 0);
  LOGFONTA font{};
  font.lfHeight = -10;
  HFONT handle = CreateFontIndirectA(&font);
  SelectObject(hdc, handle);
  auto extent = [&](const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(hdc, text, static_cast<int>(std::strlen(text)), &size);
    return size;
  };
  const SIZE oneTwo = extent("one two"), all = extent("one two three");
  const int lineHeight = oneTwo.cy;
  // "one two" fits, "one two three" does not: two lines, as wide as the first.
  RECT r{0, 0, oneTwo.cx + 2, 0};
  ASSERT_LT(r.right, all.cx);
  EXPECT_EQ(DrawTextA(hdc, "one two three", -1, &r, DT_CALCRECT | DT_WORDBREAK), 2 * lineHeight);
  EXPECT_EQ(r.right, oneTwo.cx);
  RECT single{0, 0, 10, 0};
  EXPECT_EQ(DrawTextA(hdc, "&Save", -1, &single, DT_CALCRECT | DT_SINGLELINE), lineHeight);
  EXPECT_EQ(single.right, extent("Save").cx);  // the prefix is no character
  RECT line{0, 0, 100, lineHeight};
  SetTextColor(hdc, RGB(9, 9, 9));
  SetBkMode(hdc, TRANSPARENT);
  DrawTextA(hdc, "ab", -1, &line, DT_RIGHT | DT_SINGLELINE);
  // Ink only in the last columns, where right-aligned text ends.
  int leftmostInk = 200;
  for (int y = 0; y < lineHeight; ++y)
    for (int x = 0; x < 100; ++x)
      if (surface->At(x, y) != 0xFFFFFFu) leftmostInk = std::min(leftmostInk, x);
  EXPECT_GE(leftmostInk, 100 - extent("ab").cx - 1);
  EXPECT_LT(leftmostInk, 100);
  DeleteDC(hdc);
  DeleteObject(handle);
}

TEST_F(WindowTest, ATemplateThatCannotBeReadMakesNoDialog) {
  EXPECT_EQ(CreateDialogParamA(0, MAKEINTRESOURCEA(4711), 0, nullptr, 0), 0u);
  EXPECT_EQ(DialogBoxParamA(0, MAKEINTRESOURCEA(4711), 0, nullptr, 0), -1);
}

}  // namespace
