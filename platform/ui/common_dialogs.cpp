// The save dialog answered by the process's file-dialog handler.
#include "platform/ui/common_dialogs.h"

#include <cstring>
#include <mutex>

#include "platform/base/codepage.h"

namespace platform {
namespace {

// A hook that refuses every choice would otherwise keep the dialog open for good.
constexpr int kMostAttempts = 16;

std::mutex& HandlerLock() {
  static std::mutex lock;
  return lock;
}
FileDialogHandler& Handler() {
  static FileDialogHandler handler;
  return handler;
}
thread_local DWORD lastDialogError = 0;

std::string Utf8(LPCSTR ansi) { return ansi ? FromUtf16(ToUtf16(ansi, CP_ACP), CP_UTF8) : std::string(); }

// The part of a path after its last separator (DBCS-aware: a trail byte 0x5C
// is no separator).
size_t NameOffset(const std::string& path) {
  size_t offset = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (IsDBCSLeadByte(byte) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (byte == '\\' || byte == '/' || byte == ':') offset = i + 1;
  }
  return offset;
}

// Fills the caller's file buffer and offsets; false when it does not fit.
bool StoreChoice(OPENFILENAMEA& ofn, std::string path) {
  const size_t nameOffset = NameOffset(path);
  size_t dot = path.rfind('.');
  if ((dot == std::string::npos || dot < nameOffset) && ofn.lpstrDefExt && ofn.lpstrDefExt[0] != '\0') {
    path += ".";
    path += ofn.lpstrDefExt;
    dot = path.rfind('.');
  }
  if (ofn.lpstrFile == nullptr || path.size() + 1 > ofn.nMaxFile) return false;
  std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
  ofn.nFileOffset = static_cast<WORD>(nameOffset);
  ofn.nFileExtension = static_cast<WORD>(dot != std::string::npos && dot >= nameOffset ? dot + 1 : path.size());
  return true;
}

// The hook's verdict on the chosen file: true when it refused it.
bool HookRefuses(OPENFILENAMEA& ofn) {
  if (!(ofn.Flags & OFN_ENABLEHOOK) || ofn.lpfnHook == nullptr) return false;
  const HWND dialog = CreateWindowExA(0, "#32770", ofn.lpstrTitle ? ofn.lpstrTitle : "Save As", WS_POPUP, 0, 0, 0, 0,
                                      ofn.hwndOwner, 0, 0, nullptr);
  OFNOTIFYA notify{};
  notify.hdr.hwndFrom = dialog;
  notify.hdr.code = CDN_FILEOK;
  notify.lpOFN = &ofn;
  notify.pszFile = ofn.lpstrFile;
  const UINT_PTR answer = ofn.lpfnHook(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
  const bool refused = answer != 0 && GetWindowLongPtrA(dialog, DWLP_MSGRESULT) != 0;
  DestroyWindow(dialog);
  return refused;
}

}  // namespace

void SetFileDialogHandler(FileDialogHandler handler) {
  std::lock_guard<std::mutex> guard(HandlerLock());
  Handler() = std::move(handler);
}

}  // namespace platform

using namespace platform;

ZEL_EXTERN_C DWORD CommDlgExtendedError(void) { return lastDialogError; }

ZEL_EXTERN_C BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn) { return platform::AskFileDialogHandler(lpofn); }

BOOL platform::AskFileDialogHandler(LPOPENFILENAMEA lpofn) {
  lastDialogError = 0;
  if (lpofn == nullptr) return FALSE;
  FileDialogHandler handler;
  {
    std::lock_guard<std::mutex> guard(HandlerLock());
    handler = Handler();
  }
  if (!handler) return FALSE;
  FileDialogRequest request;
  request.title = Utf8(lpofn->lpstrTitle);
  request.initialDir = Utf8(lpofn->lpstrInitialDir);
  request.file = Utf8(lpofn->lpstrFile);
  request.filter = Utf8(lpofn->lpstrFilter);
  request.defaultExtension = Utf8(lpofn->lpstrDefExt);
  request.flags = lpofn->Flags;
  for (; request.attempt < kMostAttempts; ++request.attempt) {
    std::string chosen;
    if (!handler(request, &chosen)) return FALSE;
    if (!StoreChoice(*lpofn, FromUtf16(ToUtf16(chosen, CP_UTF8), CP_ACP))) {
      lastDialogError = FNERR_BUFFERTOOSMALL;
      return FALSE;
    }
    if (!HookRefuses(*lpofn)) return TRUE;
  }
  return FALSE;
}
