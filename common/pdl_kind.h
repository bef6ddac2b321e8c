// The printer-language word: which page description languages a printer, a job or
// a font speaks. A word may hold several languages at once (a model's language
// mask is the OR of its languages), so writers test it against the family masks
// rather than comparing it with one value.
#pragma once

#include "platform/base/types.h"

enum PdlKind : WORD {
  kPdlPs1 = 0x0001,
  kPdlPs2 = 0x0003,  // also "PS"
  kPdlPs3 = 0x0103,
  kPdlPcl5 = 0x0004,
  kPdlPcl5e = 0x000C,  // also "PCL"
  kPdlPcl5si = 0x008C,
  kPdlPclXl = 0x4000,
};

// Any bit of these makes a word PostScript, respectively of the PCL family
// (PCL 5 or PCL XL), respectively PCL 5 (the family without PCL XL).
constexpr WORD kPdlPostScriptMask = 0x0103;
constexpr WORD kPdlPclFamilyMask = 0x408C;
constexpr WORD kPdlPcl5Mask = 0x008C;

// The word a PCL printer gets when nothing else is known about it.
constexpr WORD kPdlDefaultPrinter = kPdlPcl5si;

constexpr bool IsPostScriptPdl(DWORD pdl) { return (pdl & kPdlPostScriptMask) != 0; }
constexpr bool IsPclFamilyPdl(DWORD pdl) { return (pdl & kPdlPclFamilyMask) != 0; }
