#include "platform/ui/window.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/base/errors.h"
#include "platform/base/sync.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT elapse;
  Clock::time_point due;
};

// One thread's queue. Posted messages may come from any thread; the timers
// belong to the owning thread but sit under the same lock, so a waiting thread
// sees both through one condition.
struct ThreadQueue {
  std::mutex lock;
  std::condition_variable changed;
  std::deque<MSG> posted;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
  UINT_PTR nextThreadTimer = 1;
};

struct Window {
  WNDPROC procedure = nullptr;
  LONG_PTR userData = 0;
  HINSTANCE instance = 0;
  std::shared_ptr<ThreadQueue> owner;
  std::string text;               // ANSI code page
  std::map<int, LONG_PTR> extra;  // the extra values at indexes 0 and up (a dialog's result, ...)
};

std::shared_ptr<ThreadQueue>& CurrentQueue() {
  thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
  return queue;
}

std::mutex g_windowsLock;
std::map<HWND, Window> g_windows;
// Window handles count up in steps of 4 from a base of their own, never 0.
HWND g_nextWindow = 0x00010010u;

bool FindWindow(HWND window, Window* out) {
  std::lock_guard guard(g_windowsLock);
  const auto found = g_windows.find(window);
  if (found == g_windows.end()) return false;
  if (out) *out = found->second;
  return true;
}

bool KnownClass(LPCSTR name) {
  if (!name || IS_INTRESOURCE(name)) return false;
  for (const char* known : {"EDIT", "STATIC", "BUTTON", "LISTBOX", "COMBOBOX", "#32770"}) {
    if (strcasecmp(known, name) == 0) return true;
  }
  return false;
}

bool Matches(const MSG& msg, HWND window, UINT low, UINT high) {
  if (window != 0 && msg.hwnd != window) return false;
  if (low == 0 && high == 0) return true;
  return msg.message >= low && msg.message <= high;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  return msg;
}

// Takes (or looks at) the next message under the queue's lock.
bool TakeMessage(ThreadQueue& queue, LPMSG msg, HWND window, UINT low, UINT high, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!Matches(*it, window, low, high)) continue;
    if (msg) *msg = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  const Clock::time_point now = Clock::now();
  Timer* earliest = nullptr;
  for (Timer& timer : queue.timers) {
    if (timer.due > now) continue;
    if (!Matches(MakeMessage(timer.window, WM_TIMER, timer.id, 0), window, low, high)) continue;
    if (!earliest || timer.due < earliest->due) earliest = &timer;
  }
  if (earliest) {
    if (msg) *msg = MakeMessage(earliest->window, WM_TIMER, earliest->id, 0);
    if (remove) earliest->due = now + std::chrono::milliseconds(earliest->elapse);
    return true;
  }
  if (queue.quit && (window == 0 || window == static_cast<HWND>(-1)) &&
      Matches(MakeMessage(0, WM_QUIT, 0, 0), 0, low, high)) {
    if (msg) *msg = MakeMessage(0, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quit = false;
    return true;
  }
  return false;
}

void ReadDisplayInput() {
  if (const auto read = platform::ui::Hooks().readInput) read();
}

Clock::time_point NextTimerDue(const ThreadQueue& queue) {
  Clock::time_point next = Clock::time_point::max();
  for (const Timer& timer : queue.timers) next = std::min(next, timer.due);
  return next;
}

// Waits on the display instead of the condition when this thread has one: the
// queue's lock is let go meanwhile, as the condition's wait does.
bool WaitOnDisplay(std::unique_lock<std::mutex>& guard, Clock::time_point until) {
  const auto wait = platform::ui::Hooks().waitInput;
  if (!wait) return false;
  int milliseconds = -1;
  if (until != Clock::time_point::max()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    milliseconds = static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
  }
  guard.unlock();
  const bool waited = wait(milliseconds);
  guard.lock();
  return waited;
}

}  // namespace

