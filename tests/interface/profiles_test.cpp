// Settings profiles in the user's store: every key round-trips, loading adjusts
// what the format says it adjusts, profiles stay apart per printer language and
// model variant, a failed save loses nothing, and the built-in profile is made
// for every user without overwriting their changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/xdevmode.h"
#include "interface/devmode/default_devmode.h"
#include "interface/profiles/default_profiles.h"
#include "interface/profiles/profile_store.h"
#include "interface/records/watermark_store.h"
#include "model/model_cache.h"
#include "platform/base/errors.h"
#include "platform/base/machine.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

constexpr const char* kStandardHex = "95578F80";  // 標準
constexpr const char* kTestHex = "836583588367";  // テスト

class ProfilesTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    printer_ = Install("nardo-c5545.ini", "Nardo C");
    // The colour model runs as a model variant.
    SetDword(printer_, kStorePrinterData, "Printer", "TRQ50Compatible", 1);
    FreeModelRecords("Nardo C");
    // A user of their own, whatever the printer's set-up made for the installing one.
    platform::SetCurrentUser("Profiler");
    model_ = GetModelRecord(printer_, "Nardo C", kModelReloadWhenMissing);
    ASSERT_NE(model_, nullptr);
    ASSERT_EQ(model_->variant, 1);
  }

  XDEVMODE Default(WORD pdl, const ModelRecord* model = nullptr, HANDLE printer = 0, const char* name = "Nardo C") {
    XDEVMODE settings{};
    EXPECT_EQ(BuildDefaultDevmode(&settings, printer ? printer : printer_, model ? model : model_, name, pdl), 1);
    return settings;
  }
  std::vector<std::string> Names(const XDEVMODE& settings, HANDLE printer = 0, const char* name = "Nardo C") {
    std::vector<ProfileName> names;
    LoadProfileNames(printer ? printer : printer_, name, &settings, names);
    std::vector<std::string> texts;
    for (const ProfileName& entry : names) texts.push_back(U(entry.text));
    return texts;
  }

  HANDLE printer_ = 0;
  const ModelRecord* model_ = nullptr;
};

int CustomRow(const ModelRecord& model) {
  for (int i = 0; i < kModelMaxPapers && model.papers[i].id; ++i)
    if (model.papers[i].id == kCustomPaperId) return i;
  return -1;
}

