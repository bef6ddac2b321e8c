// The kinds of inserted sheets a job can carry (banner, slip sheet, covers,
// interleaf, ticket and tab sheets), as the page set-up begins them and the
// page end shows them.
#pragma once

#include "platform/base/types.h"

// Sheet kinds: the first argument of EmitPageBegin and EmitShowPage.
constexpr DWORD kSheetBanner = 1;
constexpr DWORD kSheetSlip = 2;
constexpr DWORD kSheetFrontCover = 4;
constexpr DWORD kSheetBackCover = 8;
constexpr DWORD kSheetInterleaf = 16;
constexpr DWORD kSheetTicketPrinted = 32;  // ticket sheet carrying the page image
constexpr DWORD kSheetTab = 64;            // tab sheet (its captured tab image)
constexpr DWORD kSheetTabPrinted = 128;    // tab sheet carrying the page image
constexpr DWORD kSheetTicketBlank = 256;   // blank ticket sheet
// The row argument when a sheet has no page-ticket row.
constexpr int kNoTicketRow = -1;
