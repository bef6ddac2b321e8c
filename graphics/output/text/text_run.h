// The working record of one glyph run, which the pieces of the text writer (the
// stretch writer, the font selection and the helpers they share) pass between
// them.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/gdi/engine_objects.h"

// The working record of one run, made fresh for every run.
struct TextRunContext {
  DWORD codePage = 0;
  DWORD download = 0;     // the characters go through a downloaded font
  int substitute = -1;    // index of the printer font that replaces a TrueType font
  DWORD printerFont = 0;  // printed with a printer font (a device font or a substitute)
  DWORD outline = 0;      // DownloadAsOutline
  DWORD scalable = 0;
  DWORD positioned = 0;  // every glyph carries its own position
  XFORMOBJ* xform = nullptr;
  ULONG xformKind = 0;
  float eM11 = 0, eM12 = 0, eM21 = 0, eM22 = 0, eDx = 0, eDy = 0;
  DWORD rotated = 0;
  int angle = 0;  // 0, 90, 180, 270, or -1 for any other angle
  DWORD anisotropic = 0;
  // The run's text in its code page, character by character (start and length
  // of each character's bytes), and for each character whether it had no code
  // there. Filled by ConvertRunToCodePage for the batch in hand.
  std::string multibyte;
  std::u16string roundTrip;
  std::vector<int> charStart;
  std::vector<int> charLength;
  std::vector<unsigned char> fellBack;
  int readPosition = 0;  // the character of the batch the next stretch starts at
  DWORD dbcs = 0;
  RECTL textBounds{};  // the run's box on the page (the STROBJ's background)
};
