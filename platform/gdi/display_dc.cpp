#include "platform/gdi/display_dc.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/base/resources.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/display_text.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/region.h"

namespace platform::gdi {

PixelSurface::PixelSurface(int w, int h, int bpp)
    : width(std::max(w, 0)),
      height(std::max(h, 0)),
      bitsPerPixel(bpp == 1 ? 1 : 32),
      pixels(static_cast<size_t>(width) * static_cast<size_t>(height), bpp == 1 ? 0 : 0xFFFFFF) {}

namespace display {

using platform::ToUtf16;

constexpr COLORREF kWhite = 0xFFFFFF;

// How many display objects are alive. Every drawing call and DeleteObject asks
// first whether its handle is a display object; a print job has none, and this
// count answers that without a look-up in the handle table. An object counts
// from before its handle exists until after the handle has gone.
std::atomic<int> g_displayObjects{0};

struct DisplayObjectCount {
  DisplayObjectCount() { g_displayObjects.fetch_add(1, std::memory_order_relaxed); }
  DisplayObjectCount(const DisplayObjectCount&) : DisplayObjectCount() {}
  DisplayObjectCount& operator=(const DisplayObjectCount&) = default;
  ~DisplayObjectCount() { g_displayObjects.fetch_sub(1, std::memory_order_relaxed); }
};

bool NoDisplayObjects() { return g_displayObjects.load(std::memory_order_relaxed) == 0; }

class DisplayBitmap final : public KernelObject {
 public:
  explicit DisplayBitmap(std::shared_ptr<PixelSurface> s) : surface(std::move(s)) {}
  std::shared_ptr<PixelSurface> surface;

 private:
  DisplayObjectCount count_;
};

class DisplayIcon final : public KernelObject {
 public:
  explicit DisplayIcon(std::shared_ptr<PixelSurface> s) : surface(std::move(s)) {}
  std::shared_ptr<PixelSurface> surface;

 private:
  DisplayObjectCount count_;
};

class DisplayDC final : public KernelObject {
 public:
  std::shared_ptr<PixelSurface> surface;
  HWND window = 0;
  bool memory = false;
  HBITMAP bitmap = 0;         // a memory DC's selected bitmap
  HBITMAP defaultBitmap = 0;  // the 1 by 1 monochrome bitmap a memory DC starts with
  PenData pen;
  HGDIOBJ penHandle = 0;
  BrushData brush;
  HGDIOBJ brushHandle = 0;
  LOGFONTW font{};
  HGDIOBJ fontHandle = 0;
  COLORREF textColor = 0;
  COLORREF bkColor = kWhite;
  int bkMode = OPAQUE;
  int mapMode = MM_TEXT;
  POINT current{0, 0};

