// Adding a printer is all-or-nothing as a user sees it: the printer's row is
// stored with a mark that its driver's set-up has not finished, and the mark
// goes when the set-up succeeds. A printer whose adding process died before
// that (killed, crashed) is set up again when it is next opened, so it never
// stays half set up.
#pragma once

#include <string>

#include "platform/base/machine_db.h"
#include "platform/base/types.h"

namespace platform::spooler {

// Inside the caller's transaction: the printer's set-up runs now in this process.
void MarkSetupPending(db::Session& session, int64_t printerId);

// The printer's set-up finished.
void MarkSetupDone(int64_t printerId);

// Runs the driver's set-up again for a printer whose adding process died
// before it finished; ERROR_SUCCESS when there is nothing to do, a set-up is
// still running elsewhere, or the repair succeeded. On failure the mark stays
// for the next opening to try again. Never call it while holding a db::Session.
DWORD FinishInterruptedSetup(int64_t printerId);

}  // namespace platform::spooler
