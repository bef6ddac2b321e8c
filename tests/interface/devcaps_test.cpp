// Device capabilities: what the spooler and applications learn of a printer from
// its driver. Most answers are asked the way an application asks them, through the
// spooler's DeviceCapabilities, which loads the built zeluid5.dll as the printer's
// configuration module; the rest run the library's code in the test's process,
// where the shared model record can be looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "common/pdl_kind.h"
#include "common/settings_store.h"
#include "common/xdevmode.h"
#include "interface/app/library_state.h"
#include "interface/capabilities/device_capabilities.h"
#include "interface/devmode/current_devmode.h"
#include "interface/devmode/default_devmode.h"
#include "model/model_cache.h"
#include "platform/base/arith.h"
#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/modules.h"
#include "platform/spooler/devmode.h"
#include "platform/spooler/spooler.h"
#include "tests/interface/ui_test_support.h"
#include "tools/machinesetup/printer_install.h"

namespace {

using Size = std::pair<LONG, LONG>;

// The library's cache lives as long as the process, across the fresh machines of
// the tests, so every printer gets a name of its own.
std::string UniqueName(const std::string& base) {
  static std::atomic<int> counter{0};
  return base + " " + std::to_string(++counter);
}

// A device mode of the driver's layout as an application would pass it back.
XDEVMODE CallerDevmode(WORD pdl, int customRow, DWORD customWidth, DWORD customLength) {
  XDEVMODE dm{};
  dm.dmPublic.dmSpecVersion = kXDevModeSpecVersion;
  dm.dmPublic.dmSize = kXDevModePublicSize;
  dm.dmPublic.dmDriverExtra = kXDevModeDriverExtra;
  dm.dmPrivate.privateVersion = kXDevModePrivateVersion;
  dm.dmPrivate.revisionStamp = kXDevModeRevision;
  dm.dmPrivate._nPDL = pdl;
  dm.dmPrivate._nCustomPaperIndex = customRow;
  dm.dmPrivate._nCustomUnit = 1;
  dm.dmPrivate._lCustomWidth = customWidth;
  dm.dmPrivate._lCustomLength = customLength;
  return dm;
}

class DevCapsTest : public uitest::UiCoreTest {
 protected:
  void SetUp() override {
    UiCoreTest::SetUp();
    ModelCacheStart(&LibrarySettings());
  }

  void TearDown() override {
    for (HANDLE printer : printers_) ClosePrinter(printer);
    ModelCacheStop();
    UiCoreTest::TearDown();
  }

  // A shipped model, with what printer set-up leaves in the printer's data.
  HANDLE InstallShipped(const std::string& file, const std::string& name, WORD pdl, DWORD variant) {
    HANDLE printer = uitest::InstallPrinter(file, name);
    if (!printer) return 0;
    printers_.push_back(printer);
    SetPrinterDword(printer, "PDL", pdl);
    SetPrinterDword(printer, "TRQ50Compatible", variant);
    return printer;
  }

  // A model description written by the test (UTF-8 here, the ANSI code page on disk).
  HANDLE InstallText(const std::string& utf8Text, const std::string& name, WORD pdl,
                     const std::string& driverFolder = machinesetup::BuiltDriverFolder()) {
    const std::filesystem::path file = root() / (name + ".ini");
    std::ofstream(file, std::ios::binary) << platform::AnsiFromUtf8(utf8Text);
    machinesetup::PrinterSpec spec;
    spec.printerName = name;
    spec.modelDescription = file;
    spec.driverFolder = driverFolder;
    std::string error;
    if (!machinesetup::InstallPrinter(spec, error)) {
      ADD_FAILURE() << error;
      return 0;
    }
    HANDLE printer = 0;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    std::string ansiName = name;
    if (!OpenPrinterA(ansiName.data(), &printer, &defaults)) {
      ADD_FAILURE() << "cannot open " << name;
      return 0;
    }
    printers_.push_back(printer);
    SetPrinterDword(printer, "PDL", pdl);
    SetPrinterDword(printer, "TRQ50Compatible", 0);
    return printer;
  }

