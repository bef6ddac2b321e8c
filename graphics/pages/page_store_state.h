// The page store's counters and marks of the document in progress.
#pragma once

#include "platform/base/types.h"

struct PageStoreState {
  DWORD pagesStarted = 0;
  DWORD pagesStored = 0;
  DWORD sheets = 0;
  DWORD sideCount = 0;
  DWORD sheetPageIndex = 0;
  DWORD openSheets = 0;
  WORD currentPaper = 0;
  DWORD currentFeed = 0;
  WORD previousPaper = 0;
  DWORD previousFeed = 0;
  int ticketSource = 0;
  BOOL pageStarted = FALSE;
  BOOL pageSaveOpen = FALSE;
};
