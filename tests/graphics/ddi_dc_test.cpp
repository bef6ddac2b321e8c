// The built graphics library end to end: a printer of each shipped model
// installed with zelkerd5.dll as its driver file, a device context made through
// the stand-in GDI, and an empty document printed into a job file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "platform/base/codepage.h"
#include "platform/gdi/dc.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {
namespace {

constexpr char kJobFile[] = "C:\\job.prn";

class DdiDeviceContextTest : public GraphicsPrinterTest {
 protected:
  struct Model {
    const char* file;
    const char16_t* name;
    WORD pdl;
    DWORD variant;
  };
  static constexpr Model kModels[] = {{kMonoModel, u"Mono", kPdlPcl5e, 0}, {kColourModel, u"Colour", kPdlPs3, 1}};

  HDC Create(const Model& model) {
    HANDLE printer = Install(model.file, platform::FromUtf16(model.name), model.pdl, model.variant);
    // The printer's driver file is the built library in the driver folder.
    DWORD needed = 0;
    GetPrinterDriverW(printer, nullptr, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    EXPECT_TRUE(GetPrinterDriverW(printer, nullptr, 2, info.data(), needed, &needed));
    const std::string driverPath =
        platform::FromUtf16(platform::Utf16FromZ(reinterpret_cast<DRIVER_INFO_2W*>(info.data())->pDriverPath));
    EXPECT_EQ(std::filesystem::canonical(Host(driverPath)),
              std::filesystem::canonical(std::filesystem::path(ZEL_DRIVER_DIR) / "zelkerd5.dll"));
    return CreateDCW(u"WINSPOOL", model.name, nullptr, nullptr);
  }

  std::string Job() {
    std::ifstream in(Host(kJobFile), std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Channel files of jobs (stored pages, downloads, watermark, page offsets,
  // tabs, captured PostScript) anywhere on the machine.
  std::set<std::string> ChannelFiles() {
    static const std::set<std::string> kExtensions = {".pgs", ".dwl", ".wtm", ".pgo", ".tab", ".psp"};
    std::set<std::string> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root(), ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_regular_file(ec) && kExtensions.count(it->path().extension().string())) {
        found.insert(it->path().string());
      }
    }
    return found;
  }
};

TEST_F(DdiDeviceContextTest, AnEmptyDocumentMakesAJobOnBothModels) {
  for (const Model& model : kModels) {
    SCOPED_TRACE(platform::FromUtf16(model.name));
    HDC dc = Create(model);
    ASSERT_NE(dc, 0u) << "CreateDC: error " << GetLastError();
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
    // Four Latin and two Japanese faces, and the Japanese ones' vertical twins.
    EXPECT_EQ(GetDeviceCaps(dc, NUMFONTS), 8) << "the resident fonts of the model module for the language";
    const int width = GetDeviceCaps(dc, HORZRES);
    EXPECT_GT(width, 1000);
    EXPECT_LT(width + GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALWIDTH) + 1);

    std::filesystem::remove(Host(kJobFile));
    std::u16string name = u"empty";
    std::u16string output = platform::ToUtf16(kJobFile);
    DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
    ASSERT_GT(EndDoc(dc), 0) << GetLastError();
    const std::string job = Job();
    ASSERT_FALSE(job.empty());
    EXPECT_TRUE(job.rfind("\x1b%-12345X", 0) == 0 || job.rfind("%!", 0) == 0) << job.substr(0, 40);
    EXPECT_TRUE(ChannelFiles().empty());
    EXPECT_TRUE(DeleteDC(dc));
  }
}

// A document given up is not delivered, and leaves nothing of itself behind.
TEST_F(DdiDeviceContextTest, AnAbortedDocumentLeavesNoJobAndNoFiles) {
  HDC dc = Create(kModels[1]);
  ASSERT_NE(dc, 0u) << GetLastError();
  std::u16string name = u"given up";
  std::u16string output = platform::ToUtf16(kJobFile);
  DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_FALSE(std::filesystem::exists(Host(kJobFile)));
  EXPECT_TRUE(ChannelFiles().empty());
  EXPECT_TRUE(DeleteDC(dc));
}

// ResetDC between two documents gives a PDEV for the new device mode, and the
// next document prints on it.
TEST_F(DdiDeviceContextTest, ResetBetweenDocumentsKeepsPrinting) {
  HDC dc = Create(kModels[0]);
  ASSERT_NE(dc, 0u) << GetLastError();
  const int portraitWidth = GetDeviceCaps(dc, HORZRES);
  const int portraitHeight = GetDeviceCaps(dc, VERTRES);
  XDEVMODE landscape = DriverLayout(kPdlPcl5e);
  landscape.dmPublic.dmFields |= DM_ORIENTATION;
  landscape.dmPublic.dmOrientation = DMORIENT_LANDSCAPE;
  ASSERT_EQ(ResetDCW(dc, &landscape.dmPublic), dc) << GetLastError();
  EXPECT_GT(GetDeviceCaps(dc, HORZRES), portraitWidth);
  EXPECT_LT(GetDeviceCaps(dc, VERTRES), portraitHeight);
  std::u16string name = u"after reset";
  std::u16string output = platform::ToUtf16(kJobFile);
  DOCINFOW doc{sizeof(DOCINFOW), name.c_str(), output.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &doc), 0) << GetLastError();
  ASSERT_GT(EndDoc(dc), 0) << GetLastError();
  EXPECT_FALSE(Job().empty());
  EXPECT_TRUE(DeleteDC(dc));
}

}  // namespace
}  // namespace graphicstest
