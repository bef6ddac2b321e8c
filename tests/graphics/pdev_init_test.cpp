// Filling a device context's record from an accepted device mode: the page
// geometry of every paper of the shipped models in both languages, the output
// paper and its feed direction, the variant models' turned papers (in the
// device context's own copy of the model record, never in the cached one), the
// margins a job does without, and what the record holds once it is valid.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/model_description.h"
#include "graphics/core/pdev.h"
#include "graphics/util/graphics_heap.h"
#include "tests/graphics/fake_device_fonts.h"
#include "tests/graphics/printer_fixture.h"

namespace graphicstest {
namespace {

struct Geometry {
  int32_t width, height, left, top, right, bottom;
};

bool operator==(const Geometry& a, const Geometry& b) {
  return a.width == b.width && a.height == b.height && a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}

std::ostream& operator<<(std::ostream& out, const Geometry& g) {
  return out << g.width << "x" << g.height << " margins " << g.left << "," << g.top << "," << g.right << ","
             << g.bottom;
}

Geometry PdevGeometry(const PDEV& pdev) {
  return {pdev.paperWidth, pdev.paperHeight, pdev.leftMargin, pdev.topMargin, pdev.rightMargin, pdev.bottomMargin};
}

struct PaperCase {
  SHORT paper;
  Geometry expected;
};

class InitPdevTest : public GraphicsPrinterTest {
 protected:
  // A PDEV of the printer filled from a device mode of its language.
  PdevPtr Fill(HANDLE printer, const std::string& name, const XDEVMODE& dm) {
    PdevPtr pdev = NewPdev(printer, name);
    EXPECT_EQ(InitPdev(pdev.get(), &dm), 1);
    return pdev;
  }

  // Every paper of the model must be in the table, so that a paper added to a
  // shipped description is not left untested.
  void ExpectAllPapersCovered(const PDEV& pdev, const std::vector<PaperCase>& cases) {
    std::set<SHORT> tested;
    for (const PaperCase& c : cases) tested.insert(c.paper);
    for (const PaperEntry& paper : pdev.model->papers) {
      if (paper.id == 0) break;
      EXPECT_TRUE(tested.count(static_cast<SHORT>(paper.id))) << "paper " << paper.id << " is not in the table";
    }
  }
};

TEST_F(InitPdevTest, ColourModelPapersInPostScriptOnTheVariant) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 1);
  // PostScript margins are 167 all round; tab stocks print to their side edges.
  // A4 rotated (290) is fed turned and printed upright; the user-defined size
  // takes the device mode's size.
  const std::vector<PaperCase> cases = {
      {1, {8500, 11000, 167, 167, 167, 167}},  {5, {8500, 14000, 167, 167, 167, 167}},
      {7, {7250, 10500, 167, 167, 167, 167}},  {17, {11000, 17000, 167, 167, 167, 167}},
      {8, {11692, 16535, 167, 167, 167, 167}}, {9, {8267, 11692, 167, 167, 167, 167}},
      {11, {5827, 8267, 167, 167, 167, 167}},  {12, {10118, 14331, 167, 167, 167, 167}},
      {13, {7165, 10118, 167, 167, 167, 167}}, {43, {3937, 5827, 167, 167, 167, 167}},
      {20, {4125, 9500, 167, 167, 167, 167}},  {27, {4331, 8661, 167, 167, 167, 167}},
      {28, {6378, 9016, 167, 167, 167, 167}},  {290, {8267, 11692, 167, 167, 167, 167}},
      {271, {8780, 11692, 0, 167, 0, 167}},    {272, {9000, 11000, 0, 167, 0, 167}},
      {261, {5000, 7000, 0, 0, 0, 0}},
  };
  for (const PaperCase& c : cases) {
    XDEVMODE dm = DriverLayout(kPdlPs3);
    dm.dmPublic.dmPaperSize = c.paper;
    dm.dmPrivate._lCustomWidth = 5000;
    dm.dmPrivate._lCustomLength = 7000;
    PdevPtr pdev = Fill(printer, "Colour", dm);
    EXPECT_EQ(PdevGeometry(*pdev), c.expected) << "paper " << c.paper;
    EXPECT_EQ(pdev->printableWidth, c.expected.width - c.expected.left - c.expected.right) << "paper " << c.paper;
    EXPECT_EQ(pdev->printableHeight, c.expected.height - c.expected.top - c.expected.bottom) << "paper " << c.paper;
    EXPECT_EQ(pdev->outputPaper, static_cast<WORD>(c.paper));
    if (c.paper == 1) ExpectAllPapersCovered(*pdev, cases);
  }
}

