// The start of a document: its name, a fresh set of channel files and page
// counters, and the job header.
#include <string>

#include "graphics/output/job/job_font_state.h"
#include "graphics/output/job/job_framing.h"
#include "graphics/pages/document_store.h"
#include "graphics/pages/page_store_common.h"
#include "graphics/stream/output.h"
#include "platform/base/codepage.h"

int BeginDocument(PDEV* pdev, const WCHAR* name) {
  if (pdev == nullptr || name == nullptr) return -1;
  // The name in the ANSI code page, cut to the field without splitting a
  // double-byte character.
  const std::string ansi = platform::FromUtf16(std::u16string_view(name));
  CopyStringPadded(pdev->carried.documentName, ansi.c_str(), sizeof pdev->carried.documentName);
  CopyStringPadded(pdev->devmode.dmPrivate.documentName, ansi.c_str(), sizeof pdev->devmode.dmPrivate.documentName);

  InitChannelFiles(pdev);
  // Fresh counters; the paper of the first page, which the document start
  // set before calling here, stays.
  const PageStoreState previous = pdev->pages;
  pdev->pages = PageStoreState{};
  pdev->pages.currentPaper = previous.currentPaper;
  pdev->pages.currentFeed = previous.currentFeed;
  ResetFontState(pdev);
  const int header = WriteJobHeader(pdev);
  return header == 1 ? 1 : header;
}
