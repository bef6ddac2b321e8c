// The job-stream reader that later tests use to check every PCL job: fed
// hand-built streams whose every byte was worked out from the published
// command syntax and compression methods.
#include "tests/support/pcl_reader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace testsupport {
namespace {

const std::string kUel = "\x1b%-12345X";

// An escape sequence: written this way so that a following letter cannot run
// into a "\x1b" hex escape.
std::string Esc(const std::string& rest) { return "\x1b" + rest; }

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string Row(const PclReport& report, std::size_t block, std::size_t row) {
  return report.raster.at(block).rows.at(row).bytes;
}

// A complete PJL-framed PCL job touching every part the reader knows.
std::string WellFormedJob() {
  std::string job = kUel;
  job += "@PJL JOB NAME=\"Sample\"\r\n";
  job += "@PJL SET RESOLUTION = 600\r\n";
  job += "@PJL COMMENT made by hand\n";
  job += "@PJL ENTER LANGUAGE=PCL\r\n";
  job += Esc("E");
  job += Esc("&l26a0o1E");  // combined: paper size, orientation, top margin
  job += "Hello page one\r\n";
  job += "\f";
  // Raster 32 pixels wide (4 bytes) in methods 0, 2 and 3.
  job += Esc("*r32S") + Esc("*r1A");
  job += Esc("*b0M") + Esc("*b4W") + Bytes({0xF0, 0x0F, 0xAA, 0x55});
  // PackBits: literal of 1 (0x11), then 0x22 repeated 3 times.
  job += Esc("*b2m4W") + Bytes({0x00, 0x11, 0xFE, 0x22});
  // Delta row on seed 11 22 22 22: skip 1, replace 1 with 55; then replace 2
  // right after it with 66 77.
  job += Esc("*b3M") + Esc("*b5W") + Bytes({0x01, 0x55, 0x20, 0x66, 0x77});
  job += Esc("*b0W");  // empty delta row: the seed row again
  job += Esc("*rB");
  job += "\f";
  job += Esc("%0B");
  job += "IN;SP1;PU0,0;PD100,0,100,100;";
  // PE: pen 2; pen-up absolute to (10,20); relative (30,-5); relative (100,100).
  job +=
      "PE:" + Bytes({0xC3}) + "<=" + Bytes({0xD3, 0xE7, 0xFB, 0xCA}) + "G" + Bytes({0xC2}) + "G" + Bytes({0xC2}) + ";";
  job += "LBHello" + Bytes({0x03}) + ";";
  job += "DT*;LBWorld*;";
  job += "CO\"a comment; with a semicolon\";";
  job += Esc("%0A");
  job += Esc("&f5Y") + Esc("&f0X") + "Macro text" + Esc("*c100A") + Esc("&f1X");
  job += Esc("&f5y3X");
  job += "Page three";
  job += "\f";
  job += kUel + "@PJL EOJ NAME=\"Sample\"\r\n" + kUel;
  return job;
}

TEST(PclReaderTest, WellFormedJobReadsCleanly) {
  const PclReport r = ReadPclJob(WellFormedJob());
  ASSERT_TRUE(r.ok()) << r.Summary();
  EXPECT_TRUE(r.warnings.empty()) << r.Summary();

  // PJL lines, their endings and options.
  ASSERT_EQ(r.pjl.size(), 5u);
  EXPECT_EQ(r.pjl[0].command, "JOB");
  ASSERT_NE(r.pjl[0].Option("name"), nullptr);
  EXPECT_EQ(r.pjl[0].Option("name")->value, "Sample");
  EXPECT_EQ(r.pjl[1].command, "SET");
  ASSERT_NE(r.pjl[1].Option("RESOLUTION"), nullptr);
  EXPECT_EQ(r.pjl[1].Option("RESOLUTION")->value, "600");
  EXPECT_EQ(r.pjl[2].command, "COMMENT");
  EXPECT_EQ(r.pjl[2].argument, "made by hand");
  EXPECT_EQ(r.pjl[3].command, "ENTER");
  EXPECT_EQ(r.pjl[4].command, "EOJ");
  EXPECT_EQ(r.pjl[0].ending, PjlLineEnding::CrLf);
  EXPECT_EQ(r.pjl[2].ending, PjlLineEnding::Lf);
  EXPECT_EQ(r.pjl[4].ending, PjlLineEnding::CrLf);
  EXPECT_EQ(r.uels.size(), 3u);
  ASSERT_EQ(r.sections.size(), 1u);
  EXPECT_EQ(r.sections[0].language, "PCL");
  EXPECT_TRUE(r.sections[0].endedByUel);
  EXPECT_FALSE(r.sections[0].implied);

  // Pages.
  EXPECT_EQ(r.formFeeds, 3);
  EXPECT_EQ(r.resets, 1);
  ASSERT_EQ(r.text.size(), 3u);
  EXPECT_EQ(r.text[0].text, "Hello page one");
  EXPECT_EQ(r.text[0].page, 0);
  EXPECT_EQ(r.text[1].text, "Macro text");
  EXPECT_EQ(r.text[1].macroId, 5);
  EXPECT_EQ(r.text[2].text, "Page three");
  EXPECT_EQ(r.text[2].page, 2);

  // The combined sequence gives three commands.
  ASSERT_EQ(r.Count("&l", 'A'), 1u);
  EXPECT_EQ(r.Find("&l", 'A')[0]->IntValue(), 26);
  EXPECT_TRUE(r.Find("&l", 'A')[0]->continued);
  EXPECT_EQ(r.Find("&l", 'O')[0]->IntValue(), 0);
  EXPECT_FALSE(r.Find("&l", 'E')[0]->continued);

  // Raster rows decoded by their methods.
  ASSERT_EQ(r.raster.size(), 1u);
  const RasterBlock& block = r.raster[0];
  EXPECT_TRUE(block.ended);
  EXPECT_EQ(block.startMode, 1);
  EXPECT_EQ(block.sourceWidth, 32);
  EXPECT_EQ(block.rowBytes, 4u);
  ASSERT_EQ(block.rows.size(), 4u);
  EXPECT_EQ(block.rows[0].method, 0);
  EXPECT_EQ(Row(r, 0, 0), Bytes({0xF0, 0x0F, 0xAA, 0x55}));
  EXPECT_EQ(block.rows[1].method, 2);
  EXPECT_EQ(Row(r, 0, 1), Bytes({0x11, 0x22, 0x22, 0x22}));
  EXPECT_EQ(block.rows[2].method, 3);
  EXPECT_EQ(Row(r, 0, 2), Bytes({0x11, 0x55, 0x66, 0x77}));
  EXPECT_EQ(block.rows[2].decodedLength, 4u);
  EXPECT_EQ(Row(r, 0, 3), Bytes({0x11, 0x55, 0x66, 0x77}));
  EXPECT_EQ(block.rows[3].decodedLength, 0u);
  for (const RasterRow& row : block.rows) EXPECT_TRUE(row.decoded);

  // HP-GL/2.
  ASSERT_EQ(r.hpglSections.size(), 1u);
  EXPECT_TRUE(r.hpglSections[0].left);
  std::string mnemonics;
  for (const HpglInstruction& i : r.hpgl) mnemonics += i.mnemonic + " ";
  EXPECT_EQ(mnemonics, "IN SP PU PD PE LB DT LB CO ");
  const auto pd = r.Instructions("PD");
  ASSERT_EQ(pd.size(), 1u);
  EXPECT_EQ(pd[0]->numbers, (std::vector<double>{100, 0, 100, 100}));
  EXPECT_TRUE(pd[0]->terminated);
  const auto pe = r.Instructions("PE");
  ASSERT_EQ(pe.size(), 1u);
  ASSERT_EQ(pe[0]->vertices.size(), 3u);
  const PeVertex& first = pe[0]->vertices[0];
  EXPECT_EQ(first.x, 10);
  EXPECT_EQ(first.y, 20);
  EXPECT_TRUE(first.penUp);
  EXPECT_TRUE(first.absolute);
  EXPECT_EQ(first.pen, 2);
  EXPECT_EQ(pe[0]->vertices[1].x, 30);
  EXPECT_EQ(pe[0]->vertices[1].y, -5);
  EXPECT_FALSE(pe[0]->vertices[1].penUp);
  EXPECT_FALSE(pe[0]->vertices[1].absolute);
  EXPECT_EQ(pe[0]->vertices[2].x, 100);
  EXPECT_EQ(pe[0]->vertices[2].y, 100);
  const auto labels = r.Instructions("LB");
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0]->label, "Hello");
  EXPECT_EQ(labels[0]->labelTerminator, '\x03');
  EXPECT_EQ(labels[1]->label, "World");
  EXPECT_EQ(labels[1]->labelTerminator, '*');

  // The macro: defined, its body held, then called.
  ASSERT_EQ(r.macros.size(), 1u);
  EXPECT_EQ(r.macros[0].id, 5);
  EXPECT_TRUE(r.macros[0].ended);
  ASSERT_EQ(r.Count("*c", 'A'), 1u);
  EXPECT_EQ(r.Find("*c", 'A')[0]->macroId, 5);
  ASSERT_EQ(r.macroCalls.size(), 1u);
  EXPECT_EQ(r.macroCalls[0].id, 5);
  EXPECT_EQ(r.macroCalls[0].control, 3);
  EXPECT_TRUE(r.macroCalls[0].defined);
}

