// Printer drivers: what GetPrinterDriver answers, and when a driver may go.
#include <string>

#include "platform/base/machine.h"
#include "tests/platform/spooler_test_helpers.h"

namespace {

using namespace spltest;

std::u16string Wide(LPWSTR text) { return text ? std::u16string(text) : u"<null>"; }
std::u16string FromAnsi(LPSTR text) { return text ? platform::ToUtf16(text) : u"<null>"; }

class DriverTest : public SpoolerTest {
 protected:
  void SetUp() override {
    SpoolerTest::SetUp();
    // A level-3 driver with files given by bare name and a list of dependent files.
    std::string name = Ansi("テスト ドライバ 3");
    std::string driverPath = "zelkerd5.dll";
    std::string dataFile = Ansi("C:\\モデル\\model.ini");
    std::string configFile = "zeluid5.dll";
    std::string helpFile = "help.hlp";
    std::string dependent("zeldb5.dll\0zelshexd5.dll\0\0", 26);
    std::string datatype = "RAW";
    // clang-format off
    DRIVER_INFO_3A info{2, name.data(), nullptr, driverPath.data(), dataFile.data(), configFile.data(),
                        helpFile.data(), dependent.data(), nullptr, datatype.data()};
    // clang-format on
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) << GetLastError();
    printer_ = Printer(AddPrinterNamed("Office", 0, "", name));
    ASSERT_NE(printer_.get(), 0u) << GetLastError();
    folder_ = platform::Utf16FromUtf8(platform::PrinterDriverDirectory());
  }
  Printer printer_;
  std::u16string folder_;
};

TEST_F(DriverTest, LevelsTwoAndThreeSizeExactlyInBothWidths) {
  for (DWORD level : {2u, 3u}) {
    SCOPED_TRACE(level);
    Bytes wide =
        FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverW(printer_, nullptr, level, b, s, n); });
    Bytes ansi =
        FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverA(printer_, nullptr, level, b, s, n); });
    auto& w = *reinterpret_cast<DRIVER_INFO_3W*>(wide.data());  // level 2 is the head of level 3
    auto& a = *reinterpret_cast<DRIVER_INFO_3A*>(ansi.data());
    EXPECT_EQ(w.cVersion, 2u);
    EXPECT_EQ(a.cVersion, 2u);
    EXPECT_EQ(Wide(w.pName), u"テスト ドライバ 3");
    EXPECT_EQ(FromAnsi(a.pName), u"テスト ドライバ 3");
    EXPECT_EQ(Wide(w.pEnvironment), u"Windows x64");
    // Bare names lie in the driver folder; full paths are kept as given.
    EXPECT_EQ(Wide(w.pDriverPath), folder_ + u"\\zelkerd5.dll");
    EXPECT_EQ(Wide(w.pConfigFile), folder_ + u"\\zeluid5.dll");
    EXPECT_EQ(Wide(w.pDataFile), u"C:\\モデル\\model.ini");
    EXPECT_EQ(FromAnsi(a.pDataFile), u"C:\\モデル\\model.ini");
    for (auto* text : {w.pName, w.pEnvironment, w.pDriverPath, w.pDataFile, w.pConfigFile}) {
      EXPECT_TRUE(InsideBuffer(text, wide));
    }
    if (level == 3) {
      EXPECT_EQ(Wide(w.pHelpFile), folder_ + u"\\help.hlp");
      EXPECT_EQ(Wide(w.pDefaultDataType), u"RAW");
      EXPECT_EQ(Wide(w.pMonitorName), u"");
      ASSERT_TRUE(InsideBuffer(w.pDependentFiles, wide));
      std::u16string list(w.pDependentFiles, 26);
      EXPECT_EQ(list, std::u16string(u"zeldb5.dll\0zelshexd5.dll\0\0", 26));
      EXPECT_EQ(std::string(a.pDependentFiles, 26), std::string("zeldb5.dll\0zelshexd5.dll\0\0", 26));
    }
  }
}

