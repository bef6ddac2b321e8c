#include "graphics/output/raster/raster_ps_stream.h"

#include "common/xdevmode.h"
#include "graphics/core/pdev.h"
#include "graphics/encode/encoders.h"
#include "graphics/output/vector/vector_support.h"
#include "graphics/stream/output.h"

namespace rasterout {

PsImageStream::PsImageStream(PDEV* pdev, size_t rowBytes)
    : pdev_(pdev),
      rowBytes_(rowBytes),
      runLength_(pdev->devmode.dmPrivate._nCompression != kImageCompressionNone),
      ascii85_((pdev->devmode.dmPrivate._dwAdvSettings & kAdvBinaryData) == 0),
      row_(rowBytes),
      encoded_(runLength_ && row_ ? 2 * rowBytes + 2 : 0),
      mode_(ascii85_ ? kWriteAscii85 : kWriteBytes) {
  if (!encoded_) runLength_ = false;
}

bool PsImageStream::Begin(const ImageRect& source, const ImageRect& dest, bool inverted, int bits,
                          const char* procedure) {
  // The destination's size is signed: a negative one mirrors the image, which
  // the procedure's scale draws as such.
  return vectorout::Formatted(pdev_, "\nsave %b %b [%u 0 0 %u 0 0][%s] %d %u %u %d %d %d %d %s\n", runLength_, ascii85_,
                              source.width, source.height, inverted ? "1 0" : "0 1", bits, source.width, source.height,
                              dest.width, dest.height, dest.x, dest.y, procedure) != 0;
}

bool PsImageStream::SendRow(size_t bytes) {
  const BYTE* data = row_.get();
  int length = static_cast<int>(bytes);
  if (runLength_) {
    length = static_cast<int>(EncodeRunLength(row_.get(), static_cast<DWORD>(bytes), encoded_.get(),
                                              static_cast<DWORD>(2 * rowBytes_ + 2), FALSE));
    data = encoded_.get();
  }
  // ASCII85 answers the characters it wrote (a group may wait for the next
  // row), so a lost write shows in the stream's failed state.
  if (length > 0) WriteOut(pdev_, mode_, length, data);
  if (ascii85_) WriteOut(pdev_, kWriteText, 1, "\n");
  return !OutputFailed(pdev_);
}

bool PsImageStream::End() {
  if (runLength_) {
    const BYTE marker = 128;
    WriteOut(pdev_, mode_, 1, &marker);
  }
  if (ascii85_) WriteOut(pdev_, kWriteAscii85End, 0, nullptr);
  vectorout::Text(pdev_, "\nrestore\n");
  return !OutputFailed(pdev_);
}

}  // namespace rasterout