struct SequenceCase {
  const char* name;
  std::string bytes;
  std::vector<PclCommand> expected;
};

PclCommand Cmd(std::string family, char terminator, const std::string& valueText, double value, bool continued,
               std::size_t offset = 0) {
  PclCommand c;
  c.offset = offset;
  c.family = std::move(family);
  c.terminator = terminator;
  c.valueText = valueText;
  c.hasValue = !valueText.empty();
  c.value = value;
  c.continued = continued;
  return c;
}

TEST(PclReaderTest, EscapeSequenceGrammar) {
  const SequenceCase cases[] = {
      {"combined", Esc("&l1o0E"), {Cmd("&l", 'O', "1", 1, true), Cmd("&l", 'E', "0", 0, false)}},
      {"no group character", Esc("(8U"), {Cmd("(", 'U', "8", 8, false)}},
      {"font selection",
       Esc("(s1p10.5v0s3b4148T"),
       {Cmd("(s", 'P', "1", 1, true), Cmd("(s", 'V', "10.5", 10.5, true), Cmd("(s", 'S', "0", 0, true),
        Cmd("(s", 'B', "3", 3, true), Cmd("(s", 'T', "4148", 4148, false)}},
      {"signed decimal", Esc("&a+12.5H"), {Cmd("&a", 'H', "+12.5", 12.5, false)}},
      {"negative, trailing point", Esc("&a-3.V"), {Cmd("&a", 'V', "-3.", -3, false)}},
      {"no value", Esc("*pX"), {Cmd("*p", 'X', "", 0, false)}},
      {"two-character",
       Esc("9") + Esc("=") + Esc("Y") + Esc("Z"),
       {Cmd("", '9', "", 0, false, 0), Cmd("", '=', "", 0, false, 2), Cmd("", 'Y', "", 0, false, 4),
        Cmd("", 'Z', "", 0, false, 6)}},
  };
  for (const SequenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PclReport r = ReadPclJob(c.bytes);
    EXPECT_TRUE(r.ok()) << r.Summary();
    ASSERT_EQ(r.commands.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      const PclCommand& got = r.commands[i];
      const PclCommand& want = c.expected[i];
      EXPECT_EQ(got.offset, want.offset) << i;
      EXPECT_EQ(got.family, want.family) << i;
      EXPECT_EQ(got.terminator, want.terminator) << i;
      EXPECT_EQ(got.continued, want.continued) << i;
      EXPECT_EQ(got.hasValue, want.hasValue) << i;
      EXPECT_EQ(got.valueText, want.valueText) << i;
      EXPECT_DOUBLE_EQ(got.value, want.value) << i;
    }
    EXPECT_TRUE(r.text.empty());
  }
}

