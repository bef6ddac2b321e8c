// GDI names a device font by its index iFace, 1 to the number of fonts the
// PDEV offered (DEVINFO.cFonts); 0 and anything above are no device font.
#pragma once

#include "graphics/core/pdev.h"
#include "graphics/output/fonts/device_fonts.h"

// The entry of device font iFace, or null when the PDEV has no such font (or
// the entry has no metrics block).
inline const DeviceFontEntry* FindDeviceFont(const PDEV* pdev, ULONG iFace) {
  if (!pdev || iFace == 0) return nullptr;
  const DeviceFontList* list = pdev->carried.deviceFonts;
  if (!list || !list->entries || iFace > list->count) return nullptr;
  const DeviceFontEntry& entry = list->entries[iFace - 1];
  return entry.metrics ? &entry : nullptr;
}
