// The engine: its settings and deadline slots, the poll and restart detection,
// the status flags' notification, and traps from net-snmp's trap sender
// through trap reception to events.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "monitor/instance_registry.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/codepage.h"
#include "tests/monitor/engine_fixture.h"

namespace monitortest {
namespace {

using querytest::SendTrap;

// clang-format off
const std::vector<std::string> kJamAlert = {"", "1.3.6.1.2.1.43.18.2.0.1", "1.3.6.1.2.1.43.18.1.1.2.1.1", "i", "1",
                                            "1.3.6.1.2.1.43.18.1.1.4.1.1", "i", "3", "1.3.6.1.2.1.43.18.1.1.5.1.1",
                                            "i", "8", "1.3.6.1.2.1.43.18.1.1.6.1.1", "i", "1",
                                            "1.3.6.1.2.1.43.18.1.1.7.1.1", "i", "4", "1.3.6.1.2.1.43.18.1.1.8.1.1",
                                            "i", "8"};
// clang-format on

class Engine : public EngineTest {
 protected:
  void UseScriptedAgent(long upTime) {
    agent_ = std::make_unique<querytest::ScriptedAgent>();
    agent_->Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, upTime, {}});
    agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.1", querytest::ScriptedValue{4, 0, "READY"});
    agent_->Set("1.3.6.1.2.1.25.3.2.1.5.1", querytest::ScriptedValue{2, 2, {}});
    MonitorAt(agent_->Address());
  }
  void TearDown() override {
    EngineTest::TearDown();
    agent_.reset();
  }
  bool Asked(const std::string& request) {
    for (const std::string& line : agent_->Requests()) {
      if (line == request) return true;
    }
    return false;
  }
  std::unique_ptr<querytest::ScriptedAgent> agent_;
};

TEST_F(Engine, StoredRefreshRatesAndTheDeadlineTimer) {
  struct Case {
    DWORD stored;
    unsigned rate;
  };
  for (const Case& c : {Case{0, 30}, Case{75, 30}, Case{59, 59}, Case{1, 1}}) {
    ASSERT_EQ(db.SetDword(0, kStoreUser, kPrinter, "PmRefreshRate", c.stored), 0u);
    StartEngine();
    EXPECT_EQ(engine->RefreshRate(), c.rate) << c.stored;
    StopEngine();
  }
  StartEngine();
  EXPECT_FALSE(engine->SlotActive(1)) << "automatic refresh starts off";
  engine->SetAutomaticRefresh(1, 10);
  EXPECT_TRUE(engine->SlotActive(1));
  EXPECT_EQ(engine->SlotDeadline(1), now + 600);
  EXPECT_EQ(engine->TimerPeriodMs(), 59000u);
  // Ticks before the deadline leave the slot; the first at or after it fires
  // and sets it again.
  now += 590;
  engine->OnTimer(PM_ENGINE_TIMER);
  EXPECT_EQ(engine->SlotDeadline(1), now + 10);
  EXPECT_EQ(engine->TimerPeriodMs(), 10000u);
  now += 10;
  const size_t updates = ui.updates.size();
  engine->OnTimer(PM_ENGINE_TIMER);
  EXPECT_EQ(engine->SlotDeadline(1), now + 600);
  EXPECT_GT(ui.updates.size(), updates) << "the refresh of a printer not monitored clears the console";
  engine->SetAutomaticRefresh(0, 10);
  EXPECT_FALSE(engine->SlotActive(1));
  EXPECT_EQ(engine->SlotDeadline(0), now - 600 + kNothingDue) << "slot 0 holds the analysis's deadline";
}

