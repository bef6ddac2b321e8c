// Reading one installed font (or macro) record of the fonts-and-macros installer:
// from the user's font store (kind 5, a section, key "<list>_<item>") or from the
// printer's data (kind 7, section "<list>", key "<item>"). The record format is
// common/installed_font_record.h.
#pragma once

#include <cstddef>

#include "platform/base/types.h"

// The largest record read.
constexpr DWORD kHostFontRecordBuffer = 2048;

// Reads the record: with a section from store kind 5, key listName "_" itemName;
// without one from store kind 7, section listName, key itemName. Its text part
// (before the first ";") must hold the three fields; the bytes after the ";" are
// the data, copied to data when given (*dataSize on entry is its capacity; on
// return the size of the data). The third field, the file on the host, goes to
// name. Answers 1; 0 when a required pointer is null, the record cannot be read
// or lacks a field, the data does not fit the buffer, or the name does not fit
// (a path cut short would name another file).
int ReadHostFontEntry(HANDLE printer, const char* section, const char* listName, const char* itemName, BYTE* data,
                      DWORD* dataSize, char* name, size_t nameSize);
