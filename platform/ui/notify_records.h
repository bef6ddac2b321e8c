// What a person at the stand-in machine would have seen or heard without being
// asked: a top-level window coming up, a window brought to the front, a beep or
// a sound. Each is one line of "records/notify.txt" under the machine root, so
// that what one program showed can be read from another (a test, a person).
//
//   shown <caption> <static texts, " | " between them>
//   front <caption>
//   beep <type>
//   sound <path> <flags>
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace platform {

inline constexpr char kNotifyRecordsFile[] = "notify.txt";

void RecordWindowShown(HWND window);
void RecordWindowToFront(HWND window);
void RecordBeep(UINT type);
void RecordSound(const std::string& soundPath, UINT flags);

// The records written so far, oldest first, each split into its fields.
std::vector<std::vector<std::string>> ReadNotifyRecords();

}  // namespace platform