 private:
  DisplayObjectCount count_;
};

std::shared_ptr<DisplayDC> Find(HDC hdc) { return NoDisplayObjects() ? nullptr : LookupHandle<DisplayDC>(hdc); }

namespace {

int g_dpiX = 96;
int g_dpiY = 96;

COLORREF Mono(COLORREF c) { return (c & 0xFFFFFF) == kWhite ? kWhite : 0; }

void Put(PixelSurface& s, int x, int y, COLORREF c) {
  if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
  s.pixels[static_cast<size_t>(y) * s.width + x] = s.bitsPerPixel == 1 ? Mono(c) : (c & 0xFFFFFF);
}

void Fill(PixelSurface& s, int left, int top, int right, int bottom, COLORREF c) {
  for (int y = std::max(top, 0); y < std::min(bottom, s.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, s.width); ++x) Put(s, x, y, c);
  }
}

// A one-pixel line without its end point, as GDI draws LineTo.
void Line(PixelSurface& s, int x0, int y0, int x1, int y1, COLORREF c) {
  const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
  const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  while (!(x0 == x1 && y0 == y1)) {
    Put(s, x0, y0, c);
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

// System brushes are given as the colour index plus one.
bool BrushColour(HBRUSH brush, COLORREF* colour, bool* hollow) {
  *hollow = false;
  auto object = FindGdiObject(brush);
  // Handles are small numbers too: a brush that exists wins over a colour index.
  if ((!object || object->kind != GdiObject::Kind::Brush) && brush > 0 && brush <= 31) {
    *colour = GetSysColor(static_cast<int>(brush) - 1);
    return true;
  }
  if (!object || object->kind != GdiObject::Kind::Brush) return false;
  *hollow = object->brush.style == BS_NULL;
  *colour = object->brush.color;
  return true;
}

RECT Whole(const PixelSurface& s) { return RECT{0, 0, s.width, s.height}; }

// A line of DrawText: its characters and the one a "&" marks, for the underline.
struct TextLine {
  std::u16string text;
  int underline = -1;
};

bool BreaksAfter(char16_t c) { return c == u' ' || (c >= 0x2E80 && c < 0xA000) || (c >= 0xF900 && c < 0xFFEF); }

// Lines of DrawText: "&" prefixes taken out (unless DT_NOPREFIX), line breaks,
// and with DT_WORDBREAK lines wrapped at the rectangle's width, between words or
// after any Japanese character.
std::vector<TextLine> LayOut(const LOGFONTW& font, const std::u16string& text, UINT format, int width) {
  std::u16string plain;
  int underline = -1;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!(format & DT_NOPREFIX) && text[i] == u'&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != u'&') underline = static_cast<int>(plain.size());
    }
    plain.push_back(text[i]);
  }
  std::vector<TextLine> lines;
  if (format & DT_SINGLELINE) {
    std::replace(plain.begin(), plain.end(), u'\n', u' ');
    std::replace(plain.begin(), plain.end(), u'\r', u' ');
    lines.push_back(TextLine{plain, underline});
    return lines;
  }
  size_t start = 0;
  while (true) {
    size_t end = plain.find(u'\n', start);
    const size_t stop = end == std::u16string::npos ? plain.size() : end;
    size_t lineEnd = stop;
    if (lineEnd > start && plain[lineEnd - 1] == u'\r') --lineEnd;
    size_t from = start;
    // Wrapping: the longest piece that fits, cut after the last break point.
    while (true) {
      size_t cut = lineEnd;
      if ((format & DT_WORDBREAK) &&
          display::RunWidth(font, std::u16string_view(plain).substr(from, lineEnd - from)) > width) {
        size_t lastBreak = std::u16string::npos;
        for (size_t i = from; i < lineEnd; ++i) {
          if (display::RunWidth(font, std::u16string_view(plain).substr(from, i + 1 - from)) > width && i > from) {
            if (plain[i] == u' ') lastBreak = i;
            break;
          }
          if (BreaksAfter(plain[i])) lastBreak = i;
        }
        if (lastBreak != std::u16string::npos && lastBreak + 1 < lineEnd) cut = lastBreak + 1;
      }
      size_t shown = cut;
      while (shown > from && plain[shown - 1] == u' ' && cut != lineEnd) --shown;
      TextLine line{plain.substr(from, shown - from), -1};
      if (underline >= static_cast<int>(from) && underline < static_cast<int>(shown)) {
        line.underline = underline - static_cast<int>(from);
      }
      lines.push_back(std::move(line));
      if (cut >= lineEnd) break;
      from = cut;
    }
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  return lines;
}

std::shared_ptr<PixelSurface> DecodeDib(const unsigned char* data, size_t size) {
  if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  if (header.biSize < sizeof header || header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight == 0 ||
      header.biWidth > 16384 || std::abs(header.biHeight) > 16384) {
    return nullptr;
  }
  const int bpp = header.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return nullptr;
  const int width = header.biWidth;
  const int height = std::abs(header.biHeight);
  const bool bottomUp = header.biHeight > 0;
  const size_t colours = bpp <= 8 ? (header.biClrUsed ? header.biClrUsed : (1u << bpp)) : 0;
  const size_t paletteOffset = header.biSize;
  const size_t bitsOffset = paletteOffset + colours * 4;
  const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  if (colours > 256 || bitsOffset + stride * height > size) return nullptr;
  auto surface = std::make_shared<PixelSurface>(width, height, 32);
  auto paletteColour = [&](size_t index) -> COLORREF {
    if (index >= colours) return 0;
    const unsigned char* q = data + paletteOffset + index * 4;
    return RGB(q[2], q[1], q[0]);
  };
  for (int row = 0; row < height; ++row) {
    const unsigned char* line = data + bitsOffset + stride * static_cast<size_t>(row);
    const int y = bottomUp ? height - 1 - row : row;
    for (int x = 0; x < width; ++x) {
      COLORREF c = 0;
      switch (bpp) {
        case 1: c = paletteColour((line[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: c = paletteColour((line[x / 2] >> (x % 2 ? 0 : 4)) & 0xF); break;
        case 8: c = paletteColour(line[x]); break;
        case 24: c = RGB(line[x * 3 + 2], line[x * 3 + 1], line[x * 3]); break;
        default: c = RGB(line[x * 4 + 2], line[x * 4 + 1], line[x * 4]); break;
      }
      surface->pixels[static_cast<size_t>(y) * width + x] = c;
    }
  }
  return surface;
}

HANDLE InsertOrFail(std::shared_ptr<KernelObject> object) {
  HANDLE handle = InsertHandle(std::move(object));
  if (handle == 0) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return handle;
}

HBITMAP NewBitmap(std::shared_ptr<PixelSurface> surface) {
  return InsertOrFail(std::make_shared<DisplayBitmap>(std::move(surface)));
}

std::vector<unsigned char> ReadWholeFile(LPCSTR path) {
  std::vector<unsigned char> bytes;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  const DWORD size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE && size < (64u << 20)) {
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), size, &read, nullptr) || read != size) bytes.clear();
  }
  CloseHandle(file);
  return bytes;
}

// A .bmp file: its file header, then a packed DIB.
std::shared_ptr<PixelSurface> DecodeBmpFile(const std::vector<unsigned char>& bytes) {
  if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M') return nullptr;
  return DecodeDib(bytes.data() + 14, bytes.size() - 14);
}

}  // namespace

HGDIOBJ Select(DisplayDC& dc, HGDIOBJ handle) {
  if (auto bitmap = LookupHandle<DisplayBitmap>(handle)) {
    if (!dc.memory) return 0;
    HBITMAP previous = dc.bitmap;
    dc.bitmap = handle;
    dc.surface = bitmap->surface;
    return previous;
  }
  auto object = FindGdiObject(handle);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (object->kind) {
    case GdiObject::Kind::Pen: dc.pen = object->pen; return std::exchange(dc.penHandle, handle);
    case GdiObject::Kind::Brush: dc.brush = object->brush; return std::exchange(dc.brushHandle, handle);
    case GdiObject::Kind::Font: dc.font = object->font; return std::exchange(dc.fontHandle, handle);
    case GdiObject::Kind::Region: return static_cast<HGDIOBJ>(SIMPLEREGION);
  }
  return 0;
}

BOOL Delete(HDC hdc) {
  auto dc = Find(hdc);
  if (!dc) return FALSE;
  if (dc->defaultBitmap) RemoveHandle(dc->defaultBitmap);
  return RemoveHandle(hdc) ? TRUE : FALSE;
}

int DeviceCaps(DisplayDC& dc, int index) {
  switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case LOGPIXELSX: return g_dpiX;
    case LOGPIXELSY: return g_dpiY;
    case BITSPIXEL: return dc.surface ? dc.surface->bitsPerPixel : 32;
    case PLANES: return 1;
    case HORZRES: return GetSystemMetrics(SM_CXSCREEN);
    case VERTRES: return GetSystemMetrics(SM_CYSCREEN);
    default: return 0;
  }
}

