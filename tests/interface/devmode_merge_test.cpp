// Merging a device mode made elsewhere into the driver's own: each public field
// the incoming one marks is checked against the model, the private part is taken
// only from the same revision and then made safe, and the result is cleaned for
// the printer's language.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "common/pdl_kind.h"
#include "interface/devmode/validate_merge.h"
#include "platform/base/modules.h"
#include "tests/interface/devmode_fixture.h"

namespace devmodetest {
namespace {

class MergeTest : public DevmodeTest {
 protected:
  // Both shipped models: the colour one as a PostScript variant printer with
  // status monitoring, the mono one as a PCL printer without.
  void SetUp() override {
    DevmodeTest::SetUp();
    colour_ = UniqueName("Colour");
    mono_ = UniqueName("Mono");
    colourPrinter_ = Install(kColourModel, colour_, kPdlPs3, 1, 1);
    monoPrinter_ = Install(kMonoModel, mono_, kPdlPcl5si, 0, 0);
    ASSERT_NE(colourPrinter_, 0u);
    ASSERT_NE(monoPrinter_, 0u);
  }

  struct Merged {
    int result;
    XDEVMODE dm;
  };
  Merged Merge(bool colour, const XDEVMODE& incoming) {
    HANDLE printer = colour ? colourPrinter_ : monoPrinter_;
    const std::string& name = colour ? colour_ : mono_;
    Merged merged{0, Default(printer, name)};
    merged.result = ValidateMergeDevmode(printer, &merged.dm, &incoming.dmPublic, Record(printer, name));
    return merged;
  }
  // An incoming device mode of another program: this driver's layout and
  // revision, the private part of the printer's own default.
  XDEVMODE Incoming(bool colour) { return colour ? Default(colourPrinter_, colour_) : Default(monoPrinter_, mono_); }