  // Every write of the printer's configuration moves its counter, so that the
  // cached model records are reloaded.
  void SetPrinterDword(HANDLE printer, const char* key, DWORD value) {
    ASSERT_EQ(LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", key, value), ERROR_SUCCESS);
    ASSERT_EQ(LibrarySettings().SetDword(printer, kStorePrinterData, "Printer", "Cfg", ++configCounter_),
              ERROR_SUCCESS);
  }

 private:
  std::vector<HANDLE> printers_;
  DWORD configCounter_ = 100;
};

// ---- Asked as an application asks: DeviceCapabilitiesA / W ------------------

int Caps(const std::string& printer, WORD capability, void* output = nullptr, const DEVMODEA* devmode = nullptr) {
  return DeviceCapabilitiesA(printer.c_str(), "FILE:", capability, static_cast<LPSTR>(output), devmode);
}

template <class T>
std::vector<T> CapsList(const std::string& printer, WORD capability, size_t perEntry = 1,
                        const DEVMODEA* devmode = nullptr) {
  const int count = Caps(printer, capability, nullptr, devmode);
  if (count <= 0) return {};
  std::vector<T> out(static_cast<size_t>(count) * perEntry);
  EXPECT_EQ(Caps(printer, capability, out.data(), devmode), count) << "capability " << capability;
  return out;
}

std::vector<Size> CapsSizes(const std::string& printer, WORD capability, const DEVMODEA* devmode = nullptr) {
  const std::vector<LONG> flat = CapsList<LONG>(printer, capability, 2, devmode);
  std::vector<Size> sizes;
  for (size_t i = 0; i + 1 < flat.size(); i += 2) sizes.emplace_back(flat[i], flat[i + 1]);
  return sizes;
}

// Names of an ANSI answer, in UTF-8.
std::vector<std::string> CapsNames(const std::string& printer, WORD capability, size_t slot) {
  const std::vector<char> flat = CapsList<char>(printer, capability, slot);
  std::vector<std::string> names;
  for (size_t i = 0; i < flat.size(); i += slot) {
    const char* name = flat.data() + i;
    EXPECT_LT(std::strlen(name), slot) << "every name ends within its slot";
    names.push_back(uitest::U(name));
  }
  return names;
}

// Names of a wide answer, in UTF-8.
std::vector<std::string> CapsNamesW(const std::string& printer, WORD capability, size_t slot) {
  const std::u16string name16 = platform::ToUtf16(printer);
  const int count = DeviceCapabilitiesW(name16.c_str(), nullptr, capability, nullptr, nullptr);
  if (count <= 0) return {};
  std::vector<WCHAR> flat(static_cast<size_t>(count) * slot);
  EXPECT_EQ(DeviceCapabilitiesW(name16.c_str(), nullptr, capability, flat.data(), nullptr), count);
  std::vector<std::string> names;
  for (size_t i = 0; i < flat.size(); i += slot) names.push_back(platform::Utf8FromUtf16(flat.data() + i));
  return names;
}

std::vector<BYTE> AnsiDevmode(const XDEVMODE& dm) { return platform::DevModeAFromW(&dm.dmPublic); }

struct ShippedModel {
  const char* file;
  WORD pdl;
  DWORD variant;
  int customRow;  // the papers row of the user-defined size
  std::vector<WORD> papers;
  std::vector<Size> paperSizes;  // the user-defined size as the caller's 5000 x 7000 thousandths
  std::vector<std::string> paperNames;
  DWORD minExtent;
  DWORD maxExtent;
  std::vector<WORD> bins;
  std::vector<std::string> binNames;
  std::vector<Size> resolutions;
  std::vector<DWORD> mediaTypes;
  std::vector<std::string> mediaTypeNames;
  int duplex;
  int collate;
  int staple;
  std::string personality;
  std::vector<DWORD> nup;
  int printRate;
};

// Test names show the model description, not the bytes of the row.
void PrintTo(const ShippedModel& model, std::ostream* os) { *os << model.file; }

const ShippedModel kShippedModels[] = {
    {"nardo-c5545.ini",
     kPdlPs3,
     1,
     18,
     // Letter, Legal, Executive, Ledger, A3, A4, A5, B4, B5, postcard, Com10, DL, C5,
     // A4 rotated, A4 tab, Letter tab, user-defined: the second Letter and A4 rows
     // (fed long edge first) are the same papers.
     {1, 5, 7, 17, 8, 9, 11, 12, 13, 43, 20, 27, 28, 290, 271, 272, 261},
     // Variant 1 lists every paper in portrait, the rotated A4 and the custom size too.
     // clang-format off
     {{2159, 2794}, {2159, 3556}, {1842, 2667}, {2794, 4318}, {2970, 4200}, {2100, 2970}, {1480, 2100},
      {2570, 3640}, {1820, 2570}, {1000, 1480}, {1048, 2413}, {1100, 2200}, {1620, 2290}, {2100, 2970},
      {2230, 2970}, {2286, 2794}, {1270, 1778}},
     // clang-format on
     {"レター", "リーガル", "エグゼクティブ", "レジャー", "A3", "A4", "A5", "B4 (JIS)", "B5 (JIS)", "はがき",
      "封筒 Com10", "封筒 DL", "封筒 C5", "A4 横", "A4 インデックス紙", "レター インデックス紙", "ユーザー定義サイズ"},
     // Smallest width: the postcard; smallest height: the postcard too. Largest: A3
     // rotated and Ledger.
     static_cast<DWORD>(MAKELONG(1000, 1480)),
     static_cast<DWORD>(MAKELONG(2970, 4318)),
     // The large-capacity tray (5) is not installed and drops out.
     {15, 257, 258, 259, 260},
     {"ﾄﾗｸﾀ", "手差しトレイ", "トレイ1", "トレイ2", "トレイ3"},
     {{600, 600}, {1200, 1200}},
     {500, 501, 502, 503, 504, 505, 506, 507, 508, 509, 510},
     {"Plain", "Recycled", "Thick1", "Thick2", "Transparency", "Labels", "Envelope", "Cover", "Preprinted",
      "Letterhead", "Colored"},
     1,
     1,
     1,
     "PostScript",
     {1, 2, 4, 6, 8, 9, 12, 16},
     45},
    {"nardo-m3020.ini",
     kPdlPcl5e,
     0,
     10,
     {1, 5, 7, 9, 11, 13, 20, 27, 28, 37, 261},
     // clang-format off
     {{2159, 2794}, {2159, 3556}, {1842, 2667}, {2100, 2970}, {1480, 2100}, {1820, 2570}, {1048, 2413},
      {1100, 2200}, {1620, 2290}, {984, 1905}, {1270, 1778}},
     // clang-format on
     {"レター", "リーガル", "エグゼクティブ", "A4", "A5", "B5 (JIS)", "封筒 Com10", "封筒 DL", "封筒 C5",
      "封筒 Monarch", "ユーザー定義サイズ"},
     static_cast<DWORD>(MAKELONG(984, 1905)),
     static_cast<DWORD>(MAKELONG(2159, 3556)),
     // The second tray (3) needs the lower tray, which is not installed.
     {15, 257, 258},
     {"ﾄﾗｸﾀ", "手差しトレイ", "トレイ1"},
     {{600, 600}, {300, 300}},
     {500, 502, 504, 505, 506},
     {"Plain", "Thick1", "Transparency", "Labels", "Envelope"},
     1,
     0,
     0,
     "PCL5e",
     {1},
     30},
};

class ShippedModelCaps : public DevCapsTest, public ::testing::WithParamInterface<ShippedModel> {};

TEST_P(ShippedModelCaps, ListsAndValuesThroughTheSpooler) {
  const ShippedModel& m = GetParam();
  const std::string name = UniqueName(m.file);
  HANDLE printer = InstallShipped(m.file, name, m.pdl, m.variant);
  ASSERT_NE(printer, 0u);
  const std::vector<BYTE> caller = AnsiDevmode(CallerDevmode(m.pdl, m.customRow, 5000, 7000));
  ASSERT_FALSE(caller.empty());
  const auto* callerDm = reinterpret_cast<const DEVMODEA*>(caller.data());

  EXPECT_EQ(CapsList<WORD>(name, DC_PAPERS), m.papers);
  EXPECT_EQ(CapsSizes(name, DC_PAPERSIZE, callerDm), m.paperSizes);
  EXPECT_EQ(CapsNames(name, DC_PAPERNAMES, 64), m.paperNames);
  EXPECT_EQ(CapsNamesW(name, DC_PAPERNAMES, 64), m.paperNames);
  EXPECT_EQ(static_cast<DWORD>(Caps(name, DC_MINEXTENT)), m.minExtent);
  EXPECT_EQ(static_cast<DWORD>(Caps(name, DC_MAXEXTENT)), m.maxExtent);
  EXPECT_EQ(CapsList<WORD>(name, DC_BINS), m.bins);
  EXPECT_EQ(CapsNames(name, DC_BINNAMES, 24), m.binNames);
  EXPECT_EQ(CapsSizes(name, DC_ENUMRESOLUTIONS), m.resolutions);
  EXPECT_EQ(CapsList<DWORD>(name, DC_MEDIATYPES), m.mediaTypes);
  EXPECT_EQ(CapsNames(name, DC_MEDIATYPENAMES, 64), m.mediaTypeNames);
  EXPECT_EQ(CapsNames(name, DC_PERSONALITY, 32), std::vector<std::string>{m.personality});
  EXPECT_EQ(CapsList<DWORD>(name, DC_NUP), m.nup);
  EXPECT_EQ(Caps(name, DC_DUPLEX), m.duplex);
  EXPECT_EQ(Caps(name, DC_COLLATE), m.collate);
  EXPECT_EQ(Caps(name, DC_STAPLE), m.staple);
  EXPECT_EQ(Caps(name, DC_PRINTRATE), m.printRate);
  EXPECT_EQ(Caps(name, DC_PRINTRATEPPM), m.printRate);

  // The counts without a buffer, for every list.
  // clang-format off
  const std::pair<WORD, size_t> counts[] = {
      {DC_PAPERS, m.papers.size()},         {DC_PAPERSIZE, m.papers.size()},
      {DC_PAPERNAMES, m.papers.size()},     {DC_BINS, m.bins.size()},
      {DC_BINNAMES, m.bins.size()},         {DC_ENUMRESOLUTIONS, m.resolutions.size()},
      {DC_MEDIATYPES, m.mediaTypes.size()}, {DC_MEDIATYPENAMES, m.mediaTypes.size()},
      {DC_NUP, m.nup.size()},               {DC_PERSONALITY, 1}};
  // clang-format on
  for (const auto& [capability, count] : counts)
    EXPECT_EQ(Caps(name, capability), static_cast<int>(count)) << "capability " << capability;

  // Questions about the device mode read the printer's current one.
  XDEVMODE current{};
  ASSERT_EQ(GetCurrentDevmode(printer, name.c_str(), &current), 1);
  EXPECT_EQ(current.dmPublic.dmFields, 0x0780FF13u);
  EXPECT_EQ(static_cast<DWORD>(Caps(name, DC_FIELDS)), current.dmPublic.dmFields);
  EXPECT_EQ(Caps(name, DC_SIZE), 220);
  EXPECT_EQ(Caps(name, DC_EXTRA), 2496);
  EXPECT_EQ(Caps(name, DC_VERSION), 0x0401);
  EXPECT_EQ(Caps(name, DC_DRIVER), current.dmPublic.dmDriverVersion);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedModelCaps, ::testing::ValuesIn(kShippedModels),
                         [](const auto& model) { return std::string(model.param.pdl == kPdlPs3 ? "Colour" : "Mono"); });

TEST_F(DevCapsTest, FixedAnswersAndQuestionsTheDriverDoesNotAnswer) {
  const std::string name = UniqueName("Fixed");
  ASSERT_NE(InstallShipped("nardo-m3020.ini", name, kPdlPcl5e, 0), 0u);
  const std::pair<WORD, int> answers[] = {
      {DC_TRUETYPE, DCTT_DOWNLOAD | DCTT_SUBDEV},
      {DC_ORIENTATION, 270},
      {DC_COPIES, 32767},
      {DC_PRINTRATEUNIT, PRINTRATEUNIT_PPM},
      {DC_MEDIAREADY, 0},
      {DC_COLORDEVICE, 0},
      {DC_FILEDEPENDENCIES, -1},
      {DC_BINADJUST, -1},
      {DC_EMF_COMPLIANT, -1},
      {DC_DATATYPE_PRODUCED, -1},
      {DC_MANUFACTURER, -1},
      {DC_MODEL, -1},
      {DC_PRINTERMEM, -1},
      {0, -1},
      {36, -1},
      {0x1234, -1},
  };
  for (const auto& [capability, expected] : answers)
    EXPECT_EQ(Caps(name, capability), expected) << "capability " << capability;
}

// A small model: paper ids 1, 9, 1 (the same paper fed the other way), 5; trays 1,
// 2 and 4; no print speed.
const char kSmallModel[] = R"([General]
FormatVersion=2.10
ModelName=Capability Test Model
ModelID=77

[PDL]
1=PCL5E
Default=1

[Paper]
1=Letter;8500,11000;167,167,167,167;250,167,250,167;;;2;;;;;1;0;LETTER
2=A4;8267,11692;167,167,167,167;250,167,250,167;;;26;;;;;9;0;A4
3=Letter long edge;11000,8500;167,167,167,167;250,167,250,167;;;2;;;;;1;1;LETTER
4=Legal;8500,14000;167,167,167,167;250,167,250,167;;;3;;;;;5;0;LEGAL

[PaperSource]
1=Upper;0,1,1;-1;TRAY1;1
2=Lower;1,4,1;-1;TRAY2;1
4=手差し;3,2,0;-1;BYPASS;0

[Resolution]
1=600
)";

TEST_F(DevCapsTest, SmallModelPapersOnceEachBinsAfterTheFormSourceNoSpeed) {
  const std::string name = UniqueName("Small");
  ASSERT_NE(InstallText(kSmallModel, name, kPdlPcl5e), 0u);

  EXPECT_EQ(CapsList<WORD>(name, DC_PAPERS), (std::vector<WORD>{1, 9, 5}));
  EXPECT_EQ(CapsNames(name, DC_PAPERNAMES, 64), (std::vector<std::string>{"Letter", "A4", "Legal"}));
  EXPECT_EQ(CapsSizes(name, DC_PAPERSIZE), (std::vector<Size>{{2159, 2794}, {2100, 2970}, {2159, 3556}}));
  // Extents take every row, the long-edge Letter too.
  EXPECT_EQ(static_cast<DWORD>(Caps(name, DC_MINEXTENT)), static_cast<DWORD>(MAKELONG(2100, 2159)));
  EXPECT_EQ(static_cast<DWORD>(Caps(name, DC_MAXEXTENT)), static_cast<DWORD>(MAKELONG(2794, 3556)));
  EXPECT_EQ(CapsList<WORD>(name, DC_BINS), (std::vector<WORD>{15, 257, 258, 260}));
  EXPECT_EQ(CapsNames(name, DC_BINNAMES, 24), (std::vector<std::string>{"ﾄﾗｸﾀ", "Upper", "Lower", "手差し"}));
  EXPECT_EQ(Caps(name, DC_PRINTRATE), -1);
  EXPECT_EQ(Caps(name, DC_PRINTRATEPPM), -1);
  EXPECT_EQ(CapsList<DWORD>(name, DC_NUP), (std::vector<DWORD>{1}));
  // No media types in the description: an empty list.
  EXPECT_EQ(Caps(name, DC_MEDIATYPES), 0);
  EXPECT_EQ(Caps(name, DC_MEDIATYPENAMES), 0);
}

TEST_F(DevCapsTest, TheSpoolerFailsForAPrinterOrDriverItCannotReach) {
  EXPECT_EQ(Caps("No Such Printer", DC_PAPERS), -1);
  EXPECT_EQ(DeviceCapabilitiesA(nullptr, nullptr, DC_PAPERS, nullptr, nullptr), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A driver whose configuration module is not where the driver entry says.
  const std::string name = UniqueName("Unreachable");
  std::string text = kSmallModel;
  text.replace(text.find("Capability Test Model"), 21, "Unreachable Driver Model");
  ASSERT_NE(InstallText(text, name, kPdlPcl5e, uitest::AnsiWindowsPath(root() / "nowhere")), 0u);
  EXPECT_EQ(Caps(name, DC_PAPERS), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

// ---- The user-defined paper size ----------------------------------------------

// Each caller gets the custom size of its own device mode. The size is worked out
// on a copy: written into the cached record, the first caller's size would stay
// there for every later caller.
TEST_F(DevCapsTest, CustomPaperSizeFollowsEachCallersDevmode) {
  const std::string name = UniqueName("Custom");
  ASSERT_NE(InstallShipped("nardo-m3020.ini", name, kPdlPcl5e, 0), 0u);

  struct Case {
    DWORD width, length;  // thousandths of an inch
    Size expected;        // tenths of a millimetre
  };
  const Case cases[] = {{5000, 7000, {1270, 1778}}, {6000, 9000, {1524, 2286}}, {3543, 5500, {900, 1397}}};
  for (const Case& c : cases) {
    const std::vector<BYTE> dm = AnsiDevmode(CallerDevmode(kPdlPcl5e, 10, c.width, c.length));
    const std::vector<Size> sizes = CapsSizes(name, DC_PAPERSIZE, reinterpret_cast<const DEVMODEA*>(dm.data()));
    ASSERT_EQ(sizes.size(), 11u);
    EXPECT_EQ(sizes.back(), c.expected) << c.width << " x " << c.length;
    EXPECT_EQ(sizes.front(), (Size{2159, 2794})) << "the other papers keep their sizes";
  }
}

TEST_F(DevCapsTest, CustomPaperSizeLeavesTheCachedRecordAsItWas) {
  const std::string name = UniqueName("Cached");
  HANDLE printer = InstallShipped("nardo-m3020.ini", name, kPdlPcl5e, 0);
  ASSERT_NE(printer, 0u);
  const ModelRecord* record = GetModelRecord(printer, name.c_str(), kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  const PaperEntry before = record->papers[10];
  ASSERT_EQ(before.id, kCustomPaperId);
  ASSERT_LT(before.userSizeMark, 0);

  XDEVMODE dm = CallerDevmode(kPdlPcl5e, 10, 5000, 7000);
  std::vector<LONG> sizes(2 * 11);
  ASSERT_EQ(QueryDeviceCapability(printer, name.c_str(), DC_PAPERSIZE, sizes.data(), &dm.dmPublic), 11u);
  EXPECT_EQ(sizes[20], 1270);
  EXPECT_EQ(sizes[21], 1778);

  ASSERT_EQ(GetModelRecord(printer, name.c_str(), kModelReloadWhenChanged), record);
  EXPECT_EQ(std::memcmp(&record->papers[10], &before, sizeof before), 0);
  EXPECT_LT(record->papers[10].userSizeMark, 0);
}

// The caller's device mode counts only when it is a whole one of this printer's;
// anything else is passed over for the printer's current device mode, never refused.
TEST_F(DevCapsTest, ForeignCallerDevmodesArePassedOverForTheCurrentOne) {
  const std::string name = UniqueName("Foreign");
  HANDLE printer = InstallShipped("nardo-m3020.ini", name, kPdlPcl5e, 0);
  ASSERT_NE(printer, 0u);
  XDEVMODE current{};
  ASSERT_EQ(GetCurrentDevmode(printer, name.c_str(), &current), 1);
  ASSERT_EQ(current.dmPrivate._nCustomPaperIndex, 10);
  const Size currentCustom{MulDiv(static_cast<int>(current.dmPrivate._lCustomWidth), 254, 1000),
                           MulDiv(static_cast<int>(current.dmPrivate._lCustomLength), 254, 1000)};

  const XDEVMODE ours = CallerDevmode(kPdlPcl5e, 10, 6000, 9000);
  XDEVMODE otherLanguage = ours;
  otherLanguage.dmPrivate._nPDL = kPdlPs3;
  XDEVMODE otherVersion = ours;
  otherVersion.dmPrivate.privateVersion = 3;
  XDEVMODE publicOnly = ours;
  publicOnly.dmPublic.dmDriverExtra = 0;
  struct Case {
    const char* what;
    const XDEVMODE* devmode;
    Size custom;
  };
  const Case cases[] = {{"this printer's", &ours, {1524, 2286}},
                        {"another language", &otherLanguage, currentCustom},
                        {"another private version", &otherVersion, currentCustom},
                        {"public part only", &publicOnly, currentCustom},
                        {"none", nullptr, currentCustom}};
  const std::u16string name16 = platform::ToUtf16(name);
  for (const Case& c : cases) {
    const DEVMODEW* dm = c.devmode ? &c.devmode->dmPublic : nullptr;
    std::vector<LONG> sizes(2 * 11);
    ASSERT_EQ(DeviceCapabilitiesW(name16.c_str(), nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()), dm),
              11)
        << c.what;
    EXPECT_EQ((Size{sizes[20], sizes[21]}), c.custom) << c.what;
    EXPECT_EQ(DeviceCapabilitiesW(name16.c_str(), nullptr, DC_NUP, nullptr, dm), 1) << c.what;
  }
}

// The capability answers round thousandths of an inch to the nearest tenth of a
// millimetre; the default device mode's paper fields are cut instead, so the two
// differ by one for A4.
TEST_F(DevCapsTest, PaperSizeRoundsWhereTheDefaultDevmodeCuts) {
  const std::string name = UniqueName("Rounding");
  HANDLE printer = InstallShipped("nardo-m3020.ini", name, kPdlPcl5e, 0);
  ASSERT_NE(printer, 0u);
  const ModelRecord* record = GetModelRecord(printer, name.c_str(), kModelReloadWhenChanged);
  ASSERT_NE(record, nullptr);
  XDEVMODE defaults{};
  ASSERT_EQ(BuildDefaultDevmode(&defaults, printer, record, name.c_str(), kPdlOfModel), 1);
  ASSERT_EQ(defaults.dmPublic.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(defaults.dmPublic.dmPaperWidth, 2099);   // 8267 x 254 / 1000 = 2099.818
  EXPECT_EQ(defaults.dmPublic.dmPaperLength, 2969);  // 11692 x 254 / 1000 = 2969.768

  const std::vector<WORD> papers = CapsList<WORD>(name, DC_PAPERS);
  const std::vector<Size> sizes = CapsSizes(name, DC_PAPERSIZE);
  ASSERT_EQ(papers.size(), sizes.size());
  size_t a4 = 0;
  while (a4 < papers.size() && papers[a4] != DMPAPER_A4) ++a4;
  ASSERT_LT(a4, papers.size());
  EXPECT_EQ(sizes[a4], (Size{2100, 2970}));
}

// ---- DrvSplDeviceCaps, as the spooler calls it ---------------------------------

class SplDeviceCapsTest : public DevCapsTest {
 protected:
  typedef DWORD(WINAPI* SplDeviceCapsProc)(HANDLE, PWSTR, WORD, PVOID, DWORD, PDEVMODEW);

  void SetUp() override {
    DevCapsTest::SetUp();
    name_ = UniqueName("Spooler");
    printer_ = InstallShipped("nardo-m3020.ini", name_, kPdlPcl5e, 0);
    ASSERT_NE(printer_, 0u);
    module_ = LoadLibraryA(uitest::AnsiWindowsPath(uitest::BuiltModule("zeluid5.dll")).c_str());
    ASSERT_NE(module_, 0u);
    FARPROC proc = GetProcAddress(module_, "DrvSplDeviceCaps");
    ASSERT_NE(proc, nullptr);
    spl_ = reinterpret_cast<SplDeviceCapsProc>(reinterpret_cast<void (*)()>(proc));
  }

  void TearDown() override {
    if (module_) FreeLibrary(module_);
    DevCapsTest::TearDown();
  }

  DWORD Spl(WORD capability, void* output, DWORD chars) {
    std::u16string device = platform::ToUtf16(name_);
    return spl_(printer_, device.data(), capability, output, chars, nullptr);
  }

  std::string name_;
  HANDLE printer_ = 0;
  HMODULE module_ = 0;
  SplDeviceCapsProc spl_ = nullptr;
};

// The spooler's buffer has a size: paper names are written only when all of them
// fit, otherwise the call fails and the buffer stays as it was.
TEST_F(SplDeviceCapsTest, PaperNamesAreWrittenOnlyWhenTheyFit) {
  constexpr DWORD kPapers = 11;
  constexpr DWORD kSlot = 64;
  ASSERT_EQ(Spl(DC_PAPERNAMES, nullptr, 0), kPapers);

  struct Case {
    DWORD chars;
    DWORD result;
    DWORD error;
  };
  const Case cases[] = {{0, kCapabilityNotAnswered, ERROR_INSUFFICIENT_BUFFER},
                        {kPapers * kSlot - 1, kCapabilityNotAnswered, ERROR_INSUFFICIENT_BUFFER},
                        {kPapers * kSlot, kPapers, 0},
                        {kPapers * kSlot + 100, kPapers, 0}};
  for (const Case& c : cases) {
    // One slot more than the caller says it has, to see that nothing past it is written.
    std::vector<WCHAR> buffer(c.chars + kSlot, u'#');
    SetLastError(0);
    EXPECT_EQ(Spl(DC_PAPERNAMES, buffer.data(), c.chars), c.result) << c.chars;
    if (c.result == kCapabilityNotAnswered) {
      EXPECT_EQ(GetLastError(), c.error);
      EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](WCHAR w) { return w == u'#'; })) << c.chars;
      continue;
    }
    EXPECT_EQ(platform::Utf8FromUtf16(buffer.data()), "レター");
    EXPECT_EQ(platform::Utf8FromUtf16(buffer.data() + 10 * kSlot), "ユーザー定義サイズ");
    EXPECT_TRUE(std::all_of(buffer.begin() + kPapers * kSlot, buffer.end(), [](WCHAR w) { return w == u'#'; }));
  }
}

TEST_F(SplDeviceCapsTest, OnlyPaperNamesAndMediaReadyAreAnswered) {
  WCHAR buffer[64 * 32] = {};
  EXPECT_EQ(Spl(DC_MEDIAREADY, buffer, 64 * 32), 0u);
  EXPECT_EQ(Spl(DC_MEDIAREADY, nullptr, 0), 0u);
  for (WORD capability : {WORD{DC_COPIES}, WORD{DC_PAPERS}, WORD{DC_BINNAMES}, WORD{DC_MEDIATYPENAMES}, WORD{0}})
    EXPECT_EQ(Spl(capability, buffer, 64 * 32), kCapabilityNotAnswered) << capability;
}

}  // namespace
