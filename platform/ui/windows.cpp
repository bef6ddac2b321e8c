// The window table of the stand-in desktop: windows are handles of the
// process's handle table, like every other object.
#include "platform/ui/windows.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/base/codepage.h"
#include "platform/base/errors.h"
#include "platform/base/handles.h"

namespace platform::ui {
namespace {

class Window : public KernelObject {
 public:
  std::mutex lock;
  std::string title;  // UTF-8
  std::map<int, LONG_PTR> values;
};

std::shared_ptr<Window> Find(HWND hWnd) {
  auto window = LookupHandle<Window>(hWnd);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

}  // namespace

HWND CreateStandInWindow(const std::string& titleUtf8) {
  auto window = std::make_shared<Window>();
  window->title = titleUtf8;
  return InsertHandle(window);
}

void DestroyStandInWindow(HWND window) {
  if (LookupHandle<Window>(window)) RemoveHandle(window);
}

}  // namespace platform::ui

using namespace platform::ui;

ZEL_EXTERN_C LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  auto window = Find(hWnd);
  if (!window) return 0;
  std::lock_guard<std::mutex> guard(window->lock);
  LONG_PTR& value = window->values[nIndex];
  const LONG_PTR previous = value;
  value = dwNewLong;
  return previous;
}

ZEL_EXTERN_C LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
  auto window = Find(hWnd);
  if (!window) return 0;
  std::lock_guard<std::mutex> guard(window->lock);
  auto it = window->values.find(nIndex);
  return it == window->values.end() ? 0 : it->second;
}

ZEL_EXTERN_C int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  auto window = Find(hWnd);
  if (!window || lpString == nullptr || nMaxCount <= 0) return 0;
  std::string title;
  {
    std::lock_guard<std::mutex> guard(window->lock);
    title = platform::FromUtf16(platform::ToUtf16(window->title, CP_UTF8), CP_ACP);
  }
  const int length = static_cast<int>(title.size()) < nMaxCount - 1 ? static_cast<int>(title.size()) : nMaxCount - 1;
  std::memcpy(lpString, title.data(), static_cast<size_t>(length));
  lpString[length] = '\0';
  return length;
}

ZEL_EXTERN_C BOOL IsWindow(HWND hWnd) { return platform::LookupHandle<Window>(hWnd) ? TRUE : FALSE; }
