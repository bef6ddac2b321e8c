// The inputs of the whole-job benchmark that are not plain text: the same
// pages as a drawing list for the print host and as PostScript for Ghostscript.
//
//   whole_job_inputs vectors PAGES ELEMENTS LIST.txt PAGES.ps
//   whole_job_inputs photo WIDTH HEIGHT LIST.txt PICTURE.bmp PAGE.ps
//
// Drawing-list units are 1/600 inch from the page's top left. Vector pages mix
// lines of several widths, filled rectangles, filled triangles and curves in
// many colours, placed by a fixed pseudo-random sequence. The photograph is a
// 24-bit picture of smooth gradients under fine noise, like a scanned photo: it
// compresses about as badly as one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kLeft = 300, kTop = 300;        // half an inch in
constexpr int kWidth = 4200, kHeight = 6000;  // 7 x 10 inches: on A4 and letter alike
constexpr double kPoints = 72.0 / 600.0;
constexpr double kPageHeightPoints = 842.0;  // A4

struct Random {
  uint32_t state = 12345;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

double X(int x) { return x * kPoints; }
double Y(int y) { return kPageHeightPoints - y * kPoints; }

int Vectors(int pages, int elements, const char* listPath, const char* psPath) {
  FILE* list = std::fopen(listPath, "w");
  FILE* ps = std::fopen(psPath, "w");
  if (!list || !ps) return 1;
  std::fprintf(ps,
               "%%!PS-Adobe-3.0\n"
               "/L { setrgbcolor setlinewidth newpath moveto lineto stroke } bind def\n"
               "/T { setrgbcolor newpath moveto lineto lineto closepath fill } bind def\n"
               "/C { setrgbcolor setlinewidth newpath moveto curveto stroke } bind def\n"
               "1 setlinecap 1 setlinejoin\n");
  Random r;
  for (int page = 0; page < pages; ++page) {
    std::fprintf(list, "page\n");
    for (int e = 0; e < elements; ++e) {
      const int kind = r.Below(10);
      const int red = r.Below(256), green = r.Below(256), blue = r.Below(256);
      const double R = red / 255.0, G = green / 255.0, B = blue / 255.0;
      auto px = [&] { return kLeft + r.Below(kWidth); };
      auto py = [&] { return kTop + r.Below(kHeight); };
      if (kind < 4) {
        const int width = 1 + r.Below(12);
        const int x1 = px(), y1 = py(), x2 = px(), y2 = py();
        std::fprintf(list, "line %d %d %d %d %d %d %d %d\n", width, red, green, blue, x1, y1, x2, y2);
        std::fprintf(ps, "%.2f %.2f %.2f %.2f %.2f %.3f %.3f %.3f L\n", X(x2), Y(y2), X(x1), Y(y1), width * kPoints, R,
                     G, B);
      } else if (kind < 7) {
        const int l = px(), t = py();
        const int rt = l + 10 + r.Below(400), b = t + 10 + r.Below(400);
        std::fprintf(list, "rect %d %d %d %d %d %d %d\n", red, green, blue, l, t, rt, b);
        std::fprintf(ps, "%.3f %.3f %.3f setrgbcolor %.2f %.2f %.2f %.2f rectfill\n", R, G, B, X(l), Y(b), X(rt) - X(l),
                     Y(t) - Y(b));
      } else if (kind < 9) {
        const int x1 = px(), y1 = py();
        const int x2 = x1 + r.Below(600) - 300, y2 = y1 + r.Below(600) - 300;
        const int x3 = x1 + r.Below(600) - 300, y3 = y1 + r.Below(600) - 300;
        std::fprintf(list, "poly %d %d %d 3 %d %d %d %d %d %d\n", red, green, blue, x1, y1, x2, y2, x3, y3);
        std::fprintf(ps, "%.2f %.2f %.2f %.2f %.2f %.2f %.3f %.3f %.3f T\n", X(x3), Y(y3), X(x2), Y(y2), X(x1), Y(y1),
                     R, G, B);
      } else {
        const int width = 1 + r.Below(8);
        int p[8];
        for (int i = 0; i < 8; i += 2) p[i] = px(), p[i + 1] = py();
        std::fprintf(list, "curve %d %d %d %d %d %d %d %d %d %d %d %d\n", width, red, green, blue, p[0], p[1], p[2],
                     p[3], p[4], p[5], p[6], p[7]);
        std::fprintf(ps, "%.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.3f %.3f %.3f C\n", X(p[2]), Y(p[3]), X(p[4]),
                     Y(p[5]), X(p[6]), Y(p[7]), X(p[0]), Y(p[1]), width * kPoints, R, G, B);
      }
    }
    std::fprintf(ps, "showpage\n");
  }
  const bool ok = std::fclose(list) == 0;
  return std::fclose(ps) == 0 && ok ? 0 : 1;
}

void PutLe(std::vector<unsigned char>* out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out->push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// The file header and the information header of a bottom-up 24-bit BMP.
std::vector<unsigned char> BmpHeader(int width, int height) {
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t pixels = stride * static_cast<uint32_t>(height);
  std::vector<unsigned char> h = {'B', 'M'};
  PutLe(&h, 54 + pixels, 4);
  PutLe(&h, 0, 4);
  PutLe(&h, 54, 4);
  PutLe(&h, 40, 4);
  PutLe(&h, static_cast<uint32_t>(width), 4);
  PutLe(&h, static_cast<uint32_t>(height), 4);
  PutLe(&h, 1, 2);
  PutLe(&h, 24, 2);
  PutLe(&h, 0, 4);  // BI_RGB
  PutLe(&h, pixels, 4);
  PutLe(&h, 23622, 4);  // 600 pixels per inch
  PutLe(&h, 23622, 4);
  PutLe(&h, 0, 4);
  PutLe(&h, 0, 4);
  return h;
}

// The rows go bottom-up into both files: as the BMP keeps them (BGR, padded to
// 4 bytes) and as the PostScript image reads them with an upward matrix (RGB).
int Photo(int width, int height, const char* listPath, const char* bmpPath, const char* psPath) {
  FILE* list = std::fopen(listPath, "w");
  FILE* bmp = std::fopen(bmpPath, "wb");
  FILE* ps = std::fopen(psPath, "wb");
  if (!list || !bmp || !ps || width <= 0 || height <= 0) return 1;
  // The picture fills the page's 7 x 10 inch box, its aspect kept.
  int boxWidth = kWidth, boxHeight = static_cast<int>(static_cast<long long>(kWidth) * height / width);
  if (boxHeight > kHeight)
    boxHeight = kHeight, boxWidth = static_cast<int>(static_cast<long long>(kHeight) * width / height);
  std::fprintf(list, "page\nimage %d %d %d %d %s\n", kLeft, kTop, kLeft + boxWidth, kTop + boxHeight, bmpPath);
  const std::vector<unsigned char> header = BmpHeader(width, height);
  if (std::fwrite(header.data(), 1, header.size(), bmp) != header.size()) return 1;
  std::fprintf(ps,
               "%%!PS-Adobe-3.0\ngsave %.3f %.3f translate %.3f %.3f scale\n"
               "%d %d 8 [%d 0 0 %d 0 0] currentfile false 3 colorimage\n",
               X(kLeft), Y(kTop + boxHeight), boxWidth * kPoints, boxHeight * kPoints, width, height, width, height);
  Random r;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<unsigned char> row((rowBytes + 3) & ~size_t{3}, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const int noise = r.Below(25) - 12;
      const int base[3] = {x * 255 / width, y * 255 / height, ((x + y) / 7) % 256};
      for (int c = 0; c < 3; ++c) {
        const int v = base[c] + noise;
        row[static_cast<size_t>(x) * 3 + c] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
    if (std::fwrite(row.data(), 1, rowBytes, ps) != rowBytes) return 1;
    for (size_t x = 0; x < rowBytes; x += 3) std::swap(row[x], row[x + 2]);
    if (std::fwrite(row.data(), 1, row.size(), bmp) != row.size()) return 1;
  }
  std::fprintf(ps, "\ngrestore showpage\n");
  const bool ok = std::fclose(list) == 0 && std::fclose(bmp) == 0;
  return std::fclose(ps) == 0 && ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "vectors") == 0)
    return Vectors(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5]);
  if (argc == 7 && std::strcmp(argv[1], "photo") == 0)
    return Photo(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5], argv[6]);
  std::fprintf(stderr,
               "usage: whole_job_inputs vectors PAGES ELEMENTS LIST.txt PAGES.ps\n"
               "       whole_job_inputs photo WIDTH HEIGHT LIST.txt PICTURE.bmp PAGE.ps\n");
  return 2;
}
