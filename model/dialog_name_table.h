// The dialog names a model description may use in "HiddenControls", and their
// dialog resource ids.
#pragma once

// The id of the first table name that the text begins with; 0 when none does
// (also for a null text).
int HiddenControlDialogId(const char* name);
