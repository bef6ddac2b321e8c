// Event agents and events: which agent takes which code on which model, the
// job block, freshness, categories and the event log.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "monitor/event_agents.h"
#include "monitor/event_model.h"
#include "monitor/event_notification.h"
#include "platform/base/codepage.h"
#include "tests/monitor/monitor_fixture.h"

namespace monitortest {
namespace {

int32_t CodeOf(PM_CEvent* event) {
  int32_t code = 0;
  event->Command(kEventGetCode, &code);
  return code;
}

// Which agent (by its own code) a code finds; 0 for none.
int32_t AgentFor(PM_CEventCategoryManagerArray& agents, int64_t code) {
  PM_CEvent* event = agents.CreateEventForCode(code);
  if (!event) return 0;
  const int32_t agent = CodeOf(event);
  EventRelease(event);
  return agent;
}

class ModelAgents : public MonitorTest, public ::testing::WithParamInterface<int> {
 protected:
  std::string ModelGeneral() const override { return "ModelName=M\nModelID=" + std::to_string(GetParam()) + "\n"; }
};

TEST_P(ModelAgents, ModelBoundAgentsMatchOnlyOnModels50And75) {
  const bool bound = GetParam() == 50 || GetParam() == 75;
  PM_CEventCategoryManagerArray agents;
  struct Case {
    int64_t code;
    int32_t agent;  // on models 50 and 75
    bool modelBound;
  };
  const Case cases[] = {
      // clang-format off
      {140015, 140015, true},  {160009, 140015, true},   {10011, 0, true},       {110011, 10011, true},
      {170009, 10011, true},   {11010001, 10011, true},  {1010003, 1010003, true}, {1030003, 1010003, true},
      {200009, 70011, true},   {190009, 150011, true},   {5010808, 5010808, false}, {40008, 40008, false},
      {50030, 50030, false},   {31101, 31101, false},    {1, 1, false},            {5, 5, false},
      {6, 6, false},           {999, 0, false},          {-1, 0, false},
      // clang-format on
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AgentFor(agents, c.code), c.modelBound && !bound ? 0 : c.agent) << c.code;
  }
}

INSTANTIATE_TEST_SUITE_P(Models, ModelAgents, ::testing::Values(50, 60, 75));

class Events : public MonitorTest {};

TEST_F(Events, CategoriesStartWithTheirDefaults) {
  PM_CEventCategoryManagerArray agents;
  ASSERT_EQ(agents.CategoryCount(), 3u);
  const size_t counts[] = {1, 18, 5};
  const uint32_t icons[] = {145, 147, 146};
  for (size_t i = 0; i < 3; ++i) {
    PM_CEventCategoryManager* category = agents.Category(i);
    EXPECT_EQ(category->m_EventAgentsArray.size(), counts[i]);
    EXPECT_EQ(category->m_IconId, icons[i]);
    EXPECT_EQ(category->m_Logging, 0);
    EXPECT_EQ(category->m_Enabled, i < 2 ? 1 : 0);
    for (auto& agent : category->m_EventAgentsArray) EXPECT_EQ(agent->IsEnabled(0), i < 2 ? 1 : 0);
  }
  EXPECT_EQ(agents.Category(1)->m_Name, platform::AnsiFromUtf8("注意"));
  EXPECT_EQ(agents.Category(2)->m_EventAgentsArray.back()->IsLogging(), 0) << "progress is not logged";
}

TEST_F(Events, JobBlockFromTheStartTrap) {
  PM_CEventCategoryManagerArray agents;
  struct Case {
    WORD kind;
    const char* jobText;
    uint32_t number;
  };
  for (const Case& c : {Case{kTrapJobStart, "JOB#123 x", 123}, Case{kTrapJobStart, "no number", 0},
                        Case{kTrapJobStart, "", 0}, Case{kTrapJobParsed, "JOB#5", 0}}) {
    SnmpTrapRecord trap{};
    trap.kind = c.kind;
    std::strcpy(trap.text314, c.jobText);
    if (c.kind == kTrapJobStart) std::strcpy(trap.text570, std::string(100, 'd').c_str());
    trap.value310 = 77;
    PM_CEvent* event = agents.CreateEventForCode(c.kind);
    ASSERT_NE(event, nullptr);
    event->Command(kEventUpdateJob, &trap);
    ASSERT_NE(event->Job(), nullptr);
    EXPECT_EQ(event->Job()->jobNumber, c.number) << c.jobText;
    EXPECT_EQ(event->Job()->jobValue, 77);
    if (c.kind == kTrapJobStart) {
      EXPECT_EQ(std::string(event->Job()->name, 80), std::string(80, 'd'));
    }
    std::string description;
    event->Command(kEventGetDescription, &description);
    EXPECT_EQ(description.rfind(platform::AnsiFromUtf8("印刷ジョブの名称:"), 0), 0u);
    EventRelease(event);
  }
}

TEST_F(Events, FreshForSixtySeconds) {
  PM_CEventCategoryManagerArray agents;
  PM_CEvent* event = agents.CreateEventForCode(40008);
  ASSERT_NE(event, nullptr);
  EventFreshness query;
  query.now = now + 59;
  event->Command(kEventFreshness, &query);
  EXPECT_EQ(query.fresh, 1);
  EXPECT_EQ(query.remainder, 1);
  query.now = now + 60;
  event->Command(kEventFreshness, &query);
  EXPECT_EQ(query.fresh, 0);
  EXPECT_EQ(event->Command(99, nullptr), 0) << "unknown command";
  std::string title;
  event->Command(kEventGetTitle, &title);
  EXPECT_EQ(title, platform::AnsiFromUtf8("用紙ジャム"));
  EventRelease(event);
}

TEST_F(Events, NotificationFollowsTheFlags) {
  PM_CEventCategoryManagerArray agents;
  RecordingUi double_(&ui, 0);
  monitor::SetEngineUi(&double_);
  auto* notification =
      static_cast<PM_CEventNotificationWIN311*>(agents.Category(1)->m_EventAgentsArray[1]->GetNotification());
  EXPECT_EQ(notification->Flags(), 4);
  notification->SetFlags(0x13);
  notification->SetSoundFile("C:\\My Sounds\\paper out.wav");
  PM_CEvent* event = agents.CreateEventForCode(5010808);
  event->Command(kEventNotify, nullptr);
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_TRUE(sounds[0].beep);
  EXPECT_EQ(sounds[1].soundPath, "C:\\My Sounds\\paper out.wav");
  EXPECT_EQ(sounds[1].type, SND_ASYNC);
  EXPECT_EQ(ui.messages, std::vector<std::string>{platform::AnsiFromUtf8("用紙切れ")});
  EXPECT_EQ(ui.bringBacks, 0);
  // An agent switched off notifies nothing.
  agents.Category(1)->m_EventAgentsArray[1]->SetEnabled(0);
  event->Command(kEventNotify, nullptr);
  EXPECT_EQ(sounds.size(), 2u);
  EventRelease(event);
  monitor::SetEngineUi(nullptr);
}

TEST_F(Events, LogEntriesAndTheSizeLimit) {
  PM_CEventCategoryManagerArray agents;
  PM_CEventCategoryManager* category = agents.Category(1);
  category->m_LogFilePath = DataFolder() + "\\logs\\pm.log";
  PM_CEvent* event = agents.CreateEventForCode(40008);
  event->Command(kEventWriteLog, nullptr);
  EXPECT_FALSE(std::filesystem::exists(Host(category->m_LogFilePath))) << "logging is off";
  category->m_Logging = 1;
  event->Command(kEventWriteLog, nullptr);
  const std::string entry = ReadFile(category->m_LogFilePath);
  const std::string title = platform::AnsiFromUtf8("用紙ジャム");
  ASSERT_EQ(entry.size(), 22u + 2 + title.size() + 2 + 4);
  EXPECT_EQ(entry.substr(8, 4), " -- ");
  EXPECT_EQ(entry.substr(24), title + "\r\n\r\n\r\n");
  // 10240 bytes are appended to; 10241 are emptied first.
  for (size_t size : {size_t{10240}, size_t{10241}}) {
    std::ofstream(Host(category->m_LogFilePath), std::ios::binary | std::ios::trunc) << std::string(size, 'x');
    event->Command(kEventWriteLog, nullptr);
    const size_t expected = (size == 10240 ? size : 0) + entry.size();
    EXPECT_EQ(ReadFile(category->m_LogFilePath).size(), expected) << size;
  }
  EventRelease(event);
}

}  // namespace
}  // namespace monitortest
