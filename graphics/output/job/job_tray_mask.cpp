// The input-tray mask: trays that must not take part in the printer's
// automatic tray selection (a bypass tray, for example) are named to the
// printer's statusdict /inputTrayMask procedure, counting only the slots the
// device's InputAttributes know, so a tray the printer lacks is no error.
#include <cstring>

#include "graphics/core/pdev.h"
#include "graphics/output/job/job_tray_mask.h"
#include "graphics/stream/output.h"

namespace {

constexpr char kMaskProcedure[] =
    "\n{currentpagedevice /InputAttributes get\n"
    "1 index known {exch 1 add} {pop} ifelse} forall\n"
    "dup 0 eq {pop} {array astore statusdict /inputTrayMask get exec} ifelse\n";

// Room for " [ ", every source's slot as a signed 16-bit number with its blank
// ("-32768 " is 7 bytes), the closing "]" and the terminator: no slot is ever
// left out for want of room.
constexpr size_t kSlotListBytes = 3 + kModelMaxPaperSources * 7 + 1 + 1;

}  // namespace

int WriteInputTrayMask(PDEV* pdev) {
  if (pdev == nullptr || pdev->model == nullptr) return 0;
  char list[kSlotListBytes] = " [ ";
  size_t used = std::strlen(list);
  int taken = 0;
  for (const PaperSourceEntry& source : pdev->model->paperSources) {
    if (source.name[0] == '\0') break;
    if (source.s5 != 0) continue;  // takes part in automatic selection
    char item[16];
    const int length = FormatOut(item, "%d ", static_cast<int>(static_cast<int16_t>(source.s1)));
    // The list is sized for every source; the bound keeps a mistake from
    // writing past it (an item that does not fit is left out whole).
    if (length < 0 || used + static_cast<size_t>(length) + 2 > sizeof list) break;
    std::memcpy(list + used, item, static_cast<size_t>(length));
    used += static_cast<size_t>(length);
    ++taken;
  }
  if (taken == 0) return 1;
  list[used - 1] = ']';  // the last blank
  list[used] = '\0';
  int written = WriteOut(pdev, kWriteText, 0, "0");
  written = written && WriteOut(pdev, kWriteText, 0, list);
  written = written && WriteOut(pdev, kWriteText, 0, kMaskProcedure);
  return written ? 1 : 0;
}
