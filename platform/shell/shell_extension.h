// The interfaces the shell calls a context-menu handler through: IShellExtInit
// hands it the chosen items, IContextMenu asks it to add its commands to the
// menu, to run one and to describe one.
#pragma once

#include "platform/shell/data_object.h"
#include "platform/ui/menu.h"

#define CMF_NORMAL 0x00000000u
#define CMF_DEFAULTONLY 0x00000001u
#define CMF_VERBSONLY 0x00000002u
#define CMF_EXPLORE 0x00000004u
#define CMF_NOVERBS 0x00000008u
#define CMF_CANRENAME 0x00000010u

#define GCS_VERBA 0x00000000u
#define GCS_HELPTEXTA 0x00000001u
#define GCS_VALIDATEA 0x00000002u
#define GCS_VERBW 0x00000004u
#define GCS_HELPTEXTW 0x00000005u
#define GCS_VALIDATEW 0x00000006u
#define GCS_UNICODE 0x00000004u

// A verb given by command offset rather than by text is IS_INTRESOURCE.

typedef struct _CMINVOKECOMMANDINFO {
  DWORD cbSize;
  DWORD fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  DWORD dwHotKey;
  HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;

// The folder's item list; the stand-in's shell passes none.
typedef const void* PCIDLIST_ABSOLUTE;

struct IShellExtInit : IUnknown {
  virtual HRESULT Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY programKey) = 0;

 protected:
  ~IShellExtInit() = default;
};

struct IContextMenu : IUnknown {
  virtual HRESULT QueryContextMenu(HMENU menu, UINT index, UINT firstId, UINT lastId, UINT flags) = 0;
  virtual HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info) = 0;
  // size counts characters of the request's width: bytes for the A types,
  // UTF-16 units for the W types.
  virtual HRESULT GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, LPSTR buffer, UINT size) = 0;

 protected:
  ~IContextMenu() = default;
};

extern "C" const IID IID_IShellExtInit;
extern "C" const IID IID_IContextMenu;

// What an in-process server exports.
typedef HRESULT (*PFN_DllGetClassObject)(REFCLSID clsid, REFIID iid, void** object);
typedef HRESULT (*PFN_DllCanUnloadNow)(void);
