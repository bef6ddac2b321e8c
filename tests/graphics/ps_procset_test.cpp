// The PostScript procedure set run in Ghostscript: both variants, every
// procedure the writers call, called with the operands the writers give it.
// The programs use the page set-up the page writer emits (one unit a device
// dot at 72 dpi, origin top left, y down), so page coordinates are pixel
// coordinates of the rendered page. Each drawing lands in a rectangle of its
// own; a case passes when its rectangle holds the marks it should and the page
// has no mark outside all rectangles. Checks that are not marks run inside the
// program and print "CHECKFAIL: <what>" when they fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/output/job/ps_procset.h"
#include "tests/support/ghostscript_run.h"

using testsupport::GhostscriptAvailable;

namespace {

// What a printer has and Ghostscript lacks, standing in for it in front of
// every job: the job header (and every sheet begin) hands a list of input slots
// to the device's statusdict /inputTrayMask procedure; here it takes the array
// and does nothing. Check and ArrEq are the programs' own checking helpers.
constexpr char kPrelude[] = R"PS(%!PS
statusdict /inputTrayMask {pop} put
userdict /Check {exch {pop}{(CHECKFAIL: ) print =}ifelse} put
userdict /ArrEq {dup length 2 index length ne {pop pop false}
{true exch 0 exch {3 index 2 index get sub abs 0.001 lt 3 -1 roll and exch 1 add}forall pop exch pop}ifelse} put
)PS";

// The page set-up line of the page writer for 72 dpi, portrait.
constexpr char kPageSetup[] = "72 72 div dup scale 0 842 translate 0 rotate 1 -1 scale\n";
constexpr char kA4[] = "<< /PageSize [595 842] >> spd\n";

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

struct Page {
  int width = 0, height = 0;
  std::vector<unsigned char> gray;

  bool Dark(int x, int y) const { return gray[static_cast<size_t>(y) * width + x] < 128; }
  int DarkCount(const Rect& r) const {
    int n = 0;
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, height); ++y)
      for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, width); ++x) n += Dark(x, y) ? 1 : 0;
    return n;
  }
  double Mean(const Rect& r) const {
    double sum = 0;
    int n = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x, ++n) sum += gray[static_cast<size_t>(y) * width + x];
    return n ? sum / n : 0;
  }
  // Bounds of the dark pixels inside r (w and h 0 when there are none).
  Rect InkBounds(const Rect& r) const {
    int x0 = INT32_MAX, y0 = INT32_MAX, x1 = -1, y1 = -1;
    for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, height); ++y)
      for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, width); ++x)
        if (Dark(x, y)) {
          x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    if (x1 < 0) return {};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
  }
};

struct GsRun {
  bool exited = false;  // ended normally (not by a signal)
  int exitCode = -1;
  std::string output;  // stdout and stderr
  std::vector<Page> pages;
  std::string text;  // txtwrite device only
};

// Runs a program (its own prelude included) through Ghostscript as the tests of
// the whole job do. "pgmraw" renders the pages; "txtwrite" extracts the text shown.
GsRun RunGhostscript(const std::string& program, const std::string& device = "pgmraw") {
  testsupport::GhostscriptCall call;
  call.device = device;
  call.prelude = false;
  testsupport::GhostscriptRun run = testsupport::RunGhostscript(program, call);
  GsRun result{run.exited, run.exitCode, std::move(run.output), {}, std::move(run.text)};
  for (testsupport::RenderedPage& page : run.pages)
    result.pages.push_back({page.width, page.height, std::move(page.gray)});
  return result;
}

// --- Image data in the forms the raster writer sends ------------------------

// RunLengthDecode input: repeat runs for two or more equal bytes, literal runs
// otherwise, ended by the end marker 128.
std::string RunLength(const std::string& in) {
  std::string out;
  size_t i = 0;
  while (i < in.size()) {
    size_t run = 1;
    while (i + run < in.size() && run < 128 && in[i + run] == in[i]) ++run;
    if (run >= 2) {
      out += static_cast<char>(257 - run);
      out += in[i];
      i += run;
      continue;
    }
    size_t literal = 0;
    while (i + literal < in.size() && literal < 128 &&
           !(i + literal + 1 < in.size() && in[i + literal] == in[i + literal + 1]))
      ++literal;
    out += static_cast<char>(literal - 1);
    out.append(in, i, literal);
    i += literal;
  }
  out += static_cast<char>(128);
  return out;
}

