// The data of one PostScript image: the header that calls the procedure set's
// image procedure, rows run-length encoded and sent as ASCII85 or binary as
// the device mode asks, and the end markers. Both PostScript image writers
// send through it.
#pragma once

#include <cstddef>

#include "graphics/output/raster/raster_support.h"

namespace rasterout {

class PsImageStream {
 public:
  // Run length unless "Compression" is 3; ASCII85 unless "BinaryData" is set.
  // rowBytes: the most bytes a row has. False when the row buffer cannot be
  // had (a missing run-length buffer only turns run length off).
  PsImageStream(PDEV* pdev, size_t rowBytes);
  bool Ready() const { return static_cast<bool>(row_); }
  BYTE* Row() const { return row_.get(); }

  // "\nsave rl a85 [w 0 0 h 0 0][decode] bits w h dw dh dx dy proc\n".
  bool Begin(const ImageRect& source, const ImageRect& dest, bool inverted, int bits, const char* procedure);
  // The first `bytes` of Row().
  bool SendRow(size_t bytes);
  // The end of the data and "\nrestore\n".
  bool End();

 private:
  PDEV* pdev_;
  size_t rowBytes_;
  bool runLength_;
  bool ascii85_;
  HeapBlock row_;
  HeapBlock encoded_;
  int mode_;
};

}  // namespace rasterout
