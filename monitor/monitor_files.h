// The monitor's folders and files: the user's data folder and the event log path
// kept per category in the settings store, a file opener that makes missing
// folders, a path splitter, and the printer's model information.
#pragma once

#include <string>

#include "platform/base/types.h"

struct ModelInformation {
  std::string modelName;  // "General"/"ModelName"
  std::string company;    // "General"/"Company"
  std::string webSite;    // "General"/"WebSite"
  DWORD modelId = 0;      // "General"/"ModelID"
};

// The user's application data folder with "Quelm\Nardo Driver\D5"; FALSE for a
// null buffer (MAX_PATH characters) or when the shell has no such folder.
BOOL GetMonitorUserFolder(char* buffer);
// Makes the folder and its missing parents; TRUE only when something was made.
BOOL CreateFolderPath(const char* path);
// The text before and after the last backslash; both empty without one.
void SplitPath(const char* path, std::string* folder, std::string* name);
// Opens the file for writing, or makes its folders and creates it with the
// disposition. Files are made with the account's ordinary rights, never
// writable by every account.
HANDLE OpenMonitorFile(const char* fileName, DWORD creationDisposition);
// The settings store's DBase folder.
void GetMonitorDataFolder(char* buffer, DWORD size);
// Section "PrinterMonitor" of the user's settings.
void SetMonitorString(const char* key, const char* value);
// The stored log path for the key; the first time, "PM1.LOG" in the user's
// data folder is stored and answered.
DWORD GetLogFilePath(const char* key, char* buffer, DWORD size);
// FALSE for null arguments or a printer that cannot be opened.
BOOL GetModelInformation(const char* printerName, ModelInformation* record);
