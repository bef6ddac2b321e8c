// Fonts and macros reach the printer as raw jobs of one page named "Download
// Font": files stored on the printer's disk by PJL file-system commands, soft
// fonts and macros loaded into its memory by PCL commands, and files deleted from
// its disk. Every job is framed by the universal exit language command.
#pragma once

#include <string>

#include "fontinstaller/installer_records.h"
#include "platform/base/types.h"

namespace fontinstaller {

// Download request flags.
constexpr DWORD kDownloadToDisk = 0x2;
constexpr DWORD kDownloadToMemory = 0x4;  // load and make permanent

// Stream elements.
std::string PclEscape(char first, char second, long number, char final);
std::string MakeFolderLine(const std::string& folder);
std::string StoreFileLine(const std::string& path, long size);
std::string DeleteFileLine(const std::string& path);
extern const char kUniversalExit[];  // ESC "%-12345X"
extern const char kEnterPcl[];       // "@PJL ENTER LANGUAGE = PCL" LF

// A macro name the printer's disk can take inside a PJL file name: 1 to 16
// single-byte characters, no control characters or DEL, none of the ten
// characters blank \ / : * ? " < > |.
bool IsValidMacroName(const std::string& name);

// Sends the font (file, or the entry's font file when NULL) to the printer's disk
// (flag 0x2) or loads it into its memory (flag 0x4 makes it permanent). 1 on success.
int DownloadFont(HWND owner, const char* printerName, const InstalledFontEntry& entry, const char* file, DWORD flags);
// The same for a macro.
int DownloadMacro(HWND owner, const char* printerName, const InstalledMacroEntry& entry, DWORD flags);
// Writes the file in pieces of 1024 bytes; the bytes the spooler took, -1 when
// the file cannot be read.
long SendFile(HANDLE printer, const char* fileName);

}  // namespace fontinstaller

ZEL_EXPORT int SendString(HANDLE printer, const void* bytes, DWORD length);
ZEL_EXPORT int deletePCLFile(HWND owner, LPCSTR fileName, int kind, LPSTR printerName, int* fontId,
                             fontinstaller::InstalledMacroEntry* macro);
ZEL_EXPORT HANDLE StartPrintJob(LPCSTR printerName, DWORD reserved1, DWORD reserved2);
ZEL_EXPORT BOOL EndPrintJob(HANDLE printer, int keep);
