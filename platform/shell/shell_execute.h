// ShellExecute: the stand-in machine has no desktop to open documents and links
// with. Every request goes to the process's shell handler, which a program or a
// test sets to see it; without one nothing is opened and the answer is
// SE_ERR_NOASSOC, as for a file type that nothing is registered for.
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"

#define SE_ERR_NOASSOC 31

// Above 32 when the request was taken (HINSTANCE as on Windows, here its number).
ZEL_EXTERN_C HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                     int show);

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

}  // namespace platform