// Binary data is skipped by its count: an ESC, a form feed or a UEL inside it
// is data, not a command.
TEST(PclReaderTest, DataBlocksAreTakenByTheirCount) {
  const std::string transparent = "a" + Esc("E") + "\f";
  const std::string fontHeader = Bytes({0x00, 0x40, 0x1B, 0x0C});
  const std::string character = kUel;  // 9 bytes that look like a UEL
  const std::string stream = Esc("&p4X") + transparent + Esc(")s4W") + fontHeader +
                             Esc("(s" + std::to_string(character.size()) + "W") + character + Esc("&n3W") + "\x02id" +
                             "after";
  const PclReport r = ReadPclJob(stream);
  ASSERT_TRUE(r.ok()) << r.Summary();
  EXPECT_EQ(r.resets, 0);
  EXPECT_EQ(r.formFeeds, 0);
  EXPECT_TRUE(r.uels.empty());
  ASSERT_EQ(r.commands.size(), 4u);
  EXPECT_EQ(r.commands[0].data, transparent);
  EXPECT_EQ(r.commands[0].dataOffset, 5u);
  EXPECT_EQ(r.commands[1].data, fontHeader);
  EXPECT_EQ(r.commands[2].data, character);
  EXPECT_EQ(r.commands[3].data, "\x02id");
  ASSERT_EQ(r.text.size(), 1u);
  EXPECT_EQ(r.text[0].text, "after");
  // ESC&f#X is macro control, not a data command.
  EXPECT_FALSE(ReadPclJob(Esc("&f1y2X") + "text").commands[0].hasData);
}