TEST_F(ProfilesTest, EveryKeyRoundTrips) {
  ASSERT_EQ(CreateDefaultWatermarks(printer_), 1);
  WatermarkRecord confidential{};
  ASSERT_EQ(LoadWatermarkByName(printer_, A("社外秘").c_str(), &confidential), 1);

  XDEVMODE saved = Default(kPdlPs3);
  DEVMODEW& sp = saved.dmPublic;
  XDEVMODE_PRIVATE& s = saved.dmPrivate;
  sp.dmPaperSize = static_cast<SHORT>(kCustomPaperId);
  sp.dmOrientation = 2;
  sp.dmCopies = 17;
  sp.dmPrintQuality = 1200;
  sp.dmScale = 95;
  s._iOutputSize = 0x12345;
  s._iOutputFeedDirection = 2;
  s._nFixedOrientation = 2;
  s._bCollate = 1;
  s._nDuplex = 2;
  s._nUp = 4;
  s._nUpPCL = 2;
  s._bRotatePage = 1;
  s._iSNMP = 2;
  s._bColorToBlack = 1;
  s._bNegativeImage = 1;
  s._bMirrorImage = 1;
  s._nMarginType = 1;
  s._epBanner.on = 1;
  std::strcpy(s._sAccount, A("経理部").c_str());
  std::strcpy(s._sNote, std::string(31, 'n').c_str());
  s._lAvailableMemory = 65536;
  s._bClearMemoryPerPage = 1;
  s._nCompression = 20;
  s._dwAdvSettings = kAdvBinaryData | kAdvJobTerminatorAfter | kAdvEmfSpooling;
  s._nJobTimeout = 300;
  s._nWaitTimeout = 45;
  s._nTrueTypeMode = 2;
  s._nTrueTypeDownload = 1;
  s._bNupBorder = 1;
  s._wmCurrent = confidential;
  s._bWmFirstPageOnly = 1;
  s._bWmBackground = 1;
  s._nOutputDest = 5;
  s._nGraphicsMode = 3;
  std::strcpy(s._sMacroName, "Logo");
  s._nMacroLocation = 6;
  s._lMacroId = 12;
  s._bMacroBackground = 1;
  s._bPrinterScreen = 0;
  s._nScreenFrequency = 85;
  s._nScreenAngle = 45;
  s._nCustomPaperIndex = CustomRow(*model_);
  ASSERT_GE(s._nCustomPaperIndex, 0);
  s._nCustomUnit = 2;
  s._lCustomWidth = 5000;
  s._lCustomLength = 7000;
  s._bCustomPortraitFeed = 1;
  const std::string name = A("テスト");
  ASSERT_EQ(SaveProfile(printer_, name.c_str(), &saved, kProfileAdd), 1);

  // The stored form.
  const std::string list = "Profiles\\PS\\0";
  const std::string section = list + "\\" + kTestHex;
  EXPECT_EQ(GetString(printer_, kStoreUser, list, kTestHex).value_or(""), kTestHex);
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "OutputSize").value_or(0), 0x12345u);
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "UsePrinterTimeouts").value_or(0), 1u);
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "EMFSpooling").value_or(0), 256u);
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "JobTermBefore").value_or(9), 0u);
  EXPECT_EQ(GetString(printer_, kStoreUser, section, "Halftone").value_or(""), "0,85,45");
  EXPECT_EQ(GetString(printer_, kStoreUser, section, "Watermark").value_or(""), A("社外秘"));
  EXPECT_EQ(GetString(printer_, kStoreUser, section, "CustomPaper_261").value_or(""),
            "CustomPaper    ;5000,7000;0,0,0,0;0,0,0,0;0,0,0,0;0,0,0,0; 0;0;1; 0,0;0;261;1;PJL");
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "CustomPaperUnit").value_or(0), 2u);

  XDEVMODE loaded = Default(kPdlPs3);
  // Neighbours of 16-bit settings: a load writes each field in its own width.
  loaded.dmPrivate.reserved1418 = 0xBEEF;
  loaded.dmPrivate.reserved1382 = 0xCAFE;
  loaded.dmPrivate.reserved1364 = 0xF00D;
  ASSERT_EQ(LoadProfile(printer_, "Nardo C", name.c_str(), &loaded), 1);
  const DEVMODEW& lp = loaded.dmPublic;
  const XDEVMODE_PRIVATE& l = loaded.dmPrivate;
  EXPECT_EQ(lp.dmPaperSize, static_cast<SHORT>(kCustomPaperId));
  EXPECT_EQ(lp.dmOrientation, 2);
  EXPECT_EQ(lp.dmCopies, 17);
  EXPECT_EQ(lp.dmPrintQuality, 1200);
  EXPECT_EQ(lp.dmYResolution, 1200);
  EXPECT_EQ(lp.dmScale, 95);
  EXPECT_EQ(lp.dmCollate, 1);
  EXPECT_EQ(lp.dmDuplex, DMDUP_HORIZONTAL);
  EXPECT_EQ(lp.dmNup, 1u);
  EXPECT_EQ(lp.dmTTOption, 2);
  EXPECT_EQ(l._iOutputSize, 0x12345u);
  EXPECT_EQ(l._iOutputFeedDirection, 2u);
  EXPECT_EQ(l._nFixedOrientation, 2);
  EXPECT_EQ(l._bCollate, 1u);
  EXPECT_EQ(l._nDuplex, 2);
  EXPECT_EQ(l._nUp, 4);
  EXPECT_EQ(l._nUpPCL, 2);
  EXPECT_EQ(l._bRotatePage, 1u);
  EXPECT_EQ(l._iSNMP, 2u);
  EXPECT_EQ(l._bColorToBlack, 1u);
  EXPECT_EQ(l._bNegativeImage, 1u);
  EXPECT_EQ(l._bMirrorImage, 1u);
  EXPECT_EQ(l._nMarginType, 1);
  EXPECT_EQ(l._epBanner.on, 1u);
  EXPECT_EQ(U(l._sAccount), "経理部");
  EXPECT_EQ(std::string(l._sNote), std::string(31, 'n'));
  EXPECT_EQ(l._nPDL, kPdlPs3);
  EXPECT_EQ(l._lAvailableMemory, 65536u);
  EXPECT_EQ(l._bClearMemoryPerPage, 1u);
  EXPECT_EQ(l._nCompression, 20);
  EXPECT_EQ(l._dwAdvSettings, kAdvBinaryData | kAdvJobTerminatorAfter | kAdvEmfSpooling);
  EXPECT_EQ(l._nJobTimeout, 300);
  EXPECT_EQ(l._nWaitTimeout, 45);
  EXPECT_EQ(l._nTrueTypeMode, 2);
  EXPECT_EQ(l._nTrueTypeDownload, 1);
  EXPECT_EQ(l._bNupBorder, 1u);
  EXPECT_EQ(std::memcmp(&l._wmCurrent, &confidential, sizeof confidential), 0);
  EXPECT_EQ(l._bWmFirstPageOnly, 1u);
  EXPECT_EQ(l._bWmBackground, 1u);
  EXPECT_EQ(l._nOutputDest, 5);
  EXPECT_EQ(l._nGraphicsMode, 3);
  EXPECT_STREQ(l._sMacroName, "Logo");
  EXPECT_EQ(l._nMacroLocation, 6u);
  EXPECT_EQ(l._lMacroId, 12u);
  EXPECT_EQ(l._bMacroBackground, 1u);
  EXPECT_EQ(l._bPrinterScreen, 0u);
  EXPECT_EQ(l._nScreenFrequency, 85);
  EXPECT_EQ(l._nScreenAngle, 45);
  EXPECT_EQ(l._nCustomPaperIndex, s._nCustomPaperIndex);
  EXPECT_EQ(l._nCustomUnit, 2u);
  EXPECT_EQ(l._lCustomWidth, 5000u);
  EXPECT_EQ(l._lCustomLength, 7000u);
  EXPECT_EQ(l._bCustomPortraitFeed, 1u);
  EXPECT_EQ(l.reserved1418, 0xBEEF);
  EXPECT_EQ(l.reserved1382, 0xCAFE);
  EXPECT_EQ(l.reserved1364, 0xF00D);

  EXPECT_EQ(Names(loaded), (std::vector<std::string>{"テスト"}));
}

