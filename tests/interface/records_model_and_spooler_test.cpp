// The model's identity texts, the halftone record, the buffered spooler queries,
// the model resource library and the file-version reader.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "interface/records/file_version.h"
#include "interface/records/halftone_record.h"
#include "interface/records/model_identity.h"
#include "interface/records/model_resource.h"
#include "interface/records/printer_info.h"
#include "interface/records/section_keys.h"
#include "platform/base/modules.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

class RecordsModelAndSpoolerTest : public RecordsTest {};

TEST_F(RecordsModelAndSpoolerTest, TheIdentityBlockHoldsTheModelsTextsAndEmptiesWhatIsMissing) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  ModelIdentity identity;
  std::memset(&identity, 0xEE, sizeof identity);
  ASSERT_EQ(LoadModelIdentity(printer, &identity), 1);
  EXPECT_STREQ(identity.modelName, "Nardo Page C5545");
  EXPECT_STREQ(identity.webSite, "http://www.nardo.example/");
  EXPECT_STREQ(identity.logo, "NARDO_LOGO_C5545");
  EXPECT_STREQ(identity.copyright, "Copyright (C) Nardo Systems");
  EXPECT_NE(identity.company[0], '\0') << "%Maker% comes from [Strings]";

  HANDLE bare = InstallText("[General]\nModelName=Bare Model\nWebSite=" + std::string(100, 'w') + "\nCopyright=ＡＢＣ" +
                                std::string(200, 'c') + "\n[PDL]\n1=PCL5E\nDefault=1\n",
                            "Bare");
  std::memset(&identity, 0xEE, sizeof identity);
  ASSERT_EQ(LoadModelIdentity(bare, &identity), 1);
  EXPECT_STREQ(identity.modelName, "Bare Model");
  EXPECT_STREQ(identity.company, "");
  EXPECT_STREQ(identity.oemCopyright, "");
  EXPECT_STREQ(identity.logo, "");
  EXPECT_EQ(std::string(identity.webSite), std::string(63, 'w'));
  EXPECT_EQ(std::strlen(identity.copyright), 127u);
  EXPECT_EQ(LoadModelIdentity(printer, nullptr), 0);
  EXPECT_EQ(LoadModelIdentity(0, &identity), 0);
}

