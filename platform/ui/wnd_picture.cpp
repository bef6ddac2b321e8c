// Pictures of windows: surfaces composed as the screen would show them, and the
// PNG writer (libpng) tests and the scripted user keep them with.
#include <png.h>

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/gdi/display_dc.h"
#include "platform/ui/window.h"
#include "platform/ui/window_picture.h"
#include "platform/ui/wnd_tree.h"

namespace platform::ui {
namespace {

using platform::gdi::PixelSurface;

// Classic frame metrics at 96 dpi: a 4-pixel sizing-less border and an 18-pixel
// caption with a 16 by 14 close box.
constexpr int kBorder = 4;
constexpr int kCaption = 18;

int Scaled(int pixels) { return pixels * platform::gdi::DisplayDpiY() / 96; }

void FillArea(PixelSurface& s, int left, int top, int right, int bottom, COLORREF c) {
  for (int y = std::max(top, 0); y < std::min(bottom, s.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, s.width); ++x) {
      s.pixels[static_cast<size_t>(y) * s.width + x] = c;
    }
  }
}

// A raised 3-D edge: light on the top and left, dark on the bottom and right.
void RaisedEdge(PixelSurface& s, int left, int top, int right, int bottom, COLORREF outerLight, COLORREF outerDark,
                COLORREF innerLight, COLORREF innerDark) {
  FillArea(s, left, top, right, top + 1, outerLight);
  FillArea(s, left, top, left + 1, bottom, outerLight);
  FillArea(s, left, bottom - 1, right, bottom, outerDark);
  FillArea(s, right - 1, top, right, bottom, outerDark);
  FillArea(s, left + 1, top + 1, right - 1, top + 2, innerLight);
  FillArea(s, left + 1, top + 1, left + 2, bottom - 1, innerLight);
  FillArea(s, left + 1, bottom - 2, right - 1, bottom - 1, innerDark);
  FillArea(s, right - 2, top + 1, right - 1, bottom - 1, innerDark);
}

// Copies `source` onto `target` at (x, y), only inside the clip rectangle.
// `see`: a pixel of this colour lets the target show through.
void Blit(PixelSurface& target, const PixelSurface& source, int x, int y, const RECT& clip,
          std::optional<COLORREF> see = std::nullopt) {
  const int top = std::max<int>(y, clip.top), bottom = std::min<int>(y + source.height, clip.bottom);
  const int left = std::max<int>(x, clip.left), right = std::min<int>(x + source.width, clip.right);
  for (int ty = std::max(top, 0); ty < std::min(bottom, target.height); ++ty) {
    for (int tx = std::max(left, 0); tx < std::min(right, target.width); ++tx) {
      const COLORREF pixel = source.At(tx - x, ty - y);
      if (see && (pixel & 0xFFFFFF) == *see) continue;
      target.pixels[static_cast<size_t>(ty) * target.width + tx] = pixel;
    }
  }
}

bool IsGroupBox(const Node& node) {
  return strcasecmp(node.className.c_str(), "Button") == 0 && (node.style & 0x0Fu) == 7u;  // BS_GROUPBOX
}

// Draws `window` (whose client origin is at (x, y) of the picture) and then its
// children; group boxes go first among siblings, as they frame the others.
void ComposeInto(PixelSurface& picture, HWND window, int x, int y, RECT clip, bool childrenOnly = false,
                 bool groupBox = false) {
  auto surface = WindowSurface(window);
  if (!surface) return;
  // A group box only frames: what its parent drew inside it stays visible.
  Blit(picture, *surface, x, y, clip,
       groupBox ? std::optional<COLORREF>(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) : std::nullopt);
  clip.left = std::max<LONG>(clip.left, x);
  clip.top = std::max<LONG>(clip.top, y);
  clip.right = std::min<LONG>(clip.right, x + surface->width);
  clip.bottom = std::min<LONG>(clip.bottom, y + surface->height);
  if (clip.left >= clip.right || clip.top >= clip.bottom) return;
  Node node;
  if (!GetNode(window, &node)) return;
  std::vector<std::pair<HWND, Node>> children;
  for (HWND child : node.children) {
    Node childNode;
    if (!GetNode(child, &childNode) || !(childNode.style & WS_VISIBLE)) continue;
    // On a display an owned pop-up is a window of its own.
    if (childrenOnly && !(childNode.style & WS_CHILD)) continue;
    children.emplace_back(child, childNode);
  }
  std::stable_partition(children.begin(), children.end(), [](const auto& c) { return IsGroupBox(c.second); });
  // An open combo box list lies over the controls below it.
  auto dropped = [](const auto& c) {
    return strcasecmp(c.second.className.c_str(), "ComboBox") == 0 && SendMessageA(c.first, CB_GETDROPPEDSTATE, 0, 0);
  };
  std::stable_partition(children.begin(), children.end(), [&](const auto& c) { return !dropped(c); });
  for (const auto& [child, childNode] : children) {
    RECT childClip = clip;
    if (strcasecmp(childNode.className.c_str(), "ComboBox") == 0 && !SendMessageA(child, CB_GETDROPPEDSTATE, 0, 0)) {
      childClip.bottom = std::min<LONG>(clip.bottom, y + childNode.rect.top + ComboFieldHeight(child));
    }
    ComposeInto(picture, child, x + childNode.rect.left, y + childNode.rect.top, childClip, childrenOnly,
                IsGroupBox(childNode));
  }
}

// The frame and title bar of a top-level window around its client picture.
void DrawFrame(PixelSurface& picture, HWND window, int border, int caption) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  FillArea(picture, 0, 0, picture.width, picture.height, face);
  RaisedEdge(picture, 0, 0, picture.width, picture.height, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW),
             GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
  // A picture shows the window as the one in front, with the active caption.
  const COLORREF band = GetSysColor(COLOR_ACTIVECAPTION);
  const int top = border - 1, bottom = top + caption - 1;
  FillArea(picture, border - 1, top, picture.width - border + 1, bottom, band);