TEST_F(ProfilesTest, LoadingAdjustsWhatTheFormatAdjusts) {
  const XDEVMODE base = Default(kPdlPs3);
  ASSERT_EQ(SaveProfile(printer_, "P", &base, kProfileAdd), 1);
  const std::string section = "Profiles\\PS\\0\\50";
  auto load = [&](XDEVMODE start = XDEVMODE{}) {
    if (start.dmPublic.dmSize == 0) start = base;
    EXPECT_EQ(LoadProfile(printer_, "Nardo C", "P", &start), 1);
    return start;
  };

  struct DuplexCase {
    DWORD stored;
    SHORT dmDuplex;
  } duplexCases[] = {{0, DMDUP_SIMPLEX}, {1, DMDUP_VERTICAL}, {2, DMDUP_HORIZONTAL}, {7, DMDUP_SIMPLEX}};
  for (const DuplexCase& c : duplexCases) {
    SetDword(printer_, kStoreUser, section, "Duplex", c.stored);
    EXPECT_EQ(load().dmPublic.dmDuplex, c.dmDuplex) << c.stored;
  }

  // "PDL": 0 and the family words pick the model's own languages of the family.
  HANDLE mono = Install("nardo-m3020.ini", "Nardo M");
  const ModelRecord* monoModel = GetModelRecord(mono, "Nardo M", kModelReloadWhenMissing);
  ASSERT_NE(monoModel, nullptr);
  XDEVMODE monoBase = Default(kPdlPs3, monoModel, mono, "Nardo M");
  ASSERT_EQ(SaveProfile(mono, "P", &monoBase, kProfileAdd), 1);
  const std::string monoSection = ProfileListSection(monoBase, monoModel) + "\\50";
  struct PdlCase {
    DWORD stored;
    WORD colour;  // the PostScript 3 and PCL 5e model
    WORD mono;    // the PCL 5e and PCL XL model
  } pdlCases[] = {{0, 0x103, 0x400C}, {12, 0x000C, 0x400C}, {259, 0x103, 2}, {140, 140, 140}};
  for (const PdlCase& c : pdlCases) {
    SCOPED_TRACE(c.stored);
    SetDword(printer_, kStoreUser, section, "PDL", c.stored);
    EXPECT_EQ(load().dmPrivate._nPDL, c.colour);
    SetDword(mono, kStoreUser, monoSection, "PDL", c.stored);
    XDEVMODE monoLoaded = monoBase;
    ASSERT_EQ(LoadProfile(mono, "Nardo M", "P", &monoLoaded), 1);
    EXPECT_EQ(monoLoaded.dmPrivate._nPDL, c.mono);
  }
  SetDword(printer_, kStoreUser, section, "PDL", 0x103);

  // A missing output size is "as the paper"; a missing flag key leaves its bit.
  ASSERT_EQ(Store().DeleteData(printer_, kStoreUser, section.c_str(), "OutputSize"), ERROR_SUCCESS);
  ASSERT_EQ(Store().DeleteData(printer_, kStoreUser, section.c_str(), "PrintErrors"), ERROR_SUCCESS);
  XDEVMODE start = base;
  start.dmPrivate._iOutputSize = 3;
  start.dmPrivate._dwAdvSettings |= kAdvPrintErrors;
  XDEVMODE loaded = load(start);
  EXPECT_EQ(loaded.dmPrivate._iOutputSize, 0xFFFFu);
  EXPECT_TRUE(loaded.dmPrivate._dwAdvSettings & kAdvPrintErrors);
  SetDword(printer_, kStoreUser, section, "UsePrinterTimeouts", 0);
  EXPECT_TRUE(load().dmPrivate._dwAdvSettings & kAdvOverridePrinterTimeouts);
  SetDword(printer_, kStoreUser, section, "UsePrinterTimeouts", 7);
  EXPECT_FALSE(load().dmPrivate._dwAdvSettings & kAdvOverridePrinterTimeouts);

  // A halftone that is missing or does not parse is the printer's own screen.
  for (const char* halftone : {"", "1,2", "a,b,c"}) {
    SCOPED_TRACE(halftone);
    SetString(printer_, kStoreUser, section, "Halftone", halftone);
    XDEVMODE screened = base;
    screened.dmPrivate._bPrinterScreen = 0;
    screened.dmPrivate._nScreenFrequency = 99;
    screened = load(screened);
    EXPECT_EQ(screened.dmPrivate._bPrinterScreen, 1u);
    EXPECT_EQ(screened.dmPrivate._nScreenFrequency, 0);
  }

  // The watermark is looked up by name among the user's watermarks, whose names
  // are stored in hexadecimal; one the user no longer has means no watermark.
  ASSERT_EQ(CreateDefaultWatermarks(printer_), 1);
  SetString(printer_, kStoreUser, section, "Watermark", A("コピー"));
  XDEVMODE marked = load();
  EXPECT_EQ(U(marked.dmPrivate._wmCurrent.text), "コピー");
  EXPECT_EQ(marked.dmPrivate._wmCurrent.size, 72);
  SetString(printer_, kStoreUser, section, "Watermark", "Deleted one");
  XDEVMODE gone = marked;
  gone = load(gone);
  const WatermarkRecord none{};
  EXPECT_EQ(std::memcmp(&gone.dmPrivate._wmCurrent, &none, sizeof none), 0);

  // The user-defined paper: taken from the profile only for the custom paper size,
  // else from the model.
  const PaperEntry& customRow = model_->papers[CustomRow(*model_)];
  SetDword(printer_, kStoreUser, section, "PaperSize", kCustomPaperId);
  SetString(printer_, kStoreUser, section, "CustomPaper_261",
            "CustomPaper    ;4000,6000;0,0,0,0;0,0,0,0;0,0,0,0;0,0,0,0; 0;0;1; 0,0;0;261;1;PJL");
  SetDword(printer_, kStoreUser, section, "CustomPaperUnit", 2);
  loaded = load();
  EXPECT_EQ(loaded.dmPrivate._lCustomWidth, 4000u);
  EXPECT_EQ(loaded.dmPrivate._nCustomUnit, 2u);
  SetString(printer_, kStoreUser, section, "CustomPaper_261", "garbage");
  loaded = load();
  EXPECT_EQ(loaded.dmPrivate._lCustomWidth, static_cast<DWORD>(customRow.geometry[0].width));
  EXPECT_EQ(loaded.dmPrivate._nCustomUnit, 1u);
  SetDword(printer_, kStoreUser, section, "PaperSize", 9);
  SetString(printer_, kStoreUser, section, "CustomPaper_261",
            "CustomPaper    ;4000,6000;0,0,0,0;0,0,0,0;0,0,0,0;0,0,0,0; 0;0;1; 0,0;0;261;1;PJL");
  loaded = load();
  EXPECT_EQ(loaded.dmPrivate._lCustomWidth, static_cast<DWORD>(customRow.geometry[0].width));

  // Texts that do not fit their field are not cut into other texts: the field
  // is left empty.
  SetString(printer_, kStoreUser, section, "Account", std::string(40, 'a'));
  XDEVMODE accounted = base;
  std::strcpy(accounted.dmPrivate._sAccount, "before");
  EXPECT_STREQ(load(accounted).dmPrivate._sAccount, "");
}

