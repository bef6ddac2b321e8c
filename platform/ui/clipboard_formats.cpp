#include "platform/ui/clipboard_formats.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"

namespace {
constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;
std::mutex g_lock;
std::vector<std::string> g_names;
}  // namespace

ZEL_EXTERN_C UINT RegisterClipboardFormatA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard guard(g_lock);
  for (size_t i = 0; i < g_names.size(); ++i) {
    if (platform::EqualsNoCaseAnsi(g_names[i], name)) return kFirstFormat + static_cast<UINT>(i);
  }
  if (kFirstFormat + g_names.size() > kLastFormat) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  g_names.emplace_back(name);
  return kFirstFormat + static_cast<UINT>(g_names.size() - 1);
}
