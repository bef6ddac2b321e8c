#include "tests/fontinstaller/installer_test_support.h"

#include <fstream>
#include <iterator>

#include "fontinstaller/installer_module.h"
#include "interface/app/library_state.h"
#include "platform/base/codepage.h"
#include "platform/base/machine.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tools/machinesetup/printer_install.h"

namespace installertest {

void InstallerTest::SetUp() {
  FreshMachine::SetUp();
  ASSERT_TRUE(settings.Load(machinesetup::BuiltDriverFolder()));
  fontinstaller::InstallerSettings() = settings.Functions();
  LibrarySettings() = settings.Functions();
  // The test program carries the installer's strings.
  fontinstaller::InstallerInstance() = GetModuleHandleA(nullptr);
  platform::SetMessageBoxHandler([this](const platform::MessageBoxRequest& request) {
    boxes.push_back(request);
    return platform::DefaultMessageBoxButton(request.type);
  });
  std::filesystem::create_directories(Host("C:\\Ports"));
  std::filesystem::create_directories(Host("C:\\Work"));
}

void InstallerTest::TearDown() {
  for (HANDLE printer : opened_) ClosePrinter(printer);
  opened_.clear();
  platform::SetMessageBoxHandler(nullptr);
  fontinstaller::InstallerSettings() = SettingsFunctions{};
  LibrarySettings() = SettingsFunctions{};
  settings.Unload();
  FreshMachine::TearDown();
}

void InstallerTest::InstallPrinter(const std::string& name, const std::string& port) {
  machinesetup::PrinterSpec spec;
  spec.printerName = name;
  spec.modelDescription = std::filesystem::path(ZEL_SOURCE_DIR) / "data/models" / kModelFile;
  spec.driverFolder = machinesetup::BuiltDriverFolder();
  spec.port = port;
  std::string error;
  ASSERT_TRUE(machinesetup::InstallPrinter(spec, error)) << error;
}

HANDLE InstallerTest::OpenPrinterForTest(const std::string& name) {
  std::string printerName = name;
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = 0;
  EXPECT_TRUE(OpenPrinterA(printerName.data(), &printer, &defaults));
  if (printer) opened_.push_back(printer);
  return printer;
}

void InstallerTest::WriteFile(const std::string& windowsPath, const Bytes& bytes) {
  const std::filesystem::path path = Host(windowsPath);
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes InstallerTest::ReadFile(const std::string& windowsPath) {
  std::ifstream in(Host(windowsPath), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool InstallerTest::FileExists(const std::string& windowsPath) { return std::filesystem::exists(Host(windowsPath)); }

std::string InstallerTest::Folder(int which) {
  char folder[MAX_PATH] = {};
  EXPECT_EQ(Store().GetPath(which, folder, sizeof folder), 0u);
  return folder;
}

const SettingsFunctions& InstallerTest::Store() const { return fontinstaller::InstallerSettings(); }

namespace {
void Put16(Bytes& out, size_t at, int value) {
  out[at] = static_cast<uint8_t>((value >> 8) & 0xFF);
  out[at + 1] = static_cast<uint8_t>(value & 0xFF);
}
}  // namespace

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes DescriptorBytes(const DescriptorSpec& s) {
  Bytes d(static_cast<size_t>(s.size), 0);
  Put16(d, 0, s.size);
  d[2] = static_cast<uint8_t>(s.format);
  Put16(d, 6, s.baseline);
  Put16(d, 8, s.cellWidth);
  Put16(d, 10, s.cellHeight);
  d[12] = static_cast<uint8_t>(s.orientation);
  d[13] = static_cast<uint8_t>(s.spacing);
  Put16(d, 14, s.symbolSet);
  Put16(d, 16, s.pitch);
  Put16(d, 18, s.height);
  d[23] = static_cast<uint8_t>(s.style);
  d[24] = static_cast<uint8_t>(static_cast<int8_t>(s.strokeWeight));
  d[25] = static_cast<uint8_t>(s.typeface & 0xFF);
  d[26] = static_cast<uint8_t>((s.typeface >> 8) & 0xFF);
  d[27] = static_cast<uint8_t>(s.serif);
  d[30] = static_cast<uint8_t>(static_cast<int8_t>(s.underlinePosition));
  d[31] = static_cast<uint8_t>(s.underlineThickness);
  Put16(d, 32, s.textHeight);
  Put16(d, 34, s.textWidth);
  Put16(d, 36, s.firstCode);
  Put16(d, 38, s.lastCode);
  Put16(d, 42, s.capHeight);
  std::string name = s.name;
  name.resize(16, ' ');
  std::copy(name.begin(), name.end(), d.begin() + 48);
  if (s.size >= 68) {
    Put16(d, 64, s.xResolution);
    Put16(d, 66, s.yResolution);
  }
  return d;
}

Bytes SoftFont(const DescriptorSpec& spec, const std::vector<GlyphSpec>& glyphs) {
  const Bytes descriptor = DescriptorBytes(spec);
  Bytes out = Concat({Text("\x1B)s" + std::to_string(descriptor.size()) + "W"), descriptor});
  for (const GlyphSpec& g : glyphs) {
    Bytes raster = g.raster;
    if (raster.empty()) raster.assign(static_cast<size_t>((g.width + 7) / 8 * g.height), 0xFF);
    Bytes c(16, 0);
    c[0] = 4;
    c[1] = 0;
    c[2] = 14;
    c[3] = static_cast<uint8_t>(g.glyphClass);
    Put16(c, 6, g.left);
    Put16(c, 8, g.top);
    Put16(c, 10, g.width);
    Put16(c, 12, g.height);
    Put16(c, 14, g.deltaX);
    out = Concat({out, Text("\x1B*c" + std::to_string(g.code) + "E"),
                  Text("\x1B(s" + std::to_string(16 + raster.size()) + "W"), c, raster});
  }
  return out;
}

}  // namespace installertest