std::string Ascii85(const std::string& in) {
  std::string out;
  for (size_t i = 0; i < in.size(); i += 4) {
    const size_t n = std::min<size_t>(4, in.size() - i);
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = v << 8 | (k < n ? static_cast<unsigned char>(in[i + k]) : 0u);
    if (n == 4 && v == 0) {
      out += 'z';
      continue;
    }
    char digits[5];
    for (int k = 4; k >= 0; --k, v /= 85) digits[k] = static_cast<char>('!' + v % 85);
    out.append(digits, n + 1);
  }
  return out + "~>";
}

// An 8 x 8 image whose top-left and bottom-right quadrants are black and the
// other two white, in the sample layout of each image procedure.
std::string CheckerSamples(const std::string& procedure) {
  std::string s;
  for (int y = 0; y < 8; ++y) {
    if (procedure == "ImGray") {
      for (int x = 0; x < 8; ++x) s += static_cast<char>(((x < 4) == (y < 4)) ? 0x00 : 0xFF);
    } else if (procedure == "ImRGB") {
      for (int x = 0; x < 8; ++x) s.append(3, static_cast<char>(((x < 4) == (y < 4)) ? 0x00 : 0xFF));
    } else {  // one bit a pixel: 0 is painted (ImMask) or index 0, black (ImIndex)
      s += static_cast<char>(y < 4 ? 0x0F : 0xF0);
    }
  }
  return s;
}

// One image as the raster writer writes it: "save", the operands, the
// procedure name, the data and "restore".
std::string ImageJob(const std::string& procedure, bool runLength, bool ascii85, int x, int y) {
  const bool oneBit = procedure == "ImMask" || procedure == "ImIndex";
  const char* decode = procedure == "ImRGB" ? "0 1 0 1 0 1" : "0 1";
  std::string data = CheckerSamples(procedure);
  if (runLength) data = RunLength(data);
  if (ascii85) data = Ascii85(data);
  std::ostringstream head;
  head << "\nsave " << (runLength ? "true" : "false") << ' ' << (ascii85 ? "true" : "false") << " [8 0 0 8 0 0]["
       << decode << "] " << (oneBit ? 1 : 8) << " 8 8 40 40 " << x << ' ' << y << ' ' << procedure << '\n';
  return head.str() + data + "\nrestore\n";
}

// --- The drawing cases -------------------------------------------------------

struct Expect {
  int minDark = 20;           // dark pixels at least
  int minWidth = 0;           // width of the marks at least
  int minHeight = 0;          // height of the marks at least
  bool wide = false;          // marks at least twice as wide as high
  bool tall = false;          // marks at least twice as high as wide
  bool checker = false;       // the quadrants of CheckerSamples
  std::optional<Rect> blank;  // no mark here (a hole, an interior)
};

struct DrawCase {
  std::string name;
  int page;  // 0-based
  Rect rect;
  std::string program;
  Expect expect;
};

// Fonts for the text page: a Type 3 font made by CF with one bitmap glyph
// (code 65, an 8 x 8 square standing on the baseline) and one outline glyph
// (code 66, the same square), written as the soft-font writer writes them.
constexpr char kTypeThreeFont[] = R"PS(/T3 10 CF	%T3 = Test
/C65 {
8 8 true [1 0 0 -1 0 8]
<~s8W-!s8W-!s8W-!s8W-!~>
imagemask
}bind [10 0 0 8 8 0]65 /T3 findfont AC
/C66 {
0 0 m 8 0 L 0 8 L -8 0 L cp
 fill } [10 0 0 0 8 8]66 /T3 findfont AC
)PS";

// A halftone fill as the vector writer writes it; its PaintProc uses g and rf.
constexpr char kPatternFill[] = R"PS(
<</PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 8 8] /XStep 8 /YStep 8 /im matrix 
/sPattern <aa55aa55aa55aa55>
 /PaintProc {begin 0 0 8 8 255 255 div g rf 0 255 div g 8 8 false im sPattern imagemask end}bind >>
