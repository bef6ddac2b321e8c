// The slip-sheet block of a job, read from the user's settings section "Defaults":
// "Type", "CmdNbr" (entries, at most 3), "CmdString" (at most 249 bytes) and per
// entry i "IndexPair<i>" ("%d,%d"), "InsertNbr<i>" (inserts, at most 58) and
// "Inserts<i>" (the insert numbers separated by ",").
#pragma once

#include "common/job_sheet_blocks.h"
#include "platform/base/types.h"

// Fills the 992-byte block (zeroed first). The counts come from the user's
// settings, which anyone can write, so they are held to what the block has room
// for: at most 3 entries, at most 58 inserts, and an entry counts only the insert
// numbers actually stored. Answers 1; 0 for a null table.
int LoadDefaults(HANDLE printer, SlipSheetTable* table);
