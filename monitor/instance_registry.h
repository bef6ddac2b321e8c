// The monitor's instance registry: one section per printer in "PRMONSET.INI"
// (its IDX file, the running monitor's window, the version that made the file,
// the run mode), the older registry "PM.IDX" beside the program, and the backup
// list "PMBAK.INI".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct MonitorInstanceInfo {
  std::string printerName;
  uint64_t window = 0;
  std::string idxFileName;
};

// The product version of the program (the "FileVersion" of the registry).
std::string MonitorVersionText();
// "PRMONSET.INI" in the settings store's DBase folder.
std::string MonitorIniPath();

// Whether opening the registry for a printer makes its IDX file: only a
// monitor that runs needs one; registering, unregistering and the verbs that
// end at once must leave no file for a printer that has none.
enum class IdxFileUse { Make, ExistingOnly };

class PM_CPrintMonitorIDXFile {
 public:
  // Opens the registry for the printer: makes "PRMONSET.INI" and the printer's
  // IDX file when missing, and drops an IDX file of another version or one a
  // broken run left ("IDXFileMode" "Delete"). ok() is false, with failedPath()
  // the file that could not be made, when the registry is unusable.
  explicit PM_CPrintMonitorIDXFile(const std::string& printerName, std::string versionText = MonitorVersionText())
      : PM_CPrintMonitorIDXFile(printerName, IdxFileUse::Make, std::move(versionText)) {}
  PM_CPrintMonitorIDXFile(const std::string& printerName, IdxFileUse use,
                          std::string versionText = MonitorVersionText());
  bool ok() const { return failedPath_.empty(); }
  const std::string& failedPath() const { return failedPath_; }

  std::optional<MonitorInstanceInfo> GetPrinterInfo(const std::string& name);
  void UpdateIndexEngry(const std::string& name, const MonitorInstanceInfo& entry);
  // 0, or -1 when the printer is registered already.
  int AddPrinter(const std::string& name);
  int DeletePrinter(const std::string& name);

 private:
  bool Registered(const std::string& name) const;
  void CheckVersion(const std::string& idxPath);
  void ReadLegacy();
  void WriteLegacy();
  std::string printerName_;
  std::string version_;
  std::string ini_;
  std::string failedPath_;
  bool legacyRead_ = false;
  int32_t legacyTag_ = 4;
  std::vector<MonitorInstanceInfo> legacy_;
};