  std::string colour_, mono_;
  HANDLE colourPrinter_ = 0, monoPrinter_ = 0;
};

// One public field, a value an application may put there, and what the merge
// keeps. The mono model has papers 1..37 without A3 (8), sources 1-3, 600 and
// 300 dpi, media 500/502/504/505/506 and a duplex unit; the colour model has A3,
// sources 1-4 in use (5 is not installed), 600 and 1200 dpi, media 500-510.
struct FieldCase {
  const char* what;
  bool colour;
  DWORD bit;
  std::function<void(DEVMODEW&)> set;
  std::function<long(const DEVMODEW&)> get;
  long expected;
};

long Orientation(const DEVMODEW& d) { return d.dmOrientation; }
long Paper(const DEVMODEW& d) { return d.dmPaperSize; }
long Scale(const DEVMODEW& d) { return d.dmScale; }
long Copies(const DEVMODEW& d) { return d.dmCopies; }
long Source(const DEVMODEW& d) { return d.dmDefaultSource; }
long Quality(const DEVMODEW& d) { return d.dmPrintQuality; }
long Duplex(const DEVMODEW& d) { return d.dmDuplex; }
long TrueType(const DEVMODEW& d) { return d.dmTTOption; }
long Media(const DEVMODEW& d) { return static_cast<long>(d.dmMediaType); }

TEST_F(MergeTest, EachMarkedPublicFieldIsCheckedAgainstTheModel) {
  const FieldCase cases[] = {
      {"landscape", false, DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 2; }, Orientation, 2},
      {"orientation 3, plain model", false, DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 3; }, Orientation, 1},
      {"orientation 0, variant", true, DM_ORIENTATION, [](DEVMODEW& d) { d.dmOrientation = 0; }, Orientation, 2},
      {"A5", false, DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 11; }, Paper, 11},
      {"A3 on a model without it", false, DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 8; }, Paper, 9},
      {"A3 on a model with it", true, DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 8; }, Paper, 8},
      {"unknown paper, variant", true, DM_PAPERSIZE, [](DEVMODEW& d) { d.dmPaperSize = 999; }, Paper, 290},
      {"scale 10", false, DM_SCALE, [](DEVMODEW& d) { d.dmScale = 10; }, Scale, 10},
      {"scale 400", false, DM_SCALE, [](DEVMODEW& d) { d.dmScale = 400; }, Scale, 400},
      {"scale 5", false, DM_SCALE, [](DEVMODEW& d) { d.dmScale = 5; }, Scale, 100},
      {"scale 500", false, DM_SCALE, [](DEVMODEW& d) { d.dmScale = 500; }, Scale, 100},
      {"copies 7", false, DM_COPIES, [](DEVMODEW& d) { d.dmCopies = 7; }, Copies, 7},
      {"copies 0", false, DM_COPIES, [](DEVMODEW& d) { d.dmCopies = 0; }, Copies, 1},
      {"copies -3", false, DM_COPIES, [](DEVMODEW& d) { d.dmCopies = -3; }, Copies, 1},
      {"automatic source", false, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 15; }, Source, 15},
      {"tray 2", false, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 258; }, Source, 258},
      {"tray 4 on a 3-tray model", false, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 260; }, Source, 15},
      {"tray 4 on the colour model", true, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 260; }, Source, 260},
      {"tray not installed", true, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 261; }, Source, 15},
      {"bin number 7", false, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 7; }, Source, 15},
      {"paper by page ticket", true, DM_DEFAULTSOURCE, [](DEVMODEW& d) { d.dmDefaultSource = 500; }, Source, 15},
      {"300 dpi", false, DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = 300; }, Quality, 300},
      {"1200 dpi on a 600 dpi model", false, DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = 1200; }, Quality,
       600},
      {"1200 dpi", true, DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = 1200; }, Quality, 1200},
      {"draft", true, DM_PRINTQUALITY, [](DEVMODEW& d) { d.dmPrintQuality = -1; }, Quality, 600},
      {"long edge", false, DM_DUPLEX, [](DEVMODEW& d) { d.dmDuplex = 2; }, Duplex, 2},
      {"short edge", true, DM_DUPLEX, [](DEVMODEW& d) { d.dmDuplex = 3; }, Duplex, 3},
      {"duplex 4", true, DM_DUPLEX, [](DEVMODEW& d) { d.dmDuplex = 4; }, Duplex, 1},
      {"TrueType as graphics", false, DM_TTOPTION, [](DEVMODEW& d) { d.dmTTOption = 2; }, TrueType, 2},
      {"TrueType option 0", false, DM_TTOPTION, [](DEVMODEW& d) { d.dmTTOption = 0; }, TrueType, 0},
      {"TrueType as bitmap", false, DM_TTOPTION, [](DEVMODEW& d) { d.dmTTOption = 1; }, TrueType, 3},
      {"TrueType outline", false, DM_TTOPTION, [](DEVMODEW& d) { d.dmTTOption = 4; }, TrueType, 3},
      {"thick paper", false, DM_MEDIATYPE, [](DEVMODEW& d) { d.dmMediaType = 502; }, Media, 502},
      {"recycled on a model without it", false, DM_MEDIATYPE, [](DEVMODEW& d) { d.dmMediaType = 501; }, Media, 500},
      {"recycled", true, DM_MEDIATYPE, [](DEVMODEW& d) { d.dmMediaType = 501; }, Media, 501},
      {"standard media", true, DM_MEDIATYPE, [](DEVMODEW& d) { d.dmMediaType = DMMEDIA_STANDARD; }, Media, 500},
  };
  for (const FieldCase& c : cases) {
    XDEVMODE incoming = Incoming(c.colour);
    incoming.dmPublic.dmFields = c.bit;
    c.set(incoming.dmPublic);
    Merged merged = Merge(c.colour, incoming);
    ASSERT_EQ(merged.result, 1) << c.what;
    EXPECT_EQ(c.get(merged.dm.dmPublic), c.expected) << c.what;
    EXPECT_TRUE(merged.dm.dmPublic.dmFields & c.bit) << c.what;

    // The same value without its dmFields bit is not taken.
    const XDEVMODE base = c.colour ? Default(colourPrinter_, colour_) : Default(monoPrinter_, mono_);
    incoming.dmPublic.dmFields = 0;
    Merged unmarked = Merge(c.colour, incoming);
    EXPECT_EQ(c.get(unmarked.dm.dmPublic), c.get(base.dmPublic)) << c.what << " without its bit";
  }
}

