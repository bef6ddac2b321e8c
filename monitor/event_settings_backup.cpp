#include "monitor/event_settings_backup.h"

#include "monitor/event_notification.h"

namespace monitor {

AgentSettings AgentSettings::Of(PM_CEventAgent& agent) {
  AgentSettings settings;
  settings.enabled = agent.EnabledFlag();
  settings.logging = agent.IsLogging();
  settings.displayPeriod = agent.DisplayPeriod();
  settings.reservedSpan = agent.ReservedSpan();
  settings.reservedCount = agent.ReservedCount();
  if (PM_CEventNotification* notification = agent.GetNotification()) {
    settings.flags = notification->Flags();
    if (auto* sound = dynamic_cast<PM_CEventNotificationWIN311*>(notification)) settings.soundFile = sound->SoundFile();
  }
  return settings;
}

void AgentSettings::ApplyTo(PM_CEventAgent& agent) const {
  agent.SetEnabled(enabled);
  agent.SetLogging(logging);
  agent.SetDisplayPeriod(displayPeriod);
  agent.SetReservedSpan(reservedSpan);
  agent.SetReservedCount(reservedCount);
  if (PM_CEventNotification* notification = agent.GetNotification()) {
    notification->SetFlags(flags);
    if (auto* sound = dynamic_cast<PM_CEventNotificationWIN311*>(notification)) sound->SetSoundFile(soundFile);
  }
}

EventSettingsBackup::EventSettingsBackup(PM_CEventCategoryManagerArray& categories) : categories_(categories) {
  for (size_t i = 0; i < categories.CategoryCount(); ++i) {
    PM_CEventCategoryManager* category = categories.Category(i);
    Category saved{category->m_Enabled, category->m_Logging, category->m_LogFilePath, {}};
    for (auto& agent : category->m_EventAgentsArray) saved.agents.push_back(AgentSettings::Of(*agent));
    saved_.push_back(std::move(saved));
  }
}

void EventSettingsBackup::Restore() const {
  for (size_t i = 0; i < saved_.size() && i < categories_.CategoryCount(); ++i) {
    PM_CEventCategoryManager* category = categories_.Category(i);
    category->m_Enabled = saved_[i].enabled;
    category->m_Logging = saved_[i].logging;
    category->m_LogFilePath = saved_[i].logFilePath;
    for (size_t j = 0; j < saved_[i].agents.size() && j < category->m_EventAgentsArray.size(); ++j) {
      saved_[i].agents[j].ApplyTo(*category->m_EventAgentsArray[j]);
    }
  }
}

}  // namespace monitor