TEST_F(Engine, ARestartIsAnUpTimeThatLagsTheClock) {
  struct Case {
    long secondUpTime;
    bool restart;
  };
  for (const Case& c : {Case{4000, true}, Case{5000, false}}) {
    PM_CEngine::ResetPollState();
    UseScriptedAgent(1000);
    StartEngine();
    ASSERT_EQ(engine->QueryPrinterStatus(), 1);
    EXPECT_EQ(engine->Data().GetConsoleLine(0), "READY");
    now += 60;
    agent_->Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, c.secondUpTime, {}});
    ASSERT_EQ(engine->QueryPrinterStatus(), 1);
    EXPECT_EQ(Asked("get 1.3.6.1.2.1.25.3.2.1.5.1"), c.restart) << c.secondUpTime;
    // Restart or not, the next expectation builds on what was stored.
    now += 10;
    agent_->Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, c.restart ? 5000 : 8000, {}});
    const size_t before = agent_->Requests().size();
    ASSERT_EQ(engine->QueryPrinterStatus(), 1);
    EXPECT_EQ(agent_->Requests().size(), before + 3) << "up time and the two console lines only";
    StopEngine();
  }
}

TEST_F(Engine, NoAnswerClearsTheConsoleAndShowsTheWindow) {
  // A printer that refuses the up time (noSuchName) answers as little as one
  // that stays silent, without the wait.
  agent_ = std::make_unique<querytest::ScriptedAgent>();
  MonitorAt(agent_->Address());
  StartEngine();
  engine->ResetPendingShow();
  engine->Data().SetConsoleLines("old", "old");
  EXPECT_EQ(engine->QueryPrinterStatus(), 0);
  EXPECT_EQ(engine->Data().GetConsoleLine(0), "");
  EXPECT_EQ(engine->PendingShow(), PM_SHOW_NORMAL);
  ASSERT_FALSE(ui.statusTexts.empty());
  EXPECT_EQ(ui.statusTexts.back(), platform::AnsiFromUtf8("プリンタからの応答がありません。"));
}

