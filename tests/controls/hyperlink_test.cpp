#include "controls/hyperlink.h"

#include <filesystem>

#include "tests/controls/controls_fixture.h"

using controls::CHyperlink;
using controls::CMyDialog;

namespace {

class HyperlinkTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ASSERT_TRUE(host.Create(205, nullptr));
    host.ShowWindow(SW_SHOW);
    platform::SetShellHandler([this](const platform::ShellRequest& request) {
      opened.push_back(request);
      return static_cast<HINSTANCE>(42);
    });
  }
  void TearDown() override {
    host.DestroyWindow();
    ControlsTest::TearDown();
  }
  void Click(CHyperlink& link, int x, int y) {
    link.SendMessage(WM_MOUSEMOVE, 0, Point(x, y));
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  }

  CMyDialog host{205, nullptr};
  std::vector<platform::ShellRequest> opened;
};

TEST_F(HyperlinkTest, SetupLinkCoversThePlaceholder) {
  CHyperlink link;
  ASSERT_TRUE(link.SetupLink(host.m_hWnd, &host, 63, "http://www.example.com/"));
  EXPECT_EQ(link.GetDlgCtrlID(), 9999);
  EXPECT_EQ(link.GetTextColor(), 0xFF0000u);
  EXPECT_EQ(link.GetHoverColor(), 0x0000FFu);
  CRect item, mine;
  ::GetWindowRect(::GetDlgItem(host.m_hWnd, 63), &item);
  link.GetWindowRect(&mine);
  EXPECT_EQ(mine.left, item.left + 1);
  EXPECT_EQ(mine.bottom, item.bottom - 1);
  EXPECT_EQ(link.GetWindowText(), "http://www.example.com/");
  // The custom font: the face asked for, underlined.
  link.UpdateWindow();
  Click(link, 2, 2);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].verb, "open");
  EXPECT_EQ(opened[0].file, "http://www.example.com/");
  EXPECT_EQ(opened[0].show, SW_SHOW);
}

TEST_F(HyperlinkTest, WhatOpenLinkHandsToTheShell) {
  struct Case {
    const char* link;
    const char* opened;  // nullptr: nothing is opened
  };
  const Case cases[] = {
      {"support@example.com", "mailto:support@example.com"},
      {"mailto:sales@example.com", "mailto:sales@example.com"},
      {"http://www.example.com", "http://www.example.com"},
      {"https://example.com/drivers", "https://example.com/drivers"},
      // A bare web address is a web address, whatever its last part looks like.
      {"www.example.com", "http://www.example.com"},
      {"www.setup.exe", "http://www.setup.exe"},
      // The web schemes come before the "@" rule; the mail scheme in any case once.
      {"http://user@example.com/", "http://user@example.com/"},
      {"HTTPS://example.com/", "HTTPS://example.com/"},
      {"MAILTO:sales@example.com", "mailto:sales@example.com"},
      {"Mailto:sales@example.com", "mailto:sales@example.com"},
      // A crafted model description must not start programs or open local files.
      {"C:\\Windows\\system32\\calc.exe", nullptr},
      {"file:///etc/passwd", nullptr},
      {"file://user@host/etc/passwd", nullptr},
      {"ftp://anonymous@example.com/", nullptr},
      {"notepad.exe", nullptr},
      {"\\\\server\\share\\tool.exe", nullptr},
      {"\\\\server\\share@x\\tool.exe", nullptr},
      {"www.example.com\" & calc", nullptr},
      {"http://", nullptr},
      {"mailto:", nullptr},
      {"@example.com", nullptr},
  };
  for (const Case& c : cases) {
    opened.clear();
    CHyperlink link;
    link.SetLink(c.link);
    link.OpenLink();
    if (c.opened) {
      ASSERT_EQ(opened.size(), 1u) << c.link;
      EXPECT_EQ(opened[0].file, c.opened);
    } else {
      EXPECT_TRUE(opened.empty()) << c.link;
    }
  }
}

TEST_F(HyperlinkTest, WithoutTextOrBitmapItShowsClickHere) {
  CHyperlink link;
  ASSERT_TRUE(link.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 40), &host, 5));
  link.UpdateWindow();
  EXPECT_EQ(link.GetWindowText(), "Click here");
  // Word-wrapped at the narrow starting width: one word a line, in the text colour.
  const CRect text = link.GetTextRect();
  EXPECT_GT(text.Height(), 0);
  auto surface = platform::ui::WindowSurface(link.m_hWnd);
  bool ink = false;
  for (int x = 0; x < text.right; ++x) ink = ink || surface->At(x, text.top + 4) == link.GetTextColor();
  EXPECT_TRUE(ink);
  // With no link of its own the window text is the target (no scheme: refused).
  Click(link, 1, 1);
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(link.IsHovering());
}

