// Throughput of the job-stream encoders on 64 MiB of raster rows, each beside a
// memcpy of the same rows into a buffer of the same kind, measured in the same
// run. The counter "x_memcpy" is the encoder's bytes per second divided by the
// memcpy's on the same workload.
//
// Workloads: a scanned text page at 600 dpi (1 bit per pixel, 5,100 pixels =
// 638 bytes per row), a photograph at 600 dpi as PostScript images carry it
// (8-bit grey, 5,100 bytes per row) and as PCL raster rows carry it (1 bit,
// ordered dither), and two worst cases: random bytes and alternating bytes
// (638-byte rows).
//
// The encoders are driven as the driver drives them: ASCIIHex and ASCII85 in the
// output writer's pieces (1,014 and 1,596 bytes) through its 2,048-byte encoder
// buffer; run length, PackBits and delta row one row at a time into a row buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "graphics/encode/encoders.h"

namespace {

constexpr size_t kWorkloadBytes = size_t{64} << 20;
constexpr size_t kMonoRowBytes = 638;   // 5,100 pixels at 1 bit
constexpr size_t kGreyRowBytes = 5100;  // 5,100 pixels at 8 bits
constexpr size_t kPageRows = 6600;      // 11 inches at 600 dpi

struct Workload {
  std::string name;
  size_t rowBytes;
  std::vector<BYTE> data;  // whole rows, about kWorkloadBytes
};

size_t WholeRows(size_t rowBytes) { return kWorkloadBytes / rowBytes * rowBytes; }

// A 1-bit text page: white margins, text lines of 100 rows (12 pt at 600 dpi)
// whose glyphs are built from stems and bars, so that consecutive rows of a
// glyph look alike, as on a scan. 0 is white.
std::vector<BYTE> TextPages() {
  std::mt19937 rng(1);
  constexpr int kGlyphWidth = 40, kGlyphHeight = 64, kGlyphCount = 60;
  // Glyph shapes: a bitmap per glyph, one bit per pixel.
  std::vector<std::vector<bool>> glyphs(kGlyphCount, std::vector<bool>(kGlyphWidth * kGlyphHeight));
  for (auto& g : glyphs) {
    const int strokes = 2 + static_cast<int>(rng() % 3);
    for (int s = 0; s < strokes; ++s) {
      if (rng() % 2) {  // a vertical stem 6-9 px wide
        const int x = static_cast<int>(rng() % (kGlyphWidth - 10));
        const int w = 6 + static_cast<int>(rng() % 4);
        const int top = static_cast<int>(rng() % 20), bottom = kGlyphHeight - static_cast<int>(rng() % 10);
        for (int y = top; y < bottom; ++y)
          for (int dx = 0; dx < w; ++dx) g[y * kGlyphWidth + x + dx] = true;
      } else {  // a horizontal bar 5-7 rows high
        const int y = static_cast<int>(rng() % (kGlyphHeight - 8));
        const int h = 5 + static_cast<int>(rng() % 3);
        const int left = static_cast<int>(rng() % 10), right = kGlyphWidth - static_cast<int>(rng() % 10);
        for (int dy = 0; dy < h; ++dy)
          for (int x = left; x < right; ++x) g[(y + dy) * kGlyphWidth + x] = true;
      }
    }
  }

  const size_t rows = WholeRows(kMonoRowBytes) / kMonoRowBytes;
  std::vector<BYTE> data(rows * kMonoRowBytes, 0);
  constexpr int kWidthPx = 5100, kMargin = 300, kLinePitch = 100;
  for (size_t pageTop = 0; pageTop < rows; pageTop += kPageRows) {
    for (size_t lineTop = pageTop + kMargin; lineTop + kLinePitch < std::min(rows, pageTop + kPageRows - kMargin);
         lineTop += kLinePitch) {
      if (rng() % 10 == 0) continue;  // paragraph break
      int x = kMargin;
      const int lineEnd = kWidthPx - kMargin - static_cast<int>(rng() % 1500);
      while (x + kGlyphWidth < lineEnd) {
        const int wordLength = 2 + static_cast<int>(rng() % 8);
        for (int c = 0; c < wordLength && x + kGlyphWidth < lineEnd; ++c) {
          const auto& g = glyphs[rng() % kGlyphCount];
          for (int y = 0; y < kGlyphHeight; ++y) {
            BYTE* row = &data[(lineTop + static_cast<size_t>(y)) * kMonoRowBytes];
            for (int gx = 0; gx < kGlyphWidth; ++gx) {
              if (g[y * kGlyphWidth + gx]) row[(x + gx) / 8] |= static_cast<BYTE>(0x80 >> ((x + gx) % 8));
            }
          }
          x += kGlyphWidth + 4;
        }
        x += 30;  // word space
      }
    }
  }
  // A little scanner noise: isolated specks.
  for (size_t i = 0; i < data.size() / 4000; ++i) data[rng() % data.size()] |= static_cast<BYTE>(1u << (rng() % 8));
  return data;
}

// An 8-bit grey photograph: smooth shading with sensor noise.
float PhotoShade(size_t x, size_t y) {
  const float across = 60.0f * std::sin(static_cast<float>(x) / 700.0f);
  const float down = 128.0f + 50.0f * std::cos(static_cast<float>(y % kPageRows) / 900.0f);
  return down + across * (0.5f + 0.5f * std::sin(static_cast<float>(y) / 1300.0f));
}

std::vector<BYTE> Photograph() {
  std::mt19937 rng(2);
  std::normal_distribution<float> noise(0.0f, 3.0f);
  const size_t rows = WholeRows(kGreyRowBytes) / kGreyRowBytes;
  std::vector<BYTE> data(rows * kGreyRowBytes);
  for (size_t y = 0; y < rows; ++y) {
    for (size_t x = 0; x < kGreyRowBytes; ++x) {
      data[y * kGreyRowBytes + x] = static_cast<BYTE>(std::clamp(PhotoShade(x, y) + noise(rng), 0.0f, 255.0f));
    }
  }
  return data;
}

// The same photograph as the 1-bit rows a PCL page carries: halftoned with an
// 8 x 8 ordered dither (1 is black).
std::vector<BYTE> DitheredPhotograph() {
  static const int kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                   {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                   {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                   {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
  std::mt19937 rng(4);
  std::normal_distribution<float> noise(0.0f, 3.0f);
  const size_t rows = WholeRows(kMonoRowBytes) / kMonoRowBytes;
  std::vector<BYTE> data(rows * kMonoRowBytes, 0);
  for (size_t y = 0; y < rows; ++y) {
    BYTE* row = &data[y * kMonoRowBytes];
    for (size_t x = 0; x < kGreyRowBytes; ++x) {
      const float grey = PhotoShade(x, y) + noise(rng);
      if (grey < static_cast<float>(kBayer[y % 8][x % 8] * 4 + 2)) row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
  }
  return data;
}

std::vector<BYTE> RandomRows() {
  std::mt19937_64 rng(3);
  std::vector<BYTE> data(WholeRows(kMonoRowBytes));
  for (size_t i = 0; i + 8 <= data.size(); i += 8) {
    const uint64_t v = rng();
    std::memcpy(&data[i], &v, 8);
  }
  return data;
}

std::vector<BYTE> AlternatingRows() {
  std::vector<BYTE> data(WholeRows(kMonoRowBytes));
  for (size_t i = 0; i < data.size(); ++i) data[i] = (i & 1) ? 0xAA : 0x55;
  return data;
}

Workload& GetWorkload(const std::string& name) {
  static std::map<std::string, std::unique_ptr<Workload>> cache;
  auto& slot = cache[name];
  if (!slot) {
    slot = std::make_unique<Workload>();
    slot->name = name;
    if (name == "text_page_600dpi_1bpp") {
      slot->rowBytes = kMonoRowBytes;
      slot->data = TextPages();
    } else if (name == "photo_600dpi_8bit") {
      slot->rowBytes = kGreyRowBytes;
      slot->data = Photograph();
    } else if (name == "photo_600dpi_1bpp_dithered") {
      slot->rowBytes = kMonoRowBytes;
      slot->data = DitheredPhotograph();
    } else if (name == "worst_random") {
      slot->rowBytes = kMonoRowBytes;
      slot->data = RandomRows();
    } else {
      slot->rowBytes = kMonoRowBytes;
      slot->data = AlternatingRows();
    }
  }
  return *slot;
}

using Pass = size_t (*)(const Workload& w);  // one pass over the workload; returns output bytes

// memcpy of each row into a row buffer: the encoders' read pattern.
size_t MemcpyRows(const Workload& w) {
  static std::vector<BYTE> out;
  out.resize(w.rowBytes);
  for (size_t at = 0; at < w.data.size(); at += w.rowBytes) {
    std::memcpy(out.data(), w.data.data() + at, w.rowBytes);
    benchmark::DoNotOptimize(out.data());
  }
  benchmark::ClobberMemory();
  return w.data.size();
}

// memcpy of the whole buffer into another one of the same size, for reference.
size_t MemcpyWhole(const Workload& w) {
  static std::vector<BYTE> out;
  out.resize(w.data.size());
  std::memcpy(out.data(), w.data.data(), w.data.size());
  benchmark::DoNotOptimize(out.data());
  benchmark::ClobberMemory();
  return w.data.size();
}

size_t AsciiHexPieces(const Workload& w) {
  BYTE buffer[2048];
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += 1014) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(1014, w.data.size() - at));
    total += EncodeAsciiHex(w.data.data() + at, piece, buffer, sizeof buffer);
    benchmark::DoNotOptimize(buffer);
  }
  return total;
}

size_t Ascii85Pieces(const Workload& w) {
  BYTE buffer[2048];
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += 1596) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(1596, w.data.size() - at));
    total += EncodeAscii85(w.data.data() + at, piece, buffer, sizeof buffer);
    benchmark::DoNotOptimize(buffer);
  }
  return total;
}

