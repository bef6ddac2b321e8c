// The private escapes that hand job data to the graphics library: the
// submitting host and the spooler job id, the page-ticket rows, the slip-sheet
// block, and raw text; the others are routed to their own files.
#include <cstring>

#include "common/job_sheet_blocks.h"
#include "graphics/core/pdev.h"
#include "graphics/escapes/escapes.h"
#include "graphics/stream/output.h"
#include "graphics/util/graphics_heap.h"

namespace {

ULONG Refuse() { return RefuseEscape(); }

constexpr size_t kCommandTextOffset = 732;
constexpr size_t kCommandTextBytes = 250;

ULONG JobIdentity(PDEV* pdev, ULONG inSize, const void* in, ULONG outSize, void* out) {
  if (in != nullptr && inSize >= sizeof(DWORD)) std::memcpy(&pdev->carried.addressValue, in, sizeof(DWORD));
  if (out == nullptr || outSize < sizeof(DWORD)) return Refuse();
  std::memcpy(out, &pdev->carried.spoolerJobId, sizeof(DWORD));
  return 0;
}

ULONG RawText(PDEV* pdev, ULONG inSize, const void* in) {
  if (in == nullptr || inSize == 0) return 0;
  const auto* text = static_cast<const char*>(in);
  const void* end = std::memchr(text, '\0', inSize);
  const ULONG length = end ? static_cast<ULONG>(static_cast<const char*>(end) - text) : inSize;
  if (length > 0) WriteOut(pdev, kWriteBytes, static_cast<int>(length), text);
  return 0;
}

}  // namespace

BOOL SetPageTickets(PDEV* pdev, const void* rows, ULONG bytes) {
  if (pdev == nullptr || rows == nullptr) return FALSE;
  const ULONG count = bytes / sizeof(PageTicketRow);
  PageTicketRow* copy = nullptr;
  if (count > 0) {
    copy = static_cast<PageTicketRow*>(GraphicsHeapAlloc(count * sizeof(PageTicketRow)));
    if (copy == nullptr) return FALSE;
    std::memcpy(copy, rows, count * sizeof(PageTicketRow));
    // The tab texts are read as terminated strings later on.
    for (ULONG i = 0; i < count; ++i) copy[i].tabText[sizeof copy[i].tabText - 1] = '\0';
  }
  GraphicsHeapFree(pdev->pageTickets.rows);
  pdev->pageTickets.rows = copy;
  pdev->pageTickets.rowCount = count;
  return TRUE;
}

BOOL SetSlipSheetTable(PDEV* pdev, const void* block, ULONG bytes) {
  if (pdev == nullptr || block == nullptr || bytes < kSlipSheetBlockBytes) return FALSE;
  auto* copy = static_cast<BYTE*>(GraphicsHeapAlloc(kSlipSheetBlockBytes));
  if (copy == nullptr) return FALSE;
  std::memcpy(copy, block, kSlipSheetBlockBytes);
  copy[kCommandTextOffset + kCommandTextBytes - 1] = '\0';
  GraphicsHeapFree(pdev->slipSheetBlock);
  pdev->slipSheetBlock = copy;
  return TRUE;
}

ULONG ServePrivateEscape(PDEV* pdev, ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out) {
  switch (escape) {
    case kEscJobIdentity: return JobIdentity(pdev, inSize, in, outSize, out);
    case kEscInsertSheetTable:
      if (in == nullptr) return Refuse();
      SetPageTickets(pdev, in, inSize);
      return 0;
    case kEscInsertDefaults:
      if (in == nullptr || inSize < kSlipSheetBlockBytes) return Refuse();
      SetSlipSheetTable(pdev, in, inSize);
      return 0;
    case kEscRawText: return RawText(pdev, inSize, in);
    case kEscFontListRefresh:
    case kEscUpdateConfig: return ServeConfigEscape(pdev, escape, inSize, in);
    default: return ServeCaptureEscape(pdev, escape, inSize, in, outSize, out);
  }
}
