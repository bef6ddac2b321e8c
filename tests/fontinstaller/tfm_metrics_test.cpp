// Font package metric files converted into the installer's metrics block, in
// both byte orders, and the files that must be refused without hanging.
#include <gtest/gtest.h>

#include <cstring>

#include "common/installed_font_record.h"
#include "fontinstaller/soft_font_files.h"
#include "fontinstaller/tfm_metrics.h"
#include "tests/fontinstaller/installer_test_support.h"

namespace installertest {
namespace {

namespace off = fontrecord::offset;

// Writes a small tagged metric file: one directory, then the symbol set strings,
// then the values that do not fit an entry.
class TfmBuilder {
 public:
  explicit TfmBuilder(bool little) : little_(little) {}
  void Add(int tag, int type, std::vector<uint32_t> values) { tags_.push_back({tag, type, std::move(values), {}}); }
  void AddText(int tag, const std::string& text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    tags_.push_back({tag, 2, {}, bytes});
  }
  // One symbol set entry whose selection string is given.
  void AddSymbolSet(const std::string& selection) { selection_ = selection; }
  // The next-directory offset written after the directory (0 ends the chain).
  uint32_t nextDirectory = 0;

  Bytes Build() {
    const size_t directoryAt = 8;
    const size_t count = tags_.size() + (selection_.empty() ? 0 : 1);
    const size_t dataAt = directoryAt + 2 + 12 * count + 4;
    Bytes data;
    uint32_t selectionAt = 0;
    if (!selection_.empty()) {
      selectionAt = static_cast<uint32_t>(dataAt + data.size());
      data.insert(data.end(), selection_.begin(), selection_.end());
      data.push_back(0);
    }
    Bytes out = {static_cast<uint8_t>(little_ ? 'I' : 'M'), static_cast<uint8_t>(little_ ? 'I' : 'M'), 1, 0};
    Put32(out, static_cast<uint32_t>(directoryAt));
    Put16(out, static_cast<uint32_t>(count));
    std::vector<std::pair<size_t, Bytes>> pending;
    auto entry = [&](int tag, int type, uint32_t valueCount, const Bytes& value) {
      Put16(out, static_cast<uint32_t>(tag));
      Put16(out, static_cast<uint32_t>(type));
      Put32(out, valueCount);
      if (value.size() <= 4) {
        Bytes inline4 = value;
        inline4.resize(4, 0);
        out.insert(out.end(), inline4.begin(), inline4.end());
      } else {
        Put32(out, static_cast<uint32_t>(dataAt + data.size()));
        data.insert(data.end(), value.begin(), value.end());
      }
    };
    for (const TagSpec& t : tags_) {
      Bytes value = t.raw;
      uint32_t valueCount = static_cast<uint32_t>(t.raw.size());
      if (t.raw.empty()) {
        valueCount = t.type == 5 ? static_cast<uint32_t>(t.values.size() / 2) : static_cast<uint32_t>(t.values.size());
        for (uint32_t v : t.values) {
          if (t.type == 1) value.push_back(static_cast<uint8_t>(v));
          if (t.type == 3) Put16(value, v);
          if (t.type == 4 || t.type == 5) Put32(value, v);
        }
      }
      entry(t.tag, t.type, valueCount, value);
    }
    if (!selection_.empty()) {
      Bytes set;
      Put32(set, selectionAt);  // name (the selection string serves as one)
      Put32(set, selectionAt);
      Put32(set, 0);
      Put16(set, 0);
      entry(404, 1, 14, set);
    }
    Put32(out, nextDirectory);
    out.insert(out.end(), data.begin(), data.end());
    return out;
  }