TEST(PclReaderTest, PostScriptSectionIsReturnedWhole) {
  const std::string program = "%!PS-Adobe-3.0\n/Helvetica findfont 12 scalefont setfont\nshowpage\n";
  const std::string job =
      kUel + "@PJL JOB\r\n@PJL ENTER LANGUAGE = POSTSCRIPT\r\n" + program + kUel + "@PJL EOJ\r\n" + kUel;
  const PclReport r = ReadPclJob(job);
  ASSERT_TRUE(r.ok()) << r.Summary();
  ASSERT_EQ(r.PostScript().size(), 1u);
  EXPECT_EQ(r.PostScript()[0], program);
  EXPECT_TRUE(r.sections[0].endedByUel);
  EXPECT_EQ(r.pjl.size(), 3u);
  EXPECT_EQ(r.commands.size(), 3u);
  EXPECT_EQ(r.Count("%", 'X'), 3u);
}

TEST(PclReaderTest, ColourPlanesKeepTheirOwnSeedRows) {
  // Three planes, 8 pixels: one byte per plane, delta-row compressed.
  std::string s = Esc("*r-3U") + Esc("*r8S") + Esc("*r1A") + Esc("*b3M");
  s += Esc("*b2V") + Bytes({0x00, 0x11}) + Esc("*b2V") + Bytes({0x00, 0x22}) + Esc("*b2W") + Bytes({0x00, 0x33});
  s += Esc("*b0V") + Esc("*b2V") + Bytes({0x00, 0x44}) + Esc("*b0W");
  s += Esc("*rB");
  const PclReport r = ReadPclJob(s);
  ASSERT_TRUE(r.ok()) << r.Summary();
  ASSERT_EQ(r.raster.size(), 1u);
  EXPECT_EQ(r.raster[0].planes, 3);
  ASSERT_EQ(r.raster[0].rows.size(), 6u);
  std::string planes;
  for (const RasterRow& row : r.raster[0].rows) planes += std::to_string(row.plane);
  EXPECT_EQ(planes, "012012");
  EXPECT_EQ(Row(r, 0, 3), "\x11");
  EXPECT_EQ(Row(r, 0, 4), "\x44");
  EXPECT_EQ(Row(r, 0, 5), "\x33");
}

