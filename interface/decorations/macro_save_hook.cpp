// The macro-file dialog must not save into the driver's own macro folder: the
// installer keeps its macro store there and would take a user's file for one
// of its own.
#include <cstring>

#include "interface/app/library_state.h"
#include "interface/decorations/page_decorations.h"
#include "interface/util/paths.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "platform/base/codepage.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/message_box.h"

namespace {

constexpr int32_t kPathPclMacros = 6;

// A folder without its trailing backslash, for comparing.
std::string WithoutTrailingSeparator(const char* folder) {
  std::string text = folder;
  size_t end = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
      ++i;
      end = i + 1;
      continue;
    }
    if (text[i] != '\\') end = i + 1;
  }
  text.resize(end);
  return text;
}

}  // namespace

UINT_PTR CALLBACK SaveMacroFileHook(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  if (message != WM_NOTIFY || lParam == 0) return 0;
  const auto* notify = reinterpret_cast<const OFNOTIFYA*>(lParam);
  if (notify->hdr.code != CDN_FILEOK || notify->lpOFN == nullptr || notify->lpOFN->lpstrFile == nullptr) return 0;
  char macroFolder[MAX_PATH] = {};
  if (LibrarySettings().GetPath(kPathPclMacros, macroFolder, sizeof macroFolder) != 0) return 0;
  char chosenFolder[MAX_PATH] = {};
  if (!SplitPath(chosenFolder, sizeof chosenFolder, nullptr, 0, notify->lpOFN->lpstrFile)) return 0;
  const std::string mine = WithoutTrailingSeparator(macroFolder);
  const std::string chosen = WithoutTrailingSeparator(chosenFolder);
  if (mine.empty() || lstrcmpiA(mine.c_str(), chosen.c_str()) != 0) return 0;
  char text[512] = {};
  LoadResString(IDS_MACRO_FOLDER_RESERVED, text, sizeof text);
  char title[256] = {};
  GetWindowTextA(dialog, title, sizeof title);
  MessageBoxA(dialog, text, title, MB_ICONWARNING);
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 1);
  return 1;
}
