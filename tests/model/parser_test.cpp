// The record parsers, each as a table of good and malformed records. A refused
// record must leave its row all zero; an accepted one must have every name cut to
// its field and terminated, with the fields after it intact.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "model/value_parsers.h"
#include "platform/base/codepage.h"
#include "tests/model/model_fixture.h"

namespace modeltest {
namespace {

// ANSI (code page 932) text from UTF-8.
std::string A(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

// Fills a row with garbage first, so that a parser that forgets to clear shows it.
template <class Row>
Row Garbage() {
  Row row;
  std::memset(static_cast<void*>(&row), 0x5A, sizeof row);
  return row;
}

template <class Row>
struct Refused {
  const char* key;
  const char* value;
};

template <class Row, class Parse>
void ExpectRefused(Parse parse, const std::vector<Refused<Row>>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("key ") + (c.key ? c.key : "(null)") + " value " + (c.value ? c.value : "(null)"));
    Row row = Garbage<Row>();
    EXPECT_EQ(parse(&row, c.key, c.value), 0);
    EXPECT_TRUE(AllZero(row));
  }
}

TEST(MemoryRecord, ReadsThreeNumbers) {
  MemoryRow row = Garbage<MemoryRow>();
  ASSERT_EQ(ParseMemoryRecord(&row, "1", " 128 , 4194304 ,16777216;ignored"), 1);
  EXPECT_EQ(row.megabytes, 128);
  EXPECT_EQ(row.second, 4194304);
  EXPECT_EQ(row.third, 16777216);
  ExpectRefused<MemoryRow>(ParseMemoryRecord,
                           {{"1", "64,0"}, {"1", "64,,0"}, {"1", ""}, {"1", "64;0;0"}, {"1", nullptr}});
}

TEST(ConstraintRecord, ReadsThreeGroups) {
  struct Case {
    const char* value;
    ConstraintRow expected;
  } cases[] = {
      {"65,0;4,2;0", {65, 0, 4, 2, 0}},
      {"512,504;16384,1;16", {512, 504, 16384, 1, 16}},
      {"67,-1;128,-1;5", {67, -1, 128, -1, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ConstraintRow row = Garbage<ConstraintRow>();
    ASSERT_EQ(ParseConstraintRecord(&row, "1", c.value), 1);
    EXPECT_EQ(std::memcmp(&row, &c.expected, sizeof row), 0);
  }
  // An option of 0 would end the table early, so it is refused like a missing field.
  ExpectRefused<ConstraintRow>(
      ParseConstraintRecord,
      {{"1", "65,0;4,2"}, {"1", "65;4,2;0"}, {"1", "65,0,4,2,0"}, {"1", "0,1;2,3;0"}, {"1", "65,0;4,2; "}});
}

TEST(StaplerRecord, TakesEitherSeparator) {
  for (const char* value : {"1,2", "1;2"}) {
    StaplerEntry row = Garbage<StaplerEntry>();
    ASSERT_EQ(ParseStaplerRecord(&row, "3", value), 1) << value;
    EXPECT_EQ(row.id, 3);
    EXPECT_EQ(row.a, 1);
    EXPECT_EQ(row.b, 2);
  }
  ExpectRefused<StaplerEntry>(ParseStaplerRecord, {{"3", "1"}, {"0", "1,2"}, {"70000", "1,2"}, {nullptr, "1,2"}});
}

TEST(InstallableOptionRecord, ReadsKindNameValueAndExtra) {
  InstallableOption row = Garbage<InstallableOption>();
  ASSERT_EQ(ParseInstallableOptionRecord(&row, "6", "2,Punch,3,7;9,9"), 1);
  EXPECT_EQ(row.id, 6);
  EXPECT_EQ(row.kind, 2);
  EXPECT_STREQ(row.name, "Punch");
  EXPECT_EQ(row.value, 3);
  EXPECT_EQ(row.extra, 7);
  EXPECT_EQ(row.choiceCount, 0);

  ASSERT_EQ(ParseInstallableOptionRecord(&row, "1", "1,Finisher,1"), 1);
  EXPECT_EQ(row.extra, 0);

  // A name longer than its field is cut between whole characters: 16 double-byte
  // characters (32 bytes) keep 15 in the 32-byte field.
  std::string longName = A("フィニッシャーユニット大容量タイプ");
  ASSERT_EQ(ParseInstallableOptionRecord(&row, "1", ("1," + longName + ",1,4").c_str()), 1);
  EXPECT_EQ(std::string(row.name), longName.substr(0, 30));
  EXPECT_EQ(row.name[30], 0);
  EXPECT_EQ(row.name[31], 0);
  EXPECT_EQ(row.value, 1);
  EXPECT_EQ(row.extra, 4);

  ExpectRefused<InstallableOption>(ParseInstallableOptionRecord, {{"0", "1,Name,1"},
                                                                  {"36", "1,Name,1"},
                                                                  {"x", "1,Name,1"},
                                                                  {"1", "1,Name"},
                                                                  {"1", "1,,1"},
                                                                  {"1", "1;Name;1"},
                                                                  {"1", ""}});
}

TEST(FinisherRecords, CutNamesToTheirFields) {
  PunchEntry punch = Garbage<PunchEntry>();
  ASSERT_EQ(ParsePunchRecord(&punch, "2", "2;3;TWELVECHARS"), 1);
  EXPECT_EQ(punch.id, 2);
  EXPECT_EQ(punch.a, 2);
  EXPECT_EQ(punch.b, 3);
  EXPECT_STREQ(punch.name, "TWELVEC");

  FoldEntry fold = Garbage<FoldEntry>();
  ASSERT_EQ(ParseFoldRecord(&fold, "1", "1,1,HALF"), 1);
  EXPECT_STREQ(fold.name, "HALF");

  TrimEntry trim = Garbage<TrimEntry>();
  ASSERT_EQ(ParseTrimRecord(&trim, "1", "1,1,FOREX"), 1);
  EXPECT_STREQ(trim.name, "FORE");
  EXPECT_EQ(trim.name[4], 0);

  ExpectRefused<PunchEntry>(ParsePunchRecord, {{"1", "1,2"}, {"1", "1,2, "}, {"0", "1,2,X"}});
  ExpectRefused<FoldEntry>(ParseFoldRecord, {{"1", "1"}, {"1", ",,"}});
  ExpectRefused<TrimEntry>(ParseTrimRecord, {{"1", ""}});
}

TEST(StapleLocationRecord, NeedsAllFiveNumbers) {
  StapleLocationEntry row = Garbage<StapleLocationEntry>();
  ASSERT_EQ(ParseStapleLocationRecord(&row, "1", "1,2,3;4;5"), 1);
  EXPECT_EQ(row.a, 1);
  EXPECT_EQ(row.b, 2);
  EXPECT_EQ(row.c, 3);
  EXPECT_EQ(row.d, 4);
  EXPECT_EQ(row.e, 5);
  ExpectRefused<StapleLocationEntry>(ParseStapleLocationRecord,
                                     {{"1", "1,2,3;4"}, {"1", "1,2;3;4;5"}, {"1", "1,2,3,4,5"}});
}

TEST(MediaTypeRecord, FillsWhatIsNotGiven) {
  MediaTypeEntry row = Garbage<MediaTypeEntry>();
  ASSERT_EQ(ParseMediaTypeRecord(&row, "504", "Transparency"), 1);
  EXPECT_EQ(row.id, 504);
  EXPECT_STREQ(row.name, "Transparency");
  EXPECT_EQ(row.m1, 0xFFFFFFFEu);
  EXPECT_EQ(row.m2, -2);
  EXPECT_EQ(row.m3, 0xFFFF);
  EXPECT_STREQ(row.displayName, "Transparency");
  EXPECT_STREQ(row.extra, "");

  std::string display = A("OHPフィルム");
  ASSERT_EQ(ParseMediaTypeRecord(&row, "504", ("Transparency;60,90;1;" + display + ";X").c_str()), 1);
  EXPECT_EQ(row.m1, 60u);
  EXPECT_EQ(row.m2, 90);
  EXPECT_EQ(row.m3, 1);
  EXPECT_EQ(std::string(row.displayName), display);
  EXPECT_STREQ(row.extra, "X");

  // m1 is unsigned: the description may write its largest values either way.
  ASSERT_EQ(ParseMediaTypeRecord(&row, "500", "Plain;-2"), 1);
  EXPECT_EQ(row.m1, 0xFFFFFFFEu);
  ASSERT_EQ(ParseMediaTypeRecord(&row, "500", "Plain;4294967295"), 1);
  EXPECT_EQ(row.m1, 0xFFFFFFFFu);

  ExpectRefused<MediaTypeEntry>(ParseMediaTypeRecord, {{"500", ";60,90"}, {"0", "Plain"}, {"500", ""}});
}

TEST(PaperRecord, NameAndSizeOnlyGiveZeroMarginsAndDefaults) {
  PaperEntry row = Garbage<PaperEntry>();
  ASSERT_EQ(ParsePaperRecord(&row, "9", "A4;8267,11692"), 1);
  EXPECT_EQ(row.id, 9);
  EXPECT_STREQ(row.name, "A4");
  for (const PaperGeometry& block : row.geometry) {
    EXPECT_EQ(block.width, 8267);
    EXPECT_EQ(block.height, 11692);
    EXPECT_EQ(block.margin1 | block.margin2 | block.margin3 | block.margin4, 0);
  }
  EXPECT_EQ(row.attr1, 0xFFFF);
  EXPECT_EQ(row.attr2, 255);
  EXPECT_EQ(row.attr3, 0xFFFF);
  EXPECT_EQ(row.attr4, 255);
  EXPECT_EQ(row.pclSizeCode, 0);
  EXPECT_EQ(row.attr6, 0);
  EXPECT_EQ(row.userSizeMark, 0);
  EXPECT_EQ(row.attr7, 0xFFFE);
  EXPECT_EQ(row.attr8, -2);
  EXPECT_EQ(row.attr9, 0xFFFF);
  EXPECT_EQ(row.feedDirection, 0);
  EXPECT_STREQ(row.shortName, "");
  EXPECT_TRUE(AllZero(row.variableSize));
}

// A side must fit the device mode's tenths of a millimetre (16 signed bits);
// larger or negative sides are refused when the description is read.
TEST(PaperRecord, SidesBeyondWhatTheDeviceModeHoldsAreRefused) {
  PaperEntry row = Garbage<PaperEntry>();
  ASSERT_EQ(ParsePaperRecord(&row, "1", "Largest;129007,129007"), 1);
  EXPECT_EQ(row.geometry[0].width * 254 / 1000, 32767);
  ExpectRefused<PaperEntry>(
      ParsePaperRecord,
      {{"1", "P;129008,11000"}, {"1", "P;8500,400000"}, {"1", "P;2147483647,11000"}, {"1", "P;8500,-1"}});
}

TEST(PaperRecord, MarginGroupsListFirstFourthThirdSecond) {
  PaperEntry row = Garbage<PaperEntry>();
  ASSERT_EQ(ParsePaperRecord(&row, "1", "P;1000,2000;1,4,3,2;10,40,30,20"), 1);
  const PaperGeometry first{1000, 2000, 1, 2, 3, 4};
  const PaperGeometry second{1000, 2000, 10, 20, 30, 40};
  EXPECT_EQ(std::memcmp(&row.geometry[0], &first, sizeof first), 0);
  EXPECT_EQ(std::memcmp(&row.geometry[1], &second, sizeof second), 0);
  // The third set is not given: it takes the first's margins.
  EXPECT_EQ(std::memcmp(&row.geometry[2], &first, sizeof first), 0);

  // A field missing inside a later margin group falls back to the first set's.
  ASSERT_EQ(ParsePaperRecord(&row, "1", "P;1000,2000;1,4,3,2;10"), 1);
  EXPECT_EQ(row.geometry[1].margin1, 10);
  EXPECT_EQ(row.geometry[1].margin4, 4);
}

TEST(PaperRecord, LaterGroupsAndTheCustomSizeForm) {
  PaperEntry row = Garbage<PaperEntry>();
  // The form the pages write for the user-defined size.
  ASSERT_EQ(ParsePaperRecord(&row, "CustomPaper_261",
                             "CustomPaper    ;8500,11000;0,0,0,0;0,0,0,0;0,0,0,0;0,0,0,0; 0;0;1; 0,0;0;261;1;PJL"),
            1);
  EXPECT_EQ(row.id, kCustomPaperId);
  EXPECT_STREQ(row.name, "CustomPaper");
  EXPECT_EQ(row.userSizeMark, -1);
  EXPECT_EQ(row.attr1, 0);
  EXPECT_EQ(row.attr2, 0);
  EXPECT_EQ(row.attr7, 0);
  EXPECT_EQ(row.attr8, 0);
  EXPECT_EQ(row.attr9, 0);
  EXPECT_EQ(row.feedDirection, 1);
  EXPECT_STREQ(row.shortName, "PJL");

  ASSERT_EQ(ParsePaperRecord(&row, "1", "P;1,2;;;;7;26;3;2;-5,-6;9;;1;ABCDEFGHIJKL"), 1);
  EXPECT_EQ(row.attr1, 7);
  EXPECT_EQ(row.attr2, 255);  // each field of the group defaults on its own
  EXPECT_EQ(row.attr3, 0xFFFF);
  EXPECT_EQ(row.pclSizeCode, 26);
  EXPECT_EQ(row.attr6, 3);
  EXPECT_EQ(row.userSizeMark, -2);
  EXPECT_EQ(row.attr7, static_cast<WORD>(-5));
  EXPECT_EQ(row.attr8, -6);
  EXPECT_EQ(row.attr9, 9);
  EXPECT_EQ(row.id, 1);
  EXPECT_STREQ(row.shortName, "ABCDEFGHI");
  EXPECT_EQ(row.reserved[0] | row.reserved[1] | row.reserved[2] | row.reserved[3], 0);
}

TEST(PaperRecord, TrimsBlanksWithoutBreakingDoubleByteNames) {
  PaperEntry row = Garbage<PaperEntry>();
  // "ソ" ends in the byte of a backslash; only the blanks after it go.
  std::string name = A("封筒 ソ");
  ASSERT_EQ(ParsePaperRecord(&row, "20", (name + "   ;4125,9500").c_str()), 1);
  EXPECT_EQ(std::string(row.name), name);
  // 40 ASCII characters keep 31.
  ASSERT_EQ(ParsePaperRecord(&row, "20", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd;1,2"), 1);
  EXPECT_EQ(std::string(row.name), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
  EXPECT_EQ(row.geometry[0].width, 1);
}

TEST(PaperRecord, RefusesRowsWithoutNameSizeOrId) {
  ExpectRefused<PaperEntry>(ParsePaperRecord, {{"9", "A4"},
                                               {"9", "A4;8267"},
                                               {"9", "   ;8267,11692"},
                                               {"9", ";8267,11692"},
                                               {"0", "A4;8267,11692"},
                                               {"70000", "A4;8267,11692"},
                                               {"9", "A4;1,2;;;;;;;;;;0"},
                                               {nullptr, "A4;8267,11692"}});
}

TEST(VariableSizeRecord, ReadsThirteenFields) {
  VariableSizeRecord row = Garbage<VariableSizeRecord>();
  ASSERT_EQ(ParseVariableSizeRecord(&row, "1", "261,8500,11000,10,1;3543,11693,5500,17000;167,168,169,170"), 1);
  EXPECT_EQ(row.paperId, kCustomPaperId);
  EXPECT_EQ(row.u1, 10);
  EXPECT_EQ(row.u2, 1);
  const PaperGeometry first{8500, 11000, 3543, 17000, 5500, 11693};
  const PaperGeometry second{8500, 11000, 167, 170, 169, 168};
  EXPECT_EQ(std::memcmp(&row.geometry[0], &first, sizeof first), 0);
  EXPECT_EQ(std::memcmp(&row.geometry[1], &second, sizeof second), 0);
  EXPECT_TRUE(AllZero(row.geometry[2]));
  ExpectRefused<VariableSizeRecord>(
      ParseVariableSizeRecord, {{"1", "261,8500,11000,10,1,1,2,3,4,5,6,7"}, {"1", "0,1,2,3,4,5,6,7,8,9,10,11,12"}});
}

TEST(PaperSourceRecord, FillsWhatIsNotGiven) {
  PaperSourceEntry row = Garbage<PaperSourceEntry>();
  ASSERT_EQ(ParsePaperSourceRecord(&row, "2", "Tray1;0,1"), 1);
  EXPECT_EQ(row.id, 2);
  EXPECT_STREQ(row.name, "Tray1");
  EXPECT_EQ(row.d1, 0xFFFF);
  EXPECT_EQ(row.d2, 0xFFFF);
  EXPECT_EQ(row.s1, 0);
  EXPECT_EQ(row.s2, 1);
  EXPECT_EQ(row.s3, 0);
  EXPECT_EQ(row.s4, 0xFFFF);
  EXPECT_STREQ(row.text, "");
  EXPECT_EQ(row.s5, 1);
  EXPECT_EQ(row.s6, 0xFFFE);
  EXPECT_EQ(row.d3, 0);
  EXPECT_EQ(row.d4, 0xFFFF);

  ASSERT_EQ(ParsePaperSourceRecord(&row, "5", "T,5,6;1,2,3;4;ABCDEFGHIJKLMNOPQRSTUVWXYZ;0;9;ignored"), 1);
  EXPECT_EQ(row.d1, 5);
  EXPECT_EQ(row.d2, 6);
  EXPECT_EQ(row.s1, 1);
  EXPECT_EQ(row.s2, 2);
  EXPECT_EQ(row.s3, 3);
  EXPECT_EQ(row.s4, 4);
  EXPECT_STREQ(row.text, "ABCDEFGHIJKLMNOPQRS");
  EXPECT_EQ(row.s5, 0);
  EXPECT_EQ(row.s6, 9);

  ExpectRefused<PaperSourceEntry>(ParsePaperSourceRecord,
                                  {{"2", "Tray1"}, {"2", "Tray1;0"}, {"2", ";0,1"}, {"0", "Tray1;0,1"}});
}

TEST(PaperDestinationRecord, TurnsFlagFieldsIntoCapabilityBits) {
  struct Case {
    const char* value;
    DWORD flags;
  } cases[] = {
      {"Main;1;0,0,0;1", 0},
      {"Shift;2;1,1,0,0,1;2", kFeatureJobOffset | kFeatureStapling | kFeaturePunching},
      {"Proof;3;0,0,3;3", kFeatureFaceUpLow | kFeatureFaceUpHigh},
      {"Rear;3;0,0,2;3", kFeatureFaceUpHigh},
      {"Book;4;0,1,0,1;4", kFeatureStapling | kFeatureFolding},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    OutputBinEntry row = Garbage<OutputBinEntry>();
    ASSERT_EQ(ParsePaperDestinationRecord(&row, "1", c.value), 1);
    EXPECT_EQ(row.flags, c.flags);
    EXPECT_EQ(row.b3, 0xFFFF);
    EXPECT_EQ(row.b4, 0xFFFF);
    EXPECT_STREQ(row.text, "");
  }
  OutputBinEntry row = Garbage<OutputBinEntry>();
  ASSERT_EQ(ParsePaperDestinationRecord(&row, "2", "Shift;7;1,0,0;2,1,0;OPTIONALOUTPUTBIN1OPTIONALOUTPUTBIN1"), 1);
  EXPECT_EQ(row.b1, 7);
  EXPECT_EQ(row.b2, 2);
  EXPECT_EQ(row.b3, 1);
  EXPECT_EQ(row.b4, 0);
  EXPECT_STREQ(row.text, "OPTIONALOUTPUTBIN1OPTIO");
  ExpectRefused<OutputBinEntry>(ParsePaperDestinationRecord, {{"1", "Main;1;0,0;1"},
                                                              {"1", "Main;1;0,0,0"},
                                                              {"1", "Main;;0,0,0;1"},
                                                              {"1", ";1;0,0,0;1"},
                                                              {"0", "Main;1;0,0,0;1"}});
}

TEST(ResolutionRecord, KeepsOnlyNonZeroIdAndDpi) {
  struct Case {
    const char* key;
    const char* value;
    int accepted;
    WORD dpi;
  } cases[] = {{"1", "600", 1, 600}, {"2", "66136", 1, 600}, {"0", "600", 0, 0},
               {"1", "0", 0, 0},     {"1", "65536", 0, 0},   {"1", "", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    ResolutionEntry row = Garbage<ResolutionEntry>();
    EXPECT_EQ(ParseResolutionRecord(&row, c.key, c.value), c.accepted);
    EXPECT_EQ(row.xDpi, c.dpi);
    EXPECT_EQ(row.yDpi, c.dpi);
  }
}

TEST(FontRecord, MapsLanguageCodes) {
  struct Case {
    const char* code;
    WORD pdl;
  } cases[] = {{"1", 0x103}, {"2", 0x408C}, {"3", 0x8C}, {"4", 0}, {"x", 0}};
  for (const Case& c : cases) {
    ModelFontRow row = Garbage<ModelFontRow>();
    std::string value = std::string("Courier,Courier New,0,Courier,") + c.code;
    ASSERT_EQ(ParseFontRecord(&row, "101", value.c_str()), 1) << value;
    EXPECT_EQ(row.pdl, c.pdl) << value;
    EXPECT_EQ(row.fontId, 101);
    EXPECT_STREQ(row.secondName, "Courier New");
  }
  ModelFontRow row = Garbage<ModelFontRow>();
  ASSERT_EQ(ParseFontRecord(&row, "103", "Helvetica-Narrow,Helvetica Narrow,0,HelveticaNarrow,1"), 1);
  EXPECT_STREQ(row.shortName, "HelveticaNar");
  ExpectRefused<ModelFontRow>(
      ParseFontRecord,
      {{"101", "Courier,Courier,0,Courier"}, {"101", ",Courier,0,Courier,1"}, {"101", "Courier;Courier;0;Courier;1"}});
}

TEST(TabInfoRecord, ReadsNameAndSixNumbers) {
  for (const char* value : {"Tab,271,1102,500;5,0,0", "Tab;271;1102;500;5;0;0", "Tab,271,1102,500,5,0,0"}) {
    SCOPED_TRACE(value);
    TabInfoEntry row = Garbage<TabInfoEntry>();
    ASSERT_EQ(ParseTabInfoRecord(&row, "1", value), 1);
    EXPECT_EQ(row.id, 1);
    EXPECT_STREQ(row.name, "Tab");
    EXPECT_EQ(row.l1, 271);
    EXPECT_EQ(row.l2, 1102);
    EXPECT_EQ(row.l3, 500);
    EXPECT_EQ(row.i1, 5);
    EXPECT_EQ(row.i2, 0);
    EXPECT_EQ(row.i3, 0);
  }
  ExpectRefused<TabInfoEntry>(ParseTabInfoRecord, {{"1", "Tab,271,1102,500;5,0"}, {"1", ",271,1102,500;5,0,0"}});
}

TEST(HiddenControlRecord, MapsBothDialogNames) {
  HiddenControlRow row = Garbage<HiddenControlRow>();
  ASSERT_EQ(ParseHiddenControlRecord(&row, "1205", "IDD_DIALOG_SEPARATORS;IDC_INSERTTRAY_2"), 1);
  EXPECT_EQ(row.controlId, 1205);
  EXPECT_EQ(row.dialogId1, 206);
  EXPECT_EQ(row.dialogId2, 1618);
  ASSERT_EQ(ParseHiddenControlRecord(&row, "1", "IDD_DIALOG_SEPARATORS, IDR_INSERTFROMTRAYS;"), 1);
  EXPECT_EQ(row.dialogId2, 1321);

  auto parse = [](HiddenControlRow* r, const char* k, const char* v) { return ParseHiddenControlRecord(r, k, v); };
  ExpectRefused<HiddenControlRow>(parse, {{"1", "IDD_DIALOG_SEPARATORS;IDX_UNKNOWN"},
                                          {"1", "IDD_DIALOG_SEPARATORS"},
                                          {"0", "IDD_DIALOG_SEPARATORS;IDC_INSERTTRAY"},
                                          {"-3", "IDD_DIALOG_SEPARATORS;IDC_INSERTTRAY"},
                                          {"1", "IDD_DIALOG;IDC_INSERTTRAY"}});

  // The library that carries the loader may bring its own name table.
  auto lookup = [](const char* name) { return name[0] == 'Q' ? 7 : 0; };
  ASSERT_EQ(ParseHiddenControlRecord(&row, "4", "Q1;Q2", lookup), 1);
  EXPECT_EQ(row.dialogId1, 7);
  EXPECT_EQ(ParseHiddenControlRecord(&row, "4", "IDD_DIALOG_SEPARATORS;Q2", lookup), 0);
}

template <class Row>
std::function<void(const char*, const char*)> Checked(int (*parse)(Row*, const char*, const char*), const char* name) {
  return [parse, name](const char* key, const char* value) {
    Row row = Garbage<Row>();
    if (parse(&row, key, value) == 0) {
      EXPECT_TRUE(AllZero(row)) << name;
    }
  };
}

// Whatever the text, a parser answers without reading or writing outside its
// row and its input, and a refused row is all zero (the sanitizer build checks
// the first part).
TEST(AllParsers, SurviveHostileText) {
  std::vector<std::string> texts = {
      "",
      ";;;;;;;;;;;;;;;;;;;;;;;;;;;;;;",
      ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
      std::string(5000, 'A') + ";1,2",
      std::string(3000, ';') + "A",
      "99999999999999999999999,-99999999999999999999999;-2147483648,2147483648;-2147483648",
      "A;1,2;;;;;;;;-2147483648",
      std::string("\x83"),             // a lead byte with no trail byte
      std::string("N\x83;1,2;3,4;5"),  // a lead byte right before a separator
      std::string("\x83\x5C\x83\x5C;1,2,3,4,5,6,7,8,9,10,11,12,13"),
      std::string("A\0B;1,2", 7),
  };
  std::vector<std::function<void(const char*, const char*)>> parsers = {
      Checked(ParseMemoryRecord, "memory"),
      Checked(ParseConstraintRecord, "constraint"),
      Checked(ParseStaplerRecord, "stapler"),
      Checked(ParseInstallableOptionRecord, "option"),
      Checked(ParseFoldRecord, "fold"),
      Checked(ParsePunchRecord, "punch"),
      Checked(ParseTrimRecord, "trim"),
      Checked(ParseMediaTypeRecord, "media"),
      Checked(ParsePaperRecord, "paper"),
      Checked(ParseVariableSizeRecord, "variable size"),
      Checked(ParsePaperSourceRecord, "paper source"),
      Checked(ParsePaperDestinationRecord, "paper destination"),
      Checked(ParseStapleLocationRecord, "staple location"),
      Checked(ParseResolutionRecord, "resolution"),
      Checked(ParseFontRecord, "font"),
      Checked(ParseTabInfoRecord, "tab info"),
      Checked(
          +[](HiddenControlRow* row, const char* k, const char* v) { return ParseHiddenControlRecord(row, k, v); },
          "hidden control"),
  };
  for (const char* key : {"1", "", "-1", "99999999999999999999", "\x83"}) {
    for (const std::string& text : texts) {
      for (auto& parse : parsers) parse(key, text.c_str());
    }
  }
  // Null rows and texts are refused without a crash.
  EXPECT_EQ(ParsePaperRecord(nullptr, "1", "A;1,2"), 0);
  PaperEntry paper = Garbage<PaperEntry>();
  EXPECT_EQ(ParsePaperRecord(&paper, "1", nullptr), 0);
  EXPECT_TRUE(AllZero(paper));
}

}  // namespace
}  // namespace modeltest
