// File mappings: a mapping object over an open file (or over fresh memory when
// the file handle is INVALID_HANDLE_VALUE) and views of it in the process's
// address space, on mmap. Named mappings are not offered (ERROR_NOT_SUPPORTED).
//
// As on Windows: an empty file with no size given cannot be mapped
// (ERROR_FILE_INVALID); a read-only mapping larger than its file fails
// (ERROR_NOT_ENOUGH_MEMORY), a writable one grows the file; view offsets are
// multiples of the allocation granularity, 64 KB (ERROR_MAPPED_ALIGNMENT); a view
// stays valid after the mapping and file handles are closed, until
// UnmapViewOfFile.
#pragma once

#include "platform/base/files.h"
#include "platform/base/types.h"

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_WRITECOPY 0x08

#define FILE_MAP_COPY 0x0001
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001F

ZEL_EXTERN_C HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                       DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCSTR name);
ZEL_EXTERN_C HANDLE CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                                       DWORD maximumSizeHigh, DWORD maximumSizeLow, LPCWSTR name);
ZEL_EXTERN_C LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                                  SIZE_T numberOfBytesToMap);
ZEL_EXTERN_C BOOL UnmapViewOfFile(LPCVOID baseAddress);
