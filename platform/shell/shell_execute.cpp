#include "platform/shell/shell_execute.h"

#include <mutex>

#include "platform/base/debug.h"

namespace {
std::mutex g_lock;
platform::ShellHandler g_handler;
}  // namespace

void platform::SetShellHandler(ShellHandler handler) {
  std::lock_guard guard(g_lock);
  g_handler = std::move(handler);
}

ZEL_EXTERN_C HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                     int show) {
  platform::ShellHandler handler;
  {
    std::lock_guard guard(g_lock);
    handler = g_handler;
  }
  platform::ShellRequest request{owner, verb ? verb : "", file ? file : "", parameters ? parameters : "",
                                 directory ? directory : "", show};
  if (handler) return handler(request);
  OutputDebugStringA(("ShellExecute: nothing opens \"" + request.file + "\"\n").c_str());
  return SE_ERR_NOASSOC;
}
