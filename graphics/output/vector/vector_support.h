// Helpers the pieces of the vector writer share: the job's language and the
// HP-GL/2 context, pixels from 28.4 fixed point, the remembered selection of a
// target, and millimetre texts for HP-GL/2.
#pragma once

#include <cstddef>

#include "graphics/output/vector/vector_state.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

namespace vectorout {

// PdlKind bits that change what the PCL family writes.
constexpr WORD kPdlUserPatternFormat20 = 0x08;  // user patterns carry their resolution
constexpr WORD kPdlPixelPlacement = 0x80;       // "PP1" / "ESC*l#R" pixel placement
WORD Pdl(const PDEV* pdev);
// Dots per inch of the job (600 when the device mode holds none).
int Resolution(const PDEV* pdev);
// An application path (escapes 4096-4098) is open.
bool ApplicationPathOpen(const PDEV* pdev);

// Literal and formatted text; 1 when the stream took it.
int Text(PDEV* pdev, const char* text);
int Formatted(PDEV* pdev, const char* format, ...);
int Bytes(PDEV* pdev, const void* data, size_t length);

// "ESC%0B" / "ESC%0A" when the mode changes; 1 when nothing was needed or the
// sequence was written.
int EnterHpgl(PDEV* pdev);
int LeaveHpgl(PDEV* pdev);

// Whole device pixels of a 28.4 value (arithmetic shift: -1 is pixel -1).
constexpr LONG Pixel(LONG fix) { return fix >> 4; }
// The code byte of a 32-bit ROP3.
constexpr DWORD Rop3Byte(DWORD rop3) { return (rop3 >> 16) & 0xFF; }

// A rectangle in pixels: position and size. The 28.4 right and bottom edges
// are rounded up, so that a rectangle given with exclusive edges (GDI's) and
// one given with its last unit inclusive (a path record's) cover the same
// pixels.
struct PixelBox {
  LONG x = 0;
  LONG y = 0;
  LONG width = 0;
  LONG height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};
PixelBox BoxOfFixRect(const RECTL& rect);
// A clip in pixels (right and bottom exclusive) that clips: given and not empty.
bool ClipGiven(const RECTL* clip);

// The remembered selection of a target (kTargetPostScript/any PdlKind, 64 =
// HP-GL/2 with hpglIndex 0 fill or 1 pen) and its validity bit.
struct Cache {
  RememberedFill* fill;
  WORD staleBit;
};
Cache CacheOf(PDEV* pdev, DWORD target, int hpglIndex);
bool TargetIsHpgl(DWORD target);
bool TargetIsPostScript(DWORD target);

// A printer reset ("ESC E") written by the device settings since the caches
// were filled drops the printer's patterns and selections: everything cached
// becomes stale.
void FollowPrinterResets(PDEV* pdev);

// HP-GL/2 millimetres from micrometres, three decimals ("1.016", "0.085").
// Writes into out (at least 16 bytes) and answers it.
const char* Millimetres(char* out, size_t capacity, LONG micrometres);

// A PCL user-defined pattern, pattern id 1: "ESC*c1g#W", the header (format
// 20 with the device resolution when the PdlKind asks for it, else format 0),
// then rows of (width + 7) / 8 bytes whose set bits are ink.
int WritePclUserPattern(PDEV* pdev, const BYTE* inkRows, DWORD width, DWORD height);

// Collects short formatted pieces (the points of a long path) and hands them
// to the stream in blocks, flushed when full and at the end of its life.
class TextChunk {
 public:
  explicit TextChunk(PDEV* pdev) : pdev_(pdev) {}
  ~TextChunk() { Flush(); }
  TextChunk(const TextChunk&) = delete;
  TextChunk& operator=(const TextChunk&) = delete;

  void Add(const char* format, ...);
  void AddBytes(const void* data, size_t length);
  // Writes what was collected; 1 when every block so far was taken.
  int Flush();

 private:
  PDEV* pdev_;
  char buffer_[2048];
  size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace vectorout
