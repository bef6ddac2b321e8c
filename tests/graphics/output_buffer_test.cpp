// The output buffer and WriteOut: each mode's exact bytes, the encoders' piece
// sizes and the ASCII85 carry across calls, the buffer's flush points, files
// copied into the stream, and the spooler side: a job written in many flushes
// arrives whole, a short write is continued, and a failed one stops the job
// visibly instead of leaving a hole that later bytes close over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/stream/output.h"
#include "graphics/stream/spooler_write.h"
#include "platform/base/errors.h"
#include "platform/base/files.h"
#include "platform/spooler/spooler.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

// An independent ASCII85 reader: whitespace ignored, "z" for four zero bytes,
// a final group of n characters gives n - 1 bytes, "~>" ends the data.
Bytes DecodeAscii85(const Bytes& text, bool* ended = nullptr) {
  Bytes out;
  uint32_t digits[5];
  int count = 0;
  if (ended) *ended = false;
  auto flush = [&](int n) {
    for (int i = n; i < 5; ++i) digits[i] = 84;
    uint64_t value = 0;
    for (int i = 0; i < 5; ++i) value = value * 85 + digits[i];
    for (int i = 0; i < n - 1; ++i) out.push_back(char((value >> (24 - 8 * i)) & 0xFF));
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || c == '\r' || c == ' ') continue;
    if (c == '~') {
      if (count > 0) flush(count);
      if (ended) *ended = i + 1 < text.size() && text[i + 1] == '>';
      return out;
    }
    if (c == 'z' && count == 0) {
      out.append(4, '\0');
      continue;
    }
    EXPECT_TRUE(c >= '!' && c <= 'u') << "not an ASCII85 digit: " << int(c);
    digits[count++] = uint32_t(c - '!');
    if (count == 5) {
      flush(5);
      count = 0;
    }
  }
  return out;
}

Bytes DecodeHex(const Bytes& text) {
  Bytes out;
  int high = -1;
  for (char c : text) {
    if (c == '\n') continue;
    const int value = c >= 'A' ? c - 'A' + 10 : c - '0';
    if (high < 0) {
      high = value;
    } else {
      out.push_back(char(high * 16 + value));
      high = -1;
    }
  }
  return out;
}

class OutputBufferTest : public StreamTest {};

constexpr int kWhole = -1000;