TEST_F(MergeTest, FieldsThatFollowOthersAreKeptInStep) {
  XDEVMODE incoming = Incoming(true);
  incoming.dmPublic.dmFields = DM_PAPERSIZE | DM_PRINTQUALITY | DM_DUPLEX | DM_MEDIATYPE | DM_TTOPTION | DM_NUP;
  incoming.dmPublic.dmPaperSize = 8;
  incoming.dmPublic.dmPrintQuality = 1200;
  incoming.dmPublic.dmYResolution = 300;
  incoming.dmPublic.dmDuplex = 3;
  incoming.dmPublic.dmMediaType = 503;
  incoming.dmPublic.dmTTOption = 2;
  incoming.dmPublic.dmNup = 4;
  Merged merged = Merge(true, incoming);
  ASSERT_EQ(merged.result, 1);
  const DEVMODEW& pub = merged.dm.dmPublic;
  // A new paper leaves the old paper's size and form name unmarked.
  EXPECT_EQ(pub.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME), 0u);
  EXPECT_EQ(pub.dmYResolution, 1200);
  EXPECT_TRUE(pub.dmFields & DM_YRESOLUTION);
  EXPECT_EQ(pub.dmNup, 1u) << "N-up is the driver's own setting";
  EXPECT_FALSE(pub.dmFields & DM_NUP);
  EXPECT_TRUE(pub.dmFields & DM_COLLATE);
  EXPECT_EQ(merged.dm.dmPrivate._nDuplex, 2) << "short edge";
  EXPECT_EQ(merged.dm.dmPrivate._nMediaType, 503);
  EXPECT_EQ(merged.dm.dmPrivate._nTrueTypeMode, 2);
  EXPECT_EQ(pub.dmSpecVersion, 0x0401);
}

TEST_F(MergeTest, PclKeepsNeitherBookletNorNupNorInsertSheets) {
  XDEVMODE incoming = Incoming(false);
  incoming.dmPublic.dmFields = DM_DUPLEX;
  incoming.dmPublic.dmDuplex = 2;
  XDEVMODE_PRIVATE& in = incoming.dmPrivate;
  in._nPDL = kPdlPs3;  // made for PostScript: the printer's language wins
  in._nUp = 4;
  in._nBooklet = 1;
  in._bInsertSheets = 1;
  in._nTrueTypeDownload = 2;
  in._wStaple = 3;
  in.foldId = 2;
  in.FinishStaple = 1;
  in._nUpPCL = 3;
  in._nFixedOrientation = 7;
  in.PageOrder = 3;
  Merged merged = Merge(false, incoming);
  ASSERT_EQ(merged.result, 1);
  const XDEVMODE_PRIVATE& out = merged.dm.dmPrivate;
  EXPECT_EQ(out._nPDL, kPdlPcl5si);
  EXPECT_EQ(out._nUp, 1);
  EXPECT_EQ(out._nBooklet, 0);
  EXPECT_EQ(out._bInsertSheets, 0u);
  EXPECT_EQ(out._nTrueTypeDownload, 0);
  EXPECT_EQ(out._wStaple, 0) << "booklet stapling goes with the booklet";
  EXPECT_EQ(out.foldId, 0);
  EXPECT_EQ(out.FinishStaple, 0);
  EXPECT_EQ(merged.dm.dmPublic.dmDuplex, 1) << "a refused booklet prints one-sided";
  EXPECT_EQ(out._nDuplex, 0);
  EXPECT_EQ(out._nUpPCL, 1);
  EXPECT_EQ(out._nFixedOrientation, 0);
  EXPECT_EQ(out.PageOrder, 0u) << "the mono model cannot reverse the order";

  // Without a booklet, PCL keeps its own two-up, orientation lock and stapling.
  in._nBooklet = 0;
  in._nUpPCL = 2;
  in._nFixedOrientation = 2;
  merged = Merge(false, incoming);
  EXPECT_EQ(merged.dm.dmPrivate._nUpPCL, 2);
  EXPECT_EQ(merged.dm.dmPrivate._nFixedOrientation, 2);
  EXPECT_EQ(merged.dm.dmPrivate._wStaple, 3);
  EXPECT_EQ(merged.dm.dmPublic.dmDuplex, 2);
}

