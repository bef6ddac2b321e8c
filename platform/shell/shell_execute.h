// ShellExecute(Ex). A program named with ".exe" is one of this machine's programs:
// it is started with the parameters as its command line, found in the given
// directory when the name has no folder. The machine has no desktop to open
// documents and links with: such a request is recorded instead, one line in
// "records/shell.txt" under the machine root, naming what a Windows machine would
// have opened. A program or a test may set a shell handler that sees every
// request instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/types.h"

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_NOASSOC 31
#define SEE_MASK_NOCLOSEPROCESS 0x00000040u

typedef struct _SHELLEXECUTEINFOA {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpFile;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  void* lpIDList;
  LPCSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;

// Above 32 when the request was taken (HINSTANCE as on Windows, here its number).
ZEL_EXTERN_C HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                     int show);
// With SEE_MASK_NOCLOSEPROCESS, hProcess is the started program's process (to be
// closed by the caller), 0 when nothing was started. FALSE with the last error
// set when the request failed; hInstApp holds the ShellExecute answer.
ZEL_EXTERN_C BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA info);

namespace platform {

struct ShellRequest {
  HWND owner = 0;
  std::string verb;  // empty for NULL
  std::string file;
  std::string parameters;
  std::string directory;
  int show = 0;
};
// Answers what ShellExecute answers. nullptr restores the default.
using ShellHandler = std::function<HINSTANCE(const ShellRequest&)>;
void SetShellHandler(ShellHandler handler);

// The documents recorded as opened so far on this machine, oldest first.
std::vector<ShellRequest> ReadShellRecords();

}  // namespace platform
