// The driver's device mode: the platform's DEVMODEW followed by the driver's own
// 2496-byte part. The spooler stores it, applications hand it back, the graphics
// library and the property pages read it, and outside tools read fields by the
// offsets the driver publishes per printer (common/devmode_field_map.h). So the
// bytes are the contract: every field sits at a fixed offset, the gaps are named
// reserved members, and the layout is the same in 32-bit and 64-bit builds (no
// pointers, fixed-width integers, natural alignment that never pads).
//
// Member names follow the names the driver publishes and the property pages use;
// the comment gives the settings-profile key where the pages store the field.
// Offsets in the comments are from the start of the private part.
#pragma once

#include <cstddef>
#include <type_traits>

#include "common/pdl_kind.h"
#include "common/watermark_record.h"
#include "platform/base/types.h"
#include "platform/spooler/devmode.h"

constexpr WORD kXDevModeSpecVersion = 0x0401;
constexpr WORD kXDevModePublicSize = 220;
constexpr WORD kXDevModeDriverExtra = 2496;
constexpr DWORD kXDevModeSize = 2716;
// Private-part version; a block with another version is not ours to read.
constexpr DWORD kXDevModePrivateVersion = 4;
// Two private parts are interchangeable only when their revision stamps are equal.
constexpr WORD kXDevModeRevision = 12345;

// dmOrientation takes the platform's DMORIENT_PORTRAIT and DMORIENT_LANDSCAPE;
// _nPDL takes a printer-language word (common/pdl_kind.h).

// dmDefaultSource when each page's paper comes from the page-ticket source
// ranges (PageTicketSourceRange) rather than from one tray.
constexpr SHORT kSourceByPageTicket = 500;

// _nMarginType values.
constexpr WORD kMarginsStandard = 0;     // the printer's unprintable border is kept
constexpr WORD kMarginsBookBinding = 1;  // an extra binding margin on the bound edge
constexpr WORD kMarginsNone = 2;         // edge-to-edge printing

// _dwAdvSettings bits.
constexpr DWORD kAdvBinaryData = 0x1;                // the job's data may hold any byte
constexpr DWORD kAdvJobTerminatorBefore = 0x2;       // a PostScript job starts with Ctrl-D
constexpr DWORD kAdvJobTerminatorAfter = 0x4;        // a PostScript job ends with Ctrl-D
constexpr DWORD kAdvPrintErrors = 0x8;               // the job's error handler prints errors on paper
constexpr DWORD kAdvOverridePrinterTimeouts = 0x10;  // the job sets the job and wait time-outs
constexpr DWORD kAdvEmfSpooling = 0x100;             // job-time decorations are skipped while set

// One inserted sheet (banner, slip sheet, covers, interleaf).
struct InsertedSheetSetting {
  DWORD on;       // non-zero: the sheet is inserted
  DWORD source;   // the sheet's source value, used when the sheet begins
  DWORD printed;  // non-zero: the sheet carries a page image; zero: it is blank
};
static_assert(sizeof(InsertedSheetSetting) == 12);

// Which paper a range of pages takes when dmDefaultSource asks for paper by page
// ticket (500).
struct PageTicketSourceRange {
  SHORT firstPage;
  SHORT lastPage;
  SHORT sourceId;
  SHORT mediaTypeId;  // media type id plus 256
  LONG duplex;        // non-zero: duplex on
};
static_assert(sizeof(PageTicketSourceRange) == 12);

constexpr size_t kPageTicketSourceRangeCount = 50;