BOOL MoveTo(DisplayDC& dc, int x, int y, LPPOINT previous) {
  if (previous) *previous = dc.current;
  dc.current = POINT{x, y};
  return TRUE;
}

BOOL LineTo(DisplayDC& dc, int x, int y) {
  if (dc.pen.style != PS_NULL) Line(*dc.surface, dc.current.x, dc.current.y, x, y, dc.pen.color);
  dc.current = POINT{x, y};
  return TRUE;
}

BOOL Rectangle(DisplayDC& dc, int left, int top, int right, int bottom) {
  PixelSurface& s = *dc.surface;
  if (dc.pen.style == PS_NULL) {
    if (dc.brush.style != BS_NULL) Fill(s, left, top, right - 1, bottom - 1, dc.brush.color);
    return TRUE;
  }
  if (dc.brush.style != BS_NULL) Fill(s, left + 1, top + 1, right - 1, bottom - 1, dc.brush.color);
  Line(s, left, top, right - 1, top, dc.pen.color);
  Line(s, right - 1, top, right - 1, bottom - 1, dc.pen.color);
  Line(s, right - 1, bottom - 1, left, bottom - 1, dc.pen.color);
  Line(s, left, bottom - 1, left, top, dc.pen.color);
  return TRUE;
}

BOOL Polyline(DisplayDC& dc, const POINT* points, int count) {
  if (dc.pen.style == PS_NULL) return TRUE;
  for (int i = 1; i < count; ++i) {
    Line(*dc.surface, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, dc.pen.color);
  }
  return TRUE;
}

