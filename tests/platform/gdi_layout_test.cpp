// Driver-facing layouts: the graphics library reads these at fixed offsets.
#include <gtest/gtest.h>

#include <cstddef>

#include "platform/gdi/driver_functions.h"

namespace {

struct LayoutCase {
  const char* field;
  size_t actual;
  size_t expected;
};

TEST(GdiLayout, SizesAndOffsetsMatchThe32BitLayout) {
  const LayoutCase cases[] = {
      {"sizeof GDIINFO", sizeof(GDIINFO), 304},
      {"GDIINFO.ptlPhysOffset", offsetof(GDIINFO, ptlPhysOffset), 88},
      {"GDIINFO.szlPhysSize", offsetof(GDIINFO, szlPhysSize), 96},
      {"GDIINFO.ulHTOutputFormat", offsetof(GDIINFO, ulHTOutputFormat), 240},
      {"sizeof DEVINFO", sizeof(DEVINFO), 300},
      {"DEVINFO.cFonts", offsetof(DEVINFO, cFonts), 280},
      {"DEVINFO.hpalDefault", offsetof(DEVINFO, hpalDefault), 292},
      {"sizeof LOGFONTW", sizeof(LOGFONTW), 92},
      {"sizeof IFIMETRICS", sizeof(IFIMETRICS), 184},
      {"IFIMETRICS.flInfo", offsetof(IFIMETRICS, flInfo), 48},
      {"IFIMETRICS.fwdUnitsPerEm", offsetof(IFIMETRICS, fwdUnitsPerEm), 56},
      {"IFIMETRICS.fwdMaxCharInc", offsetof(IFIMETRICS, fwdMaxCharInc), 78},
      {"IFIMETRICS.rclFontBox", offsetof(IFIMETRICS, rclFontBox), 144},
      {"IFIMETRICS.panose", offsetof(IFIMETRICS, panose), 172},
      {"sizeof FD_DEVICEMETRICS", sizeof(FD_DEVICEMETRICS), 124},
      {"sizeof COLORADJUSTMENT", sizeof(COLORADJUSTMENT), 24},
      {"sizeof CLIPOBJ", sizeof(CLIPOBJ), 24},
      {"sizeof FONTSIM", sizeof(FONTSIM), 12},
      {"sizeof FONTDIFF", sizeof(FONTDIFF), 20},
      {"sizeof HSURF", sizeof(HSURF), 4},
      {"sizeof HPALETTE", sizeof(HPALETTE), 4},
  };
  for (const LayoutCase& c : cases) EXPECT_EQ(c.actual, c.expected) << c.field;
  EXPECT_GE(sizeof(DRVENABLEDATA), 12u);
  if (sizeof(void*) == 4) {
    EXPECT_EQ(sizeof(GLYPHDATA), 60u);
    EXPECT_EQ(sizeof(DRVENABLEDATA), 12u);
    EXPECT_EQ(sizeof(DRVFN), 8u);
  }
}

}  // namespace
