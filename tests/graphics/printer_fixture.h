// A fresh machine with the settings library bound as the graphics library binds
// it, the library's description cache started, and printers installed from the
// shipped model descriptions (or from text a test writes), with the printer data
// that decides their model record: language, variant and configuration counter.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/core/pdev.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace graphicstest {

inline constexpr char kColourModel[] = "nardo-c5545.ini";  // PostScript 3 and PCL, edge to edge
inline constexpr char kMonoModel[] = "nardo-m3020.ini";    // PCL only, no edge-to-edge printing

struct PdevDeleter {
  void operator()(PDEV* pdev) const { FreePdev(pdev); }
};
using PdevPtr = std::unique_ptr<PDEV, PdevDeleter>;

// A device mode of the driver's layout as an application hands it in.
XDEVMODE DriverLayout(WORD pdl);

// The Windows path (ANSI) of a module the tests build (tests/platform/fixtures).
std::string TestModulePath(const std::string& file);

class GraphicsPrinterTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs data/models/<file> under the name (ANSI) and opens it; the printer
  // data then says its language, variant and a counter of 6. A graphics library
  // path (Windows) replaces the driver folder's as the driver file.
  HANDLE Install(const std::string& file, const std::string& name, WORD pdl, DWORD variant,
                 const std::string& graphicsLibrary = "");
  // The same from model-description text (UTF-8, written in the ANSI code page).
  HANDLE InstallText(const std::string& utf8Text, const std::string& name, WORD pdl, DWORD variant,
                     const std::string& graphicsLibrary = "");

  void SetPrinterDword(HANDLE printer, const char* section, const char* key, DWORD value);
  void DeletePrinterValue(HANDLE printer, const char* section, const char* key);
  // Stores a device mode as the printer's global one (level 8) or the current
  // user's (level 9); null removes it.
  void StoreDevmode(HANDLE printer, DWORD level, const XDEVMODE* devmode);

  // A PDEV as DrvEnablePDEV has it before its device mode is settled: printer
  // handle and name, and its own copy of the printer's model record.
  PdevPtr NewPdev(HANDLE printer, const std::string& name);

  testsupport::SettingsLibrary db;

 private:
  HANDLE InstallFile(const std::filesystem::path& model, const std::string& name, WORD pdl, DWORD variant,
                     const std::string& graphicsLibrary);
  HANDLE Open(const std::string& name);
  std::vector<HANDLE> opened_;
};

}  // namespace graphicstest