TEST_F(InitPdevTest, MonoModelPapersInPcl) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  // PCL margins: 250 left and right, 167 top and bottom.
  const std::vector<PaperCase> cases = {
      {1, {8500, 11000, 250, 167, 250, 167}}, {5, {8500, 14000, 250, 167, 250, 167}},
      {7, {7250, 10500, 250, 167, 250, 167}}, {9, {8267, 11692, 250, 167, 250, 167}},
      {11, {5827, 8267, 250, 167, 250, 167}}, {13, {7165, 10118, 250, 167, 250, 167}},
      {20, {4125, 9500, 250, 167, 250, 167}}, {27, {4331, 8661, 250, 167, 250, 167}},
      {28, {6378, 9016, 250, 167, 250, 167}}, {37, {3875, 7500, 250, 167, 250, 167}},
      {261, {4000, 6000, 0, 0, 0, 0}},
  };
  for (const PaperCase& c : cases) {
    XDEVMODE dm = DriverLayout(kPdlPcl5e);
    dm.dmPublic.dmPaperSize = c.paper;
    dm.dmPrivate._lCustomWidth = 4000;
    dm.dmPrivate._lCustomLength = 6000;
    PdevPtr pdev = Fill(printer, "Mono", dm);
    EXPECT_EQ(PdevGeometry(*pdev), c.expected) << "paper " << c.paper;
    EXPECT_EQ(pdev->printableWidth, c.expected.width - c.expected.left - c.expected.right) << "paper " << c.paper;
    EXPECT_EQ(pdev->printableHeight, c.expected.height - c.expected.top - c.expected.bottom) << "paper " << c.paper;
    if (c.paper == 1) ExpectAllPapersCovered(*pdev, cases);
  }
}

TEST_F(InitPdevTest, LanguageChoosesTheGeometryBlock) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
  EXPECT_EQ(PdevGeometry(*Fill(printer, "Colour", dm)), (Geometry{8500, 11000, 250, 167, 250, 167}));
  dm.dmPrivate._nPDL = kPdlPs3;
  EXPECT_EQ(PdevGeometry(*Fill(printer, "Colour", dm)), (Geometry{8500, 11000, 167, 167, 167, 167}));
}

TEST_F(InitPdevTest, UnknownPaperFallsBackToA4OrItsRotatedFormOnTheVariant) {
  struct Case {
    DWORD variant;
    WORD fallback;
    Geometry expected;
  } cases[] = {
      {0, 9, {8267, 11692, 167, 167, 167, 167}},
      // 290 is 11692 x 8267 in the description; the variant prints it upright.
      {1, 290, {8267, 11692, 167, 167, 167, 167}},
  };
  for (const Case& c : cases) {
    const std::string name = "Colour " + std::to_string(c.variant);
    HANDLE printer = Install(kColourModel, name, kPdlPs3, c.variant);
    XDEVMODE dm = DriverLayout(kPdlPs3);
    dm.dmPublic.dmPaperSize = 600;
    PdevPtr pdev = Fill(printer, name, dm);
    EXPECT_EQ(static_cast<WORD>(pdev->devmode.dmPublic.dmPaperSize), c.fallback);
    EXPECT_EQ(pdev->outputPaper, c.fallback);
    EXPECT_EQ(PdevGeometry(*pdev), c.expected) << "variant " << c.variant;
  }
}

