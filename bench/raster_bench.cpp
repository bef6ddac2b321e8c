// Throughput of the raster writer on a 600 dpi A4 page (4,960 pixels across),
// written as the driver writes it, strip by strip so that each
// strip's output fits the device context's 64 KB buffer (emptied after each
// strip; nothing is sent). Workloads: a photograph-like 8-bit grey page
// through the PCL grey path (curve, dither, methods 2 and 3) and as a
// PostScript grey image (run length and ASCII85), and a 1-bit text-like page
// through the PCL direct path. Pixels per second are the rate that matters:
// an A4 page is about 35 million pixels.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/raster/raster_ps_gray.h"
#include "graphics/stream/output.h"

namespace {

constexpr LONG kWidth = 4960;
// Rows a strip: 16 of dithered PCL, 4 of PostScript grey (ASCII85 grows them).
constexpr LONG kPclStripRows = 16;
constexpr LONG kPostScriptStripRows = 4;
constexpr LONG kPageRows = 7008;  // whole strips of an A4 page

struct Page {
  std::vector<BYTE> bits;
  LONG stride;
  DWORD depth;
};

// Smooth shading with some noise, as a photograph.
const Page& GreyPage() {
  static const Page page = [] {
    Page p{std::vector<BYTE>(static_cast<size_t>(kWidth) * kPageRows), kWidth, 8};
    std::mt19937 rng(7);
    for (LONG y = 0; y < kPageRows; ++y)
      for (LONG x = 0; x < kWidth; ++x) {
        const double shade = 127.5 + 100 * std::sin(x / 300.0) * std::cos(y / 400.0);
        p.bits[static_cast<size_t>(y) * kWidth + x] =
            static_cast<BYTE>(std::lround(shade) + static_cast<int>(rng() % 9) - 4);
      }
    return p;
  }();
  return page;
}

// Text lines: bars and stems on white, rows repeating within a line.
const Page& TextPage() {
  static const Page page = [] {
    const LONG stride = (kWidth + 31) / 32 * 4;
    Page p{std::vector<BYTE>(static_cast<size_t>(stride) * kPageRows, 0xFF), stride, 1};
    std::mt19937 rng(3);
    for (LONG line = 0; line + 100 <= kPageRows; line += 100)
      for (LONG x = 300; x + 40 < kWidth - 300; x += 48)
        for (LONG y = line + 20; y < line + 84; ++y)
          if ((rng() % 4) != 0 || y % 64 < 48)
            for (LONG dx = 0; dx < 8; ++dx) {
              const LONG c = x + dx + static_cast<LONG>((y / 64) % 3) * 10;
              p.bits[static_cast<size_t>(y) * stride + c / 8] &= static_cast<BYTE>(~(0x80 >> (c % 8)));
            }
    return p;
  }();
  return page;
}

enum class Writer { PclGrey, PostScriptGrey, PclDirect };

void WritePage(benchmark::State& state, Writer writer) {
  PDEV* pdev = AllocPdev();
  AllocOutputBuffer(pdev);
  pdev->devmode.dmPrivate._nPDL = writer == Writer::PostScriptGrey ? kPdlPs3 : kPdlPcl5e;
  pdev->devmode.dmPrivate._nCompression = 5;
  pdev->resolution = 600;
  const Page& page = writer == Writer::PclDirect ? TextPage() : GreyPage();
  const ULONG blackWhite[2] = {0x000000, 0xFFFFFF};
  ImageDescriptor image;
  image.width = kWidth;
  image.height = kPageRows;
  image.bitsPerPixel = page.depth;
  image.stride = page.stride;
  image.scan0 = page.bits.data();
  if (page.depth == 1) {
    image.palette = blackWhite;
    image.paletteCount = 2;
  }
  const LONG strip = writer == Writer::PostScriptGrey ? kPostScriptStripRows : kPclStripRows;
  size_t output = 0;
  for (auto _ : state) {
    for (LONG y = 0; y < kPageRows; y += strip) {
      const ImageRect source{0, y, kWidth, strip}, dest{0, y, kWidth, strip};
      pdev->output.fill = 0;
      BOOL ok = FALSE;
      switch (writer) {
        case Writer::PclGrey: ok = WritePclRaster(pdev, &image, &source, &dest, SRCCOPY, TRUE); break;
        case Writer::PostScriptGrey: ok = WritePsImageGray(pdev, &image, &source, &dest, SRCCOPY); break;
        case Writer::PclDirect: ok = WritePclRaster(pdev, &image, &source, &dest, SRCCOPY, FALSE); break;
      }
      if (!ok) state.SkipWithError("the writer failed");
      output += pdev->output.fill;
    }
  }
  const double pixels = static_cast<double>(kWidth) * kPageRows;
  state.counters["pixels_per_s"] =
      benchmark::Counter(pixels * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["out_bytes_per_page"] = static_cast<double>(output) / static_cast<double>(state.iterations());
  pdev->output.fill = 0;
  FreePdev(pdev);
}

}  // namespace

BENCHMARK_CAPTURE(WritePage, pcl_grey_path, Writer::PclGrey)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WritePage, postscript_grey_image, Writer::PostScriptGrey)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WritePage, pcl_direct_text, Writer::PclDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
