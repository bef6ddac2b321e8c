// Jobs from the command line and the printer's job traps, events of the
// printer's alerts, and what the analysis drops with age.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/base/codepage.h"
#include "tests/monitor/engine_fixture.h"

namespace monitortest {
namespace {

class Jobs : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    agent_ = std::make_unique<querytest::ScriptedAgent>();
    agent_->Set("1.3.6.1.2.1.1.3.0", querytest::ScriptedValue{67, 1000, {}});
    agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.1", querytest::ScriptedValue{4, 0, "READY"});
    agent_->Set("1.3.6.1.2.1.43.16.5.1.2.1.2", querytest::ScriptedValue{4, 0, "TRAY 1"});
    MonitorAt(agent_->Address());
  }
  void TearDown() override {
    EngineTest::TearDown();
    agent_.reset();
  }
  size_t EventCount() { return engine->Data().Events().size(); }
  std::string NewestEventName() {
    const JobBlock* job = engine->Data().Events().front()->Job();
    return job ? std::string(job->name) : "<none>";
  }
  std::unique_ptr<querytest::ScriptedAgent> agent_;
};

TEST_F(Jobs, AJobFromStartToEnd) {
  StartEngine("JOB_STARTED 17 My report.doc");
  EXPECT_EQ(engine->PendingShow(), PM_SHOW_MINIMIZED);
  ASSERT_EQ(engine->Data().GetJobCount(), 1u);
  MonitorJob* job = engine->Data().GetJob(0);
  EXPECT_EQ(job->spoolerJobId, 17u);
  EXPECT_EQ(job->documentName, "My report.doc");
  EXPECT_EQ(job->state, kJobWaiting);

  SnmpTrapRecord start = JobTrap(kTrapJobStart, 1234);
  std::strcpy(start.text314, "JOB#17 host");
  std::strcpy(start.text570, "name from the printer");
  engine->DispatchTrap(start);
  EXPECT_EQ(job->state, kJobStarted);
  EXPECT_EQ(job->printerJobNumber, 1234);
  ASSERT_EQ(EventCount(), 1u);
  EXPECT_EQ(NewestEventName(), "My report.doc");
  EXPECT_EQ(engine->Data().GetConsoleLine(0), "READY") << "a job trap polls the printer";

  engine->DispatchTrap(JobTrap(kTrapJobParsed, 1234));
  EXPECT_EQ(job->state, kJobParsed);
  SnmpTrapRecord progress = JobTrap(kTrapJobProgress, 1234);
  progress.value1157 = 3;
  engine->DispatchTrap(progress);
  EXPECT_EQ(job->state, kJobPrinting);
  EXPECT_EQ(job->progressFlag, 1);
  EXPECT_EQ(job->progressValue, 3);
  EXPECT_EQ(EventCount(), 2u) << "progress is never recorded";
  EXPECT_TRUE(engine->Data().IsChanged());

  engine->DispatchTrap(JobTrap(kTrapJobEnd, 1234));
  EXPECT_EQ(engine->Data().GetJobCount(), 0u);
  EXPECT_EQ(EventCount(), 3u);
  int category = -1;
  engine->Data().Events().front()->Command(kEventGetCategoryIndex, &category);
  EXPECT_EQ(category, 2);
}

TEST_F(Jobs, UnknownJobsAndTheFirstOfTwoIds) {
  StartEngine();
  SnmpTrapRecord start = JobTrap(kTrapJobStart, 5);
  std::strcpy(start.text314, "JOB#9");
  std::strcpy(start.text570, "from trap");
  engine->DispatchTrap(start);
  ASSERT_EQ(EventCount(), 1u);
  EXPECT_EQ(NewestEventName(), "from trap") << "an empty list leaves the trap's name";
  engine->DispatchTrap(JobTrap(kTrapJobParsed, 5));
  EXPECT_EQ(NewestEventName(), platform::AnsiFromUtf8("不明"));

  engine->OnCommandLine("x _(Laser 1)_ JOB_STARTED 9 first");
  engine->OnCommandLine("x _(Laser 1)_ JOB_STARTED 9 second");
  engine->OnCommandLine("x _(Laser 1)_ JOB_STARTED 10");  // no document: nothing
  ASSERT_EQ(engine->Data().GetJobCount(), 2u);
  engine->DispatchTrap(start);
  EXPECT_EQ(engine->Data().GetJob(0)->printerJobNumber, 5);
  EXPECT_EQ(engine->Data().GetJob(1)->printerJobNumber, 0);
  engine->OnCommandLine("x _(Laser 1)_ JOB_DELETE 9 first");
  ASSERT_EQ(engine->Data().GetJobCount(), 1u);
  EXPECT_EQ(engine->Data().GetJob(0)->documentName, "second");
  EXPECT_EQ(ui.updates.back(), PM_UPDATE_ALL);
}

