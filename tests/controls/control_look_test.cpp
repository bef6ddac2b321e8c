// What a person sees of a dialog: every control kind painted in the classic
// look, text in the dialog font, the states a user changes shown, and the
// picture that is saved of it.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "platform/base/codepage.h"
#include "platform/ui/window_picture.h"
#include "tests/controls/controls_fixture.h"

namespace {

using platform::gdi::PixelSurface;

bool Dark(COLORREF c) { return (c & 0xFF) < 80 && ((c >> 8) & 0xFF) < 80 && ((c >> 16) & 0xFF) < 80; }
// The grey of disabled text, or its anti-aliased edge on the button face.
bool Grey(COLORREF c) {
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return std::abs(r - g) < 12 && std::abs(g - b) < 12 && r >= 100 && r <= 170;
}

int Count(const PixelSurface& s, RECT r, const std::function<bool(COLORREF)>& want) {
  int n = 0;
  for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, s.height); ++y)
    for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, s.width); ++x) n += want(s.At(x, y)) ? 1 : 0;
  return n;
}

int CountColour(const PixelSurface& s, RECT r, COLORREF c) {
  return Count(s, r, [c](COLORREF p) { return p == c; });
}

INT_PTR CALLBACK GalleryProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return FALSE;
  for (const char* entry : {"A4", "Letter", "B5 (JIS)", "はがき", "Legal", "A3", "Executive", "Envelope"}) {
    const std::string ansi = platform::AnsiFromUtf8(entry);
    SendDlgItemMessageA(dialog, 30, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
  }
  SendDlgItemMessageA(dialog, 30, LB_SETCURSEL, 1, 0);
  for (const char* entry : {"300 dpi", "600 dpi"}) {
    SendDlgItemMessageA(dialog, 31, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  }
  SendDlgItemMessageA(dialog, 31, CB_SETCURSEL, 1, 0);
  CheckDlgButton(dialog, 21, BST_CHECKED);
  CheckDlgButton(dialog, 24, BST_CHECKED);
  SendDlgItemMessageA(dialog, 33, PBM_SETRANGE32, 0, 200);
  SendDlgItemMessageA(dialog, 33, PBM_SETPOS, 120, 0);
  HICON icon = LoadIconA(0, MAKEINTRESOURCEA(300));
  SendDlgItemMessageA(dialog, 35, STM_SETICON, static_cast<WPARAM>(icon), 0);
  SetScrollRange(GetDlgItem(dialog, 36), 2 /* the control itself */, 0, 10, FALSE);
  SetScrollPos(GetDlgItem(dialog, 36), 2, 7, FALSE);
  return TRUE;
}

class ControlLookTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(208), 0, GalleryProcedure, 0);
    ASSERT_NE(dialog, 0u);
    ShowWindow(dialog, SW_SHOW);
    Refresh();
  }
  void TearDown() override {
    if (IsWindow(dialog)) DestroyWindow(dialog);
    ControlsTest::TearDown();
  }
  void Refresh() {
    picture = platform::ui::ComposeWindowPicture(dialog);
    RECT window{};
    GetWindowRect(dialog, &window);
    border = (picture->width - (window.right - window.left)) / 2;
    caption = picture->height - (window.bottom - window.top) - 2 * border;
  }
  // A control's rectangle in the picture.
  RECT Where(int id) const {
    RECT r{};
    HWND item = GetDlgItem(dialog, id);
    GetWindowRect(item, &r);
    RECT parent{};
    GetWindowRect(dialog, &parent);
    const int dx = border - parent.left, dy = border + caption - parent.top;
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  }
  HWND dialog = 0;
  std::shared_ptr<PixelSurface> picture;
  int border = 0;
  int caption = 0;
};

