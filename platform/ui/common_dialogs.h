// The common file dialog for saving. The stand-in machine has no desktop: the
// dialog is handed to the process's file-dialog handler, which a program or a
// test sets to choose the file (or cancel). The dialog's hook sees the chosen
// file as on Windows (WM_NOTIFY with CDN_FILEOK) and may refuse it; the user
// is then asked again. Without a handler the dialog is cancelled.
#pragma once

#include <functional>
#include <string>

#include "platform/base/types.h"
#include "platform/ui/window.h"

typedef UINT_PTR(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of description and pattern, each NUL-ended, the list ended by a second NUL
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
} OPENFILENAMEA, *LPOPENFILENAMEA;

typedef struct _OFNOTIFYA {
  NMHDR hdr;
  LPOPENFILENAMEA lpOFN;
  LPSTR pszFile;
} OFNOTIFYA, *LPOFNOTIFYA;

#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_ENABLEHOOK 0x00000020
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_EXPLORER 0x00080000

#define CDN_FIRST (0U - 601U)
#define CDN_FILEOK (CDN_FIRST - 5U)

// FALSE when the user cancelled (CommDlgExtendedError 0) or the file name does
// not fit the caller's buffer (CommDlgExtendedError FNERR_BUFFERTOOSMALL).
ZEL_EXTERN_C BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn);
ZEL_EXTERN_C DWORD CommDlgExtendedError(void);

#define FNERR_BUFFERTOOSMALL 0x3003

namespace platform {

struct FileDialogRequest {
  std::string title;       // UTF-8
  std::string initialDir;  // UTF-8
  std::string file;        // the file name the dialog starts with
  std::string filter;      // the first description of the filter
  std::string defaultExtension;
  DWORD flags = 0;
  int attempt = 0;         // 0, then 1, 2, ... after the hook refused a choice
};
// Sets *chosen (a Windows path, UTF-8) and answers true, or answers false to
// cancel. nullptr restores the default (cancel).
using FileDialogHandler = std::function<bool(const FileDialogRequest&, std::string* chosen)>;
void SetFileDialogHandler(FileDialogHandler handler);

}  // namespace platform