// A model without A4 (or without its rotated form) prints on its first paper;
// a model with no paper at all cannot be printed on.
TEST_F(InitPdevTest, FallbackPaperMissingTakesTheFirstRowAndNoPaperFails) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 1);
  PdevPtr pdev = NewPdev(printer, "Colour");
  for (PaperEntry& paper : pdev->model->papers) {
    if (paper.id == 290) paper.id = 291;
  }
  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPublic.dmPaperSize = 600;
  ASSERT_EQ(InitPdev(pdev.get(), &dm), 1);
  EXPECT_EQ(pdev->devmode.dmPublic.dmPaperSize, DMPAPER_LETTER);
  EXPECT_EQ(PdevGeometry(*pdev), (Geometry{8500, 11000, 167, 167, 167, 167}));

  PdevPtr empty = NewPdev(printer, "Colour");
  std::memset(empty->model->papers, 0, sizeof empty->model->papers);
  EXPECT_EQ(InitPdev(empty.get(), &dm), 0);
  EXPECT_FALSE(IsValidPdev(empty.get()));
}

TEST_F(InitPdevTest, OutputPaperAndFeedDirection) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 0);
  struct Case {
    const char* what;
    DWORD outputSize;
    DWORD feed;
    WORD outputPaper;
    DWORD feedAfter;
  } cases[] = {
      {"as the paper", 0xFFFF, 0, DMPAPER_LETTER, 0},
      {"as the paper, fed long edge first", 0xFFFF, 1, DMPAPER_LETTER, 1},
      {"A4", DMPAPER_A4, 0, DMPAPER_A4, 0},
      {"A4 fed long edge first", DMPAPER_A4, 1, DMPAPER_A4, 1},
      // No A5 row fed long edge first: the input paper and its row.
      {"A5 in a feed the model lacks", DMPAPER_A5, 1, DMPAPER_LETTER, 0},
      {"a paper the model lacks", 600, 0, DMPAPER_LETTER, 0},
  };
  for (const Case& c : cases) {
    XDEVMODE dm = DriverLayout(kPdlPs3);
    dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
    dm.dmPrivate._iOutputSize = c.outputSize;
    dm.dmPrivate._iOutputFeedDirection = c.feed;
    PdevPtr pdev = Fill(printer, "Colour", dm);
    EXPECT_EQ(pdev->outputPaper, c.outputPaper) << c.what;
    EXPECT_EQ(pdev->feedDirection, c.feedAfter) << c.what;
    EXPECT_EQ(pdev->devmode.dmPrivate._iOutputFeedDirection, c.feedAfter) << c.what;
    // The page is the input paper's whatever the sheet.
    EXPECT_EQ(pdev->paperWidth, 8500) << c.what;
    EXPECT_EQ(pdev->paperHeight, 11000) << c.what;
  }
}

TEST_F(InitPdevTest, UserDefinedOutputPaperTakesTheDeviceModesFeed) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 0);
  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPublic.dmPaperSize = 261;
  dm.dmPrivate._iOutputFeedDirection = 0;
  dm.dmPrivate._bCustomPortraitFeed = 1;
  dm.dmPrivate._lCustomWidth = 6000;
  dm.dmPrivate._lCustomLength = 9000;
  PdevPtr pdev = Fill(printer, "Colour", dm);
  EXPECT_EQ(pdev->outputPaper, 261);
  EXPECT_EQ(pdev->feedDirection, 1u);
  EXPECT_EQ(pdev->paperWidth, 6000);
  EXPECT_EQ(pdev->paperHeight, 9000);
}