[4 0 0 4 0 0] makepattern setpattern
)PS";

std::vector<DrawCase> DrawCases() {
  std::vector<DrawCase> cases;
  auto add = [&](std::string name, int page, Rect rect, std::string program, Expect expect = {}) {
    cases.push_back({std::move(name), page, rect, std::move(program), std::move(expect)});
  };

  // Page 1: paths, rectangles, clips, a pattern and the images.
  add("path m L C cp f", 0, {20, 20, 90, 50}, "np 25 25 m 80 0 L 0 20 L -20 20 -60 20 -80 0 C cp f");
  add("stroke M l lw lc lj sd S", 0, {130, 20, 90, 50},
      "np 135 25 m 0 5 M 215 60 l 3 lw 2 lc 0 lj [6 3] 0 sd S [] 0 sd");
  add("even-odd fill ef", 0, {240, 20, 90, 50},
      "np 245 25 m 80 0 L 0 40 L -80 0 L cp 265 35 m 40 0 L 0 20 L -40 0 L cp ef",
      Expect{.blank = Rect{268, 38, 34, 14}});
  add("rectangle path B", 0, {360, 20, 90, 50}, "np 80 40 365 25 B f");
  add("rectangle clip CB", 0, {480, 20, 90, 50}, "np 80 40 485 25 CB np 400 0 195 200 rf");
  add("rectangle clip rc", 0, {20, 90, 90, 50}, "25 95 80 40 rc 0 0 595 842 rf");
  add("rectstroke rs", 0, {130, 90, 90, 50}, "2 lw 135 95 80 40 rs", Expect{.blank = Rect{140, 100, 70, 30}});
  add("rectfill rf", 0, {240, 90, 90, 50}, "245 95 80 40 rf", Expect{.minDark = 80 * 40});
  add("pattern fill", 0, {360, 90, 90, 50}, std::string(kPatternFill) + "365 95 80 40 rf");
  add("save sv and restore re", 0, {480, 90, 90, 50},
      "sv 485 95 80 40 rf /svprobe 1 d re /svprobe where {pop false}{true}ifelse (sv re) Check");
  int x = 20;
  for (const char* procedure : {"ImGray", "ImMask", "ImRGB", "ImIndex"}) {
    for (int form = 0; form < 4; ++form) {
      const bool runLength = form & 1, ascii85 = form & 2;
      if (std::string(procedure) != "ImGray" && form != 0 && form != 3) continue;
      std::string program;
      // ImIndex keeps the colour space in force; ImMask must paint black
      // whatever grey was set before.
      if (std::string(procedure) == "ImIndex") program = "[/Indexed /DeviceGray 1 <00ff>] setcolorspace";
      if (std::string(procedure) == "ImMask") program = "0.5 g";
      program += ImageJob(procedure, runLength, ascii85, x, 160);
      add(std::string(procedure) + (runLength ? " RunLength" : "") + (ascii85 ? " ASCII85" : ""), 0, {x, 160, 40, 40},
          program, Expect{.checker = true});
      x += 50;
    }
  }

  // Page 2: Type 3 fonts, single-byte text and the show procedures.
  add("Type 3 bitmap glyph CF AC SF", 1, {24, 25, 26, 26}, std::string(kTypeThreeFont) + "/T3 30 SF 25 50 m (A) show",
      Expect{.minDark = 20 * 20});
  add("Type 3 outline glyph", 1, {74, 25, 26, 26}, "/T3 30 SF 75 50 m (B) show", Expect{.minDark = 20 * 20});
  add("sbB bitmap", 1, {124, 25, 58, 28}, "/T3 30 SF 125 50 m (AA) sbB");
  add("ssB outline", 1, {200, 22, 64, 32}, "/T3 30 SF 205 50 m (BB) ssB");
  add("UDF freeVM", 1, {0, 0, 0, 0}, "/T3 UDF FontDirectory /T3 known not (UDF) Check freeVM", Expect{.minDark = 0});
  add("SF", 1, {300, 20, 120, 40}, "/Helvetica 20 SF 305 50 m (Hello) show");
  add("SDF ANSI Euro", 1, {440, 20, 120, 40},
      "/Helvetica 20 SDF 445 50 m (A\\200) show currentfont /Encoding get 128 get /Euro eq (SDF Euro) Check "
      "FontDirectory /Helvetica-ANSI known (SDF font) Check /Helvetica 20 SDF (\\200) show");
  add("ANSIName ANSIEncode", 1, {0, 0, 0, 0},
      "/Foo ANSIName /Foo-ANSI eq (ANSIName) Check /TimesA /Times-Roman ANSIEncode /TimesA findfont /Encoding get "
      "dup 45 get /hyphen eq exch 159 get /Ydieresis eq and (ANSIEncode) Check",
      Expect{.minDark = 0});
  // clang-format off
  const std::vector<std::pair<std::string, std::string>> shows = {
      {"plain show", "(ABC) show"},    {"Fit", "(ABC) 90 Fit"},         {"Fitb", "(ABC) 90 Fitb"},
      {"FitB", "(ABC) FitB"},          {"SB", "(ABC) SB"},              {"XS", "(ABC) [30 30 30] XS"},
      {"xbB", "(ABC) [30 30 30] xbB"}, {"xsB", "(ABC) [30 30 30] xsB"}, {"XB", "(ABC) [30 30 30] XB"},
      {"XYS", "(ABC) [30 10 30 10 0 0] XYS"},   {"xybB", "(ABC) [30 10 30 10 0 0] xybB"},
      {"xysB", "(ABC) [30 10 30 10 0 0] xysB"}, {"XYB", "(ABC) [30 10 30 10 0 0] XYB"}};
  // clang-format on
  for (size_t i = 0; i < shows.size(); ++i) {
    const int cx = 20 + static_cast<int>(i % 4) * 140, cy = 80 + static_cast<int>(i / 4) * 70;
    Expect expect;
    if (shows[i].second.find("30") != std::string::npos || shows[i].second.find("90") != std::string::npos)
      expect.minWidth = 70;  // spread well beyond the natural width of "ABC" (about 40)
    if (shows[i].second.find("30 10") != std::string::npos) expect.minHeight = 30;
    add(shows[i].first, 1, {cx, cy, 130, 60},
        "/Helvetica 20 SF " + std::to_string(cx + 5) + " " + std::to_string(cy + 30) + " m " + shows[i].second, expect);
  }

  // Page 3: Japanese composite fonts, horizontal on the left, vertical columns
  // (drawn in a frame turned as the text writer turns it) on the right.
  add("mF_FE 90ms horizontal", 2, {15, 10, 200, 50},
      "/JF1n 0 /Ryumin-Light-90ms-RKSJ-H /Ryumin-Light /90ms-RKSJ-H mF_FE\n"
      "/JF1n30 JF1n 30 xF JF1n30 setfont 20 45 m <82a082a282a482a6> show",
      Expect{.wide = true});
  add("mF_FE 83pv proportional", 2, {15, 70, 200, 50},
      "/JF2n 0 /GothicBBB-Medium-83pv-RKSJ-H /GothicBBB-Medium /83pv-RKSJ-H mF_FE\n"
      "/JF2n30 JF2n 30 xF JF2n30 setfont 20 105 m <82a0414243> show",
      Expect{.wide = true});
  add("mFB mFI", 2, {15, 130, 200, 50},
      "/JF1nB JF1n mFB /JF1nI JF1n mFI /JF1nX JF1nI mFB JF1nB JF1n eq (mFB) Check\n"
      "JF1nI /FontMatrix get 2 get 0 ne (mFI slant) Check\n"
      "/JF1nX30 JF1nX 30 xF JF1nX30 setfont 20 165 m <82a082a282a4> show",
      Expect{.wide = true});
  add("XSE", 2, {15, 190, 200, 50},
      "JF1n30 setfont 20 225 m <82a082a2> [45 45] XSE currentpoint pop 110 sub abs 0.01 lt (XSE advance) Check",
      Expect{.wide = true});
  add("emuxs", 2, {15, 250, 200, 50},
      "JF1n30 setfont 20 285 m <82a0418141> [45 25 45] emuxs currentpoint pop 135 sub abs 0.01 lt (emuxs advance) "
      "Check",
      Expect{.wide = true});
  add("mF_FE resident font without its CID font", 2, {15, 310, 200, 50},
      "/JF5n 0 /Ryumin-Light-90ms-RKSJ-H /NoSuchCIDFont-Light /90ms-RKSJ-H mF_FE\n"
      "/JF5n30 JF5n 30 xF JF5n30 setfont 20 345 m <82a082a282a4> show",
      Expect{.wide = true});
  add("mF_V_FE 90ms vertical", 2, {360, 5, 100, 200},
      "/JF3n 0 /Ryumin-Light-90ms-RKSJ-V /Ryumin-Light /90ms-RKSJ-V mF_V_FE\n"
      "/JF3n30 JF3n 30 xF JF3n30 setfont gs 400 40 translate 1 0 atan rotate 0 0 m <82a082a282a482a6> show gr",
      Expect{.tall = true});
  add("mF_V_FE 83pv vertical", 2, {470, 5, 100, 200},
      "/JF4n 0 /GothicBBB-Medium-83pv-RKSJ-H /GothicBBB-Medium /83pv-RKSJ-H mF_V_FE\n"
      "/JF4n30 JF4n 30 xF JF4n30 setfont gs 500 40 translate 1 0 atan rotate 0 0 m <82a082a282a4> show gr",
      Expect{.tall = true});
  add("composite helpers", 2, {0, 0, 0, 0},
      "/Ryumin-Light /90ms-RKSJ-H pd_concatnames /Ryumin-Light-90ms-RKSJ-H eq (pd_concatnames) Check\n"
      "true pd_gen90ms /90ms-RKSJ-V eq false pd_gen90ms /90ms-RKSJ-H eq and (pd_gen90ms) Check\n"
      "/Ryumin-Light pd_InstallCDevProcV /Ryumin-Light eq (TrueType-based CID font used as it is) Check\n"
      "1000 0 50 -120 950 880 0 -1000 500 880 843 currentfont hrCDevProcV-J 10 array astore\n"
      "[1000 0 50 -120 950 880 1000 0 0 0] ArrEq (hrCDevProcV-J) Check\n"
      "/JF1n UDF FontDirectory /JF1n known not (UDF composite) Check",
      Expect{.minDark = 0});
  return cases;
}

