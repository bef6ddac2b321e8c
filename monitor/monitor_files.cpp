#include "monitor/monitor_files.h"

#include <cstring>

#include "monitor/monitor_settings.h"
#include "platform/base/codepage.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/shell/create_directory.h"
#include "platform/shell/folders.h"
#include "platform/spooler/spooler.h"

namespace {

constexpr unsigned kDefaultLogName = 59189;  // "PM1.LOG"
constexpr char kMonitorSection[] = "PrinterMonitor";

}  // namespace

BOOL GetMonitorUserFolder(char* buffer) {
  if (!buffer) return FALSE;
  char folder[MAX_PATH] = {};
  if (SHGetFolderPathA(0, CSIDL_APPDATA, 0, 0, folder) != S_OK) return FALSE;
  if (!PathAppendA(folder, "Quelm") || !PathAppendA(folder, "Nardo Driver") || !PathAppendA(folder, "D5")) return FALSE;
  std::strncpy(buffer, folder, MAX_PATH - 1);
  buffer[MAX_PATH - 1] = '\0';
  return TRUE;
}

BOOL CreateFolderPath(const char* path) { return SHCreateDirectoryExA(0, path, nullptr) == ERROR_SUCCESS; }

void SplitPath(const char* path, std::string* folder, std::string* name) {
  if (folder) folder->clear();
  if (name) name->clear();
  if (!path) return;
  const std::string_view text(path);
  const size_t slash = platform::FindLastCharAnsi(text, '\\');
  if (slash == std::string_view::npos) return;
  if (folder) *folder = std::string(text.substr(0, slash));
  if (name) *name = std::string(text.substr(slash + 1));
}

HANDLE OpenMonitorFile(const char* fileName, DWORD creationDisposition) {
  if (!fileName) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, 0);
  if (file != INVALID_HANDLE_VALUE) return file;
  std::string folder;
  SplitPath(fileName, &folder, nullptr);
  if (!folder.empty()) CreateFolderPath(folder.c_str());
  // Ordinary rights: the files this program parses are not left open to every
  // account on the machine.
  return CreateFileA(fileName, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, creationDisposition,
                     FILE_ATTRIBUTE_NORMAL, 0);
}

void GetMonitorDataFolder(char* buffer, DWORD size) {
  if (!buffer || size == 0) return;
  buffer[0] = '\0';
  if (monitor::Db().GetPath(1, buffer, size) != 0) buffer[0] = '\0';
}

void SetMonitorString(const char* key, const char* value) {
  monitor::Db().SetString(0, kStoreUser, kMonitorSection, key, value);
}

DWORD GetLogFilePath(const char* key, char* buffer, DWORD size) {
  if (!buffer || size == 0) return ERROR_INVALID_PARAMETER;
  DWORD stored = size;
  if (monitor::Db().GetString(0, kStoreUser, kMonitorSection, key, buffer, &stored) == 0) return 0;
  buffer[0] = '\0';
  char folder[MAX_PATH] = {};
  if (!GetMonitorUserFolder(folder)) return 0;
  CreateFolderPath(folder);
  std::string path = std::string(folder) + "\\" + monitor::LoadText(kDefaultLogName);
  std::strncpy(buffer, path.c_str(), size - 1);
  buffer[size - 1] = '\0';
  return monitor::Db().SetString(0, kStoreUser, kMonitorSection, key, buffer);
}

BOOL GetModelInformation(const char* printerName, ModelInformation* record) {
  if (!printerName || !record) return FALSE;
  HANDLE printer = 0;
  if (!OpenPrinterA(const_cast<char*>(printerName), &printer, nullptr)) return FALSE;
  auto read = [&](const char* key, std::string* out) {
    char text[100] = {};
    DWORD size = sizeof text;
    if (monitor::Db().GetString(printer, kStoreModelDescription, "General", key, text, &size) == 0) *out = text;
  };
  read("ModelName", &record->modelName);
  read("Company", &record->company);
  read("WebSite", &record->webSite);
  DWORD id = 0;
  if (monitor::Db().GetDword(printer, kStoreModelDescription, "General", "ModelID", &id) == 0) record->modelId = id;
  ClosePrinter(printer);
  return TRUE;
}
