// What the page set-up and page end remember between the pages of a job: where
// the current page sits on its sheet, whether a page-level gsave is open, and
// whether the PCL overlay macro is held by the printer.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

// A rectangle in thousandths of an inch on the sheet, y growing upwards.
struct SheetRect {
  int32_t left = 0;
  int32_t bottom = 0;
  int32_t right = 0;
  int32_t top = 0;
};

struct PageSetupState {
  // The page's cell on its sheet (N-up and booklet placement), kept for the
  // drawing writers (page borders, clip of the whole page).
  SheetRect printable;
  // PCL "PageBorder": the printable rectangle turned by the page rotation.
  SheetRect border;
  // Rotation of the first page of the current sheet: the lead corner (where the
  // first cell of an N-up sheet lies) follows it for every page on the sheet.
  WORD sheetRotation = 0;
  // The first page of the current sheet laid the sheet out turned (a landscape
  // page on an N-up sheet): a later page laid out the other way turns the lead
  // corner with it, so that it names the same corner of the paper.
  BOOL sheetTransposed = FALSE;
  // A "gsave" of the page placement is open and the page trailer closes it.
  BOOL pageGsaveOpen = FALSE;
  // Overlay macro: defined (or selected) in the printer by this job and not
  // yet disabled; the page number of the last definition.
  BOOL macroDefined = FALSE;
  // The device settings' printer-reset count when the macro was last set up:
  // a reset since then deleted the macro and its selection.
  DWORD macroResets = 0;
  // The last macro set-up found the macro unusable (file missing, empty or
  // unreadable, empty name): nothing is called for the rest of the job.
  BOOL macroUnusable = FALSE;
  // The sheet being begun or shown by EmitPageBegin / EmitShowPage.
  DWORD insertedSheetKind = 0;
  // A page save opened by EmitPageBegin for a banner page ("ClearMemPerPage").
  BOOL bannerSaveOpen = FALSE;
};
