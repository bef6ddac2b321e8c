#include "platform/ui/sound.h"

#include <mutex>
#include <string>

#include "platform/base/debug.h"
#include "platform/ui/notify_records.h"

namespace {

std::mutex handlerLock;
platform::SoundHandler& Handler() {
  static auto* handler = new platform::SoundHandler();
  return *handler;
}

void Deliver(const platform::SoundRequest& request) {
  platform::SoundHandler handler;
  {
    std::lock_guard guard(handlerLock);
    handler = Handler();
  }
  if (handler) {
    handler(request);
    return;
  }
  const std::string trace =
      request.beep ? "MessageBeep " + std::to_string(request.type) + "\n" : "sndPlaySound " + request.soundPath + "\n";
  OutputDebugStringA(trace.c_str());
  if (request.beep) {
    platform::RecordBeep(request.type);
  } else {
    platform::RecordSound(request.soundPath, request.type);
  }
}

}  // namespace

BOOL MessageBeep(UINT type) {
  Deliver(platform::SoundRequest{true, type, {}});
  return TRUE;
}

BOOL sndPlaySoundA(LPCSTR soundPath, UINT flags) {
  if (!soundPath) return FALSE;
  Deliver(platform::SoundRequest{false, flags, soundPath});
  return TRUE;
}

namespace platform {

void SetSoundHandler(SoundHandler handler) {
  std::lock_guard guard(handlerLock);
  Handler() = std::move(handler);
}

}  // namespace platform