TEST_F(HyperlinkTest, HoverTracksThePointer) {
  const HCURSOR arrow = LoadCursorA(0, IDC_ARROW);
  ::SetCursor(arrow);
  CHyperlink link;
  ASSERT_TRUE(link.Create(nullptr, "Driver site", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 40), &host, 5));
  link.SetWordBreak(FALSE);
  link.SetLink("https://example.com/");
  const CRect text = link.GetTextRect();
  ASSERT_GT(text.Width(), 0);
  link.SendMessage(WM_MOUSEMOVE, 0, Point(text.left + 1, text.top + 1));
  EXPECT_TRUE(link.IsHovering());
  EXPECT_EQ(::GetCapture(), link.m_hWnd);
  EXPECT_NE(::GetCursor(), arrow);
  EXPECT_EQ(::GetCursor(), link.m_handCursor);
  // The text is drawn in the hover colour while hovering.
  auto surface = platform::ui::WindowSurface(link.m_hWnd);
  bool hoverInk = false;
  for (int y = text.top; y < text.bottom; ++y)
    for (int x = text.left; x < text.right; ++x) hoverInk = hoverInk || surface->At(x, y) == 0x00FF00u;
  EXPECT_TRUE(hoverInk);
  link.SendMessage(WM_MOUSEMOVE, 0, Point(text.right + 20, text.bottom + 10));
  EXPECT_FALSE(link.IsHovering());
  EXPECT_EQ(::GetCapture(), 0u);
  EXPECT_EQ(::GetCursor(), arrow);
  // A click outside the text and the bitmap opens nothing.
  link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, Point(text.right + 20, text.bottom + 10));
  EXPECT_TRUE(opened.empty());
  Click(link, text.left + 2, text.top + 2);
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(HyperlinkTest, BitmapAndTextLayout) {
  // A bitmap from a file on the machine: 20 by 10, blue then green.
  std::filesystem::copy_file(ZEL_SOURCE_DIR "/tests/controls/fixtures/logo.bmp", Host("C:\\logo.bmp"));
  CHyperlink link;
  ASSERT_TRUE(link.Create(nullptr, "A long link text", WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 80), &host, 5));
  link.SetWordBreak(FALSE);
  link.SetBitmapFile("C:\\logo.bmp");
  link.SetTextPosition(1, 1);  // text above a centred bitmap
  const CRect text = link.GetTextRect(), bitmap = link.GetBitmapRect();
  EXPECT_EQ(bitmap.Width(), 20);
  EXPECT_EQ(bitmap.top, text.Height());
  EXPECT_EQ(bitmap.left, (text.Width() - 20) / 2);
  auto surface = platform::ui::WindowSurface(link.m_hWnd);
  EXPECT_EQ(surface->At(bitmap.left, bitmap.top), RGB(0, 0, 255));
  EXPECT_EQ(surface->At(bitmap.left + 15, bitmap.top + 5), RGB(0, 255, 0));
  // Hovering the bitmap frames it in the hover colour.
  link.SendMessage(WM_MOUSEMOVE, 0, Point(bitmap.left + 3, bitmap.top + 3));
  EXPECT_TRUE(link.IsHovering());
  EXPECT_EQ(surface->At(bitmap.left - 1, bitmap.top + 3), link.GetHoverColor());
  // A transparent bitmap loads with its first colour as the window colour and
  // lets the background through where its top-right colour is.
  link.SetTransparentBitmap(TRUE);
  EXPECT_EQ(surface->At(bitmap.left, bitmap.top), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(surface->At(bitmap.left + 15, bitmap.top + 5), GetSysColor(COLOR_BTNFACE));
}

TEST_F(HyperlinkTest, SuppliedCursorIsNotDestroyed) {
  CHyperlink link;
  ASSERT_TRUE(link.Create(nullptr, "x", WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), &host, 5));
  EXPECT_NE(link.m_handCursor, 0u);
  const HCURSOR mine = LoadCursorA(0, IDC_HAND);
  EXPECT_EQ(link.SetLinkCursor(mine), 0u);
  link.DestroyWindow();
  EXPECT_EQ(::SetCursor(mine), ::GetCursor());  // still a valid handle to use
}

}  // namespace