TEST_F(OutputBufferTest, EachModeAppendsItsExactBytes) {
  struct Case {
    const char* what;
    int mode;
    Bytes input;
    int length;  // kWhole: the input's size
    Bytes want;
    int result;
  } cases[] = {
      {"bytes with a NUL", 1, Bytes("ab\0c", 4), kWhole, Bytes("ab\0c", 4), 4},
      {"no bytes", 1, "abc", 0, "", 0},
      {"negative length", 1, "abc", -3, "", 0},
      {"text, length ignored", 2, "text", 99, "text", 4},
      {"empty text", 2, "", 0, "", 0},
      {"mode 3", 3, "abc", 3, "", 0},
      {"mode 6", 6, "abc", 3, "", 0},
      {"mode 0", 0, "abc", 3, "", 0},
      {"mode 11", 11, "abc", 3, "", 0},
      {"hex", 4, Bytes("\x00\xAB\x1F", 3), kWhole, "00AB1F", 6},
      {"end of hex", 8, "", 0, ">\n", 2},
      {"end of ASCII85 without carry", 7, "", 0, "~>\n", 3},
      {"string with escapes", 10, "a(b)\\\t", 0, "(a\\(b\\)\\\\\\011)", 14},
      {"string, counted", 10, "a)bc", 3, "(a\\)b)", 6},
      {"string, high bytes as they are", 10, "\xE9\x7F", 0, "(\xE9\x7F)", 4},
      {"string, control bytes in octal", 10, Bytes("\x1f\x01\n", 3), 3, "(\\037\\001\\012)", 14},
      {"string, empty", 10, "", 0, "()", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spooler() = SpoolerRecord{};
    PDEV* pdev = NewPdev();
    const int length = c.length == kWhole ? int(c.input.size()) : c.length;
    EXPECT_EQ(WriteOut(pdev, c.mode, length, c.input.c_str()), c.result);
    EXPECT_EQ(Sent(pdev), c.want);
  }
  EXPECT_EQ(WriteOut(nullptr, 1, 3, "abc"), 0);
  PDEV* pdev = NewPdev();
  EXPECT_EQ(WriteOut(pdev, 2, 0, nullptr), 0);
  EXPECT_EQ(WriteOut(pdev, 10, 0, nullptr), 0);
}

TEST_F(OutputBufferTest, HexGoesOutInPiecesThatFillTheEncoderBuffer) {
  PDEV* pdev = NewPdev();
  const Bytes data = Payload(1015, 3);
  EXPECT_EQ(WriteOut(pdev, kWriteAsciiHex, int(data.size()), data.data()), 2050);
  const Bytes sent = Sent(pdev);
  ASSERT_EQ(sent.size(), 2050u);
  // The first piece: 1,014 bytes as 2,028 digits and 20 line feeds; the second
  // piece starts its own line count: 2 digits, no line feed.
  EXPECT_EQ(std::count(sent.begin(), sent.begin() + 2048, '\n'), 20);
  EXPECT_EQ(sent.substr(2048).find('\n'), Bytes::npos);
  EXPECT_EQ(DecodeHex(sent), data);

  Spooler() = SpoolerRecord{};
  const Bytes big = Payload(50000, 4);
  WriteOut(pdev, kWriteAsciiHex, int(big.size()), big.data());
  WriteOut(pdev, kWriteAsciiHexEnd, 0, nullptr);
  const Bytes all = Sent(pdev);
  EXPECT_EQ(all.substr(all.size() - 2), ">\n");
  EXPECT_EQ(DecodeHex(all.substr(0, all.size() - 2)), big);
}

TEST_F(OutputBufferTest, Ascii85GroupsStraddleCalls) {
  PDEV* pdev = NewPdev();
  // 1, 2 and 1 bytes: nothing until the group is whole, then its 5 characters.
  EXPECT_EQ(WriteOut(pdev, kWriteAscii85, 1, "\x01"), 0);
  EXPECT_EQ(WriteOut(pdev, kWriteAscii85, 2, "\x02\x03"), 0);
  EXPECT_EQ(WriteOut(pdev, kWriteAscii85, 1, "\x04"), 5);
  EXPECT_EQ(Sent(pdev).size(), 5u);
  EXPECT_EQ(DecodeAscii85(Sent(pdev)), Bytes("\x01\x02\x03\x04"));

  // A single carried byte ends as 2 characters, "~>" and a line feed.
  Spooler() = SpoolerRecord{};
  EXPECT_EQ(WriteOut(pdev, kWriteAscii85, 1, "A"), 0);
  EXPECT_EQ(WriteOut(pdev, kWriteAscii85End, 0, nullptr), 5);
  const Bytes closing = Sent(pdev);
  EXPECT_EQ(closing.size(), 5u);
  EXPECT_EQ(closing.substr(2), "~>\n");
  EXPECT_EQ(DecodeAscii85(closing), "A");

  // Any split of a long stream decodes to the same bytes; zero groups are "z".
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE(seed);
    Spooler() = SpoolerRecord{};
    Bytes data = Payload(20000, seed);
    std::fill(data.begin() + 4000, data.begin() + 4100, '\0');
    static const size_t kSplits[] = {1, 2, 3, 5, 1595, 1596, 1597, 7, 4096, 3193};
    size_t offset = 0;
    for (size_t i = seed; offset < data.size(); ++i) {
      const size_t piece = std::min(kSplits[i % std::size(kSplits)], data.size() - offset);
      WriteOut(pdev, kWriteAscii85, int(piece), data.data() + offset);
      offset += piece;
    }
    WriteOut(pdev, kWriteAscii85End, 0, nullptr);
    const Bytes text = Sent(pdev);
    bool ended = false;
    EXPECT_EQ(DecodeAscii85(text, &ended), data);
    EXPECT_TRUE(ended);
    EXPECT_NE(text.find('z'), Bytes::npos);
    EXPECT_EQ(text.substr(text.size() - 3), "~>\n");
  }
}