TEST_F(MergeTest, PostScriptKeepsValidNupAndBookletAndMakesBookletsShortEdged) {
  struct Case {
    WORD nup, booklet;
    DWORD pageOrder;
    SHORT duplex;
    WORD expectNup, expectBooklet;
    DWORD expectPageOrder;
    SHORT expectDuplex;
  };
  const Case cases[] = {
      {6, 0, 3, 1, 6, 0, 3, 1},    // reverse order: the colour model has it
      {5, 0, 2, 1, 1, 0, 0, 1},    // five-up does not exist; order 2 is no order
      {16, 3, 0, 2, 16, 0, 0, 2},  // booklet 3 does not exist
      {1, 2, 0, 2, 1, 2, 0, 3},    // a two-sided booklet is bound on the short edge
      {1, 1, 0, 1, 1, 1, 0, 1},    // a one-sided booklet stays one-sided
  };
  for (const Case& c : cases) {
    XDEVMODE incoming = Incoming(true);
    incoming.dmPublic.dmFields = DM_DUPLEX;
    incoming.dmPublic.dmDuplex = c.duplex;
    incoming.dmPrivate._nUp = c.nup;
    incoming.dmPrivate._nBooklet = c.booklet;
    incoming.dmPrivate.PageOrder = c.pageOrder;
    incoming.dmPrivate._nUpPCL = 2;
    incoming.dmPrivate._nFixedOrientation = 1;
    Merged merged = Merge(true, incoming);
    ASSERT_EQ(merged.result, 1);
    const XDEVMODE_PRIVATE& out = merged.dm.dmPrivate;
    const std::string label = "n-up " + std::to_string(c.nup) + ", booklet " + std::to_string(c.booklet);
    EXPECT_EQ(out._nUp, c.expectNup) << label;
    EXPECT_EQ(out._nBooklet, c.expectBooklet) << label;
    EXPECT_EQ(out.PageOrder, c.expectPageOrder) << label;
    EXPECT_EQ(merged.dm.dmPublic.dmDuplex, c.expectDuplex) << label;
    EXPECT_EQ(out._nDuplex, c.expectDuplex == 3 ? 2 : c.expectDuplex == 2 ? 1 : 0) << label;
    EXPECT_EQ(out._nUpPCL, 1) << label;
    EXPECT_EQ(out._nFixedOrientation, 0) << label;
  }
}

TEST_F(MergeTest, AnotherRevisionKeepsTheValidatedPublicFieldsAndTheDriversPrivateDefaults) {
  XDEVMODE incoming = Incoming(true);
  incoming.dmPublic.dmFields = DM_COPIES | DM_SCALE;
  incoming.dmPublic.dmCopies = 4;
  incoming.dmPublic.dmScale = 5;
  incoming.dmPrivate.revisionStamp = 12000;
  std::strcpy(incoming.dmPrivate._sAccount, "other");
  incoming.dmPrivate._nUp = 4;
  Merged merged = Merge(true, incoming);
  ASSERT_EQ(merged.result, 1);
  EXPECT_EQ(merged.dm.dmPublic.dmCopies, 4);
  EXPECT_EQ(merged.dm.dmPublic.dmScale, 100);
  EXPECT_STREQ(merged.dm.dmPrivate._sAccount, "");
  EXPECT_EQ(merged.dm.dmPrivate._nUp, 1);
  EXPECT_EQ(merged.dm.dmPrivate.revisionStamp, kXDevModeRevision);

  // The same revision: the private part is taken.
  incoming.dmPrivate.revisionStamp = kXDevModeRevision;
  merged = Merge(true, incoming);
  EXPECT_STREQ(merged.dm.dmPrivate._sAccount, "other");
  EXPECT_EQ(merged.dm.dmPrivate._nUp, 4);
}