TEST_F(ControlLookTest, TheJapaneseCaptionAndTheButtonTextsAreInked) {
  ASSERT_GT(caption, 10);
  const RECT band{border, border, picture->width / 2, border + caption - 1};
  const int ink = CountColour(*picture, band, GetSysColor(COLOR_CAPTIONTEXT));
  EXPECT_GT(ink, 20);
  // Not the picture of characters the faces lack: the same band with a title of
  // user-defined characters looks different.
  char missing[16] = {};
  for (int i = 0; i < 7; ++i) std::memcpy(missing + 2 * i, "\xF0\x40", 2);
  char title[64] = {};
  GetWindowTextA(dialog, title, sizeof title);
  SetWindowTextA(dialog, missing);
  auto other = platform::ui::ComposeWindowPicture(dialog);
  int differing = 0;
  for (int y = band.top; y < band.bottom; ++y)
    for (int x = band.left; x < band.right; ++x) differing += picture->At(x, y) != other->At(x, y) ? 1 : 0;
  EXPECT_GT(differing, 20);
  for (int id : {1, 2}) {
    const RECT r = Where(id);
    const RECT middle{r.left + 8, r.top + 6, r.right - 8, r.bottom - 6};
    EXPECT_GT(Count(*picture, middle, Dark), 10) << "button " << id;
  }
}

TEST_F(ControlLookTest, CheckStatesShowInsideTheBoxAndDisabledTextIsGrey) {
  auto inBox = [&](int id) {
    const RECT r = Where(id);
    const int top = r.top + (r.bottom - r.top - 13) / 2;
    return Count(*picture, RECT{r.left + 2, top + 2, r.left + 11, top + 11}, Dark);
  };
  EXPECT_GT(inBox(21), 5);
  EXPECT_EQ(inBox(22), 0);
  // A click checks the other one, and the picture shows it.
  SendMessageA(GetDlgItem(dialog, 22), BM_CLICK, 0, 0);
  Refresh();
  EXPECT_GT(inBox(22), 5);
  const RECT disabled = Where(23);
  const RECT text{disabled.left + 16, disabled.top, disabled.right, disabled.bottom};
  EXPECT_GT(Count(*picture, text, Grey), 20);
  EXPECT_EQ(Count(*picture, text, Dark), 0);
  // Enabling it draws the text black again.
  EnableWindow(GetDlgItem(dialog, 23), TRUE);
  Refresh();
  EXPECT_GT(Count(*picture, text, Dark), 20);
}

TEST_F(ControlLookTest, TheSelectedListRowIsHighlightedAndTheListScrolls) {
  const RECT list = Where(30);
  HWND handle = GetDlgItem(dialog, 30);
  TEXTMETRICA metrics{};
  HDC hdc = GetDC(handle);
  SelectObject(hdc, static_cast<HGDIOBJ>(SendMessageA(handle, WM_GETFONT, 0, 0)));
  GetTextMetricsA(hdc, &metrics);
  ReleaseDC(handle, hdc);
  const int rowHeight = static_cast<int>(SendMessageA(handle, LB_GETITEMHEIGHT, 0, 0));
  const int row = rowHeight > 0 ? rowHeight : metrics.tmHeight;
  const RECT second{list.left + 4, list.top + 2 + row, list.left + 60, list.top + 2 + 2 * row};
  const RECT first{list.left + 4, list.top + 2, list.left + 60, list.top + 2 + row};
  EXPECT_GT(CountColour(*picture, second, GetSysColor(COLOR_HIGHLIGHT)), (second.right - second.left) * row / 2);
  EXPECT_GT(CountColour(*picture, second, GetSysColor(COLOR_HIGHLIGHTTEXT)), 3);
  EXPECT_EQ(CountColour(*picture, first, GetSysColor(COLOR_HIGHLIGHT)), 0);
  // Eight entries overflow the list: its scroll bar is drawn at the right.
  const RECT bar{list.right - 18, list.top + 2, list.right - 2, list.bottom - 2};
  EXPECT_GT(CountColour(*picture, bar, GetSysColor(COLOR_BTNFACE)), 40);
  EXPECT_GT(Count(*picture, bar, Dark), 3);  // the arrows
}