TEST_F(ProfilesTest, AUserDefinedPaperInTheFirstRowIsKept) {
  HANDLE printer = InstallText(
      "[General]\nModelName=Custom First\n[PDL]\n1=PS3\nDefault=1\n[Paper]\n"
      "1=Custom;8500,11000;0,0,0,0;0,0,0,0;0,0,0,0;0,0,0,0; 0;0;1; 0,0;0;261;0;PJL\n"
      "2=A4;8267,11692;167,167,167,167;167,167,167,167;;;;;;;;9;0;A4\n",
      "Custom First");
  const ModelRecord* model = GetModelRecord(printer, "Custom First", kModelReloadWhenMissing);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->papers[0].id, kCustomPaperId);
  XDEVMODE settings = Default(kPdlPs3, model, printer, "Custom First");
  ASSERT_EQ(settings.dmPrivate._nCustomPaperIndex, 0);
  settings.dmPublic.dmPaperSize = static_cast<SHORT>(kCustomPaperId);
  settings.dmPrivate._lCustomWidth = 3333;
  settings.dmPrivate._nCustomUnit = 2;
  ASSERT_EQ(SaveProfile(printer, "First", &settings, kProfileAdd), 1);
  XDEVMODE loaded = Default(kPdlPs3, model, printer, "Custom First");
  ASSERT_EQ(LoadProfile(printer, "Custom First", "First", &loaded), 1);
  EXPECT_EQ(loaded.dmPrivate._nCustomPaperIndex, 0);
  EXPECT_EQ(loaded.dmPrivate._lCustomWidth, 3333u);
  EXPECT_EQ(loaded.dmPrivate._nCustomUnit, 2u);

  // A model without a user-defined paper: no custom paper is stored, and loading
  // clears the custom fields with "none".
  HANDLE plain = InstallText(
      "[General]\nModelName=No Custom\n[PDL]\n1=PS3\nDefault=1\n[Paper]\n"
      "1=A4;8267,11692;167,167,167,167;167,167,167,167;;;;;;;;9;0;A4\n",
      "No Custom");
  const ModelRecord* plainModel = GetModelRecord(plain, "No Custom", kModelReloadWhenMissing);
  ASSERT_NE(plainModel, nullptr);
  XDEVMODE plainSettings = Default(kPdlPs3, plainModel, plain, "No Custom");
  ASSERT_EQ(SaveProfile(plain, "Plain", &plainSettings, kProfileAdd), 1);
  EXPECT_FALSE(GetString(plain, kStoreUser, "Profiles\\PS\\1\\506C61696E", "CustomPaper_261").has_value());
  plainSettings.dmPrivate._nCustomPaperIndex = 5;
  plainSettings.dmPrivate._lCustomWidth = 77;
  ASSERT_EQ(LoadProfile(plain, "No Custom", "Plain", &plainSettings), 1);
  EXPECT_EQ(plainSettings.dmPrivate._nCustomPaperIndex, -1);
  EXPECT_EQ(plainSettings.dmPrivate._lCustomWidth, 0u);
}

