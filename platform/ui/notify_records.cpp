#include "platform/ui/notify_records.h"

#include "platform/base/machine_records.h"
#include "platform/ui/window.h"

namespace platform {

void RecordWindowToFront(HWND window) {
  char caption[1024] = {};
  GetWindowTextA(window, caption, sizeof caption);
  AppendMachineRecord(kNotifyRecordsFile, {"front", caption});
}

void RecordBeep(UINT type) { AppendMachineRecord(kNotifyRecordsFile, {"beep", std::to_string(type)}); }

void RecordSound(const std::string& soundPath, UINT flags) {
  AppendMachineRecord(kNotifyRecordsFile, {"sound", soundPath, std::to_string(flags)});
}

std::vector<std::vector<std::string>> ReadNotifyRecords() { return ReadMachineRecords(kNotifyRecordsFile); }

}  // namespace platform
