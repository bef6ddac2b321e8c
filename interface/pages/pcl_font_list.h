// The printer's fonts as the settings pages list them: the model's resident
// fonts of the job's language and, for PCL 5, the soft fonts the fonts-and-macros
// installer recorded on this PC and on the printer's disk; and the enumeration
// of those fonts beside the display's outline fonts.
#pragma once

#include <string>

#include "common/xdevmode.h"
#include "interface/pages/pcl_font_cache.h"
#include "model/model_record.h"
#include "platform/gdi/drawing.h"

// Offsets of the metrics image read by the pages.
constexpr size_t kPclMetricsFlagsOffset = 74;            // bit 0 scalable, bit 1 fixed pitch
constexpr size_t kPclMetricsPointSizeOffset = 75;        // WORD
constexpr size_t kPclMetricsItalicOffset = 94;           // WORD, 0 upright
constexpr size_t kPclMetricsWeightOffset = 96;           // WORD
constexpr size_t kPclMetricsPitchAndFamilyOffset = 102;  // BYTE
constexpr size_t kPclMetricsCharSetClassOffset = 623;    // BYTE
constexpr BYTE kPclMetricsScalable = 0x01;
constexpr BYTE kPclMetricsFixedPitch = 0x02;

// The list of (printer name, the settings' language word): the cached one while
// what it was built from (the printer's configuration counter "Printer"/"Cfg",
// the installer's font lists and counters) is unchanged, else a new one, built
// whole before it is cached. A list that cannot be built is not cached. Null
// without a name or settings, or when no list could be built.
PclFontList* GetPclFontList(HANDLE printer, const char* printerName, const ModelRecord* model,
                            const XDEVMODE* settings);

// What EnumPrinterFonts reports.
constexpr int kEnumAllPclFonts = 1;       // every PCL font (not only the scalable ones)
constexpr int kEnumScalablePclFonts = 2;  // the PCL fonts whose scalable bit is set
constexpr int kEnumDisplayFonts = 4;      // the display's fonts

// Reports fonts to the callback, with data as its last argument: the
// display's fonts of every character set (flag 4, or a face given: only that
// face), then the list's fonts (flag 2 or a face given): without a face the
// scalable ones (all with flag 1), each face once; with a face that face's
// entries. Point sizes are scaled by resolution / 72. A 0 answer of the
// callback ends the enumeration; answers the last answer (1 when none).
int EnumPrinterFonts(const PclFontList* list, int resolution, const char* face, int flags, FONTENUMPROCA callback,
                     LPARAM data);

// The character set of a metrics image's symbol-set class.
BYTE CharSetOfSymbolSetClass(BYTE symbolSetClass);

// The face name of an entry (at most 31 bytes).
std::string PclFontFace(const PclFontEntry& entry);