TEST_F(DriverTest, AnotherEnvironmentHasNoSuchDriver) {
  std::string environment = "Windows NT x86";
  DWORD needed = 0;
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(GetPrinterDriverA(printer_, environment.data(), 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  std::string same = "windows X64";
  EXPECT_FALSE(GetPrinterDriverA(printer_, same.data(), 2, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(GetPrinterDriverA(printer_, nullptr, 4, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_LEVEL));
}

TEST_F(DriverTest, AddingADriverAgainReplacesItsFiles) {
  std::string name = Ansi("テスト ドライバ 3");
  std::string driverPath = "C:\\New\\zelkerd5.dll";
  std::string dataFile = "C:\\New\\other.ini";
  std::string configFile = "C:\\New\\zeluid5.dll";
  DRIVER_INFO_2A info{2, name.data(), nullptr, driverPath.data(), dataFile.data(), configFile.data()};
  // The first read fills the cache; our own write must not leave it stale.
  FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverW(printer_, nullptr, 2, b, s, n); });
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&info)));
  Bytes wide = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverW(printer_, nullptr, 2, b, s, n); });
  EXPECT_EQ(Wide(reinterpret_cast<DRIVER_INFO_2W*>(wide.data())->pDataFile), u"C:\\New\\other.ini");
}

TEST_F(DriverTest, ADriverInUseStays) {
  std::string name = Ansi("テスト ドライバ 3");
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, name.data()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_PRINTER_DRIVER_IN_USE));
  ASSERT_TRUE(DeletePrinter(printer_));
  std::string unused = kDriver;
  EXPECT_TRUE(DeletePrinterDriverA(nullptr, nullptr, unused.data()));
  EXPECT_TRUE(DeletePrinterDriverA(nullptr, nullptr, name.data()));
  EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, name.data()));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
  // A printer cannot use a driver that is gone.
  EXPECT_EQ(AddPrinterNamed("Other", 0, "", name), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_UNKNOWN_PRINTER_DRIVER));
}

TEST_F(DriverTest, DriverDirectoryIsTheMachinesDriverFolder) {
  Bytes ansi =
      FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverDirectoryA(nullptr, nullptr, 1, b, s, n); });
  EXPECT_EQ(std::string(reinterpret_cast<char*>(ansi.data())),
            platform::AnsiFromUtf8(platform::PrinterDriverDirectory()));
  EXPECT_EQ(ansi.size(), platform::PrinterDriverDirectory().size() + 1);
  Bytes wide =
      FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverDirectoryW(nullptr, nullptr, 1, b, s, n); });
  EXPECT_EQ(std::u16string(reinterpret_cast<WCHAR*>(wide.data())), folder_);
  std::string server = "\\\\elsewhere";
  DWORD needed = 0;
  EXPECT_FALSE(GetPrinterDriverDirectoryA(server.data(), nullptr, 1, nullptr, 0, &needed));
  EXPECT_EQ(GetLastError(), DWORD(RPC_S_SERVER_UNAVAILABLE));
}

}  // namespace

namespace {

TEST_F(DriverTest, LevelSixCarriesTheHardwareIdUntilTheDriverIsAddedWithout) {
  std::string name = Ansi("テスト ドライバ 3");
  std::string driverPath = "zelkerd5.dll";
  std::string dataFile = "model.ini";
  std::string configFile = "zeluid5.dll";
  std::string hardwareId = "lptenum\\NardoPageM3020";
  DRIVER_INFO_6A info{};
  info.cVersion = 3;
  info.pName = name.data();
  info.pDriverPath = driverPath.data();
  info.pDataFile = dataFile.data();
  info.pConfigFile = configFile.data();
  info.pszHardwareID = hardwareId.data();
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 6, reinterpret_cast<LPBYTE>(&info))) << GetLastError();
  Bytes ansi = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverA(printer_, nullptr, 6, b, s, n); });
  const auto* six = reinterpret_cast<DRIVER_INFO_6A*>(ansi.data());
  EXPECT_EQ(FromAnsi(six->pszHardwareID), u"lptenum\\NardoPageM3020");
  EXPECT_EQ(FromAnsi(six->pDataFile), folder_ + u"\\model.ini");
  EXPECT_EQ(six->cVersion, 3u);
  Bytes wide = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverW(printer_, nullptr, 6, b, s, n); });
  EXPECT_EQ(Wide(reinterpret_cast<DRIVER_INFO_6W*>(wide.data())->pszHardwareID), u"lptenum\\NardoPageM3020");

  DRIVER_INFO_2A plain{2, name.data(), nullptr, driverPath.data(), dataFile.data(), configFile.data()};
  ASSERT_TRUE(AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&plain)));
  ansi = FetchExact([&](BYTE* b, DWORD s, DWORD* n) { return GetPrinterDriverA(printer_, nullptr, 6, b, s, n); });
  EXPECT_EQ(FromAnsi(reinterpret_cast<DRIVER_INFO_6A*>(ansi.data())->pszHardwareID), u"");
}

}  // namespace
