// The metrics block of a device font: what GDI learns of one of the printer's
// own fonts (an IFIMETRICS), followed by the 256 character widths and the
// fields the text and download writers read (device_fonts.h names their
// offsets), then the family names and the bold and italic simulations. It is
// built from a font metrics record of 689 bytes (common/installed_font_record.h):
// a font resource of the model module, or the metrics part of a font the fonts
// installer recorded.
#pragma once

#include <cstddef>

#include "common/installed_font_record.h"
#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

// A block for a font resource of the model module (resident fonts). The
// resource is taken as it is (no tag check), but one shorter than a record
// gives none. Heap memory (free()); nullptr when it cannot be built.
IFIMETRICS* BuildModelFontMetrics(const void* record, size_t size, int resolution);

// A block for the metrics part of an installed font: none unless the data is
// exactly one record with the right tag and version 1. Heap memory (free()).
IFIMETRICS* BuildInstalledFontMetrics(const void* data, size_t size, int resolution);

// With a block: fills it (the caller allocated the size a call without one
// answered). Answers the size to allocate without a block, the size used
// (cjThis) with one.
size_t BuildDeviceFontMetrics(IFIMETRICS* block, const fontrecord::MetricsBlock& record, int resolution);

// fsSelection of a record: italic when its italic word is not 0, bold when its
// weight is above 400.
USHORT GetFontSelection(const fontrecord::MetricsBlock& record);

// wcFirstChar and wcLastChar: the smallest and largest UTF-16 value that the
// byte values 0-255 take in the ANSI code page.
void SetUnicodeRange(IFIMETRICS* block);

// Readers of the driver fields of a block.
BYTE DeviceFontFlags(const IFIMETRICS* block);
BYTE DeviceFontCharsetCode(const IFIMETRICS* block);
BYTE DeviceFontStyleVariant(const IFIMETRICS* block);
WORD DeviceFontWidthPerEm(const IFIMETRICS* block);
// The selection name (terminated within its 64 bytes) and the face name (32).
const char* DeviceFontSelectionName(const IFIMETRICS* block, char (&out)[65]);
const char* DeviceFontFaceName(const IFIMETRICS* block, char (&out)[33]);
DWORD DeviceFontNoReencoding(const IFIMETRICS* block);
