#include "monitor/event_agents.h"

#include <cstring>

#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"

namespace {

#define SIMPLE_AGENT(Name, codeValue, title, description)                                                          \
  class Name : public PM_CEventAgent {                                                                             \
   public:                                                                                                         \
    explicit Name(PM_CEventCategoryManager* category) : PM_CEventAgent(category, codeValue, title, description) {} \
  };

#define MODEL_AGENT(Name, codeValue, title, description, ...)                            \
  class Name : public PM_CModelBoundAgent {                                              \
   public:                                                                               \
    explicit Name(PM_CEventCategoryManager* category)                                    \
        : PM_CModelBoundAgent(category, codeValue, title, description, {__VA_ARGS__}) {} \
  };

#define JOB_AGENT(Name, codeValue, title, trace, fromText)                  \
  class Name : public PM_CJobEventAgent {                                   \
   public:                                                                  \
    explicit Name(PM_CEventCategoryManager* category)                       \
        : PM_CJobEventAgent(category, codeValue, title, trace, fromText) {} \
  };

SIMPLE_AGENT(EventAgent_Critical_EngineFault, 50030, 59180, 59214)
SIMPLE_AGENT(EventAgent_Serious_Offline, 10022, 59150, 59209)
SIMPLE_AGENT(EventAgent_Serious_PaperOut, 5010808, 59310, 59314)
SIMPLE_AGENT(EventAgent_Serious_StackerFull, 6010903, 59311, 59214)
SIMPLE_AGENT(EventAgent_Serious_TonerOut, 31101, 59312, 59315)
MODEL_AGENT(EventAgent_Serious_CoverOpen, 1010003, 59317, 59318, 1010003, 1020003, 1030003)
SIMPLE_AGENT(EventAgent_Serious_PaperSizeUnmatch, 9000809, 59325, 59326)
SIMPLE_AGENT(EventAgent_Serious_PaperJam, 40008, 59313, 59316)
SIMPLE_AGENT(EventAgent_Serious_YokeOpen, 1110005, 59302, 59303)
SIMPLE_AGENT(EventAgent_Serious_SwinfFinNotReady, 1120005, 59304, 59305)
SIMPLE_AGENT(EventAgent_Serious_SafetySwitchOn, 1140005, 59308, 59309)
SIMPLE_AGENT(EventAgent_Serious_AutoLoadError, 13010001, 59321, 59322)
SIMPLE_AGENT(EventAgent_Serious_FormsLengthNotReady, 1150005, 59323, 59324)
MODEL_AGENT(EventAgent_Serious_TonerBagUnit, 140015, 59300, 59301, 140015, 160009)
MODEL_AGENT(EventAgent_Serious_FuserUnit, 70011, 59238, 59239, 70011, 200009)
SIMPLE_AGENT(EventAgent_Serious_Photoconductor, 80011, 59240, 59241)
MODEL_AGENT(EventAgent_Serious_CleanerUnit, 90011, 59242, 59243, 90011, 180009)
MODEL_AGENT(EventAgent_Serious_HRCleanerUnit, 150011, 59319, 59320, 150011, 190009)
MODEL_AGENT(EventAgent_Serious_DeveloperUnit, 10011, 59246, 59247, 110011, 170009, 11010001)
JOB_AGENT(EventAgent_Jobs_Start, 1, 59202, "<<---Job start\n", true)
JOB_AGENT(EventAgent_Jobs_End, 2, 59203, "<<---Job end\n", false)
JOB_AGENT(EventAgent_Jobs_Developed, 6, 59327, "<<---Job developed\n", false)
JOB_AGENT(EventAgent_Jobs_Parsed, 4, 59250, "<<---Job parsed\n", false)
JOB_AGENT(EventAgent_Jobs_Progress, 5, 59251, "<<---Job progress\n", false)

template <class Agent>
void Add(PM_CEventCategoryManager* category) {
  category->m_EventAgentsArray.push_back(std::make_unique<Agent>(category));
}

constexpr unsigned kJobNameText = 59225;

}  // namespace