// Pairs (heavier, lighter): the simulated bold and outline forms put down more
// ink than the plain form of the same text.
const std::vector<std::pair<const char*, const char*>> kHeavier = {
    {"Fitb", "Fit"}, {"FitB", "plain show"}, {"SB", "plain show"}, {"xbB", "XS"},  {"xsB", "XS"},
    {"XB", "xbB"},   {"xybB", "XYS"},        {"xysB", "XYS"},      {"XYB", "xybB"}};

// Checks a job run without the error handler.
void ExpectCleanRun(const GsRun& run) {
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("Error"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("CHECKFAIL"), std::string::npos) << run.output;
}

std::string Prolog(int variant) { return std::string(PsProcSetText(variant)) + "\n"; }

std::string VariantName(const ::testing::TestParamInfo<int>& param) {
  return param.param == kPsProcSetEps ? "Eps70" : "Normal80";
}

class ProcSetTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!GhostscriptAvailable()) GTEST_SKIP() << "Ghostscript (gs) is not installed";
  }
};

// Every name a writer writes, and the helpers they rely on, is in the
// dictionary of both variants.
TEST_P(ProcSetTest, DefinesEveryProcedureTheWritersCall) {
  // clang-format off
  static const char* const kNames[] = {
      "o", "d", "bd", "m", "M", "l", "L", "C", "ef", "f", "S", "cp", "np", "spd", "gs", "gr", "sv", "re", "g",
      "lw", "lc", "lj", "sd", "rc", "rs", "rf", "B", "CB", "Fit", "bufM", "bufS", "SF", "ANSIVector", "ANSIName",
      "ANSIEncode", "SDF", "CF", "AC", "UDF", "freeVM", "SS", "RS", "pd_scratch", "pd_LParams", "fM", "hrM", "iM",
      "Pscript_Windows_Font", "hrCDevProcV-J", "xF", "XSE", "emuxs", "mFB", "mFI", "pd_concatnames",
      "pd_SwitchToPrevious", "pd_InstallCDevProcV", "pd_gen90ms", "mF_83V_CID", "mF_V_CID", "pd_SwitchToNative",
      "pd_IsModeSwitchAble", "pd_DefLocalVParams", "pd_mF_V_Finally", "mF_V_FE", "mF_83pv_CID",
      "pd_DefLocalParams", "pd_mF_Finally", "mF_FE", "sbB", "ssB", "SB", "XS", "xbB", "xsB", "XB", "XYS", "xybB",
      "xysB", "XYB", "Fitb", "FitB", "ImGray", "ImMask", "ImPaint", "ImRGB", "ImIndex"};
  // clang-format on
  std::string program = std::string(kPrelude) + Prolog(GetParam()) + "[";
  for (const char* name : kNames) program += std::string(" /") + name;
  program += "] {dup CalyxonDict exch known {pop}{(CHECKFAIL: missing ) print =}ifelse} forall end\n";
  const GsRun run = RunGhostscript(program);
  ExpectCleanRun(run);
}

