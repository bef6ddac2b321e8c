// What the text writer remembers per device context: the font last made
// current in the printer for PCL text (or PostScript) and for HP-GL/2 labels,
// with their whole names, so that a run in the same font selects nothing.
#pragma once

#include "platform/base/types.h"

constexpr size_t kTextFontNameSize = 260;

// One current font. It is in force only while the matching row of
// PDEV::carried.savedTextStates holds kTextStateInForce: the page end, a printer reset
// and the undefining of downloaded fonts clear those rows, and with them every
// font the printer had current.
struct TextFontState {
  char name[kTextFontNameSize] = {};
  LONG height = 0;
  LONG weight = 0;
  LONG style = 0;
};

constexpr DWORD kTextStateInForce = 0x54455854;  // "TEXT"
constexpr int kPclTextState = 0;                 // PCL text, or the PostScript font
constexpr int kHpglLabelState = 1;               // HP-GL/2 labels

struct TextWriterState {
  TextFontState fonts[2];
};
