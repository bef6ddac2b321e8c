// Bitmaps as PCL raster graphics, one bit a pixel (1 = ink). 1-bit sources go
// as they are; the grey path turns every source into grey through the
// transfer curve, scales it to the destination and dithers it in bands of 16
// rows. Rows are compressed by method 2 or 3, whichever the row suits.
#include <algorithm>
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/encode/encoders.h"
#include "graphics/output/halftone/halftone.h"
#include "graphics/output/raster/raster_image.h"
#include "graphics/output/raster/raster_pcl.h"
#include "graphics/output/raster/raster_support.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/arith.h"

using namespace rasterout;
using vectorout::Bytes;
using vectorout::Formatted;
using vectorout::Text;

namespace {

constexpr DWORD kBandRows = 16;
constexpr WORD kMethodUnknown = 0xFFFF;

// Sends rows as "ESC*b[#m]#W" with the method each row suits, against the seed
// row the printer keeps (the previous row of the image).
class RowSender {
 public:
  RowSender(PDEV* pdev, size_t rowBytes, bool compress)
      : pdev_(pdev),
        rowBytes_(rowBytes),
        seed_(rowBytes),
        packed_(compress
                    ? std::max(PackBitsBound(static_cast<DWORD>(rowBytes)), DeltaRowBound(static_cast<DWORD>(rowBytes)))
                    : 0) {}
  bool Ready() const { return static_cast<bool>(seed_); }

  // tryPackBits: a row that suits no method is still sent packed when that is
  // shorter.
  bool Send(const BYTE* row, bool tryPackBits) {
    const DWORD count = static_cast<DWORD>(rowBytes_);
    int method = 0;
    const BYTE* data = row;
    DWORD length = count;
    if (packed_) {
      const int choice = ChooseRasterCompression(row, count, seed_.get(), count);
      if (choice == 3) {
        length = CompressDeltaRow(count, row, seed_.get(), packed_.get());
        data = packed_.get();
        method = 3;
      } else {
        if (choice == 2 || tryPackBits) {
          const DWORD packedLength = CompressPackBits(count, row, packed_.get());
          if (choice == 2 || packedLength < count) {
            length = packedLength;
            data = packed_.get();
            method = 2;
          }
        }
        std::memcpy(seed_.get(), row, count);
      }
    }
    WORD& inForce = pdev_->writers.raster.pclMethod;
    Text(pdev_, "\x1b*b");
    if (method != inForce) {
      Formatted(pdev_, "%dm", method);
      inForce = static_cast<WORD>(method);
    }
    Formatted(pdev_, "%dW", length);
    Bytes(pdev_, data, length);
    return !OutputFailed(pdev_);
  }

