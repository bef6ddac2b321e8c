// The library's record of each printer device context of a job, kept from the
// DC's creation to its deletion: the job's own copy of the device mode, the
// document, the insert-sheet set and slip-sheet block handed to the graphics
// library, and what the document events learned (job id, dialog answers).
//
// Events of one DC come on the thread that prints with it, and only its
// DELETEDC event removes its context, so a context found for a DC may be used
// outside the list lock by that DC's events.
#pragma once

#include <vector>

#include "common/job_sheet_blocks.h"
#include "common/xdevmode.h"
#include "interface/records/insert_sheet_store.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

constexpr size_t kJobTextSize = 260;

struct JobContext {
  HDC dc = 0;
  DWORD jobId = 0;  // 0: the status monitor was not told of the job
  XDEVMODE devmode{};
  int pageCount = 0;  // pages started in the document
  char documentName[kJobTextSize] = {};
  InsertSheetSet insertSet{};          // rows: kInsertSheetSetMaxRows rows, owned
  SlipSheetTable* defaults = nullptr;  // owned
  char outputName[kJobTextSize] = {};
  DWORD cancelled = 0;         // the macro-file dialog was cancelled: no later document starts
  DWORD watermarkAtStart = 0;  // the graphics library lets the watermark be drawn at page start
  WCHAR savePath[kJobTextSize] = {};
  std::vector<char> repairedEscape;  // the passthrough block handed to the driver in the application's place
  JobContext* next = nullptr;
};

// A new context for the DC, in front of the list, with a copy of the device
// mode; a context the DC still had is dropped first. nullptr when out of memory.
JobContext* AddJobContext(HDC dc, const XDEVMODE& devmode);
JobContext* FindJobContext(HDC dc);
// Unlinks and frees the DC's context with its rows and slip-sheet block; FALSE
// when the DC has none.
BOOL RemoveJobContext(HDC dc);

// (Re)load the DC's insert-sheet set (the set the device mode names) into a
// fresh zeroed buffer of rows, and the user's slip-sheet defaults into a fresh
// zeroed block; what an earlier document loaded is released. FALSE without a
// context; a failed allocation leaves the pointer null.
BOOL AttachInsertSheetSet(HDC dc, HANDLE printer);
BOOL AttachSlipSheetTable(HDC dc, HANDLE printer);
