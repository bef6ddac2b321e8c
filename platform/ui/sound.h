// Beeps and sounds. The stand-in machine has no speaker: every beep and every
// sound asked for goes to the process's sound handler, which a program or a test
// may set; without one they are written as debugger traces and as lines of the
// machine's records (platform/ui/notify_records.h).
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"

#define SND_SYNC 0x0000u
#define SND_ASYNC 0x0001u
#define SND_NODEFAULT 0x0002u

// TRUE; the beep type (0xFFFFFFFF the simple beep, MB_ICON* values) is recorded.
ZEL_EXTERN_C BOOL MessageBeep(UINT type);
// TRUE when a sound was given; FALSE for a NULL path (which stops a sound on
// Windows and plays nothing here).
ZEL_EXTERN_C BOOL sndPlaySoundA(LPCSTR soundPath, UINT flags);

namespace platform {

struct SoundRequest {
  bool beep = false;      // MessageBeep; else sndPlaySound
  UINT type = 0;          // the beep type or the sound flags
  std::string soundPath;  // as given, ANSI code page
};
using SoundHandler = std::function<void(const SoundRequest&)>;
// nullptr restores the default (traces and records).
void SetSoundHandler(SoundHandler handler);

}  // namespace platform