namespace platform::ui {

WindowHooks& Hooks() {
  static WindowHooks hooks;
  return hooks;
}

UINT TimerPeriod(HWND window, UINT_PTR id) {
  ThreadQueue& queue = *CurrentQueue();
  std::lock_guard guard(queue.lock);
  for (const Timer& timer : queue.timers) {
    if (timer.window == window && timer.id == id) return timer.elapse;
  }
  return 0;
}

bool StoreWindowText(HWND window, LPCSTR text) {
  std::lock_guard guard(g_windowsLock);
  const auto found = g_windows.find(window);
  if (found == g_windows.end()) return false;
  found->second.text = text ? text : "";
  return true;
}

}  // namespace platform::ui

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const platform::ui::WindowHooks& hooks = platform::ui::Hooks();
  WNDPROC procedure = hooks.classProcedure ? hooks.classProcedure(className) : nullptr;
  if (!procedure && !KnownClass(className)) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return 0;
  }
  HWND window = 0;
  {
    std::lock_guard guard(g_windowsLock);
    window = g_nextWindow;
    g_nextWindow += 4;
    Window record;
    record.procedure = procedure ? procedure : DefWindowProcA;
    record.instance = instance;
    record.owner = CurrentQueue();
    if (windowName) record.text = windowName;
    g_windows[window] = record;
  }
  if (hooks.created && !hooks.created(window, exStyle, className, style, x, y, width, height, parent, menu, param)) {
    DestroyWindow(window);
    return 0;
  }
  return window;
}