BOOL Polygon(DisplayDC& dc, const POINT* points, int count) {
  PixelSurface& s = *dc.surface;
  if (dc.brush.style != BS_NULL) {
    platform::gdi::Polygon shape;
    for (int i = 0; i < count; ++i) shape.push_back(PointD{points[i].x + 0.5, points[i].y + 0.5});
    const RECTL limit{0, 0, s.width, s.height};
    for (const RECTL& r : BandRegion::FromPolygons({shape}, false, limit).Rects()) {
      Fill(s, r.left, r.top, r.right, r.bottom, dc.brush.color);
    }
  }
  if (dc.pen.style != PS_NULL) {
    Polyline(dc, points, count);
    Line(s, points[count - 1].x, points[count - 1].y, points[0].x, points[0].y, dc.pen.color);
  }
  return TRUE;
}

COLORREF SetTextColor(DisplayDC& dc, COLORREF color) { return std::exchange(dc.textColor, color & 0xFFFFFF); }
COLORREF SetBkColor(DisplayDC& dc, COLORREF color) { return std::exchange(dc.bkColor, color & 0xFFFFFF); }
COLORREF GetBkColor(DisplayDC& dc) { return dc.bkColor; }
int SetBkMode(DisplayDC& dc, int mode) {
  if (mode != OPAQUE && mode != TRANSPARENT) return 0;
  return std::exchange(dc.bkMode, mode);
}
int GetBkMode(DisplayDC& dc) { return dc.bkMode; }
int SetMapMode(DisplayDC& dc, int mode) { return std::exchange(dc.mapMode, mode); }

namespace {

// A run of ANSI text with the DC's font and colours; an opaque background
// covers the run's cell.
void PaintRun(DisplayDC& dc, int x, int y, const std::u16string& text, bool opaque, const RECT& clip) {
  PixelSurface& s = *dc.surface;
  if (opaque && dc.font.lfEscapement % 3600 == 0) {
    const TextFontMetrics m = MetricsOf(dc.font);
    const int w = RunWidth(dc.font, text);
    Fill(s, std::max<int>(x, clip.left), std::max<int>(y, clip.top), std::min<int>(x + w, clip.right),
         std::min<int>(y + m.height, clip.bottom), dc.bkColor);
  }
  display::DrawRun(s, dc.font, x, y, text, dc.textColor, clip);
}

}  // namespace

BOOL TextOut(DisplayDC& dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length) {
  PixelSurface& s = *dc.surface;
  if ((options & ETO_OPAQUE) && rect) Fill(s, rect->left, rect->top, rect->right, rect->bottom, dc.bkColor);
  const RECT clip = (options & ETO_CLIPPED) && rect ? *rect : Whole(s);
  if (text && length) {
    PaintRun(dc, x, y, ToUtf16(std::string_view(text, length)), dc.bkMode == OPAQUE && !(options & ETO_OPAQUE), clip);
  }
  return TRUE;
}

BOOL TextMetrics(DisplayDC& dc, LPTEXTMETRICA metrics) {
  if (!metrics) return FALSE;
  const TextFontMetrics m = MetricsOf(dc.font);
  *metrics = TEXTMETRICA{};
  metrics->tmHeight = m.height;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading;
  metrics->tmAveCharWidth = m.aveCharWidth;
  metrics->tmMaxCharWidth = m.maxCharWidth;
  metrics->tmWeight = dc.font.lfWeight ? dc.font.lfWeight : FW_NORMAL;
  metrics->tmItalic = dc.font.lfItalic;
  metrics->tmUnderlined = dc.font.lfUnderline;
  metrics->tmLastChar = 0xFF;
  metrics->tmCharSet = dc.font.lfCharSet;
  return TRUE;
}

