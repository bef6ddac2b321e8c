// Which device mode a new device context prints with: the caller's when it is
// this driver's (re-validated for a printer of another language), else the
// user's stored one, the printer's global one, or the driver default; and what
// every accepted block is made into before the record is filled. The caller's
// block is the application's and is never written.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "common/pdl_kind.h"
#include "graphics/core/devmode_accept.h"
#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "graphics/util/graphics_heap.h"
#include "platform/base/modules.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {
namespace {

constexpr SHORT kCallerCopies = 11;
constexpr SHORT kUserCopies = 22;
constexpr SHORT kGlobalCopies = 33;
constexpr WORD kSampleModuleVersionWord = 0x030A;  // "6.310.23.0"

enum class Stored { kNone, kOurs, kOtherLanguage, kOldVersion };
enum class Source { kCaller, kUser, kGlobal, kDefault };

const char* Name(Source source) {
  switch (source) {
    case Source::kCaller: return "caller";
    case Source::kUser: return "user";
    case Source::kGlobal: return "global";
    default: return "default";
  }
}

class DevmodeAcceptTest : public GraphicsPrinterTest {
 protected:
  void SetUp() override {
    GraphicsPrinterTest::SetUp();
    module_ = LoadLibraryA(TestModulePath("sample_module.dll").c_str());
    ASSERT_NE(module_, 0u);
    printer_ = Install(kColourModel, "Colour", kPdlPs3, 0);
    ASSERT_NE(printer_, 0u);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    GraphicsPrinterTest::TearDown();
  }

  PdevPtr Pdev() {
    PdevPtr pdev = NewPdev(printer_, "Colour");
    pdev->module = module_;
    return pdev;
  }

  // A stored device mode of the printer's language (or not), marked by its copies.
  void Store(DWORD level, Stored kind, SHORT copies) {
    if (kind == Stored::kNone) {
      StoreDevmode(printer_, level, nullptr);
      return;
    }
    XDEVMODE dm = DriverLayout(kind == Stored::kOtherLanguage ? kPdlPcl5e : kPdlPs3);
    dm.dmPublic.dmCopies = copies;
    if (kind == Stored::kOldVersion) dm.dmPrivate.privateVersion = 3;
    StoreDevmode(printer_, level, &dm);
  }