TEST_F(MergeTest, ForeignSizesAreRefusedAndLeaveTheBaseAsItWas) {
  const XDEVMODE base = Default(monoPrinter_, mono_);
  struct Case {
    const char* what;
    WORD inSize, inExtra, baseSize, baseExtra;
  };
  const Case cases[] = {
      {"incoming without private part", 220, 0, 220, 2496},
      {"incoming of another driver", 220, 1024, 220, 2496},
      {"incoming of an older platform", 156, 2496, 220, 2496},
      {"base not of the driver", 220, 2496, 220, 0},
  };
  for (const Case& c : cases) {
    XDEVMODE incoming = Incoming(false);
    incoming.dmPublic.dmFields = DM_COPIES;
    incoming.dmPublic.dmCopies = 9;
    incoming.dmPublic.dmSize = c.inSize;
    incoming.dmPublic.dmDriverExtra = c.inExtra;
    XDEVMODE dm = base;
    dm.dmPublic.dmSize = c.baseSize;
    dm.dmPublic.dmDriverExtra = c.baseExtra;
    const XDEVMODE before = dm;
    EXPECT_EQ(ValidateMergeDevmode(monoPrinter_, &dm, &incoming.dmPublic, Record(monoPrinter_, mono_)), 0) << c.what;
    EXPECT_TRUE(SameBytes(&dm, &before, sizeof dm)) << c.what;
  }
  XDEVMODE dm = base;
  const XDEVMODE incoming = Incoming(false);
  EXPECT_EQ(ValidateMergeDevmode(monoPrinter_, nullptr, &incoming.dmPublic, Record(monoPrinter_, mono_)), 0);
  EXPECT_EQ(ValidateMergeDevmode(monoPrinter_, &dm, nullptr, Record(monoPrinter_, mono_)), 0);
  EXPECT_EQ(ValidateMergeDevmode(monoPrinter_, &dm, &incoming.dmPublic, nullptr), 0);
  EXPECT_TRUE(SameBytes(&dm, &base, sizeof dm));
}

template <size_t N>
void Fill(char (&field)[N], char c) {
  std::memset(field, c, N);
}

TEST_F(MergeTest, ATakenPrivatePartHasItsTextsEndedAndItsRowNumbersInRange) {
  XDEVMODE incoming = Incoming(true);
  XDEVMODE_PRIVATE& in = incoming.dmPrivate;
  Fill(in._sAccount, 'A');
  Fill(in._sMacroName, 'M');
  Fill(in._sInsertSheets, 'S');
  Fill(in._wmCurrent.text, 'W');
  Fill(in._wmCurrent.faceName, 'F');
  Fill(in._wmCurrent.styleName, 'Y');
  for (WCHAR& c : in._wsPrinterName) c = u'P';
  // A note whose last byte would be the first half of a double-byte character:
  // cut before it, not inside it.
  Fill(in._sNote, 'n');
  in._sNote[30] = '\x83';
  in._sNote[31] = '\x41';
  in._nOutputTray = 300;  // no bin 44
  in._nCustomPaperIndex = 50;
  in._lCustomWidth = 123;
  in.pageTicketRanges[0] = {1, 3, 2, 256 + 502, 5};    // tray 2, thick paper: kept
  in.pageTicketRanges[1] = {4, 2, 2, 256 + 502, 0};    // ends before it starts
  in.pageTicketRanges[2] = {5, 9, 44, 0, 0};           // no tray 44
  in.pageTicketRanges[3] = {10, 12, 0, 256 + 777, 0};  // no media 777
  in.pageTicketRanges[4] = {-1, 2, 0, 0, 0};           // before the first page
  in.pageTicketRanges[5] = {13, 20, 0, 502, 0};        // media without its 256
  Merged merged = Merge(true, incoming);
  ASSERT_EQ(merged.result, 1);
  const XDEVMODE_PRIVATE& out = merged.dm.dmPrivate;
  EXPECT_EQ(std::string(out._sAccount), std::string(31, 'A'));
  EXPECT_EQ(std::string(out._sMacroName), std::string(31, 'M'));
  EXPECT_EQ(std::string(out._sInsertSheets), std::string(31, 'S'));
  EXPECT_EQ(std::string(out._wmCurrent.text), std::string(63, 'W'));
  EXPECT_EQ(std::string(out._wmCurrent.faceName), std::string(31, 'F'));
  EXPECT_EQ(std::string(out._wmCurrent.styleName), std::string(31, 'Y'));
  EXPECT_EQ(std::string(out._sNote), std::string(30, 'n'));
  EXPECT_EQ(std::u16string(out._wsPrinterName).size(), 259u);
  EXPECT_EQ(out._nOutputTray, 0);
  EXPECT_EQ(out._nCustomPaperIndex, 18) << "the model's own user-defined paper";
  EXPECT_EQ(out._lCustomWidth, 8500u);

  const PageTicketSourceRange kept = {1, 3, 2, 256 + 502, 1};
  EXPECT_TRUE(SameBytes(&out.pageTicketRanges[0], &kept, sizeof kept)) << "kept, duplex as 0 or 1";
  const PageTicketSourceRange cleared{};
  for (int row = 1; row <= 5; ++row) {
    EXPECT_TRUE(SameBytes(&out.pageTicketRanges[row], &cleared, sizeof cleared)) << "row " << row;
  }
}