TEST_F(ProfilesTest, ProfilesStayApartPerPrinterLanguageAndModelVariant) {
  const XDEVMODE ps = Default(kPdlPs3);
  const XDEVMODE pcl = Default(kPdlPcl5si);
  ASSERT_EQ(SaveProfile(printer_, "Only PCL", &pcl, kProfileAdd), 1);
  ASSERT_EQ(SaveProfile(printer_, "Only PS", &ps, kProfileAdd), 1);
  EXPECT_EQ(Names(pcl), (std::vector<std::string>{"Only PCL"}));
  EXPECT_EQ(Names(ps), (std::vector<std::string>{"Only PS"}));
  XDEVMODE probe = ps;
  EXPECT_EQ(LoadProfile(printer_, "Nardo C", "Only PCL", &probe), 0);
  EXPECT_EQ(std::memcmp(&probe, &ps, sizeof probe), 0) << "a profile that is not there changes nothing";
  // PCL XL settings belong with PCL.
  XDEVMODE xl = pcl;
  xl.dmPrivate._nPDL = 0x4000 | 0x8C;
  EXPECT_EQ(ProfileListSection(xl, model_), "Profiles\\PCL\\0");

  // Variant 0 profiles are invisible to the variant model.
  auto other = std::make_unique<ModelRecord>(*model_);
  other->variant = 0;
  ASSERT_EQ(SaveProfileForModel(printer_, other.get(), "Variant zero", &ps, kProfileAdd), 1);
  EXPECT_EQ(Names(ps), (std::vector<std::string>{"Only PS"}));
  XDEVMODE zero = ps;
  EXPECT_EQ(LoadProfileForModel(printer_, other.get(), "Variant zero", &zero), 1);
  EXPECT_EQ(ProfileListSection(ps, other.get()), "Profiles\\PS\\1");
  EXPECT_EQ(ProfileListSection(ps, nullptr), "Profiles\\PS");
  char section[32];
  ASSERT_TRUE(ProfileSection(printer_, &ps, section, sizeof section));
  EXPECT_STREQ(section, "Profiles\\PS\\0");
  EXPECT_FALSE(ProfileSection(printer_, &ps, section, 5));
}

