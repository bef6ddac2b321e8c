// Letting go of the document's font lists without output.
#pragma once

struct PDEV;

// Drops the PDEV's hold on its downloaded-font list and composite-font table
// (each freed, without output, when no one else holds it) and clears both
// pointers.
void ReleaseFontLists(PDEV* pdev);
