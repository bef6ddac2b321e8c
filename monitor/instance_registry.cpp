#include "monitor/instance_registry.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "monitor/monitor_files.h"
#include "monitor/monitor_settings.h"
#include "monitor/monitor_utilities.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/modules.h"
#include "platform/base/profile.h"
#include "platform/base/version.h"
#include "platform/ui/afx_archive.h"

namespace {

constexpr char kNone[] = "DP_NONE";
constexpr int kIdxNumbers = 1000;

bool IsNone(const std::string& value) { return strcasecmp(value.c_str(), kNone) == 0; }

std::string DataFolder() {
  char folder[MAX_PATH] = {};
  GetMonitorDataFolder(folder, sizeof folder);
  std::string text(folder);
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

// A new IDX file of the first free number, made exclusively: two monitors
// starting together never take the same file, and an existing file of another
// printer is never emptied. Empty when every number is taken.
std::string MakeIdxFile(const std::string& folder) {
  for (int n = 0; n < kIdxNumbers; ++n) {
    const std::string path = folder + "PM" + std::to_string(n) + ".IDX";
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

}  // namespace

std::string MonitorVersionText() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(0, path, sizeof path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoA(path, 0, size, block.data())) return {};
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return {};
  }
  char query[64];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\ProductVersion", translation->language,
                translation->codePage);
  char* text = nullptr;
  if (!VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text) return {};
  return std::string(text).substr(0, 127);
}

std::string MonitorIniPath() { return DataFolder() + "PRMONSET.INI"; }

PM_CPrintMonitorIDXFile::PM_CPrintMonitorIDXFile(const std::string& printerName, IdxFileUse use,
                                                 std::string versionText)
    : printerName_(printerName), version_(std::move(versionText)), ini_(MonitorIniPath()) {
  if (!FileExists(ini_.c_str())) {
    const HANDLE file = OpenMonitorFile(ini_.c_str(), OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
      failedPath_ = ini_;
      return;
    }
    CloseHandle(file);
  }
  if (printerName_.empty() || use == IdxFileUse::ExistingOnly) return;
  std::string idx = DP_ReadProfileString(printerName_.c_str(), "IDXFileName", ini_.c_str());
  if (IsNone(idx)) {
    idx = MakeIdxFile(DataFolder());
    if (idx.empty()) {
      failedPath_ = DataFolder() + "PM" + std::to_string(kIdxNumbers - 1) + ".IDX";
      return;
    }
    DP_WriteProfileString(printerName_.c_str(), "FileVersion", version_.c_str(), ini_.c_str());
    DP_WriteProfileString(printerName_.c_str(), "IDXFileName", idx.c_str(), ini_.c_str());
  }
  CheckVersion(idx);
  if (DP_ReadProfileString(printerName_.c_str(), "IDXFileMode", ini_.c_str()) == "Delete") {
    if (FileExists(idx.c_str())) DeleteFileA(idx.c_str());
    DP_WriteProfileString(printerName_.c_str(), "IDXFileMode", "Start", ini_.c_str());
  }
}

void PM_CPrintMonitorIDXFile::CheckVersion(const std::string& idxPath) {
  if (!FileExists(idxPath.c_str())) return;
  if (DP_ReadProfileString(printerName_.c_str(), "FileVersion", ini_.c_str()) != version_) {
    DeleteFileA(idxPath.c_str());
    DP_WriteProfileString(printerName_.c_str(), "FileVersion", version_.c_str(), ini_.c_str());
  }
}

bool PM_CPrintMonitorIDXFile::Registered(const std::string& name) const {
  return !IsNone(DP_ReadProfileString(name.c_str(), "IDXFileName", ini_.c_str()));
}

void PM_CPrintMonitorIDXFile::ReadLegacy() {
  if (legacyRead_) return;
  legacyRead_ = true;
  const std::string path = GetModuleFolder() + "PM.IDX";
  if (!FileExists(path.c_str())) return;
  try {
    CArchive archive(path.c_str(), CArchive::load);
    int32_t tag = 0, count = 0;
    archive >> tag;
    legacyTag_ = tag;
    if (tag != 4 && !printerName_.empty()) {
      const std::string idx = DP_ReadProfileString(printerName_.c_str(), "IDXFileName", ini_.c_str());
      if (!IsNone(idx)) CheckVersion(idx);
    }
    legacy_.clear();
    archive >> count;
    // Each entry holds at least two string lengths and the handle.
    if (count < 0 || static_cast<uint64_t>(count) > archive.BytesLeft() / 10) return;
    for (int32_t i = 0; i < count; ++i) {
      MonitorInstanceInfo entry;
      entry.printerName = archive.ReadString();
      int64_t window = 0;
      archive >> window;
      entry.window = static_cast<uint64_t>(window);
      entry.idxFileName = archive.ReadString();
      legacy_.push_back(std::move(entry));
    }
  } catch (const std::exception&) {
    monitor::Trace("PM.IDX cannot be read\n");
  }
}

