// Finding a top-level window of another program by its title and handing it a
// block of data (WM_COPYDATA), as a second start of a program hands its command
// line to the first.
//
// The stand-in machine has no desktop that lists every window, so a window is
// found only after its owner published its title. Publishing opens a local
// socket named after the machine root and the title; FindWindowA connects to it
// and answers a local stand-in window whose procedure carries WM_COPYDATA over
// the socket. The receiving thread gets the message in its own message loop (a
// relay window of that thread calls the published window's procedure) and the
// sender gets the procedure's answer, or 0 after a bounded wait: a frozen
// receiver never hangs the sender.
#pragma once

#include "platform/base/types.h"

#define WM_COPYDATA 0x004Au

typedef struct tagCOPYDATASTRUCT {
  ULONG_PTR dwData;
  DWORD cbData;
  PVOID lpData;
} COPYDATASTRUCT, *PCOPYDATASTRUCT;

// The largest block the channel carries; a longer one is refused (the send
// answers 0).
#define COPYDATA_CHANNEL_LIMIT 1024u

// The class name is not compared. A window of this process is answered itself.
ZEL_EXTERN_C HWND FindWindowA(LPCSTR className, LPCSTR windowName);

namespace platform {

// Makes the window findable by its present title from every process on this
// machine root; the calling thread must own the window and run its message
// loop. FALSE when the title is empty or already published by a live window.
BOOL PublishWindowTitle(HWND window);
// Ends what PublishWindowTitle began (also done for windows destroyed since).
void WithdrawWindowTitle(HWND window);
// How long a sender waits for the receiver's answer.
inline constexpr int kCopyDataReplyTimeoutMs = 5000;

}  // namespace platform
