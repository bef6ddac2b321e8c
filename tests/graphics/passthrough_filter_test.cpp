// The filter of application PostScript: the byte search and the known-line
// matcher on their own, then whole jobs in which the application's PostScript
// arrives in several calls and the driver's pages must follow the
// application's pages.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "common/pdl_kind.h"
#include "graphics/core/pdev.h"
#include "graphics/pages/document_store.h"
#include "graphics/passthrough/app_postscript_filter.h"
#include "graphics/stream/channel_files.h"
#include "graphics/stream/output.h"
#include "tests/graphics/device_settings_fixture.h"
#include "tests/support/ghostscript_run.h"
#include "tests/support/pcl_reader.h"

using testsupport::GhostscriptAvailable;
using testsupport::GhostscriptRun;
using testsupport::RenderedPage;
using testsupport::RunPostScriptJob;

namespace graphicstest {
namespace {

constexpr WORD kPostScript = 0x103;
constexpr DWORD kAdvErrorHandler = 0x08;
constexpr char kPageLine[] = "PDFVars begin PDF begin PDFVars/InitAll get exec";
constexpr char kRemovalLine[] = "% Removing the following ten lines";

DWORD Find(const std::string& pattern, const std::string& data) {
  return FindBytes(pattern.data(), static_cast<DWORD>(pattern.size()), data.data(), static_cast<DWORD>(data.size()));
}

TEST(PassthroughSearch, FindBytesAgreesWithAPlainSearchOnShortAndLongData) {
  // Below 1024 bytes a plain scan, from 1024 on the shift table: both must
  // find the first occurrence, including at the very end and overlapping.
  std::mt19937 random(7);
  for (const size_t size : {0u, 3u, 100u, 1023u, 1024u, 5000u}) {
    for (int round = 0; round < 40; ++round) {
      std::string data(size, 'a');
      for (char& c : data) c = static_cast<char>('a' + random() % 3);
      const std::string pattern(1 + random() % 6, 'a');
      std::string p = pattern;
      for (char& c : p) c = static_cast<char>('a' + random() % 3);
      const size_t expected = data.find(p);
      EXPECT_EQ(Find(p, data), expected == std::string::npos ? kBytesNotFound : static_cast<DWORD>(expected))
          << "size " << size << " pattern " << p;
    }
  }
  EXPECT_EQ(Find("save", std::string(2000, 'x') + "save"), 2000u);
  EXPECT_EQ(Find("longer", "long"), kBytesNotFound);
  EXPECT_EQ(Find("", "data"), kBytesNotFound);
}

TEST(PassthroughSearch, LineLengthStopsAtTheLineEndOrTheData) {
  EXPECT_EQ(LineLength("%%Page: 1 1\r\nrest", 17), 11u);
  EXPECT_EQ(LineLength("%%Page: 1 1\nrest", 16), 11u);
  EXPECT_EQ(LineLength("no line end here", 7), 7u);  // never reads past the data
  EXPECT_EQ(LineLength(nullptr, 10), 0u);
}

TEST(PassthroughSearch, KnownLineMatchesWholePartlyAndAcrossCalls) {
  const std::string line = kPageLine;
  const auto bytes = [](const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); };
  const auto size = [](const std::string& s) { return static_cast<DWORD>(s.size()); };

  PassthroughMatch state;
  const std::string whole = "xx " + line + " save";
  EXPECT_EQ(MatchPassthroughLine(bytes(whole), size(whole), 0, state), 3u);
  EXPECT_EQ(state.result, kLineMatched);

  state = {};
  const std::string none = "nothing of it";
  EXPECT_EQ(MatchPassthroughLine(bytes(none), size(none), 0, state), size(none));
  EXPECT_EQ(state.result, kLineNoMatch);

  // Split in three calls: the start at the end of one, the middle, the end.
  state = {};
  const std::string first = "text " + line.substr(0, 10);
  const std::string middle = line.substr(10, 20);
  const std::string last = line.substr(30) + " save";
  EXPECT_EQ(MatchPassthroughLine(bytes(first), size(first), 0, state), 5u);
  EXPECT_EQ(state.result, kLinePartialAtEnd);
  EXPECT_EQ(MatchPassthroughLine(bytes(middle), size(middle), 0, state), 0u);
  EXPECT_EQ(state.result, kLinePartialAtEnd);
  EXPECT_EQ(state.matched, 30u);
  EXPECT_EQ(MatchPassthroughLine(bytes(last), size(last), 0, state), static_cast<DWORD>(line.size() - 30));
  EXPECT_EQ(state.result, kLineCompleted);