void PM_CPrintMonitorIDXFile::WriteLegacy() {
  const std::string path = GetModuleFolder() + "PM.IDX";
  try {
    CArchive archive(path.c_str(), CArchive::store);
    archive << legacyTag_ << static_cast<int32_t>(legacy_.size());
    for (const MonitorInstanceInfo& entry : legacy_) {
      archive.WriteString(entry.printerName);
      archive << static_cast<int64_t>(entry.window);
      archive.WriteString(entry.idxFileName);
    }
    archive.Close();
  } catch (const std::exception&) {
    monitor::Trace("PM.IDX cannot be written\n");
  }
}

std::optional<MonitorInstanceInfo> PM_CPrintMonitorIDXFile::GetPrinterInfo(const std::string& name) {
  const std::string idx = DP_ReadProfileString(name.c_str(), "IDXFileName", ini_.c_str());
  if (!IsNone(idx)) {
    char low[32] = {}, high[32] = {};
    GetPrivateProfileStringA(name.c_str(), "PMHandleL", "0", low, sizeof low, ini_.c_str());
    GetPrivateProfileStringA(name.c_str(), "PMHandleH", "0", high, sizeof high, ini_.c_str());
    MonitorInstanceInfo entry;
    entry.printerName = name;
    entry.window = (static_cast<uint64_t>(std::strtoul(high, nullptr, 10)) << 32) |
                   static_cast<uint32_t>(std::strtoul(low, nullptr, 10));
    entry.idxFileName = idx;
    return entry;
  }
  ReadLegacy();
  for (const MonitorInstanceInfo& entry : legacy_) {
    if (strcasecmp(entry.printerName.c_str(), name.c_str()) == 0) {
      DP_WriteProfileString(name.c_str(), "IDXFileName", entry.idxFileName.c_str(), ini_.c_str());
      return entry;
    }
  }
  return std::nullopt;
}

void PM_CPrintMonitorIDXFile::UpdateIndexEngry(const std::string& name, const MonitorInstanceInfo& entry) {
  if (!Registered(name)) {
    ReadLegacy();
    for (MonitorInstanceInfo& held : legacy_) {
      if (strcasecmp(held.printerName.c_str(), name.c_str()) == 0) {
        held = entry;
        WriteLegacy();
        return;
      }
    }
    return;
  }
  DP_WriteProfileString(name.c_str(), "PMHandleL", std::to_string(entry.window & 0xFFFFFFFFu).c_str(), ini_.c_str());
  DP_WriteProfileString(name.c_str(), "PMHandleH", std::to_string(entry.window >> 32).c_str(), ini_.c_str());
}

int PM_CPrintMonitorIDXFile::AddPrinter(const std::string& name) {
  if (GetPrinterInfo(name)) return -1;
  const std::string folder = DataFolder();
  const std::string path = MakeIdxFile(folder);
  if (path.empty()) return -1;
  const std::string templatePath = folder + "PRINTXXX.IDX";
  if (FileExists(templatePath.c_str())) CopyFileA(templatePath.c_str(), path.c_str(), FALSE);
  DP_WriteProfileString(name.c_str(), "IDXFileName", path.c_str(), ini_.c_str());
  DP_WriteProfileString(name.c_str(), "PrinterIDXFile", path.c_str(), "PMBAK.INI");
  return 0;
}

int PM_CPrintMonitorIDXFile::DeletePrinter(const std::string& name) {
  if (Registered(name)) {
    DP_WriteProfileString(name.c_str(), nullptr, nullptr, ini_.c_str());
    return 0;
  }
  ReadLegacy();
  const size_t removed = std::erase_if(legacy_, [&](const MonitorInstanceInfo& entry) {
    return strcasecmp(entry.printerName.c_str(), name.c_str()) == 0;
  });
  if (removed) WriteLegacy();
  DP_WriteProfileString(name.c_str(), nullptr, nullptr, "PMBAK.INI");
  return 0;
}
