// The printer's device fonts as the graphics library offers them to GDI: one
// list per printer and printer language, kept in the library's font-list cache
// and shared by every device context of that printer.
#pragma once

#include "common/xdevmode.h"
#include "model/model_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// Kinds of device font.
constexpr WORD kDeviceFontResident = 1;     // named by the model module
constexpr WORD kDeviceFontHostSoft = 2;     // installed on the host, sent on first use
constexpr WORD kDeviceFontPrinterDisk = 3;  // on the printer's disk

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
constexpr size_t kDeviceFontFlagsOffset = 182;          // u8: bit 0 scalable, bit 1 fixed pitch
constexpr size_t kDeviceFontWidthsOffset = 184;         // u16 x 256, by character code
constexpr size_t kDeviceFontCharsetCodeOffset = 696;    // u8: 2 symbol, 5-7 Shift-JIS, 8 GB2312
constexpr size_t kDeviceFontStyleVariantOffset = 697;   // u8
constexpr size_t kDeviceFontKeptByteOffset = 698;       // u8
constexpr size_t kDeviceFontWidthPerEmOffset = 700;     // u16
constexpr size_t kDeviceFontSizeWordOffset = 702;       // u16
constexpr size_t kDeviceFontSelectionNameOffset = 704;  // char[64]: PostScript name, or PCL "typeface,symbol set"
constexpr size_t kDeviceFontSelectionNameBytes = 64;
constexpr size_t kDeviceFontFaceNameOffset = 768;
constexpr size_t kDeviceFontFaceNameBytes = 32;
constexpr size_t kDeviceFontNoReencodingOffset = 804;  // u32: the font keeps its own encoding
constexpr size_t kDeviceFontNamesOffset = 808;         // the UTF-16 family names

constexpr BYTE kDeviceFontFlagScalable = 0x01;
constexpr BYTE kDeviceFontFlagFixedPitch = 0x02;

// The number of fonts of a list (0 for none).
inline DWORD DeviceFontCount(const DeviceFontList* list) { return list ? list->count : 0; }

// The list of the printer's fonts for the device mode's printer language: the
// cached one when it exists, else built from the model's resident fonts, the
// installed soft fonts and the fonts on the printer's disk. The record's font
// rows are sorted in place, so the record must be the caller's own. nullptr when
// there are no device fonts to offer.
DeviceFontList* LoadInstalledFonts(HANDLE printer, const char* printerName, ModelRecord* record, XDEVMODE* devmode);
