// Making room in the printer by undefining the document's downloaded fonts.
#pragma once

#include "graphics/output/download/font_download.h"

// Undefines every downloaded font in the printer and forgets the records.
void UndefineDownloadedFonts(PDEV* pdev);