 private:
  PDEV* pdev_;
  size_t rowBytes_;
  HeapBlock seed_;    // starts as zeros, as the printer's does
  HeapBlock packed_;  // none: compression off
};

// The printer went back to its defaults ("ESC E") since the state was kept.
void FollowRasterResets(PDEV* pdev) {
  RasterWriterState& state = pdev->writers.raster;
  const DWORD resets = pdev->writers.deviceSettings.printerResets;
  if (state.printerResetsSeen != resets) {
    state.printerResetsSeen = resets;
    state.pclMethod = 0;
    state.sourceTransparencySent = 0;
  }
  vectorout::FollowPrinterResets(pdev);
}

void DiscardCarried(RasterWriterState& state) {
  GraphicsHeapFree(state.carried.rows);
  state.carried = CarriedDitherBand{};
}

// An image paints every pixel (opaque source); a brush mask paints the brush
// through its set pixels and leaves the page alone under the others
// (transparent source).
bool WriteFrameStart(PDEV* pdev, DWORD rop3, LONG width, LONG height, LONG x, LONG top, bool mask = false) {
  RasterWriterState& raster = pdev->writers.raster;
  VectorWriterState& vector = pdev->writers.vector;
  if (pdev->job.inHpgl) vectorout::LeaveHpgl(pdev);
  if (mask) {
    Text(pdev, "\x1b*v0N");
    raster.sourceTransparencySent = 0;
  } else if (!raster.sourceTransparencySent) {
    Text(pdev, "\x1b*v1N");
    raster.sourceTransparencySent = 1;
  }
  if (!vector.patternSelectionSent) {
    Text(pdev, "\x1b*v1O");
    vector.patternSelectionSent = 1;
  }
  Formatted(pdev, "\x1b*l%dO", vectorout::Rop3Byte(rop3));
  if (vector.pixelPlacement) {
    Text(pdev, "\x1b*lR");
    vector.pixelPlacement = 0;
  }
  Formatted(pdev, "\x1b*t%dR\x1b*r%ds%dT", vectorout::Resolution(pdev), width, height);
  Formatted(pdev, "\x1b*p%dx%dY\x1b*r1A", x, top);
  return !OutputFailed(pdev);
}

bool WriteFrameEnd(PDEV* pdev) {
  Text(pdev, "\x1b*l252O");
  pdev->writers.raster.sourceTransparencySent = 0;
  Text(pdev, "\x1b*v0N\x1b*rB");
  return !OutputFailed(pdev);
}

// Row `j` of `sourceRows` source rows is printed this many times for
// `destRows` rows; counted from the image's first row, so that the rows add
// up to the destination's height.
LONG Repeats(LONG j, LONG destRows, LONG sourceRows) {
  if (destRows == sourceRows) return 1;
  return MulDiv(j + 1, destRows, sourceRows) - MulDiv(j, destRows, sourceRows);
}

// One bit a pixel, scaled to `width` pixels, inverted when asked; bits past
// the width cleared.
void ScaledBitRow(const BYTE* row, LONG x, LONG sourceWidth, LONG width, bool invert, BYTE* out) {
  const size_t bytes = BitRowBytes(width);
  if (sourceWidth == width) {
    ReadBitRow(row, x, width, out);
  } else {
    std::memset(out, 0, bytes);
    for (LONG i = 0; i < width; ++i) {
      const LONG sx = x + static_cast<LONG>(static_cast<int64_t>(i) * sourceWidth / width);
      if (BitAt(row, sx)) out[i >> 3] |= static_cast<BYTE>(0x80 >> (i & 7));
    }
  }
  if (invert) {
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<BYTE>(~out[i]);
    if (width & 7) out[bytes - 1] &= static_cast<BYTE>(0xFF << (8 - (width & 7)));
  }
}

// 1-bit output: the direct path, and the grey path of a black-and-white source.
BOOL WriteBits(PDEV* pdev, const ImageDescriptor& image, const ImageRect& source, const ImageRect& dest, DWORD rop3,
               bool invert, bool greyPath, bool compress, bool mask = false) {
  const size_t rowBytes = BitRowBytes(dest.width);
  HeapBlock row(rowBytes);
  RowSender sender(pdev, rowBytes, compress);
  if (!row || !sender.Ready()) return FALSE;
  DiscardCarried(pdev->writers.raster);
  if (!WriteFrameStart(pdev, rop3, dest.width, dest.height, dest.x, dest.y, mask)) return FALSE;
  for (LONG j = 0; j < source.height; ++j) {
    const LONG repeats = Repeats(j, dest.height, source.height);
    if (repeats <= 0) continue;
    ScaledBitRow(ScanLine(image, source.y + j), source.x, source.width, dest.width, invert, row.get());
    for (LONG r = 0; r < repeats; ++r)
      if (!sender.Send(row.get(), greyPath)) return FALSE;
  }
  return WriteFrameEnd(pdev) ? TRUE : FALSE;
}

// 8-bit output: grey rows (inverted, so that larger is darker) collected in
// bands of 16 and dithered; the last rows of the image stay grey in the PDEV.
BOOL WriteDithered(PDEV* pdev, const ImageDescriptor& image, const ImageRect& source, const ImageRect& dest, DWORD rop3,
                   bool compress) {
  const size_t width = static_cast<size_t>(dest.width);
  HeapBlock greyRow(static_cast<size_t>(source.width));
  HeapBlock band(kBandRows * width);
  // The dither works on a copy: the band's grey rows may still be carried.
  HeapBlock dithered(kBandRows * width);
  RowSender sender(pdev, BitRowBytes(dest.width), compress);
  if (!greyRow || !band || !dithered || !sender.Ready()) return FALSE;

  GreyTable table;
  BuildGreyTable(image, image.paletteCount, true, &table);
  RasterWriterState& state = pdev->writers.raster;
  CarriedDitherBand& carried = state.carried;
  DWORD bandRows = 0;
  LONG rasterHeight = dest.height, rasterTop = dest.y;
  if (carried.rowCount > 0 && carried.rows != nullptr && carried.x == dest.x && carried.width == dest.width &&
      carried.y + carried.height == dest.y) {
    bandRows = carried.rowCount;
    std::memcpy(band.get(), carried.rows, bandRows * width);
    rasterHeight += static_cast<LONG>(bandRows);
    rasterTop -= static_cast<LONG>(bandRows);
  }
  DiscardCarried(state);

  if (!WriteFrameStart(pdev, rop3, dest.width, rasterHeight, dest.x, rasterTop)) return FALSE;
  auto flush = [&]() {
    std::memcpy(dithered.get(), band.get(), bandRows * width);
    GrayRowBlock block{static_cast<DWORD>(dest.width), bandRows, static_cast<LONG>(width), dithered.get(), 8};
    DitherGrayRowsToMono(pdev, &block);
    for (DWORD r = 0; r < bandRows; ++r) {
      if (!sender.Send(dithered.get() + r * width, false)) return false;
    }
    return true;
  };
  for (LONG j = 0; j < source.height; ++j) {
    const LONG repeats = Repeats(j, dest.height, source.height);
    if (repeats <= 0) continue;
    ReadGreyRow(image, source.y + j, source.x, source.width, table, true, ColorOrder::BlueGreenRed, nullptr,
                greyRow.get());
    for (LONG r = 0; r < repeats; ++r) {
      BYTE* out = band.get() + bandRows * width;
      for (LONG i = 0; i < dest.width; ++i) {
        const LONG sx =
            source.width == dest.width ? i : static_cast<LONG>(static_cast<int64_t>(i) * source.width / dest.width);
        out[i] = static_cast<BYTE>(255 - greyRow.get()[sx]);
      }
      if (++bandRows == kBandRows) {
        if (!flush()) return FALSE;
        bandRows = 0;
      }
    }
  }
  if (bandRows > 0) {
    if (!flush()) return FALSE;
    // Kept grey for an image that continues right below.
    carried.rows = static_cast<BYTE*>(GraphicsHeapAlloc(bandRows * width));
    if (carried.rows != nullptr) {
      std::memcpy(carried.rows, band.get(), bandRows * width);
      carried.rowCount = bandRows;
      carried.x = dest.x;
      carried.y = dest.y;
      carried.width = dest.width;
      carried.height = dest.height;
    }
  }
  return WriteFrameEnd(pdev) ? TRUE : FALSE;
}

}  // namespace

