// Shared by the installer's tests: a fresh machine with the built settings
// library bound as the installer binds it (and as the driver's readers bind it),
// the installer's strings, printers on a file port or a loopback TCP port, the
// boxes shown, and small soft fonts made to order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/ui/message_box.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/settings_library.h"

namespace installertest {

using Bytes = std::vector<uint8_t>;

// The model every test printer is installed from, and its section of the user stores.
constexpr const char* kModelFile = "nardo-c5545.ini";
constexpr const char* kHostSection = "HostInfo\\Nardo Page C5545";

class InstallerTest : public testsupport::FreshMachine {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Installs a printer on the port ("C:\\Ports\\out.prn", "127.0.0.1:<port>").
  void InstallPrinter(const std::string& name, const std::string& port = "C:\\Ports\\out.prn");
  HANDLE OpenPrinterForTest(const std::string& name);

  void WriteFile(const std::string& windowsPath, const Bytes& bytes);
  Bytes ReadFile(const std::string& windowsPath);
  bool FileExists(const std::string& windowsPath);
  // The folders of DBGetPath.
  std::string Folder(int which);

  const SettingsFunctions& Store() const;

  std::vector<platform::MessageBoxRequest> boxes;
  testsupport::SettingsLibrary settings;

 private:
  std::vector<HANDLE> opened_;
};

// ---- Soft fonts made to order ----------------------------------------------------

struct DescriptorSpec {
  int size = 64;
  int format = 0;
  int baseline = 40;
  int cellWidth = 30;
  int cellHeight = 50;
  int orientation = 0;
  int spacing = 0;
  int symbolSet = 277;
  int pitch = 100;   // quarter dots
  int height = 200;  // quarter dots
  int style = 0;
  int strokeWeight = 0;
  int typeface = 3;
  int serif = 0;
  int underlinePosition = -3;
  int underlineThickness = 2;
  int textHeight = 60;
  int textWidth = 100;
  int firstCode = 32;
  int lastCode = 126;
  int capHeight = 35;
  std::string name = "TestFont";
  int xResolution = 300;
  int yResolution = 300;
};

struct GlyphSpec {
  int code = 'A';
  int left = 1;
  int top = 30;
  int width = 10;
  int height = 3;
  int deltaX = 48;  // quarter dots
  int glyphClass = 1;
  Bytes raster;  // empty: ones in every row byte, uncompressed
};

Bytes DescriptorBytes(const DescriptorSpec& spec);
Bytes SoftFont(const DescriptorSpec& spec, const std::vector<GlyphSpec>& glyphs);
Bytes Text(const std::string& text);
Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace installertest
