// The PJL job-attribute line: its escapes, the block limit that stops before an
// item that no longer fits, the fields in order (the address standing in for an
// empty account), and a reader that splits the line back into its four fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/stream/output.h"
#include "tests/graphics/stream_fixture.h"

namespace {

using namespace streamtest;

std::string Escape(const Bytes& block, size_t capacity = kJobAttributeBlockBytes) {
  std::string out(capacity + 8, '\x55');
  const size_t length = EscapeJobAttribute(out.data(), capacity, block.data(), block.size());
  EXPECT_LE(length, capacity);
  for (size_t i = capacity; i < out.size(); ++i) EXPECT_EQ(out[i], '\x55') << "written past the capacity";
  return out.substr(0, length);
}

// Splits a job-attribute line back into its fields.
std::vector<Bytes> DecodeLine(const Bytes& line) {
  const Bytes start = "@PJL SET JOBATTR=\"";
  EXPECT_EQ(line.rfind(start, 0), 0u) << line;
  EXPECT_EQ(line.substr(line.size() - 2), "\"\n");
  const Bytes value = line.substr(start.size(), line.size() - start.size() - 2);
  EXPECT_EQ(value.find('"'), Bytes::npos) << "a quote inside the value";
  Bytes raw;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '=') {
      raw.push_back(char(std::stoi(value.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      raw.push_back(value[i]);
    }
  }
  std::vector<Bytes> fields;
  size_t from = 0;
  for (size_t end; (end = raw.find('\0', from)) != Bytes::npos; from = end + 1)
    fields.push_back(raw.substr(from, end - from));
  EXPECT_EQ(from, raw.size()) << "every field ends with a 0 byte";
  return fields;
}

TEST(JobAttributeEscape, ControlBytesQuotesAndEqualsSignsAreEscaped) {
  struct Case {
    Bytes block;
    const char* want;
  } cases[] = {
      {Bytes("a\0b", 3), "a=00b"}, {"say \"hi\"", "say =22hi=22"}, {"a=b", "a=3Db"},
      {"\x1f\n\t", "=1F=0A=09"},   {" ~\x7f\xe9", " ~\x7f\xe9"},  // blanks, DEL and high bytes stay
  };
  for (const Case& c : cases) EXPECT_EQ(Escape(c.block), c.want);
}

TEST(JobAttributeEscape, StopsBeforeAnItemThatNoLongerFits) {
  EXPECT_EQ(Escape("ab=c", 4), "ab");  // "=3D" needs 3, 2 are left; "c" is not taken after it
  EXPECT_EQ(Escape("ab=c", 5), "ab=3D");
  EXPECT_EQ(Escape("ab=c", 6), "ab=3Dc");
  // The 1,536-byte block: 'a' and 511 escapes fill 1,534 bytes; the next escape
  // does not fit, and the plain byte after it is not taken either.
  const Bytes block = "a" + Bytes(600, '=') + "b";
  const std::string escaped = Escape(block);
  EXPECT_EQ(escaped.size(), 1534u);
  EXPECT_EQ(escaped.substr(escaped.size() - 3), "=3D");
  EXPECT_EQ(Escape(Bytes(512, '"')).size(), 1536u);
  EXPECT_EQ(EscapeJobAttribute(nullptr, 10, "a", 1), 0u);
}

class JobAttributesTest : public StreamTest {};

TEST_F(JobAttributesTest, LineCarriesAccountDocumentAddressAndJob) {
  struct Case {
    const char* what;
    const char* account;
    const char* document;
    std::vector<Bytes> fields;
  } cases[] = {
      {"empty account: the address first", "", "Report", {"192.168.0.1", "Report", "192.168.0.1", "Job#42"}},
      {"account", "sales-7", "Report", {"sales-7", "Report", "192.168.0.1", "Job#42"}},
      {"equals sign and quote in the name", "", "a=b \"c\"", {"192.168.0.1", "a=b \"c\"", "192.168.0.1", "Job#42"}},
      {"account of 31 characters",
       "0123456789012345678901234567890",
       "d",
       {"0123456789012345678901234567890", "d", "192.168.0.1", "Job#42"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Spooler() = SpoolerRecord{};
    PDEV* pdev = NewPdev();
    pdev->carried.addressValue = 0x0100A8C0;  // lowest byte first: 192.168.0.1
    pdev->carried.spoolerJobId = 42;
    std::strcpy(pdev->devmode.dmPrivate._sAccount, c.account);
    std::strcpy(pdev->devmode.dmPrivate.documentName, c.document);
    EXPECT_EQ(EmitJobAttributes(pdev), 1);
    EXPECT_EQ(DecodeLine(Sent(pdev)), c.fields);
  }
  // The exact text of one line.
  Spooler() = SpoolerRecord{};
  PDEV* pdev = NewPdev();
  pdev->carried.addressValue = 0x0A00000A;
  pdev->carried.spoolerJobId = 7;
  std::strcpy(pdev->devmode.dmPrivate.documentName, "Q=1");
  EmitJobAttributes(pdev);
  EXPECT_EQ(Sent(pdev), "@PJL SET JOBATTR=\"10.0.0.10=00Q=3D1=0010.0.0.10=00Job#7=00\"\n");
}

TEST_F(JobAttributesTest, DocumentNameIsCutAt127AndNoAddressWritesNothing) {
  PDEV* pdev = NewPdev();
  pdev->carried.addressValue = 0x04030201;
  std::memset(pdev->devmode.dmPrivate.documentName, 'n', sizeof pdev->devmode.dmPrivate.documentName);
  std::memset(pdev->devmode.dmPrivate._sAccount, 'a', sizeof pdev->devmode.dmPrivate._sAccount);
  EXPECT_EQ(EmitJobAttributes(pdev), 1);
  const std::vector<Bytes> fields = DecodeLine(Sent(pdev));
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0], Bytes(31, 'a'));
  EXPECT_EQ(fields[1], Bytes(127, 'n'));
  EXPECT_EQ(fields[2], "1.2.3.4");

  Spooler() = SpoolerRecord{};
  PDEV* none = NewPdev();
  EXPECT_EQ(EmitJobAttributes(none), 1);
  EXPECT_EQ(Sent(none), "");
}

}  // namespace