struct XDEVMODE_PRIVATE {
  DWORD privateVersion;         // 0: kXDevModePrivateVersion
  WORD revisionStamp;           // 4: kXDevModeRevision (published as "_OffsetRevision")
  WORD _nMediaType;             // 6: copy of dmMediaType
  DWORD _iOutputSize;           // 8: "OutputSize"; 0xFFFF = as the paper
  DWORD _iOutputFeedDirection;  // 12: "FeedDirection"
  WORD _nDuplex;                // 16: "Duplex"; 0 simplex, 1 long edge, 2 short edge
  WORD _nFixedOrientation;      // 18: "FixedOrientation"; 0..2
  WORD _nUpPCL;                 // 20: "nUpPCL"; 1 or 2
  WORD _nUp;                    // 22: "nUp"; PostScript pages per sheet
  DWORD _bNupBorder;            // 24: "PageBorder"
  DWORD faceUpOff;              // 28: 0 = face-up delivery on where the model has it
  WORD _nBooklet;               // 32: 0 off, 1 or 2 (PostScript only)
  WORD reserved34;
  DWORD _bJog;         // 36: job offset
  DWORD _bCollate;     // 40: "Collate"; dmCollate mirrors it
  DWORD PageOrder;     // 44: 3 = reverse page order, else 0
  DWORD _bRotatePage;  // 48: "PageRotation"
  WORD FinishStaple;   // 52: 1 = staple with the finisher tray's stapler
  BYTE reserved54[230];
  PageTicketSourceRange pageTicketRanges[kPageTicketSourceRangeCount];  // 284
  DWORD pageTicketAutoTray;  // 884: non-zero = automatic tray with the row's media type
  DWORD _iSNMP;              // 888: "StartMonitor"; 0 none, 1 not per job, 2 per job
  WORD reserved892;
  char _sAccount[32];       // 894: "Account"
  char _sNote[32];          // 926: "Note"
  WORD _nOutputDest;        // 958: "OutputType"; 1 print, 5 save as a PCL macro file
  DWORD _lMacroId;          // 960: "MacroId"
  DWORD _nMacroLocation;    // 964: "MacroLoc"
  char _sMacroName[32];     // 968: "Macro"
  DWORD _bMacroBackground;  // 1000: "MacroBackground"
  BYTE reserved1004[80];
  InsertedSheetSetting _epBanner;      // 1084: "Banner"
  InsertedSheetSetting _epSlipSheet;   // 1096
  InsertedSheetSetting _epFrontCover;  // 1108
  InsertedSheetSetting _epBackCover;   // 1120
  InsertedSheetSetting epInterleaf;    // 1132: the sheet placed after every page
  DWORD _bInsertSheets;                // 1144: insert sheets (tab pages) on when 1
  char _sInsertSheets[32];             // 1148: the insert-sheet set (a per-user settings section)
  DWORD JobNameSuffixOn;               // 1180: append the slip-sheet text to the job name line
  WORD _wStaple;                       // 1184: staple position
  WORD _nOutputTray;                   // 1186
  WORD trimChoice;                     // 1188
  WORD foldId;                         // 1190
  SHORT punchId;                       // 1192
  WORD reserved1194;
  WatermarkRecord _wmCurrent;  // 1196: "Watermark"; all zero when none is chosen
  DWORD _bWmBackground;        // 1352: "WMBackground"; drawn at page start, behind the page
  DWORD _bWmFirstPageOnly;     // 1356: "WMFirstPageOnly"
  WORD _nTrueTypeMode;         // 1360: "TTPrinting"; copy of dmTTOption
  WORD _nTrueTypeDownload;     // 1362: "TTDLType"
  WORD reserved1364;           // written 0
  WORD reserved1366;
  DWORD _bColorToBlack;   // 1368: "ColorsToBlack"
  DWORD _bNegativeImage;  // 1372: "NegativeImage"
  DWORD _bMirrorImage;    // 1376: "MirrorImage"
  WORD _nMarginType;      // 1380: "MarginType"; kMargins*
  WORD reserved1382;
  // 1384..1391: "Halftone", copied as one 8-byte unit.
  DWORD _bPrinterScreen;    // 1384: 1 = the printer's screen; 0 = send the screen below
  SHORT _nScreenFrequency;  // 1388
  SHORT _nScreenAngle;      // 1390
  WORD _nGraphicsMode;      // 1392: "RasterMode"
  BYTE reserved1394[6];
  DWORD reserved1400;    // written 0
  DWORD reserved1404;    // written 0
  WORD reserved1408;     // written 8 by the defaults; nothing reads it
  WORD _nPDL;            // 1410: "PDL"; a PdlKind word
  DWORD _dwAdvSettings;  // 1412: kAdv* bits
  WORD _nCompression;    // 1416: "Compression"; 3 none, 5 run length, 20 low-compression
  WORD reserved1418;
  DWORD _bClearMemoryPerPage;     // 1420: "ClearMemPerPage"
  DWORD _lAvailableMemory;        // 1424: "AvailMem"
  WORD _nJobTimeout;              // 1428: "JobTimeout"; seconds
  WORD _nWaitTimeout;             // 1430: "WaitTimeout"; seconds
  DWORD _dwPrinterAttributes;     // 1432: PRINTER_INFO_4 Attributes at the last document-properties call
  char _sPortName[128];           // 1436
  char documentName[128];         // 1564: the current job's document
  WCHAR _wsPrinterName[260];      // 1692
  char applicationPath[260];      // 2212: the application that owns the device mode
  DWORD applicationMajorVersion;  // 2472: 0 when its version is unreadable
  INT _nCustomPaperIndex;         // 2476: row of the user-defined paper (0..27), -1 none
  DWORD _nCustomUnit;             // 2480: "CustomPaperUnit"; 1 inch, 2 millimetre
  DWORD _lCustomWidth;            // 2484: thousandths of an inch
  DWORD _lCustomLength;           // 2488: thousandths of an inch
  DWORD _bCustomPortraitFeed;     // 2492: the model's feed-direction byte for the custom paper
};