TEST_F(MergeTest, RowNumbersThatTheModelHasAreKept) {
  XDEVMODE incoming = Incoming(true);
  incoming.dmPrivate._nOutputTray = 256 + 2;
  incoming.dmPrivate._nCustomPaperIndex = 18;
  incoming.dmPrivate._lCustomWidth = 5000;
  incoming.dmPrivate._lCustomLength = 7000;
  Merged merged = Merge(true, incoming);
  ASSERT_EQ(merged.result, 1);
  EXPECT_EQ(merged.dm.dmPrivate._nOutputTray, 258);
  EXPECT_EQ(merged.dm.dmPrivate._nCustomPaperIndex, 18);
  EXPECT_EQ(merged.dm.dmPrivate._lCustomWidth, 5000u) << "the user's own size stays";
  EXPECT_EQ(merged.dm.dmPrivate._lCustomLength, 7000u);
}

TEST_F(MergeTest, StatusMonitoringHalftoneAndTheJobsOwnFieldsFollowThePrinter) {
  // Monitoring on (colour printer): per job stays, anything else is "installed".
  for (DWORD snmp : {0u, 1u, 2u, 7u}) {
    XDEVMODE incoming = Incoming(true);
    incoming.dmPrivate._iSNMP = snmp;
    EXPECT_EQ(Merge(true, incoming).dm.dmPrivate._iSNMP, snmp == 2 ? 2u : 1u) << snmp;
    // Monitoring off (mono printer): never.
    XDEVMODE monoIncoming = Incoming(false);
    monoIncoming.dmPrivate._iSNMP = snmp;
    EXPECT_EQ(Merge(false, monoIncoming).dm.dmPrivate._iSNMP, 0u) << snmp;
  }

  XDEVMODE incoming = Incoming(true);
  incoming.dmPrivate._bPrinterScreen = 0;
  incoming.dmPrivate._nScreenFrequency = 0;
  incoming.dmPrivate._nScreenAngle = 0;
  incoming.dmPrivate._nGraphicsMode = 3;
  std::strcpy(incoming.dmPrivate._sPortName, "LPT9:");
  std::strcpy(incoming.dmPrivate.documentName, "theirs");
  std::strcpy(incoming.dmPrivate.applicationPath, "C:\\other.exe");
  Merged merged = Merge(true, incoming);
  const XDEVMODE_PRIVATE& out = merged.dm.dmPrivate;
  EXPECT_EQ(out._bPrinterScreen, 1u) << "an empty halftone record takes the base's";
  EXPECT_EQ(out._nGraphicsMode, 0);
  EXPECT_STREQ(out._sPortName, "FILE:") << "the printer's port from the spooler";
  EXPECT_STREQ(out.documentName, "");
  char program[MAX_PATH] = {};
  GetModuleFileNameA(0, program, MAX_PATH);
  EXPECT_STREQ(out.applicationPath, program);

  // A screen of the incoming one's own is kept.
  incoming.dmPrivate._nScreenFrequency = 85;
  incoming.dmPrivate._nScreenAngle = 45;
  merged = Merge(true, incoming);
  EXPECT_EQ(merged.dm.dmPrivate._bPrinterScreen, 0u);
  EXPECT_EQ(merged.dm.dmPrivate._nScreenFrequency, 85);
  EXPECT_EQ(merged.dm.dmPrivate._nScreenAngle, 45);
}

}  // namespace
}  // namespace devmodetest
