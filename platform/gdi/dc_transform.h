// Logical to device coordinates of a DC: the world transform, then the map mode.
#pragma once

#include "platform/gdi/device_context.h"

namespace platform::gdi {

struct PagePoint {
  double x;
  double y;
};
struct PageScale {
  double x;
  double y;
};

PageScale PageScaleOf(const DeviceContext& dc);
// A logical point in device pixels.
PagePoint ToDevice(const DeviceContext& dc, double x, double y);
// Device pixels in 28.4, rounded half away from zero.
POINTFIX ToFix(const PagePoint& p);
// How many device pixels one logical unit spans (for pen widths).
double DeviceScale(const DeviceContext& dc);

}  // namespace platform::gdi
