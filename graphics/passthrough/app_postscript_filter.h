// PostScript that an application sends through the passthrough escapes: the
// filter finds the page structure in it, so that the driver's own page handling
// (page store, booklet, inserted sheets, watermark replay) sees one driver page
// per application page, and drops or replaces a few known lines.
#pragma once

#include "graphics/passthrough/passthrough_state.h"
#include "platform/base/types.h"

struct PDEV;

constexpr DWORD kBytesNotFound = 0xFFFFFFFF;

// Offset of the first occurrence of pattern in data; kBytesNotFound when absent,
// when the pattern is empty or when the data is shorter than the pattern.
DWORD FindBytes(const void* pattern, DWORD patternLength, const void* data, DWORD dataLength);

// Bytes before the first CR or LF of text, looking at no more than length
// bytes (the data of an escape is not terminated); 0 for a null pointer.
DWORD LineLength(const char* text, DWORD length);

// Matches known line `row` (0 the page line, 1 the line-removal comment)
// against data, continuing a partial match pending in state. The result is
// left in state.result; the answer is the start of the line in data (results
// 1 and 2), the bytes of data that completed it (3), 0 (4, and 2 when a
// pending match grows), or length (no match).
DWORD MatchPassthroughLine(const BYTE* data, DWORD length, int row, PassthroughMatch& state);

// The known lines.
const char* PassthroughLineText(int row);
DWORD PassthroughLineLength(int row);

// Filters one passthrough call's data into the job. Answers length (1 for
// data walked for its page structure), -1 when a write to the job failed.
int FilterAppPostScript(PDEV* pdev, const BYTE* data, DWORD length);

// Passes on the tail of the last call that was held back because it began a
// structure comment; before anything else is written after the application's
// data (the job end, an embedded document's header). False when the write
// failed.
bool FlushHeldAppPostScript(PDEV* pdev);
