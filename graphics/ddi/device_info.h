// What a device context tells the engine about its device: the GDIINFO (page
// size, printable area, resolution, colour and halftone facts) and the DEVINFO
// (graphics capabilities, default fonts, palette).
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/ddi_types.h"

struct PDEV;

// The scale of the device mode in percent as the page is laid out with it: the
// device mode's own when it is 10-400, else 100 (the rule the device-mode merge
// applies), so that a scale of 0 never divides.
int SettledScale(const PDEV* pdev);

// Fills the GDIINFO of the PDEV and copies at most min(size, 304) bytes of it to
// out (null: nothing is copied). The PDEV's surface size becomes the printable
// area in pixels. Does nothing without a PDEV or model record.
void FillGdiInfo(PDEV* pdev, ULONG size, ULONG* out);

// Fills the DEVINFO of the PDEV and copies at most min(size, 300) bytes of it to
// out (null: nothing is copied). Creates the PDEV's default palette (deleting
// one it had). FALSE without a PDEV or when the palette cannot be made.
BOOL FillDevInfo(PDEV* pdev, ULONG size, DEVINFO* out);

// The character set of a code page, as TranslateCharsetInfo answers it with
// TCI_SRCCODEPAGE; false for a code page without one.
bool CharsetOfCodePage(UINT codePage, BYTE* charset);