// The variant turns the output paper's row upright in the device context's own
// copy of the record; the record the cache hands every device context stays as
// it was loaded.
TEST_F(InitPdevTest, VariantTurnsOnlyTheDeviceContextsOwnRecord) {
  HANDLE printer = Install(kColourModel, "Colour", kPdlPs3, 1);
  const ModelRecord* shared = GetModelRecord(0, printer, "Colour");
  ASSERT_NE(shared, nullptr);
  const auto before = std::make_unique<ModelRecord>(*shared);

  XDEVMODE dm = DriverLayout(kPdlPs3);
  dm.dmPublic.dmPaperSize = DMPAPER_A4;
  dm.dmPrivate._iOutputSize = DMPAPER_A4;
  dm.dmPrivate._iOutputFeedDirection = 1;  // the "A4 LEF" row, 11692 x 8267
  PdevPtr pdev = Fill(printer, "Colour", dm);
  EXPECT_EQ(pdev->outputPaper, DMPAPER_A4);

  int row = -1;
  for (int i = 0; i < kModelMaxPapers; ++i) {
    if (shared->papers[i].id == DMPAPER_A4 && shared->papers[i].feedDirection == 1) row = i;
  }
  ASSERT_GE(row, 0);
  EXPECT_EQ(shared->papers[row].geometry[0].width, 11692);
  EXPECT_EQ(pdev->model->papers[row].geometry[0].width, 8267);
  EXPECT_EQ(pdev->model->papers[row].geometry[0].height, 11692);
  // Only the language's block is turned.
  EXPECT_EQ(pdev->model->papers[row].geometry[1].width, 11692);
  EXPECT_EQ(std::memcmp(shared, before.get(), sizeof(ModelRecord)), 0);
  EXPECT_EQ(GetModelRecord(0, printer, "Colour"), shared);

  // A second device context of the printer starts from the record as loaded.
  PdevPtr second = NewPdev(printer, "Colour");
  EXPECT_EQ(second->model->papers[row].geometry[0].width, 11692);
}

TEST_F(InitPdevTest, MarginsTheJobDoesWithout) {
  HANDLE colour = Install(kColourModel, "Colour", kPdlPs3, 0);  // edge to edge
  HANDLE mono = Install(kMonoModel, "Mono", kPdlPcl5e, 0);      // not edge to edge
  struct Case {
    const char* what;
    bool onMono;
    WORD pdl;
    WORD marginType;
    WORD booklet;
    SHORT orientation;
    Geometry expected;
    WORD rotation;
  } cases[] = {
      {"PCL, margins kept", true, kPdlPcl5e, 0, 0, DMORIENT_PORTRAIT, {8500, 11000, 250, 167, 250, 167}, 0},
      // clang-format off
      {"PCL without edge to edge, portrait: the left margin stays", true, kPdlPcl5e, 2, 0, DMORIENT_PORTRAIT,
       {8500, 11000, 250, 0, 0, 0}, 0},
      {"PCL without edge to edge, landscape: the top margin stays", true, kPdlPcl5e, 2, 0, DMORIENT_LANDSCAPE,
       {8500, 11000, 0, 167, 0, 0}, 90},
      // clang-format on
      {"PCL XL without edge to edge", true, kPdlPclXl, 2, 0, DMORIENT_PORTRAIT, {8500, 11000, 250, 0, 0, 0}, 0},
      {"PCL with edge to edge", false, kPdlPcl5e, 2, 0, DMORIENT_PORTRAIT, {8500, 11000, 0, 0, 0, 0}, 0},
      {"PostScript, no margins", false, kPdlPs3, 2, 0, DMORIENT_LANDSCAPE, {8500, 11000, 0, 0, 0, 0}, 90},
      {"PostScript booklet", false, kPdlPs3, 0, 1, DMORIENT_PORTRAIT, {8500, 11000, 0, 0, 0, 0}, 0},
      {"PostScript, margins kept", false, kPdlPs3, 1, 0, DMORIENT_LANDSCAPE, {8500, 11000, 167, 167, 167, 167}, 90},
  };
  for (const Case& c : cases) {
    XDEVMODE dm = DriverLayout(c.pdl);
    dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
    dm.dmPublic.dmOrientation = c.orientation;
    dm.dmPrivate._nMarginType = c.marginType;
    dm.dmPrivate._nBooklet = c.booklet;
    PdevPtr pdev = c.onMono ? Fill(mono, "Mono", dm) : Fill(colour, "Colour", dm);
    EXPECT_EQ(PdevGeometry(*pdev), c.expected) << c.what;
    EXPECT_EQ(pdev->printableWidth, c.expected.width - c.expected.left - c.expected.right) << c.what;
    EXPECT_EQ(pdev->printableHeight, c.expected.height - c.expected.top - c.expected.bottom) << c.what;
    EXPECT_EQ(pdev->rotation, c.rotation) << c.what;
  }
}

