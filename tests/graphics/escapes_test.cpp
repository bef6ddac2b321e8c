// The escapes on an enabled PDEV of each model: which exist for which
// language, the answers of the questions, the job data handed over, the
// application's PostScript and paths, and that every input and answer buffer
// is checked for its size before it is read or written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/job_sheet_blocks.h"
#include "common/pdl_kind.h"
#include "graphics/escapes/escapes.h"
#include "platform/base/errors.h"
#include "tests/graphics/drawing_fixture.h"

namespace graphicstest {
namespace {

class EscapesTest : public DrawingTest {
 protected:
  ULONG Escape(ULONG escape, ULONG inSize, const void* in, ULONG outSize = 0, void* out = nullptr) {
    return DrvEscape(surface(), escape, inSize, const_cast<void*>(in), outSize, out);
  }
  ULONG EscapeDword(ULONG escape, DWORD value, ULONG outSize = 0, void* out = nullptr) {
    return Escape(escape, sizeof value, &value, outSize, out);
  }
  // An escape that must refuse its input with error 87 and result 0.
  void ExpectRefused(ULONG escape, ULONG inSize, const void* in, ULONG outSize, void* out, const char* what) {
    SetLastError(0);
    EXPECT_EQ(Escape(escape, inSize, in, outSize, out), 0u) << what;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << what;
  }
  // The passthrough escapes' input: the count word and the data.
  static std::string Passthrough(const std::string& data) {
    const WORD count = static_cast<WORD>(data.size());
    return std::string(reinterpret_cast<const char*>(&count), 2) + data;
  }
};

TEST_F(EscapesTest, QueryEscapeSupportFollowsThePrinterLanguage) {
  struct Case {
    DWORD escape;
    ULONG postScript;
    ULONG pcl;
  };
  // SETCOPYCOUNT is not served, so it is not claimed either: an application
  // told otherwise would print one copy of a job that asked for several.
  const Case cases[] = {{8, 1, 1},    {17, 0, 0},   {19, 1, 1},   {20, 1, 1},    {33, 1, 0},    {37, 1, 0},
                        {38, 1, 0},   {42, 0, 0},   {52, 1, 1},   {55, 0, 0},    {57, 1, 1},    {62, 1, 1},
                        {65, 1, 1},   {66, 0, 0},   {100, 1, 1},  {4096, 1, 0},  {4098, 1, 0},  {4111, 1, 0},
                        {4115, 1, 0}, {4117, 1, 0}, {4121, 1, 0}, {20000, 1, 1}, {20001, 0, 0}, {0x7FFFFFFF, 0, 0}};
  for (bool postScript : {true, false}) {
    Open(postScript);
    for (const Case& c : cases) {
      EXPECT_EQ(EscapeDword(kEscQueryEscSupport, c.escape), postScript ? c.postScript : c.pcl)
          << c.escape << (postScript ? " PostScript" : " PCL");
    }
    // An escape of the other language is not served either.
    if (!postScript) {
      EXPECT_EQ(EscapeDword(kEscPostScriptIdentify, 1), 0u);
    }
    const WORD shortInput = 8;
    ExpectRefused(kEscQueryEscSupport, 0, nullptr, 0, nullptr, "no input");
    ExpectRefused(kEscQueryEscSupport, sizeof shortInput, &shortInput, 0, nullptr, "a WORD");
  }
}

TEST_F(EscapesTest, GetTechnologyNamesTheLanguageWithTwoTerminators) {
  for (bool postScript : {true, false}) {
    Open(postScript);
    char out[16];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(Escape(kEscGetTechnology, 0, nullptr, sizeof out, out), 1u);
    const std::string expected = postScript ? std::string("PostScript\0\0x", 13) : std::string("PCL5\0\0x", 7);
    EXPECT_EQ(std::string(out, expected.size()), expected);
    char small[11];
    ExpectRefused(kEscGetTechnology, 0, nullptr, postScript ? sizeof small : 5, small, "room for one terminator");
    ExpectRefused(kEscGetTechnology, 0, nullptr, 0, nullptr, "no output");
  }
}

TEST_F(EscapesTest, PostScriptFeatureSettingsAnswerFromTheDeviceMode) {
  Open(true);
  XDEVMODE_PRIVATE& extra = pdev()->devmode.dmPrivate;
  extra._nUp = 4;
  extra._bMirrorImage = 1;
  extra._bNegativeImage = 0;
  extra._dwAdvSettings |= kAdvBinaryData;
  struct Case {
    DWORD feature;
    std::vector<DWORD> answer;
  };
  const Case cases[] = {{0, {1}}, {1, {0, 1}}, {2, {3}}, {3, {1, 0, 0, 0, 0}}, {4, {1}}, {5, {0}}, {6, {3}}};
  for (const Case& c : cases) {
    DWORD out[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(EscapeDword(kEscGetPsFeatureSetting, c.feature, sizeof out, out), 1u) << c.feature;
    EXPECT_EQ(std::vector<DWORD>(out, out + c.answer.size()), c.answer) << c.feature;
    EXPECT_EQ(out[c.answer.size()], 9u) << "written past the answer of " << c.feature;
    // One byte short of the answer: refused, nothing written.
    ExpectRefused(kEscGetPsFeatureSetting, 4, &c.feature, static_cast<ULONG>(c.answer.size() * 4 - 1), out,
                  "short answer buffer");
  }
  // Level 2 and level 1 printers.
  extra._nPDL = kPdlPs2;
  DWORD level = 0;
  EXPECT_EQ(EscapeDword(kEscGetPsFeatureSetting, 2, sizeof level, &level), 1u);
  EXPECT_EQ(level, 2u);
  extra._nPDL = kPdlPs1;
  EXPECT_EQ(EscapeDword(kEscGetPsFeatureSetting, 2, sizeof level, &level), 1u);
  EXPECT_EQ(level, 1u);
  // A feature this driver does not know, and a missing answer buffer.
  EXPECT_EQ(EscapeDword(kEscGetPsFeatureSetting, 7, sizeof level, &level), 0u);
  const DWORD feature = 0;
  ExpectRefused(kEscGetPsFeatureSetting, sizeof feature, &feature, 0, nullptr, "no output");
}

TEST_F(EscapesTest, JobDataIsKeptAsHandedOver) {
  Open(false);
  // Escape 57: the address is kept even when the job id cannot be answered.
  const DWORD address = 0x0100007F;
  ExpectRefused(kEscJobIdentity, sizeof address, &address, 0, nullptr, "job identity without output");
  EXPECT_EQ(pdev()->carried.addressValue, address);
  pdev()->carried.spoolerJobId = 41;
  DWORD jobId = 0;
  EXPECT_EQ(Escape(kEscJobIdentity, 0, nullptr, sizeof jobId, &jobId), 0u);
  EXPECT_EQ(jobId, 41u);

  // Escape 62: whole rows only; the tab texts come back terminated.
  std::vector<BYTE> rows(120, 'T');
  for (int i = 0; i < 2; ++i) {
    const int32_t page = 3 + i;
    std::memcpy(rows.data() + 56 * i, &page, sizeof page);
  }
  EXPECT_EQ(Escape(kEscInsertSheetTable, static_cast<ULONG>(rows.size()), rows.data()), 0u);
  ASSERT_EQ(pdev()->pageTickets.rowCount, 2u);
  EXPECT_EQ(pdev()->pageTickets.rows[1].pageNumber, 4);
  EXPECT_EQ(std::strlen(pdev()->pageTickets.rows[0].tabText), 31u);
  ExpectRefused(kEscInsertSheetTable, 56, nullptr, 0, nullptr, "no rows");
  EXPECT_EQ(pdev()->pageTickets.rowCount, 2u);

  // Escape 65: the whole block or nothing; the command text is terminated.
  std::vector<BYTE> block(kSlipSheetBlockBytes, 'C');
  ExpectRefused(kEscInsertDefaults, kSlipSheetBlockBytes - 1, block.data(), 0, nullptr, "short slip-sheet block");
  EXPECT_EQ(pdev()->slipSheetBlock, nullptr);
  EXPECT_EQ(Escape(kEscInsertDefaults, kSlipSheetBlockBytes, block.data()), 0u);
  ASSERT_NE(pdev()->slipSheetBlock, nullptr);
  EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(pdev()->slipSheetBlock) + 732), 249u);

