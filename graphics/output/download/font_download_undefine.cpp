// Making room in the printer: every font the document downloaded is undefined
// and forgotten, so the next text in one of them downloads it again. The
// estimate restarts from what the printer keeps after the purge.
#include "graphics/output/download/font_download_undefine.h"
#include "graphics/core/pdev.h"
#include "graphics/output/download/download_channel.h"
#include "graphics/output/download/font_download.h"
#include "graphics/output/page/page_setup_support.h"
#include "graphics/output/text/text_select_font.h"
#include "graphics/stream/output.h"

namespace {

constexpr DWORD kEstimateAfterPurge = 80000;

void Format(PDEV* pdev, const char* format, const char* name, unsigned id) {
  char line[kFormatBufferBytes];
  if (name) {
    FormatOut(line, format, name);
  } else {
    FormatOut(line, format, id);
  }
  WriteOut(pdev, kWriteText, 0, line);
}

}  // namespace

void UndefineDownloadedFonts(PDEV* pdev) {
  if (!pdev) return;
  const bool postScript = IsPostScriptJob(pdev);
  if (!postScript) pagesetup::LeaveHpgl(pdev);
  DownloadedFontList* list = pdev->downloadedFonts[0];
  ForEachSentFont(list, [&](FontDownloadRecord* record, GlyphPageRecord* page) {
    if (postScript) {
      Format(pdev, "/%s UDF\n", page ? page->name : record->name, 0);
    } else {
      Format(pdev, "\x1b*c%ud2F", nullptr, page ? page->softFontId : record->softFontId);
    }
  });
  // The list may be shared with the device context it came from on a reset;
  // the fonts are gone from the printer for both.
  if (list) {
    if (list->useCount > 1) {
      --list->useCount;
    } else {
      delete list;
    }
  }
  pdev->downloadedFonts[0] = nullptr;
  if (CompositeFontTable* table = CompositeFonts(pdev, false)) {
    if (postScript) {
      for (WORD i = 0; i < table->derivedCount; ++i) Format(pdev, "/%s UDF\n", table->derived[i], 0);
    }
    if (table->useCount > 1) {
      --table->useCount;
    } else {
      FreeCompositeFonts(table);
    }
    pdev->downloadedFonts[1] = nullptr;
  }
  if (postScript) {
    WriteOut(pdev, kWriteText, 0, "freeVM\n");
  } else {
    pdev->carried.softFontCounter = 0;
  }
  pdev->carried.vmEstimate = kEstimateAfterPurge;
  pagesetup::ClearTextStates(pdev);
}