// Every procedure called as the writers call it; marks where they should be
// and nowhere else.
TEST_P(ProcSetTest, RunsEveryProcedureWithTheWritersOperands) {
  const std::vector<DrawCase> cases = DrawCases();
  const int pageCount = 3;
  std::string program = std::string(kPrelude) + Prolog(GetParam()) + kA4;
  // The job header's input-tray code, then a sheet begin's.
  program +=
      "0 [ 1 2 4]\n{currentpagedevice /InputAttributes get\n1 index known {exch 1 add} {pop} ifelse} forall\n"
      "dup 0 eq {pop} {array astore statusdict /inputTrayMask get exec} ifelse\n"
      "[] statusdict /inputTrayMask get exec\n";
  for (int page = 0; page < pageCount; ++page) {
    program += std::string("SS /ssprobe 1 d\n") + kPageSetup;
    for (const DrawCase& c : cases) {
      if (c.page != page) continue;
      program += "gs 0 g np\n" + c.program + "\ngr\n";
    }
    program += "RS /ssprobe where {pop false}{true}ifelse (SS RS) Check showpage\n";
  }
  program += "end\n";

  const GsRun run = RunGhostscript(program);
  ExpectCleanRun(run);
  ASSERT_EQ(run.pages.size(), static_cast<size_t>(pageCount)) << run.output;

  std::map<std::string, int> darkByName;
  for (const DrawCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Page& page = run.pages[c.page];
    ASSERT_EQ(page.width, 595);
    ASSERT_EQ(page.height, 842);
    const int dark = page.DarkCount(c.rect);
    darkByName[c.name] = dark;
    EXPECT_GE(dark, c.expect.minDark);
    const Rect ink = page.InkBounds(c.rect);
    EXPECT_GE(ink.w, c.expect.minWidth);
    EXPECT_GE(ink.h, c.expect.minHeight);
    if (c.expect.wide) {
      EXPECT_GE(ink.w, 2 * ink.h) << ink.w << "x" << ink.h;
    }
    if (c.expect.tall) {
      EXPECT_GE(ink.h, 2 * ink.w) << ink.w << "x" << ink.h;
    }
    if (c.expect.blank) {
      EXPECT_EQ(page.DarkCount(*c.expect.blank), 0);
    }
    if (c.expect.checker) {
      const Rect& r = c.rect;
      const int half = r.w / 2;
      EXPECT_LT(page.Mean({r.x + 2, r.y + 2, half - 4, half - 4}), 16) << "top left";
      EXPECT_GT(page.Mean({r.x + half + 2, r.y + 2, half - 4, half - 4}), 240) << "top right";
      EXPECT_GT(page.Mean({r.x + 2, r.y + half + 2, half - 4, half - 4}), 240) << "bottom left";
      EXPECT_LT(page.Mean({r.x + half + 2, r.y + half + 2, half - 4, half - 4}), 16) << "bottom right";
    }
  }
  for (const auto& [heavier, lighter] : kHeavier)
    EXPECT_GT(darkByName.at(heavier), darkByName.at(lighter)) << heavier << " against " << lighter;

  for (int p = 0; p < pageCount; ++p) {
    const Page& page = run.pages[p];
    int stray = 0;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x) {
        if (!page.Dark(x, y)) continue;
        const bool inCase = std::any_of(cases.begin(), cases.end(),
                                        [&](const DrawCase& c) { return c.page == p && c.rect.Contains(x, y); });
        stray += inCase ? 0 : 1;
      }
    EXPECT_EQ(stray, 0) << "marks outside every case on page " << p + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, ProcSetTest, ::testing::Values(kPsProcSetEps, kPsProcSetNormal), VariantName);

