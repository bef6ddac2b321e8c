// Programs that print in their own way: the PDEV remembers the version of a
// document reader ("AcroRD32", "AcroEx32", "Acrobat") or of the page layout
// program ("pm70", "pm70j", "pm65", "pm65j", "pm6", "pm6j") that owns the job's
// device mode, so that the resolution it is told and the watermark capture can
// follow its habits.
#pragma once

struct PDEV;

// Sets the PDEV's acrobatVersion or pageMakerVersion to the device mode's
// application version when the device mode's application path (its file name
// without extension, compared without regard to case) names one of those
// programs; leaves both alone otherwise.
void ApplyApplicationQuirks(PDEV* pdev);
