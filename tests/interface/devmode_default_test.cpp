// The default device mode of a printer, built from its model record, and the
// field map published for tools that read stored device modes by offset.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/pdl_kind.h"
#include "interface/devmode/default_devmode.h"
#include "interface/devmode/field_map.h"
#include "interface/util/driver_version.h"
#include "platform/base/codepage.h"
#include "platform/base/value_types.h"
#include "tests/interface/devmode_fixture.h"

namespace devmodetest {
namespace {

// Reads a field of the private part at its published offset, independent of the
// structure's declaration.
template <class T>
T At(const XDEVMODE& dm, size_t privateOffset) {
  T value;
  std::memcpy(&value, reinterpret_cast<const BYTE*>(&dm) + kXDevModePublicSize + privateOffset, sizeof value);
  return value;
}

std::u16string FormName(const DEVMODEW& dm) { return platform::Utf16FromZ(dm.dmFormName); }

class DefaultDevmodeTest : public DevmodeTest {};

TEST_F(DefaultDevmodeTest, AVariantPostScriptModelStartsOnItsRotatedA4InLandscape) {
  const std::string name = UniqueName("Colour");
  HANDLE printer = Install(kColourModel, name, kPdlPs3, 1, 1);
  ASSERT_NE(printer, 0u);
  const ModelRecord* record = Record(printer, name);
  ASSERT_NE(record, nullptr);
  const XDEVMODE dm = Default(printer, name);
  const DEVMODEW& pub = dm.dmPublic;

  EXPECT_EQ(pub.dmSize, 220);
  EXPECT_EQ(pub.dmDriverExtra, 2496);
  EXPECT_EQ(pub.dmSpecVersion, 0x0401);
  EXPECT_EQ(pub.dmDriverVersion, GetDriverVersionWord());
  EXPECT_NE(pub.dmDriverVersion, 0) << "the library's version block gives the version word";
  // Neither DM_FORMNAME nor DM_NUP, though both fields are filled.
  EXPECT_EQ(pub.dmFields, 0x0780FF13u);

  EXPECT_EQ(pub.dmPaperSize, 290);
  EXPECT_EQ(pub.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(At<WORD>(dm, 18), 0) << "no fixed orientation on the variant";
  // The rotated A4 row is 11692 x 8267 thousandths of an inch; integer division
  // (8267 * 254 / 1000 = 2099.8) keeps 2099, where a rounding MulDiv gives 2100.
  EXPECT_EQ(pub.dmPaperWidth, 2969);
  EXPECT_EQ(pub.dmPaperLength, 2099);
  const int row = 15;
  ASSERT_EQ(record->papers[row].id, 290);
  EXPECT_EQ(FormName(pub), platform::ToUtf16(record->papers[row].name));
  EXPECT_FALSE(FormName(pub).empty());

  EXPECT_EQ(pub.dmPrintQuality, 600) << "the first resolution row";
  EXPECT_EQ(pub.dmYResolution, 600);
  EXPECT_EQ(pub.dmCollate, 1) << "the model collates";
  EXPECT_EQ(At<DWORD>(dm, 40), 1u);
  EXPECT_EQ(At<WORD>(dm, 1410), kPdlPs3);
  EXPECT_EQ(At<DWORD>(dm, 888), 2u) << "status monitoring is on for the printer: started per job";
  // PostScript takes the third number of the installed memory's row (512 MB:
  // 33554900 rounded down to a multiple of 1024).
  EXPECT_EQ(At<DWORD>(dm, 1424), 33554432u);
  EXPECT_EQ(At<DWORD>(dm, 1412), 0x0Cu);

  // The user-defined paper: the model's row 19 (index 18) with its default size.
  EXPECT_EQ(At<INT>(dm, 2476), 18);
  EXPECT_EQ(At<DWORD>(dm, 2480), 1u);
  EXPECT_EQ(At<DWORD>(dm, 2484), 8500u);
  EXPECT_EQ(At<DWORD>(dm, 2488), 11000u);
  EXPECT_EQ(At<DWORD>(dm, 2492), 0u);

  EXPECT_EQ(platform::Utf16FromZ(dm.dmPrivate._wsPrinterName), platform::ToUtf16(name));
  EXPECT_EQ(pub.dmDeviceName[0], 0) << "the device name is the spooler's to fill";
}

TEST_F(DefaultDevmodeTest, APclModelStartsOnA4PortraitWithItsFixedValues) {
  const std::string name = UniqueName("Mono");
  HANDLE printer = Install(kMonoModel, name, kPdlPcl5si, 0);
  ASSERT_NE(printer, 0u);
  const XDEVMODE dm = Default(printer, name);
  const DEVMODEW& pub = dm.dmPublic;

  EXPECT_EQ(pub.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(pub.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(pub.dmPaperWidth, 2099);
  EXPECT_EQ(pub.dmPaperLength, 2969);
  EXPECT_EQ(FormName(pub), u"A4");
  EXPECT_EQ(pub.dmCollate, 0);
  EXPECT_EQ(At<DWORD>(dm, 1424), 2097152u) << "PCL takes the second number of the 64 MB row";
  EXPECT_EQ(At<DWORD>(dm, 888), 0u) << "status monitoring off";
  EXPECT_EQ(At<INT>(dm, 2476), 10);

  // The values every default carries, read at their published offsets.
  struct Fixed {
    const char* what;
    long actual;
    long expected;
  };
  const Fixed fixed[] = {
      {"dmScale", pub.dmScale, 100},
      {"dmCopies", pub.dmCopies, 1},
      {"dmDefaultSource", pub.dmDefaultSource, 15},
      {"dmColor", pub.dmColor, 1},
      {"dmDuplex", pub.dmDuplex, 1},
      {"dmTTOption", pub.dmTTOption, 3},
      {"dmNup", static_cast<long>(pub.dmNup), 1},
      {"dmMediaType", static_cast<long>(pub.dmMediaType), 500},
      {"dmICMMethod", static_cast<long>(pub.dmICMMethod), 1},
      {"dmICMIntent", static_cast<long>(pub.dmICMIntent), 2},
      {"dmDitherType", static_cast<long>(pub.dmDitherType), 1},
      {"private version", static_cast<long>(At<DWORD>(dm, 0)), 4},
      {"revision", At<WORD>(dm, 4), 12345},
      {"_nMediaType", At<WORD>(dm, 6), 500},
      {"_iOutputSize", static_cast<long>(At<DWORD>(dm, 8)), 0xFFFF},
      {"_nDuplex", At<WORD>(dm, 16), 0},
      {"_nFixedOrientation", At<WORD>(dm, 18), 1},
      {"_nUpPCL", At<WORD>(dm, 20), 1},
      {"_nUp", At<WORD>(dm, 22), 1},
      {"OutputType", At<WORD>(dm, 958), 1},
      {"TTPrinting", At<WORD>(dm, 1360), 3},
      {"TTDLType", At<WORD>(dm, 1362), 0},
      {"_nMarginType", At<WORD>(dm, 1380), 2},
      {"halftone kind", static_cast<long>(At<DWORD>(dm, 1384)), 1},
      {"word at 1408", At<WORD>(dm, 1408), 8},
      {"_nPDL", At<WORD>(dm, 1410), kPdlPcl5si},
      {"Compression", At<WORD>(dm, 1416), 5},
      {"JobTimeout", At<WORD>(dm, 1428), 0},
      {"WaitTimeout", At<WORD>(dm, 1430), 40},
  };
  for (const Fixed& f : fixed) EXPECT_EQ(f.actual, f.expected) << f.what;
}

TEST_F(DefaultDevmodeTest, RecordDetailsDecideThePaperResolutionLanguageAndJobControls) {
  const std::string name = UniqueName("Mono");
  HANDLE printer = Install(kMonoModel, name, kPdlPcl5si, 0);
  ASSERT_NE(printer, 0u);
  std::unique_ptr<ModelRecord> record = RecordCopy(printer, name);
  ASSERT_NE(record, nullptr);

  // A variant record whose papers lack the rotated A4 measures its first row.
  {
    ModelRecord variant = *record;
    variant.variant = 1;
    XDEVMODE dm{};
    ASSERT_EQ(BuildDefaultDevmode(&dm, printer, &variant, name.c_str(), kPdlOfModel), 1);
    EXPECT_EQ(dm.dmPublic.dmPaperSize, 290);
    EXPECT_EQ(dm.dmPublic.dmPaperWidth, 2159) << "Letter, 8500 thousandths of an inch";
    EXPECT_EQ(dm.dmPublic.dmPaperLength, 2794);
    EXPECT_EQ(FormName(dm.dmPublic), platform::ToUtf16(record->papers[0].name));
  }
  // Resolutions not read from the description: 600 dpi, not the row's value.
  {
    ModelRecord noResolutions = *record;
    noResolutions.resolutions[0] = {1, 300, 300};
    XDEVMODE dm{};
    BuildDefaultDevmode(&dm, printer, &noResolutions, name.c_str(), kPdlOfModel);
    EXPECT_EQ(dm.dmPublic.dmPrintQuality, 300);
    noResolutions.partsLoaded &= ~DWORD(kPartResolutions);
    BuildDefaultDevmode(&dm, printer, &noResolutions, name.c_str(), kPdlOfModel);
    EXPECT_EQ(dm.dmPublic.dmPrintQuality, 600);
    EXPECT_EQ(dm.dmPublic.dmYResolution, 600);
  }
  // A language word given by the caller (the built-in profiles) replaces the
  // printer's, and with it the memory the job may use.
  {
    XDEVMODE dm{};
    BuildDefaultDevmode(&dm, printer, record.get(), name.c_str(), kPdlPs3);
    EXPECT_EQ(dm.dmPrivate._nPDL, kPdlPs3);
    EXPECT_EQ(dm.dmPrivate._lAvailableMemory, static_cast<DWORD>(record->memorySizeB));
  }
  // The reserved flag: binary data and print errors, no job terminators.
  {
    ModelRecord reserved = *record;
    reserved.reservedFlag = 1;
    XDEVMODE dm{};
    BuildDefaultDevmode(&dm, printer, &reserved, name.c_str(), kPdlOfModel);
    EXPECT_EQ(dm.dmPrivate._dwAdvSettings, 0x09u);
  }
  // No user-defined size in the model: no custom paper.
  {
    ModelRecord noCustom = *record;
    for (PaperEntry& paper : noCustom.papers) paper.userSizeMark = 0;
    XDEVMODE dm{};
    BuildDefaultDevmode(&dm, printer, &noCustom, name.c_str(), kPdlOfModel);
    EXPECT_EQ(dm.dmPrivate._nCustomPaperIndex, -1);
    EXPECT_EQ(dm.dmPrivate._lCustomWidth, 0u);
    EXPECT_EQ(dm.dmPrivate._nCustomUnit, 0u);
  }
}

TEST_F(DefaultDevmodeTest, MissingArgumentsWriteNothing) {
  const std::string name = UniqueName("Mono");
  HANDLE printer = Install(kMonoModel, name, kPdlPcl5si, 0);
  const ModelRecord* record = Record(printer, name);
  ASSERT_NE(record, nullptr);
  XDEVMODE dm;
  std::memset(&dm, 0xA5, sizeof dm);
  const XDEVMODE before = dm;
  EXPECT_EQ(BuildDefaultDevmode(nullptr, printer, record, name.c_str(), 0), 0);
  EXPECT_EQ(BuildDefaultDevmode(&dm, printer, nullptr, name.c_str(), 0), 0);
  EXPECT_EQ(BuildDefaultDevmode(&dm, printer, record, nullptr, 0), 0);
  EXPECT_TRUE(SameBytes(&dm, &before, sizeof dm));
}

TEST_F(DefaultDevmodeTest, TheFieldMapPublishesEachPrivateOffsetUnderItsName) {
  const std::string name = UniqueName("Mono");
  HANDLE printer = Install(kMonoModel, name, kPdlPcl5si, 0);
  ASSERT_NE(printer, 0u);
  PublishDevModeFieldMap(printer);

  // The offsets outside tools rely on, as published.
  const std::pair<const char*, DWORD> published[] = {
      // clang-format off
      {"_OffsetRevision", 4}, {"_nMediaType", 6},     {"_iOutputSize", 8},    {"_iOutputFeedDirection", 12},
      {"_nDuplex", 16},       {"_nFixedOrientation", 18}, {"_nUpPCL", 20},    {"_nUp", 22},
      {"_nBooklet", 32},      {"_bJog", 36},          {"_bCollate", 40},      {"_iSNMP", 888},
      {"_sAccount", 894},     {"_sNote", 926},        {"_epBanner", 1084},    {"_epSlipSheet", 1096},
      {"_epFrontCover", 1108}, {"_epBackCover", 1120}, {"_wStaple", 1184},    {"_nOutputTray", 1186},
      {"_nMarginType", 1380}, {"_nPDL", 1410},        {"_dwAdvSettings", 1412},
      // clang-format on
  };
  for (const auto& [valueName, offset] : published) {
    std::string nameCopy = valueName;
    DWORD type = 0;
    DWORD value = 0;
    DWORD needed = 0;
    ASSERT_EQ(GetPrinterDataA(printer, nameCopy.data(), &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed),
              static_cast<DWORD>(ERROR_SUCCESS))
        << valueName;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << valueName;
    EXPECT_EQ(needed, 4u) << valueName;
    EXPECT_EQ(value, offset) << valueName;
  }
}

}  // namespace
}  // namespace devmodetest
