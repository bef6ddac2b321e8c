// The engine's side of the instance registry and its IDX file.
#include <strings.h>

#include <cctype>
#include <exception>

#include "monitor/engine.h"
#include "monitor/instance_registry.h"
#include "monitor/monitor_settings.h"
#include "platform/base/files.h"

namespace {

// Only a file named as this program names its archives ("PM<n>.IDX") goes with
// its entry: the registry is a shared file, and a name written there by
// someone else must not make the monitor delete another file.
bool IsMonitorArchiveName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/:");
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() < 7 || strncasecmp(name.c_str(), "PM", 2) != 0 ||
      strcasecmp(name.c_str() + name.size() - 4, ".IDX") != 0) {
    return false;
  }
  for (size_t i = 2; i + 4 < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
  }
  return true;
}

}  // namespace

bool PM_CEngine::WriteIdxArchive() {
  if (noSave_ || idxFilePath_.empty()) return false;
  try {
    CArchive archive(idxFilePath_.c_str(), CArchive::store);
    archive << static_cast<int32_t>(closeAfterLastJob_) << static_cast<uint32_t>(refreshRate_);
    agents_->Store(archive);
    // Saving changes nothing the running monitor holds: the jobs it watches
    // stay in its list.
    data_.Store(archive);
    archive.Close();
  } catch (const std::exception&) {
    monitor::Trace("The IDX file cannot be written\n");
    return false;
  }
  return true;
}

void PM_CEngine::SaveIdx() {
  if (!WriteIdxArchive()) return;
  monitor::Db().SetDword(0, kStoreUser, printerName_.c_str(), "PmAutomaticRefresh", automaticRefresh_ ? 1 : 0);
  monitor::Db().SetDword(0, kStoreUser, printerName_.c_str(), "PmRefreshRate", refreshRate_);
}

void PM_CEngine::LoadIdx() {
  // Everything is read into new objects and taken over only when the whole file
  // was read: a damaged file leaves no half of itself behind.
  auto attempt = [this]() {
    PM_CEventCategoryManagerArray agents;
    PM_CDataManager data;
    CArchive archive(idxFilePath_.c_str(), CArchive::load);
    int32_t close = 0;
    uint32_t rate = 0;
    archive >> close >> rate;
    agents.Load(archive);
    data.Load(archive, agents);
    agents_->Swap(agents);
    data_.Adopt(data);
    closeAfterLastJob_ = close;
    refreshRate_ = rate;
  };
  try {
    attempt();
    return;
  } catch (const std::exception&) {
    monitor::Trace("The IDX file cannot be read: written again with defaults\n");
  }
  monitor::SetResettingDefaults(true);
  // Only the archive is written again: the user's refresh settings in the
  // store are read after this and must not be replaced by values not yet loaded.
  WriteIdxArchive();
  try {
    attempt();
  } catch (const std::exception&) {
    monitor::Trace("The IDX file cannot be read\n");
  }
  monitor::SetResettingDefaults(false);
}

void PM_CEngine::RecordWindowHandle() {
  PM_CPrintMonitorIDXFile registry(printerName_);
  auto entry = registry.GetPrinterInfo(printerName_);
  if (!entry) return;
  entry->window = ui_ ? static_cast<uint64_t>(ui_->MainDialog()) : 0;
  registry.UpdateIndexEngry(printerName_, *entry);
}

void PM_CEngine::RegisterInstance() {
  // The entry's file is made by AddPrinter, from the template.
  PM_CPrintMonitorIDXFile registry(printerName_, IdxFileUse::ExistingOnly);
  registry.AddPrinter(printerName_);
  noSave_ = 1;
}

void PM_CEngine::UnregisterInstance() {
  noSave_ = 1;
  PM_CPrintMonitorIDXFile registry(printerName_, IdxFileUse::ExistingOnly);
  const std::optional<MonitorInstanceInfo> entry = registry.GetPrinterInfo(printerName_);
  registry.DeletePrinter(printerName_);
  // The archive goes with its entry: left behind, every removed printer would
  // keep one of the thousand archive numbers for good.
  if (entry && IsMonitorArchiveName(entry->idxFileName)) DeleteFileA(entry->idxFileName.c_str());
}
