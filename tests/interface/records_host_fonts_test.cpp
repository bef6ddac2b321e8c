// Installed font records: the one format the installer writes and the driver
// libraries read (common/installed_font_record.h), and the library's reader of
// the records in the user's font store and the printer's data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/installed_font_record.h"
#include "interface/records/host_font_entry.h"
#include "tests/interface/records_test_support.h"

namespace recordstest {
namespace {

using fontrecord::MetricsBlock;

MetricsBlock SampleMetrics() {
  MetricsBlock block = MetricsBlock::Blank();
  block.SetFaceName("Garamond Antiqua");
  block.SetU8(fontrecord::offset::kFlags, fontrecord::kFlagSoftFont | fontrecord::kFlagFixedPitch);
  block.SetU16(fontrecord::offset::kPointSize, 12);
  block.SetI16(fontrecord::offset::kAscent, -3);
  block.SetU16(fontrecord::offset::kWeight, 700);
  block.SetU8(fontrecord::offset::kPitchAndFamily, 16);
  block.SetWidth('A', 0x1234);
  block.SetWidth(255, 77);
  block.SetU8(fontrecord::offset::kCharSetClass, fontrecord::kCharSetRoman8);
  block.SetSelectionName("Garamond Antiqua,8U");
  return block;
}

TEST(RecordsFontRecordFormat, TheMetricsBlockHasItsFieldsAtTheirBytes) {
  const MetricsBlock block = SampleMetrics();
  const uint8_t* bytes = block.data();
  // The tag fills 8 bytes with no terminator; the version follows at once.
  EXPECT_EQ(std::memcmp(bytes, "CalyxPFM", 8), 0);
  EXPECT_EQ(bytes[8], 1);
  EXPECT_EQ(bytes[9], 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 10), "Garamond Antiqua");
  EXPECT_EQ(bytes[74], 0x42);
  EXPECT_EQ(bytes[75], 12);
  EXPECT_EQ(bytes[79], 0xFD);
  EXPECT_EQ(bytes[80], 0xFF);
  EXPECT_EQ(bytes[96] | bytes[97] << 8, 700);
  EXPECT_EQ(bytes[102], 16);
  EXPECT_EQ(bytes[111 + 2 * 'A'], 0x34);
  EXPECT_EQ(bytes[112 + 2 * 'A'], 0x12);
  EXPECT_EQ(bytes[111 + 2 * 255], 77);
  EXPECT_EQ(bytes[623], 4);
  EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 625), "Garamond Antiqua,8U");
  EXPECT_EQ(block.I16(fontrecord::offset::kAscent), -3);
  EXPECT_EQ(block.Width('A'), 0x1234);

  // A text field never spills into the next field.
  MetricsBlock longName = MetricsBlock::Blank();
  longName.SetFaceName(std::string(100, 'n'));
  EXPECT_EQ(longName.FaceName(), std::string(63, 'n'));
  EXPECT_EQ(longName.U8(fontrecord::offset::kFlags), 0);
  longName.SetSelectionName(std::string(100, 's'));
  EXPECT_EQ(longName.SelectionName(), std::string(63, 's'));

  // Only a block of the size, tag and version is one.
  std::vector<uint8_t> raw(bytes, bytes + fontrecord::kMetricsBlockSize);
  EXPECT_TRUE(MetricsBlock::FromBytes(raw.data(), raw.size())->IsValid());
  EXPECT_FALSE(MetricsBlock::FromBytes(raw.data(), raw.size() - 1).has_value());
  std::vector<uint8_t> oldTag = raw;
  std::memcpy(oldTag.data(), "CalyPFM", 8);  // seven letters and a NUL
  EXPECT_FALSE(MetricsBlock::FromBytes(oldTag.data(), oldTag.size())->IsValid());
  std::vector<uint8_t> version2 = raw;
  version2[8] = 2;
  EXPECT_FALSE(MetricsBlock::FromBytes(version2.data(), version2.size())->IsValid());
}

