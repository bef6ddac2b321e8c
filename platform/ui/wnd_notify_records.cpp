// The window half of the notification records: it reads the window tree, which
// the 32-bit platform library (the settings library's needs only) does not carry.
#include <strings.h>

#include "platform/base/machine_records.h"
#include "platform/ui/notify_records.h"
#include "platform/ui/user.h"

namespace {

std::string Text(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The labels a person reads in the window: its visible static controls.
std::string StaticTexts(HWND window) {
  std::string texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char kind[64] = {};
    GetClassNameA(child, kind, sizeof kind);
    if (strcasecmp(kind, "Static") != 0 || !IsWindowVisible(child)) continue;
    const std::string text = Text(child);
    if (text.empty()) continue;
    if (!texts.empty()) texts += " | ";
    texts += text;
  }
  return texts;
}

}  // namespace

namespace platform {

void RecordWindowShown(HWND window) {
  AppendMachineRecord(kNotifyRecordsFile, {"shown", Text(window), StaticTexts(window)});
}

}  // namespace platform