BOOL WritePclRaster(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                    DWORD rop3, BOOL greyPath) {
  if (!ValidImageCall(pdev, image, source, dest) || dest->width < 0 || dest->height < 0) return FALSE;
  const DWORD depth = image->bitsPerPixel;
  if (depth != 1 && (!greyPath || (depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)))
    return FALSE;
  FollowRasterResets(pdev);
  const bool compress = pdev->devmode.dmPrivate._nCompression != kImageCompressionNone;
  const ULONG* palette = image->palette;
  const DWORD count = palette != nullptr ? image->paletteCount : 0;

  if (!greyPath) {
    // PCL sets ink for 1: a source whose index 0 is white goes as it is.
    const bool asIs = count >= 2 && EntryColor(palette[0]) == kWhiteRgb && EntryColor(palette[1]) == 0;
    return WriteBits(pdev, *image, *source, *dest, rop3, !asIs, false, compress);
  }
  if (depth == 1) {
    const bool blackWhite = count >= 2 && ((EntryColor(palette[0]) == 0 && EntryColor(palette[1]) == kWhiteRgb) ||
                                           (EntryColor(palette[0]) == kWhiteRgb && EntryColor(palette[1]) == 0));
    if (count < 2 || blackWhite) {
      const bool asIs = count >= 1 && GrayFromColor(0.0f, EntryColor(palette[0])) != 0;
      return WriteBits(pdev, *image, *source, *dest, rop3, !asIs, true, compress);
    }
  }
  return WriteDithered(pdev, *image, *source, *dest, rop3, compress);
}

BOOL WritePclMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest, DWORD rop3,
                  BOOL inkWhereSet) {
  if (!ValidImageCall(pdev, image, source, dest) || dest->width < 0 || dest->height < 0) return FALSE;
  if (image->bitsPerPixel != 1) return FALSE;
  FollowRasterResets(pdev);
  const bool compress = pdev->devmode.dmPrivate._nCompression != kImageCompressionNone;
  // Raster 1 is ink: the mask's own bits, or their inverse.
  return WriteBits(pdev, *image, *source, *dest, rop3, inkWhereSet == FALSE, false, compress, true);
}

void ResetRasterPageState(PDEV* pdev) {
  if (pdev == nullptr) return;
  RasterWriterState& state = pdev->writers.raster;
  DiscardCarried(state);
  // A stored page may be replayed after another one: its first row names its
  // method whatever the previous page left in force.
  state.pclMethod = kMethodUnknown;
}

void FreeRasterState(PDEV* pdev) {
  if (pdev != nullptr) DiscardCarried(pdev->writers.raster);
}

void DetachRasterState(PDEV* pdev) {
  if (pdev != nullptr) pdev->writers.raster.carried = CarriedDitherBand{};
}
