// The printer's device fonts as the graphics library offers them to GDI: one
// list per printer and printer language, kept in the library's font-list cache
// and shared by every device context of that printer.
#pragma once

#include "common/xdevmode.h"
#include "interface/model/model_record.h"
#include "platform/base/types.h"

struct DeviceFontList;

// The list of the printer's fonts for the device mode's printer language: the
// cached one when it exists, else built from the model's resident fonts, the
// installed soft fonts and the fonts on the printer's disk. The record's font
// rows are sorted in place, so the record must be the caller's own. nullptr when
// there are no device fonts to offer.
DeviceFontList* LoadInstalledFonts(HANDLE printer, const char* printerName, ModelRecord* record,
                                   XDEVMODE* devmode);
