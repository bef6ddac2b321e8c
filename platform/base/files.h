// Files and folders of the stand-in machine. Windows paths map onto the root
// folder; attributes (hidden, read-only, system) and security descriptors are
// kept as metadata in the machine database, not mapped onto Unix permissions.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/base/types.h"

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_ALL_ACCESS 0x001F01FFu
#define DELETE 0x00010000u
#define READ_CONTROL 0x00020000u
#define WRITE_DAC 0x00040000u
#define SYNCHRONIZE 0x00100000u
#define STANDARD_RIGHTS_REQUIRED 0x000F0000u

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002

#define SECURITY_DESCRIPTOR_REVISION 1
#define SECURITY_DESCRIPTOR_MIN_LENGTH 20
#define ERROR_INVALID_SECURITY_DESCR 1338L

// The security stand-in keeps only what the package sets: whether a discretionary
// access list is present and whether it is the NULL list (everyone may do anything).
typedef struct _SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  WORD Control;
  DWORD Owner;
  DWORD Group;
  DWORD Sacl;
  DWORD DaclPresent;
  void* Dacl;
} SECURITY_DESCRIPTOR, *PSECURITY_DESCRIPTOR_REC;
typedef void* PSECURITY_DESCRIPTOR;

typedef struct _SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

ZEL_EXTERN_C BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
ZEL_EXTERN_C BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, void* dacl,
                                            BOOL daclDefaulted);

ZEL_EXTERN_C HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
ZEL_EXTERN_C HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
ZEL_EXTERN_C BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID overlapped);
ZEL_EXTERN_C BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPVOID overlapped);
ZEL_EXTERN_C DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);
ZEL_EXTERN_C DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
ZEL_EXTERN_C BOOL SetEndOfFile(HANDLE file);
ZEL_EXTERN_C BOOL FlushFileBuffers(HANDLE file);

ZEL_EXTERN_C BOOL DeleteFileA(LPCSTR fileName);
ZEL_EXTERN_C BOOL CopyFileA(LPCSTR existing, LPCSTR target, BOOL failIfExists);
ZEL_EXTERN_C BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags);
ZEL_EXTERN_C BOOL MoveFileA(LPCSTR existing, LPCSTR target);
ZEL_EXTERN_C BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
ZEL_EXTERN_C BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES security);
ZEL_EXTERN_C BOOL RemoveDirectoryA(LPCSTR pathName);
ZEL_EXTERN_C DWORD GetFileAttributesA(LPCSTR fileName);
ZEL_EXTERN_C DWORD GetFileAttributesW(LPCWSTR fileName);
ZEL_EXTERN_C BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);
ZEL_EXTERN_C BOOL SetFileAttributesW(LPCWSTR fileName, DWORD attributes);
ZEL_EXTERN_C HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
ZEL_EXTERN_C BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data);
ZEL_EXTERN_C BOOL FindClose(HANDLE find);

// The process's current folder (starts at "C:\\"). GetCurrentDirectoryA answers
// the length without the NUL, or the size needed with it.
ZEL_EXTERN_C DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
ZEL_EXTERN_C BOOL SetCurrentDirectoryA(LPCSTR path);

// Folder queries answer the length without the NUL, or the size needed with it
// when the buffer is too small.
ZEL_EXTERN_C UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
ZEL_EXTERN_C UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
ZEL_EXTERN_C UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
ZEL_EXTERN_C DWORD GetTempPathA(DWORD size, LPSTR buffer);
ZEL_EXTERN_C DWORD GetTempPathW(DWORD size, LPWSTR buffer);
ZEL_EXTERN_C UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName);

namespace platform {

// Host path of an ANSI Windows path (nothing when it cannot be mapped).
std::optional<std::filesystem::path> HostPathFromAnsi(const char* ansiPath);
// Whether the stored metadata of a file or folder says it may be written by every
// account (created with a NULL discretionary access list).
bool HasNullDacl(const char* ansiPath);
// A duplicate of the descriptor behind a file handle (the caller closes it), -1
// when the handle is not an open file; for services such as file mappings that
// work on the open file itself.
int DuplicateFileDescriptor(HANDLE file);

}  // namespace platform