TEST_F(Engine, ATrapArrivingDuringAPollWaitsItsTurn) {
  if (querytest::FindProgram("snmptrap").empty()) GTEST_SKIP() << "net-snmp's trap sender is not installed";
  const int port = querytest::FreeUdpPort();
  setenv("ZEL_SNMP_TRAP_ADDRESS", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
  UseScriptedAgent(1000);
  StartEngine();
  ASSERT_TRUE(engine->OpenTrapReception());
  // The job end's poll waits for the printer; the jam alert arrives meanwhile
  // and is taken only after the job end is through.
  agent_->DelayReplies(1, 700);
  std::thread sender([port] { SendTrap(port, "2c", kJamAlert); });
  engine->DispatchTrap(JobTrap(kTrapJobEnd, 1));
  sender.join();
  ASSERT_TRUE(PumpUntil([&] { return engine->Data().Events().size() == 2; }));
  int32_t newest = 0, oldest = 0;
  engine->Data().Events().front()->Command(kEventGetCode, &newest);
  engine->Data().Events().back()->Command(kEventGetCode, &oldest);
  EXPECT_EQ(oldest, 2);
  EXPECT_EQ(newest, 40008);
  unsetenv("ZEL_SNMP_TRAP_ADDRESS");
}

class StatusFlags : public EngineTest, public ::testing::WithParamInterface<const char*> {
 protected:
  std::string ModelGeneral() const override { return std::string("ModelName=") + GetParam() + "\nModelID=50\n"; }
};

TEST_P(StatusFlags, OnlyTheFirstFlagIsAnnouncedFromItsSetting) {
  const bool model24 = std::string(GetParam()).find("24") != std::string::npos;
  StartEngine();
  DP_WriteProfileString(kPrinter, "IDS_EVENT_SERIOUS_OFFLINE", "1,NONE", IniPath().c_str());
  DP_WriteProfileString(kPrinter, "IDS_EVENT_SERIOUS_PAPER_OUT", "19,C:\\My Sounds\\paper out.wav", IniPath().c_str());
  struct Case {
    unsigned flags;
    size_t beeps;
    bool sound;
    bool message;
    bool shown;
  };
  const Case cases[] = {
      {0x06, 1, false, false, false},  // offline only
      // 19 is beep, message and sound; the window only with bit 0x04.
      {0x40, model24 ? 1u : 0u, model24, model24, false},
      {0x20, 0, false, false, false},  // no setting for it
      {0x04, 0, false, false, true},   // no entry: the window is shown
  };
  for (const Case& c : cases) {
    sounds.clear();
    ui.messages.clear();
    engine->ResetPendingShow();
    engine->NotifyEventFlags(c.flags);
    size_t beeps = 0;
    bool sound = false;
    for (const auto& s : sounds) {
      beeps += s.beep;
      if (!s.beep) {
        sound = true;
        EXPECT_EQ(s.soundPath, "C:\\My Sounds\\paper out.wav");
      }
    }
    EXPECT_EQ(beeps, c.beeps) << c.flags;
    EXPECT_EQ(sound, c.sound) << c.flags;
    EXPECT_EQ(!ui.messages.empty(), c.message) << c.flags;
    EXPECT_EQ(engine->PendingShow() == PM_SHOW_NORMAL, c.shown) << c.flags;
    EXPECT_EQ(ui.updates.back(), PM_UPDATE_ALL);
  }
}

INSTANTIATE_TEST_SUITE_P(Models, StatusFlags, ::testing::Values("Nardo 24", "Nardo 60"));

// net-snmp's agent as the printer and its trap sender as the printer's traps.
class LivePrinter : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (querytest::FindProgram("snmpd").empty() || querytest::FindProgram("snmptrap").empty()) {
      GTEST_SKIP() << "net-snmp's agent or trap sender is not installed";
    }
    trapPort_ = querytest::FreeUdpPort();
    setenv("ZEL_SNMP_TRAP_ADDRESS", ("127.0.0.1:" + std::to_string(trapPort_)).c_str(), 1);
    std::string table =
        "1.3.6.1.2.1.43.16.5.1.2.1.1 string PAPER OUT\n"
        "1.3.6.1.2.1.43.16.5.1.2.1.2 string TRAY 2\n"
        "1.3.6.1.2.1.25.3.2.1.5.1 integer 5\n"
        "1.3.6.1.2.1.25.3.5.1.2.1 string @\n";
    for (int row = 1; row <= 32; ++row) {
      table += "1.3.6.1.4.1.4417.6.17.1.2." + std::to_string(row) + " ipaddress 0.0.0.0\n";
    }
    ASSERT_TRUE(agent_.Start(root() / "agent", table));
    MonitorAt(agent_.Address());
  }
  void TearDown() override {
    EngineTest::TearDown();
    agent_.Stop();
    unsetenv("ZEL_SNMP_TRAP_ADDRESS");
  }
  bool SendTrap(const std::string& version, std::vector<std::string> rest) {
    return querytest::SendTrap(trapPort_, version, std::move(rest));
  }

  querytest::NetSnmpAgent agent_;
  int trapPort_ = 0;
};