  // A false start: the next call does not go on with the line.
  state = {};
  const std::string start = "text " + line.substr(0, 10);
  const std::string other = "something else";
  MatchPassthroughLine(bytes(start), size(start), 0, state);
  EXPECT_EQ(MatchPassthroughLine(bytes(other), size(other), 0, state), 0u);
  EXPECT_EQ(state.result, kLineBroken);
  EXPECT_EQ(state.matched, 10u);
}

class PassthroughFilterTest : public DeviceSettingsTest {
 protected:
  PdevPtr Job(const std::function<void(PDEV&)>& change = {}) {
    HANDLE printer = InstallOnFile(kColourModel, kPostScript, "Filter " + std::to_string(++printers_));
    if (printer == 0) return nullptr;
    PdevPtr pdev = Pdev(printer, [](XDEVMODE& dm) { dm.dmPrivate._dwAdvSettings &= ~kAdvErrorHandler; });
    if (pdev) {
      pdev->job.jobLineWritten = 0;
      if (change) change(*pdev);
    }
    return pdev;
  }

  // A document whose body is the application's PostScript, handed to the
  // filter in the given pieces; the PostScript that reached the printer.
  std::string Filter(PDEV* pdev, const std::vector<std::string>& pieces, int* pagesStarted = nullptr) {
    const std::string job = Print(pdev, [&] {
      EXPECT_EQ(BeginDocument(pdev, u"Passthrough"), 1);
      for (const std::string& piece : pieces) {
        EXPECT_GT(
            FilterAppPostScript(pdev, reinterpret_cast<const BYTE*>(piece.data()), static_cast<DWORD>(piece.size())),
            0);
      }
      if (pagesStarted) *pagesStarted = static_cast<int>(pdev->pages.pagesStarted);
      EXPECT_EQ(EndDocument(pdev), 1);
      EXPECT_EQ(FlushOutputBuffer(pdev), 1);
      DeleteChannelFiles(pdev);
    });
    const testsupport::PclReport report = testsupport::ReadPclJob(job);
    std::string text;
    for (const std::string& section : report.PostScript()) text += section;
    return text;
  }

  static size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

