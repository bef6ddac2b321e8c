#include "interface/job/macro_file_dialog.h"

#include <cstring>

#include "common/settings_store.h"
#include "interface/app/library_state.h"
#include "interface/decorations/decoration_support.h"
#include "interface/decorations/page_decorations.h"
#include "interface/util/paths.h"
#include "interface/util/resource_text.h"
#include "interface/util/string_ids.h"
#include "interface/util/text_conversion.h"
#include "platform/base/files.h"
#include "platform/ui/common_dialogs.h"

namespace {

constexpr char kFolderSection[] = "FolderPath";
constexpr char kLastFolderKey[] = "MacroLastSavedLoc";
constexpr char kFilter[] = "PCL Files (*.pcl)\0*.pcl\0";
constexpr DWORD kDialogFlags =
    OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

bool IsExistingFile(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool AskMacroFile(HANDLE printer, JobContext& context, DOCINFOW* info) {
  if (IsExistingFile(context.outputName)) return true;
  char folder[MAX_PATH] = {};
  DWORD size = sizeof folder;
  if (LibrarySettings().GetString(printer, kStoreUser, kFolderSection, kLastFolderKey, folder, &size) != 0) {
    folder[0] = '\0';
  }
  folder[sizeof folder - 1] = '\0';
  char title[256] = {};
  LoadResString(IDS_MACRO_FILE_TITLE, title, sizeof title);
  char file[MAX_PATH] = "*.pcl";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrInitialDir = folder;
  dialog.lpstrTitle = title;
  dialog.Flags = kDialogFlags;
  dialog.lpstrDefExt = "pcl";
  dialog.lpfnHook = SaveMacroFileHook;
  if (!GetSaveFileNameA(&dialog)) return false;
  AnsiToWide(context.savePath, file, static_cast<int>(kJobTextSize));
  if (info != nullptr) info->lpszOutput = context.savePath;
  CopyTerminated(context.outputName, file);
  char chosenFolder[MAX_PATH] = {};
  if (SplitPath(chosenFolder, sizeof chosenFolder, nullptr, 0, file) && chosenFolder[0] != '\0') {
    // Kept without its final backslash, as the folder the dialog starts in.
    const size_t length = std::strlen(chosenFolder);
    if (length > 1 && chosenFolder[length - 1] == '\\' && chosenFolder[length - 2] != ':') {
      chosenFolder[length - 1] = '\0';
    }
    LibrarySettings().SetString(printer, kStoreUser, kFolderSection, kLastFolderKey, chosenFolder);
  }
  return true;
}
