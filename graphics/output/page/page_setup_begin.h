// The begin of an inserted sheet (banner, slip sheet, covers, interleaf, ticket
// and tab sheets) with its DSC comment, tray and device settings and
// coordinate system.
//
// Every function takes the PDEV first; a null PDEV writes nothing.
#pragma once

#include "platform/base/types.h"

struct PDEV;

// The DSC comment of a sheet kind ("\n%%Banner page\n", ...); nullptr for a
// value that is no sheet kind.
const char* SheetKindComment(DWORD kind);

// Begins an inserted sheet of the given kind (sheet_kinds.h); row is the
// page-ticket row of a ticket or tab sheet (kinds 32-256) or kNoTicketRow, and
// for the banner and the slip sheet non-zero asks for their job settings
// (copies, bin, finishing). A row outside the job's ticket table counts as
// none. 0 with nothing written without a model record or for a value that is
// no sheet kind, else 1.
int EmitPageBegin(PDEV* pdev, DWORD kind, int row);