TEST(RecordsFontRecordFormat, RecordTextsSplitAsTheInstallerWritesThem) {
  struct Case {
    const char* text;
    bool ok;
    long flags;
    const char* metrics;
    const char* path;
  } cases[] = {
      {"4,GARA.PFM,C:\\Fonts\\gara.sfp", true, 4, "GARA.PFM", "C:\\Fonts\\gara.sfp"},
      // A path may hold blanks; the first two fields end at a blank as well.
      {"0, GARA.PFM C:\\Program Files\\Fonts\\gara.sfp", true, 0, "GARA.PFM", "C:\\Program Files\\Fonts\\gara.sfp"},
      {"8196,X.PFM,0:\\fonts\\x,extra", true, 8196, "X.PFM", "0:\\fonts\\x"},
      {"4,GARA.PFM", false, 0, "", ""},
      {"4,GARA.PFM,", false, 0, "", ""},
      {"four,GARA.PFM,C:\\x", false, 0, "", ""},
      {"", false, 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::optional<fontrecord::RecordText> text = fontrecord::ParseRecordText(c.text);
    ASSERT_EQ(text.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(text->flags, c.flags);
    EXPECT_EQ(text->metricsFileName, c.metrics);
    EXPECT_EQ(text->fontFilePath, c.path);
  }

  const MetricsBlock block = SampleMetrics();
  std::vector<uint8_t> stored = fontrecord::WriteInstalledFontRecord(4, "GARA.PFM", "C:\\Fonts\\gara.sfp", block);
  const std::string expectedText = "4,GARA.PFM,C:\\Fonts\\gara.sfp;";
  ASSERT_EQ(stored.size(), expectedText.size() + 689);
  EXPECT_EQ(std::string(stored.begin(), stored.begin() + expectedText.size()), expectedText);
  std::optional<fontrecord::InstalledFontRecord> read =
      fontrecord::ReadInstalledFontRecord(stored.data(), stored.size());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->text.fontFilePath, "C:\\Fonts\\gara.sfp");
  EXPECT_EQ(std::memcmp(read->metrics.data(), block.data(), 689), 0);
  // A text that already ends in ";" gets no second one.
  EXPECT_EQ(fontrecord::WriteInstalledFontRecord("1,A.PFM,B;", block).size(), 10u + 689);
  // A record cut short, or one without its metrics, is no font.
  EXPECT_FALSE(fontrecord::ReadInstalledFontRecord(stored.data(), stored.size() - 1).has_value());
  EXPECT_FALSE(fontrecord::ReadInstalledFontRecord(stored.data(), expectedText.size() - 1).has_value());
}

class RecordsHostFontsTest : public RecordsTest {};

TEST_F(RecordsHostFontsTest, RecordsAreReadFromTheUsersFontsOrThePrintersData) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::string section = "HostInfo\\Nardo Page C5545";
  const MetricsBlock block = SampleMetrics();
  SetData(printer, kStoreUserFonts, section, "PCLFont_17",
          fontrecord::WriteInstalledFontRecord(4, "GARA.PFM", "C:\\Fonts\\gara.sfp", block));
  SetData(printer, kStorePrinterFonts, "PCLFontDisk", "5",
          fontrecord::WriteInstalledFontRecord(2, "DISK.PFM", "0:\\pcl\\fonts\\disk", block));

  BYTE data[kHostFontRecordBuffer];
  DWORD size = sizeof data;
  char name[260];
  ASSERT_EQ(ReadHostFontEntry(printer, section.c_str(), "PCLFont", "17", data, &size, name, sizeof name), 1);
  EXPECT_EQ(size, 689u);
  EXPECT_EQ(std::memcmp(data, block.data(), 689), 0);
  EXPECT_STREQ(name, "C:\\Fonts\\gara.sfp");
  size = sizeof data;
  ASSERT_EQ(ReadHostFontEntry(printer, nullptr, "PCLFontDisk", "5", data, &size, name, sizeof name), 1);
  EXPECT_STREQ(name, "0:\\pcl\\fonts\\disk");
  EXPECT_TRUE(MetricsBlock::FromBytes(data, size)->IsValid());
  // Without a buffer: the size alone.
  size = 0;
  ASSERT_EQ(ReadHostFontEntry(printer, nullptr, "PCLFontDisk", "5", nullptr, &size, name, sizeof name), 1);
  EXPECT_EQ(size, 689u);
}