  // The close box: a small raised button with a cross.
  const int boxHeight = caption - 5, boxWidth = boxHeight + 2;
  const int boxRight = picture.width - border - 1, boxLeft = boxRight - boxWidth, boxTop = top + 2;
  FillArea(picture, boxLeft, boxTop, boxRight, boxTop + boxHeight, face);
  RaisedEdge(picture, boxLeft, boxTop, boxRight, boxTop + boxHeight, GetSysColor(COLOR_BTNHIGHLIGHT),
             GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
  const int crossSize = boxHeight - 6;
  const int cx = boxLeft + (boxWidth - crossSize) / 2, cy = boxTop + (boxHeight - crossSize) / 2;
  for (int i = 0; i < crossSize; ++i) {
    FillArea(picture, cx + i, cy + i, cx + i + 2, cy + i + 1, GetSysColor(COLOR_BTNTEXT));
    FillArea(picture, cx + crossSize - 1 - i, cy + i, cx + crossSize + 1 - i, cy + i + 1, GetSysColor(COLOR_BTNTEXT));
  }

  char title[512] = {};
  GetWindowTextA(window, title, sizeof title);
  if (!title[0]) return;
  auto shared = std::shared_ptr<PixelSurface>(&picture, [](PixelSurface*) {});
  HDC dc = platform::gdi::CreateSurfaceDC(shared, 0);
  LOGFONTA font{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  font.lfWeight = FW_BOLD;
  HFONT bold = CreateFontIndirectA(&font);
  HGDIOBJ previous = SelectObject(dc, bold);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
  RECT text{border + 2, top, boxLeft - 2, bottom};
  DrawTextA(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, previous);
  DeleteObject(bold);
  DeleteDC(dc);
}

}  // namespace

std::shared_ptr<PixelSurface> ComposeWindowPicture(HWND window) {
  Node node;
  if (!GetNode(window, &node)) return nullptr;
  PaintInvalidWindows(window);
  auto client = WindowSurface(window);
  if (!client) return nullptr;
  const bool framed = node.parent == 0 && (node.style & WS_CAPTION) == WS_CAPTION && !(node.style & WS_CHILD);
  const int border = framed ? Scaled(kBorder) : 0;
  const int caption = framed ? Scaled(kCaption) + 1 : 0;
  auto picture = std::make_shared<PixelSurface>(client->width + 2 * border, client->height + 2 * border + caption, 32);
  if (framed) DrawFrame(*picture, window, border, caption);
  ComposeInto(*picture, window, border, border + caption, RECT{0, 0, picture->width, picture->height});
  return picture;
}

std::shared_ptr<PixelSurface> ComposeClientPicture(HWND window) {
  if (!GetNode(window, nullptr)) return nullptr;
  PaintInvalidWindows(window);
  auto client = WindowSurface(window);
  if (!client) return nullptr;
  auto picture = std::make_shared<PixelSurface>(client->width, client->height, 32);
  ComposeInto(*picture, window, 0, 0, RECT{0, 0, picture->width, picture->height}, true);
  return picture;
}

bool SaveWindowPicture(HWND window, const std::string& hostPath) {
  auto picture = ComposeWindowPicture(window);
  if (!picture || picture->width <= 0 || picture->height <= 0) return false;
  FILE* file = std::fopen(hostPath.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(picture->width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::remove(hostPath.c_str());
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture->width), static_cast<png_uint_32>(picture->height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      const COLORREF c = picture->At(x, y);
      row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(c & 0xFF);
      row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>((c >> 8) & 0xFF);
      row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>((c >> 16) & 0xFF);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace platform::ui