struct XDEVMODE {
  DEVMODEW dmPublic;
  XDEVMODE_PRIVATE dmPrivate;
};

static_assert(sizeof(DEVMODEW) == kXDevModePublicSize);
static_assert(sizeof(XDEVMODE_PRIVATE) == kXDevModeDriverExtra);
static_assert(sizeof(XDEVMODE) == kXDevModeSize);
static_assert(offsetof(XDEVMODE, dmPrivate) == kXDevModePublicSize);
static_assert(std::is_trivially_copyable_v<XDEVMODE> && std::is_standard_layout_v<XDEVMODE>);
// No hidden padding anywhere in the private part: every byte is a member, so a
// zeroed block is fully defined and blocks compare bytewise.
static_assert(std::has_unique_object_representations_v<XDEVMODE_PRIVATE>);

#define ZEL_XDM_AT(field, offset) static_assert(offsetof(XDEVMODE_PRIVATE, field) == (offset), #field)
ZEL_XDM_AT(privateVersion, 0);
ZEL_XDM_AT(revisionStamp, 4);
ZEL_XDM_AT(_nMediaType, 6);
ZEL_XDM_AT(_iOutputSize, 8);
ZEL_XDM_AT(_iOutputFeedDirection, 12);
ZEL_XDM_AT(_nDuplex, 16);
ZEL_XDM_AT(_nFixedOrientation, 18);
ZEL_XDM_AT(_nUpPCL, 20);
ZEL_XDM_AT(_nUp, 22);
ZEL_XDM_AT(_bNupBorder, 24);
ZEL_XDM_AT(faceUpOff, 28);
ZEL_XDM_AT(_nBooklet, 32);
ZEL_XDM_AT(reserved34, 34);
ZEL_XDM_AT(_bJog, 36);
ZEL_XDM_AT(_bCollate, 40);
ZEL_XDM_AT(PageOrder, 44);
ZEL_XDM_AT(_bRotatePage, 48);
ZEL_XDM_AT(FinishStaple, 52);
ZEL_XDM_AT(reserved54, 54);
ZEL_XDM_AT(pageTicketRanges, 284);
ZEL_XDM_AT(pageTicketAutoTray, 884);
ZEL_XDM_AT(_iSNMP, 888);
ZEL_XDM_AT(reserved892, 892);
ZEL_XDM_AT(_sAccount, 894);
ZEL_XDM_AT(_sNote, 926);
ZEL_XDM_AT(_nOutputDest, 958);
ZEL_XDM_AT(_lMacroId, 960);
ZEL_XDM_AT(_nMacroLocation, 964);
ZEL_XDM_AT(_sMacroName, 968);
ZEL_XDM_AT(_bMacroBackground, 1000);
ZEL_XDM_AT(reserved1004, 1004);
ZEL_XDM_AT(_epBanner, 1084);
ZEL_XDM_AT(_epSlipSheet, 1096);
ZEL_XDM_AT(_epFrontCover, 1108);
ZEL_XDM_AT(_epBackCover, 1120);
ZEL_XDM_AT(epInterleaf, 1132);
ZEL_XDM_AT(_bInsertSheets, 1144);
ZEL_XDM_AT(_sInsertSheets, 1148);
ZEL_XDM_AT(JobNameSuffixOn, 1180);
ZEL_XDM_AT(_wStaple, 1184);
ZEL_XDM_AT(_nOutputTray, 1186);
ZEL_XDM_AT(trimChoice, 1188);
ZEL_XDM_AT(foldId, 1190);
ZEL_XDM_AT(punchId, 1192);
ZEL_XDM_AT(reserved1194, 1194);
ZEL_XDM_AT(_wmCurrent, 1196);
ZEL_XDM_AT(_wmCurrent.text, 1196);
ZEL_XDM_AT(_wmCurrent.faceName, 1260);
ZEL_XDM_AT(_wmCurrent.styleName, 1292);
ZEL_XDM_AT(_wmCurrent.size, 1324);
ZEL_XDM_AT(_wmCurrent.weight, 1326);
ZEL_XDM_AT(_wmCurrent.styleBits, 1328);
ZEL_XDM_AT(_wmCurrent.angle, 1332);
ZEL_XDM_AT(_wmCurrent.colour, 1336);
ZEL_XDM_AT(_wmCurrent.xOffset, 1340);
ZEL_XDM_AT(_wmCurrent.yOffset, 1344);
ZEL_XDM_AT(_wmCurrent.outline, 1348);
ZEL_XDM_AT(_bWmBackground, 1352);
ZEL_XDM_AT(_bWmFirstPageOnly, 1356);
ZEL_XDM_AT(_nTrueTypeMode, 1360);
ZEL_XDM_AT(_nTrueTypeDownload, 1362);
ZEL_XDM_AT(reserved1364, 1364);
ZEL_XDM_AT(reserved1366, 1366);
ZEL_XDM_AT(_bColorToBlack, 1368);
ZEL_XDM_AT(_bNegativeImage, 1372);
ZEL_XDM_AT(_bMirrorImage, 1376);
ZEL_XDM_AT(_nMarginType, 1380);
ZEL_XDM_AT(reserved1382, 1382);
ZEL_XDM_AT(_bPrinterScreen, 1384);
ZEL_XDM_AT(_nScreenFrequency, 1388);
ZEL_XDM_AT(_nScreenAngle, 1390);
ZEL_XDM_AT(_nGraphicsMode, 1392);
ZEL_XDM_AT(reserved1394, 1394);
ZEL_XDM_AT(reserved1400, 1400);
ZEL_XDM_AT(reserved1404, 1404);
ZEL_XDM_AT(reserved1408, 1408);
ZEL_XDM_AT(_nPDL, 1410);
ZEL_XDM_AT(_dwAdvSettings, 1412);
ZEL_XDM_AT(_nCompression, 1416);
ZEL_XDM_AT(reserved1418, 1418);
ZEL_XDM_AT(_bClearMemoryPerPage, 1420);
ZEL_XDM_AT(_lAvailableMemory, 1424);
ZEL_XDM_AT(_nJobTimeout, 1428);
ZEL_XDM_AT(_nWaitTimeout, 1430);
ZEL_XDM_AT(_dwPrinterAttributes, 1432);
ZEL_XDM_AT(_sPortName, 1436);
ZEL_XDM_AT(documentName, 1564);
ZEL_XDM_AT(_wsPrinterName, 1692);
ZEL_XDM_AT(applicationPath, 2212);
ZEL_XDM_AT(applicationMajorVersion, 2472);
ZEL_XDM_AT(_nCustomPaperIndex, 2476);
ZEL_XDM_AT(_nCustomUnit, 2480);
ZEL_XDM_AT(_lCustomWidth, 2484);
ZEL_XDM_AT(_lCustomLength, 2488);
ZEL_XDM_AT(_bCustomPortraitFeed, 2492);
#undef ZEL_XDM_AT

// Whether the job these settings describe is written in PostScript.
inline bool IsPostScriptJob(const XDEVMODE& settings) { return IsPostScriptPdl(settings.dmPrivate._nPDL); }
