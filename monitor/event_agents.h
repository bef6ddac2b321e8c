// The concrete event agents: one class per printer event or job state, made in
// the order of the category they belong to.
#pragma once

#include "monitor/event_model.h"

// Makes the agents of the category (by its index) into its agent array.
void CreateCategoryAgents(PM_CEventCategoryManager* category);

// Agents bound to the models 50 and 75: they accept their codes only there.
class PM_CModelBoundAgent : public PM_CEventAgent {
 public:
  PM_CModelBoundAgent(PM_CEventCategoryManager* category, int32_t code, uint32_t titleId, uint32_t descriptionId,
                      std::vector<int64_t> codes)
      : PM_CEventAgent(category, code, titleId, descriptionId), codes_(std::move(codes)) {}
  int IsEventCode(int64_t code) const override;

 private:
  std::vector<int64_t> codes_;
};

// The five job agents: their events carry the job block.
class PM_CJobEventAgent : public PM_CEventAgent {
 public:
  PM_CJobEventAgent(PM_CEventCategoryManager* category, int32_t code, uint32_t titleId, const char* traceText,
                    bool numberFromText)
      : PM_CEventAgent(category, code, titleId, titleId), trace_(traceText), numberFromText_(numberFromText) {}
  void UpdateJob(PM_CEvent& event, const SnmpTrapRecord& trap) override;
  int GetDescription(const PM_CEvent& event, std::string* text) const override;

 private:
  const char* trace_;
  bool numberFromText_;
};

// Where a job trap carries what the job agents take (by trap kind).
const char* TrapJobText(const SnmpTrapRecord& trap);
const char* TrapDocumentName(const SnmpTrapRecord& trap);
int32_t TrapJobValue(const SnmpTrapRecord& trap);
int32_t TrapProgressCount(const SnmpTrapRecord& trap);
