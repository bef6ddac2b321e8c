// Small utilities the monitor's parts share: clamping with a beep, profile
// strings with the monitor's default, the program's folder, file existence and
// the length-prefixed byte block of its archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/ui/afx_archive.h"

// 1 when min <= value <= max; else a simple beep, the value moved to the nearer
// limit, and 0.
int ClampWithBeep(int* value, int min, int max);
// A missing entry reads as "DP_NONE"; at most 254 characters.
std::string DP_ReadProfileString(const char* section, const char* key, const char* file);
BOOL DP_WriteProfileString(const char* section, const char* key, const char* value, const char* file);
// The program file's folder, ending with its backslash.
std::string GetModuleFolder();
BOOL FileExists(const char* path);
std::string IntToString(int n);

// A byte block held by its owner: none (empty) or its bytes.
using Blob = std::vector<unsigned char>;
// A 16-bit length and the bytes; a block of 0xFFFF bytes or more cannot be
// stored (CArchiveException). A loading archive refuses with readOnly.
void StoreBlob(CArchive& archive, const Blob& block);
// Replaces the block; a storing archive refuses with writeOnly.
void LoadBlob(CArchive& archive, Blob* block);
