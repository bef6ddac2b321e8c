// Movable memory blocks of the process (GlobalAlloc and friends) and the system's
// texts for error codes (FormatMessage). A block is a handle of the process's
// handle table; locking answers its address, which stays valid until the block is
// resized or freed. Locks are counted but do not pin the block: the Windows rule
// that a locked movable block is not moved holds because GlobalReAlloc refuses a
// locked block that would have to move (GMEM_MOVEABLE not given).
#pragma once

#include "platform/base/types.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// Local blocks are what FormatMessageA allocates: plain pointers, as on Windows.
typedef void* HLOCAL;

ZEL_EXTERN_C HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Answers the block (the same handle) or NULL, leaving the old block as it was.
ZEL_EXTERN_C HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
ZEL_EXTERN_C LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block is still locked after this call.
ZEL_EXTERN_C BOOL GlobalUnlock(HGLOBAL block);
ZEL_EXTERN_C SIZE_T GlobalSize(HGLOBAL block);
// NULL on success, the block itself when it was no block.
ZEL_EXTERN_C HGLOBAL GlobalFree(HGLOBAL block);

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100u
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200u
#define FORMAT_MESSAGE_FROM_STRING 0x00000400u
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800u
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000u
#define LANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#ifndef MAKELANGID
#define MAKELANGID(primary, sub) ((((WORD)(sub)) << 10) | (WORD)(primary))
#endif

// Only FORMAT_MESSAGE_FROM_SYSTEM is served: the text of a system error code,
// ending in CR LF. With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is really a char**
// that receives a block for LocalFree. Answers the length, 0 for an unknown code
// (ERROR_MR_MID_NOT_FOUND) or a bad request.
ZEL_EXTERN_C DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                                  DWORD size, void* arguments);
// Frees a block of FormatMessageA; NULL on success.
ZEL_EXTERN_C HLOCAL LocalFree(HLOCAL block);