BOOL TextExtent(DisplayDC& dc, LPCSTR text, int length, LPSIZE size) {
  if (!size || length < 0 || (!text && length > 0)) return FALSE;
  const std::u16string wide = length ? ToUtf16(std::string_view(text, static_cast<size_t>(length))) : u"";
  *size = SIZE{RunWidth(dc.font, wide), MetricsOf(dc.font).height};
  return TRUE;
}

bool DeleteDisplayObject(HGDIOBJ object) {
  if (NoDisplayObjects() || (!LookupHandle<DisplayBitmap>(object) && !LookupHandle<DisplayIcon>(object))) return false;
  RemoveHandle(object);
  return true;
}

HGDIOBJ StockFont(int index) {
  static std::mutex mutex;
  static HGDIOBJ fonts[DEFAULT_GUI_FONT + 1] = {};
  if (index < OEM_FIXED_FONT || index > DEFAULT_GUI_FONT) return 0;
  std::lock_guard lock(mutex);
  if (fonts[index] == 0 || !FindGdiObject(fonts[index])) {
    LOGFONTA font{};
    // The GUI font is 9 points, as the dialogs are.
    font.lfHeight = index == DEFAULT_GUI_FONT ? -MulDiv(9, g_dpiY, 72) : 13;
    font.lfWeight = index == SYSTEM_FONT ? FW_BOLD : FW_NORMAL;
    std::strcpy(font.lfFaceName, index == DEFAULT_GUI_FONT ? "MS Shell Dlg"
                                 : index == ANSI_VAR_FONT  ? "MS Sans Serif"
                                                           : "System");
    fonts[index] = CreateFontIndirectA(&font);
    if (auto object = FindGdiObject(fonts[index])) object->stock = true;
  }
  return fonts[index];
}

}  // namespace display

HDC CreateSurfaceDC(std::shared_ptr<PixelSurface> surface, HWND window) {
  auto dc = std::make_shared<display::DisplayDC>();
  dc->surface = std::move(surface);
  dc->window = window;
  return display::InsertOrFail(dc);
}

std::shared_ptr<PixelSurface> SurfaceOfDC(HDC hdc) {
  auto dc = display::Find(hdc);
  return dc ? dc->surface : nullptr;
}

std::shared_ptr<PixelSurface> SurfaceOfBitmap(HBITMAP bitmap) {
  auto object = LookupHandle<display::DisplayBitmap>(bitmap);
  return object ? object->surface : nullptr;
}

bool IsDisplayDC(HDC hdc) { return display::Find(hdc) != nullptr; }

COLORREF TextColourOfDC(HDC hdc) {
  auto dc = display::Find(hdc);
  return dc ? dc->textColor : 0;
}

HWND WindowOfDC(HDC hdc) {
  auto dc = display::Find(hdc);
  return dc ? dc->window : 0;
}

void SetDisplayDpi(int dpiX, int dpiY) {
  display::g_dpiX = dpiX;
  display::g_dpiY = dpiY;
}
int DisplayDpiX() { return display::g_dpiX; }
int DisplayDpiY() { return display::g_dpiY; }

SIZE CharacterCell(const LOGFONTW& font) {
  const display::TextFontMetrics m = display::MetricsOf(font);
  return SIZE{m.aveCharWidth, m.height};
}

}  // namespace platform::gdi

using namespace platform::gdi;
using namespace platform::gdi::display;
using platform::LookupHandle;
using platform::RemoveHandle;

ZEL_EXTERN_C HDC CreateCompatibleDC(HDC) {
  auto dc = std::make_shared<DisplayDC>();
  dc->memory = true;
  auto mono = std::make_shared<PixelSurface>(1, 1, 1);
  dc->defaultBitmap = NewBitmap(mono);
  dc->bitmap = dc->defaultBitmap;
  dc->surface = mono;
  return InsertOrFail(dc);
}

