// The spooler's device-mode conversion for this driver: bringing a device mode of
// another driver version (or of an older platform) into this driver's form, and
// the driver's default device mode.
#pragma once

#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

// The work of DrvConvertDevMode (modes CDM_CONVERT, CDM_CONVERT351,
// CDM_DRIVER_DEFAULT). *size is the output buffer's size on entry and the size of
// this driver's device mode (2716) on return. Answers TRUE, or FALSE with the last
// error: 87 for a bad argument or mode and for a conversion that cannot be done,
// 122 for a missing or short output buffer, 13 when the printer cannot be opened
// or has no model record for a default.
BOOL ConvertDevMode(const WCHAR* printerName, const DEVMODEW* in, DEVMODEW* out, LONG* size, DWORD mode);
