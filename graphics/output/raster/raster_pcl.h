// Bitmaps as PCL raster graphics, one bit a pixel, and what the PCL raster
// writer carries between images of a device context.
#pragma once

#include "graphics/output/raster/raster_image.h"
#include "platform/base/types.h"

struct PDEV;

// The writers answer 1, or 0 without output for a missing PDEV, descriptor or
// rectangle, a source rectangle outside the descriptor's bitmap or an empty
// one, and 0 for an unsupported depth or when memory runs out.

// PCL raster graphics, one bit a pixel. Without greyPath only 1-bit sources
// are taken; with it every depth, dithered, scaled to the destination.
BOOL WritePclRaster(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest,
                    DWORD rop3, BOOL greyPath);
// A 1-bit mask painted in the current pattern (PCL raster with a transparent
// source): ink where the bits are set, or clear when inkWhereSet is false;
// nothing anywhere else.
BOOL WritePclMask(PDEV* pdev, const ImageDescriptor* image, const ImageRect* source, const ImageRect* dest, DWORD rop3,
                  BOOL inkWhereSet);

// A new page: rows carried from an image of the previous page never continue.
void ResetRasterPageState(PDEV* pdev);
// Frees the carried band (FreePdev).
void FreeRasterState(PDEV* pdev);
// After CopyJobState copied the writers' state to the new PDEV of a reset, the
// carried band belongs to the new one.
void DetachRasterState(PDEV* pdev);
