// The settings store as every deliverable sees it: a setting is addressed by
// (printer handle or none, store kind, section, key) and every call answers a
// Win32 error code. The store is the settings library zeldb5.dll, loaded at run
// time and bound by export name.
#pragma once

#include "platform/base/types.h"

// Store kinds. 7 and 8 are the printer-data store again, 5 and 6 the per-user
// registry again: callers keep their font and macro lists there.
enum StoreKind : int32_t {
  kStorePrinterData = 0,
  kStoreUser = 1,
  kStoreMachine = 2,
  kStoreModelDescription = 3,  // the driver's data file, read-only
  kStoreNone = 4,              // and every kind above 8
  kStoreUserFonts = 5,
  kStoreUserMacros = 6,
  kStorePrinterFonts = 7,
  kStorePrinterMacros = 8,
};

// The key under HKEY_CURRENT_USER / HKEY_LOCAL_MACHINE that holds one subkey per section.
#define SETTINGS_REGISTRY_BASE "Software\\TOVK\\Calyxon\\3D5\\"

// The names of a section, back to back, each with its NUL. Allocated by
// DBEnumOpen, freed by DBEnumClose; callers only pass it back.
struct DBENUM {
  DWORD pos;
  DWORD size;
  char* names;
};

// Folder selectors of DBGetPath.
enum SettingsFolder : int32_t {
  kFolderDriverGeneration = 0,  // "$Nardo Driver\D5", also every selector without a folder of its own
  kFolderDBase = 1,
  kFolderUserPclFonts = 2,
  kFolderPclDiskFonts = 3,
  kFolderUserPclMacros = 6,
};

#define SETTINGS_LIBRARY_NAME "zeldb5.dll"

typedef DWORD (*PFN_DBGetData)(HANDLE printer, int32_t kind, const char* section, const char* key, BYTE* buffer,
                               DWORD* size);
typedef DWORD (*PFN_DBSetData)(HANDLE printer, int32_t kind, const char* section, const char* key, const BYTE* data,
                               DWORD count);
typedef DWORD (*PFN_DBGetString)(HANDLE printer, int32_t kind, const char* section, const char* key, char* buffer,
                                 DWORD* size);
typedef DWORD (*PFN_DBSetString)(HANDLE printer, int32_t kind, const char* section, const char* key, const char* text);
typedef DWORD (*PFN_DBGetDword)(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD* value);
typedef DWORD (*PFN_DBSetDword)(HANDLE printer, int32_t kind, const char* section, const char* key, DWORD value);
typedef DWORD (*PFN_DBGetInt)(HANDLE printer, int32_t kind, const char* section, const char* key, int32_t* value);
typedef DWORD (*PFN_DBGetShort)(HANDLE printer, int32_t kind, const char* section, const char* key, int16_t* value);
typedef int (*PFN_DBGetName)(const char* driverName, char* printerName);
typedef DWORD (*PFN_DBGetPath)(int32_t selector, char* buffer, DWORD size);
typedef DWORD (*PFN_DBEnumOpen)(HANDLE printer, int32_t kind, const char* section, DBENUM** out);
typedef DWORD (*PFN_DBEnumNext)(DBENUM* enumeration, char* buffer, DWORD* size);
typedef DWORD (*PFN_DBEnumReset)(DBENUM* enumeration);
typedef DWORD (*PFN_DBEnumClose)(DBENUM* enumeration);
typedef DWORD (*PFN_DBDeleteData)(HANDLE printer, int32_t kind, const char* section, const char* key);
typedef DWORD (*PFN_DBDeleteSection)(HANDLE printer, int32_t kind, const char* section);
typedef DWORD (*PFN_DBSetupFolders)(void);