ZEL_EXTERN_C HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  auto dc = Find(hdc);
  const int bpp = dc && dc->memory && dc->surface ? dc->surface->bitsPerPixel : 32;
  if (width < 0 || height < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return NewBitmap(std::make_shared<PixelSurface>(width, height, bpp));
}

ZEL_EXTERN_C HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  auto surface = std::make_shared<PixelSurface>(width, height, static_cast<int>(bitsPerPixel));
  if (bits) {
    const auto* bytes = static_cast<const unsigned char*>(bits);
    const size_t stride = bitsPerPixel == 1 ? ((static_cast<size_t>(width) + 15) / 16) * 2 : size_t(width) * 4;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const unsigned char* row = bytes + stride * y;
        COLORREF c = bitsPerPixel == 1 ? (((row[x / 8] >> (7 - x % 8)) & 1) ? 0xFFFFFFu : 0u)
                                       : RGB(row[x * 4 + 2], row[x * 4 + 1], row[x * 4]);
        surface->pixels[static_cast<size_t>(y) * width + x] = c;
      }
    }
  }
  return NewBitmap(surface);
}

ZEL_EXTERN_C int GetObjectA(HANDLE object, int size, LPVOID buffer) {
  if (auto bitmap = SurfaceOfBitmap(object)) {
    if (!buffer) return sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = bitmap->width;
    info.bmHeight = bitmap->height;
    info.bmWidthBytes = bitmap->bitsPerPixel == 1 ? ((bitmap->width + 15) / 16) * 2 : bitmap->width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
    std::memcpy(buffer, &info, sizeof info);
    return sizeof info;
  }
  auto gdiObject = FindGdiObject(object);
  if (gdiObject && gdiObject->kind == GdiObject::Kind::Font) {
    if (!buffer) return sizeof(LOGFONTA);
    if (size < static_cast<int>(sizeof(LOGFONTA))) return 0;
    LOGFONTA font{};
    std::memcpy(&font, &gdiObject->font, offsetof(LOGFONTA, lfFaceName));
    WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(gdiObject->font.lfFaceName), -1, font.lfFaceName,
                        sizeof font.lfFaceName, nullptr, nullptr);
    font.lfFaceName[sizeof font.lfFaceName - 1] = 0;
    std::memcpy(buffer, &font, sizeof font);
    return sizeof font;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return 0;
}

ZEL_EXTERN_C BOOL StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
                             int sourceWidth, int sourceHeight, DWORD rop) {
  auto dst = Find(target);
  if (!dst || !dst->surface) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto src = Find(source);
  const bool needsSource = rop == SRCCOPY || rop == SRCAND || rop == SRCINVERT || rop == SRCPAINT;
  if (needsSource && (!src || !src->surface)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (width <= 0 || height <= 0) return TRUE;
  PixelSurface& out = *dst->surface;
  for (int ty = 0; ty < height; ++ty) {
    for (int tx = 0; tx < width; ++tx) {
      const int px = x + tx, py = y + ty;
      if (px < 0 || py < 0 || px >= out.width || py >= out.height) continue;
      COLORREF s = 0;
      if (needsSource) {
        const int qx = sx + static_cast<int>(static_cast<long long>(tx) * sourceWidth / width);
        const int qy = sy + static_cast<int>(static_cast<long long>(ty) * sourceHeight / height);
        if (qx < 0 || qy < 0 || qx >= src->surface->width || qy >= src->surface->height) continue;
        s = src->surface->At(qx, qy);
        // Colour to monochrome: the source's background colour becomes white, all
        // else black; monochrome to colour: black takes the target's text colour,
        // white its background colour.
        if (src->surface->bitsPerPixel == 32 && out.bitsPerPixel == 1) {
          s = s == src->bkColor ? kWhite : 0;
        } else if (src->surface->bitsPerPixel == 1 && out.bitsPerPixel == 32) {
          s = s == kWhite ? dst->bkColor : dst->textColor;
        }
      }
      const COLORREF d = out.At(px, py);
      COLORREF r = 0;
      switch (rop) {
        case SRCCOPY: r = s; break;
        case SRCAND: r = d & s; break;
        case SRCINVERT: r = d ^ s; break;
        case SRCPAINT: r = d | s; break;
        case PATCOPY: r = dst->brush.color; break;
        case BLACKNESS: r = 0; break;
        case WHITENESS: r = kWhite; break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
      }
      Put(out, px, py, r);
    }
  }
  return TRUE;
}

ZEL_EXTERN_C BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
  return StretchBlt(target, x, y, width, height, source, sx, sy, width, height, rop);
}

