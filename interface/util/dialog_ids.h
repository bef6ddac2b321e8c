// Dialog ids by their resource names, as model descriptions name the dialogs
// whose controls they hide.
#pragma once

#include "model/dialog_name_table.h"

// The id of the first known dialog name that the text begins with; 0 when none.
inline int DialogIdFromName(const char* name) { return HiddenControlDialogId(name); }