TEST_F(LivePrinter, StatusPollDeviceStatusAndTrapsBecomeEvents) {
  DP_WriteProfileString(kPrinter, "IDS_EVENT_SERIOUS_PAPER_OUT", "19,C:\\snd\\out.wav", IniPath().c_str());
  StartEngine("JOB_STARTED 17 My report.doc");
  ASSERT_EQ(engine->QueryPrinterStatus(), 1);
  EXPECT_EQ(engine->Data().GetConsoleLine(0), "PAPER OUT");
  EXPECT_EQ(engine->Data().GetConsoleLine(1), "TRAY 2");

  // Device down with "no paper" on a model named with "24": the setting's beep,
  // message, window and sound.
  engine->CheckDeviceStatus();
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[1].soundPath, "C:\\snd\\out.wav");
  EXPECT_EQ(ui.messages, std::vector<std::string>{platform::AnsiFromUtf8("用紙切れ")});

  ASSERT_TRUE(engine->OpenTrapReception());
  ASSERT_TRUE(engine->RegisterTrapDestination());
  // A paper-out alert (location 501, code 808) as a version 2c trap.
  // clang-format off
  ASSERT_TRUE(SendTrap("2c", {"", "1.3.6.1.2.1.43.18.2.0.1", "1.3.6.1.2.1.43.18.1.1.2.1.1", "i", "1",
                              "1.3.6.1.2.1.43.18.1.1.4.1.1", "i", "3", "1.3.6.1.2.1.43.18.1.1.5.1.1", "i", "13",
                              "1.3.6.1.2.1.43.18.1.1.6.1.1", "i", "1", "1.3.6.1.2.1.43.18.1.1.7.1.1", "i", "501",
                              "1.3.6.1.2.1.43.18.1.1.8.1.1", "i", "808"}));
  // clang-format on
  ASSERT_TRUE(PumpUntil([&] { return engine->Data().Events().size() == 1; }));
  int32_t code = 0;
  int category = -1;
  engine->Data().Events().front()->Command(kEventGetCode, &code);
  engine->Data().Events().front()->Command(kEventGetCategoryIndex, &category);
  EXPECT_EQ(code, 5010808);
  EXPECT_EQ(category, 1);

  // The job's start as a version 1 trap of the maker's arc: job text, document,
  // user, then the printer's job number.
  ASSERT_TRUE(SendTrap("1", {"1.3.6.1.4.1.4417.7", "127.0.0.1", "6", "501", "", "1.3.6.1.4.1.4417.9.1", "s",
                             "JOB#17 host", "1.3.6.1.4.1.4417.9.2", "s", "report", "1.3.6.1.4.1.4417.9.3", "s", "me",
                             "1.3.6.1.4.1.4417.9.4", "i", "4321"}));
  ASSERT_TRUE(PumpUntil([&] { return engine->Data().Events().size() == 2; }));
  engine->Data().Events().front()->Command(kEventGetCategoryIndex, &category);
  EXPECT_EQ(category, 2);
  EXPECT_STREQ(engine->Data().Events().front()->Job()->name, "My report.doc");
  ASSERT_EQ(engine->Data().GetJobCount(), 1u);
  EXPECT_EQ(engine->Data().GetJob(0)->state, kJobStarted);
  EXPECT_EQ(engine->Data().GetJob(0)->printerJobNumber, 4321);
}

}  // namespace
}  // namespace monitortest

namespace monitortest {
namespace {

bool SetsTrapHost(const std::vector<std::string>& requests) {
  for (const std::string& line : requests) {
    if (line.rfind("set 1.3.6.1.4.1.4417.6.17.1.2.", 0) == 0) return true;
  }
  return false;
}

// A monitor that could not register when it started (the printer was off)
// registers at the first poll the printer answers, and only once.
TEST_F(LivePrinter, TheFirstAnsweredPollRegistersForTraps) {
  StartEngine();
  agent_.ClearRequests();
  ASSERT_EQ(engine->QueryPrinterStatus(), 1);
  EXPECT_TRUE(SetsTrapHost(agent_.Requests()));
  agent_.ClearRequests();
  ASSERT_EQ(engine->QueryPrinterStatus(), 1);
  EXPECT_FALSE(SetsTrapHost(agent_.Requests()));
}

}  // namespace
}  // namespace monitortest

namespace monitortest {
namespace {

// The panel's Shift-JIS text is cut on a whole character: a double-byte
// character across the 31-byte limit goes as a whole.
TEST_F(Engine, PanelTextIsCutOnAWholeCharacter) {
  UseScriptedAgent(1000);
  const std::string katakana = "\x83\x65";  // テ
  agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.1", querytest::ScriptedValue{4, 0, std::string(30, 'A') + katakana});
  agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.2", querytest::ScriptedValue{4, 0, std::string(29, 'B') + katakana});
  StartEngine();
  ASSERT_EQ(engine->QueryPrinterStatus(), 1);
  EXPECT_EQ(engine->Data().GetConsoleLine(0), std::string(30, 'A'));
  EXPECT_EQ(engine->Data().GetConsoleLine(1), std::string(29, 'B') + katakana);
}

}  // namespace
}  // namespace monitortest
