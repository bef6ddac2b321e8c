// What the filter of application PostScript keeps between the application's
// passthrough calls of one job.
#pragma once

#include "platform/base/types.h"

// Result of matching a known line against one call's data.
constexpr int kLineNoMatch = 0;
constexpr int kLineMatched = 1;       // the whole line lies in the data
constexpr int kLinePartialAtEnd = 2;  // the data ends inside the line
constexpr int kLineCompleted = 3;     // a pending partial line is completed by this data
constexpr int kLineBroken = 4;        // a pending partial line is not continued by this data

struct PassthroughMatch {
  int result = kLineNoMatch;
  int row = 0;        // the known line pending
  DWORD matched = 0;  // bytes of it seen so far
};

// The largest tail of one call that may still become a structure comment or the
// removed word once the next call's data follows it.
constexpr DWORD kHeldMarkerMax = 16;

struct PassthroughFilterState {
  WORD foundLine = 0;  // 0 none yet, 1 the page line, 2 the line-removal comment
  PassthroughMatch match;
  int saveCountdown = 0;                 // calls in which "save" is still looked for
  DWORD heldBytes = 0;                   // bytes diverted to the held-text channel
  BOOL embeddedDocument = FALSE;         // inside an embedded document: data passes unchanged
  BOOL midLine = FALSE;                  // the last byte passed on did not end a line
  BYTE heldMarker[kHeldMarkerMax] = {};  // a call's tail that begins a marker, not yet passed on
  DWORD heldMarkerLength = 0;
};
