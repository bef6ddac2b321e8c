// The printer's device fonts as the graphics library offers them to GDI: one
// list per printer and printer language, kept in the library's font-list cache
// and shared by every device context of that printer.
#pragma once

#include "common/xdevmode.h"
#include "interface/model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// Kinds of device font.
constexpr WORD kDeviceFontResident = 1;    // named by the model module
constexpr WORD kDeviceFontHostSoft = 2;    // installed on the host, sent on first use
constexpr WORD kDeviceFontPrinterDisk = 3; // on the printer's disk

// One device font. Its metrics block is an IFIMETRICS followed by the driver's
// own fields (the 256 character widths from byte 184, the face name at bytes
// 768-799); the block's size is its cjThis.
struct DeviceFontEntry {
  WORD kind;
  WORD fontClass;
  WORD fontId;
  char file[128];
  IFIMETRICS* metrics;
};

// A node of the font-list cache: the printer and language it serves and its
// entries (GDI's device font iFace is entry iFace - 1).
struct DeviceFontList {
  char printerName[260];
  WORD pdlKind;
  DWORD count;
  DeviceFontEntry* entries;
  DeviceFontList* next;
};

// Offsets of the driver's fields in a device font's metrics block.
constexpr size_t kDeviceFontWidthsOffset = 184;
constexpr size_t kDeviceFontFaceNameOffset = 768;
constexpr size_t kDeviceFontFaceNameBytes = 32;

// The number of fonts of a list (0 for none).
inline DWORD DeviceFontCount(const DeviceFontList* list) { return list ? list->count : 0; }

// The list of the printer's fonts for the device mode's printer language: the
// cached one when it exists, else built from the model's resident fonts, the
// installed soft fonts and the fonts on the printer's disk. The record's font
// rows are sorted in place, so the record must be the caller's own. nullptr when
// there are no device fonts to offer.
DeviceFontList* LoadInstalledFonts(HANDLE printer, const char* printerName, ModelRecord* record,
                                   XDEVMODE* devmode);
