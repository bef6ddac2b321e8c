// The library's cache of PCL font lists: one list of the printer's fonts per
// printer name and printer-language word, built on first request by the fonts
// and watermark pages and kept until the library exits. Every operation on the
// list of nodes runs under the library's font-list lock; a node's entries are
// filled by whoever created it and read afterwards without a lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

// The size of a font's metrics image ("CalyxPFM" at its start).
constexpr size_t kPclFontMetricsSize = 689;

// Where a listed font lives.
enum PclFontSource : WORD {
  kPclFontResident = 1,  // resident in the model
  kPclFontMemory = 2,    // installed in the printer's memory
  kPclFontDisk = 3,      // installed on the printer's disk
};

// Whether an installed font is recorded for this printer.
enum PclFontState : WORD {
  kPclFontRecorded = 5,
  kPclFontNotRecorded = 6,
};

struct PclFontEntry {
  WORD source;   // PclFontSource
  WORD state;    // PclFontState
  DWORD fontId;  // of an installed font
  char fileName[128];
  BYTE metrics[kPclFontMetricsSize];
};

// Offsets in the metrics image.
constexpr size_t kPclMetricsVersionOffset = 8;
constexpr size_t kPclMetricsFaceOffset = 10;
constexpr size_t kPclMetricsFaceSize = 32;

struct PclFontList {
  char printerName[260];
  WORD pdl;  // the printer-language word the list was built for
  DWORD count;
  PclFontEntry* entries;  // count entries, owned by the node
  PclFontList* next;
  // A digest of what the list was built from (the printer's configuration and
  // the installer's lists and counters): a node whose sources changed is stale.
  uint64_t sourceStamp;
};

// The node of (printer name, language word), the name matched without regard to
// case; *found is 1. Otherwise a new empty node at the head of the list, *found 0.
// NULL (and *found 0) when the name is NULL, does not fit the node's name field,
// or no memory is left.
PclFontList* FindPclFontList(const char* printerName, WORD pdl, int* found);

// With a name: unlinks and frees the first node of (name, language word) with its
// entries. With NULL: frees every node. Answers 0.
int FreePclFontLists(const char* printerName, WORD pdl);

// Gives a node room for count zeroed entries, replacing what it had; false when no
// memory is left (the node then has none). The node frees them.
bool AllocatePclFontEntries(PclFontList* list, DWORD count);

// The index of the first entry whose face name equals the face without regard to
// case; -1 when none does or an argument is NULL.
int FindFontFace(const char* face, const PclFontList* list);

// The cached node of (printer name, language word), or null; creates nothing.
PclFontList* LookupPclFontList(const char* printerName, WORD pdl);

// Puts a node built whole by the caller (calloc'd, entries calloc'd) into the
// cache, in place of any node of its printer name and language word, and answers
// it. The node it replaces is retired, not freed: a page or dialog may still
// read it; retired nodes go when every list is freed.
PclFontList* PublishPclFontList(PclFontList* built);

// How many lists are cached.
DWORD CountPclFontLists();
