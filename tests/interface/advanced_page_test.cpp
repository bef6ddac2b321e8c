// The advanced page as a user drives it: the bits of the advanced settings, the
// time-outs, compression, the printer's memory and spooling as a metafile.
#include <cstddef>
#include <cstring>
#include <string>

#include "tests/interface/page_test_support.h"

namespace pagetest {
namespace {

using AdvancedPageTest = PageTest;

constexpr const char* kPage = "page \"高度な設定\"\n";

TEST_F(AdvancedPageTest, EachActionLeavesItsSettingForBothModelsAndLanguages) {
  const struct {
    const char* script;
    bool postScriptOnly;
    DWORD start;  // the advanced bits before
    void (*check)(const XDEVMODE& out);
  } actions[] = {
      {"pick 1123 \"バイナリ\"\n", true, 0x6,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x7, 0x1u); }},
      // Back from binary to ASCII: the separator after the job comes back.
      {"pick 1123 \"ASCII\"\n", true, 0x1,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x7, 0x4u); }},
      {"pick 1130 \"ジョブの前と後に送信\"\n", true, 0,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x6, 0x6u); }},
      {"pick 1130 \"ジョブの前に送信\"\n", true, 0x6,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x6, 0x2u); }},
      {"pick 1119 \"エラー内容を印刷\"\n", true, 0,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x8, 0x8u); }},
      {"pick 1119 \"プリンタの設定を使用\"\n", true, 0x8,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x8, 0u); }},
      {"check 1064 off\ntype 1138 \"2000\" replace\ntype 1430 \"120\" replace\n", true, 0,
       [](const XDEVMODE& o) {
         EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x10, 0x10u);
         EXPECT_EQ(o.dmPrivate._nJobTimeout, 200);  // three characters at most
         EXPECT_EQ(o.dmPrivate._nWaitTimeout, 120);
       }},
      {"check 1064 on\nexpect 1138 disabled\n", true, 0x10,
       [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._dwAdvSettings & 0x10, 0u); }},
      {"pick 1127 \"[なし]\"\n", false, 0, [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._nCompression, 3); }},
      {"check 1144 on\n", false, 0, [](const XDEVMODE& o) { EXPECT_EQ(o.dmPrivate._bClearMemoryPerPage, 1u); }},
      {"expect 1123 hidden\nexpect 1080 hidden\nexpect 1146 visible\n", false, 0, [](const XDEVMODE&) {}},
  };
  const struct {
    Model model;
    WORD pdl;
  } jobs[] = {{kColour, kPostScript}, {kColour, kPcl5}, {kMono, kPcl5}, {kMono, kPclXl}};
  HANDLE colour = Printer(kColour), mono = Printer(kMono);
  for (const auto& job : jobs) {
    HANDLE printer = job.model.file == kColour.file ? colour : mono;
    XDEVMODE in = Settings(printer, job.model, job.pdl);
    const bool postScript = job.pdl == kPostScript;
    for (const auto& action : actions) {
      const bool pclRow = &action == &actions[std::size(actions) - 1];
      if ((action.postScriptOnly && !postScript) || (pclRow && postScript)) continue;
      SCOPED_TRACE(std::string(job.model.file) + " pdl " + std::to_string(job.pdl) + ": " + action.script);
      in.dmPrivate._dwAdvSettings = action.start;
      const SheetRun run = Run(printer, in, kPage + std::string(action.script) + "ok\n");
      ASSERT_EQ(run.error, "");
      ASSERT_EQ(run.result, 1);
      action.check(run.out);
    }
  }
}

TEST_F(AdvancedPageTest, APclJobCompressesNoMoreThanRunLength) {
  HANDLE printer = Printer(kMono);
  XDEVMODE in = Settings(printer, kMono, kPcl5);
  in.dmPrivate._nCompression = 20;
  const SheetRun run = Run(printer, in, std::string(kPage) + "expect 1127 selected \"ラスターイメージ\"\nok\n");
  ASSERT_EQ(run.error, "");
  EXPECT_EQ(run.out.dmPrivate._nCompression, 5);
}

TEST_F(AdvancedPageTest, MemoryIsTypedInKilobytesAndStoredInBytes) {
  HANDLE printer = Printer(kColour);
  const XDEVMODE in = Settings(printer, kColour, kPostScript);
  const struct {
    const char* typed;
    DWORD bytes;
  } cases[] = {{"50", 102400}, {"4096", 4096 * 1024}, {"70000", 0x3FFFC00}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const SheetRun run = Run(printer, in, kPage + std::string("type 1146 \"") + c.typed + "\" replace\nok\n");
    ASSERT_EQ(run.error, "");
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(run.out.dmPrivate._lAvailableMemory, c.bytes);
  }
  // Letters are refused when the edit is left, and the memory stays as it was.
  const SheetRun run = Run(printer, in, kPage + std::string("clear 1146\ntype 1146 \"1a\"\nclick 1144\nok\n"));
  ASSERT_EQ(run.error, "");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_NE(run.boxes[0].find("Illegal Input characters"), std::string::npos);
  EXPECT_EQ(run.out.dmPrivate._lAvailableMemory, 102400u);  // the "1" typed first
}

TEST_F(AdvancedPageTest, MetafileSpoolingTurnsOffWhatItExcludesOnlyWhenConfirmed) {
  HANDLE printer = Printer(kColour);
  XDEVMODE in = Settings(printer, kColour, kPostScript);
  in.dmPrivate._iSNMP = 2;
  in.dmPrivate._epBanner.on = 1;
  in.dmPrivate._bInsertSheets = 1;
  in.dmPrivate.JobNameSuffixOn = 1;
  std::memcpy(in.dmPrivate._wmCurrent.text, "DRAFT", 6);
  in.dmPrivate._wmCurrent.outline = 1;

  SheetRun run = Run(printer, in, std::string(kPage) + "answer no\nclick 1139\nexpect 1139 unchecked\nok\n");
  ASSERT_EQ(run.error, "");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(std::memcmp(&run.out.dmPrivate, &in.dmPrivate, offsetof(XDEVMODE_PRIVATE, _sInsertSheets)), 0);
  EXPECT_EQ(run.out.dmPrivate._dwAdvSettings, in.dmPrivate._dwAdvSettings);

  run = Run(printer, in, std::string(kPage) + "answer yes\ncheck 1139 on\nok\n");
  ASSERT_EQ(run.error, "");
  const XDEVMODE_PRIVATE& p = run.out.dmPrivate;
  EXPECT_EQ(p._dwAdvSettings & kAdvEmfSpooling, kAdvEmfSpooling);
  EXPECT_EQ(p._iSNMP, 1u);
  EXPECT_EQ(p._epBanner.on, 0u);
  EXPECT_EQ(p._bInsertSheets, 0u);
  EXPECT_EQ(p.JobNameSuffixOn, 0u);
  const WatermarkRecord none{};
  EXPECT_EQ(std::memcmp(&p._wmCurrent, &none, sizeof none), 0);
}

}  // namespace
}  // namespace pagetest
