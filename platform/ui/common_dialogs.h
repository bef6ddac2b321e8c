// The common file dialogs for opening and saving. The stand-in machine has no desktop: the
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
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_LONGNAMES 0x00200000
#define OFN_NONETWORKBUTTON 0x00020000
#define OFN_EXPLORER 0x00080000

#define CDN_FIRST (0U - 601U)
#define CDN_FILEOK (CDN_FIRST - 5U)

// FALSE when the user cancelled (CommDlgExtendedError 0) or the file name does
// not fit the caller's buffer (CommDlgExtendedError FNERR_BUFFERTOOSMALL).
ZEL_EXTERN_C BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn);
// Without OFN_ENABLETEMPLATE, as the save dialog. With it (old style, no
// OFN_EXPLORER) the caller's template (lpTemplateName in hInstance) is run as a
// modal dialog that the process's dialog handler drives: the common controls it
// holds are the folder list 1121 ("[..]" and "[<sub-folder>]"; choosing an entry
// opens it), the drive combo 1137, the folder text 1088, the file name edit 1152,
// OK and Cancel. The folder shown is the process's current folder. The hook sees
// every message first (WM_INITDIALOG with the OPENFILENAMEA) and, after a folder
// or drive change, LBSELCHSTRINGA with the list's id and CD_LBSELCHANGE.
ZEL_EXTERN_C BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn);

#define LBSELCHSTRINGA "commdlg_LBSelChangedNotify"
#define CD_LBSELCHANGE 0
#define CD_LBSELNOITEMS (-1)
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
  int attempt = 0;  // 0, then 1, 2, ... after the hook refused a choice
};
// Sets *chosen (a Windows path, UTF-8) and answers true, or answers false to
// cancel. nullptr restores the default (cancel).
using FileDialogHandler = std::function<bool(const FileDialogRequest&, std::string* chosen)>;
void SetFileDialogHandler(FileDialogHandler handler);

// The file dialog as the handler answers it (both dialogs without a template).
BOOL AskFileDialogHandler(LPOPENFILENAMEA lpofn);

}  // namespace platform