TEST_F(Jobs, DocumentNamesAreCutToEightyBytesOnACharacter) {
  StartEngine("JOB_STARTED 1 " + std::string(100, 'a'));
  engine->OnCommandLine("x _(Laser 1)_ JOB_STARTED 2 " + std::string(79, 'b') + platform::AnsiFromUtf8("漢字"));
  SnmpTrapRecord start = JobTrap(kTrapJobStart, 1);
  std::strcpy(start.text314, "JOB#1");
  engine->DispatchTrap(start);
  EXPECT_EQ(NewestEventName(), std::string(80, 'a'));
  std::strcpy(start.text314, "JOB#2");
  start.value310 = 2;
  engine->DispatchTrap(start);
  EXPECT_EQ(NewestEventName(), std::string(79, 'b')) << "half a character is not kept";
}

TEST_F(Jobs, AlertsFromThePrinterOnlyBecomeEvents) {
  StartEngine();
  struct Case {
    const char* sender;
    int32_t location, code;
    size_t events;
  };
  for (const Case& c : {Case{"127.0.0.2", 4, 8, 0}, Case{"127.0.0.1", 4, 9, 0}, Case{"127.0.0.1", 4, 8, 1},
                        Case{"127.0.0.1", 501, 808, 2}, Case{"127.0.0.1", 2147483647, 8, 2}}) {
    SnmpTrapRecord alert{};
    alert.kind = kTrapAlert;
    std::strcpy(alert.sender, c.sender);
    alert.alertVarBind7 = c.location;
    alert.alertVarBind8 = c.code;
    engine->DispatchTrap(alert);
    EXPECT_EQ(EventCount(), c.events) << c.sender << " " << c.location << " " << c.code;
  }
  int32_t code = 0;
  engine->Data().Events().front()->Command(kEventGetCode, &code);
  EXPECT_EQ(code, 5010808);
  EXPECT_EQ(engine->Data().NotificationCount(), 2u);
  PM_CEvent* first = engine->Data().TakeNotification();
  first->Command(kEventGetCode, &code);
  EXPECT_EQ(code, 40008);
  EventRelease(first);
}

TEST_F(Jobs, TheMinimisedWindowKeepsTheLastWarning) {
  StartEngine();
  CurrentIconizedAlert() = IconizedAlert{};
  SnmpTrapRecord alert{};
  alert.kind = kTrapAlert;
  std::strcpy(alert.sender, "127.0.0.1");
  alert.alertVarBind7 = 4;
  alert.alertVarBind8 = 8;
  engine->DispatchTrap(alert);
  EXPECT_EQ(CurrentIconizedAlert().iconId, 0u) << "only while minimised";
  engine->Dispatcher()->EnableHandler(kHandlerIconizedApp);
  engine->DispatchTrap(alert);
  EXPECT_EQ(CurrentIconizedAlert().iconId, 147u);
  EXPECT_EQ(CurrentIconizedAlert().text, platform::AnsiFromUtf8("用紙ジャム"));
  SnmpTrapRecord start = JobTrap(kTrapJobStart, 1);
  engine->DispatchTrap(start);
  EXPECT_EQ(CurrentIconizedAlert().iconId, 147u) << "job events leave it";
  engine->Dispatcher()->DisableHandler(kHandlerIconizedApp);
}

TEST_F(Jobs, TheAnalysisDropsOldEventsAndJobs) {
  StartEngine("JOB_STARTED 1 a");
  EXPECT_EQ(engine->SlotDeadline(0), now + kNothingDue);
  SnmpTrapRecord alert{};
  alert.kind = kTrapAlert;
  std::strcpy(alert.sender, "127.0.0.1");
  alert.alertVarBind7 = 4;
  alert.alertVarBind8 = 8;
  engine->DispatchTrap(alert);
  EXPECT_EQ(engine->SlotDeadline(0), now + 60);
  now += 59;
  engine->Data().AnalizeData();
  EXPECT_EQ(EventCount(), 1u);
  now += 1;
  engine->Data().AnalizeData();
  EXPECT_EQ(EventCount(), 0u);
  EXPECT_EQ(engine->Data().NotificationCount(), 0u);
  now += 1200 - 60;
  engine->Data().AnalizeData();
  EXPECT_EQ(engine->Data().GetJobCount(), 1u);
  now += 1;
  engine->Data().AnalizeData();
  EXPECT_EQ(engine->Data().GetJobCount(), 0u);
}

}  // namespace
}  // namespace monitortest