TEST_F(ProfilesTest, SaveModesNamesAndStoredLists) {
  XDEVMODE settings = Default(kPdlPs3);
  settings.dmPublic.dmCopies = 2;
  ASSERT_EQ(SaveProfile(printer_, "Mine", &settings, kProfileCreateIfAbsent), 1);
  settings.dmPublic.dmCopies = 3;
  EXPECT_EQ(SaveProfile(printer_, "Mine", &settings, kProfileCreateIfAbsent), 0) << "it exists";
  const std::string section = "Profiles\\PS\\0\\4D696E65";
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "Copies").value_or(0), 2u);
  // Overwriting writes every key again and drops the keys the settings no longer have.
  ASSERT_TRUE(GetString(printer_, kStoreUser, section, "CustomPaper_261").has_value());
  SetDword(printer_, kStoreUser, section, "Obsolete", 1);
  settings.dmPrivate._nCustomPaperIndex = -1;
  ASSERT_EQ(SaveProfile(printer_, "Mine", &settings, kProfileOverwrite), 1);
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "Copies").value_or(0), 3u);
  EXPECT_FALSE(GetString(printer_, kStoreUser, section, "CustomPaper_261").has_value());
  EXPECT_FALSE(GetDword(printer_, kStoreUser, section, "Obsolete").has_value());
  EXPECT_EQ(SaveProfile(printer_, "Mine", &settings, 3), 0);

  // Names: 1 to 63 bytes.
  const std::string longest(63, 'L');
  EXPECT_EQ(SaveProfile(printer_, longest.c_str(), &settings, kProfileAdd), 1);
  EXPECT_EQ(SaveProfile(printer_, std::string(64, 'L').c_str(), &settings, kProfileAdd), 0);
  EXPECT_EQ(SaveProfile(printer_, "", &settings, kProfileAdd), 0);
  EXPECT_EQ(SaveProfile(printer_, nullptr, &settings, kProfileAdd), 0);
  EXPECT_EQ(SaveProfile(printer_, "Mine", nullptr, kProfileAdd), 0);
  EXPECT_EQ(SaveProfile(0x7777, "Mine", &settings, kProfileAdd), 0) << "no printer, no model record";

  // The list: registered names in the store's order; foreign keys are passed over.
  const std::string list = "Profiles\\PS\\0";
  SetString(printer_, kStoreUser, list, "NotHex", "NotHex");
  SetString(printer_, kStoreUser, list, std::string(128, 'A'), "x");  // 64 bytes
  SetString(printer_, kStoreUser, list, "00", "00");
  EXPECT_EQ(Names(settings), (std::vector<std::string>{"Mine", longest}));
  std::vector<ProfileName> names(3);
  EXPECT_EQ(LoadProfileNames(printer_, "Nardo C", nullptr, names), 0);
  EXPECT_TRUE(names.empty());
  XDEVMODE loaded = settings;
  EXPECT_EQ(LoadProfile(printer_, "Nardo C", longest.c_str(), &loaded), 1);
}

