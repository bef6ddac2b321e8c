#include "tools/modelres/pictures.h"

namespace modelres {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBody{214, 214, 206};
constexpr Rgb kEdge{96, 96, 96};
constexpr Rgb kPanel{40, 72, 120};
constexpr Rgb kPaper{250, 250, 250};
constexpr Rgb kBrand{180, 30, 40};

class Canvas {
 public:
  Canvas(int width, int height, Rgb fill) : width_(width), height_(height), pixels_(width * height, fill) {}

  void Fill(int x, int y, int w, int h, Rgb colour) {
    for (int row = y; row < y + h; ++row)
      for (int col = x; col < x + w; ++col)
        if (row >= 0 && row < height_ && col >= 0 && col < width_) pixels_[row * width_ + col] = colour;
  }
  void Box(int x, int y, int w, int h, Rgb fill, Rgb edge) {
    Fill(x, y, w, h, edge);
    Fill(x + 1, y + 1, w - 2, h - 2, fill);
  }

  // Bottom-up rows padded to four bytes, as a .bmp file keeps them.
  std::vector<uint8_t> Bmp() const {
    const int stride = (width_ * 3 + 3) & ~3;
    const uint32_t imageBytes = static_cast<uint32_t>(stride * height_);
    std::vector<uint8_t> out;
    auto put16 = [&](uint32_t v) { out.push_back(v & 0xFF), out.push_back((v >> 8) & 0xFF); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    out.push_back('B'), out.push_back('M');
    put32(14 + 40 + imageBytes), put32(0), put32(14 + 40);
    put32(40), put32(static_cast<uint32_t>(width_)), put32(static_cast<uint32_t>(height_));
    put16(1), put16(24), put32(0), put32(imageBytes), put32(2835), put32(2835), put32(0), put32(0);
    for (int row = height_ - 1; row >= 0; --row) {
      for (int col = 0; col < width_; ++col) {
        const Rgb& p = pixels_[row * width_ + col];
        out.push_back(p.b), out.push_back(p.g), out.push_back(p.r);
      }
      for (int pad = width_ * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
  }

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

void Printer(Canvas& c, bool finisher) {
  c.Box(14, 30, 68, 46, kBody, kEdge);  // body
  c.Box(20, 22, 56, 10, kBody, kEdge);  // scanner lid
  c.Fill(26, 34, 44, 3, kEdge);         // output slot
  c.Box(28, 26, 40, 8, kPaper, kEdge);  // paper in the output tray
  c.Fill(62, 40, 14, 6, kPanel);        // control panel
  c.Box(18, 58, 60, 6, kBody, kEdge);   // trays
  c.Box(18, 66, 60, 6, kBody, kEdge);
  if (finisher) {
    c.Box(82, 36, 12, 40, kBody, kEdge);
    c.Box(84, 40, 10, 4, kPaper, kEdge);
  }
}

// Three bars and a slanted stroke: the maker's mark.
void Logo(Canvas& c) {
  c.Fill(4, 6, 6, 20, kBrand);
  c.Fill(22, 6, 6, 20, kBrand);
  for (int i = 0; i < 18; ++i) c.Fill(10 + i, 6 + i, 3, 3, kBrand);
  c.Fill(34, 14, 80, 4, kEdge);
}

}  // namespace

std::vector<uint8_t> DrawPicture(Picture picture) {
  if (picture == Picture::kLogo) {
    Canvas canvas(120, 32, kWhite);
    Logo(canvas);
    return canvas.Bmp();
  }
  Canvas canvas(96, 96, kWhite);
  Printer(canvas, picture == Picture::kFinisher);
  return canvas.Bmp();
}

}  // namespace modelres
