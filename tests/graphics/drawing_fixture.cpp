#include "tests/graphics/drawing_fixture.h"

#include <gtest/gtest.h>

#include "common/pdl_kind.h"
#include "graphics/ddi/ddi_functions.h"
#include "platform/gdi/eng_services.h"

namespace graphicstest {

void DrawingTest::SetUp() {
  DdiPrinterTest::SetUp();
  FakeVectorWriter().Reset();
  FakeRasterWriter().Reset();
  FakeTextWriter().Reset();
}

void DrawingTest::TearDown() {
  if (pdev_) {
    DrvDisableSurface(reinterpret_cast<DHPDEV>(pdev_.get()));
    pdev_.reset();
  }
  if (device_) platform::gdi::DeleteDevice(device_);
  device_ = 0;
  surface_ = nullptr;
  // The machine goes with the test: its printers too.
  colour_ = mono_ = 0;
  FakeVectorWriter().Reset();
  FakeRasterWriter().Reset();
  FakeTextWriter().Reset();
  DdiPrinterTest::TearDown();
}

void DrawingTest::Open(bool postScript) {
  HANDLE& printer = postScript ? colour_ : mono_;
  if (!printer)
    printer = postScript ? Install(kColourModel, "Colour", kPdlPs3, 1) : Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  platform::gdi::DriverCallbacks callbacks;
  callbacks.copyBits = DrvCopyBits;
  callbacks.realizeBrush = DrvRealizeBrush;
  device_ = platform::gdi::CreateDevice(callbacks);
  ASSERT_NE(device_, 0u);
  XDEVMODE devmode = DriverLayout(postScript ? kPdlPs3 : kPdlPcl5e);
  GDIINFO gdi{};
  DEVINFO dev{};
  DHPDEV dhpdev = DrvEnablePDEV(&devmode, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi), sizeof dev,
                                &dev, device_, nullptr, printer);
  ASSERT_NE(dhpdev, nullptr) << GetLastError();
  pdev_.reset(reinterpret_cast<PDEV*>(dhpdev));
  platform::gdi::SetDevicePdev(device_, dhpdev);
  platform::gdi::SetDeviceHalftoneFormat(device_, gdi.ulHTOutputFormat);
  DrvCompletePDEV(dhpdev, device_);
  HSURF hsurf = DrvEnableSurface(dhpdev);
  ASSERT_NE(hsurf, 0u);
  surface_ = platform::gdi::SurfaceObject(hsurf);
  ASSERT_NE(surface_, nullptr);
  FakeVectorWriter().Reset();
  FakeRasterWriter().Reset();
  FakeTextWriter().Reset();
  Mark();
}

void DrawingTest::Mark() { mark_ = pdev_->output.fill; }

std::string DrawingTest::Written() const {
  EXPECT_EQ(pdev_->output.channels[0].bytesWritten, 0u) << "the buffer was flushed; the test sees only its tail";
  if (pdev_->output.fill < mark_) return {};
  return std::string(reinterpret_cast<const char*>(pdev_->output.buffer) + mark_, pdev_->output.fill - mark_);
}

std::unique_ptr<platform::gdi::Brush> DrawingTest::Solid(ULONG rgb) { return platform::gdi::Brush::Solid(rgb); }

std::unique_ptr<platform::gdi::Brush> DrawingTest::Hatch(ULONG style, ULONG foreground, ULONG background) {
  return platform::gdi::Brush::Hatch(style, foreground, background, surface_);
}

Bitmap::Bitmap(LONG cx, LONG cy, ULONG format, bool topDown) {
  handle_ = static_cast<HSURF>(EngCreateBitmap(SIZEL{cx, cy}, 0, format, topDown ? BMF_TOPDOWN : 0, nullptr));
  so_ = platform::gdi::SurfaceObject(handle_);
}

Bitmap::~Bitmap() {
  if (handle_) EngDeleteSurface(handle_);
}

BYTE* Bitmap::Row(LONG y) const { return static_cast<BYTE*>(so_->pvScan0) + static_cast<ptrdiff_t>(y) * so_->lDelta; }

}  // namespace graphicstest