DWORD FailingSetDword(HANDLE, int32_t, const char*, const char*, DWORD) { return ERROR_WRITE_FAULT; }

TEST_F(ProfilesTest, AFailedSaveListsNothingNewAndKeepsTheOldProfile) {
  XDEVMODE settings = Default(kPdlPs3);
  settings.dmPublic.dmCopies = 4;
  ASSERT_EQ(SaveProfile(printer_, "Kept", &settings, kProfileAdd), 1);
  {
    BrokenSetting<PFN_DBSetDword> broken(&SettingsFunctions::setDword, &FailingSetDword);
    EXPECT_EQ(SaveProfile(printer_, "New", &settings, kProfileAdd), 0);
    settings.dmPublic.dmCopies = 9;
    EXPECT_EQ(SaveProfile(printer_, "Kept", &settings, kProfileOverwrite), 0);
  }
  EXPECT_EQ(Names(settings), (std::vector<std::string>{"Kept"}));
  XDEVMODE loaded = Default(kPdlPs3);
  ASSERT_EQ(LoadProfile(printer_, "Nardo C", "Kept", &loaded), 1);
  EXPECT_EQ(loaded.dmPublic.dmCopies, 4);
  EXPECT_TRUE(GetString(printer_, kStoreUser, "Profiles\\PS\\0\\4B657074", "Halftone").has_value())
      << "the old keys are all still there";
}