void CreateCategoryAgents(PM_CEventCategoryManager* category) {
  switch (category->m_Index) {
    case 0: Add<EventAgent_Critical_EngineFault>(category); break;
    case 1:
      Add<EventAgent_Serious_Offline>(category);
      Add<EventAgent_Serious_PaperOut>(category);
      Add<EventAgent_Serious_StackerFull>(category);
      Add<EventAgent_Serious_TonerOut>(category);
      Add<EventAgent_Serious_CoverOpen>(category);
      Add<EventAgent_Serious_PaperSizeUnmatch>(category);
      Add<EventAgent_Serious_PaperJam>(category);
      Add<EventAgent_Serious_YokeOpen>(category);
      Add<EventAgent_Serious_SwinfFinNotReady>(category);
      Add<EventAgent_Serious_SafetySwitchOn>(category);
      Add<EventAgent_Serious_AutoLoadError>(category);
      Add<EventAgent_Serious_FormsLengthNotReady>(category);
      Add<EventAgent_Serious_TonerBagUnit>(category);
      Add<EventAgent_Serious_FuserUnit>(category);
      Add<EventAgent_Serious_Photoconductor>(category);
      Add<EventAgent_Serious_CleanerUnit>(category);
      Add<EventAgent_Serious_HRCleanerUnit>(category);
      Add<EventAgent_Serious_DeveloperUnit>(category);
      break;
    case 2:
      Add<EventAgent_Jobs_Start>(category);
      Add<EventAgent_Jobs_End>(category);
      Add<EventAgent_Jobs_Developed>(category);
      Add<EventAgent_Jobs_Parsed>(category);
      Add<EventAgent_Jobs_Progress>(category);
      category->m_EventAgentsArray.back()->SetLogging(0);
      break;
    default: break;
  }
}

int PM_CModelBoundAgent::IsEventCode(int64_t code) const {
  ModelInformation model;
  if (!GetModelInformation(monitor::MonitoredPrinter().c_str(), &model)) return 0;
  if (model.modelId != 50 && model.modelId != 75) return 0;
  for (int64_t accepted : codes_) {
    if (accepted == code) return 1;
  }
  return 0;
}

// A job start names its job in var-bind 3 and its document in var-bind 4;
// parsed and progress traps name the document in var-bind 4. The printer's
// job number is the one value every job trap carries (offset 310); the
// progress count is var-bind 5 of a progress trap.
const char* TrapJobText(const SnmpTrapRecord& trap) { return trap.kind == kTrapJobStart ? trap.text314 : ""; }

const char* TrapDocumentName(const SnmpTrapRecord& trap) {
  if (trap.kind == kTrapJobStart) return trap.text570;
  if (trap.kind == kTrapJobParsed || trap.kind == kTrapJobProgress) return trap.text314;
  return "";
}

int32_t TrapJobValue(const SnmpTrapRecord& trap) { return trap.value310; }
int32_t TrapProgressCount(const SnmpTrapRecord& trap) { return trap.value1157; }

void PM_CJobEventAgent::UpdateJob(PM_CEvent& event, const SnmpTrapRecord& trap) {
  const char* document = TrapDocumentName(trap);
  monitor::Trace(std::string(document) + trace_);
  JobBlock block{};
  block.jobNumber = numberFromText_ ? JobNumberFromText(TrapJobText(trap)) : 0;
  block.jobValue = TrapJobValue(trap);
  std::memcpy(block.name, document, strnlen(document, sizeof block.name));
  block.end = '\0';
  event.SetJob(block);
}

int PM_CJobEventAgent::GetDescription(const PM_CEvent& event, std::string* text) const {
  if (const JobBlock* job = event.Job()) {
    *text = monitor::LoadText(kJobNameText) + std::string(job->name, strnlen(job->name, sizeof job->name));
  }
  return 1;
}