  // Escape 100: the text up to its terminator within the size.
  Mark();
  const char text[] = "raw\0tail";
  EXPECT_EQ(Escape(kEscRawText, sizeof text, text), 0u);
  EXPECT_EQ(Escape(kEscRawText, 2, "xyz"), 0u);
  EXPECT_EQ(Written(), "rawxy");
}

TEST_F(EscapesTest, PassthroughWritesTheCountedDataWithoutItsControlD) {
  for (ULONG escape : {kEscPassThrough, kEscPostScriptData, kEscPostScriptPassthrough}) {
    Open(true);
    Mark();
    const std::string data = Passthrough(
        "\x04"
        "1 0 0 setrgbcolor\n");
    EXPECT_EQ(Escape(escape, static_cast<ULONG>(data.size()), data.data()), data.size() - 2) << escape;
    EXPECT_EQ(Written(), "1 0 0 setrgbcolor\n") << escape;
    // PostScript before the first page makes the job an EPS job.
    EXPECT_EQ(pdev()->job.epsMode, 1);
    EXPECT_NE(pdev()->carried.captureFlags & kCaptureAppPostScriptFirst, 0u);

    // A count beyond the input writes nothing.
    Mark();
    std::string tooLong = Passthrough("abcd");
    tooLong.resize(tooLong.size() - 1);
    EXPECT_EQ(Escape(escape, static_cast<ULONG>(tooLong.size()), tooLong.data()), 0u);
    EXPECT_EQ(Escape(escape, 1, "x"), 0u);
    EXPECT_EQ(Written(), "");
    ExpectRefused(escape, 4, nullptr, 0, nullptr, "no data");
  }
  // PASSTHROUGH serves PCL printers too.
  Open(false);
  Mark();
  const std::string pcl = Passthrough(
      "\x1b"
      "E");
  EXPECT_EQ(Escape(kEscPassThrough, static_cast<ULONG>(pcl.size()), pcl.data()), 2u);
  EXPECT_EQ(Written(),
            "\x1b"
            "E");
}

TEST_F(EscapesTest, EmbeddedEpsPassesUnchangedWhileTheDriverLaysOutTheSheets) {
  Open(true);
  pdev()->devmode.dmPrivate._nUp = 2;
  pdev()->devmode.dmPrivate._bNegativeImage = 1;
  Mark();
  const WORD eps = 1;
  EXPECT_EQ(Escape(kEscEpsPrinting, sizeof eps, &eps), 1u);
  // The driver lays out the sheets: the application's showpage does nothing,
  // and the negative image paints the page white first.
  EXPECT_EQ(pdev()->job.showpageOverride, 1u);
  EXPECT_EQ(Written(), "\n/showpage {} def\n\n{ 1 exch sub}bind settransfer\n\n1 setgray clippath fill\n");
  EXPECT_EQ(pdev()->writers.vector.color.color, 0x00FFFFFFu);

  // The placed EPS file and everything in it up to its end is copied as it
  // is, even lines the filter would otherwise rewrite.
  const std::string embedded = "%!PS-Adobe-3.0 EPSF-3.0\n%%Page: 1 1\nshowpage\n%%EOF\n";
  Mark();
  const std::string data = Passthrough(embedded);
  EXPECT_EQ(Escape(kEscPostScriptPassthrough, static_cast<ULONG>(data.size()), data.data()), embedded.size());
  EXPECT_NE(Written().find(embedded.substr(0, embedded.size() - 1)), std::string::npos) << Written();
  EXPECT_FALSE(pdev()->job.passthrough.embeddedDocument);

  // An EPS split over two calls: the second call is still inside it.
  Mark();
  const std::string first = Passthrough("%!PS-Adobe-3.0 EPSF-3.0\n%%Page: 1 1\n");
  const std::string second = Passthrough("%%Page: 2 2\n%%EndDocument\n");
  Escape(kEscPostScriptPassthrough, static_cast<ULONG>(first.size()), first.data());
  EXPECT_TRUE(pdev()->job.passthrough.embeddedDocument);
  Escape(kEscPostScriptPassthrough, static_cast<ULONG>(second.size()), second.data());
  EXPECT_FALSE(pdev()->job.passthrough.embeddedDocument);
  EXPECT_NE(Written().find("%%Page: 2 2\n%%EndDocument"), std::string::npos) << Written();
}

TEST_F(EscapesTest, EpsPrintingWithoutDriverLayoutLeavesTheApplicationItsShowpage) {
  Open(true);
  Mark();
  const DWORD eps = 1;
  EXPECT_EQ(Escape(kEscEpsPrinting, sizeof eps, &eps), 1u);
  EXPECT_EQ(pdev()->job.showpageOverride, 0u);
  EXPECT_EQ(pdev()->job.applicationPageControl, 1u);
  EXPECT_EQ(Written(), "");
  // Booklet sheets of an EPS job clear the printer's memory per page.
  pdev()->devmode.dmPrivate._nBooklet = 1;
  EXPECT_EQ(Escape(kEscEpsPrinting, sizeof eps, &eps), 1u);
  EXPECT_EQ(pdev()->devmode.dmPrivate._bClearMemoryPerPage, 1u);
  const BYTE oneByte = 1;
  ExpectRefused(kEscEpsPrinting, sizeof oneByte, &oneByte, 0, nullptr, "one byte");
}

TEST_F(EscapesTest, ApplicationPathsNestAndEndAsAsked) {
  Open(true);
  EXPECT_EQ(Escape(kEscBeginPath, 0, nullptr), 1u);
  EXPECT_EQ(Escape(kEscBeginPath, 0, nullptr), 2u);
  Mark();
  struct Case {
    DWORD clip;
    ULONG result;
    const char* written;
  };
  const Case clips[] = {
      {0, 1, "\ngs\n"}, {1, 1, "\ngr\n"}, {2, 1, " clip np\n"}, {0x10002, 1, " eoclip np\n"}, {3, 0, ""}};
  for (const Case& c : clips) {
    Mark();
    EXPECT_EQ(EscapeDword(kEscClipToPath, c.clip), c.result) << c.clip;
    EXPECT_EQ(Written(), c.written) << c.clip;
  }
  const BYTE closedAlternate[3] = {2, 0, 1};
  Mark();
  EXPECT_EQ(Escape(kEscEndPath, sizeof closedAlternate, closedAlternate), 1u);
  EXPECT_EQ(Written(), " cp\n");
  const BYTE nothing[3] = {0, 0, 0};
  Mark();
  EXPECT_EQ(Escape(kEscEndPath, sizeof nothing, nothing), 0u);
  EXPECT_EQ(Escape(kEscEndPath, sizeof nothing, nothing), 0u);  // never below 0
  EXPECT_EQ(Written(), "");
  ExpectRefused(kEscEndPath, 2, nothing, 0, nullptr, "short PATHINFO");
  ExpectRefused(kEscClipToPath, 2, nothing, 0, nullptr, "short clip mode");
}

TEST_F(EscapesTest, DownloadHeaderWritesTheProcedureSetOnceAndNamesIt) {
  Open(true);
  Mark();
  char name[16] = {};
  EXPECT_EQ(Escape(kEscDownloadHeader, 0, nullptr, sizeof name, name), 1u);
  EXPECT_STREQ(name, "CalyxonDict");
  EXPECT_NE(Written().find("/CalyxonDict"), std::string::npos);
  // Once the job header has left the dictionary open nothing more is written.
  pdev()->job.prologOpen = TRUE;
  Mark();
  EXPECT_EQ(Escape(kEscDownloadHeader, 0, nullptr), 1u);
  EXPECT_EQ(Written(), "");
  ExpectRefused(kEscDownloadHeader, 0, nullptr, 5, name, "room for part of the name");
}

TEST_F(EscapesTest, IgnoreAndIdentifyKeepTheirStates) {
  Open(true);
  const WORD on = 1, off = 0;
  EXPECT_EQ(Escape(kEscPostScriptIgnore, sizeof on, &on), 0u);
  EXPECT_EQ(pdev()->job.applicationIgnoreUsed, 1);
  EXPECT_EQ(Escape(kEscPostScriptIgnore, sizeof off, &off), 1u);
  EXPECT_EQ(EscapeDword(kEscPostScriptIdentify, 1), 1u);
  EXPECT_EQ(pdev()->injectionMode, 2);
  EXPECT_NE(pdev()->injection, nullptr);
  EXPECT_EQ(EscapeDword(kEscPostScriptIdentify, 7), 1u);
  EXPECT_EQ(pdev()->injectionMode, 2);
  EXPECT_EQ(EscapeDword(kEscPostScriptIdentify, 0), 1u);
  EXPECT_EQ(pdev()->injectionMode, 1);
  // The injection data must lie inside the block handed over.
  BYTE inject[12] = {};
  const DWORD claimed = 5;
  std::memcpy(inject, &claimed, sizeof claimed);
  ExpectRefused(kEscPostScriptInjection, sizeof inject, inject, 0, nullptr, "data beyond the block");
  ExpectRefused(kEscPostScriptInjection, 7, inject, 0, nullptr, "short header");
}

TEST_F(EscapesTest, FixedBlocksShorterThanTheirLayoutAreRefused) {
  Open(true);
  BYTE block[300] = {};
  struct Case {
    ULONG escape;
    ULONG size;
  };
  // clang-format off
  const Case cases[] = {{kEscFontListRefresh, 267}, {kEscTabSheetBegin, 11}, {kEscTabSheetEnd, 11},
                        {kEscTabPageBegin, 3},      {kEscWatermarkBegin, 3}};
  // clang-format on
  for (const Case& c : cases) ExpectRefused(c.escape, c.size, block, 0, nullptr, std::to_string(c.escape).c_str());
  // The tab page count and the watermark question need their answer buffer.
  const DWORD zero = 0;
  ExpectRefused(kEscTabPageBegin, sizeof zero, &zero, 0, nullptr, "tab page count without output");
  ExpectRefused(kEscWatermarkBegin, sizeof zero, &zero, 2, block, "watermark query with a WORD of output");
  ExpectRefused(kEscTabPageEnd, 12, nullptr, 0, nullptr, "tab page end without input");
}

TEST_F(EscapesTest, WatermarkQuerySaysWhoDrawsIt) {
  Open(true);
  DWORD answer = 7;
  EXPECT_EQ(EscapeDword(kEscWatermarkBegin, 0, sizeof answer, &answer), 1u);
  EXPECT_EQ(answer, 0u);
  pdev()->carried.acrobatVersion = 5;
  EXPECT_EQ(EscapeDword(kEscWatermarkBegin, 0, sizeof answer, &answer), 1u);
  EXPECT_EQ(answer, 1u);
  const BYTE flag = 'a';
  EXPECT_EQ(Escape(kEscWatermarkFlag, sizeof flag, &flag), 1u);
  EXPECT_EQ(pdev()->carried.watermarkTextFlag, 1u);
}

}  // namespace
}  // namespace graphicstest
