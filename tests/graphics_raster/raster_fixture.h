// Ground for the raster writer's tests: source bitmaps as the engine hands
// them (a surface over rows the test fills, with an optional colour table),
// bare device contexts on a Letter page, and the PCL raster rows of a stream
// decoded by the structural reader.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/util/graphics_heap.h"
#include "tests/graphics/vector_fixture.h"
#include "tests/support/pcl_reader.h"

namespace rastertest {

using graphicstest::PdevPtr;

constexpr ULONG kBlack = 0x000000;
constexpr ULONG kWhite = 0xFFFFFF;

// A bitmap of `bits` per pixel (1, 4, 8, 16, 24, 32), rows top-down, stride
// rounded to 4 bytes as the engine's; `colors` become its translation table.
class TestImage {
 public:
  TestImage(LONG width, LONG height, DWORD bits, std::vector<ULONG> colors = {})
      : width_(width), height_(height), bits_(bits), colors_(std::move(colors)) {
    stride_ = ((width * static_cast<LONG>(bits) + 31) / 32) * 4;
    data_.assign(static_cast<size_t>(stride_) * static_cast<size_t>(height), 0);
    surface_.iBitmapFormat = Format(bits);
    surface_.sizlBitmap = SIZEL{width, height};
    surface_.lDelta = stride_;
    surface_.pvScan0 = data_.data();
    surface_.iType = STYPE_BITMAP;
    xlate_.flXlate = XO_TABLE;
    xlate_.cEntries = static_cast<ULONG>(colors_.size());
    xlate_.pulXlate = colors_.data();
  }

  BYTE* Row(LONG y) { return data_.data() + static_cast<size_t>(y) * static_cast<size_t>(stride_); }
  // Sets pixel (x, y) to `value`: an index up to 8 bits, else a 0x00RRGGBB
  // colour stored as the depth stores it (blue first).
  void Set(LONG x, LONG y, ULONG value) {
    BYTE* row = Row(y);
    switch (bits_) {
      case 1:
        if (value)
          row[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
        else
          row[x / 8] &= static_cast<BYTE>(~(0x80 >> (x % 8)));
        break;
      case 4:
        row[x / 2] = static_cast<BYTE>(x % 2 ? (row[x / 2] & 0xF0) | value : (row[x / 2] & 0x0F) | (value << 4));
        break;
      case 8: row[x] = static_cast<BYTE>(value); break;
      case 16: {
        const WORD pixel = static_cast<WORD>((((value >> 16) & 0xFF) >> 3) << 10 | (((value >> 8) & 0xFF) >> 3) << 5 |
                                             ((value & 0xFF) >> 3));
        row[2 * x] = static_cast<BYTE>(pixel & 0xFF);
        row[2 * x + 1] = static_cast<BYTE>(pixel >> 8);
        break;
      }
      default: {
        BYTE* p = row + x * static_cast<LONG>(bits_ / 8);
        p[0] = static_cast<BYTE>(value & 0xFF);
        p[1] = static_cast<BYTE>((value >> 8) & 0xFF);
        p[2] = static_cast<BYTE>((value >> 16) & 0xFF);
        break;
      }
    }
  }
  void Fill(ULONG value) {
    for (LONG y = 0; y < height_; ++y)
      for (LONG x = 0; x < width_; ++x) Set(x, y, value);
  }
  void FillRect(LONG x0, LONG y0, LONG x1, LONG y1, ULONG value) {
    for (LONG y = y0; y < y1; ++y)
      for (LONG x = x0; x < x1; ++x) Set(x, y, value);
  }

  SURFOBJ* surface() { return &surface_; }
  XLATEOBJ* xlate() { return colors_.empty() ? nullptr : &xlate_; }
  LONG width() const { return width_; }
  LONG height() const { return height_; }

 private:
  static ULONG Format(DWORD bits) {
    switch (bits) {
      case 1: return BMF_1BPP;
      case 4: return BMF_4BPP;
      case 8: return BMF_8BPP;
      case 16: return BMF_16BPP;
      case 24: return BMF_24BPP;
      default: return BMF_32BPP;
    }
  }
  LONG width_, height_;
  DWORD bits_;
  LONG stride_ = 0;
  std::vector<ULONG> colors_;
  std::vector<BYTE> data_;
  SURFOBJ surface_{};
  XLATEOBJ xlate_{};
};

// A grey ramp palette of 256 entries (index = grey).
inline std::vector<ULONG> GreyPalette() {
  std::vector<ULONG> colors(256);
  for (ULONG i = 0; i < 256; ++i) colors[i] = i | (i << 8) | (i << 16);
  return colors;
}

// A bare device context on a Letter page (8.5 x 11 in) at `dpi`.
inline PdevPtr PagePdev(WORD pdl, WORD dpi = 600, WORD compression = 5, DWORD advanced = 0) {
  PdevPtr pdev = graphicstest::BarePdev(pdl, dpi);
  if (!pdev) return pdev;
  pdev->paperWidth = 8500;
  pdev->paperHeight = 11000;
  pdev->devmode.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
  pdev->devmode.dmPrivate._nCompression = compression;
  pdev->devmode.dmPrivate._dwAdvSettings = advanced;
  return pdev;
}

// What the writer call puts into the PDEV's buffer.
template <typename Call>
std::string Output(PDEV* pdev, Call call) {
  std::string bytes;
  bytes = graphicstest::Captured(pdev, [&] { call(); });
  return bytes;
}

// The printed rows of every raster block of a PCL stream, each row as bits
// (one bool a pixel) of `width` pixels; the reader's problems fail the test.
struct DecodedRaster {
  std::vector<testsupport::RasterBlock> blocks;
  std::vector<std::vector<std::vector<bool>>> bits;  // [block][row][column]
};

inline DecodedRaster DecodeRaster(const std::string& stream) {
  DecodedRaster out;
  const testsupport::PclReport report = testsupport::ReadPclJob(stream);
  EXPECT_TRUE(report.ok()) << report.Summary();
  for (const auto& block : report.raster) {
    std::vector<std::vector<bool>> rows;
    const long width = block.sourceWidth.value_or(0);
    for (const auto& row : block.rows) {
      EXPECT_TRUE(row.decoded) << "row at " << row.offset;
      std::vector<bool> bits(static_cast<size_t>(width), false);
      for (long x = 0; x < width; ++x) {
        const size_t byte = static_cast<size_t>(x / 8);
        if (byte < row.bytes.size())
          bits[static_cast<size_t>(x)] = (static_cast<BYTE>(row.bytes[byte]) >> (7 - x % 8)) & 1;
      }
      rows.push_back(std::move(bits));
    }
    out.blocks.push_back(block);
    out.bits.push_back(std::move(rows));
  }
  return out;
}

}  // namespace rastertest
