#include "platform/ui/message_box.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "platform/base/codepage.h"
#include "platform/base/debug.h"

namespace platform {
namespace {

std::mutex& HandlerLock() {
  static std::mutex lock;
  return lock;
}

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

std::atomic<MessageBoxPresenter> g_presenter{nullptr};

int Show(MessageBoxRequest request) {
  MessageBoxHandler handler;
  {
    std::lock_guard lock(HandlerLock());
    handler = Handler();
  }
  // The handler runs outside the lock: it may show a box of its own.
  if (handler) return handler(request);
  int answer = 0;
  if (const MessageBoxPresenter presenter = g_presenter; presenter && presenter(request, &answer)) return answer;
  const std::string trace = "MessageBox [" + request.caption + "] " + request.text;
  OutputDebugStringA(AnsiFromUtf8(trace).c_str());
  return DefaultMessageBoxButton(request.type);
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(HandlerLock());
  Handler() = std::move(handler);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { g_presenter = presenter; }

int DefaultMessageBoxButton(UINT type) {
  static constexpr int kButtons[][3] = {
      {IDOK, IDOK, IDOK},                  // MB_OK
      {IDOK, IDCANCEL, IDCANCEL},          // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
      {IDYES, IDNO, IDNO},                 // MB_YESNO
      {IDRETRY, IDCANCEL, IDCANCEL},       // MB_RETRYCANCEL
      {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
  };
  const UINT kind = type & MB_TYPEMASK;
  if (kind >= sizeof kButtons / sizeof kButtons[0]) return IDOK;
  UINT button = (type & MB_DEFMASK) >> 8;
  if (button > 2) button = 2;
  return kButtons[kind][button];
}

}  // namespace platform

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  platform::MessageBoxRequest request;
  request.owner = owner;
  request.text = text ? platform::Utf8FromAnsi(text) : std::string();
  request.caption = caption ? platform::Utf8FromAnsi(caption) : std::string("Error");
  request.type = type;
  return platform::Show(std::move(request));
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  platform::MessageBoxRequest request;
  request.owner = owner;
  request.text = platform::Utf8FromUtf16(platform::Utf16FromZ(text));
  request.caption = caption ? platform::Utf8FromUtf16(platform::Utf16FromZ(caption)) : std::string("Error");
  request.type = type;
  return platform::Show(std::move(request));
}
