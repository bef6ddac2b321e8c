// The graphics library's entry points run in the test's own process: the
// library enabled as the engine enables it, with the test program standing in
// for its module, on printers of the shipped models.
#pragma once

#include <memory>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/ddi/ddi_functions.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {

struct DisablePdev {
  void operator()(PDEV* pdev) const {
    if (pdev) DrvDisablePDEV(reinterpret_cast<DHPDEV>(pdev));
  }
};
using EnabledPdev = std::unique_ptr<PDEV, DisablePdev>;

class DdiPrinterTest : public GraphicsPrinterTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // DrvEnablePDEV as the engine calls it, with `devmode` (null: none) and
  // full-size GDIINFO and DEVINFO blocks.
  EnabledPdev Enable(HANDLE printer, XDEVMODE* devmode, GDIINFO* gdiInfo = nullptr, DEVINFO* devInfo = nullptr);

  // A spooler job on the printer handle, as the engine opens one before
  // DrvStartDoc; its bytes go to the file (Windows path) when it ends.
  void StartSpoolerJob(HANDLE printer, const std::string& windowsOutput);
  void EndSpoolerJob(HANDLE printer);
  // The bytes of a file on the machine (empty when it does not exist).
  std::string ReadMachineFile(const std::string& windowsPath);

  // Frees the substitution tables the library built for documents that ended
  // in this process: the recording FreeFontSubstitution of these tests only
  // records them.
  void FreeRecordedSubstitutionTables();
};

SURFOBJ SurfaceOf(PDEV* pdev);

}  // namespace graphicstest