TEST_F(ControlLookTest, EachControlKindPaintsItsOwnFace) {
  struct Case {
    int id;
    const char* kind;
    int colourIndex;  // a colour the kind shows
    int least;        // at least this many pixels of it
  };
  const Case cases[] = {
      {11, "edit", COLOR_WINDOW, 500},
      {12, "read-only edit face", COLOR_BTNFACE, 500},
      {11, "edit's sunken edge", COLOR_BTNSHADOW, 100},
      {20, "group frame", COLOR_BTNSHADOW, 200},
      {31, "combo field", COLOR_WINDOW, 200},
      {31, "combo selection", COLOR_WINDOWTEXT, 10},
      {32, "etched line", COLOR_BTNHIGHLIGHT, 200},
      {33, "progress blocks", COLOR_HIGHLIGHT, 1000},
      {1, "default button's dark frame", COLOR_WINDOWFRAME, 150},
      {2, "button's raised edge", COLOR_BTNHIGHLIGHT, 100},
      {34, "static text", COLOR_WINDOWTEXT, 40},
      {36, "scroll bar arrows", COLOR_BTNTEXT, 20},
      {36, "scroll bar thumb", COLOR_BTNFACE, 60},
  };
  for (const Case& c : cases) {
    // Text is anti-aliased: its colour counts with the dark edges of its glyphs.
    const int found = c.colourIndex == COLOR_WINDOWTEXT
                          ? Count(*picture, Where(c.id), Dark)
                          : CountColour(*picture, Where(c.id), GetSysColor(c.colourIndex));
    EXPECT_GE(found, c.least) << c.kind;
  }
  // A progress bar at 120 of 200 fills a little over half of its width.
  const RECT bar = Where(33);
  const int y = (bar.top + bar.bottom) / 2;
  int lastBlock = 0;
  for (int x = bar.left; x < bar.right; ++x)
    if (picture->At(x, y) == GetSysColor(COLOR_HIGHLIGHT)) lastBlock = x - bar.left;
  EXPECT_NEAR(lastBlock, (bar.right - bar.left) * 6 / 10, 12);
}

TEST_F(ControlLookTest, APushedButtonLooksSunkenAndTheGalleryIsSavedAsPng) {
  const RECT cancel = Where(2);
  EXPECT_EQ(picture->At(cancel.left, cancel.top), GetSysColor(COLOR_BTNHIGHLIGHT));
  SendMessageA(GetDlgItem(dialog, 2), BM_SETSTATE, TRUE, 0);
  Refresh();
  EXPECT_EQ(picture->At(cancel.left + 1, cancel.top + 1), GetSysColor(COLOR_BTNSHADOW));
  SendMessageA(GetDlgItem(dialog, 2), BM_SETSTATE, FALSE, 0);
  const std::string path = std::string(ZEL_BINARY_DIR) + "/control_gallery.png";
  EXPECT_TRUE(platform::ui::SaveWindowPicture(dialog, path));
}

TEST_F(ControlLookTest, TextExtentsGrowWithTheTextAndFitTheFont) {
  HDC hdc = GetDC(dialog);
  LOGFONTA font{};
  font.lfHeight = -12;
  std::strcpy(font.lfFaceName, "MS Shell Dlg");
  HFONT handle = CreateFontIndirectA(&font);
  SelectObject(hdc, handle);
  auto width = [&](const char* text) {
    SIZE size{};
    GetTextExtentPoint32A(hdc, text, static_cast<int>(std::strlen(text)), &size);
    return size;
  };
  EXPECT_LT(width("i").cx, width("W").cx);
  EXPECT_LT(width("Wi").cx, width("Wide").cx);
  EXPECT_LT(width("Wide").cx, width("Wide text").cx);
  EXPECT_EQ(width("").cx, 0);
  // A Japanese character is about a square of the font's size.
  const std::string kanji = platform::AnsiFromUtf8("設");
  EXPECT_GE(width(kanji.c_str()).cx, 9);
  EXPECT_LE(width(kanji.c_str()).cx, 14);
  TEXTMETRICA metrics{};
  GetTextMetricsA(hdc, &metrics);
  EXPECT_GE(metrics.tmHeight, 12);
  EXPECT_LE(metrics.tmHeight, 18);
  EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, metrics.tmHeight);
  EXPECT_EQ(width("Wide").cy, metrics.tmHeight);
  ReleaseDC(dialog, hdc);
  DeleteObject(handle);
}

}  // namespace

