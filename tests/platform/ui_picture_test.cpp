// Pictures of windows: composition of a window with its children, the frame of
// a top-level window, and the PNG file a picture is saved as.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/ui/window.h"
#include "platform/ui/window_picture.h"

namespace {

struct Png {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  COLORREF At(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
  }
};

bool ReadPng(const std::string& path, Png* out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->rgb.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

std::string TempPath(const char* name) {
  return std::string(::testing::TempDir()) + "/" + name + "_" + std::to_string(getpid()) + ".png";
}

bool HasColour(const platform::gdi::PixelSurface& s, RECT r, COLORREF c) {
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (s.At(x, y) == c) return true;
  return false;
}

class PictureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : windows) DestroyWindow(w);
  }
  HWND Make(DWORD style, const char* cls, const char* text, int x, int y, int w, int h, HWND parent) {
    HWND window = CreateWindowExA(0, cls, text, style, x, y, w, h, parent, 0, 0, nullptr);
    if (!parent) windows.push_back(window);
    return window;
  }
  std::vector<HWND> windows;
};

TEST_F(PictureTest, AChildIsDrawnAtItsPlaceAndClippedToItsParent) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, "#32770", "", 0, 0, 60, 40, 0);
  ASSERT_NE(top, 0u);
  HWND inner = Make(WS_CHILD | WS_VISIBLE, "STATIC", "", 50, 30, 30, 30, top);
  HWND hidden = Make(WS_CHILD, "STATIC", "", 0, 0, 10, 10, top);
  ASSERT_NE(inner, 0u);
  ASSERT_NE(hidden, 0u);
  // Painted first, so the marks below stay as they are.
  platform::ui::PaintInvalidWindows(top);
  platform::ui::WindowSurface(inner)->pixels.assign(900, RGB(1, 2, 3));
  platform::ui::WindowSurface(hidden)->pixels.assign(100, RGB(4, 5, 6));
  auto picture = platform::ui::ComposeWindowPicture(top);
  ASSERT_TRUE(picture);
  // No caption: the picture is the window itself.
  EXPECT_EQ(picture->width, 60);
  EXPECT_EQ(picture->height, 40);
  EXPECT_EQ(picture->At(55, 35), RGB(1, 2, 3));
  EXPECT_NE(picture->At(45, 25), RGB(1, 2, 3));
  EXPECT_FALSE(HasColour(*picture, RECT{0, 0, 10, 10}, RGB(4, 5, 6)));
}

TEST_F(PictureTest, ACaptionedWindowGetsAFrameAndATitleBarWithItsText) {
  HWND titled = Make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, "#32770", "Settings", 0, 0, 200, 100, 0);
  HWND untitled = Make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, "#32770", "", 0, 0, 200, 100, 0);
  auto withText = platform::ui::ComposeWindowPicture(titled);
  auto without = platform::ui::ComposeWindowPicture(untitled);
  ASSERT_TRUE(withText && without);
  EXPECT_GT(withText->width, 200);
  EXPECT_GT(withText->height, 100 + 16);
  const COLORREF band = GetSysColor(COLOR_ACTIVECAPTION);
  const RECT caption{6, 6, 100, 20};
  EXPECT_TRUE(HasColour(*withText, caption, band));
  // The title is drawn in the caption text colour; with no title the band is plain.
  EXPECT_TRUE(HasColour(*withText, caption, GetSysColor(COLOR_CAPTIONTEXT)));
  EXPECT_FALSE(HasColour(*without, caption, GetSysColor(COLOR_CAPTIONTEXT)));
}

TEST_F(PictureTest, APictureSavedAsPngReadsBackWithItsSizeAndPixels) {
  HWND top = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, "#32770", "Picture", 0, 0, 120, 80, 0);
  HWND inner = Make(WS_CHILD | WS_VISIBLE, "STATIC", "", 10, 10, 20, 20, top);
  platform::ui::PaintInvalidWindows(top);
  platform::ui::WindowSurface(inner)->pixels.assign(400, RGB(200, 10, 20));
  auto picture = platform::ui::ComposeWindowPicture(top);
  ASSERT_TRUE(picture);
  const std::string path = TempPath("picture");
  ASSERT_TRUE(platform::ui::SaveWindowPicture(top, path));
  Png png;
  ASSERT_TRUE(ReadPng(path, &png));
  EXPECT_EQ(png.width, picture->width);
  EXPECT_EQ(png.height, picture->height);
  for (POINT p : {POINT{0, 0}, POINT{picture->width / 2, 8}, POINT{picture->width - 1, picture->height - 1}}) {
    EXPECT_EQ(png.At(p.x, p.y), picture->At(p.x, p.y)) << p.x << "," << p.y;
  }
  const int dx = picture->width - 120, dy = picture->height - 80;
  EXPECT_EQ(png.At(dx / 2 + 15, dy - dx / 2 + 15), RGB(200, 10, 20));
  std::remove(path.c_str());
}

TEST_F(PictureTest, SavingFailsForNoWindowOrAnUnwritablePath) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, "#32770", "", 0, 0, 10, 10, 0);
  EXPECT_FALSE(platform::ui::SaveWindowPicture(0, TempPath("none")));
  EXPECT_FALSE(platform::ui::SaveWindowPicture(top, "/nonexistent-folder/x.png"));
  EXPECT_EQ(platform::ui::ComposeWindowPicture(0), nullptr);
}

}  // namespace