// A description without papers gets the default Letter and A4 with margins of
// 0.2 inch.
TEST_F(InitPdevTest, DefaultLetterPrintsInsideTwoHundredthMargins) {
  HANDLE printer = InstallText("[General]\nFormatVersion=2.0\nModelName=Bare Model\n[PDL]\n1=PCL5E\nDefault=1\n",
                               "Bare", kPdlPcl5e, 0);
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  dm.dmPublic.dmPaperSize = DMPAPER_LETTER;
  PdevPtr pdev = Fill(printer, "Bare", dm);
  EXPECT_EQ(PdevGeometry(*pdev), (Geometry{8500, 11000, 200, 200, 200, 200}));
  EXPECT_EQ(pdev->printableWidth, 8100);
  EXPECT_EQ(pdev->printableHeight, 10600);
}

TEST_F(InitPdevTest, FilledRecordIsValidWithItsFontsBufferAndResolution) {
  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  Fonts().listAnswer = FakeFontList(3);
  PdevPtr pdev = NewPdev(printer, "Mono");
  EXPECT_FALSE(IsValidPdev(pdev.get()));
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  dm.dmPublic.dmPrintQuality = 300;
  ASSERT_EQ(InitPdev(pdev.get(), &dm), 1);
  EXPECT_TRUE(IsValidPdev(pdev.get()));
  EXPECT_EQ(pdev->tag, kPdevTag);
  EXPECT_EQ(pdev->resolution, 300);
  EXPECT_EQ(pdev->currentFont, kNoCurrentFont);
  EXPECT_EQ(pdev->carried.pclModeWords[1], 1);
  EXPECT_EQ(pdev->carried.pclModeWords[6], 255);
  EXPECT_NE(pdev->output.buffer, nullptr);
  EXPECT_EQ(pdev->output.currentChannel, 1u);
  // The device fonts are built for this printer from the device context's own
  // record and device mode.
  EXPECT_EQ(pdev->carried.deviceFonts, FakeFontList(3));
  ASSERT_EQ(Fonts().listRequests.size(), 1u);
  const FontListRequest& request = Fonts().listRequests[0];
  EXPECT_EQ(request.printer, printer);
  EXPECT_EQ(request.printerName, "Mono");
  EXPECT_EQ(request.record, pdev->model);
  EXPECT_NE(request.record, GetModelRecord(0, printer, "Mono"));
  EXPECT_EQ(request.devmode, &pdev->devmode);
  EXPECT_EQ(request.devmodePdl, kPdlPcl5e);
}

TEST_F(InitPdevTest, NoRecordOrNoBufferLeavesTheRecordInvalid) {
  XDEVMODE dm = DriverLayout(kPdlPcl5e);
  EXPECT_EQ(InitPdev(nullptr, &dm), 0);
  PdevPtr bare(AllocPdev());
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(InitPdev(bare.get(), &dm), 0);
  EXPECT_FALSE(IsValidPdev(bare.get()));

  HANDLE printer = Install(kMonoModel, "Mono", kPdlPcl5e, 0);
  PdevPtr pdev = NewPdev(printer, "Mono");
  FailGraphicsHeapAfter(0);
  const int result = InitPdev(pdev.get(), &dm);
  FailGraphicsHeapAfter(-1);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsValidPdev(pdev.get()));
}

}  // namespace
}  // namespace graphicstest