 private:
  struct TagSpec {
    int tag;
    int type;
    std::vector<uint32_t> values;
    Bytes raw;
  };
  void Put16(Bytes& out, uint32_t v) {
    if (little_) {
      out.push_back(static_cast<uint8_t>(v & 0xFF));
      out.push_back(static_cast<uint8_t>(v >> 8));
    } else {
      out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
      out.push_back(static_cast<uint8_t>(v & 0xFF));
    }
  }
  void Put32(Bytes& out, uint32_t v) {
    if (little_) {
      Put16(out, v & 0xFFFF);
      Put16(out, v >> 16);
    } else {
      Put16(out, v >> 16);
      Put16(out, v & 0xFFFF);
    }
  }
  bool little_;
  std::vector<TagSpec> tags_;
  std::string selection_;
};

Bytes UniversBold(bool little) {
  TfmBuilder b(little);
  b.Add(400, 4, {2});
  b.AddText(417, "M Univers Bd");
  b.Add(403, 3, {65, 8226, 8216});
  b.Add(407, 5, {12, 1});
  b.Add(408, 5, {50, 1});
  b.Add(411, 1, {180});
  b.Add(412, 3, {0});
  b.Add(413, 3, {120});
  b.Add(414, 1, {100});
  b.Add(415, 1, {50});
  b.Add(419, 5, {21, 2});
  b.Add(420, 3, {90});
  b.Add(422, 3, {70});
  b.Add(423, 3, {35});
  b.Add(424, 3, {24});
  b.Add(425, 3, {50});
  b.Add(426, 3, {12});
  b.Add(427, 3, {48});
  b.Add(428, 3, {11});
  b.Add(429, 3, {5});
  b.Add(430, 3, {3});
  b.Add(433, 3, {40, 30, 20});
  b.AddSymbolSet("19U");
  return b.Build();
}

class TfmMetricsTest : public InstallerTest {};

TEST_F(TfmMetricsTest, BothByteOrdersGiveTheSameBlock) {
  for (bool little : {true, false}) {
    SCOPED_TRACE(little ? "II" : "MM");
    std::optional<fontrecord::MetricsBlock> block = fontinstaller::ConvertTfmMetrics(UniversBold(little));
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->IsValid());
    EXPECT_EQ(block->Text(off::kFaceName, 32), "Univers");
    EXPECT_EQ(block->Text(off::kFaceName + 32, 32), "Bd");
    EXPECT_EQ(block->U8(off::kFlags), fontrecord::kFlagScalable);
    EXPECT_EQ(block->U16(off::kPointSize), 12);
    EXPECT_EQ(block->U16(off::kHeight), 50);
    EXPECT_EQ(block->U16(off::kAscent), 50);
    EXPECT_EQ(block->U16(off::kDescent), 12);
    EXPECT_EQ(block->U16(off::kLineGap), 8);
    EXPECT_EQ(block->U16(off::kCapHeight), 35);
    EXPECT_EQ(block->U16(off::kXHeight), 24);
    EXPECT_EQ(block->U8(off::kSpareByte), 1);
    EXPECT_EQ(block->U16(off::kItalic), 12);
    EXPECT_EQ(block->U16(off::kWeight), 700);
    EXPECT_EQ(block->U8(off::kPitchAndFamily), 16);
    EXPECT_EQ(block->U16(off::kAverageWidth), 11);
    EXPECT_EQ(block->U16(off::kMaximumWidth), 90);
    EXPECT_EQ(block->U8(off::kFirstChar), 32);
    EXPECT_EQ(block->U8(off::kLastChar), 255);
    EXPECT_EQ(block->U8(off::kDefaultChar), 149);
    EXPECT_EQ(block->Width('A'), 40);
    EXPECT_EQ(block->Width(145), 20);
    EXPECT_EQ(block->Width('B'), 30) << "the bullet's width";
    EXPECT_EQ(block->U8(off::kCharSetClass), 1);
    EXPECT_EQ(block->SelectionName(), "Univers,19U");
  }
  EXPECT_EQ(fontinstaller::AnsiCodeOfUnicode(8482), 153);
  EXPECT_EQ(fontinstaller::AnsiCodeOfUnicode(0x3042), -1);
}

TEST_F(TfmMetricsTest, BrokenFilesAreRefusedWithoutReadingPastThemOrLooping) {
  EXPECT_FALSE(fontinstaller::ConvertTfmMetrics(Text("XX\x01\x00\x08\x00\x00\x00")));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "\n Invalid TFM Header --  Unknown Byte Order \n");
  EXPECT_EQ(boxes[0].caption, "Font Installer");

