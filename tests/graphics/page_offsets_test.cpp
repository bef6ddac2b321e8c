// The page-offset file and the replays built on it: which byte range of the
// pages file (or the tab file) each replay sends, for a stored document of three
// pages and a trailer, with records missing one at a time; and offsets past 2 GB
// and 4 GB written and read back exactly.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "graphics/stream/output.h"
#include "platform/base/profile.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

// The stored document: page p is its settings section Hp and its body Bp.
const Bytes kHead[] = {"", "[head 1]", "[head 2]", "[head 3]"};
Bytes Body(int page) { return "<body " + std::to_string(page) + ">" + Payload(5000, uint32_t(page)); }
const Bytes kTrailer = "%%Trailer";

class PageOffsetsTest : public StreamTest {
 protected:
  // Stores the three pages and the trailer through the pages channel as the
  // page store does, then drops the given records.
  PDEV* StoreDocument(const std::vector<std::pair<const char*, const char*>>& dropped = {}) {
    Spooler() = SpoolerRecord{};
    PDEV* pdev = NewPdev();
    EXPECT_TRUE(InitChannelFiles(pdev));
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelPages), 1);
    for (int page = 1; page <= 3; ++page) {
      pdev->output.pageRecord = PageRecordState{page, SHORT(page == 2 ? -3 : 9), DWORD(page)};
      EXPECT_EQ(RecordPageOffset(pdev, page == 2), 1);
      WriteOut(pdev, kWriteBytes, int(kHead[page].size()), kHead[page].data());
      EXPECT_EQ(RecordPageTicket(pdev), 1);
      const Bytes body = Body(page);
      WriteOut(pdev, kWriteBytes, int(body.size()), body.data());
    }
    EXPECT_EQ(RecordDocTrailer(pdev), 1);
    WriteOut(pdev, kWriteBytes, int(kTrailer.size()), kTrailer.data());
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 1);
    for (const auto& [section, key] : dropped) {
      ForgetPageOffsetValue(pdev, section, key);
    }
    return pdev;
  }
  PDEV* StoreTabs(bool any = true) {
    Spooler() = SpoolerRecord{};
    PDEV* pdev = NewPdev();
    EXPECT_TRUE(InitChannelFiles(pdev));
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelTabs), 1);
    for (int n = 0; any && n <= 2; ++n) {
      EXPECT_EQ(RecordTabStart(pdev, n), 1);
      const Bytes tab = "<tab " + std::to_string(n) + ">";
      WriteOut(pdev, kWriteBytes, int(tab.size()), tab.data());
      WriteOut(pdev, kWriteBytes, 2, "##");  // the caller's correction leaves these out
      EXPECT_EQ(RecordTabEnd(pdev, n, 2), 1);
    }
    WriteOut(pdev, kWriteBytes, 6, "[tail]");
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 1);
    return pdev;
  }
};

Bytes Page(int page) { return kHead[page] + Body(page); }

