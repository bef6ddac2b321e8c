// Small pieces the page start, page end and document end share: literal and
// formatted text, blank inserted sheets, the inserts that follow a sheet, and
// the page trailer of a stored page with its recorded length.
#include <cstdio>
#include <cstring>

#include "graphics/output/page/page_end_show.h"
#include "graphics/output/page/page_end_trailer.h"
#include "graphics/output/page/page_setup_begin.h"
#include "graphics/output/page/sheet_kinds.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"

namespace pagestore {

namespace {

// Section of the page-offset file beside the stream's own: how many bytes of a
// stored page its trailer takes (the sheet end), so that the page can be put on
// an inserted sheet that ends itself.
const char kTrailerSection[] = "Page Trailers";

}  // namespace

bool WriteText(PDEV* pdev, const char* text) {
  if (text[0] == '\0') return true;
  return WriteOut(pdev, kWriteText, 0, text) > 0;
}

bool WriteFormatted(PDEV* pdev, const char* format, int value) {
  if (FormatOut(pdev->lineBuffer, format, value) < 0) return false;
  return WriteText(pdev, pdev->lineBuffer);
}

void WriteBlankSheet(PDEV* pdev, DWORD kind, int row) {
  EmitPageBegin(pdev, kind, row);
  EmitShowPage(pdev, kind, row);
}

void WriteSheetEndInserts(PDEV* pdev) {
  const InsertedSheetSetting& interleaf = Extra(pdev).epInterleaf;
  if (interleaf.on != 0 && interleaf.printed == 0) WriteBlankSheet(pdev, kSheetInterleaf, kNoTicketRow);
  const int row = FindTicketRowForSheet(pdev, FALSE, FALSE);
  if (row >= 0) WriteBlankSheet(pdev, kSheetTicketBlank, row);
}

int EndStoredPage(PDEV* pdev, BOOL endSheet) {
  PageStoreState& pages = pdev->pages;
  const bool measure =
      pages.storing && endSheet && pdev->output.currentChannel == kChannelPages && FlushOutputBuffer(pdev) == 1;
  const uint64_t before = pdev->output.channels[kPagesIndex].bytesWritten;
  const int result = EmitPageTrailer(pdev, endSheet, FALSE);
  if (measure && FlushOutputBuffer(pdev) == 1) {
    const uint64_t length = pdev->output.channels[kPagesIndex].bytesWritten - before;
    char key[16];
    std::snprintf(key, sizeof key, "%lu", static_cast<unsigned long>(pages.pagesStored));
    RecordPageOffsetValue(pdev, kTrailerSection, key, static_cast<LONGLONG>(length));
  }
  return result;
}

DWORD StoredTrailerLength(PDEV* pdev, int page) {
  char key[16];
  std::snprintf(key, sizeof key, "%d", page);
  LONGLONG value = 0;
  if (!ReadPageOffsetValue(pdev, kTrailerSection, key, &value) || value < 0) return 0;
  return static_cast<DWORD>(value);
}

}  // namespace pagestore