TEST(PclReaderTest, RasterStateResets) {
  // A new block starts delta rows from a zero seed; ESC*rC resets the method
  // to 0 while ESC*rB keeps it.
  std::string s = Esc("*r32S") + Esc("*r0A") + Esc("*b0m4W") + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + Esc("*rB");
  s += Esc("*b3M") + Esc("*r0A") + Esc("*b3W") + Bytes({0x21, 0xAA, 0xBB}) + Esc("*rC");
  s += Esc("*r0A") + Esc("*b2W") + Bytes({0x01, 0x02}) + Esc("*rB");
  const PclReport r = ReadPclJob(s);
  ASSERT_TRUE(r.ok()) << r.Summary();
  ASSERT_EQ(r.raster.size(), 3u);
  EXPECT_EQ(Row(r, 1, 0), Bytes({0x00, 0xAA, 0xBB, 0x00}));
  EXPECT_EQ(r.raster[2].rows[0].method, 0);
  EXPECT_EQ(Row(r, 2, 0), Bytes({0x01, 0x02, 0x00, 0x00}));
}

TEST(PclReaderTest, RowOutsideRasterBlockIsAWarning) {
  const PclReport r = ReadPclJob(Esc("*b2m2W") + Bytes({0xFD, 0x5A}) + Esc("*rB"));
  EXPECT_TRUE(r.ok()) << r.Summary();
  EXPECT_TRUE(r.HasWarning(PclProblem::ImplicitRasterStart));
  ASSERT_EQ(r.raster.size(), 1u);
  EXPECT_TRUE(r.raster[0].implicitStart);
  EXPECT_EQ(Row(r, 0, 0), "\x5A\x5A\x5A\x5A");
}

TEST(PclReaderTest, ResetDeletesTemporaryMacrosOnly) {
  std::string s = Esc("&f1y0X") + "one" + Esc("&f1X");
  s += Esc("&f2y0X") + "two" + Esc("&f1X") + Esc("&f10X");  // macro 2 made permanent
  s += Esc("E") + Esc("&f1y2X") + Esc("&f2y2X");
  const PclReport r = ReadPclJob(s);
  ASSERT_TRUE(r.ok()) << r.Summary();
  ASSERT_EQ(r.macroCalls.size(), 2u);
  EXPECT_FALSE(r.macroCalls[0].defined);
  EXPECT_TRUE(r.macroCalls[1].defined);
  EXPECT_TRUE(r.macros[1].permanent);
  EXPECT_TRUE(r.HasWarning(PclProblem::UndefinedMacroCall));
}

TEST(PclReaderTest, HpglMayBeLeftByTheUel) {
  const std::string job = kUel + "@PJL ENTER LANGUAGE=PCL\n" + Esc("%1B") + "IN;SP1;PD;" + kUel;
  const PclReport r = ReadPclJob(job);
  ASSERT_TRUE(r.ok()) << r.Summary();
  ASSERT_EQ(r.hpglSections.size(), 1u);
  EXPECT_TRUE(r.hpglSections[0].left);
  EXPECT_EQ(r.hpglSections[0].enterValue, 1);
  EXPECT_TRUE(r.sections[0].endedByUel);
}

TEST(PclReaderTest, PolylineEncodedModes) {
  // 7-bit mode: base 32, terminal digits 95-126. (10, 20) pen up.
  // 8-bit mode with 1 fraction bit: (2, 3) / 2 = (1, 1.5).
  const std::string s = Esc("%0B") + "PE7<sG`;" + "PE>" + Bytes({0xC1, 0xC3, 0xC5}) + ";" + Esc("%0A");
  const PclReport r = ReadPclJob(s);
  ASSERT_TRUE(r.ok()) << r.Summary();
  const auto pe = r.Instructions("PE");
  ASSERT_EQ(pe.size(), 2u);
  ASSERT_EQ(pe[0]->vertices.size(), 1u);
  EXPECT_EQ(pe[0]->vertices[0].x, 10);
  EXPECT_EQ(pe[0]->vertices[0].y, 20);
  EXPECT_TRUE(pe[0]->vertices[0].penUp);
  ASSERT_EQ(pe[1]->vertices.size(), 1u);
  EXPECT_EQ(pe[1]->vertices[0].x, 1);
  EXPECT_EQ(pe[1]->vertices[0].y, 1.5);
}

