// The page store's counters and marks of the document in progress.
#pragma once

#include "platform/base/types.h"

struct PageStoreState {
  DWORD pagesStarted = 0;  // document pages begun
  DWORD pagesStored = 0;   // sheets begun (N-up: one per sheet); the key of the stored pages
  DWORD sheets = 0;
  DWORD sideCount = 0;       // sides printed since the last duplex reset
  DWORD sheetPageIndex = 0;  // position of the page on its N-up sheet (1-based; 0 between sheets)
  DWORD openSheets = 0;      // pages on the sheet (booklet: on the side pair) not yet ended
  WORD currentPaper = 0;
  DWORD currentFeed = 0;
  WORD previousPaper = 0;
  DWORD previousFeed = 0;
  int ticketSource = 0;  // page-ticket source range of the current page (0-49)
  BOOL pageStarted = FALSE;
  BOOL pageSaveOpen = FALSE;
  // The document's pages go to the pages channel and are sent again at its
  // end: decided at the first page and kept for the whole document, so that a
  // document never mixes pages sent straight with pages held back.
  BOOL storing = FALSE;
};
