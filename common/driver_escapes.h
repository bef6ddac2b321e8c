// The escape numbers the driver's libraries exchange through ExtEscape: the
// published ones the graphics library serves, and the private ones through
// which the user-interface library and the set-up program hand job data to it
// and bracket the pages they draw themselves.
#pragma once

#include "platform/base/types.h"

// Published escapes.
constexpr ULONG kEscQueryEscSupport = 8;
constexpr ULONG kEscSetCopyCount = 17;
constexpr ULONG kEscPassThrough = 19;
constexpr ULONG kEscGetTechnology = 20;
constexpr ULONG kEscEpsPrinting = 33;
constexpr ULONG kEscPostScriptData = 37;
constexpr ULONG kEscPostScriptIgnore = 38;
constexpr ULONG kEscGetDeviceUnits = 42;
constexpr ULONG kEscBeginPath = 4096;
constexpr ULONG kEscClipToPath = 4097;
constexpr ULONG kEscEndPath = 4098;
constexpr ULONG kEscDownloadHeader = 4111;
constexpr ULONG kEscPostScriptPassthrough = 4115;
constexpr ULONG kEscPostScriptIdentify = 4117;
constexpr ULONG kEscPostScriptInjection = 4118;
constexpr ULONG kEscGetPsFeatureSetting = 4121;

// Private escapes.
constexpr ULONG kEscWatermarkBegin = 52;
constexpr ULONG kEscWatermarkEnd = 53;
constexpr ULONG kEscWatermarkFlag = 54;
constexpr ULONG kEscFontListRefresh = 56;
constexpr ULONG kEscJobIdentity = 57;
constexpr ULONG kEscTabPageBegin = 58;
constexpr ULONG kEscTabPageEnd = 59;
constexpr ULONG kEscTabSheetBegin = 60;
constexpr ULONG kEscTabSheetEnd = 61;
constexpr ULONG kEscInsertSheetTable = 62;
constexpr ULONG kEscBannerBegin = 63;
constexpr ULONG kEscBannerEnd = 64;
constexpr ULONG kEscInsertDefaults = 65;
constexpr ULONG kEscRawText = 100;
constexpr ULONG kEscUpdateConfig = 20000;

// Input of FONTLIST_REFRESH (56): the printer's font lists for a language are stale.
struct FontListRefreshBlock {
  DWORD action;
  char printerName[260];  // ANSI, ended by a NUL
  WORD pdl;               // printer-language word
  WORD reserved;
};
static_assert(sizeof(FontListRefreshBlock) == 268);