class ProcSetErrorHandlerTest : public ProcSetTest {};

// An undefined operator with the error handler installed: the page shows the
// error, the command and the stack (top first) in boxes over what the page
// held, and the job ends with that page. A deep stack continues on a second
// page.
TEST_P(ProcSetErrorHandlerTest, PrintsTheErrorOnThePage) {
  struct Row {
    const char* name;
    std::string stack;
    size_t pages;
    std::vector<std::string> lines;  // in this order in the extracted text
  };
  const std::vector<Row> rows = {
      {"short stack",
       "1 (a string) /aname 2.5 [1 2]",
       1,
       {"ERROR: undefined", "OFFENDING COMMAND: nosuchoperator", "STACK:", "--nostringval--", "2.5", "aname",
        "a string", "1"}},
      {"stack of 100 entries", "0 1 99 {} for", 2, {"ERROR: undefined", "STACK:", "99", "50", "0"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string program = std::string(kPrelude) + PsProcSetText(GetParam()) + PsErrorHandlerText() + "\n" + kA4 +
                                "SS\n" + kPageSetup + "0 0 595 842 rf\n" + row.stack + " nosuchoperator\n" +
                                "RS showpage end\n";

    const GsRun pages = RunGhostscript(program);
    EXPECT_TRUE(pages.exited) << pages.output;  // an error, not a crash
    EXPECT_NE(pages.output.find("%%[ Error: undefined; OffendingCommand: nosuchoperator ]%%"), std::string::npos)
        << pages.output;
    // The interpreter's own report (with its stack dump) did not run.
    EXPECT_EQ(pages.output.find("Operand stack:"), std::string::npos) << pages.output;
    ASSERT_EQ(pages.pages.size(), row.pages) << pages.output;
    // First line at 72 points from the left and 72 below the top: a white box
    // on the black page with black text in it.
    const Page& first = pages.pages[0];
    const Rect line = {72, 64, 90, 10};
    EXPECT_GT(first.DarkCount(line), 20);
    EXPECT_LT(first.DarkCount(line), line.w * line.h - 100);
    EXPECT_EQ(first.DarkCount({20, 62, 40, 12}), 40 * 12) << "left of the box stays as the page was";

    const GsRun text = RunGhostscript(program, "txtwrite");
    size_t at = 0;
    for (const std::string& expected : row.lines) {
      const size_t found = text.text.find(expected, at);
      EXPECT_NE(found, std::string::npos) << expected << " in\n" << text.text;
      if (found != std::string::npos) at = found + expected.size();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, ProcSetErrorHandlerTest, ::testing::Values(kPsProcSetEps, kPsProcSetNormal),
                         VariantName);

class ProcSetSingleTest : public ProcSetTest {};

// The harness catches a procedure the prolog lacks: a misspelt name fails the
// job with an undefined error.
TEST_F(ProcSetSingleTest, MisspeltProcedureFailsTheJob) {
  const GsRun run = RunGhostscript(std::string(kPrelude) + Prolog(kPsProcSetNormal) + kA4 + "SS\n" + kPageSetup +
                                   ImageJob("ImGrey", false, false, 20, 20) + "RS showpage end\n");
  EXPECT_TRUE(run.exited);
  EXPECT_NE(run.exitCode, 0);
  EXPECT_NE(run.output.find("Error: /undefined in ImGrey"), std::string::npos) << run.output;
}

// EPS data may reach a downloaded Type 3 font in ways the driver does not: an
// Encoding entry naming no glyph procedure, a metric that is a plain width.
// The EPS variant still draws both glyphs; the normal variant has no such
// fallback, and the same program fails there (which shows the program reaches
// the fallback).
TEST_F(ProcSetSingleTest, EpsBuildCharToleratesIncompleteGlyphs) {
  const std::string body = std::string(kA4) + "SS\n" + kPageSetup +
                           "/T3e 10 CF\n"
                           "/C67 {0 0 m 8 0 L 0 8 L -8 0 L cp fill} [10 0 0 0 8 8]67 /T3e findfont AC\n"
                           "/T3e findfont /Encoding get 67 /Cx put\n"
                           "/C68 {0 0 m 8 0 L 0 8 L -8 0 L cp fill} 10 68 /T3e findfont AC\n"
                           "/T3e 30 SF 20 50 m (C) show 60 50 m (D) show\nRS showpage end\n";
  const GsRun eps = RunGhostscript(std::string(kPrelude) + Prolog(kPsProcSetEps) + body);
  ExpectCleanRun(eps);
  ASSERT_EQ(eps.pages.size(), 1u);
  EXPECT_GE(eps.pages[0].DarkCount({19, 25, 26, 26}), 20 * 20) << "glyph named Cx in Encoding";
  EXPECT_GE(eps.pages[0].DarkCount({59, 25, 26, 26}), 20 * 20) << "glyph with a plain width";

  const GsRun normal = RunGhostscript(std::string(kPrelude) + Prolog(kPsProcSetNormal) + body);
  EXPECT_NE(normal.exitCode, 0);
  EXPECT_NE(normal.output.find("Error:"), std::string::npos) << normal.output;
}

// The texts carry the literals other writers and the job framing rely on,
// split as the prolog writer writes them.
TEST(ProcSetTextTest, CarriesTheFixedLiteralsInOrder) {
  EXPECT_EQ(PsProcSetText(0), nullptr);
  EXPECT_EQ(PsProcSetText(81), nullptr);
  EXPECT_EQ(PsProcSetBaseText(71), nullptr);
  for (int variant : {kPsProcSetEps, kPsProcSetNormal}) {
    SCOPED_TRACE(variant);
    const std::string text = PsProcSetText(variant);
    EXPECT_EQ(text, std::string(PsProcSetBaseText(variant)) + PsPageSaveText() + PsCompositeFontText() +
                        PsShowProcText() + PsImageProcText());
    const std::string opening = "\n/CalyxonDict " + std::to_string(variant) +
                                " dict def CalyxonDict begin\n"
                                "/o /load load def /d /def o def /bd {bind def} bind d\n";
    EXPECT_EQ(text.compare(0, opening.size(), opening), 0);
    for (const char* literal :
         {"/SS {/pagesave save d}bd /RS {pagesave restore}bd\n", "{0 0 2 index neg 0 0 bufM astore selectfont}",
          "{m exch dup 0 L 0 2 index L neg 0 L neg 0 exch L}", "{B cp eoclip}",
          "{1 index stringwidth pop sub 1 index length div 0 3 -1 roll ashow}", "{1 vmreclaim}"})
      EXPECT_NE(text.find(literal), std::string::npos) << literal;
    EXPECT_LT(text.find("/SS {"), text.find("/pd_scratch"));
    EXPECT_LT(text.find("/pd_scratch"), text.find("/sbB"));
    EXPECT_LT(text.find("/sbB"), text.find("/ImGray"));
    EXPECT_EQ(text.back(), '\n');
    // Printers need not take lines longer than 255 characters.
    std::istringstream lines(text + PsErrorHandlerText());
    for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 255u) << line;
  }
  const std::string handler = PsErrorHandlerText();
  EXPECT_EQ(handler.compare(0, 25, "errordict /handleerror {$"), 0);
  ASSERT_GE(handler.size(), 5u);
  EXPECT_EQ(handler.substr(handler.size() - 5), "}put ");
  EXPECT_STREQ(kPsProcSetName, "CalyxonDict");
}

}  // namespace