  HANDLE printer_ = 0;
  HMODULE module_ = 0;
};

TEST_F(DevmodeAcceptTest, CallersBlockElseTheUsersElseTheGlobalElseTheDefault) {
  struct Case {
    const char* what;
    void (*spoil)(XDEVMODE&);  // null: the caller passes no block
    Stored user;
    Stored global;
    Source expected;
  };
  const auto keep = [](XDEVMODE&) {};
  const Case cases[] = {
      {"well-formed caller's block", keep, Stored::kOurs, Stored::kOurs, Source::kCaller},
      {"private part one byte short", [](XDEVMODE& dm) { dm.dmPublic.dmDriverExtra = 2495; }, Stored::kOurs,
       Stored::kOurs, Source::kUser},
      {"public part of another size", [](XDEVMODE& dm) { dm.dmPublic.dmSize = 156; }, Stored::kOurs, Stored::kOurs,
       Source::kUser},
      {"private version 3", [](XDEVMODE& dm) { dm.dmPrivate.privateVersion = 3; }, Stored::kOurs, Stored::kOurs,
       Source::kUser},
      {"no caller's block", nullptr, Stored::kOurs, Stored::kOurs, Source::kUser},
      {"user's block of another language", nullptr, Stored::kOtherLanguage, Stored::kOurs, Source::kGlobal},
      {"user's block of an old version", nullptr, Stored::kOldVersion, Stored::kOurs, Source::kGlobal},
      {"no user's block", nullptr, Stored::kNone, Stored::kOurs, Source::kGlobal},
      {"nothing stored", nullptr, Stored::kNone, Stored::kNone, Source::kDefault},
      {"nothing stored of this language", nullptr, Stored::kOtherLanguage, Stored::kOtherLanguage, Source::kDefault},
  };
  for (const Case& c : cases) {
    Store(9, c.user, kUserCopies);
    Store(8, c.global, kGlobalCopies);
    XDEVMODE caller = DriverLayout(kPdlPs3);
    caller.dmPublic.dmCopies = kCallerCopies;
    if (c.spoil) c.spoil(caller);
    PdevPtr pdev = Pdev();
    ASSERT_EQ(MergeDevmode(pdev.get(), c.spoil ? &caller.dmPublic : nullptr), 1) << c.what;
    EXPECT_TRUE(IsValidPdev(pdev.get())) << c.what;
    const DEVMODEW& taken = pdev->devmode.dmPublic;
    switch (c.expected) {
      case Source::kCaller: EXPECT_EQ(taken.dmCopies, kCallerCopies) << c.what; break;
      case Source::kUser: EXPECT_EQ(taken.dmCopies, kUserCopies) << c.what; break;
      case Source::kGlobal: EXPECT_EQ(taken.dmCopies, kGlobalCopies) << c.what; break;
      case Source::kDefault:
        EXPECT_EQ(taken.dmCopies, 1) << c.what;
        // The default carries this library's own version.
        EXPECT_EQ(taken.dmDriverVersion, kSampleModuleVersionWord) << c.what;
        EXPECT_EQ(pdev->devmode.dmPrivate._nMarginType, 2) << c.what;
        break;
    }
    EXPECT_EQ(pdev->devmode.dmPrivate._nPDL, kPdlPs3) << c.what << " (" << Name(c.expected) << ")";
  }
}

// A block written for a PCL printer is made one for this PostScript printer,
// with this library's version, on a copy: the application's block stays as it
// handed it in.
TEST_F(DevmodeAcceptTest, BlockOfAnotherLanguageIsRevalidatedOnACopy) {
  XDEVMODE caller = DriverLayout(kPdlPcl5e);
  caller.dmPublic.dmFields = DM_COPIES | DM_PAPERSIZE;
  caller.dmPublic.dmCopies = 4;
  caller.dmPublic.dmPaperSize = 600;  // a paper the model lacks
  caller.dmPrivate._nUpPCL = 2;
  const XDEVMODE before = caller;

  PdevPtr pdev = Pdev();
  ASSERT_EQ(MergeDevmode(pdev.get(), &caller.dmPublic), 1);
  const XDEVMODE& taken = pdev->devmode;
  EXPECT_EQ(taken.dmPrivate._nPDL, kPdlPs3);
  EXPECT_EQ(taken.dmPublic.dmCopies, 4);
  EXPECT_EQ(taken.dmPublic.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(taken.dmPrivate._nUpPCL, 1);  // PCL's own N-up means nothing to PostScript
  EXPECT_EQ(taken.dmPublic.dmDriverVersion, kSampleModuleVersionWord);
  EXPECT_EQ(std::memcmp(&caller, &before, sizeof caller), 0);
}

// Without a configuration counter the printer's language is not trusted to
// judge the block by: it is taken as it comes.
TEST_F(DevmodeAcceptTest, PrinterWithoutCounterTakesABlockOfAnotherLanguageUnchanged) {
  DeletePrinterValue(printer_, "Printer", "Cfg");
  PdevPtr pdev = Pdev();
  ASSERT_EQ(pdev->model->configStamp, 0u);
  XDEVMODE caller = DriverLayout(kPdlPcl5e);
  caller.dmPrivate._nUpPCL = 2;
  ASSERT_EQ(MergeDevmode(pdev.get(), &caller.dmPublic), 1);
  EXPECT_EQ(pdev->devmode.dmPrivate._nPDL, kPdlPcl5e);
  EXPECT_EQ(pdev->devmode.dmPrivate._nUpPCL, 2);
}

TEST_F(DevmodeAcceptTest, AcceptedBlockIsMadeSafeForThisPrinter) {
  struct Case {
    WORD nup;
    WORD expectedNup;
    SHORT quality;
    SHORT expectedQuality;
  } cases[] = {
      {0, 1, 600, 600},  {static_cast<WORD>(-3), 1, 1200, 1200},
      {4, 4, 1234, 600},  // a resolution the model lacks: its first one
      {16, 16, 0, 600},  {2, 2, -300, 600},
  };
  for (const Case& c : cases) {
    XDEVMODE caller = DriverLayout(kPdlPs3);
    caller.dmPrivate._nUp = c.nup;
    caller.dmPublic.dmPrintQuality = c.quality;
    // Texts without their terminators, another printer's name.
    std::memset(caller.dmPrivate._sAccount, 'A', sizeof caller.dmPrivate._sAccount);
    std::memset(caller.dmPublic.dmFormName, 'F', sizeof caller.dmPublic.dmFormName);
    const char16_t other[] = u"Another printer";
    std::memcpy(caller.dmPrivate._wsPrinterName, other, sizeof other);
    caller.dmPrivate._nOutputTray = 999;
    const XDEVMODE before = caller;

    PdevPtr pdev = Pdev();
    ASSERT_EQ(MergeDevmode(pdev.get(), &caller.dmPublic), 1);
    const XDEVMODE& taken = pdev->devmode;
    EXPECT_EQ(taken.dmPrivate._nUp, c.expectedNup) << c.nup;
    EXPECT_EQ(taken.dmPublic.dmPrintQuality, c.expectedQuality) << c.quality;
    EXPECT_EQ(pdev->resolution, static_cast<WORD>(c.expectedQuality));
    EXPECT_EQ(taken.dmPrivate._sAccount[sizeof taken.dmPrivate._sAccount - 1], '\0');
    EXPECT_EQ(taken.dmPublic.dmFormName[CCHFORMNAME - 1], u'\0');
    EXPECT_EQ(std::u16string(taken.dmPrivate._wsPrinterName), u"Colour");
    EXPECT_EQ(taken.dmPrivate._nOutputTray, 0);
    EXPECT_EQ(std::memcmp(&caller, &before, sizeof caller), 0);
  }
}

// The user-defined size of the block goes into the device context's own copy of
// the model record; the cached record stays as loaded.
TEST_F(DevmodeAcceptTest, UserDefinedPaperGoesIntoTheDeviceContextsRecordOnly) {
  const ModelRecord* shared = GetModelRecord(0, printer_, "Colour");
  ASSERT_NE(shared, nullptr);
  const auto before = std::make_unique<ModelRecord>(*shared);
  int row = -1;
  for (int i = 0; i < kModelMaxPapers && shared->papers[i].id != 0; ++i) {
    if (shared->papers[i].id == 261) row = i;
  }
  ASSERT_GE(row, 0);

  XDEVMODE caller = DriverLayout(kPdlPs3);
  caller.dmPublic.dmPaperSize = 261;
  caller.dmPrivate._nCustomPaperIndex = row;
  caller.dmPrivate._nCustomUnit = 1;
  caller.dmPrivate._lCustomWidth = 6000;
  caller.dmPrivate._lCustomLength = 9000;
  PdevPtr pdev = Pdev();
  ASSERT_EQ(MergeDevmode(pdev.get(), &caller.dmPublic), 1);
  EXPECT_EQ(pdev->model->papers[row].geometry[0].width, 6000);
  EXPECT_EQ(pdev->model->papers[row].geometry[1].height, 9000);
  EXPECT_GT(pdev->model->papers[row].userSizeMark, 0);
  EXPECT_EQ(pdev->paperWidth, 6000);
  EXPECT_EQ(pdev->paperHeight, 9000);
  EXPECT_EQ(std::memcmp(shared, before.get(), sizeof(ModelRecord)), 0);
}

TEST_F(DevmodeAcceptTest, NothingToFillFrom) {
  XDEVMODE caller = DriverLayout(kPdlPs3);
  EXPECT_EQ(MergeDevmode(nullptr, &caller.dmPublic), 0);

  PdevPtr bare(AllocPdev());
  bare->printer = printer_;
  EXPECT_EQ(MergeDevmode(bare.get(), &caller.dmPublic), 0);
  XDEVMODE out{};
  EXPECT_EQ(GetCurrentDevmode(bare.get(), "Colour", &out), 0);

  PdevPtr noPrinter = Pdev();
  noPrinter->printer = 0;
  EXPECT_EQ(GetCurrentDevmode(noPrinter.get(), "Colour", &out), 0);
  EXPECT_EQ(MergeDevmode(noPrinter.get(), nullptr), 0);

  PdevPtr pdev = Pdev();
  FailGraphicsHeapAfter(0);
  const int result = MergeDevmode(pdev.get(), &caller.dmPublic);
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsValidPdev(pdev.get()));
}

TEST_F(DevmodeAcceptTest, CurrentDevmodeCarriesThePrinterName) {
  Store(9, Stored::kOurs, kUserCopies);
  PdevPtr pdev = Pdev();
  XDEVMODE out{};
  ASSERT_EQ(GetCurrentDevmode(pdev.get(), "Colour", &out), 1);
  EXPECT_EQ(out.dmPublic.dmCopies, kUserCopies);
  EXPECT_EQ(std::u16string(out.dmPrivate._wsPrinterName), u"Colour");
  // Nothing of the calling program is recorded by this library.
  EXPECT_EQ(out.dmPrivate.applicationPath[0], '\0');
}

}  // namespace
}  // namespace graphicstest