TEST_F(PageOffsetsTest, ReplaysSendTheRecordedRanges) {
  using Op = std::function<int(PDEV*)>;
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, const char*>> dropped;
    Op op;
    Bytes want;
  } cases[] = {
      {"whole page 1", {}, [](PDEV* p) { return EmitStoredPage(p, 1, 3, FALSE); }, Page(1)},
      {"page 2 from its ticket", {}, [](PDEV* p) { return EmitStoredPage(p, 2, 3, TRUE); }, Body(2)},
      {"last page ends at the trailer", {}, [](PDEV* p) { return EmitStoredPage(p, 3, 3, FALSE); }, Page(3)},
      {"last page without a trailer record runs to the end",
       {{"Page Offsets", "DocTrailer"}},
       [](PDEV* p) { return EmitStoredPage(p, 3, 3, FALSE); },
       Page(3) + kTrailer},
      {"next page's record missing: to the end",
       {{"Page Offsets", "3"}},
       [](PDEV* p) { return EmitStoredPage(p, 2, 3, FALSE); },
       Page(2) + Page(3) + kTrailer},
      {"page after the last", {}, [](PDEV* p) { return EmitStoredPage(p, 4, 3, FALSE); }, ""},
      {"page without its ticket", {{"Page Tickets", "2"}}, [](PDEV* p) { return EmitStoredPage(p, 2, 3, FALSE); }, ""},
      {"page without its offset", {{"Page Offsets", "2"}}, [](PDEV* p) { return EmitStoredPage(p, 2, 3, TRUE); }, ""},
      {"head of page 2", {}, [](PDEV* p) { return EmitStoredPageHead(p, 2, 3); }, kHead[2]},
      {"head without a ticket", {{"Page Tickets", "2"}}, [](PDEV* p) { return EmitStoredPageHead(p, 2, 3); }, ""},
      {"head of a page after the last", {}, [](PDEV* p) { return EmitStoredPageHead(p, 3, 2); }, ""},
      {"body of page 2", {}, [](PDEV* p) { return EmitStoredPageBody(p, 2, 3, 0); }, Body(2)},
      {"body less its tail",
       {},
       [](PDEV* p) { return EmitStoredPageBody(p, 1, 3, 100); },
       Body(1).substr(0, Body(1).size() - 100)},
      {"tail as long as the body", {}, [](PDEV* p) { return EmitStoredPageBody(p, 1, 3, DWORD(Body(1).size())); }, ""},
      {"body without its ticket", {{"Page Tickets", "1"}}, [](PDEV* p) { return EmitStoredPageBody(p, 1, 3, 0); }, ""},
      {"last body without a trailer record: the file's length",
       {{"Page Offsets", "DocTrailer"}},
       [](PDEV* p) { return EmitStoredPageBody(p, 3, 3, 3); },
       Body(3) + kTrailer.substr(0, kTrailer.size() - 3)},
      {"trailer", {}, [](PDEV* p) { return EmitStoredDocTrailer(p); }, kTrailer},
      {"no trailer record", {{"Page Offsets", "DocTrailer"}}, [](PDEV* p) { return EmitStoredDocTrailer(p); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = StoreDocument(c.dropped);
    WriteOut(pdev, kWriteText, 0, "|");
    EXPECT_EQ(c.op(pdev), 1);
    EXPECT_TRUE(Sent(pdev) == "|" + c.want) << Sent(pdev).substr(0, 40);
    EXPECT_FALSE(OutputFailed(pdev));
  }
}

TEST_F(PageOffsetsTest, TabSheetReplays) {
  struct Case {
    const char* what;
    bool any;
    int first;
    int last;
    Bytes want;
  } cases[] = {
      {"one to two", true, 1, 2, "<tab 1>##<tab 2>"},
      {"search finds the latest up to last", true, -1, 2, "<tab 2>"},
      {"search beyond the records: to the end of the file", true, -1, 5, "<tab 2>##[tail]"},
      {"tab 0 ends at its own end", true, 0, 2, "<tab 0>"},
      {"missing start", true, 3, 3, ""},
      {"search without records", false, -1, 4, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PDEV* pdev = StoreTabs(c.any);
    EXPECT_EQ(EmitStoredTabSheets(pdev, c.first, c.last), 1);
    EXPECT_EQ(Sent(pdev), c.want);
  }
}

TEST_F(PageOffsetsTest, RecordsAreDecimalAndPaperIsRecordedOnRequest) {
  PDEV* pdev = StoreDocument();
  // The records reach the file in one write, when the pages are read back.
  ASSERT_EQ(WritePageOffsetFile(pdev), 1);
  const char* file = pdev->output.channels[4].path;
  char text[32];
  GetPrivateProfileStringA("Page Offsets", "1", "", text, sizeof text, file);
  EXPECT_STREQ(text, "0");
  GetPrivateProfileStringA("Page Tickets", "1", "", text, sizeof text, file);
  EXPECT_STREQ(text, std::to_string(kHead[1].size()).c_str());
  LONGLONG value = 0;
  ASSERT_TRUE(ReadPageOffsetValue(pdev, "Paper Size", "2", &value));
  EXPECT_EQ(value, -3);
  ASSERT_TRUE(ReadPageOffsetValue(pdev, "Feed Direction", "2", &value));
  EXPECT_EQ(value, 2);
  EXPECT_FALSE(ReadPageOffsetValue(pdev, "Paper Size", "1", &value)) << "page 1 was recorded without paper";
  EXPECT_FALSE(ReadPageOffsetValue(pdev, "Page Offsets", "9", &value));
}

TEST_F(PageOffsetsTest, OffsetsPastTwoAndFourGigabytesAreKeptExactly) {
  struct Case {
    uint64_t written;
    const char* text;
  } cases[] = {
      {0x7FFFFFFFull, "2147483647"},  {0x80000001ull, "2147483649"},  {0xFFFFFFFFull, "4294967295"},
      {0x100000000ull, "4294967296"}, {0x140000123ull, "5368709411"},
  };
  PDEV* pdev = NewPdev();
  ASSERT_TRUE(InitChannelFiles(pdev));
  const char* file = pdev->output.channels[4].path;
  int page = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // The counters as a large job leaves them; no such file is written.
    pdev->output.channels[1].bytesWritten = c.written;
    pdev->output.channels[6].bytesWritten = c.written + 10;
    pdev->output.pageRecord.page = ++page;
    ASSERT_EQ(RecordPageOffset(pdev, FALSE), 1);
    ASSERT_EQ(RecordPageTicket(pdev), 1);
    ASSERT_EQ(RecordTabEnd(pdev, page, 10), 1);
    ASSERT_EQ(WritePageOffsetFile(pdev), 1);
    char text[32];
    GetPrivateProfileStringA("Page Offsets", std::to_string(page).c_str(), "", text, sizeof text, file);
    EXPECT_STREQ(text, c.text);
    LONGLONG value = 0;
    ASSERT_TRUE(ReadPageOffsetValue(pdev, "Page Tickets", std::to_string(page).c_str(), &value));
    EXPECT_EQ(uint64_t(value), c.written);
    ASSERT_TRUE(ReadPageOffsetValue(pdev, "Page Tabs", (std::to_string(page) + "end").c_str(), &value));
    EXPECT_EQ(uint64_t(value), c.written);
  }
}

}  // namespace