size_t RunLengthRows(const Workload& w) {
  static std::vector<BYTE> out;
  out.resize(2 * w.rowBytes);
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += w.rowBytes) {
    total += EncodeRunLength(w.data.data() + at, static_cast<DWORD>(w.rowBytes), out.data(),
                             static_cast<DWORD>(out.size()), FALSE);
    benchmark::DoNotOptimize(out.data());
  }
  return total;
}

size_t PackBitsRows(const Workload& w) {
  static std::vector<BYTE> out;
  out.resize(PackBitsBound(static_cast<DWORD>(w.rowBytes)));
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += w.rowBytes) {
    total += CompressPackBits(static_cast<DWORD>(w.rowBytes), w.data.data() + at, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  return total;
}

size_t DeltaRowRows(const Workload& w) {
  static std::vector<BYTE> out, seed;
  out.resize(DeltaRowBound(static_cast<DWORD>(w.rowBytes)));
  seed.assign(w.rowBytes, 0);
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += w.rowBytes) {
    total += CompressDeltaRow(static_cast<DWORD>(w.rowBytes), w.data.data() + at, seed.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
  return total;
}

// The PCL row path: choose a method against the seed, compress with it, and
// keep the row as the next seed.
size_t PclRasterRows(const Workload& w) {
  static std::vector<BYTE> out, seed;
  out.resize(PackBitsBound(static_cast<DWORD>(w.rowBytes)));
  seed.assign(w.rowBytes, 0);
  const DWORD n = static_cast<DWORD>(w.rowBytes);
  size_t total = 0;
  for (size_t at = 0; at < w.data.size(); at += w.rowBytes) {
    const BYTE* row = w.data.data() + at;
    switch (ChooseRasterCompression(row, n, seed.data(), n)) {
      case 2:
        total += CompressPackBits(n, row, out.data());
        std::memcpy(seed.data(), row, n);
        break;
      case 3: total += CompressDeltaRow(n, row, seed.data(), out.data()); break;
      default:
        total += n;
        std::memcpy(seed.data(), row, n);
        break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  return total;
}

void RunPass(benchmark::State& state, const std::string& workload, Pass pass) {
  const Workload& w = GetWorkload(workload);
  size_t output = pass(w);  // untimed: touches the output buffers once
  for (auto _ : state) output = pass(w);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(w.data.size()));
  state.counters["out_per_in"] = static_cast<double>(output) / static_cast<double>(w.data.size());
}

// Adds "x_memcpy" to each result: its rate over the rate of memcpy_rows on the
// same workload, which runs first. Every pass covers the same bytes, so the
// rates compare as the inverse CPU times per pass (CPU time, so that other load
// on the machine weighs less).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> withRatio = runs;
    for (Run& r : withRatio) {
      const std::string name = r.benchmark_name();
      const std::string workload = name.substr(0, name.find('/'));
      const double perPass = r.GetAdjustedCPUTime();
      if (name.find("/memcpy_rows") != std::string::npos) baseline_[workload] = perPass;
      const auto it = baseline_.find(workload);
      if (it != baseline_.end() && perPass > 0) r.counters["x_memcpy"] = it->second / perPass;
    }
    ConsoleReporter::ReportRuns(withRatio);
  }

 private:
  std::map<std::string, double> baseline_;
};

void RegisterAll() {
  struct Encoder {
    const char* name;
    Pass pass;
  };
  const Encoder encoders[] = {
      {"memcpy_rows", MemcpyRows},   {"memcpy_whole", MemcpyWhole},
      {"ascii_hex", AsciiHexPieces}, {"ascii85", Ascii85Pieces},
      {"run_length", RunLengthRows}, {"packbits", PackBitsRows},
      {"delta_row", DeltaRowRows},   {"pcl_choose_and_compress", PclRasterRows},
  };
  for (const char* workload : {"text_page_600dpi_1bpp", "photo_600dpi_8bit", "photo_600dpi_1bpp_dithered",
                               "worst_random", "worst_alternating"}) {
    for (const Encoder& e : encoders) {
      const std::string workloadName = workload;
      const Pass pass = e.pass;
      benchmark::RegisterBenchmark(
          (workloadName + "/" + e.name).c_str(),
          [workloadName, pass](benchmark::State& state) { RunPass(state, workloadName, pass); })
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.3);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
