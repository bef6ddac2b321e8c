#include "tests/graphics/ddi_fixture.h"

#include <fstream>
#include <iterator>

#include "graphics/ddi/driver_library.h"
#include "graphics/output/fonts/font_substitution.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/codepage.h"
#include "platform/base/modules.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/fake_device_fonts.h"

namespace graphicstest {

void DdiPrinterTest::SetUp() {
  GraphicsPrinterTest::SetUp();
  DRVENABLEDATA data{};
  ASSERT_TRUE(EnableGraphicsDriver(0x20000, sizeof data, &data));
  SetGraphicsModule(GetModuleHandleA(nullptr));
}

void DdiPrinterTest::TearDown() {
  FreeRecordedSubstitutionTables();
  DisableGraphicsDriver();
  SetGraphicsModule(0);
  GraphicsPrinterTest::TearDown();
}

EnabledPdev DdiPrinterTest::Enable(HANDLE printer, XDEVMODE* devmode, GDIINFO* gdiInfo, DEVINFO* devInfo) {
  GDIINFO gdi{};
  DEVINFO dev{};
  DHPDEV dhpdev = DrvEnablePDEV(devmode, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi), sizeof dev,
                                &dev, 0, nullptr, printer);
  if (gdiInfo) *gdiInfo = gdi;
  if (devInfo) *devInfo = dev;
  return EnabledPdev(reinterpret_cast<PDEV*>(dhpdev));
}

void DdiPrinterTest::StartSpoolerJob(HANDLE printer, const std::string& windowsOutput) {
  std::u16string name = u"test document";
  std::u16string output = platform::ToUtf16(windowsOutput);
  std::u16string datatype = u"RAW";
  DOC_INFO_1W info{name.data(), output.data(), datatype.data()};
  ASSERT_NE(StartDocPrinterW(printer, 1, reinterpret_cast<LPBYTE>(&info)), 0u) << GetLastError();
}

void DdiPrinterTest::EndSpoolerJob(HANDLE printer) { EXPECT_TRUE(EndDocPrinter(printer)) << GetLastError(); }

std::string DdiPrinterTest::ReadMachineFile(const std::string& windowsPath) {
  std::ifstream in(Host(windowsPath), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void DdiPrinterTest::FreeRecordedSubstitutionTables() {
  for (FontSubstitutionTable* table : Fonts().substitutionsFreed) {
    bool token = false;
    for (int n = 0; n < 16; ++n) token = token || table == FakeSubstitutionTable(n);
    if (!token) GraphicsHeapFree(table);
  }
  Fonts().substitutionsFreed.clear();
}

SURFOBJ SurfaceOf(PDEV* pdev) {
  SURFOBJ surface{};
  surface.dhpdev = reinterpret_cast<DHPDEV>(pdev);
  surface.iType = STYPE_DEVICE;
  return surface;
}

}  // namespace graphicstest