TEST_F(OutputBufferTest, BufferFlushesWhenFull) {
  struct Case {
    int length;
    size_t flushes;
    DWORD fill;
  } cases[] = {{65535, 0, 65535}, {65536, 1, 0}, {65537, 1, 1}, {200000, 3, 200000 - 3 * 65536}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    Spooler() = SpoolerRecord{};
    PDEV* pdev = NewPdev();
    const Bytes data = Payload(size_t(c.length), 7);
    EXPECT_EQ(WriteOutputBuffered(pdev, data.data(), c.length), c.length);
    EXPECT_EQ(Spooler().calls.size(), c.flushes);
    for (DWORD call : Spooler().calls) EXPECT_EQ(call, 65536u);
    EXPECT_EQ(pdev->output.fill, c.fill);
    EXPECT_EQ(Sent(pdev), data);
    EXPECT_EQ(pdev->output.channels[0].bytesWritten, uint64_t(c.length));
  }
}

TEST_F(OutputBufferTest, FileModeCopiesTheFileAndReportsAMissingOne) {
  PDEV* pdev = NewPdev();
  const Bytes contents = Payload(10000, 5);
  WriteWindowsFile("C:\\Data\\prolog.ps", contents);
  WriteWindowsFile("C:\\Data\\empty.ps", "");
  EXPECT_EQ(WriteOut(pdev, kWriteFile, 0, "C:\\Data\\prolog.ps"), 1);
  EXPECT_EQ(Sent(pdev), contents);

  Spooler() = SpoolerRecord{};
  EXPECT_EQ(WriteOut(pdev, kWriteFile, 0, "C:\\Data\\empty.ps"), 1);
  // A missing file is reported, and not created as a side effect.
  EXPECT_EQ(WriteOut(pdev, kWriteFile, 0, "C:\\Data\\missing.ps"), 0);
  EXPECT_FALSE(WindowsFileExists("C:\\Data\\missing.ps"));
  EXPECT_EQ(WriteOut(pdev, kWriteFile, 0, ("C:\\" + std::string(600, 'x')).c_str()), 0);
  EXPECT_EQ(Sent(pdev), "");
  EXPECT_FALSE(OutputFailed(pdev));
}

TEST_F(OutputBufferTest, ChannelsFiveAndSixTakeNothing) {
  PDEV* pdev = NewPdev();
  WriteOut(pdev, kWriteText, 0, "before ");
  for (DWORD channel : {kChannelPageOffsets, kChannelReserved}) {
    SCOPED_TRACE(channel);
    ASSERT_EQ(SelectOutputChannel(pdev, channel), 1);
    WriteOut(pdev, kWriteText, 0, "lost");
    // The flush fails and drops the bytes; the channel stays as it was.
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 0);
    EXPECT_EQ(pdev->output.currentChannel, channel);
    EXPECT_EQ(pdev->output.fill, 0u);
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelSpooler), 1);
  }
  EXPECT_EQ(SelectOutputChannel(pdev, 0), 0);
  EXPECT_EQ(SelectOutputChannel(pdev, 9), 0);
  WriteOut(pdev, kWriteText, 0, "after");
  EXPECT_EQ(Sent(pdev), "before after");
  EXPECT_FALSE(OutputFailed(pdev));
}

TEST_F(OutputBufferTest, JobWrittenInManyFlushesArrivesByteForByte) {
  HANDLE printer = InstallPrinterOnFile("Stream Printer", "job.prn");
  ASSERT_NE(printer, 0u);
  ASSERT_NE(StartJob(printer), 0u) << GetLastError();
  Spooler().policy.forward = true;
  PDEV* pdev = NewPdev(printer);
  const Bytes data = Payload(400000, 11);
  static const size_t kPieces[] = {1, 13, 4096, 65536, 7, 100000, 512, 65535};
  size_t offset = 0;
  for (size_t i = 0; offset < data.size(); ++i) {
    const size_t piece = std::min(kPieces[i % std::size(kPieces)], data.size() - offset);
    ASSERT_EQ(WriteOut(pdev, kWriteBytes, int(piece), data.data() + offset), int(piece));
    offset += piece;
  }
  ASSERT_EQ(FlushOutputBuffer(pdev), 1);
  EXPECT_GE(Spooler().calls.size(), 6u);
  ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
  EXPECT_TRUE(PortFile("job.prn") == data);
}

