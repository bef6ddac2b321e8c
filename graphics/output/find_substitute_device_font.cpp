// Choosing a printer font for a TrueType font comes with the installed fonts:
// until then no TrueType font has a substitute. Kept apart so that the real
// choice (or a test's) replaces it.
#include "graphics/output/font_substitution.h"

int FindSubstituteDeviceFont(PDEV*, FONTOBJ*, TextRunContext*) { return -1; }
