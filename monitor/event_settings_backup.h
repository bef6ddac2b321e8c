// What the notification dialogs may change of the event categories and agents,
// copied in memory when a dialog opens, so that its Cancel puts back exactly
// what was there, whatever another monitor wrote to the shared folder meanwhile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "monitor/event_model.h"

namespace monitor {

struct AgentSettings {
  int enabled = 0;
  int logging = 0;
  int64_t displayPeriod = 0;
  int64_t reservedSpan = 0;
  int32_t reservedCount = 0;
  uint16_t flags = 0;
  std::string soundFile;

  static AgentSettings Of(PM_CEventAgent& agent);
  void ApplyTo(PM_CEventAgent& agent) const;
  bool operator==(const AgentSettings&) const = default;
};

class EventSettingsBackup {
 public:
  explicit EventSettingsBackup(PM_CEventCategoryManagerArray& categories);
  // Puts every category and agent back as it was at construction.
  void Restore() const;

 private:
  struct Category {
    int enabled = 0;
    int logging = 0;
    std::string logFilePath;
    std::vector<AgentSettings> agents;
  };
  PM_CEventCategoryManagerArray& categories_;
  std::vector<Category> saved_;
};

}  // namespace monitor