namespace {

using ProgressTest = ControlsTest;
using DisplayScaleTest = ControlsTest;

TEST_F(ProgressTest, PositionsStayInTheRangeAndStepsWrap) {
  HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 12, 0, 0, 0, nullptr);
  ASSERT_NE(bar, 0u);
  struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;  // what the message returns
    int position;    // afterwards
  };
  const Step steps[] = {
      {PBM_SETPOS, 30, 0, 0, 30},
      {PBM_DELTAPOS, 50, 0, 30, 80},
      {PBM_SETPOS, 500, 0, 80, 100},  // clamped to the top of the range
      {PBM_SETRANGE, 0, MAKELPARAM(10, 50), MAKELONG(0, 100), 50},
      {PBM_SETPOS, 0, 0, 50, 10},  // and to the bottom
      {PBM_SETSTEP, 15, 0, 10, 10},
      {PBM_STEPIT, 0, 0, 10, 25},
      {PBM_STEPIT, 0, 0, 25, 40},
      {PBM_STEPIT, 0, 0, 40, 15},  // past the end starts again
      {PBM_SETRANGE32, 0, 100000, MAKELONG(10, 50), 15},
      {PBM_SETPOS, 70000, 0, 15, 70000},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(SendMessageA(bar, s.message, s.wParam, s.lParam), s.answer) << s.message;
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), s.position) << s.message;
  }
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100000);
  DestroyWindow(bar);
}

TEST_F(DisplayScaleTest, TurnedTextRunsUpwardsAndALargerDisplayScalesDialogs) {
  auto surface = std::make_shared<PixelSurface>(80, 200, 32);
  HDC hdc = platform::gdi::CreateSurfaceDC(surface, 0);
  LOGFONTA font{};
  font.lfHeight = -16;
  font.lfEscapement = 900;
  std::strcpy(font.lfFaceName, "Arial");
  HFONT turned = CreateFontIndirectA(&font);
  SelectObject(hdc, turned);
  SetBkMode(hdc, TRANSPARENT);
  ExtTextOutA(hdc, 20, 180, 0, nullptr, "Turned text", 11, nullptr);
  int top = 200, bottom = 0, left = 80, right = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 80; ++x)
      if (Dark(surface->At(x, y))) {
        top = std::min(top, y), bottom = std::max(bottom, y);
        left = std::min(left, x), right = std::max(right, x);
      }
  // A line of text turned a quarter to the left: tall and narrow, above its start.
  EXPECT_GT(bottom - top, 3 * (right - left));
  EXPECT_LE(bottom, 181);
  DeleteDC(hdc);
  DeleteObject(turned);

  auto sizeAt = [](int dpi, int* fontHeight) {
    platform::gdi::SetDisplayDpi(dpi, dpi);
    HWND dialog = CreateDialogParamA(0, MAKEINTRESOURCEA(208), 0, nullptr, 0);
    RECT r{};
    GetWindowRect(dialog, &r);
    HDC dc = GetDC(dialog);
    SelectObject(dc, static_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(dialog, dc);
    *fontHeight = metrics.tmHeight;
    DestroyWindow(dialog);
    return r;
  };
  int normalFont = 0, largeFont = 0;
  const RECT normal = sizeAt(96, &normalFont);
  const RECT large = sizeAt(144, &largeFont);
  EXPECT_EQ(large.right - large.left, (normal.right - normal.left) * 3 / 2);
  EXPECT_EQ(large.bottom - large.top, (normal.bottom - normal.top) * 3 / 2);
  EXPECT_NEAR(largeFont, normalFont * 3 / 2, 2);
}

}  // namespace
