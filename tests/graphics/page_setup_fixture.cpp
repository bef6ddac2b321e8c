#include "tests/graphics/page_setup_fixture.h"

#include "common/pdl_kind.h"

namespace graphicstest {

PdevPtr PageSetupTest::Make(bool postScript, const DevmodeChange& change) {
  HANDLE& printer = postScript ? postScriptPrinter_ : pclPrinter_;
  if (printer == 0) {
    printer = postScript ? InstallOnFile(kColourModel, kPdlPs3, "Page Setup PS")
                         : InstallOnFile(kMonoModel, kPdlPcl5e, "Page Setup PCL");
  }
  return Pdev(printer, [&](XDEVMODE& dm) {
    dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
    dm.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPublic.dmPrintQuality = 600;
    dm.dmPublic.dmYResolution = 600;
    dm.dmPrivate._nMarginType = 1;  // the paper's margins (the default prints edge to edge)
    if (change) change(dm);
  });
}

PdevPtr PageSetupTest::PostScriptPdev(const DevmodeChange& change) { return Make(true, change); }
PdevPtr PageSetupTest::PclPdev(const DevmodeChange& change) { return Make(false, change); }

}  // namespace graphicstest
