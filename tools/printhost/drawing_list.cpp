#include "tools/printhost/drawing_list.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <vector>

namespace printhost {
namespace {

// The words of one list line. A string stream per line, with its locale and
// number parsing, cost the bench's vector pages more than the driver's own
// work on each shape did.
class Words {
 public:
  explicit Words(std::string_view line) : rest_(line) {}
  bool Word(std::string_view* word) {
    size_t start = 0;
    while (start < rest_.size() && std::isspace(static_cast<unsigned char>(rest_[start]))) ++start;
    size_t end = start;
    while (end < rest_.size() && !std::isspace(static_cast<unsigned char>(rest_[end]))) ++end;
    *word = rest_.substr(start, end - start);
    rest_.remove_prefix(end);
    return !word->empty();
  }
  bool Word(std::string* word) {
    std::string_view view;
    if (!Word(&view)) return false;
    word->assign(view);
    return true;
  }
  // A whole word that is a decimal number in int's range.
  Words& operator>>(int& value) {
    std::string_view word;
    if (ok_) Word(&word);
    const char* end = word.data() + word.size();
    ok_ = ok_ && !word.empty() && std::from_chars(word.data(), end, value).ptr == end;
    return *this;
  }
  Words& operator>>(std::string& value) {
    ok_ = ok_ && Word(&value);
    return *this;
  }
  explicit operator bool() const { return ok_; }
  bool operator!() const { return !ok_; }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

struct Scale {
  int dpi;
  int operator()(int units) const { return static_cast<int>(static_cast<long long>(units) * dpi / 600); }
};

// A 24-bit BMP file mapped into memory, its pixels handed to the engine where
// they lie: a photograph is tens of megabytes, and copying it first would cost
// as much as printing it.
class MappedPicture {
 public:
  explicit MappedPicture(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    struct stat info {};
    if (fstat(fd, &info) == 0 && info.st_size >= 54) {
      size_ = static_cast<size_t>(info.st_size);
      void* data = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
      data_ = data == MAP_FAILED ? nullptr : static_cast<const BYTE*>(data);
    }
    close(fd);
  }
  ~MappedPicture() {
    if (data_) munmap(const_cast<BYTE*>(data_), size_);
  }
  MappedPicture(const MappedPicture&) = delete;
  MappedPicture& operator=(const MappedPicture&) = delete;

  // The header and pixels of an uncompressed bottom-up 24-bit picture whose
  // rows all lie in the file; false for anything else.
  bool Get(BITMAPINFOHEADER* header, const BYTE** pixels) const {
    if (!data_ || data_[0] != 'B' || data_[1] != 'M') return false;
    uint32_t offset = 0;
    std::memcpy(&offset, data_ + 10, sizeof offset);
    std::memcpy(header, data_ + 14, sizeof *header);
    if (header->biSize < sizeof *header || header->biBitCount != 24 || header->biCompression != BI_RGB ||
        header->biWidth <= 0 || header->biHeight <= 0 || header->biPlanes != 1)
      return false;
    const uint64_t stride = (static_cast<uint64_t>(header->biWidth) * 3 + 3) & ~uint64_t{3};
    if (offset > size_ || stride * static_cast<uint64_t>(header->biHeight) > size_ - offset) return false;
    header->biSize = sizeof *header;
    *pixels = data_ + offset;
    return true;
  }

 private:
  const BYTE* data_ = nullptr;
  size_t size_ = 0;
};

bool DrawPicture(HDC dc, const Scale& s, int left, int top, int right, int bottom, const std::string& path) {
  const MappedPicture picture(path);
  BITMAPINFO info{};
  const BYTE* pixels = nullptr;
  if (!picture.Get(&info.bmiHeader, &pixels)) {
    std::fprintf(stderr, "printhost: %s is not an uncompressed 24-bit BMP picture\n", path.c_str());
    return false;
  }
  return StretchDIBits(dc, s(left), s(top), s(right) - s(left), s(bottom) - s(top), 0, 0, info.bmiHeader.biWidth,
                       info.bmiHeader.biHeight, pixels, &info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

// One shape line other than "page" and "image".
bool DrawShape(HDC dc, const Scale& s, std::string_view kind, Words& in) {
  int width = 0, r = 0, g = 0, b = 0;
  if ((kind == "line" || kind == "curve") && !(in >> width)) return false;
  if (!(in >> r >> g >> b)) return false;
  const COLORREF colour = RGB(r, g, b);
  POINT fixed[4];
  std::vector<POINT> many;
  int count = kind == "line" ? 2 : kind == "curve" ? 4 : kind == "rect" ? 2 : 0;
  if (kind == "poly" && !(in >> count)) return false;
  if (count < 2 || count > 10000) return false;
  if (count > 4) many.resize(static_cast<size_t>(count));
  POINT* points = count > 4 ? many.data() : fixed;
  for (int i = 0; i < count; ++i) {
    int x = 0, y = 0;
    if (!(in >> x >> y)) return false;
    points[i] = POINT{s(x), s(y)};
  }
  if (kind == "line" || kind == "curve") {
    HPEN pen = CreatePen(PS_SOLID, std::max(1, s(width)), colour);
    HGDIOBJ old = SelectObject(dc, pen);
    bool ok = true;
    if (kind == "line") {
      ok = MoveToEx(dc, points[0].x, points[0].y, nullptr) && LineTo(dc, points[1].x, points[1].y);
    } else {
      ok = PolyBezier(dc, points, 4) != 0;
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    return ok;
  }
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  bool ok = true;
  if (kind == "rect") {
    // A null pen leaves the right and bottom edges out; one more takes them in.
    ok = Rectangle(dc, points[0].x, points[0].y, points[1].x + 1, points[1].y + 1) != 0;
  } else {
    ok = Polygon(dc, points, count) != 0;
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  return ok;
}

}  // namespace

bool PrintDrawingList(HDC dc, const std::string& listPath) {
  std::ifstream list(listPath);
  if (!list) {
    std::fprintf(stderr, "printhost: cannot read %s\n", listPath.c_str());
    return false;
  }
  const Scale s{GetDeviceCaps(dc, LOGPIXELSY)};
  bool pageOpen = false;
  std::string line;
  int number = 0;
  while (std::getline(list, line)) {
    ++number;
    Words in(line);
    std::string_view kind;
    if (!in.Word(&kind)) continue;
    if (kind == "page") {
      if (pageOpen && EndPage(dc) <= 0) return false;
      if (StartPage(dc) <= 0) return false;
      pageOpen = true;
      continue;
    }
    bool ok = false;
    if (pageOpen && kind == "image") {
      int left = 0, top = 0, right = 0, bottom = 0;
      std::string path;
      if (!(in >> left >> top >> right >> bottom >> path)) {
        std::fprintf(stderr, "printhost: %s line %d: image LEFT TOP RIGHT BOTTOM FILE\n", listPath.c_str(), number);
        return false;
      }
      ok = DrawPicture(dc, s, left, top, right, bottom, path);
    } else if (pageOpen && (kind == "line" || kind == "rect" || kind == "poly" || kind == "curve")) {
      ok = DrawShape(dc, s, kind, in);
    }
    if (!ok) {
      std::fprintf(stderr, "printhost: %s line %d cannot be drawn: %s\n", listPath.c_str(), number, line.c_str());
      return false;
    }
  }
  return !pageOpen || EndPage(dc) > 0;
}

}  // namespace printhost
