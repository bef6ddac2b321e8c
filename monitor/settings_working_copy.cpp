#include "monitor/settings_working_copy.h"

#include <strings.h>

#include <algorithm>
#include <optional>

#include "monitor/monitor_utilities.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"
#include "platform/base/ini_files.h"
#include "platform/base/profile.h"

namespace monitor {

SettingsWorkingCopy::~SettingsWorkingCopy() { Discard(); }

bool SettingsWorkingCopy::Open(const std::string& folder, const std::string& liveFile) {
  Discard();
  char name[MAX_PATH] = {};
  // A new file of a unique name: two monitors editing at once each have their own.
  if (!::GetTempFileNameA(folder.c_str(), "PRMONSET.TMP", 0, name)) return false;
  path_ = name;
  live_ = liveFile;
  written_.clear();
  if (::FileExists(liveFile.c_str()) && !::CopyFileA(liveFile.c_str(), path_.c_str(), FALSE)) {
    Discard();
    return false;
  }
  return true;
}

bool SettingsWorkingCopy::Write(const std::string& section, const std::string& key, const std::string& value) {
  if (!IsOpen() || !::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str())) {
    return false;
  }
  const auto same = [&](const std::pair<std::string, std::string>& entry) {
    return strcasecmp(entry.first.c_str(), section.c_str()) == 0 && strcasecmp(entry.second.c_str(), key.c_str()) == 0;
  };
  if (std::none_of(written_.begin(), written_.end(), same)) written_.emplace_back(section, key);
  return true;
}

bool SettingsWorkingCopy::Commit() {
  if (!IsOpen()) return false;
  std::vector<std::pair<std::pair<std::string, std::string>, std::string>> entries;
  for (const auto& entry : written_) {
    char value[1024] = {};
    ::GetPrivateProfileStringA(entry.first.c_str(), entry.second.c_str(), "", value, sizeof value, path_.c_str());
    entries.push_back({entry, value});
  }
  bool ok = true;
  if (!entries.empty()) {
    const DWORD error = platform::UpdateIniFile(platform::Utf8FromAnsi(live_), [&](platform::IniDocument& document) {
      bool changed = false;
      for (const auto& [name, value] : entries) changed = document.SetValue(name.first, name.second, value) || changed;
      return changed;
    });
    ok = error == 0;
  }
  Discard();
  return ok;
}

void SettingsWorkingCopy::Discard() {
  if (!path_.empty()) ::DeleteFileA(path_.c_str());
  path_.clear();
  written_.clear();
}

}  // namespace monitor