TEST_F(RecordsHostFontsTest, MalformedRecordsAreRefusedWithoutOverrunningAnyBuffer) {
  HANDLE printer = Install("nardo-c5545.ini", "Nardo C");
  const std::string section = "HostInfo\\Nardo Page C5545";
  const MetricsBlock block = SampleMetrics();
  auto text = [](const std::string& t) { return std::vector<uint8_t>(t.begin(), t.end()); };
  std::vector<uint8_t> huge = fontrecord::WriteInstalledFontRecord(4, "A.PFM", "C:\\a", block);
  huge.resize(3000, 'x');
  const std::string longPath = "C:\\" + std::string(300, 'p');
  struct Case {
    const char* key;
    std::vector<uint8_t> stored;
    DWORD capacity;
    size_t nameSize;
    int result;
    DWORD size;
  } cases[] = {
      {"PCLFont_1", fontrecord::WriteInstalledFontRecord(4, "A.PFM", "C:\\a", block), 2048, 260, 1, 689},
      {"PCLFont_2", text("4,A.PFM;"), 2048, 260, 0, 0},        // two fields
      {"PCLFont_3", text("x,A.PFM,C:\\a;"), 2048, 260, 0, 0},  // flags not a number
      {"PCLFont_4", huge, 2048, 260, 0, 0},                    // larger than a record is read
      {"PCLFont_5", fontrecord::WriteInstalledFontRecord(4, "A.PFM", "C:\\a", block), 100, 260, 0, 0},
      {"PCLFont_6", fontrecord::WriteInstalledFontRecord(4, "A.PFM", longPath, block), 2048, 260, 0, 0},
      {"PCLFont_7", fontrecord::WriteInstalledFontRecord(4, "A.PFM", "C:\\a", block), 2048, 5, 1, 689},
      {"PCLFont_8", fontrecord::WriteInstalledFontRecord(4, "A.PFM", "C:\\a", block), 2048, 4, 0, 0},
      // A macro record: text only, no ";" and no data.
      {"PCLFont_9", text("2,LOGO,C:\\macros\\logo.mac"), 2048, 260, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    SetData(printer, kStoreUserFonts, section, c.key, c.stored);
    std::vector<BYTE> data(c.capacity + 16, 0xEE);
    std::vector<char> name(c.nameSize + 16, '\x7F');
    DWORD size = c.capacity;
    const std::string item = std::string(c.key).substr(8);
    EXPECT_EQ(ReadHostFontEntry(printer, section.c_str(), "PCLFont", item.c_str(), data.data(), &size, name.data(),
                                c.nameSize),
              c.result);
    EXPECT_EQ(size, c.size);
    for (size_t i = c.capacity; i < data.size(); ++i) ASSERT_EQ(data[i], 0xEE) << "data written past its buffer";
    for (size_t i = c.nameSize; i < name.size(); ++i) ASSERT_EQ(name[i], '\x7F') << "name written past its buffer";
  }
  DWORD size = 10;
  char name[16];
  EXPECT_EQ(ReadHostFontEntry(printer, section.c_str(), "PCLFont", "404", nullptr, &size, name, sizeof name), 0);
  EXPECT_EQ(ReadHostFontEntry(printer, section.c_str(), nullptr, "1", nullptr, &size, name, sizeof name), 0);
  EXPECT_EQ(ReadHostFontEntry(printer, section.c_str(), "PCLFont", "1", nullptr, nullptr, name, sizeof name), 0);
}

}  // namespace
}  // namespace recordstest
