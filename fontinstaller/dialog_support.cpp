// What the installer's dialogs share.
#include <algorithm>
#include <cstdio>

#include "fontinstaller/installed_store.h"
#include "fontinstaller/installer_dialogs.h"
#include "fontinstaller/installer_module.h"
#include "platform/base/files.h"
#include "platform/base/handles.h"
#include "platform/base/profile.h"
#include "platform/gdi/screen.h"
#include "platform/ui/message_box.h"
#include "platform/ui/user.h"

namespace fontinstaller {

namespace {
constexpr int kMostAncestors = 31;
}  // namespace

void CentreDialog(HWND dialog) {
  RECT own{};
  if (!GetWindowRect(dialog, &own)) return;
  HWND reference = 0;
  long widest = -1;
  HWND ancestor = GetParent(dialog);
  for (int level = 0; ancestor && level < kMostAncestors; ++level, ancestor = GetParent(ancestor)) {
    RECT rect{};
    if (GetWindowRect(ancestor, &rect) && rect.right - rect.left > widest) {
      widest = rect.right - rect.left;
      reference = ancestor;
    }
  }
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT area{0, 0, screenWidth, screenHeight};
  if (reference) GetWindowRect(reference, &area);
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) * 2 / 5;
  x = std::max(0, std::min(x, screenWidth - width));
  y = std::max(0, std::min(y, screenHeight - height));
  MoveWindow(dialog, x, y, width, height, FALSE);
}

int InstallerBox(HWND owner, UINT textId, UINT captionId, UINT style, const std::string& argument) {
  std::string text = LoadText(textId);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, argument);
  const std::string caption = captionId ? LoadText(captionId) : std::string();
  return MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

std::string DialogItemText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

void SetStatus(HWND dialog, const std::string& text) { SetDlgItemTextA(dialog, 1019, text.c_str()); }

bool MayChange(const InstallerContext& context) { return (context.flags & kFlagsMayChange) != 0; }
bool SharesInfoFile(const InstallerContext& context) { return (context.flags & kFlagSharedInfoFile) != 0; }

bool InfoFileWritable(const InstallerContext& context) {
  if (context.infoFilePath[0] == '\0') return false;
  HANDLE file = CreateFileA(context.infoFilePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE || file == 0) return false;
  CloseHandle(file);
  return true;
}

bool ListsAreCurrent(HWND owner, const InstallerContext& context, int kind, UINT staleTextId, UINT captionId) {
  const char* section = kind == kKindMacros ? "Macros" : "Fonts";
  const int fileCounter =
      static_cast<int>(GetPrivateProfileIntA(section, "ChangeCounter", static_cast<UINT>(-1), context.infoFilePath));
  if (fileCounter < 0) {
    InstallerBox(owner, 698, captionId, MB_OK | MB_ICONWARNING, context.infoFilePath);
    return false;
  }
  const long printerCounter = ReadChangeCounter(context.printerName, kind);
  if (printerCounter < 0) {
    InstallerBox(owner, 698, captionId, MB_OK | MB_ICONWARNING, "ChangeCounter");
    return false;
  }
  if (printerCounter == fileCounter) return true;
  InstallerBox(owner, staleTextId, captionId, MB_OK | MB_ICONINFORMATION);
  SyncInfoFile(owner, context.printerName, context.flags);
  return false;
}

}  // namespace fontinstaller