TEST_F(OutputBufferTest, ShortSpoolerWritesAreContinued) {
  HANDLE printer = InstallPrinterOnFile("Short Printer", "short.prn");
  ASSERT_NE(StartJob(printer), 0u) << GetLastError();
  Spooler().policy.forward = true;
  Spooler().policy.maxPerCall = 1000;
  PDEV* pdev = NewPdev(printer);
  const Bytes data = Payload(150000, 12);
  ASSERT_EQ(WriteOut(pdev, kWriteBytes, int(data.size()), data.data()), int(data.size()));
  ASSERT_EQ(FlushOutputBuffer(pdev), 1);
  EXPECT_EQ(Spooler().calls.size(), 66u + 66u + 19u);
  EXPECT_EQ(Spooler().calls[1], 65536u - 1000u) << "the rest is offered again";
  EXPECT_FALSE(OutputFailed(pdev));
  EXPECT_EQ(pdev->output.channels[0].bytesWritten, data.size());
  ASSERT_TRUE(EndDocPrinter(printer)) << GetLastError();
  EXPECT_TRUE(PortFile("short.prn") == data);
}

TEST_F(OutputBufferTest, FailedSpoolerWriteStopsTheJob) {
  struct Case {
    const char* what;
    SpoolerPolicy policy;
  } cases[] = {
      {"fails part-way", SpoolerPolicy{0xFFFFFFFF, 70000, false, nullptr}},
      {"takes nothing and says yes", SpoolerPolicy{0, -1, false, nullptr}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spooler() = SpoolerRecord{};
    Spooler().policy = c.policy;
    PDEV* pdev = NewPdev();
    const Bytes data = Payload(100000, 13);
    // The buffer's first flush goes out whole; the second fails.
    EXPECT_EQ(WriteOut(pdev, kWriteBytes, int(data.size()), data.data()), c.policy.maxPerCall ? int(data.size()) : 0);
    EXPECT_EQ(FlushOutputBuffer(pdev), 0);
    EXPECT_TRUE(OutputFailed(pdev));
    const size_t calls = Spooler().calls.size();
    const Bytes received = Spooler().received;
    // Nothing more goes out, so no later byte closes over the hole.
    EXPECT_EQ(WriteOut(pdev, kWriteText, 0, "later"), 0);
    EXPECT_EQ(WriteOut(pdev, kWriteAscii85, 4, "abcd"), 0);
    EXPECT_EQ(FlushOutputBuffer(pdev), 0);
    EXPECT_EQ(SelectOutputChannel(pdev, kChannelPages), 0);
    EXPECT_EQ(Spooler().calls.size(), calls);
    EXPECT_EQ(Spooler().received, received);
    EXPECT_EQ(received, data.substr(0, received.size()));
    // A new document starts afresh.
    ASSERT_TRUE(InitChannelFiles(pdev));
    Spooler().policy = SpoolerPolicy{};
    Spooler().received.clear();
    EXPECT_EQ(WriteOut(pdev, kWriteText, 0, "next"), 4);
    EXPECT_EQ(Sent(pdev), "next");
  }
}

TEST_F(OutputBufferTest, CancelledSpoolerJobMarksTheJobFailed) {
  HANDLE printer = InstallPrinterOnFile("Cancel Printer", "cancel.prn");
  const DWORD jobId = StartJob(printer);
  ASSERT_NE(jobId, 0u) << GetLastError();
  SetSpoolerWriteFunction(nullptr);  // the real spooler
  PDEV* pdev = NewPdev(printer);
  WriteOut(pdev, kWriteText, 0, "page one");
  ASSERT_EQ(FlushOutputBuffer(pdev), 1);
  ASSERT_TRUE(SetJobA(printer, jobId, 0, nullptr, JOB_CONTROL_CANCEL)) << GetLastError();
  WriteOut(pdev, kWriteText, 0, "page two");
  EXPECT_EQ(FlushOutputBuffer(pdev), 0);
  EXPECT_TRUE(OutputFailed(pdev));
  EXPECT_EQ(WriteOut(pdev, kWriteText, 0, "page three"), 0);
}

}  // namespace
