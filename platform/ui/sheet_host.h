// The common property-sheet host: runs a driver's property-sheet function through
// its reasons (INIT, GET_INFO_HEADER, then one property sheet of the pages the
// driver gave, SET_RESULT, DESTROY) and serves what the driver asks of it through
// pfnComPropSheet: plain pages, and sets of option items (COMPROPSHEETUI) that it
// turns into a page of its own listing the items, with their push buttons.
#pragma once

#include "platform/spooler/driver_ui.h"
#include "platform/ui/prsht.h"

namespace platform::ui {

struct SheetHostResult {
  LONG sheet = -1;         // CPSUI_OK, CPSUI_CANCEL, or -1 when the driver refused
  ULONG_PTR result = 0;    // PROPSHEETUI_INFO.Result as the driver left it
  ULONG_PTR userData = 0;  // PROPSHEETUI_INFO.UserData as the driver left it
};

// `header` is the lParamInit the driver gets (a DOCUMENTPROPERTYHEADER or a
// DEVICEPROPERTYHEADER). The sheet answers CPSUI_OK after OK, and after Cancel
// when an Apply (the button or a page's PSM_APPLY) had already taken effect.
SheetHostResult RunSheetHost(HWND parent, PFN_DrvDocumentPropertySheets entry, LPARAM header);

}  // namespace platform::ui
