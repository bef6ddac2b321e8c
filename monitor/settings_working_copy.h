// The notification dialogs' working copy of "PRMONSET.INI". Entries are
// written into the copy while the dialogs are open; Commit applies only the
// entries written through this copy to the live file, in one replacement under
// the machine's lock, so what other monitors wrote there meanwhile (their
// registry entries, another printer's settings) stays. Without a commit the
// copy is removed and the live file is untouched.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace monitor {

class SettingsWorkingCopy {
 public:
  SettingsWorkingCopy() = default;
  ~SettingsWorkingCopy();
  SettingsWorkingCopy(const SettingsWorkingCopy&) = delete;
  SettingsWorkingCopy& operator=(const SettingsWorkingCopy&) = delete;

  // Makes a new uniquely named copy in `folder` of the live file (empty when
  // the live file does not exist). False when it cannot be made.
  bool Open(const std::string& folder, const std::string& liveFile);
  bool IsOpen() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  // Writes the entry into the copy and remembers it for the commit.
  bool Write(const std::string& section, const std::string& key, const std::string& value);
  // The entries written so far into the live file, all at once; the copy is
  // then removed. False, with the live file as it was, when it cannot be written.
  bool Commit();
  // Removes the copy; its entries are dropped.
  void Discard();

 private:
  std::string path_;
  std::string live_;
  std::vector<std::pair<std::string, std::string>> written_;
};

}  // namespace monitor
