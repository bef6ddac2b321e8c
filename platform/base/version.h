// Version information of a module file, read from the file's resources without
// loading it. The block GetFileVersionInfo fills holds the module's VS_VERSIONINFO
// tree as stored (UTF-16 keys and strings) followed by the same strings converted to
// the ANSI code page, which VerQueryValueA hands out.
#pragma once

#include "platform/base/types.h"

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu

#define VS_FF_DEBUG 0x00000001u
#define VS_FF_PRERELEASE 0x00000002u
#define VS_FF_PATCHED 0x00000004u
#define VS_FF_PRIVATEBUILD 0x00000008u
#define VS_FF_INFOINFERRED 0x00000010u
#define VS_FF_SPECIALBUILD 0x00000020u

#define VOS_UNKNOWN 0x00000000u
#define VOS_NT 0x00040000u
#define VOS__WINDOWS32 0x00000004u
#define VOS_NT_WINDOWS32 0x00040004u

#define VFT_UNKNOWN 0x00000000u
#define VFT_APP 0x00000001u
#define VFT_DLL 0x00000002u
#define VFT_DRV 0x00000003u
#define VFT_FONT 0x00000004u
#define VFT_STATIC_LIB 0x00000007u

#define VFT2_UNKNOWN 0x00000000u
#define VFT2_DRV_PRINTER 0x00000001u

typedef struct tagVS_FIXEDFILEINFO {
  DWORD dwSignature;
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;
static_assert(sizeof(VS_FIXEDFILEINFO) == 52, "VS_FIXEDFILEINFO is 52 bytes");

// Size of the block GetFileVersionInfoA/W fill (0 when the file has no version
// information; *handle is set to 0). The file is found as LoadLibrary finds it.
ZEL_EXTERN_C DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
ZEL_EXTERN_C DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle);
// Fills the block. A buffer smaller than the size answered fails with
// ERROR_INSUFFICIENT_BUFFER rather than handing out a tree cut short.
ZEL_EXTERN_C BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD length, LPVOID data);
ZEL_EXTERN_C BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data);

// "\" gives the VS_FIXEDFILEINFO (52), "\VarFileInfo\Translation" the pairs of WORD
// language and WORD code page (length in bytes), "\StringFileInfo\040904b0\Name" a
// string (length in characters including the NUL: ANSI bytes for the A form).
// Keys are matched without regard to case.
ZEL_EXTERN_C BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length);
ZEL_EXTERN_C BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, PUINT length);
