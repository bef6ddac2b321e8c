// Printers of the shipped models on file ports, PDEVs with a device mode the
// test changes (settled as DrvEnablePDEV settles it), and spooler jobs whose
// bytes are read back from the port: the ground the device-settings tests
// stand on.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {

// "ESC" in a literal stands for the escape byte.
std::string Esc(std::string text);

// A whole PCL job around settings text: the job line, the settings (which
// enter PCL themselves), a reset and the end of the job.
std::string FramedPclJob(const std::string& settings);

class DeviceSettingsTest : public GraphicsPrinterTest {
 protected:
  void TearDown() override;

  // A printer of data/models/<file> named `name`, printing to the file port
  // C:\Ports\<name>.prn, with printer language pdl (model variant 0).
  HANDLE InstallOnFile(const std::string& file, WORD pdl, const std::string& name);
  // The same from model-description text (UTF-8).
  HANDLE InstallTextOnFile(const std::string& utf8Text, WORD pdl, const std::string& name);

  // A PDEV of the printer with the driver's default device mode for it,
  // changed by `change`, settled by MergeDevmode. The job line of the header
  // counts as written, as it is when the device settings come.
  PdevPtr Pdev(HANDLE printer, const std::function<void(XDEVMODE&)>& change = {});

  // Runs `write` inside a spooler job of the PDEV's printer and answers the
  // bytes that reached the printer's port.
  std::string Print(PDEV* pdev, const std::function<void()>& write);

 private:
  HANDLE InstallPath(const std::string& modelPath, WORD pdl, const std::string& name);
  std::vector<HANDLE> printers_;
};

}  // namespace graphicstest
