// The installed fonts and macros of a printer: the lists of files kept on this PC
// (per-user settings store, section "HostInfo\<model>"), the lists of files on the
// printer's disk (the printer's own data), the marks of what was loaded into the
// printer's memory, and the printer information file that several PCs share for
// the printer-disk lists, kept in step by change counters. The driver's graphics
// library and fonts page read the font records written here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fontinstaller/installer_records.h"
#include "platform/base/types.h"

namespace fontinstaller {

// Operations of UpdateInfoFont and UpdateInfoMacro.
constexpr int kUpdateMemoryMark = 4;
constexpr int kUpdateAdd = 256;
constexpr int kUpdateRemove = 512;
constexpr int kUpdateChange = 1024;
constexpr int kUpdateRemoveMark = 2048;

// Change counters run from 0 to 32766.
constexpr long kChangeCounterModulus = 32767;

// Removes every token equal to id from a list of ids each ended by ";".
std::string RemoveIdFromList(const std::string& list, const std::string& id);

// A plain file name: no folder, drive or parent part, and none of the characters
// that end a field of a record text (blank, tab, comma, ";").
bool IsPlainRecordFileName(const std::string& name);

// The records of a printer, opened by name for each operation. Every operation
// answers 1 on success and 0 when the printer, its model or a value needed could
// not be read or written (nothing then changed, as far as the stores allow).
int AddFontRecord(const char* printerName, const std::string& idText, std::string recordText, int32_t location,
                  const std::string& pfmFileName);
int AddMacroRecord(const char* printerName, const std::string& idText, const std::string& recordText, int32_t location);
// Rewrites an existing record of the same id and location, lists and count unchanged.
int ReplaceFontRecord(const char* printerName, const std::string& idText, std::string recordText, int32_t location,
                      const std::string& pfmFileName);
int ReplaceMacroRecord(const char* printerName, const std::string& idText, const std::string& recordText,
                       int32_t location);
int RemoveRecord(const char* printerName, int kind, const std::string& idText, int32_t location);
int ClearPrinterDiskList(const char* printerName, int kind);

int SetMemoryMark(const char* printerName, int kind, const std::string& idText, const std::string& text);
int RemoveMemoryMark(const char* printerName, int kind, const std::string& idText);
bool HasMemoryMark(const char* printerName, int kind, const std::string& idText);

// The printer-data change counter; -1 when it cannot be read.
long ReadChangeCounter(const char* printerName, int kind);
int WriteChangeCounter(const char* printerName, int kind, DWORD value);

// The "Global" path of the printer information file; NULL or "" removes it.
int SetInfoFilePath(const char* printerName, const char* path);

// The folder a file dialog remembers under key (per user), else the user's documents folder.
std::string ReadRememberedFolder(const char* key);
int RememberFolder(const char* key, const char* folder);

// The installed lists, PC-disk entries first. An entry whose location and file path
// equal one already listed replaces it.
std::vector<InstalledFontEntry> ReadFontList(const char* printerName);
std::vector<InstalledMacroEntry> ReadMacroList(const char* printerName);
void AddListEntry(std::vector<InstalledFontEntry>& list, const InstalledFontEntry& entry);
void AddListEntry(std::vector<InstalledMacroEntry>& list, const InstalledMacroEntry& entry);

// Brings the printer-disk lists in step with the information file (both ways).
int SyncInfoFile(HWND owner, const char* printerName, DWORD flags);

}  // namespace fontinstaller

// The exports of this part (kovpcl32d5.dll).
ZEL_EXPORT HGLOBAL InitEnumIniEntries(LPCSTR iniFile, LPCSTR section);
ZEL_EXPORT int EnumIniEntries(HGLOBAL enumeration, char* key, int keySize, char* value, int valueSize);
ZEL_EXPORT HGLOBAL EndEnumIniEntries(HGLOBAL enumeration);
ZEL_EXPORT int GetInfoFile(HWND owner, LPCSTR printerName, char* path, int pathSize);
ZEL_EXPORT int parseFontIniEntry(LPCSTR key, LPSTR value, fontinstaller::InstalledFontEntry* entry);
ZEL_EXPORT int parseMacroIniEntry(LPCSTR key, LPSTR value, fontinstaller::InstalledMacroEntry* entry);
ZEL_EXPORT int parseCartIniEntry(LPCSTR key, LPCSTR value, fontinstaller::InstalledFontEntry* entry);
ZEL_EXPORT int UpdateInfoFont(HWND owner, LPSTR printerName, fontinstaller::InstalledFontEntry* entry,
                              fontinstaller::InstalledFontEntry* newEntry, int operation, DWORD flags);
ZEL_EXPORT int UpdateInfoMacro(HWND owner, LPSTR printerName, fontinstaller::InstalledMacroEntry* entry,
                               fontinstaller::InstalledMacroEntry* newEntry, int operation, DWORD flags);