TEST_F(ProfilesTest, TheBuiltInProfileIsMadeForBothLanguagesAndVariantsAndKeepsChanges) {
  const std::vector<uint8_t> before(reinterpret_cast<const uint8_t*>(model_),
                                    reinterpret_cast<const uint8_t*>(model_) + sizeof(ModelRecord));
  ASSERT_EQ(CreateDefaultProfiles(printer_, "Nardo C", model_), 1);
  EXPECT_EQ(std::memcmp(before.data(), model_, sizeof(ModelRecord)), 0) << "the cached record is not written";

  struct Case {
    const char* list;
    DWORD paperSize;
    DWORD pdl;
  } cases[] = {
      {"Profiles\\PS\\0", 290, 0x103},
      {"Profiles\\PCL\\0", 290, 0x8C},
      {"Profiles\\PS\\1", 9, 0x103},
      {"Profiles\\PCL\\1", 9, 0x8C},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list);
    EXPECT_EQ(GetString(printer_, kStoreUser, c.list, kStandardHex).value_or(""), kStandardHex);
    const std::string section = std::string(c.list) + "\\" + kStandardHex;
    EXPECT_EQ(GetDword(printer_, kStoreUser, section, "PaperSize").value_or(0), c.paperSize);
    EXPECT_EQ(GetDword(printer_, kStoreUser, section, "PDL").value_or(0), c.pdl);
    EXPECT_EQ(Keys(printer_, kStoreUser, c.list).size(), 1u);
  }
  EXPECT_EQ(Names(Default(kPdlPs3)), (std::vector<std::string>{"標準"}));

  // The user changes it; making the profiles again (a later set-up) keeps that.
  const std::string changed = std::string("Profiles\\PS\\0\\") + kStandardHex;
  XDEVMODE mine = Default(kPdlPs3);
  mine.dmPublic.dmCopies = 5;
  ASSERT_EQ(SaveProfile(printer_, A("標準").c_str(), &mine, kProfileOverwrite), 1);
  ASSERT_EQ(CreateDefaultProfiles(printer_, "Nardo C", model_), 1);
  EXPECT_EQ(GetDword(printer_, kStoreUser, changed, "Copies").value_or(0), 5u);

  // A new driver version makes the profiles again: one the user lost comes back,
  // the others stay as they are.
  ASSERT_EQ(Store().DeleteData(printer_, kStoreUser, "Profiles\\PCL\\1", kStandardHex), ERROR_SUCCESS);
  ASSERT_EQ(Store().DeleteSection(printer_, kStoreUser, (std::string("Profiles\\PCL\\1\\") + kStandardHex).c_str()),
            ERROR_SUCCESS);
  ASSERT_EQ(CreateDefaultProfiles(printer_, "Nardo C", model_), 1);
  EXPECT_EQ(GetString(printer_, kStoreUser, "Profiles\\PCL\\1", kStandardHex).value_or(""), kStandardHex);
  EXPECT_EQ(GetDword(printer_, kStoreUser, std::string("Profiles\\PCL\\1\\") + kStandardHex, "PDL").value_or(0), 0x8Cu);
  EXPECT_EQ(GetDword(printer_, kStoreUser, changed, "Copies").value_or(0), 5u);

  EXPECT_EQ(CreateDefaultProfiles(printer_, "Nardo C", nullptr), 0);
  EXPECT_EQ(CreateDefaultProfiles(printer_, nullptr, model_), 0);
}

TEST_F(ProfilesTest, ASecondUsersFirstUseGivesThemTheirOwnDefaults) {
  ASSERT_EQ(CreateDefaultWatermarks(printer_), 1);
  ASSERT_EQ(CreateDefaultProfiles(printer_, "Nardo C", model_), 1);
  XDEVMODE mine = Default(kPdlPs3);
  mine.dmPublic.dmCopies = 6;
  ASSERT_EQ(SaveProfile(printer_, A("標準").c_str(), &mine, kProfileOverwrite), 1);

  platform::SetCurrentUser("Second");
  EXPECT_TRUE(Keys(printer_, kStoreUser, kWatermarksSection).empty());
  EXPECT_TRUE(Names(mine).empty());
  ASSERT_EQ(CreateDefaultWatermarks(printer_), 1);
  ASSERT_EQ(CreateDefaultProfiles(printer_, "Nardo C", model_), 1);
  std::vector<std::string> watermarks = Keys(printer_, kStoreUser, kWatermarksSection);
  std::sort(watermarks.begin(), watermarks.end());
  EXPECT_EQ(watermarks, (std::vector<std::string>{"83528373815B", "8368838983748367", "8ED08A4F94E9"}));
  const std::string section = std::string("Profiles\\PS\\0\\") + kStandardHex;
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "Copies").value_or(0), 1u);

  platform::SetCurrentUser("Profiler");
  EXPECT_EQ(GetDword(printer_, kStoreUser, section, "Copies").value_or(0), 6u);
}

}  // namespace
}  // namespace recordstest