 private:
  int printers_ = 0;
};

TEST_F(PassthroughFilterTest, EachApplicationPageBecomesADriverPage) {
  PdevPtr pdev = Job();
  ASSERT_TRUE(pdev);
  // Several structure comments in one call, and calls cut inside a line.
  int started = 0;
  const std::string out = Filter(pdev.get(),
                                 {"%%BeginProlog\n/DeleteMe 1 def\n%%EndProlog\n%%Page: 1 1\n%%BeginPageSetup\n(o",
                                  "ne) pop\n%%Page: 2 2\n%%BeginPageSetup\n(two) pop\n%%Page: 3 3\n",
                                  "%%BeginPageSetup\n(three) pop\n%%Trailer\n(end) pop\n"},
                                 &started);
  EXPECT_EQ(started, 3);
  // "DeleteMe" disappears; the application's own text stays, in order.
  EXPECT_EQ(out.find("DeleteMe"), std::string::npos) << out;
  EXPECT_NE(out.find("/ 1 def"), std::string::npos);
  const size_t one = out.find("(one) pop");
  const size_t two = out.find("(two) pop");
  const size_t three = out.find("(three) pop");
  const size_t end = out.find("(end) pop");
  ASSERT_NE(one, std::string::npos);
  EXPECT_LT(one, two);
  EXPECT_LT(two, three);
  EXPECT_LT(three, end);
  // Every application page line is followed by its driver page start, and
  // each page ends before the next application page comes.
  for (int page = 1; page <= 3; ++page) {
    const size_t marker = out.find("%%Page: " + std::to_string(page));
    const size_t driverPage = out.find("\n%Page " + std::to_string(page) + "\n");
    ASSERT_NE(marker, std::string::npos) << out;
    ASSERT_NE(driverPage, std::string::npos) << out;
    EXPECT_LT(marker, driverPage);
  }
  EXPECT_EQ(Count(out, "\nshowpage\n"), 3u) << out;
  EXPECT_LT(out.rfind("\nshowpage\n"), out.find("%%Trailer"));
}

// Page comments count only where a line starts, also when the application cuts
// one between two calls; text that merely contains one (a string, the rest of
// a line) is the application's and passes unchanged. Every page draws a bar, so
// the rendered job shows whether the driver's page ends landed in the right
// places.
TEST_F(PassthroughFilterTest, PageCommentsCountOnlyAtALineStartAlsoWhenCutBetweenCalls) {
  const std::string bar = "newpath 100 100 moveto 300 100 lineto 20 setlinewidth stroke\n";
  const std::string one = "%%Page: 1 1\n%%BeginPageSetup\n" + bar;
  const std::string two = "%%Page: 2 2\n%%BeginPageSetup\n" + bar;
  const std::string afterText = "/x 1 def %%Page: 2 2\n";
  struct Case {
    const char* what;
    std::vector<std::string> pieces;
    int pages;
    std::string kept;  // application text that must reach the printer as it came
  } cases[] = {
      {"a comment inside a string",
       {one + "(see %%Page: 2 2 here) pop\n%%BeginPageSetup\n%%Trailer\n"},
       1,
       "(see %%Page: 2 2 here) pop\n"},
      {"a comment after text on its line", {one + afterText + "%%BeginPageSetup\n%%Trailer\n"}, 1, afterText},
      {"whole comments", {one + two + "%%Trailer\n"}, 2, ""},
      {"cut after the percent signs", {one + "%%", two.substr(2) + "%%Trailer\n"}, 2, ""},
      {"cut inside the word", {one + "%%Pa", two.substr(4) + "%%Trailer\n"}, 2, ""},
      {"cut right after the line end", {one, two + "%%Trailer\n"}, 2, ""},
      {"cut over three calls", {one + "%", "%P", two.substr(3) + "%%Trailer\n"}, 2, ""},
      {"page setup cut", {one + "%%Page: 2 2\n%%BeginPage", "Setup\n" + bar + "%%Trailer\n"}, 2, ""},
      // clang-format off
      {"cut between CR and LF", {"%%Page: 1 1\r", "\n%%BeginPageSetup\r\n" + bar + "%%Pag", "e: 2 2\r\n%%BeginPageSetup\r\n" + bar + "%%Trailer\r\n"}, 2, ""},
      // clang-format on
      {"a false start held, then passed on", {one + "%%Pa", "th ends here\n%%Trailer\n"}, 1, "%%Path ends here\n"},
      {"the removed word cut between calls", {one + "/Dele", "teMe 1 def\n%%Trailer\n"}, 1, "/ 1 def\n"},
      {"the last call ends in a comment start", {one + "%%"}, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PdevPtr pdev = Job();
    ASSERT_TRUE(pdev);
    int started = 0;
    const std::string out = Filter(pdev.get(), c.pieces, &started);
    EXPECT_EQ(started, c.pages) << out;
    if (!c.kept.empty()) {
      EXPECT_NE(out.find(c.kept), std::string::npos) << out;
    }
    EXPECT_EQ(out.find("DeleteMe"), std::string::npos) << out;
    if (!GhostscriptAvailable()) continue;
    const GhostscriptRun run = RunPostScriptJob(out, 36);
    ASSERT_TRUE(run.Clean()) << run.output << out;
    ASSERT_EQ(run.pages.size(), static_cast<size_t>(c.pages)) << out;
    for (const RenderedPage& page : run.pages) EXPECT_GT(page.DarkCount(0, 0, page.width, page.height), 0) << out;
  }
}

TEST_F(PassthroughFilterTest, PageMakerSetupTakesTheJobSettingsInPlaceOfItsMarker) {
  for (const WORD version : {WORD{0}, WORD{6}}) {
    SCOPED_TRACE(version);
    PdevPtr pdev = Job([&](PDEV& p) { p.carried.pageMakerVersion = version; });
    ASSERT_TRUE(pdev);
    const std::string out = Filter(pdev.get(), {"%%BeginSetup extra\n(setup) pop\n%%EndSetup\n"});
    if (version == 6) {
      EXPECT_EQ(out.find("%%BeginSetup extra"), std::string::npos) << out;
      const size_t settings = out.rfind("setpagedevice", out.find("(setup) pop"));
      EXPECT_NE(settings, std::string::npos) << out;
    } else {
      // Only the marker goes; the rest of its line stays.
      EXPECT_EQ(out.find("%%BeginSetup"), std::string::npos) << out;
      EXPECT_NE(out.find(" extra\n(setup) pop"), std::string::npos) << out;
    }
  }
}

TEST_F(PassthroughFilterTest, DocumentReaderPageLineSplitAcrossCallsIsWrittenOnceAtAPageStart) {
  PdevPtr pdev = Job([](PDEV& p) { p.carried.acrobatVersion = 5; });
  ASSERT_TRUE(pdev);
  const std::string line = kPageLine;
  int started = 0;
  const std::string out = Filter(
      pdev.get(), {"(before) pop\n" + line.substr(0, 20), line.substr(20) + "\nsave (page) pop restore\n"}, &started);
  EXPECT_EQ(Count(out, line), 1u) << out;
  EXPECT_EQ(started, 1);
  const size_t before = out.find("(before) pop\n");
  const size_t driverPage = out.find("\n%Page 1\n");
  const size_t at = out.find(line);
  ASSERT_NE(before, std::string::npos);
  ASSERT_NE(driverPage, std::string::npos);
  EXPECT_LT(before, driverPage);
  EXPECT_LT(driverPage, at);
  EXPECT_NE(out.find(line + "\nsave (page) pop restore\n"), std::string::npos) << out;
}

TEST_F(PassthroughFilterTest, DocumentReaderFalseStartIsWrittenBackUnchanged) {
  PdevPtr pdev = Job([](PDEV& p) { p.carried.acrobatVersion = 5; });
  ASSERT_TRUE(pdev);
  const std::string line = kPageLine;
  const std::string out = Filter(pdev.get(), {"(a) pop\n" + line.substr(0, 12), " something else\n(b) pop\n"});
  EXPECT_NE(out.find("(a) pop\n" + line.substr(0, 12) + " something else\n(b) pop\n"), std::string::npos) << out;
}

TEST_F(PassthroughFilterTest, DocumentReaderPageLineWithoutSaveIsHeldThenReplayedUnchanged) {
  PdevPtr pdev = Job([](PDEV& p) { p.carried.acrobatVersion = 5; });
  ASSERT_TRUE(pdev);
  const std::string line = kPageLine;
  std::vector<std::string> pieces = {"(start) pop\n" + line + "\n(held) pop\n"};
  for (int call = 1; call <= 15; ++call) pieces.push_back("(call " + std::to_string(call) + ") pop\n");
  int started = -1;
  const std::string out = Filter(pdev.get(), pieces, &started);
  // No page break: the held text and the later calls come out once, in order.
  EXPECT_EQ(started, 0);
  std::string expected = "(start) pop\n" + line + "\n(held) pop\n";
  for (int call = 1; call <= 15; ++call) expected += "(call " + std::to_string(call) + ") pop\n";
  EXPECT_NE(out.find(expected), std::string::npos) << out;
  EXPECT_EQ(Count(out, line), 1u);
}

TEST_F(PassthroughFilterTest, DocumentReaderSaveInALaterCallStartsThePageBeforeTheHeldText) {
  PdevPtr pdev = Job([](PDEV& p) { p.carried.acrobatVersion = 5; });
  ASSERT_TRUE(pdev);
  const std::string line = kPageLine;
  int started = 0;
  const std::string out =
      Filter(pdev.get(), {"(start) pop\n" + line + "\n", "(held) pop\n", "save (page) pop restore\n"}, &started);
  EXPECT_EQ(started, 1);
  const size_t driverPage = out.find("\n%Page 1\n");
  const size_t held = out.find(line + "\n(held) pop\nsave (page) pop restore\n");
  ASSERT_NE(driverPage, std::string::npos) << out;
  ASSERT_NE(held, std::string::npos) << out;
  EXPECT_LT(out.find("(start) pop\n"), driverPage);
  EXPECT_LT(driverPage, held);
}

TEST_F(PassthroughFilterTest, RemovalCommentStartsANewPageEachTime) {
  PdevPtr pdev = Job([](PDEV& p) { p.carried.acrobatVersion = 7; });
  ASSERT_TRUE(pdev);
  const std::string line = kRemovalLine;
  int started = 0;
  const std::string out = Filter(pdev.get(), {line + "\n(p1) pop\n", "(more) pop\n" + line + "\n(p2) pop\n"}, &started);
  EXPECT_EQ(started, 2);
  EXPECT_EQ(Count(out, line), 2u);
  EXPECT_LT(out.find("(p1) pop"), out.find("\n%Page 2\n"));
  EXPECT_LT(out.find("\n%Page 2\n"), out.find("(p2) pop"));
}

TEST_F(PassthroughFilterTest, EmbeddedDocumentAndFailedJobs) {
  PdevPtr pdev = Job();
  ASSERT_TRUE(pdev);
  pdev->job.passthrough.embeddedDocument = TRUE;
  const std::string out = Filter(pdev.get(), {"%%Page: 1 1\nDeleteMe\n"});
  EXPECT_NE(out.find("%%Page: 1 1\nDeleteMe\n"), std::string::npos) << out;

  // A job whose output failed answers -1, never a count, in both walks.
  for (const WORD acrobat : {WORD{0}, WORD{5}}) {
    PdevPtr failed = Job([&](PDEV& p) { p.carried.acrobatVersion = acrobat; });
    ASSERT_TRUE(failed);
    MarkOutputFailed(failed.get());
    const std::string data = std::string("%%Page: 1 1\n") + kPageLine + "\nsave\n";
    EXPECT_EQ(
        FilterAppPostScript(failed.get(), reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())),
        -1);
  }
}

}  // namespace
}  // namespace graphicstest