TEST(PclReaderTest, RowDecoders) {
  std::string row;
  // PackBits: -128 is a no-op; 127 is a 128-byte literal; -127 repeats 128 times.
  ASSERT_TRUE(DecodePackBits(Bytes({0x80, 0x81, 0x07}), row));
  EXPECT_EQ(row, std::string(128, '\x07'));
  std::string literal = Bytes({0x7F}) + std::string(128, 'x');
  ASSERT_TRUE(DecodePackBits(literal, row));
  EXPECT_EQ(row, std::string(128, 'x'));

  // Delta row offsets of 31 and more take extension bytes while they are 255.
  const std::string seed(300, '\0');
  std::size_t extent = 0;
  ASSERT_TRUE(DecodeDeltaRow(Bytes({0x1F, 0x00, 0xCD}), seed, row, extent));
  EXPECT_EQ(static_cast<unsigned char>(row[31]), 0xCD);
  EXPECT_EQ(extent, 32u);
  ASSERT_TRUE(DecodeDeltaRow(Bytes({0x1F, 0xFF, 0x01, 0xAB}), seed, row, extent));
  EXPECT_EQ(static_cast<unsigned char>(row[287]), 0xAB);
  EXPECT_EQ(extent, 288u);
  EXPECT_EQ(row.size(), 300u);
  // Eight bytes replaced by one command (3 high bits = 7).
  ASSERT_TRUE(DecodeDeltaRow(Bytes({0xE0, 1, 2, 3, 4, 5, 6, 7, 8}), std::string(), row, extent));
  EXPECT_EQ(row, Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
}

struct BrokenCase {
  const char* name;
  std::string bytes;
  PclProblem expected;
};

TEST(PclReaderTest, BrokenStreamsGiveTheirSpecificError) {
  const std::string pjlPcl = kUel + "@PJL ENTER LANGUAGE=PCL\r\n";
  const BrokenCase cases[] = {
      {"ESC at the end", Esc("E") + "text" + Esc(""), PclProblem::TruncatedEscape},
      {"escape cut after its group", Esc("E") + Esc("*b"), PclProblem::TruncatedEscape},
      {"escape cut inside its value", Esc("&l1"), PclProblem::TruncatedEscape},
      {"ESC then a control byte", Esc("\x01") + "x", PclProblem::MalformedEscape},
      {"control byte for a parameter", Esc("*b5") + "\x01", PclProblem::MalformedEscape},
      {"raster block cut by the end", Esc("*r1A") + Esc("*b1W") + "\x80", PclProblem::RasterNotEnded},
      {"raster block cut by the UEL", pjlPcl + Esc("*r1A") + Esc("*b1W") + "\x80" + kUel, PclProblem::RasterNotEnded},
      {"raster block cut by a reset", Esc("*r1A") + Esc("E"), PclProblem::RasterNotEnded},
      {"raster end without start", Esc("*rB"), PclProblem::RasterUnbalanced},
      {"JOB without EOJ", kUel + "@PJL JOB\r\n@PJL ENTER LANGUAGE=PCL\r\n" + Esc("E") + kUel,
       PclProblem::PjlJobUnbalanced},
      {"EOJ without JOB", kUel + "@PJL EOJ\r\n" + kUel, PclProblem::PjlJobUnbalanced},
      {"PJL line without LF", kUel + "@PJL COMMENT x" + kUel, PclProblem::PjlLineUnterminated},
      {"ENTER without LANGUAGE", kUel + "@PJL ENTER\r\n" + kUel, PclProblem::PjlMalformed},
      {"PCL not ended by a UEL", pjlPcl + Esc("E") + "text", PclProblem::LanguageNotEnded},
      {"PostScript not ended by a UEL", kUel + "@PJL ENTER LANGUAGE=POSTSCRIPT\n%!PS\nshowpage\n",
       PclProblem::LanguageNotEnded},
      {"HP-GL/2 not left", Esc("%0B") + "IN;PD0,0;", PclProblem::HpglNotLeft},
      {"PE byte out of range", Esc("%1B") + "PE" + Bytes({0x80}) + ";" + Esc("%0A"), PclProblem::PeByteOutOfRange},
      {"PE space", Esc("%1B") + "PE " + Bytes({0xC0, 0xC0}) + ";" + Esc("%0A"), PclProblem::PeByteOutOfRange},
      {"PE 8-bit digit in 7-bit mode", Esc("%1B") + "PE7" + Bytes({0xD3, 0xD3}) + ";" + Esc("%0A"),
       PclProblem::PeByteOutOfRange},
      {"PE cut by ESC", Esc("%0B") + "PE" + Bytes({0xD3, 0xE7}) + Esc("%0A"), PclProblem::PeMalformed},
      {"PE half a pair", Esc("%0B") + "PE" + Bytes({0xD3}) + ";" + Esc("%0A"), PclProblem::PeMalformed},
      {"label not terminated", Esc("%0B") + "LBabc" + Esc("%0A"), PclProblem::HpglUnterminatedLabel},
      {"label waits for the DT terminator", Esc("%0B") + "DT#;LBabc" + Bytes({0x03}) + Esc("%0A"),
       PclProblem::HpglUnterminatedLabel},
      {"PCL command in HP-GL/2", Esc("%0B") + "IN;" + Esc("*c0P") + Esc("%0A"), PclProblem::EscapeInHpgl},
      {"bad byte in HP-GL/2 parameters", Esc("%0B") + "PA10,@20;" + Esc("%0A"), PclProblem::HpglSyntax},
      {"data block past the end", Esc("(s10W") + "abc", PclProblem::DataPastEnd},
      {"raster row past the end", Esc("*b8W") + "abc", PclProblem::DataPastEnd},
      {"negative byte count", Esc("*c-4W"), PclProblem::BadDataCount},
      {"raw row wider than the source", Esc("*r8S") + Esc("*r1A") + Esc("*b2W") + "\xFF\xFF" + Esc("*rB"),
       PclProblem::RasterRowTooWide},
      {"PackBits row wider than the source",
       Esc("*r8S") + Esc("*r1A") + Esc("*b2m2W") + Bytes({0xFD, 0xFF}) + Esc("*rB"), PclProblem::RasterRowTooWide},
      {"delta row wider than the source", Esc("*r16S") + Esc("*r1A") + Esc("*b3m2W") + Bytes({0x02, 0xAA}) + Esc("*rB"),
       PclProblem::RasterRowTooWide},
      {"PackBits literal past its data", Esc("*r1A") + Esc("*b2m2W") + Bytes({0x05, 0x11}) + Esc("*rB"),
       PclProblem::RasterDecodeError},
      {"PackBits repeat without its byte", Esc("*r1A") + Esc("*b2m1W") + Bytes({0xFE}) + Esc("*rB"),
       PclProblem::RasterDecodeError},
      {"delta replacement past its data", Esc("*r1A") + Esc("*b3m2W") + Bytes({0xE0, 0x11}) + Esc("*rB"),
       PclProblem::RasterDecodeError},
      {"delta offset extension missing", Esc("*r1A") + Esc("*b3m2W") + Bytes({0x1F, 0xFF}) + Esc("*rB"),
       PclProblem::RasterDecodeError},
      {"image configuration too short", Esc("*v3W") + Bytes({0x00, 0x03, 0x08}), PclProblem::BadImageConfiguration},
      {"macro never stopped", Esc("&f1y0X") + "body", PclProblem::MacroUnbalanced},
      {"macro stop without start", Esc("&f1X"), PclProblem::MacroUnbalanced},
      {"nested macro definition", Esc("&f1y0X") + Esc("&f2y0X") + Esc("&f1X"), PclProblem::MacroUnbalanced},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PclReport r = ReadPclJob(c.bytes);
    EXPECT_TRUE(r.HasError(c.expected)) << r.Summary();
    for (const PclIssue& issue : r.errors)
      EXPECT_EQ(issue.kind, c.expected) << "also: " << PclProblemName(issue.kind) << ": " << issue.message;
  }
}

}  // namespace
}  // namespace testsupport