TEST_F(RecordsModelAndSpoolerTest, HalftoneRecordsHaveThreeNumbers) {
  struct Case {
    const char* value;
    int result;
    INT mode;
    SHORT frequency;
    SHORT angle;
  } cases[] = {
      {"0,85,45", 1, 0, 85, 45}, {"1,0,0", 1, 1, 0, 0},     {" 0 , -5 , 360 ", 1, 0, -5, 360},
      {"0,85", 0, 9, 9, 9},      {"0,85,45,1", 0, 9, 9, 9}, {"0,85,x", 0, 9, 9, 9},
      {"", 0, 9, 9, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    HalftoneSetting setting{9, 9, 9};
    EXPECT_EQ(ParseHalftoneRecord(&setting, c.value), c.result);
    EXPECT_EQ(setting.mode, c.mode);
    EXPECT_EQ(setting.frequency, c.frequency);
    EXPECT_EQ(setting.angle, c.angle);
  }
  EXPECT_EQ(ParseHalftoneRecord(nullptr, "1,2,3"), 0);
  // With the printer's screen only the mode is stored.
  EXPECT_EQ(FormatHalftoneRecord({1, 85, 45}), "1,0,0");
  EXPECT_EQ(FormatHalftoneRecord({0, 85, -45}), "0,85,-45");
}

TEST_F(RecordsModelAndSpoolerTest, SpoolerInformationComesInBuffersOfItsOwn) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  BYTE* info = GetPrinterInfo(printer, 2);
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_2A*>(info)->pPrinterName, "Nardo C");
  EXPECT_STREQ(reinterpret_cast<PRINTER_INFO_2A*>(info)->pPortName, "FILE:");
  FreePrinterInfo(info);
  BYTE* wide = GetPrinterInfoW(printer, 4);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_4W*>(wide)->pPrinterName), u"Nardo C");
  FreePrinterInfoW(wide);
  BYTE* driver = GetPrinterDriverInfo(printer, 2);
  ASSERT_NE(driver, nullptr);
  EXPECT_NE(std::string(reinterpret_cast<DRIVER_INFO_2A*>(driver)->pDataFile).find(".ini"), std::string::npos);
  FreePrinterDriverInfo(driver);
  EXPECT_EQ(GetPrinterInfo(0x7777, 2), nullptr);
  EXPECT_EQ(GetPrinterInfo(0, 2), nullptr);
  FreePrinterInfo(nullptr);

  char name[260];
  EXPECT_STREQ(GetPrinterNameCopy(printer, name, sizeof name), "Nardo C");
  // A name that does not fit is not cut into another printer's name.
  char small[5] = "xxxx";
  EXPECT_STREQ(GetPrinterNameCopy(printer, small, sizeof small), "");
  EXPECT_STREQ(GetPrinterNameCopy(0x7777, name, sizeof name), "");
  EXPECT_EQ(GetPrinterNameCopy(printer, nullptr, 10), nullptr);

  SetString(printer, kStorePrinterData, "Counted", "a", "1");
  SetString(printer, kStorePrinterData, "Counted", "b", "2");
  SetString(printer, kStorePrinterData, "CountedNot", "c", "3");
  EXPECT_EQ(CountSectionKeys(printer, kStorePrinterData, "Counted"), 2);
  EXPECT_EQ(CountSectionKeys(printer, kStoreModelDescription, "PDL"), 3);
  EXPECT_EQ(CountSectionKeys(printer, kStoreModelDescription, "NoSuchSection"), 0);
  EXPECT_EQ(CountSectionKeys(printer, kStoreUser, nullptr), 0);
}

TEST_F(RecordsModelAndSpoolerTest, TheModelResourceLibraryComesOnlyFromThisLibrarysFolder) {
  struct Case {
    const char* modelDll;
    bool loads;
  } cases[] = {
      // zeldb5.dll lies beside the library: a module the folder has.
      {"zeldb5.dll", true},
      {"nardoc99.dll", false},
      {"", false},
      {"..\\driver\\zeldb5.dll", false},
      {"sub\\zeldb5.dll", false},
      {"C:zeldb5.dll", false},
      {"/tmp/zeldb5.dll", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modelDll);
    const std::string model = "Res Model " + std::to_string(++n);
    HANDLE printer =
        InstallText("[General]\nModelName=" + model + "\nModelDLL=" + c.modelDll + "\n[PDL]\n1=PCL5E\nDefault=1\n",
                    "Res " + std::to_string(n));
    HMODULE module = LoadModelResourceDll(printer);
    EXPECT_EQ(module != 0, c.loads);
    if (module) FreeLibrary(module);
  }
}

TEST_F(RecordsModelAndSpoolerTest, FileVersionsComeFromTheVersionResource) {
  VS_FIXEDFILEINFO info{};
  const std::string library = uitest::AnsiWindowsPath(uitest::BuiltModule("zeluid5.dll"));
  ASSERT_EQ(ReadFileVersion(library.c_str(), &info), 1);
  EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(info.dwProductVersionMS, (6u << 16) | 310u);
  EXPECT_EQ(info.dwProductVersionLS, (23u << 16) | 0u);
  EXPECT_EQ(info.dwFileType, VFT_DRV);
  EXPECT_EQ(ReadFileVersion("C:\\no\\such\\file.dll", &info), 0);
  EXPECT_EQ(ReadFileVersion(nullptr, &info), 0);
  EXPECT_EQ(ReadFileVersion(library.c_str(), nullptr), 0);
}

}  // namespace
}  // namespace recordstest