  TfmBuilder loop(true);
  loop.Add(411, 1, {100});
  loop.nextDirectory = 8;  // back to itself
  EXPECT_FALSE(fontinstaller::ConvertTfmMetrics(loop.Build()));

  Bytes cut = UniversBold(true);
  cut.resize(40);  // the directory runs past the end
  EXPECT_FALSE(fontinstaller::ConvertTfmMetrics(cut));

  Bytes wild = UniversBold(true);
  wild[4] = 0xF0;  // first directory far outside the file
  EXPECT_FALSE(fontinstaller::ConvertTfmMetrics(wild));
}

// Values no 16-bit field can hold (a double word of 0xFFFFFFFF, a ratio of
// 4294967295/1) are held to the field's range instead of converting
// beyond an int, and an empty text tag reads as no text.
TEST_F(TfmMetricsTest, ValuesBeyondTheFieldsAndEmptyTextsAreRead) {
  for (bool little : {true, false}) {
    SCOPED_TRACE(little ? "II" : "MM");
    TfmBuilder b(little);
    b.Add(400, 4, {2});
    b.Add(417, 2, {});  // a text tag with no bytes
    b.Add(403, 3, {65});
    b.Add(419, 5, {0xFFFFFFFFu, 1});
    b.Add(420, 4, {0xFFFFFFFFu});
    b.Add(422, 3, {0});
    b.Add(425, 4, {0xFFFFFFFFu});
    b.Add(426, 4, {0xFFFFFFFFu});
    b.Add(433, 4, {0x80000000u});
    std::optional<fontrecord::MetricsBlock> block = fontinstaller::ConvertTfmMetrics(b.Build());
    ASSERT_TRUE(block);
    EXPECT_EQ(block->U16(off::kAscent), 0xFFFF);
    EXPECT_EQ(block->U16(off::kMaximumWidth), 0xFFFF);
    EXPECT_EQ(block->Width('A'), 0xFFFF);
  }
}

TEST_F(TfmMetricsTest, EveryCutOfAFileIsReadWithinItsBytes) {
  for (bool little : {true, false}) {
    const Bytes whole = UniversBold(little);
    for (size_t size = 0; size < whole.size(); ++size) {
      fontinstaller::ConvertTfmMetrics(Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
    }
  }
}

TEST_F(TfmMetricsTest, DirectoryRowsMetricFileBecomesTheFontsMetricsFile) {
  WriteFile("C:\\Package\\univers.tfm", UniversBold(false));
  std::optional<fontinstaller::FontDirectory> directory =
      fontinstaller::ReadFontDirectory("[PCL fonts]\n{O}\nFONT Univers Bold\n/font file u.sfp\n/tfm univers.tfm\n");
  ASSERT_TRUE(directory);
  fontinstaller::InstalledFontEntry entry{};
  entry.directoryIndex = 0;
  ASSERT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\u.pfm", 1, &*directory, "C:\\Package"), 1);
  const Bytes file = ReadFile("C:\\Work\\u.pfm");
  ASSERT_EQ(file.size(), 689u);
  EXPECT_EQ(fontrecord::MetricsBlock::FromBytes(file.data(), file.size())->FaceName(), "Univers");
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, "\nConverting TFM file to PFM file...\n\n");

  entry.directoryIndex = 5;
  EXPECT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\v.pfm", 1, &*directory, "C:\\Package"), 0);
  EXPECT_EQ(fontinstaller::WriteMetricsFile(&entry, "C:\\Work\\v.pfm", 1), 0);
}

}  // namespace
}  // namespace installertest
