// Printers of the shipped models with PDEVs settled from a changed default
// device mode, for the page set-up, page end and overlay tests: the colour
// model in PostScript, the mono model in PCL, and the bytes a piece of the
// job writes, read back from the printer's port.
#pragma once

#include <functional>
#include <string>

#include "common/xdevmode.h"
#include "tests/graphics/device_settings_fixture.h"

namespace graphicstest {

using DevmodeChange = std::function<void(XDEVMODE&)>;

class PageSetupTest : public DeviceSettingsTest {
 public:
  // What `write` sends to the printer.
  std::string Bytes(PDEV* pdev, const std::function<void()>& write) { return Print(pdev, write); }

 protected:
  // Letter, portrait, 600 dpi, then `change`.
  PdevPtr PostScriptPdev(const DevmodeChange& change = {});
  PdevPtr PclPdev(const DevmodeChange& change = {});

 private:
  PdevPtr Make(bool postScript, const DevmodeChange& change);
  HANDLE postScriptPrinter_ = 0;
  HANDLE pclPrinter_ = 0;
};

}  // namespace graphicstest