BOOL DestroyWindow(HWND window) {
  Window record;
  if (!FindWindow(window, &record)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (record.procedure) record.procedure(window, WM_DESTROY, 0, 0);
  if (platform::ui::Hooks().destroying) platform::ui::Hooks().destroying(window);
  {
    std::lock_guard guard(g_windowsLock);
    g_windows.erase(window);
  }
  if (platform::ui::Hooks().destroyed) platform::ui::Hooks().destroyed(window);
  std::lock_guard guard(record.owner->lock);
  std::erase_if(record.owner->timers, [window](const Timer& timer) { return timer.window == window; });
  std::erase_if(record.owner->posted, [window](const MSG& msg) { return msg.hwnd == window; });
  return TRUE;
}

BOOL IsWindow(HWND window) { return FindWindow(window, nullptr) ? TRUE : FALSE; }

int GetWindowTextA(HWND window, LPSTR text, int size) {
  Window record;
  if (!FindWindow(window, &record)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (text == nullptr || size <= 0) return 0;
  const int length = static_cast<int>(std::min<size_t>(record.text.size(), static_cast<size_t>(size - 1)));
  std::memcpy(text, record.text.data(), static_cast<size_t>(length));
  text[length] = '\0';
  return length;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  // With the dialog layer the text goes through WM_SETTEXT, so a window can react to it.
  if (platform::ui::Hooks().defaultProcedure && FindWindow(window, nullptr)) {
    return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
  }
  std::lock_guard guard(g_windowsLock);
  const auto found = g_windows.find(window);
  if (found == g_windows.end()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  found->second.text = text ? text : "";
  return TRUE;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  Window record;
  if (!FindWindow(window, &record)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(record.procedure);
    case GWLP_USERDATA: return record.userData;
    case GWLP_HINSTANCE: return static_cast<LONG_PTR>(record.instance);
    default:
      if (index >= 0) {
        const auto value = record.extra.find(index);
        return value == record.extra.end() ? 0 : value->second;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  std::lock_guard guard(g_windowsLock);
  const auto found = g_windows.find(window);
  if (found == g_windows.end()) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  Window& record = found->second;
  LONG_PTR previous = 0;
  switch (index) {
    case GWLP_WNDPROC:
      previous = reinterpret_cast<LONG_PTR>(record.procedure);
      record.procedure = reinterpret_cast<WNDPROC>(value);
      return previous;
    case GWLP_USERDATA:
      previous = record.userData;
      record.userData = value;
      return previous;
    default:
      if (index >= 0) {
        previous = record.extra[index];
        record.extra[index] = value;
        return previous;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return procedure ? procedure(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    return 0;
  }
  if (platform::ui::Hooks().defaultProcedure) {
    return platform::ui::Hooks().defaultProcedure(window, message, wParam, lParam);
  }
  return 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window record;
  if (!FindWindow(window, &record)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return record.procedure ? record.procedure(window, message, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> queue;
  if (window == 0) {
    queue = CurrentQueue();
  } else {
    Window record;
    if (!FindWindow(window, &record)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    queue = record.owner;
  }
  {
    std::lock_guard guard(queue->lock);
    queue->posted.push_back(MakeMessage(window, message, wParam, lParam));
  }
  queue->changed.notify_all();
  if (const auto wake = platform::ui::Hooks().posted) wake();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  ThreadQueue& queue = *CurrentQueue();
  std::lock_guard guard(queue.lock);
  queue.quit = true;
  queue.quitCode = exitCode;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  ReadDisplayInput();
  ThreadQueue& queue = *CurrentQueue();
  std::lock_guard guard(queue.lock);
  return TakeMessage(queue, msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  ReadDisplayInput();
  ThreadQueue& queue = *CurrentQueue();
  std::unique_lock guard(queue.lock);
  MSG taken{};
  while (!TakeMessage(queue, &taken, window, filterMin, filterMax, true)) {
    const Clock::time_point due = NextTimerDue(queue);
    if (WaitOnDisplay(guard, due)) continue;
    if (due == Clock::time_point::max()) {
      queue.changed.wait(guard);
    } else {
      queue.changed.wait_until(guard, due);
    }
  }
  if (msg) *msg = taken;
  return taken.message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || msg->hwnd == 0) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC) {
  ThreadQueue& queue = *CurrentQueue();
  if (window != 0) {
    Window record;
    if (!FindWindow(window, &record) || record.owner.get() != &queue) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
  }
  {
    std::lock_guard guard(queue.lock);
    if (window == 0) id = queue.nextThreadTimer++;
    // Windows raises elapse values below 10 ms to 10 ms.
    const UINT period = elapse < 10 ? 10 : elapse;
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(period);
    bool found = false;
    for (Timer& timer : queue.timers) {
      if (timer.window == window && timer.id == id) {
        timer.elapse = period;
        timer.due = due;
        found = true;
      }
    }
    if (!found) queue.timers.push_back(Timer{window, id, period, due});
  }
  queue.changed.notify_all();
  return window == 0 ? id : (id ? id : 1);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  ThreadQueue& queue = *CurrentQueue();
  std::lock_guard guard(queue.lock);
  const size_t removed =
      std::erase_if(queue.timers, [&](const Timer& timer) { return timer.window == window && timer.id == id; });
  return removed ? TRUE : FALSE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
  if (count != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  ReadDisplayInput();
  ThreadQueue& queue = *CurrentQueue();
  std::unique_lock guard(queue.lock);
  const Clock::time_point deadline =
      milliseconds == INFINITE ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!TakeMessage(queue, nullptr, 0, 0, 0, false)) {
    const Clock::time_point wake = std::min(deadline, NextTimerDue(queue));
    if (WaitOnDisplay(guard, wake)) {
      if (Clock::now() >= deadline && !TakeMessage(queue, nullptr, 0, 0, 0, false)) return WAIT_TIMEOUT;
      continue;
    }
    if (wake == Clock::time_point::max()) {
      queue.changed.wait(guard);
    } else {
      if (Clock::now() >= deadline) return WAIT_TIMEOUT;
      queue.changed.wait_until(guard, wake);
    }
  }
  return WAIT_OBJECT_0 + count;
}