ZEL_EXTERN_C COLORREF GetPixel(HDC hdc, int x, int y) {
  auto dc = Find(hdc);
  if (!dc || !dc->surface || x < 0 || y < 0 || x >= dc->surface->width || y >= dc->surface->height) {
    return CLR_INVALID;
  }
  return dc->surface->At(x, y);
}

ZEL_EXTERN_C COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto dc = Find(hdc);
  if (!dc || !dc->surface) return CLR_INVALID;
  Put(*dc->surface, x, y, color);
  return GetPixel(hdc, x, y);
}

ZEL_EXTERN_C int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  auto dc = Find(hdc);
  COLORREF colour = 0;
  bool hollow = false;
  if (!dc || !rect || !BrushColour(brush, &colour, &hollow)) return 0;
  if (!hollow) Fill(*dc->surface, rect->left, rect->top, rect->right, rect->bottom, colour);
  return 1;
}

ZEL_EXTERN_C BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  auto dc = Find(hdc);
  if (!dc || !rect) return FALSE;
  PixelSurface& s = *dc->surface;
  // A dotted frame drawn with XOR, so drawing it twice takes it away again.
  auto flip = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    Put(s, x, y, s.At(x, y) ^ kWhite);
  };
  for (int x = rect->left; x < rect->right; x += 2) {
    flip(x, rect->top);
    flip(x, rect->bottom - 1);
  }
  for (int y = rect->top + 2; y < rect->bottom - 1; y += 2) {
    flip(rect->left, y);
    flip(rect->right - 1, y);
  }
  return TRUE;
}

ZEL_EXTERN_C int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
  auto dc = Find(hdc);
  if (!dc || !rect || !text) return 0;
  const std::string whole = length < 0 ? std::string(text) : std::string(text, static_cast<size_t>(length));
  const TextFontMetrics metrics = MetricsOf(dc->font);
  const std::vector<TextLine> lines = LayOut(dc->font, ToUtf16(whole), format, rect->right - rect->left);
  int widest = 0;
  for (const TextLine& line : lines) widest = std::max(widest, RunWidth(dc->font, line.text));
  const int height = metrics.height * static_cast<int>(lines.size());
  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) y = rect->top + (rect->bottom - rect->top - metrics.height) / 2;
    if (format & DT_BOTTOM) y = rect->bottom - metrics.height;
  }
  // DrawText clips to its rectangle only when asked; the surface bounds it always.
  const RECT clip = Whole(*dc->surface);
  for (const TextLine& line : lines) {
    const int w = RunWidth(dc->font, line.text);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - w) / 2;
    if (format & DT_RIGHT) x = rect->right - w;
    PaintRun(*dc, x, y, line.text, dc->bkMode == OPAQUE, clip);
    if (line.underline >= 0) {
      // The mnemonic's underline, under its character only, below the baseline.
      const int from = x + RunWidth(dc->font, std::u16string_view(line.text).substr(0, line.underline));
      const int to = from + RunWidth(dc->font, std::u16string_view(line.text).substr(line.underline, 1));
      const int under = y + metrics.ascent + 1;
      Fill(*dc->surface, from, under, to, under + 1, dc->textColor);
    }
    y += metrics.height;
  }
  return height;
}

ZEL_EXTERN_C int GetClipBox(HDC hdc, LPRECT rect) {
  auto dc = Find(hdc);
  if (!dc || !rect) return ERROR;
  *rect = RECT{0, 0, dc->surface->width, dc->surface->height};
  return SIMPLEREGION;
}

