// The drawing entries in the test's own process, as the engine drives them: a
// PDEV of a shipped model enabled on an engine device (whose services call the
// library back through DrvCopyBits and DrvRealizeBrush) with its device
// surface, and recording stand-ins for the vector, raster and text writers
// (the job-stream bytes the library writes itself are read from the PDEV's
// buffer).
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/engine.h"
#include "tests/graphics/ddi_fixture.h"
#include "tests/graphics/fake_raster_writer.h"
#include "tests/graphics/fake_text_writer.h"
#include "tests/graphics/fake_vector_writer.h"

namespace graphicstest {

class DrawingTest : public DdiPrinterTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Enables a PDEV of the colour model printing PostScript, or of the
  // monochrome model printing PCL, on a fresh engine device; the recording
  // writers are emptied.
  void Open(bool postScript);

  PDEV* pdev() const { return pdev_.get(); }
  SURFOBJ* surface() const { return surface_; }
  HDEV device() const { return device_; }

  // The job-stream bytes written since Open (or since the last Mark).
  std::string Written() const;
  void Mark();

  // The hatch, pattern and solid brushes of the engine, realised on this
  // device.
  std::unique_ptr<platform::gdi::Brush> Solid(ULONG rgb);
  std::unique_ptr<platform::gdi::Brush> Hatch(ULONG style, ULONG foreground, ULONG background);

 private:
  HANDLE colour_ = 0;
  HANDLE mono_ = 0;
  HDEV device_ = 0;
  EnabledPdev pdev_;
  SURFOBJ* surface_ = nullptr;
  DWORD mark_ = 0;
};

// A bitmap surface the engine owns (deleted with the object).
class Bitmap {
 public:
  Bitmap(LONG cx, LONG cy, ULONG format, bool topDown = true);
  ~Bitmap();
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  SURFOBJ* get() const { return so_; }
  BYTE* Row(LONG y) const;  // row y, counted from the top

 private:
  HSURF handle_ = 0;
  SURFOBJ* so_ = nullptr;
};

}  // namespace graphicstest
