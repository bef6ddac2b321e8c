// The halftone setting as a settings profile keeps it: "mode,frequency,angle".
#pragma once

#include <string>

#include "platform/base/types.h"

struct HalftoneSetting {
  INT mode;  // 1: the printer's own screen; 0: the screen below
  SHORT frequency;
  SHORT angle;
};
static_assert(sizeof(HalftoneSetting) == 8);

// Three decimal numbers separated by ",", all required. Answers 1; 0 (record
// unchanged) for a null argument or any other text.
int ParseHalftoneRecord(HalftoneSetting* record, const char* value);

// The stored text: with the printer's screen only the mode counts, so the other
// two are written as 0.
std::string FormatHalftoneRecord(const HalftoneSetting& record);
