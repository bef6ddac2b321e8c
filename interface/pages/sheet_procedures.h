// Dialog procedures and the sheet callback the user-interface library hands to
// the common property-sheet host.
#pragma once

#include "platform/spooler/driver_ui.h"
#include "platform/ui/dialog.h"

// The push button's dialog: runs the settings dialog over the document's device mode.
INT_PTR CALLBACK DocumentPageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The version box.
INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
LONG CALLBACK DocumentSheetCallback(PCPSUICBPARAMA param);
