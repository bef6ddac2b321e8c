// The records of the fonts-and-macros installer: the in-memory entries of the
// installed lists (the unit of its exports), the run's context and the rows of a
// font package's directory file. Their sizes are those the exports' callers were
// built against, on every host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

namespace fontinstaller {

// The two kinds the installer names in all its interfaces.
constexpr int kKindFonts = 16;
constexpr int kKindMacros = 32;
// deletePCLFile only: every file of the printer's disk.
constexpr int kKindAll = 64;

// Where an installed font or macro is kept.
constexpr int32_t kLocationNone = 0;  // taken out of an in-memory list
constexpr int32_t kLocationPcDisk = 1;
constexpr int32_t kLocationPrinterDisk = 2;
constexpr int32_t kLocationCartridge = 2048;

// PCL numbers fonts and macros from 0 to 32767; a larger id never reaches a printer.
constexpr int32_t kHighestPclId = 32767;
inline bool IsPclId(long id) { return id >= 0 && id <= kHighestPclId; }

// Entry flags.
constexpr DWORD kEntryInMemory = 0x0004;
constexpr DWORD kEntryResident = 0x2000;

// Caller flags of a run and of the change exports.
constexpr DWORD kFlagsMayChange = 0x0E;
constexpr DWORD kFlagChooseInfoFile = 0x10;
constexpr DWORD kFlagSharedInfoFile = 0x40;

#pragma pack(push, 4)
struct InstalledFontEntry {
  int32_t id;
  DWORD flags;
  int32_t location;
  int32_t pointSize;  // 0: scalable
  int32_t orientation;
  int32_t bold;
  int32_t italic;
  char fontName[20];
  int32_t family;
  char pfmFileName[64];
  char typefaceName[64];
  char fontFilePath[261];
  int32_t directoryIndex;
  char symbolSetName[12];
};

struct InstalledMacroEntry {
  int32_t id;
  DWORD flags;
  int32_t location;
  char name[17];
  char filePath[261];
};

struct InstallerContext {
  char printerName[64];
  char helpFile[260];
  char infoFilePath[512];
  DWORD flags;
};

// One row of a font package's directory table: cartridges first, then fonts.
struct FontDirectoryRow {
  int32_t kind;  // kDirectory* below; 0 an empty row
  int32_t resource;
  char name[50];
  char symbolSet[4];
  char weightSuffix[11];
  char slant[9];
  char file[128];
  char tfmFile[130];
};
#pragma pack(pop)

constexpr int32_t kDirectoryFont = 1;
constexpr int32_t kDirectoryCartridge = 2;
constexpr int32_t kDirectoryOtherCartridge = 3;

static_assert(sizeof(InstalledFontEntry) == 460);
static_assert(offsetof(InstalledFontEntry, fontName) == 28);
static_assert(offsetof(InstalledFontEntry, family) == 48);
static_assert(offsetof(InstalledFontEntry, fontFilePath) == 180);
static_assert(offsetof(InstalledFontEntry, directoryIndex) == 444);
static_assert(offsetof(InstalledFontEntry, symbolSetName) == 448);
static_assert(sizeof(InstalledMacroEntry) == 292);
static_assert(offsetof(InstalledMacroEntry, filePath) == 29);
static_assert(sizeof(InstallerContext) == 840);
static_assert(sizeof(FontDirectoryRow) == 340);

// Copies text into a fixed field, cut to fit, always terminated.
template <size_t N>
void CopyField(char (&field)[N], const char* text) {
  size_t length = 0;
  if (text) {
    while (length + 1 < N && text[length] != '\0') ++length;
    for (size_t i = 0; i < length; ++i) field[i] = text[i];
  }
  for (size_t i = length; i < N; ++i) field[i] = '\0';
}

}  // namespace fontinstaller