ZEL_EXTERN_C DWORD GetSysColor(int index) {
  // The classic 3-D scheme, the same on every machine.
  switch (index) {
    case COLOR_SCROLLBAR: return RGB(212, 208, 200);
    case COLOR_ACTIVECAPTION: return RGB(10, 36, 106);
    case COLOR_INACTIVECAPTION: return RGB(128, 128, 128);
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_WINDOWFRAME: return 0x000000;
    case COLOR_WINDOWTEXT: return 0x000000;
    case COLOR_CAPTIONTEXT: return 0xFFFFFF;
    case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
    case COLOR_HIGHLIGHTTEXT: return 0xFFFFFF;
    case COLOR_BTNFACE: return RGB(212, 208, 200);
    case COLOR_BTNSHADOW: return RGB(128, 128, 128);
    case COLOR_GRAYTEXT: return RGB(128, 128, 128);
    case COLOR_BTNTEXT: return 0x000000;
    case COLOR_BTNHIGHLIGHT: return 0xFFFFFF;
    case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
    case COLOR_3DLIGHT: return RGB(212, 208, 200);
    default: return 0;
  }
}

ZEL_EXTERN_C HBRUSH GetSysColorBrush(int index) {
  static std::mutex mutex;
  static HBRUSH brushes[32] = {};
  if (index < 0 || index >= 32) return 0;
  std::lock_guard lock(mutex);
  if (brushes[index] == 0 || !FindGdiObject(brushes[index])) {
    brushes[index] = CreateSolidBrush(GetSysColor(index));
    if (auto object = FindGdiObject(brushes[index])) object->stock = true;
  }
  return brushes[index];
}

ZEL_EXTERN_C int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXICON:
    case SM_CYICON: return 32;
    default: return 0;
  }
}

namespace {

void MapColours(PixelSurface& s, UINT flags) {
  if (s.pixels.empty()) return;
  const COLORREF first = s.pixels[0];
  for (COLORREF& c : s.pixels) {
    if ((flags & LR_LOADTRANSPARENT) && c == first) {
      c = GetSysColor(COLOR_WINDOW);
    } else if (flags & LR_LOADMAP3DCOLORS) {
      // clang-format off
      if (c == RGB(128, 128, 128)) c = GetSysColor(COLOR_BTNSHADOW);
      else if (c == RGB(192, 192, 192)) c = GetSysColor(COLOR_BTNFACE);
      else if (c == RGB(223, 223, 223)) c = GetSysColor(COLOR_3DLIGHT);
      // clang-format on
    }
  }
}

}  // namespace

ZEL_EXTERN_C HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  auto data = platform::FindModuleResource(instance, name, RT_BITMAP);
  if (!data) return 0;
  auto surface = DecodeDib(data->data(), data->size());
  if (!surface) {
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  return NewBitmap(surface);
}

ZEL_EXTERN_C HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int, int, UINT flags) {
  if (type != IMAGE_BITMAP || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::shared_ptr<PixelSurface> surface;
  if (flags & LR_LOADFROMFILE) {
    if (IS_INTRESOURCE(name)) return 0;
    surface = DecodeBmpFile(ReadWholeFile(name));
  } else {
    auto data = platform::FindModuleResource(instance, name, RT_BITMAP);
    if (data) surface = DecodeDib(data->data(), data->size());
  }
  if (!surface) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  MapColours(*surface, flags);
  return NewBitmap(surface);
}

ZEL_EXTERN_C HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  auto data = platform::FindModuleResource(instance, name, RT_ICON);
  if (!data) return 0;
  const std::vector<unsigned char> bytes(data->begin(), data->end());
  auto surface = DecodeBmpFile(bytes);
  if (!surface) {
    SetLastError(ERROR_INVALID_DATA);
    return 0;
  }
  return InsertOrFail(std::make_shared<DisplayIcon>(surface));
}

ZEL_EXTERN_C BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  auto dc = Find(hdc);
  auto object = LookupHandle<DisplayIcon>(icon);
  if (!dc || !object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const PixelSurface& s = *object->surface;
  for (int iy = 0; iy < s.height; ++iy) {
    for (int ix = 0; ix < s.width; ++ix) Put(*dc->surface, x + ix, y + iy, s.At(ix, iy));
  }
  return TRUE;
}

ZEL_EXTERN_C BOOL DestroyIcon(HICON icon) {
  if (!LookupHandle<DisplayIcon>(icon)) return FALSE;
  return RemoveHandle(icon) ? TRUE : FALSE;
}
